// info: what opening a movie shows, for one or more files.

#include "CommandLine.h"
#include "Commands.h"
#include "Json.h"
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

} // namespace

int RunInfoCommand(const Args& args) {
    CommandLine line(args);
    const bool json = line.flag("--json");
    const auto paths = line.positionals(1, -1, "info needs at least one FILE");
    int status = ExitOk;
    std::vector<std::string> objects;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        try {
            const FileInfo info = Inspect(paths[i]);
            if (json) {
                objects.push_back(ToJson(info));
            } else {
                if (i > 0) {
                    std::cout << "\n";
                }
                PrintText(info);
            }
        } catch (const QuillonError& error) {
            std::cerr << "quillon-cli: " << paths[i] << ": " << error.what() << "\n";
            status = ExitError;
        }
    }
    if (json) {
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
