// batch: the folder scan (or a list of paths), then every movie handled as a batch run
// handles a marked row, on several threads with the same results as one.

#include "BatchLine.h"
#include "CommandLine.h"
#include "Commands.h"
#include "FileList.h"
#include "OutputForm.h"
#include "Progress.h"
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

void RequireFolder(const std::string& path) {
    if (!IsFolder(path)) {
        throw QuillonError("Directory " + path + " does not exist.");
    }
}

std::string SizeText(const std::string& path) {
    const std::int64_t size = FileSizeOrMinusOne(path);
    return size < 0 ? std::string() : std::to_string(size);
}

struct BatchRequest {
    RowTransform transform;
    ListSource listed;
    std::string folder; // empty when the paths are listed
    std::string output;
    std::string prefix;
    int jobs = 1;
    bool jsonLines = false;
    bool quiet = false;
};

BatchKind KindOf(const std::string& word, CompressionMethod method) {
    if (word != "compress" && word != "decompress") {
        throw UsageError{"batch needs compress or decompress, not " + word};
    }
    if (word == "decompress" && method != CompressionMethod::ZlibLevel) {
        throw UsageError{"--lzma and --best are for batch compress"};
    }
    return word == "compress" ? BatchKind::Compress : BatchKind::Decompress;
}

BatchRequest ParseBatchRequest(const Args& args) {
    CommandLine line(args);
    BatchRequest request;
    request.output = line.option("--output", "");
    request.prefix = line.option("--prefix", "");
    request.jobs = line.intOption("--jobs", CoreCount(), 1, 256);
    request.transform.method = CompressionOptions(line, request.transform.level);
    request.jsonLines = OutputFormOption(line, false) == OutputForm::JsonLines;
    request.quiet = line.flag("--quiet");
    request.listed = ListSourceOption(line);
    const int folders = request.listed.given() ? 0 : 1;
    const auto words = line.positionals(
        1 + folders, 1 + folders, "batch needs compress|decompress and FOLDER or --files-from");
    request.transform.kind = KindOf(words[0], request.transform.method);
    if (request.output.empty()) {
        throw UsageError{"batch needs --output DIR"};
    }
    if (!request.listed.given()) {
        request.folder = words[1];
        RequireFolder(request.folder);
    }
    RequireFolder(request.output);
    return request;
}

std::vector<BatchRowJob> Rows(const BatchRequest& request) {
    std::vector<std::string> inputs;
    if (request.listed.given()) {
        inputs = ReadListedPaths(request.listed);
    } else {
        SearchSwfFiles(request.folder, inputs);
    }
    std::vector<BatchRowJob> rows;
    rows.reserve(inputs.size());
    for (auto& input : inputs) {
        std::string target = BatchOutputPath(request.output, request.prefix, input);
        rows.push_back({std::move(input), std::move(target)});
    }
    return rows;
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

void PrintRow(const BatchRowJob& row, const BatchRowResult& result, bool jsonLines) {
    const std::string written = result.outputWritten ? row.target : std::string();
    const BatchLine out{result.status,
                        row.input,
                        written,
                        SizeText(row.input),
                        written.empty() ? std::string() : SizeText(written),
                        result.error};
    std::cout << (jsonLines ? BatchJsonLine(out) + "\n" : BatchTextLine(out));
    if (jsonLines) {
        std::cout.flush();
    }
}

} // namespace

int RunBatchCommand(const Args& args) {
    const BatchRequest request = ParseBatchRequest(args);
    const std::vector<BatchRowJob> rows = Rows(request);
    Outcome outcome;
    ProgressLine progress(rows.size(), request.quiet);
    RunBatch(rows, request.transform, request.jobs, {},
             [&](std::size_t i, const BatchRowResult& result) {
                 outcome.add(result.status);
                 if (!result.error.empty()) {
                     progress.clear();
                     std::cerr << "quillon-cli: " << rows[i].input << ": " << result.error << "\n";
                 }
                 PrintRow(rows[i], result, request.jsonLines);
                 progress.fileDone();
             });
    std::cout.flush();
    return outcome.exitStatus();
}

} // namespace quillon::cli
