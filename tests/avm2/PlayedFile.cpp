#include "PlayedFile.h"

namespace quillon::test {

void PlayedFile::start(const std::string& path, int frames) {
    engine::ScriptOptions options;
    options.trace = [this](const std::string& line) { traces.push_back(line); };
    options.warning = [this](const std::string& line) { warnings.push_back(line); };
    movie.setScriptOptions(std::move(options));
    movie.load(path);
    for (int i = 1; i < frames; ++i) {
        movie.advance();
    }
}

} // namespace quillon::test
