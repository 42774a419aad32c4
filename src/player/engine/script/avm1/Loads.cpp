// loadVariables and LoadVars: files read through the movie's reader, never the network.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

// Loads waiting at once; more are refused, so a script cannot queue without end.
constexpr std::size_t MaxPendingLoads = 256;

} // namespace

void DecodeVariables(Vm& vm, const Value& into, const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string pair = text.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (!pair.empty()) {
            const std::string name = UnescapeText(pair.substr(0, equals));
            const std::string value =
                equals == std::string::npos ? std::string() : UnescapeText(pair.substr(equals + 1));
            vm.set(into, name, vm.makeString(value));
        }
        start = end + 1;
    }
}

void Vm::queueLoad(Value into, std::string url, Load kind) {
    if (loads_.size() >= MaxPendingLoads) {
        warn("too many loads waiting; " + url + " is not loaded");
        return;
    }
    loads_.push_back(PendingLoad{std::move(into), std::move(url), kind});
}

void Vm::finishLoads() {
    std::vector<PendingLoad> loads;
    loads.swap(loads_);
    for (const PendingLoad& load : loads) {
        if (load.kind == Load::Movie) {
            const ClipId clip = clipOf(load.into);
            if (clip && !host_.loadMovie(clip, load.url)) {
                warn("not loaded (only movies beside the movie load): " + load.url);
            }
            continue;
        }
        std::optional<std::string> text = readFile ? readFile(load.url) : std::nullopt;
        if (!text) {
            warn("not loaded (only files beside the movie load): " + load.url);
        }
        runGuarded([&] {
            if (load.kind == Load::LoadVars) {
                const Value arg = text ? makeString(std::move(*text)) : Value();
                callMethodSafely(load.into, "onData", std::span<const Value>(&arg, 1));
            } else if (text) {
                DecodeVariables(*this, load.into, *text);
                callMethodSafely(load.into, "onData", {});
            }
        });
    }
}

} // namespace quillon::engine::avm1
