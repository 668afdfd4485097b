#include "render/DeviceResources.h"
#include "render/Painter.h"
#include "test_support/NullBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace likenex {
namespace {

// Logs the calls a painter forwards; whether it has a device to restore is the test's choice.
class LoggingBackend final : public testing::NullBackend {
public:
    LoggingBackend(std::vector<std::string>& calls, bool restorable) : calls_(calls), restorable_(restorable) {}
    void resize(int w, int h) override { calls_.push_back("resize " + std::to_string(w) + "x" + std::to_string(h)); }
    long createTexture(TextureHandle*, int, int, const void*) override { return 0; }
    bool isTexture(const TextureHandle*) const override { return true; }
    void drawTexture(const TextureHandle* h, float s0, float t0, float s1, float t1, int l, int t, int r,
                     int b) override {
        calls_.push_back(std::to_string(*h) + " " + std::to_string(s0) + " " + std::to_string(t0) + " " +
                         std::to_string(s1) + " " + std::to_string(t1) + " " + std::to_string(l) + "," +
                         std::to_string(t) + "," + std::to_string(r) + "," + std::to_string(b));
    }
    long textureErrorWhenStopped() const override { return -7; }
    bool hasDeviceToRestore() const override { return restorable_; }
    void restoreDevice() override { calls_.push_back("restore"); }

private:
    std::vector<std::string>& calls_;
    bool restorable_;
};

class RenderContextTest : public ::testing::Test {
protected:
    void run(bool restorable) { context.backEnd = std::make_unique<LoggingBackend>(calls, restorable); }
    std::vector<std::string> calls;
    RenderContext context;
    Painter painter{context};
};

TEST_F(RenderContextTest, ResizeBeforeABackEndRunsIsHarmless) {
    painter.resize(654, 537);
    TextureHandle handle = 5;
    painter.releaseTexture(&handle);
    EXPECT_EQ(handle, 0u) << "stopping released every texture with its device";
    EXPECT_EQ(painter.createTexture(&handle, 1, 1, nullptr), -1);
    run(false);
    painter.resize(10, 20);
    EXPECT_EQ(calls, std::vector<std::string>{"resize 10x20"});
}

TEST_F(RenderContextTest, DrawImageUsesTheWholeTexture) {
    run(false);
    TextureHandle handle = 7;
    painter.drawImage(&handle, 1, 2, 3, 4);
    EXPECT_EQ(calls, std::vector<std::string>{"7 0.000000 0.000000 1.000000 1.000000 1,2,3,4"});
    EXPECT_EQ(painter.texturesDrawn(), 1u);
}

struct RecordingResource : DeviceResource {
    RecordingResource(std::vector<std::string>& c, std::string n) : calls(c), name(std::move(n)) {}
    void onDeviceLost() override { calls.push_back(name + " lost"); }
    void onDeviceReset() override { calls.push_back(name + " reset"); }
    std::vector<std::string>& calls;
    std::string name;
};

TEST_F(RenderContextTest, LostDeviceReleasesRestoresThenRecreatesInThatOrder) {
    run(true);
    RecordingResource a(calls, "a"), b(calls, "b");
    context.deviceResources.add(&a);
    context.deviceResources.add(&b);
    context.deviceResources.add(&a);  // registering twice keeps one entry
    painter.recoverLostDevice();
    context.deviceResources.remove(&a);
    context.deviceResources.remove(&b);
    EXPECT_EQ(calls, (std::vector<std::string>{"a lost", "b lost", "restore", "a reset", "b reset"}));
}

TEST_F(RenderContextTest, OpenGlHasNoDeviceToRestore) {
    run(false);
    painter.recoverLostDevice();
    painter.restoreDevice();
    context.backEnd.reset();
    painter.restoreDevice();
    EXPECT_TRUE(calls.empty());
}

// A resource that leaves during the release is still re-created with the others: the device
// it let go of comes back, and it may register again from there.
TEST_F(RenderContextTest, AResourceLeavingDuringTheReleaseIsStillToldOfTheReset) {
    run(true);
    struct Leaving : DeviceResource {
        Leaving(std::vector<std::string>& c, DeviceResources& r) : calls(c), resources(r) {}
        void onDeviceLost() override {
            calls.push_back("lost");
            resources.remove(this);
        }
        void onDeviceReset() override { calls.push_back("reset"); }
        std::vector<std::string>& calls;
        DeviceResources& resources;
    } leaving(calls, context.deviceResources);
    context.deviceResources.add(&leaving);
    painter.recoverLostDevice();
    EXPECT_EQ(calls, (std::vector<std::string>{"lost", "restore", "reset"}));
    EXPECT_EQ(context.deviceResources.size(), 0u);
}

TEST_F(RenderContextTest, TintedDrawingNeedsABackEndThatKeepsItsColour) {
    run(false);
    TextureHandle handle = 3;
    EXPECT_FALSE(painter.drawTintedTexture(&handle, 0, 0, 1, 1, 0, 0, 1, 1, Colour{}));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(painter.texturesDrawn(), 0u);
}

}  // namespace
}  // namespace likenex
