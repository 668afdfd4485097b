#pragma once
// The PNG pictures written beside the exported BMP, and served by the server: the export crop
// with transparency, and the whole action script animated. Both draw through the model's
// side-effect-free snapshot, so the model's clock, its end-of-action reports and the buffer
// takeSnapshot filled for the BMP stay as they were.

#include "avatar/ScriptAnimation.h"

#include <cstdint>
#include <vector>

namespace likenex {

// The 96 by 96 export crop of the model's current frame on a transparent background.
[[nodiscard]] std::vector<std::uint8_t> transparentExportPng(AvatarModel& model);

// The script as an animated PNG of the animation crop, transparent, looping forever; empty
// when the script plays nothing or the file cannot be made.
[[nodiscard]] std::vector<std::uint8_t> scriptAnimationPng(ScriptAnimation& animation);

// The same for an avatar and its script: what the server calls.
[[nodiscard]] std::vector<std::uint8_t> scriptAnimationPng(const AvatarModelParts& parts, const AvatarLook& look,
                                                           int direction, std::vector<ScriptStep> script);

// The same for the avatar a model shows, with that model's catalogue, archive, sprite cache
// and scene, as it wears and faces now: what the editor's export calls with its own model,
// which it leaves untouched.
[[nodiscard]] std::vector<std::uint8_t> scriptAnimationPng(const AvatarModel& like, std::vector<ScriptStep> script);

}  // namespace likenex
