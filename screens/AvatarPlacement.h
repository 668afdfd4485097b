#pragma once
// Where the avatar stands in a preview area. Its frame is larger than the area, so it is drawn
// this far up and to the left of the area's corner. The editor's preview and the picture screen
// share it, so that an avatar sits the same in both.

namespace likenex {

inline constexpr int kAvatarFromCornerX = -65, kAvatarFromCornerY = -45;

}  // namespace likenex
