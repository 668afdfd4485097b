#include "app/tests/win/TestSupport.h"

#include "render/RenderBackend.h"

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
class RecordingBackEnd final : public RenderBackend {
public:
    explicit RecordingBackEnd(BackEndKind kind) : kind_(kind) {}
    bool start(HWND__*) override { return true; }
    void resize(int w, int h) override {
        RecordingRenderer::calls().push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
    }
    void clear() override { RecordingRenderer::calls().push_back("clear"); }
    void beginScene() override { RecordingRenderer::calls().push_back("beginScene"); }
    int endFrame() override {
        RecordingRenderer::calls().push_back("endFrame");
        return RecordingRenderer::endFrameResult;
    }
    void setColour(const Colour&) override {}
    void drawLine(int, int, int, int) override {}
    void fillTriangle(int, int, int, int, int, int) override {}
    void fillRect(int, int, int, int) override {}
    long createTexture(TextureHandle*, int, int, const void*) override { return -1; }
    void releaseTexture(TextureHandle* handle) override {
        if (handle) *handle = 0;
    }
    bool isTexture(const TextureHandle*) const override { return false; }
    void drawTexture(const TextureHandle*, float, float, float, float, int, int, int, int) override {}
    void setClip(const ClipRect&) override {}
    void resetClip() override {}
    bool saveRegion(int, int, int, int, const wchar_t*) override { return false; }
    bool hasDeviceToRestore() const override { return kind_ == BackEndKind::Direct3D8; }
    void restoreDevice() override { RecordingRenderer::calls().push_back("restoreDevice"); }
    long textureErrorWhenStopped() const override { return -1; }

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
