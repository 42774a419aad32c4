// The window's batch run with BatchJobs=2 against one job, offscreen and through the
// window's own code path (drop on the grid, Select all, Compress), over movies of about
// 1 MB; both must give, row for row, the statuses `quillon-cli batch` prints.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_batch_jobs [MOVIES] [KB] [CLI]
//   (defaults: 200 movies of 1024 kB, build/quillon-cli)

#include "batch/BatchFixtures.h"
#include "batch/BatchTestWindow.h"
#include "batch/WindowBatchRun.h"
#include "support/QuietApplication.h"
#include "ui/ProgramSettings.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A body that compresses as real movies do: neither zeros nor noise.
std::vector<std::uint8_t> MovieOfAbout(std::size_t bytes, std::uint32_t seed) {
    std::vector<std::uint8_t> movie = quillon::test::PlainMovie(bytes);
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::size_t i = 8; i < movie.size(); ++i) {
        state = state * 1664525 + 1013904223;
        movie[i] = static_cast<std::uint8_t>('a' + (state >> 28));
    }
    return movie;
}

// The statuses a run left in the grid, one line per row: STATUS<TAB>INPUT.
std::string GridStatuses(quillon::test::BatchTestWindow& window) {
    std::string lines;
    const auto& grid = window.controller->grid();
    for (int row = 0; row < grid.rowCount(); ++row) {
        lines += grid.cellText(quillon::NxStatus, row).toStdString() + "\t" +
                 grid.cellText(quillon::NxFileName, row).toStdString() + "\n";
    }
    return lines;
}

// The same two columns from the command-line tool.
std::string CliStatuses(const std::string& cli, const std::string& in, const std::string& out) {
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    const std::string command =
        cli + " batch compress '" + in + "' --output '" + out + "' --jobs 1 2>/dev/null";
    std::string lines;
    FILE* pipe = ::popen(command.c_str(), "r");
    char line[8192];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        const std::string text(line);
        const std::size_t second = text.find('\t', text.find('\t') + 1);
        lines += text.substr(0, second) + "\n";
    }
    if (pipe) {
        ::pclose(pipe);
    }
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    quillon::test::QuietOffscreenApplication();
    const int movies = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::size_t kb = argc > 2 ? static_cast<std::size_t>(std::atoi(argv[2])) : 1024;
    const std::string cli = argc > 3 ? argv[3] : "build/quillon-cli";
    const std::string root = std::filesystem::temp_directory_path() / "quillon-jobs-bench";
    std::filesystem::remove_all(root);

    // Two folders; the second repeats ten names of the first ("Exist!"), one is damaged.
    for (int i = 0; i < movies; ++i) {
        const bool second = i >= movies - movies / 10;
        const int name = second ? i % 10 : i;
        const std::string path =
            root + (second ? "/in/b/m" : "/in/a/m") + std::to_string(name) + ".swf";
        quillon::test::WriteBytes(QString::fromStdString(path),
                                  i == 1 ? std::vector<std::uint8_t>{'F', 'W', 'S'}
                                         : MovieOfAbout(kb * 1024, static_cast<std::uint32_t>(i)));
    }
    const std::string expected = CliStatuses(cli, root + "/in", root + "/out-cli");

    quillon::test::BatchTestWindow window;
    window.show();
    window.controller->applyBatchMode();
    double seconds[3] = {};
    bool same = true;
    for (const int jobs : {1, 2}) {
        quillon::BatchJobs = jobs;
        const std::string out = root + "/out-" + std::to_string(jobs);
        std::filesystem::create_directories(out);
        const quillon::test::WindowRunResult run = quillon::test::RunBatchFromWindow(
            window, QString::fromStdString(root + "/in"), QString::fromStdString(out), true);
        seconds[jobs] = run.runSeconds;
        const bool sameAsCli = GridStatuses(window) == expected;
        same &= sameAsCli;
        std::printf("BatchJobs=%d: %d rows in %.2f s (%d Ok, %d Exist!, %d Error), "
                    "statuses %s quillon-cli batch\n",
                    jobs, run.rows, run.runSeconds, run.count.value("Ok"),
                    run.count.value("Exist!"), run.count.value("Error"),
                    sameAsCli ? "the same as" : "DIFFERENT FROM");
    }
    const double speedup = seconds[1] / seconds[2];
    std::printf("speed-up with BatchJobs=2: %.2fx (target at least 1.7x on 2 cores)\n", speedup);
    std::filesystem::remove_all(root);
    return same && speedup >= 1.7 ? 0 : 1;
}
