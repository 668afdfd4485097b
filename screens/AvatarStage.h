#pragma once
// A screen that shows the avatar in a preview area of its own. The application draws the
// avatar at the preview position only while no open screen shows it, so that it is never drawn
// twice and never missing.

#include "ui/WindowStack.h"

#include <algorithm>

namespace likenex {

class AvatarStage {
public:
    virtual ~AvatarStage() = default;
    // True while the screen draws the avatar itself.
    [[nodiscard]] virtual bool showsAvatar() const = 0;
};

// True when one of the stack's open windows shows the avatar itself.
[[nodiscard]] inline bool avatarShownByScreen(const ui::WindowStack& stack) {
    return std::any_of(stack.windows().begin(), stack.windows().end(), [](const auto& window) {
        const auto* stage = dynamic_cast<const AvatarStage*>(window.get());
        return stage && stage->showsAvatar();
    });
}

}  // namespace likenex
