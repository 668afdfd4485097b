#include "app/tests/win/TestSupport.h"

namespace likenex::testing {

std::vector<std::string>& RecordingRenderer::calls() {
    static std::vector<std::string> list;
    return list;
}
int RecordingRenderer::endFrameResult = 0;
bool RecordingRenderer::openGlStarts = true;
bool RecordingRenderer::direct3DStarts = true;
int RecordingRenderer::maxTextureSizeValue = 4096;

void RecordingRenderer::install(RenderContext& context, BackEndKind kind) {
    context.kind = kind;
    RenderOps ops;
    ops.resize = [](int w, int h) { calls().push_back("resize " + std::to_string(w) + "x" + std::to_string(h)); };
    ops.clear = [] { calls().push_back("clear"); };
    ops.beginScene = [] { calls().push_back("beginScene"); };
    ops.endFrame = [] {
        calls().push_back("endFrame");
        return endFrameResult;
    };
    ops.restoreDevice = [] { calls().push_back("restoreDevice"); };
    renderOps() = ops;
}

bool RecordingRenderer::start(HWND, BackEndKind kind, RenderContext& context) {
    calls().push_back(kind == BackEndKind::OpenGl ? "start OpenGL" : "start Direct3D8");
    if (!(kind == BackEndKind::OpenGl ? openGlStarts : direct3DStarts)) return false;
    install(context, kind);
    return true;
}

void RecordingRenderer::stop(RenderContext&) {
    calls().push_back("stop");
    renderOps() = RenderOps{};
}

void RecordingRenderer::reset() {
    calls().clear();
    endFrameResult = 0;
    openGlStarts = direct3DStarts = true;
    maxTextureSizeValue = 4096;
    renderOps() = RenderOps{};
}

int RecordingRenderer::maxTextureSize() { return maxTextureSizeValue; }

}  // namespace likenex::testing
