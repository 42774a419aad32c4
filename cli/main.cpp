// quillon-cli: the codec, the batch run and the movie engine for scripts and archives.

#include "Commands.h"
#include "codec/Errors.h"
#include "codec/Transforms.h"

#include <cstdio>
#include <iostream>
#include <map>

using namespace quillon::cli;

namespace {

constexpr const char* Usage = R"(usage: quillon-cli COMMAND ...
  info [--json] FILE...                 show what opening each movie shows
  compress [--level N|--best|--lzma] SOURCE TARGET
                                        write the compressed movie (zlib at level N,
                                        the smallest zlib, or LZMA)
  decompress SOURCE TARGET              write the plain movie
  estimate [--level N|--best|--lzma] SOURCE
                                        print the size the compressed movie would have
  batch compress|decompress FOLDER --output DIR [--prefix TEXT] [--jobs N]
        [--level N|--best|--lzma]       transform every movie below FOLDER
  render SOURCE (--frame N --output OUT.png | --all-frames DIR) [--size WxH] [--quality low|high]
                                        draw a frame of a movie
  run SOURCE --frames N [--seed S] [--date YYYY-MM-DD[THH:MM:SS]] [--verbose]
                                        run a movie's scripts without drawing, printing
                                        its trace() lines
  verify [--json|--csv] [--jobs N] FILE...
                                        check movies for damage (exit 5 when any is)
)";

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string, int (*)(const Args&)> commands = {
        {"info", RunInfoCommand},
        {"compress", RunCompressCommand},
        {"decompress", RunDecompressCommand},
        {"estimate", RunEstimateCommand},
        {"batch", RunBatchCommand},
        {"render", RunRenderCommand},
        {"verify", RunVerifyCommand},
        {"run", RunRunCommand},
    };
    if (argc < 2 || !commands.contains(argv[1])) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    quillon::SetDiskFullNotice([] { std::fputs("quillon-cli: Disk full!\n", stderr); });
    const Args args(argv + 2, argv + argc);
    try {
        return commands.at(argv[1])(args);
    } catch (const UsageError& error) {
        std::cerr << "quillon-cli: " << error.message << "\n" << Usage;
        return ExitUsage;
    } catch (const quillon::QuillonError& error) {
        std::cerr << "quillon-cli: " << error.what() << "\n";
        return ExitError;
    } catch (const std::exception& error) {
        std::cerr << "quillon-cli: " << error.what() << "\n";
        return ExitError;
    }
}
