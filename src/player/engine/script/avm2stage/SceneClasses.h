#pragma once
// Scenes and frame labels as ActionScript 3 objects.

#include "player/engine/script/avm2stage/StageState.h"

namespace quillon::engine::avm2stage {

// flash.display.Scene and FrameLabel.
void InstallSceneClasses(avm2::Vm& vm);
// A Scene object for one scene of a timeline, with its FrameLabel objects.
avm2::Value NewScene(avm2::Vm& vm, const SceneInfo& scene);
// The FrameLabel objects of a scene, as an Array.
avm2::Value NewLabels(avm2::Vm& vm, const SceneInfo& scene);
// The index of the scene holding a frame (0-based on the whole timeline).
std::size_t SceneAt(const std::vector<SceneInfo>& scenes, int frame);

} // namespace quillon::engine::avm2stage
