// What only the Direct3D 8 back end has: its device, resets and texture table.

#include "render/D3d8Backend.h"
#include "render/DeviceResources.h"
#include "render/tests/WinTestSupport.h"

namespace likenex::test {
namespace {

constexpr std::uint32_t kGreen = 0xFF10C040u;

class D3d8BackendTest : public ::testing::Test, public RendererFixture {
protected:
    void SetUp() override {
        startBackEnd(BackEndKind::Direct3D8);
        backEnd = D3d8Backend::installed();
        ASSERT_NE(backEnd, nullptr);
    }
    void TearDown() override { stopBackEnd(); }

    // Draws a green square and checks it, and the black around it, in the back buffer.
    static void expectDrawingWorks() {
        beginFrame();
        renderOps().setColour(Colour::fromPacked(kGreen));
        renderOps().fillRect(20, 30, 60, 50);
        const auto picture = captureRegion(0, 0, 80, 80);
        ASSERT_TRUE(picture);
        const Mismatches m = compare(*picture, [](int x, int y) { return inside(x, y, 20, 30, 60, 50) ? kGreen : kBlack; });
        EXPECT_EQ(m.count, 0u) << m.first;
        endFrame();
    }

    D3d8Backend* backEnd = nullptr;
};

TEST_F(D3d8BackendTest, PresentsWindowedIntoAFlippedBackBufferOfTheClientSize) {
    EXPECT_EQ(context.kind, BackEndKind::Direct3D8);
    EXPECT_EQ(context.backEnd, backEnd);
    EXPECT_NE(renderOps().restoreDevice, nullptr);
    const D3DPRESENT_PARAMETERS& p = backEnd->presentParameters();
    EXPECT_EQ(p.BackBufferWidth, static_cast<UINT>(kWindowWidth));
    EXPECT_EQ(p.BackBufferHeight, static_cast<UINT>(kWindowHeight));
    EXPECT_EQ(p.BackBufferCount, 1u);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_FLIP);
    EXPECT_TRUE(p.Windowed);
    EXPECT_FALSE(p.EnableAutoDepthStencil);
    EXPECT_EQ(p.hDeviceWindow, window.get());
    EXPECT_EQ(openGlMaxTextureSize(), 0);
}

TEST_F(D3d8BackendTest, ResizeIgnoresAnEmptyOrUnchangedSize) {
    IDirect3DDevice8* device = backEnd->device();
    renderOps().resize(0, kWindowHeight);
    renderOps().resize(kWindowWidth, 0);
    renderOps().resize(-5, -5);
    renderOps().resize(kWindowWidth, kWindowHeight);
    EXPECT_EQ(backEnd->device(), device);
    EXPECT_EQ(backEnd->presentParameters().BackBufferWidth, static_cast<UINT>(kWindowWidth));
    EXPECT_EQ(backEnd->presentParameters().BackBufferHeight, static_cast<UINT>(kWindowHeight));
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    expectDrawingWorks();
}

struct RecordingResource : DeviceResource {
    void onDeviceLost() override { events += "lost "; }
    void onDeviceReset() override { events += "reset "; }
    std::string events;
};

TEST_F(D3d8BackendTest, ResizeResetsTheDeviceToTheNewSizeAndSetsItUpAgain) {
    RecordingResource resource;
    registerDeviceResource(&resource);
    renderOps().resize(320, 240);
    unregisterDeviceResource(&resource);
    EXPECT_EQ(resource.events, "lost reset ");  // device objects let go around the reset

    D3DSURFACE_DESC desc{};
    ComPtr<IDirect3DSurface8> backBuffer;
    ASSERT_EQ(backEnd->device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()), D3D_OK);
    ASSERT_EQ(backBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 320u);
    EXPECT_EQ(desc.Height, 240u);

    // The projection follows the new size: a rectangle at the far corner stays in place.
    beginFrame();
    renderOps().setColour(Colour::fromPacked(kGreen));
    renderOps().fillRect(300, 220, 320, 240);
    const auto picture = captureRegion(280, 200, 40, 40);
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) { return inside(x, y, 20, 20, 40, 40) ? kGreen : kBlack; });
    EXPECT_EQ(m.count, 0u) << m.first;
    // A region beyond the back buffer cannot be saved.
    EXPECT_FALSE(renderOps().saveRegion(0, 0, kWindowWidth, kWindowHeight, tempBmpPath().c_str()));
    endFrame();

    backBuffer.reset();  // a held back buffer would make Reset refuse
    renderOps().resize(kWindowWidth, kWindowHeight);
    expectDrawingWorks();
}

