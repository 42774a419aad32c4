#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

void ParseContext::warn(const std::string& text) {
    constexpr std::size_t MaxWarnings = 100;
    if (warnings.size() < MaxWarnings && warned.insert(text).second) {
        warnings.push_back(text);
    }
}

} // namespace quillon::engine
