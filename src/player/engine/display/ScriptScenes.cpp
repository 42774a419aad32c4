// Scenes and frame labels of a clip's timeline, as ActionScript 3 lists them.

#include "player/engine/display/ScriptStage.h"

namespace quillon::engine {

std::vector<SceneInfo> ScriptStage::scenes(ClipId clip) {
    const auto c = clipOf(clip);
    if (!c || !c->timeline) {
        return {};
    }
    const Timeline& timeline = *c->timeline;
    const int total = static_cast<int>(timeline.frames.size());
    std::vector<SceneInfo> out;
    for (const SceneStart& start : timeline.scenes) {
        if (start.frame < total && (out.empty() || start.frame >= out.back().offset)) {
            out.push_back(SceneInfo{start.name, start.frame, 0, {}});
        }
    }
    if (out.empty() || out.front().offset > 0) {
        out.insert(out.begin(), SceneInfo{"Scene 1", 0, 0, {}});
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int end = i + 1 < out.size() ? out[i + 1].offset : total;
        out[i].frames = std::max(0, end - out[i].offset);
        if (timeline.sceneLabels) {
            for (const SceneStart& label : *timeline.sceneLabels) {
                if (label.frame >= out[i].offset && label.frame < end) {
                    out[i].labels.push_back(FrameLabelInfo{label.name, label.frame});
                }
            }
            continue;
        }
        for (int f = out[i].offset; f < end; ++f) {
            const std::string& label = timeline.frames[static_cast<std::size_t>(f)].label;
            if (!label.empty()) {
                out[i].labels.push_back(FrameLabelInfo{label, f});
            }
        }
    }
    return out;
}

} // namespace quillon::engine