TEST_F(D3d8BackendTest, ARefusedResetIsRecoveredByTheLostDeviceSequence) {
    // Holding the back buffer makes Reset fail, as a device loss would.
    ComPtr<IDirect3DSurface8> backBuffer;
    ASSERT_EQ(backEnd->device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()), D3D_OK);
    renderOps().resize(400, 300);
    EXPECT_EQ(backEnd->presentParameters().BackBufferWidth, 400u);

    // Frames go on without drawing, each reporting the loss.
    renderOps().clear();
    renderOps().beginScene();
    renderOps().setColour(Colour::fromPacked(kGreen));
    renderOps().fillRect(0, 0, 10, 10);
    renderOps().drawLine(0, 0, 10, 10);
    EXPECT_FALSE(renderOps().saveRegion(0, 0, 10, 10, tempBmpPath().c_str()));
    EXPECT_EQ(renderOps().endFrame(), 1);
    recoverLostDevice();  // still held: stays lost, tried again next frame
    EXPECT_EQ(renderOps().endFrame(), 1);

    backBuffer.reset();
    RecordingResource resource;
    registerDeviceResource(&resource);
    recoverLostDevice();
    unregisterDeviceResource(&resource);
    EXPECT_EQ(resource.events, "lost reset ");
    EXPECT_EQ(backEnd->device()->TestCooperativeLevel(), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(backEnd->device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()), D3D_OK);
    ASSERT_EQ(backBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 400u);  // reset with the size asked for while lost
    backBuffer.reset();
    expectDrawingWorks();
}

TEST_F(D3d8BackendTest, RestoreLeavesAWorkingDeviceAlone) {
    IDirect3DDevice8* device = backEnd->device();
    render::restoreDevice();
    recoverLostDevice();
    EXPECT_EQ(backEnd->device(), device);
    expectDrawingWorks();
}

TEST_F(D3d8BackendTest, TextureHandlesAreSlotNumbersThatComeBackAfterRelease) {
    const std::uint8_t pixel[4] = {0, 0, 0, 255};
    TextureHandle a = 0, b = 0, c = 0;
    ASSERT_EQ(renderOps().createTexture(&a, 1, 1, pixel), D3D_OK);
    ASSERT_EQ(renderOps().createTexture(&b, 1, 1, pixel), D3D_OK);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_EQ(backEnd->liveTextureCount(), 2u);
    renderOps().releaseTexture(&a);
    EXPECT_EQ(backEnd->liveTextureCount(), 1u);
    ASSERT_EQ(renderOps().createTexture(&c, 1, 1, pixel), D3D_OK);
    EXPECT_EQ(c, 1u);  // the freed slot is used again

    // A handle naming no slot is not drawn, and releasing it touches no other texture.
    TextureHandle stray = 99;
    renderOps().releaseTexture(&stray);
    EXPECT_EQ(stray, 0u);
    EXPECT_EQ(backEnd->liveTextureCount(), 2u);
}

TEST_F(D3d8BackendTest, TextureRowsFollowTheLockedPitch) {
    // 3 pixels wide: 12-byte rows, which a driver may pad. Rows bottom first: red, then blue.
    const std::vector<std::uint8_t> pixels = {0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255,
                                              255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    TextureHandle handle = 0;
    ASSERT_EQ(renderOps().createTexture(&handle, 3, 2, pixels.data()), D3D_OK);
    beginFrame();
    renderOps().setColour(Colour::fromPacked(0xFFFFFFFFu));
    render::drawImage(&handle, 0, 0, 3, 2);
    const auto picture = captureRegion(0, 0, 4, 3);
    ASSERT_TRUE(picture);
    const Mismatches m = compare(*picture, [](int x, int y) -> std::uint32_t {
        if (x >= 3 || y >= 2) return kBlack;
        return y == 0 ? 0xFF0000FFu : 0xFFFF0000u;
    });
    EXPECT_EQ(m.count, 0u) << m.first;
    endFrame();
    renderOps().releaseTexture(&handle);
}

TEST(D3d8StartFailure, NoWindowNoDeviceAndTheTableUntouched) {
    renderOps() = RenderOps{};
    RenderContext context;
    EXPECT_FALSE(startRenderer(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xDEAD0)), BackEndKind::Direct3D8,
                               context));
    EXPECT_EQ(context.kind, BackEndKind::Direct3D8);
    EXPECT_EQ(context.backEnd, nullptr);
    EXPECT_EQ(renderOps().clear, nullptr);
    EXPECT_EQ(D3d8Backend::installed(), nullptr);
}

}  // namespace
}  // namespace likenex::test
