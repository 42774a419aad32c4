// The folder search against find(1) over a generated tree; it should take at most 1.5x
// as long.
//
//   build/bench/bench_scan [FILES]      (default 100000 files)

#include "codec/FolderSearch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

double Seconds(const std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename F> double Median(F&& run) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(Seconds(start));
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    char pattern[] = "/tmp/quillon-scan-XXXXXX";
    const std::string root = ::mkdtemp(pattern);
    // 100 folders of 10 subfolders each, every fourth file a movie.
    for (int i = 0; i < files; ++i) {
        const std::string folder =
            root + "/d" + std::to_string(i % 100) + "/s" + std::to_string(i % 1000 / 100);
        std::filesystem::create_directories(folder);
        const std::string name = folder + "/f" + std::to_string(i) + (i % 4 ? ".dat" : ".swf");
        std::fclose(std::fopen(name.c_str(), "w"));
    }
    std::size_t found = 0;
    const double search = Median([&] {
        std::vector<std::string> paths;
        quillon::SearchSwfFiles(root, paths);
        found = paths.size();
    });
    const std::string command = "find " + root + " -name '*.swf' > /dev/null";
    const double find = Median([&] { (void)std::system(command.c_str()); });
    std::printf("files %d, movies found %zu\nSearchSwfFiles %.3f s, find %.3f s, ratio %.2f\n",
                files, found, search, find, search / find);
    std::filesystem::remove_all(root);
    return 0;
}
