// A/V drift in the window: plays a movie whose stream sound must stay with its timeline
// (24 frames a second, a frame length no whole number of milliseconds) for 60 s of real
// time through the player component and a real audio device, and reports the largest
// drift the player's own clock sees between the frames run and the sound played, in
// frames (target: within one). Needs an audio device; on a machine without one, a null
// sink of a sound server serves:
//
//   pulseaudio --daemonize --exit-idle-time=-1 -n --load=module-null-sink
//       --load=module-native-protocol-unix
//   build/sound-drift [SECONDS]

#include "player/ShockwaveFlash.h"
#include "support/MovieWriter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

using namespace quillon;

namespace {

constexpr int Fps = 24;
constexpr int Rate = 44100;

// A stream of a tone whose blocks hold each frame's share of the samples exactly.
testing::Bytes DriftMovie(int seconds) {
    testing::MovieWriter writer(100, 100, Fps);
    const int frames = seconds * Fps;
    writer.soundStreamHead({3, 3, true, false}, Rate / Fps);
    for (int f = 0; f < frames; ++f) {
        const std::int64_t first = std::int64_t{f} * Rate / Fps;
        const std::int64_t last = std::int64_t{f + 1} * Rate / Fps;
        testing::Bytes block;
        for (std::int64_t i = first; i < last; ++i) {
            const auto s = static_cast<std::int16_t>(4000 * std::sin(2 * M_PI * 440.0 * i / Rate));
            block.push_back(static_cast<std::uint8_t>(s & 0xff));
            block.push_back(static_cast<std::uint8_t>((s >> 8) & 0xff));
        }
        writer.soundStreamBlock(block);
        writer.showFrame();
    }
    return writer.bytes();
}

struct Figures {
    double maxDrift = 0, lastDrift = 0;
    int samples = 0;
    std::int64_t second = 0;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    test::TempDir folder;
    const std::string path = folder.file("drift.swf");
    const testing::Bytes movie = DriftMovie(seconds + 2);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(movie.data()),
               static_cast<std::streamsize>(movie.size()));
    player::TShockwaveFlash flash;
    flash.resize(100, 100);
    flash.LoadMovie(0, path);
    flash.Play();
    if (!flash.SoundPlaying()) {
        std::puts("no audio device: start a sound server (a null sink will do) and run again");
        return 2;
    }
    Figures figures;
    QElapsedTimer clock;
    clock.start();
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        // The first quarter second fills the device's buffer.
        if (clock.elapsed() > 250) {
            figures.lastDrift = flash.SoundDriftFrames();
            figures.maxDrift = std::max(figures.maxDrift, std::abs(figures.lastDrift));
            ++figures.samples;
        }
        if (clock.elapsed() / 1000 > figures.second) {
            figures.second = clock.elapsed() / 1000;
            std::printf("%3lld s: frame %d, drift %.2f frames\n",
                        static_cast<long long>(figures.second), flash.CurrentFrame(),
                        flash.SoundDriftFrames());
        }
        if (clock.elapsed() >= seconds * 1000) {
            app.quit();
        }
    });
    sampler.start(5);
    app.exec();
    std::printf("played %d s at %d fps: frame %d of %d due, %d drift samples\n", seconds, Fps,
                flash.CurrentFrame(), seconds * Fps, figures.samples);
    std::printf("max drift %.2f frames, at the end %.2f frames (target: within 1)\n",
                figures.maxDrift, figures.lastDrift);
    return figures.maxDrift <= 1.0 ? 0 : 1;
}
