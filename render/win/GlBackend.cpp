#include "render/win/GlBackend.h"

#include "render/win/BmpSave.h"
#include "render/PixelRows.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace likenex {
namespace {

// Errors left over from earlier calls must not be taken for the next call's.
void discardGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {}
}

RECT clientRect(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

}  // namespace

bool GlBackend::start(HWND window) {
    window_ = window;
    dc_ = WindowDc(window);
    if (!dc_) return false;

    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;

    const int format = ChoosePixelFormat(dc_.get(), &pfd);
    if (format == 0) {
        reportStartFailure(L"ChoosePixelFormat failed");
        return false;
    }
    if (!SetPixelFormat(dc_.get(), format, &pfd)) {
        reportStartFailure(L"SetPixelFormat failed");
        return false;
    }

    context_.reset(wglCreateContext(dc_.get()));
    if (!context_ || !wglMakeCurrent(dc_.get(), context_.get())) return false;

    const RECT client = clientRect(window_);
    resize(client.right - client.left, client.bottom - client.top);

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    return true;
}

int GlBackend::maxTextureSize() const {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

void GlBackend::resize(int width, int height) {
    // A minimised window reports 0 x 0; an empty projection would be an error that leaves
    // the old matrix replaced by identity.
    if (width <= 0 || height <= 0) return;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GlBackend::clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void GlBackend::beginScene() { glLoadIdentity(); }

int GlBackend::endFrame() { return SwapBuffers(dc_.get()) ? 0 : 1; }

void GlBackend::setColour(const Colour& colour) { glColor4f(colour.redF, colour.greenF, colour.blueF, colour.alphaF); }

void GlBackend::drawLine(int x1, int y1, int x2, int y2) {
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glLineWidth(0.5f);
    glBegin(GL_LINES);
    glVertex2f(static_cast<float>(x1) + 0.5f, static_cast<float>(y1));
    glVertex2f(static_cast<float>(x2) + 0.5f, static_cast<float>(y2));
    glEnd();
}

void GlBackend::fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLE_STRIP);
    glVertex3i(x1, y1, 0);
    glVertex3i(x2, y2, 0);
    glVertex3i(x3, y3, 0);
    glEnd();
}

void GlBackend::fillRect(int left, int top, int right, int bottom) {
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glVertex3i(left, top, 0);
    glVertex3i(right, top, 0);
    glVertex3i(right, bottom, 0);
    glVertex3i(left, bottom, 0);
    glEnd();
}

long GlBackend::createTexture(TextureHandle* handle, int width, int height, const void* pixels) {
    if (!handle || width <= 0 || height <= 0 || !pixels) return GL_INVALID_VALUE;
    discardGlErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels);
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        if (name) glDeleteTextures(1, &name);
        return static_cast<long>(error);
    }
    glEnable(GL_POINT_SMOOTH);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    *handle = name;
    return 0;
}

void GlBackend::releaseTexture(TextureHandle* handle) {
    if (!handle) return;
    if (*handle && glIsTexture(*handle)) glDeleteTextures(1, handle);
    *handle = 0;
}

bool GlBackend::isTexture(const TextureHandle* handle) const { return handle && *handle && glIsTexture(*handle); }

void GlBackend::drawTexture(const TextureHandle* handle, float s0, float t0, float s1, float t1, int left, int top,
                            int right, int bottom) {
    if (!isTexture(handle)) return;
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, *handle);
    // t0 is the bottom edge: texture rows are stored bottom row first.
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex3i(left, bottom, 0);
    glTexCoord2f(s1, t0);
    glVertex3i(right, bottom, 0);
    glTexCoord2f(s1, t1);
    glVertex3i(right, top, 0);
    glTexCoord2f(s0, t1);
    glVertex3i(left, top, 0);
    glEnd();
}

void GlBackend::setClip(const ClipRect& clip) {
    // The scissor box counts rows from the bottom of the client area.
    const RECT client = clientRect(window_);
    glEnable(GL_SCISSOR_TEST);
    // An empty or inverted rectangle clips everything; a negative size would be refused and
    // leave the previous box in force.
    glScissor(clip.left, client.bottom - clip.bottom, std::max(0, clip.right - clip.left),
              std::max(0, clip.bottom - clip.top));
}

void GlBackend::resetClip() { glDisable(GL_SCISSOR_TEST); }

long GlBackend::textureErrorWhenStopped() const { return GL_INVALID_OPERATION; }

bool GlBackend::saveRegion(int x, int y, int width, int height, const wchar_t* path) {
    if (width <= 0 || height <= 0 || !path) return false;
    const std::uint64_t bytes =
        std::uint64_t{4} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (bytes > 0x7FFFFFFFu) return false;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(bytes), 0);

    // glReadPixels counts rows from the bottom of the drawable, which is the client area.
    const RECT client = clientRect(window_);
    discardGlErrors();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, client.bottom - y - height, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    makeOpaque(rows);
    return saveBmp32(path, width, height, rows);
}

}  // namespace likenex
