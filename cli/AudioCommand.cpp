// quillon-cli audio: the mixed sound of a movie's frames as a WAV file, on the same
// virtual clock as render (frame n lasts exactly its share of the frame rate).

#include "CommandLine.h"
#include "Commands.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "player/engine/MovieEngine.h"
#include "player/engine/sound/WavFile.h"

#include <iostream>

namespace quillon::cli {

namespace {

// Longer exports are refused: an hour of 44.1 kHz stereo is 635 MB.
constexpr double MaxSeconds = 3600;
constexpr int MaxFrames = 1000000;

constexpr const char* AudioUsage = "audio SOURCE OUT.wav [--frames N]";

} // namespace

int RunAudioCommand(const Args& args) {
    CommandLine line(args);
    const int asked = line.intOption("--frames", 0, 1, MaxFrames);
    const auto words = line.positionals(2, 2, AudioUsage);
    engine::MovieEngine movie;
    movie.load(words[0]);
    const int frames = asked > 0 ? asked : movie.frameCount();
    const double rate = movie.frameRate8_8() > 0 ? movie.frameRate8_8() / 256.0 : 12.0;
    if (frames / rate > MaxSeconds) {
        throw UsageError{"audio: at most an hour of sound is written"};
    }
    engine::Pcm mixed;
    for (int n = 0; n < frames; ++n) {
        if (n > 0) {
            movie.advance();
        }
        movie.renderSound(mixed.samples);
    }
    if (!WriteFileReplacing(words[1], engine::EncodeWav(mixed))) {
        throw EWriteError();
    }
    for (const std::string& warning : movie.warnings()) {
        std::cerr << "quillon-cli: " << words[0] << ": " << warning << "\n";
    }
    return ExitOk;
}

} // namespace quillon::cli
