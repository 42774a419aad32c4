// quillon-cli-engine: every quillon-cli command, the ones that draw or play included.
// quillon-cli hands it the commands it does not run itself, with the same words.

#include "Commands.h"
#include "Run.h"

#include <cstdio>
#include <map>

using namespace quillon::cli;

namespace {

constexpr const char* Usage = R"(usage: quillon-cli COMMAND ...
  info [--json|--jsonl] [--quiet] FILE...|--files-from LIST [--null]
                                        show what opening each movie shows
  compress [--level N|--best|--lzma] SOURCE TARGET
                                        write the compressed movie (zlib at level N,
                                        the smallest zlib, or LZMA)
  decompress SOURCE TARGET              write the plain movie
  estimate [--level N|--best|--lzma] SOURCE
                                        print the size the compressed movie would have
  batch compress|decompress FOLDER|--files-from LIST [--null] --output DIR
        [--prefix TEXT] [--jobs N] [--level N|--best|--lzma] [--jsonl] [--quiet]
                                        transform every movie below FOLDER (or listed)
  render SOURCE (--frame N --output OUT.png | --all-frames DIR) [--size WxH] [--quality low|high]
                [--key FRAME:KEY]...    draw a frame of a movie
  run SOURCE --frames N [--seed S] [--date YYYY-MM-DD[THH:MM:SS]] [--verbose]
             [--key FRAME:KEY]...       run a movie's scripts without drawing, printing
                                        its trace() lines; --key presses KEY (tab,
                                        shift+tab, enter, space, a letter or a code)
                                        once frame FRAME has run
  verify [--json|--jsonl|--csv] [--jobs N] [--quiet] FILE...|--files-from LIST [--null]
                                        check movies for damage (exit 5 when any is)
  audio SOURCE OUT.wav [--frames N]     write the mixed sound of N frames as a WAV file
  sounds SOURCE [--json] [--extract DIR]
                                        list the sounds of a movie, or write each to DIR
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
        {"audio", RunAudioCommand},
        {"sounds", RunSoundsCommand},
        {"run", RunRunCommand},
    };
    if (argc < 2 || !commands.contains(argv[1])) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    return RunCommand(commands.at(argv[1]), Args(argv + 2, argv + argc), Usage);
}
