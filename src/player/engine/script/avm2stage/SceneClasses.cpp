// Scenes and frame labels for ActionScript 3: flash.display.Scene and FrameLabel, and the
// MovieClip properties that list them. Frame numbers a script sees count from 1 within
// the scene.

#include "player/engine/script/avm2stage/SceneClasses.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr char NameKey[] = "$name";
constexpr char FrameKey[] = "$frame";
constexpr char LabelsKey[] = "$labels";
constexpr char FramesKey[] = "$numFrames";

// new FrameLabel(name, frame) and new Scene(name, labels, numFrames).
Value LabelInit(Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, NameKey, Value::string(ToString(vm, Arg(args, 0))));
    KeepHidden(vm, self, FrameKey, Value::integer(ToInt32(vm, Arg(args, 1))));
    return Value();
}
Value SceneInit(Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, NameKey, Value::string(ToString(vm, Arg(args, 0))));
    KeepHidden(vm, self, LabelsKey, Arg(args, 1));
    KeepHidden(vm, self, FramesKey, Value::integer(ToInt32(vm, Arg(args, 2))));
    return Value();
}

} // namespace

Value NewLabels(Vm& vm, const SceneInfo& scene) {
    ClassObject* cls = BuiltinClass(vm, "flash.display", "FrameLabel");
    std::vector<Value> labels;
    for (const FrameLabelInfo& label : scene.labels) {
        const Value args[] = {Value::string(label.name),
                              Value::integer(label.frame - scene.offset + 1)};
        labels.push_back(ConstructClass(vm, cls, args));
    }
    return Value::object(vm.newArray(std::move(labels)));
}

Value NewScene(Vm& vm, const SceneInfo& scene) {
    const Value args[] = {Value::string(scene.name), NewLabels(vm, scene),
                          Value::integer(scene.frames)};
    return ConstructClass(vm, BuiltinClass(vm, "flash.display", "Scene"), args);
}

std::size_t SceneAt(const std::vector<SceneInfo>& scenes, int frame) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        if (scenes[i].offset <= frame) {
            at = i;
        }
    }
    return at;
}

void InstallSceneClasses(Vm& vm) {
    NativeClass(vm, "FrameLabel", vm.core.object, "flash.display")
        .init(LabelInit)
        .getters({{"name", GetHidden<NameKey>}, {"frame", GetHidden<FrameKey>}});
    NativeClass(vm, "Scene", vm.core.object, "flash.display")
        .init(SceneInit)
        .getters({{"name", GetHidden<NameKey>},
                  {"labels", GetHidden<LabelsKey>},
                  {"numFrames", GetHidden<FramesKey>}});
}

} // namespace quillon::engine::avm2stage
