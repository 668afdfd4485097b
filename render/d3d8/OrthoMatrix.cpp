#include "render/d3d8/OrthoMatrix.h"

namespace likenex {

Matrix4 Matrix4::identity() {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

Matrix4 orthoOffCenterLh(float left, float right, float bottom, float top, float zNear, float zFar) {
    Matrix4 r;
    r.m[0][0] = 2.0f / (right - left);
    r.m[1][1] = 2.0f / (top - bottom);
    r.m[2][2] = 1.0f / (zFar - zNear);
    r.m[3][0] = (left + right) / (left - right);
    r.m[3][1] = (top + bottom) / (bottom - top);
    r.m[3][2] = zNear / (zNear - zFar);
    r.m[3][3] = 1.0f;
    return r;
}

}  // namespace likenex
