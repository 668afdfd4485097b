#include "avatar/ExportPictures.h"

#include "render/PngFile.h"

namespace likenex {

std::vector<std::uint8_t> transparentExportPng(AvatarModel& model) {
    return encodePng(cropSnapshot(model.composeSnapshot(0), kExportCrop));
}

std::vector<std::uint8_t> scriptAnimationPng(ScriptAnimation& animation) {
    const std::vector<AnimationTiming>& timeline = animation.timeline();
    if (timeline.empty()) return {};
    AnimatedPngWriter writer(kAnimationCrop.width, kAnimationCrop.height, static_cast<std::uint32_t>(timeline.size()));
    bool written = true;
    animation.render(kAnimationCrop, ScriptAnimation::Background::Transparent,
                     [&](const RgbaPicture& frame, const AnimationTiming& timing) {
                         written = written && writer.addFrame(frame, timing.durationMs);
                     });
    if (!written) return {};
    return writer.finish();
}

std::vector<std::uint8_t> scriptAnimationPng(const AvatarModelParts& parts, const AvatarLook& look, int direction,
                                             std::vector<ScriptStep> script) {
    ScriptAnimation animation(parts, look, direction, std::move(script));
    return scriptAnimationPng(animation);
}

std::vector<std::uint8_t> scriptAnimationPng(const AvatarModel& like, std::vector<ScriptStep> script) {
    return scriptAnimationPng(like.parts(), like.look(), like.direction(), std::move(script));
}

}  // namespace likenex
