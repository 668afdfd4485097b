#pragma once
// The left-handed off-centre orthographic projection the Direct3D 8 back end uses, laid out
// like a Direct3D matrix: row-major, row vectors, translation in the fourth row.

#include <array>

namespace likenex {

struct Matrix4 {
    std::array<std::array<float, 4>, 4> m{};

    [[nodiscard]] static Matrix4 identity();
};

// Maps x in [left, right] to [-1, 1], y in [bottom, top] to [-1, 1] and z in [zNear, zFar]
// to [0, 1]. The caller keeps the ranges non-empty.
[[nodiscard]] Matrix4 orthoOffCenterLh(float left, float right, float bottom, float top, float zNear, float zFar);

}  // namespace likenex
