// batch: the folder scan, then every movie found handled as a batch run handles a
// marked row, on several threads with the same results as one.

#include "BatchLine.h"
#include "CommandLine.h"
#include "Commands.h"
#include "FileList.h"
#include "OutputForm.h"
#include "Parallel.h"
#include "Progress.h"
#include "codec/BatchRow.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/FolderSearch.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <numeric>
#include <sys/stat.h>
#include <unordered_map>

namespace quillon::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct Row {
    std::string input;
    std::string target;
};

// Rows that touch the same file (as input or output) must run in scan order, one after
// another, for the outcome to match a single-threaded run: the first of two inputs with
// the same name wins the output name. Returns the chains, each in scan order, ordered by
// their first row.
std::vector<std::vector<std::size_t>> Chains(const std::vector<Row>& rows) {
    std::vector<std::size_t> parent(rows.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto find = [&](std::size_t i) {
        while (parent[i] != i) {
            i = parent[i] = parent[parent[i]];
        }
        return i;
    };
    std::unordered_map<std::string, std::size_t> owner;
    const auto claim = [&](const std::string& path, std::size_t row) {
        std::error_code ignored;
        const std::string key = std::filesystem::weakly_canonical(path, ignored).string();
        const auto [it, fresh] = owner.try_emplace(key.empty() ? path : key, row);
        if (!fresh) {
            const std::size_t a = find(it->second), b = find(row);
            parent[std::max(a, b)] = std::min(a, b);
        }
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        claim(rows[i].input, i);
        claim(rows[i].target, i);
    }
    std::vector<std::vector<std::size_t>> chains;
    std::unordered_map<std::size_t, std::size_t> chainOf;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto [it, fresh] = chainOf.try_emplace(find(i), chains.size());
        if (fresh) {
            chains.emplace_back();
        }
        chains[it->second].push_back(i);
    }
    return chains;
}

std::string SizeText(const std::string& path) {
    const std::int64_t size = FileSizeOrMinusOne(path);
    return size < 0 ? std::string() : std::to_string(size);
}

BatchKind KindOf(const std::string& word, CompressionMethod method) {
    if (word != "compress" && word != "decompress") {
        throw UsageError{"batch needs compress or decompress, not " + word};
    }
    if (word == "decompress" && method != CompressionMethod::ZlibLevel) {
        throw UsageError{"--lzma and --best are for batch compress"};
    }
    return word == "compress" ? BatchKind::Compress : BatchKind::Decompress;
}

void RequireFolder(const std::string& path) {
    if (!IsFolder(path)) {
        throw QuillonError("Directory " + path + " does not exist.");
    }
}

std::vector<std::string> FolderMovies(const std::string& folder) {
    std::vector<std::string> found;
    SearchSwfFiles(folder, found);
    return found;
}

std::vector<Row> Rows(std::vector<std::string> inputs, const std::string& output,
                      const std::string& prefix) {
    std::vector<Row> rows;
    rows.reserve(inputs.size());
    for (auto& input : inputs) {
        std::string target = BatchOutputPath(output, prefix, input);
        rows.push_back({std::move(input), std::move(target)});
    }
    return rows;
}

} // namespace

int RunBatchCommand(const Args& args) {
    CommandLine line(args);
    const std::string output = line.option("--output", "");
    const std::string prefix = line.option("--prefix", "");
    const int jobs = line.intOption("--jobs", DefaultJobs(), 1, 256);
    int level = DefaultZlibLevel;
    const CompressionMethod method = CompressionOptions(line, level);
    const bool jsonLines = OutputFormOption(line, false) == OutputForm::JsonLines;
    const bool quiet = line.flag("--quiet");
    const ListSource listed = ListSourceOption(line);
    const int folders = listed.given() ? 0 : 1;
    const auto words = line.positionals(
        1 + folders, 1 + folders, "batch needs compress|decompress and FOLDER or --files-from");
    const BatchKind kind = KindOf(words[0], method);
    if (output.empty()) {
        throw UsageError{"batch needs --output DIR"};
    }
    if (!listed.given()) {
        RequireFolder(words[1]);
    }
    RequireFolder(output);

    const std::vector<Row> rows =
        Rows(listed.given() ? ReadListedPaths(listed) : FolderMovies(words[1]), output, prefix);

    bool anyError = false, anyDiskFull = false, anySkip = false;
    ProgressLine progress(rows.size(), quiet);
    RunInOrder<BatchRowResult>(
        Chains(rows), rows.size(), jobs,
        [&](std::size_t i) {
            return ProcessBatchRow(kind, rows[i].input, rows[i].target, method, level);
        },
        [&](std::size_t i, const BatchRowResult& result) {
            anyError |= result.status == StatusError;
            anyDiskFull |= result.status == StatusDiskFull;
            anySkip |= result.status == StatusSkip;
            if (!result.error.empty()) {
                progress.clear();
                std::cerr << "quillon-cli: " << rows[i].input << ": " << result.error << "\n";
            }
            const std::string written = result.outputWritten ? rows[i].target : std::string();
            const BatchLine out{result.status,
                                rows[i].input,
                                written,
                                SizeText(rows[i].input),
                                written.empty() ? std::string() : SizeText(written),
                                result.error};
            std::cout << (jsonLines ? BatchJsonLine(out) + "\n" : BatchTextLine(out));
            if (jsonLines) {
                std::cout.flush();
            }
            progress.fileDone();
        });
    std::cout.flush();
    return anyError      ? ExitError
           : anyDiskFull ? ExitWriteFailed
           : anySkip     ? ExitInflateFailed
                         : ExitOk;
}

} // namespace quillon::cli
