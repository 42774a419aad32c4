// The file transforms on any source file: both decompress forms and compress, each into
// a target that already holds something.

#include "codec/Errors.h"
#include "codec/Transforms.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string Folder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/quillon-fuzz-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source = Folder() + "/source.swf";
    const std::string target = Folder() + "/target.swf";
    std::ofstream(source, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::ofstream(target, std::ios::binary | std::ios::trunc) << "old";
    try {
        bool failed = false;
        quillon::DecompressSwfFile(source, target, failed);
        quillon::DecompressSwfFile(source, target);
    } catch (const quillon::QuillonError&) {
    }
    try {
        quillon::CompressSwfFile(source, target, 1);
    } catch (const quillon::QuillonError&) {
    }
    return 0;
}
