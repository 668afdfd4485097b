// What only the Direct3D 8 back end has: device resets and its texture table.

#include "render/DeviceResources.h"
#include "render/win/D3d8Backend.h"
#include "test_support/WinTestSupport.h"

namespace likenex::test {
namespace {

struct RecordingResource : DeviceResource {
    void onDeviceLost() override { events += "lost "; }
    void onDeviceReset() override { events += "reset "; }
    std::string events;
};

class D3d8BackendTest : public ::testing::Test, public RendererFixture {
protected:
    void SetUp() override {
        startBackEnd(BackEndKind::Direct3D8);
        backEnd = dynamic_cast<D3d8Backend*>(context.backEnd.get());
        ASSERT_NE(backEnd, nullptr);
    }
    void TearDown() override { stopBackEnd(); }

    UINT backBufferWidth() const {
        ComPtr<IDirect3DSurface8> backBuffer;
        D3DSURFACE_DESC desc{};
        if (SUCCEEDED(backEnd->device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put())))
            backBuffer->GetDesc(&desc);
        return desc.Width;
    }

    // A rectangle in the bottom-right corner of a back buffer of this size lands in place.
    void expectDrawingWorks(int width, int height) {
        beginFrame();
        setColour(kTeal);
        painter.fillRect(width - 20, height - 10, width, height);
        EXPECT_PICTURE(captureRegion(width - 40, height - 40, 40, 40),
                       [](int x, int y) { return inside(x, y, 20, 30, 40, 40) ? kTeal : kBlack; });
        endFrame();
    }

    D3d8Backend* backEnd = nullptr;
};

TEST_F(D3d8BackendTest, ResizeIgnoresAnEmptyOrUnchangedSize) {
    IDirect3DDevice8* device = backEnd->device();
    RecordingResource resource;
    context.deviceResources.add(&resource);
    painter.resize(0, kHeight);  // minimised
    painter.resize(kWidth, 0);
    painter.resize(kWidth, kHeight);
    context.deviceResources.remove(&resource);
    EXPECT_EQ(resource.events, "");  // no reset happened
    EXPECT_EQ(backEnd->device(), device);
    EXPECT_EQ(backBufferWidth(), static_cast<UINT>(kWidth));
    expectDrawingWorks(kWidth, kHeight);
}

TEST_F(D3d8BackendTest, ResizeResetsToTheNewSizeAndSetsTheDeviceUpAgain) {
    RecordingResource resource;
    context.deviceResources.add(&resource);
    painter.resize(320, 240);
    context.deviceResources.remove(&resource);
    EXPECT_EQ(resource.events, "lost reset ");
    EXPECT_EQ(backBufferWidth(), 320u);
    expectDrawingWorks(320, 240);
    EXPECT_FALSE(painter.saveRegion(0, 0, kWidth, kHeight, tempBmpPath().c_str()));  // beyond the back buffer
}

TEST_F(D3d8BackendTest, ARefusedResetIsRecoveredByTheLostDeviceSequence) {
    // A back buffer still referenced makes Reset fail, as a device loss would.
    ComPtr<IDirect3DSurface8> held;
    ASSERT_EQ(backEnd->device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, held.put()), D3D_OK);
    painter.resize(400, 300);
    // Frames go on without drawing, each reporting the loss.
    painter.clear();
    painter.beginScene();
    painter.fillRect(0, 0, 10, 10);
    EXPECT_FALSE(painter.saveRegion(0, 0, 10, 10, tempBmpPath().c_str()));
    EXPECT_EQ(painter.endFrame(), 1);
    painter.recoverLostDevice();  // still held: stays lost
    EXPECT_EQ(painter.endFrame(), 1);

    held.reset();
    painter.recoverLostDevice();
    EXPECT_EQ(backEnd->device()->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(backBufferWidth(), 400u);  // the size asked for while lost
    expectDrawingWorks(400, 300);
}

TEST_F(D3d8BackendTest, TextureHandlesAreSlotNumbersReusedAfterRelease) {
    const std::uint8_t pixel[4] = {0, 0, 0, 255};
    TextureHandle a = 0, b = 0, c = 0, stray = 99;
    ASSERT_EQ(painter.createTexture(&a, 1, 1, pixel), D3D_OK);
    ASSERT_EQ(painter.createTexture(&b, 1, 1, pixel), D3D_OK);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    painter.releaseTexture(&a);
    EXPECT_EQ(backEnd->liveTextureCount(), 1u);
    ASSERT_EQ(painter.createTexture(&c, 1, 1, pixel), D3D_OK);
    EXPECT_EQ(c, 1u);
    painter.releaseTexture(&stray);  // names no slot: touches nothing
    EXPECT_EQ(stray, 0u);
    EXPECT_EQ(backEnd->liveTextureCount(), 2u);
    EXPECT_EQ(painter.createTexture(&stray, 0, 1, pixel), D3DERR_INVALIDCALL);
    EXPECT_EQ(stray, 0u);
}

TEST(D3d8StartFailure, NoWindowNoBackEndAndNothingToDraw) {
    RenderContext context;
    Painter painter(context);
    EXPECT_FALSE(startRenderer(reinterpret_cast<HWND>(std::uintptr_t{0xDEAD0}), BackEndKind::Direct3D8, context));
    EXPECT_EQ(context.kind, BackEndKind::Direct3D8);
    EXPECT_EQ(context.backEnd, nullptr);
    EXPECT_EQ(painter.backEnd(), nullptr);
    TextureHandle handle = 0;
    EXPECT_NE(painter.createTexture(&handle, 1, 1, nullptr), 0);
    EXPECT_EQ(handle, 0u);
}

TEST(D3d8StartFailure, AContextThatRunsABackEndIsNotStartedAgain) {
    RenderContext context;
    UniqueWindow window = createTestWindow();
    ASSERT_TRUE(startRenderer(window.get(), BackEndKind::Direct3D8, context));
    const RenderBackend* running = context.backEnd.get();
    EXPECT_FALSE(startRenderer(window.get(), BackEndKind::Direct3D8, context));
    EXPECT_EQ(context.backEnd.get(), running);
    stopRenderer(context);
}

}  // namespace
}  // namespace likenex::test
