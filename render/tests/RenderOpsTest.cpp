#include "render/DeviceResources.h"
#include "render/RenderOps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace likenex {
namespace {

std::vector<std::string> calls;

// Restores an empty table and no context after each test.
class RenderOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        renderOps() = RenderOps{};
        currentRenderContext() = &context;
    }
    void TearDown() override {
        renderOps() = RenderOps{};
        currentRenderContext() = nullptr;
    }
    RenderContext context;
};

TEST_F(RenderOpsTest, ResizeBeforeTheTableIsFilledIsHarmless) {
    render::resize(654, 537);
    renderOps().resize = [](int w, int h) { calls.push_back("resize " + std::to_string(w) + "x" + std::to_string(h)); };
    render::resize(10, 20);
    EXPECT_EQ(calls, std::vector<std::string>{"resize 10x20"});
}

TEST_F(RenderOpsTest, DrawImageUsesTheWholeTexture) {
    renderOps().drawTexture = [](const TextureHandle* h, float s0, float t0, float s1, float t1, int l, int t, int r,
                                 int b) {
        calls.push_back(std::to_string(*h) + " " + std::to_string(s0) + " " + std::to_string(t0) + " " +
                        std::to_string(s1) + " " + std::to_string(t1) + " " + std::to_string(l) + "," +
                        std::to_string(t) + "," + std::to_string(r) + "," + std::to_string(b));
    };
    TextureHandle handle = 7;
    render::drawImage(&handle, 1, 2, 3, 4);
    EXPECT_EQ(calls, std::vector<std::string>{"7 0.000000 0.000000 1.000000 1.000000 1,2,3,4"});
}

struct RecordingResource : DeviceResource {
    explicit RecordingResource(std::string n) : name(std::move(n)) {}
    void onDeviceLost() override { calls.push_back(name + " lost"); }
    void onDeviceReset() override { calls.push_back(name + " reset"); }
    std::string name;
};

TEST_F(RenderOpsTest, LostDeviceReleasesRestoresThenRecreatesInThatOrder) {
    renderOps().restoreDevice = [] { calls.push_back("restore"); };
    context.kind = BackEndKind::Direct3D8;
    RecordingResource a("a"), b("b");
    registerDeviceResource(&a);
    registerDeviceResource(&b);
    registerDeviceResource(&a);  // registering twice keeps one entry
    recoverLostDevice();
    unregisterDeviceResource(&a);
    unregisterDeviceResource(&b);
    EXPECT_EQ(calls, (std::vector<std::string>{"a lost", "b lost", "restore", "a reset", "b reset"}));
}

TEST_F(RenderOpsTest, OpenGlHasNoDeviceToRestore) {
    renderOps().restoreDevice = [] { calls.push_back("restore"); };
    context.kind = BackEndKind::OpenGl;
    recoverLostDevice();
    currentRenderContext() = nullptr;
    render::restoreDevice();
    EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace likenex
