#include "app/tests/win/TestSupport.h"

#include "test_support/NullBackend.h"

#include <memory>

namespace likenex::testing {

std::vector<std::string>& RecordingRenderer::calls() {
    static std::vector<std::string> list;
    return list;
}
int RecordingRenderer::endFrameResult = 0;
bool RecordingRenderer::openGlStarts = true;
bool RecordingRenderer::direct3DStarts = true;
int RecordingRenderer::maxTextureSizeValue = 4096;
std::wstring RecordingRenderer::startFailureText;

namespace {

// Draws nothing and records the frame's calls; makes no textures.
class RecordingBackEnd final : public NullBackend {
public:
    explicit RecordingBackEnd(BackEndKind kind) : kind_(kind) {}
    void resize(int w, int h) override {
        RecordingRenderer::calls().push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
    }
    void clear() override { RecordingRenderer::calls().push_back("clear"); }
    void beginScene() override { RecordingRenderer::calls().push_back("beginScene"); }
    int endFrame() override {
        RecordingRenderer::calls().push_back("endFrame");
        return RecordingRenderer::endFrameResult;
    }
    bool hasDeviceToRestore() const override { return kind_ == BackEndKind::Direct3D8; }
    void restoreDevice() override { RecordingRenderer::calls().push_back("restoreDevice"); }

private:
    BackEndKind kind_;
};

}  // namespace

void RecordingRenderer::install(RenderContext& context, BackEndKind kind) {
    context.kind = kind;
    context.backEnd = std::make_unique<RecordingBackEnd>(kind);
}

bool RecordingRenderer::start(HWND, BackEndKind kind, RenderContext& context) {
    calls().push_back(kind == BackEndKind::OpenGl ? "start OpenGL" : "start Direct3D8");
    context.kind = kind;
    context.startFailure.clear();
    if (!(kind == BackEndKind::OpenGl ? openGlStarts : direct3DStarts)) {
        context.startFailure = startFailureText;
        return false;
    }
    install(context, kind);
    return true;
}

void RecordingRenderer::stop(RenderContext& context) {
    calls().push_back("stop");
    context.backEnd.reset();
}

void RecordingRenderer::reset() {
    calls().clear();
    endFrameResult = 0;
    openGlStarts = direct3DStarts = true;
    maxTextureSizeValue = 4096;
    startFailureText.clear();
}

int RecordingRenderer::maxTextureSize(const RenderContext&) { return maxTextureSizeValue; }

}  // namespace likenex::testing
