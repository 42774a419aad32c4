// batch: the folder scan, then every movie found handled as a batch run handles a
// marked row, on several threads with the same results as one.

#include "CommandLine.h"
#include "Commands.h"
#include "batch/BatchRun.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/FolderSearch.h"

#include <iostream>
#include <sys/stat.h>

namespace quillon::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string SizeText(const std::string& path) {
    const std::int64_t size = FileSizeOrMinusOne(path);
    return size < 0 ? std::string() : std::to_string(size);
}

struct BatchRequest {
    RowTransform transform;
    std::string folder;
    std::string output;
    std::string prefix;
    int jobs = 1;
};

BatchRequest ParseBatchRequest(const Args& args) {
    CommandLine line(args);
    BatchRequest request;
    request.output = line.option("--output", "");
    request.prefix = line.option("--prefix", "");
    request.jobs = line.intOption("--jobs", CoreCount(), 1, 256);
    request.transform.method = CompressionOptions(line, request.transform.level);
    const auto words = line.positionals(2, 2, "batch needs compress|decompress and FOLDER");
    if (words[0] != "compress" && words[0] != "decompress") {
        throw UsageError{"batch needs compress or decompress, not " + words[0]};
    }
    if (request.output.empty()) {
        throw UsageError{"batch needs --output DIR"};
    }
    request.transform.kind = words[0] == "compress" ? BatchKind::Compress : BatchKind::Decompress;
    if (request.transform.kind == BatchKind::Decompress &&
        request.transform.method != CompressionMethod::ZlibLevel) {
        throw UsageError{"--lzma and --best are for batch compress"};
    }
    request.folder = words[1];
    for (const std::string* folder : {&request.folder, &request.output}) {
        if (!IsFolder(*folder)) {
            throw QuillonError("Directory " + *folder + " does not exist.");
        }
    }
    return request;
}

// The exit status of a run: the worst of its rows.
struct Outcome {
    bool anyError = false, anyDiskFull = false, anySkip = false;
    void add(const std::string& status) {
        anyError |= status == StatusError;
        anyDiskFull |= status == StatusDiskFull;
        anySkip |= status == StatusSkip;
    }
    int exitStatus() const {
        return anyError      ? ExitError
               : anyDiskFull ? ExitWriteFailed
               : anySkip     ? ExitInflateFailed
                             : ExitOk;
    }
};

void PrintRow(const BatchRowJob& row, const BatchRowResult& result) {
    if (!result.error.empty()) {
        std::cerr << "quillon-cli: " << row.input << ": " << result.error << "\n";
    }
    const std::string written = result.outputWritten ? row.target : std::string();
    std::cout << result.status << '\t' << row.input << '\t' << written << '\t'
              << SizeText(row.input) << '\t'
              << (written.empty() ? std::string() : SizeText(written)) << '\n';
}

} // namespace

int RunBatchCommand(const Args& args) {
    const BatchRequest request = ParseBatchRequest(args);
    std::vector<std::string> found;
    SearchSwfFiles(request.folder, found);
    std::vector<BatchRowJob> rows;
    rows.reserve(found.size());
    for (auto& input : found) {
        std::string target = BatchOutputPath(request.output, request.prefix, input);
        rows.push_back({std::move(input), std::move(target)});
    }
    Outcome outcome;
    RunBatch(rows, request.transform, request.jobs, {},
             [&](std::size_t i, const BatchRowResult& result) {
                 outcome.add(result.status);
                 PrintRow(rows[i], result);
             });
    std::cout.flush();
    return outcome.exitStatus();
}

} // namespace quillon::cli
