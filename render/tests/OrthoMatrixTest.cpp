#include "render/d3d8/OrthoMatrix.h"

#include <gtest/gtest.h>

namespace likenex {
namespace {

struct Point {
    float x, y, z;
};

// Row vector times matrix, as Direct3D transforms vertices; w stays 1 for these matrices.
Point transform(const Matrix4& m, float x, float y, float z) {
    const float in[4] = {x, y, z, 1.0f};
    float out[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) out[c] += in[r] * m.m[r][c];
    EXPECT_FLOAT_EQ(out[3], 1.0f);
    return {out[0], out[1], out[2]};
}

TEST(OrthoMatrix, MatchesTheDocumentedEntriesForTheWindow) {
    // Documented: 2/(r-l), 2/(t-b), 1/(zf-zn) on the diagonal; fourth row
    // (l+r)/(l-r), (t+b)/(b-t), zn/(zn-zf), 1; every other entry 0.
    const Matrix4 m = orthoOffCenterLh(0, 654, 537, 0, 0, 1);
    const float expected[4][4] = {{2.0f / 654, 0, 0, 0}, {0, -2.0f / 537, 0, 0}, {0, 0, 1, 0}, {-1, 1, 0, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(m.m[r][c], expected[r][c]) << r << "," << c;
}

TEST(OrthoMatrix, MapsTheCornersOfAnOffCentreClipToTheUnitSquare) {
    // A clip rectangle (10, 20)-(110, 70), z 2..6: top left to (-1, 1), bottom right to (1, -1).
    const Matrix4 m = orthoOffCenterLh(10, 110, 70, 20, 2, 6);
    const Point topLeft = transform(m, 10, 20, 2);
    EXPECT_FLOAT_EQ(topLeft.x, -1);
    EXPECT_FLOAT_EQ(topLeft.y, 1);
    EXPECT_FLOAT_EQ(topLeft.z, 0);
    const Point bottomRight = transform(m, 110, 70, 6);
    EXPECT_FLOAT_EQ(bottomRight.x, 1);
    EXPECT_FLOAT_EQ(bottomRight.y, -1);
    EXPECT_FLOAT_EQ(bottomRight.z, 1);
    const Point centre = transform(m, 60, 45, 4);
    EXPECT_NEAR(centre.x, 0, 1e-6);
    EXPECT_NEAR(centre.y, 0, 1e-6);
    EXPECT_FLOAT_EQ(centre.z, 0.5f);
}

}  // namespace
}  // namespace likenex
