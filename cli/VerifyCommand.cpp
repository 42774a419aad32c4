// verify: which movies are damaged, as text, JSON or CSV for archives.

#include "CommandLine.h"
#include "Commands.h"
#include "FileList.h"
#include "Json.h"
#include "OutputForm.h"
#include "Progress.h"
#include "batch/Parallel.h"
#include "codec/Verify.h"

#include <iostream>
#include <sstream>

namespace quillon::cli {

namespace {

std::string ProblemsText(const MovieCheck& check) {
    std::string text;
    for (const auto& problem : check.problems) {
        text += (text.empty() ? "" : "; ") + problem;
    }
    return text;
}

std::string JsonRow(const std::string& path, const MovieCheck& check) {
    std::ostringstream out;
    out << "{\"path\": " << JsonString(path) << ", \"signature\": " << JsonString(check.signature)
        << ", \"version\": " << int(check.version)
        << ", \"declaredLength\": " << check.declaredLength
        << ", \"realLength\": " << check.plainLength << ", \"frameCount\": " << check.frameCount
        << ", \"showFrames\": " << check.showFrames << ", \"problems\": [";
    for (std::size_t i = 0; i < check.problems.size(); ++i) {
        out << (i ? ", " : "") << JsonString(check.problems[i]);
    }
    out << "]}";
    return out.str();
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string CsvRow(const std::string& path, const MovieCheck& check) {
    std::ostringstream out;
    out << CsvField(path) << ',' << CsvField(check.signature) << ',' << int(check.version) << ','
        << check.declaredLength << ',' << check.plainLength << ',' << check.frameCount << ','
        << CsvField(ProblemsText(check));
    return out.str();
}

void PrintText(const std::string& path, const MovieCheck& check) {
    if (check.sound()) {
        std::cout << path << ": OK\n";
    }
    for (const auto& problem : check.problems) {
        std::cout << path << ": " << problem << "\n";
    }
}

} // namespace

int RunVerifyCommand(const Args& args) {
    CommandLine line(args);
    const OutputForm form = OutputFormOption(line, true);
    const bool quiet = line.flag("--quiet");
    const int jobs = line.intOption("--jobs", CoreCount(), 1, 256);
    const auto paths = InputPaths(line, "verify needs at least one FILE");

    bool allSound = true;
    if (form == OutputForm::Json) {
        std::cout << "[";
    } else if (form == OutputForm::Csv) {
        std::cout << "path,signature,version,declared_length,real_length,frame_count,problems\n";
    }
    ProgressLine progress(paths.size(), quiet);
    RunInOrder<MovieCheck>(
        SingleChains(paths.size()), paths.size(), jobs,
        [&](std::size_t i) { return CheckMovieFile(paths[i]); },
        [&](std::size_t i, const MovieCheck& check) {
            allSound &= check.sound();
            if (form == OutputForm::Json) {
                std::cout << (i ? ",\n " : "") << JsonRow(paths[i], check);
            } else if (form == OutputForm::JsonLines) {
                std::cout << JsonRow(paths[i], check) << std::endl;
            } else if (form == OutputForm::Csv) {
                std::cout << CsvRow(paths[i], check) << "\n";
            } else {
                PrintText(paths[i], check);
            }
            progress.fileDone();
        });
    if (form == OutputForm::Json) {
        std::cout << "]\n";
    }
    std::cout.flush();
    return allSound ? ExitOk : ExitDamaged;
}

} // namespace quillon::cli
