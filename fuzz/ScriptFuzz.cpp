// The script interpreter on any action block: it runs as the first frame's DoAction of
// a small movie, then two more frames run.

#include "codec/Errors.h"
#include "player/engine/MovieEngine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

std::vector<std::uint8_t> MovieAround(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> movie = {'F', 'W', 'S', 8, 0, 0, 0, 0, 0x00};
    Put16(movie, 12 << 8); // 12 frames a second
    Put16(movie, 1);
    Put16(movie, (12 << 6) | 0x3f); // DoAction, long form
    Put32(movie, static_cast<std::uint32_t>(size));
    movie.insert(movie.end(), data, data + size);
    Put16(movie, 1 << 6); // ShowFrame
    Put16(movie, 0);      // End
    const auto length = static_cast<std::uint32_t>(movie.size());
    for (int i = 0; i < 4; ++i) {
        movie[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    return movie;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillon::engine::MovieEngine engine;
    quillon::engine::ScriptOptions options;
    options.stepsPerFrame = 200000; // keep each input quick
    options.trace = [](const std::string&) {};
    options.warning = [](const std::string&) {};
    engine.setScriptOptions(options);
    try {
        engine.loadBytes(MovieAround(data, size));
    } catch (const quillon::QuillonError&) {
        __builtin_trap(); // the wrapper is always a movie
    }
    engine.advance();
    engine.advance();
    return 0;
}
