// What only the OpenGL back end has: its scissor box and its start-up failure.

#include "render/win/GlBackend.h"
#include "test_support/WinTestSupport.h"

#include <GL/gl.h>

namespace likenex::test {
namespace {

class GlBackendTest : public ::testing::Test, public RendererFixture {
protected:
    void SetUp() override { startBackEnd(BackEndKind::OpenGl); }
    void TearDown() override { stopBackEnd(); }
};

TEST_F(GlBackendTest, ClipSetsTheScissorBoxCountedFromTheBottom) {
    painter.setClip(ClipRect{10, 20, 110, 70});
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 467, 100, 50}));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    painter.resetClip();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    // An inverted rectangle gives an empty box, not a refused call that keeps the old one.
    painter.setClip(ClipRect{50, 50, 40, 40});
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[2], 0);
    EXPECT_EQ(box[3], 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlBackendTest, MaxTextureSizeIsKnownOnlyWhileRunning) {
    EXPECT_GE(openGlMaxTextureSize(context), 2048);
    stopRenderer(context);
    EXPECT_EQ(openGlMaxTextureSize(context), 0);
}

TEST(GlStartFailure, AWindowWithAnotherPixelFormatIsRefusedWithAReportAndNoMessageBox) {
    std::vector<ShownMessage> shown;
    setMessageBoxHook([&](const ShownMessage& m) {
        shown.push_back(m);
        return IDOK;
    });
    UniqueWindow window = createTestWindow();
    {
        // Give the window a format other than the one the back end will choose.
        WindowDc dc(window.get());
        PIXELFORMATDESCRIPTOR pfd{sizeof pfd, 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER};
        pfd.cColorBits = pfd.cDepthBits = 16;
        const int chosen = ChoosePixelFormat(dc.get(), &pfd);
        int other = 0;
        for (int i = 1; i <= DescribePixelFormat(dc.get(), 1, 0, nullptr) && !other; ++i)
            if (i != chosen && DescribePixelFormat(dc.get(), i, sizeof pfd, &pfd) && (pfd.dwFlags & PFD_SUPPORT_OPENGL))
                other = i;
        ASSERT_NE(other, 0);
        ASSERT_TRUE(SetPixelFormat(dc.get(), other, &pfd));
    }
    RenderContext context;
    Painter painter(context);
    context.kind = BackEndKind::Direct3D8;
    EXPECT_FALSE(startRenderer(window.get(), BackEndKind::OpenGl, context));
    setMessageBoxHook({});
    EXPECT_EQ(context.kind, BackEndKind::OpenGl);
    EXPECT_EQ(context.backEnd, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    // The renderer reports; the main window shows it.
    EXPECT_EQ(context.startFailure, L"SetPixelFormat failed");
    EXPECT_TRUE(shown.empty());
    painter.resize(kWidth, kHeight);  // WM_SIZE before any back end has started: nothing
}

}  // namespace
}  // namespace likenex::test
