// _root and _levelN: which top clip a name means, seen from a clip.

#include "player/engine/script/avm1/Frame.h"

#include <charconv>

namespace quillon::engine::avm1 {

namespace {

constexpr int MaxWalk = 4096;

} // namespace

int LevelNumber(std::string_view name) {
    if (name.size() <= 6 || !EqualsIgnoringCase(name.substr(0, 6), "_level")) {
        return -1;
    }
    int number = -1;
    const char* end = name.data() + name.size();
    // the player reads the number's digits and ignores what follows them, unless a path
    // goes on from the level
    const auto [at, error] = std::from_chars(name.data() + 6, end, number);
    const bool path = std::string_view(at, end).find_first_of("./:") != std::string_view::npos;
    return error == std::errc() && number >= 0 && !path ? number : -1;
}

Value Vm::levelValue(int number) {
    const ClipId clip = number >= 0 ? host_.level(number) : 0;
    return clip ? Value(clipObject(clip)) : Value();
}

// The top clip of the clip's level, unless a clip on the way up holds a loaded movie and
// has _lockroot set: then that clip.
ClipId Vm::rootOf(ClipId clip) {
    ClipId at = clip;
    for (int walk = 0; at && walk < MaxWalk; ++walk) {
        if (const auto it = clips_.find(at); it != clips_.end()) {
            const Property* lock = it->second->find("_lockroot");
            if (lock && toBool(lock->value) && host_.movieRoot(at) == at) {
                return at;
            }
        }
        const ClipId parent = host_.parent(at);
        if (!parent) {
            // code of a removed clip still finds the root it was under
            return host_.exists(at) ? at : host_.root();
        }
        at = parent;
    }
    return host_.root();
}

std::string Vm::targetPath(ClipId clip, bool slashes) {
    if (!host_.exists(clip)) {
        return ""; // a removed clip is on no path
    }
    std::vector<std::string> names;
    ClipId at = clip;
    for (int walk = 0; at && walk < MaxWalk; ++walk) {
        const ClipId parent = host_.parent(at);
        if (!parent) {
            break;
        }
        names.push_back(host_.name(at));
        at = parent;
    }
    const int level = std::max(0, host_.levelOf(clip));
    std::string out = slashes && level == 0 ? "" : "_level" + std::to_string(level);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        out += slashes ? "/" : ".";
        out += *it;
    }
    return slashes && out.empty() ? "/" : out;
}

} // namespace quillon::engine::avm1
