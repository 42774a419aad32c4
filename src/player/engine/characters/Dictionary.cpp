#include "player/engine/characters/Characters.h"

#include <algorithm>
#include <cctype>

namespace quillon::engine {

void Dictionary::define(std::uint16_t id, std::shared_ptr<Character> character) {
    if (dynamic_cast<const FontCharacter*>(character.get())) {
        fonts_.emplace_back(epoch_ + 1, id);
    }
    entries_[id].emplace_back(++epoch_, std::move(character));
}

const FontCharacter* Dictionary::findFont(const std::string& name, bool bold, bool italic,
                                          std::uint32_t epoch) const {
    if (name.empty()) {
        return nullptr; // unnamed fonts are only ever used by id
    }
    const auto sameName = [&](const std::string& other) {
        return std::equal(
            name.begin(), name.end(), other.begin(), other.end(),
            [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
    };
    const FontCharacter* best = nullptr;
    int bestScore = -1;
    for (const auto& [when, id] : fonts_) {
        if (when > epoch) {
            break;
        }
        // only the definition of the id in force then counts
        const auto font = std::dynamic_pointer_cast<const FontCharacter>(find(id, epoch));
        if (!font || !sameName(font->name)) {
            continue;
        }
        const int score =
            (font->bold == bold) * 4 + (font->italic == italic) * 2 + !font->glyphs.empty();
        if (score > bestScore) {
            best = font.get();
            bestScore = score;
        }
    }
    return best;
}

std::shared_ptr<Character> Dictionary::find(std::uint16_t id, std::uint32_t epoch) const {
    const auto it = entries_.find(id);
    if (it == entries_.end()) {
        return nullptr;
    }
    std::shared_ptr<Character> found;
    for (const auto& [when, character] : it->second) {
        if (when > epoch) {
            break;
        }
        found = character;
    }
    // A character placed before its definition (seen in real files) takes the first one.
    return found ? found : it->second.front().second;
}

int FontCharacter::glyphFor(std::uint16_t code) const {
    const auto it = std::find(codes.begin(), codes.end(), code);
    return it == codes.end() ? -1 : static_cast<int>(it - codes.begin());
}

int Timeline::frameOfLabel(const std::string& label) const {
    const auto same = [&](const std::string& other) {
        return std::equal(label.begin(), label.end(), other.begin(), other.end(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i].label.empty() && same(frames[i].label)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<std::uint16_t> Dictionary::fontIds() const {
    std::vector<std::uint16_t> ids;
    for (const auto& [when, id] : fonts_) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
            ids.push_back(id);
        }
    }
    return ids;
}

FontSource FontsOf(const Dictionary& dictionary, std::uint32_t epoch) {
    return {[&dictionary, epoch](std::uint16_t id) -> const FontCharacter* {
                return dictionary.findAs<FontCharacter>(id, epoch).get();
            },
            [&dictionary, epoch](const std::string& name, bool bold, bool italic) {
                return dictionary.findFont(name, bold, italic, epoch);
            }};
}

} // namespace quillon::engine
