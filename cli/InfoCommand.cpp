// info: what opening a movie shows, for one or more files.

#include "CommandLine.h"
#include "Commands.h"
#include "FileList.h"
#include "Json.h"
#include "OutputForm.h"
#include "Progress.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/MovieInfo.h"
#include "codec/Transforms.h"

#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace quillon::cli {

namespace {

struct FileInfo {
    std::string path;
    std::string signature;
    MovieInspection inspection;
};

// In memory only: inspecting writes nothing, so a full disk cannot spoil it.
FileInfo Inspect(const std::string& path) {
    const std::int64_t size = FileSizeOrMinusOne(path);
    if (size == 0) {
        throw EEmptyFileError(path);
    }
    FileInfo info{path, "", InspectMovie(path)};
    std::ifstream file(path, std::ios::binary);
    info.signature.resize(3);
    file.read(info.signature.data(), 3);
    return info;
}

void PrintText(const FileInfo& info) {
    const MovieInspection& m = info.inspection;
    std::cout << info.path << "\n"
              << "Compression status: " << m.compressionStatus << "\n"
              << "Flash version: " << m.version << "\n"
              << "File status: " << m.fileStatus << "\n"
              << "File length: " << m.fileLength << "\n"
              << "Frame rate: " << m.frameRate << "\n";
}

std::string ToJson(const FileInfo& info) {
    const MovieInspection& m = info.inspection;
    const auto& r = m.fields.frameRect;
    std::ostringstream out;
    out << "{\"path\": " << JsonString(info.path)
        << ", \"compressionStatus\": " << JsonString(m.compressionStatus)
        << ", \"version\": " << JsonString(m.version)
        << ", \"fileStatus\": " << JsonString(m.fileStatus)
        << ", \"fileLength\": " << JsonString(m.fileLength)
        << ", \"frameRate\": " << JsonString(m.frameRate)
        << ", \"signature\": " << JsonString(info.signature)
        << ", \"declaredLength\": " << m.fields.declaredLength << ", \"fileSize\": " << m.fileSize
        << ", \"frameRect\": [" << r[0] << ", " << r[1] << ", " << r[2] << ", " << r[3]
        << "]"
        // An 8.8 value has at most 11 significant digits, all of them exact in a double.
        << ", \"frameRateExact\": " << std::setprecision(12) << m.fields.frameRate8_8 / 256.0
        << ", \"frameCount\": " << m.fields.frameCount << "}";
    return out.str();
}

// One movie's report in the form asked for; the JSON array is written at the end.
void Report(const FileInfo& info, OutputForm form, std::vector<std::string>& objects, bool first) {
    if (form == OutputForm::Json) {
        objects.push_back(ToJson(info));
    } else if (form == OutputForm::JsonLines) {
        std::cout << ToJson(info) << std::endl;
    } else {
        if (!first) {
            std::cout << "\n";
        }
        PrintText(info);
    }
}

} // namespace

int RunInfoCommand(const Args& args) {
    CommandLine line(args);
    const OutputForm form = OutputFormOption(line, false);
    const bool quiet = line.flag("--quiet");
    const auto paths = InputPaths(line, "info needs at least one FILE");
    int status = ExitOk;
    std::vector<std::string> objects;
    ProgressLine progress(paths.size(), quiet);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        try {
            Report(Inspect(path), form, objects, i == 0);
        } catch (const QuillonError& error) {
            progress.clear();
            std::cerr << "quillon-cli: " << path << ": " << error.what() << "\n";
            if (form == OutputForm::JsonLines) {
                std::cout << JsonErrorLine(path, error.what()) << std::endl;
            }
            status = ExitError;
        }
        progress.fileDone();
    }
    if (form == OutputForm::Json) {
        std::cout << "[";
        for (std::size_t i = 0; i < objects.size(); ++i) {
            std::cout << (i ? ",\n " : "") << objects[i];
        }
        std::cout << "]\n";
    }
    // What was asked for is the output itself: a redirect to a full disk is a failure.
    if (!std::cout.flush()) {
        std::cerr << "quillon-cli: cannot write the output: " << DiskFullText << "\n";
        return ExitWriteFailed;
    }
    return status;
}

} // namespace quillon::cli
