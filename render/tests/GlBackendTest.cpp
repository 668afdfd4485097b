// What only the OpenGL back end has: its WGL set-up, state and scissor box.

#include "render/GlBackend.h"
#include "render/tests/WinTestSupport.h"

#include <GL/gl.h>

namespace likenex::test {
namespace {

class GlBackendTest : public ::testing::Test, public RendererFixture {
protected:
    void SetUp() override { startBackEnd(BackEndKind::OpenGl); }
    void TearDown() override { stopBackEnd(); }
};

TEST_F(GlBackendTest, StartsDoubleBufferedWithTheWindowsProjection) {
    EXPECT_EQ(context.kind, BackEndKind::OpenGl);
    EXPECT_EQ(context.backEnd, GlBackend::installed());
    EXPECT_EQ(renderOps().restoreDevice, nullptr);

    WindowDc dc(window.get());
    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_NE(DescribePixelFormat(dc.get(), GetPixelFormat(dc.get()), sizeof pfd, &pfd), 0);
    EXPECT_EQ(pfd.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER),
              static_cast<DWORD>(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER));
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);

    // glOrtho(0, 654, 537, 0, -100, 100), column-major.
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f / 654);
    EXPECT_FLOAT_EQ(m[5], -2.0f / 537);
    EXPECT_FLOAT_EQ(m[10], -2.0f / 200);
    EXPECT_FLOAT_EQ(m[12], -1.0f);
    EXPECT_FLOAT_EQ(m[13], 1.0f);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWindowWidth);
    EXPECT_EQ(viewport[3], kWindowHeight);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    EXPECT_FLOAT_EQ(clearColour[3], 0.5f);
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(GlBackendTest, ClipSetsTheScissorBoxCountedFromTheBottom) {
    renderOps().setClip(ClipRect{10, 20, 110, 70});
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 10);
    EXPECT_EQ(box[1], 467);
    EXPECT_EQ(box[2], 100);
    EXPECT_EQ(box[3], 50);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    renderOps().resetClip();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

    // An inverted rectangle becomes an empty box rather than a refused call.
    renderOps().setClip(ClipRect{50, 50, 40, 40});
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[2], 0);
    EXPECT_EQ(box[3], 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlBackendTest, SavedRegionMatchesWhatGlReadsBack) {
    beginFrame();
    renderOps().setColour(Colour::fromInts(0x20, 0x90, 0xC0, 255));
    renderOps().fillRect(100, 50, 140, 60);
    std::vector<std::uint8_t> direct(40 * 20 * 4);
    // Client rows (45..65) counted from the bottom: 537 - 65 = 472.
    glReadPixels(95, 472, 40, 20, GL_BGRA_EXT, GL_UNSIGNED_BYTE, direct.data());
    const auto picture = captureRegion(95, 45, 40, 20);
    ASSERT_TRUE(picture);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const std::uint8_t* p = &direct[static_cast<std::size_t>(((19 - y) * 40 + x) * 4)];
            const std::uint32_t rgb = static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
            ASSERT_EQ(picture->at(x, y), 0xFF000000u | rgb) << x << "," << y;  // alpha forced opaque
        }
    EXPECT_EQ(picture->at(10, 10), 0xFF2090C0u);
    endFrame();
}

TEST_F(GlBackendTest, TexturesFilterToTheNearestTexel) {
    const std::uint8_t pixels[4] = {1, 2, 3, 4};
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 1, 1, pixels), 0);
    EXPECT_TRUE(glIsTexture(handle));
    GLint minFilter = 0, magFilter = 0;
    glBindTexture(GL_TEXTURE_2D, handle);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(magFilter, GL_NEAREST);
    renderOps().releaseTexture(&handle);
    EXPECT_FALSE(glIsTexture(1));
}

TEST_F(GlBackendTest, MaxTextureSizeIsKnownOnlyWhileRunning) {
    EXPECT_GE(openGlMaxTextureSize(), 2048);
    stopRenderer(context);
    EXPECT_EQ(openGlMaxTextureSize(), 0);
}

TEST_F(GlBackendTest, ResizeMovesTheProjectionAndIgnoresAnEmptyWindow) {
    renderOps().resize(320, 200);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f / 320);
    EXPECT_FLOAT_EQ(m[5], -2.0f / 200);
    renderOps().resize(0, 0);  // minimised
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f / 320);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Start-up failures, in a window of their own.
class GlStartFailure : public ::testing::Test {
protected:
    void SetUp() override {
        setMessageBoxHook([this](const ShownMessage& m) {
            shown.push_back(m);
            return IDOK;
        });
    }
    void TearDown() override {
        setMessageBoxHook({});
        renderOps() = RenderOps{};
    }
    std::vector<ShownMessage> shown;
};

void sentinelResize(int, int) {}

TEST_F(GlStartFailure, AWindowWithAnotherPixelFormatIsRefusedWithAMessage) {
    UniqueWindow window = createTestWindow();
    ASSERT_TRUE(window);
    {
        // Give the window some format other than the one the back end will choose.
        WindowDc dc(window.get());
        PIXELFORMATDESCRIPTOR wanted{};
        wanted.nSize = sizeof wanted;
        wanted.nVersion = 1;
        wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        wanted.iPixelType = PFD_TYPE_RGBA;
        wanted.cColorBits = 16;
        wanted.cDepthBits = 16;
        const int chosen = ChoosePixelFormat(dc.get(), &wanted);
        ASSERT_NE(chosen, 0);
        const int count = DescribePixelFormat(dc.get(), 1, 0, nullptr);
        int other = 0;
        for (int i = 1; i <= count && !other; ++i) {
            PIXELFORMATDESCRIPTOR pfd{};
            DescribePixelFormat(dc.get(), i, sizeof pfd, &pfd);
            if (i != chosen && (pfd.dwFlags & PFD_SUPPORT_OPENGL) && (pfd.dwFlags & PFD_DRAW_TO_WINDOW)) other = i;
        }
        ASSERT_NE(other, 0);
        PIXELFORMATDESCRIPTOR pfd{};
        DescribePixelFormat(dc.get(), other, sizeof pfd, &pfd);
        ASSERT_TRUE(SetPixelFormat(dc.get(), other, &pfd));
    }

    renderOps().resize = sentinelResize;
    RenderContext context;
    context.kind = BackEndKind::Direct3D8;
    EXPECT_FALSE(startRenderer(window.get(), BackEndKind::OpenGl, context));
    EXPECT_EQ(context.kind, BackEndKind::OpenGl);
    EXPECT_EQ(context.backEnd, nullptr);
    EXPECT_EQ(renderOps().resize, &sentinelResize);  // the table keeps what it held
    EXPECT_EQ(renderOps().clear, nullptr);
    EXPECT_EQ(GlBackend::installed(), nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"SetPixelFormat failed");
    EXPECT_EQ(shown[0].caption, L"ERROR");
    EXPECT_EQ(shown[0].owner, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(GlStartFailure, ResizeBeforeTheTableIsFilledIsHarmless) {
    renderOps() = RenderOps{};
    render::resize(654, 537);
    render::resize(0, 0);
    SUCCEED();
}

}  // namespace
}  // namespace likenex::test
