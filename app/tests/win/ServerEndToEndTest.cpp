// The editor against the real server, which the test run starts (scripts/tests/
// editor-server-end-to-end.sh) and names in LIKENEX_E2E_SERVER ("HOST PORT") and
// LIKENEX_E2E_WEB (its web address); without them these tests are skipped. An account "ann"
// with the password "secret" exists there. The editor starts and asks for the version,
// uploads from its last page and shows the picture screen; a second editor opens the stored
// avatar and finds every field as it was uploaded.
#include "app/Application.h"
#include "app/ProgramVersion.h"
#include "app/tests/win/TestSupport.h"
#include "avatar/AvatarModel.h"
#include "base/Constants.h"
#include "base/WindowMessages.h"
#include "platform/win/Registry.h"
#include "screens/EditorScreen.h"
#include "screens/PictureScreen.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

namespace likenex {
namespace {

using testing::CapturedMessages;
using testing::RecordingRenderer;

std::optional<ServerEndpoint> serverUnderTest() {
    const char* named = std::getenv("LIKENEX_E2E_SERVER");
    if (!named) return std::nullopt;
    std::istringstream in(named);
    ServerEndpoint endpoint;
    if (!(in >> endpoint.host >> endpoint.port)) return std::nullopt;
    return endpoint;
}

// The editor on the program directory, running frames until `step` says it is done or the
// frames run out.
class ConnectedEditor : public Application {
public:
    ConnectedEditor(const ServerEndpoint& endpoint, std::int64_t avatarToOpen) {
        setProgramDirectory(LIKENEX_PROGRAM_DIR_PATH);
        setRendererFunctions(&RecordingRenderer::start, &RecordingRenderer::stop, &RecordingRenderer::maxTextureSize);
        CommandLineRequest request;
        request.endpoint = endpoint;
        request.pendingAvatarId = avatarToOpen;
        request.editRequested = avatarToOpen != 0;
        setCommandLineRequest(request);
        shell().setWebPageOpener([this](const std::string& address) { opened.push_back(address); });
    }
    void updateFrame() override {
        Application::updateFrame();
        ++frames;
        if ((step && step()) || frames > 1500) PostMessageW(window(), WM_CLOSE, 0, 0);
    }
    [[nodiscard]] EditorScreen* editor() {
        return static_cast<EditorScreen*>(windowStack().findWindow(kEditorScreenId));
    }
    int go() {
        if (!create(kRendererOpenGl)) return -1;
        if (editRequested()) openAvatar(pendingAvatarId());
        else askForVersion();
        return run();
    }
    std::function<bool()> step;
    std::vector<std::string> opened;
    int frames = 0;
};

class ServerEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto endpoint = serverUnderTest();
        // Run without a server, these cases must not pass: scripts/tests/editor-server-end-to-end.sh
        // starts one and names it.
        if (!endpoint) GTEST_FAIL() << "no server named in LIKENEX_E2E_SERVER";
        endpoint_ = *endpoint;
        RecordingRenderer::reset();
    }
    void TearDown() override { RecordingRenderer::reset(); }
    ServerEndpoint endpoint_;
};

std::uint32_t registryDword(const char* name) {
    const auto v = readRegistryValue(HKEY_CURRENT_USER, kVersionKey, name, 4);
    if (!v || v->size() != 4) return 0xFFFFFFFFu;
    return (*v)[0] | (*v)[1] << 8 | (*v)[2] << 16 | static_cast<std::uint32_t>((*v)[3]) << 24;
}

TEST_F(ServerEndToEndTest, AnUploadIsStoredAndOpensAgainInASecondEditor) {
    CapturedMessages messages;
    RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    AvatarFields uploaded;
    std::int64_t number = 0;
    std::wstring address;
    {
        ConnectedEditor app(endpoint_, 0);
        bool sent = false;
        app.step = [&] {
            EditorScreen* editor = app.editor();
            if (!editor) return true;
            EditorState& state = editor->state();
            if (!sent) {
                // A hat, a skin, a turn and a two-step script, then the upload page.
                state.showPage(1);
                state.chooseEntry(1);
                state.showPage(0);
                state.chooseSkin(7);
                state.turn();
                state.turn();
                for (std::size_t i = 0; i < state.actions().size() && state.script().size() < 2; ++i) {
                    if (state.actions()[i].frames.empty() || state.actions()[i].frames.size() > 20) continue;
                    state.selectAction(static_cast<int>(i));
                    EXPECT_EQ(state.addStep(state.script().empty() ? u"hello" : u"bye"), StepRefusal::none);
                }
                state.showPage(kScriptPage);
                editor->pressNext();
                UploadPage& page = editor->uploadPage();
                page.titleBox()->setEditText(L"End to end");
                page.userBox()->setEditText(L"ann");
                page.passwordBox()->setEditText(L"secret");
                uploaded = state.uploadFields();
                editor->pressNext();  // the price, confirmed
                SendMessageW(app.window(), WM_DIALOG_OK, kEditorScreenId, 0);
                EXPECT_TRUE(page.busy());
                sent = true;
                return false;
            }
            auto* screen = dynamic_cast<PictureScreen*>(app.windowStack().findWindow(kPictureScreenId));
            if (!screen) return false;
            address = screen->field(102);
            number = std::wcstoll(screen->field(107).c_str(), nullptr, 10);
            return true;
        };
        EXPECT_EQ(app.go(), 0);
        ASSERT_GT(number, 0) << "the picture screen showed the stored avatar's number";
        EXPECT_NE(address.find(L"/a/" + std::to_wstring(number)), std::wstring::npos)
            << std::string(address.begin(), address.end());
        EXPECT_TRUE(std::filesystem::exists(app.pictures().lastPicturePath())) << "the picture was exported";
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(app.pictures().lastPicturePath()).parent_path(), ignored);
        EXPECT_EQ(registryDword("ver"), kProgramVersion);
        EXPECT_EQ(registryDword("newver"), 2u) << "the start-up version reply was recorded";
    }
    {
        ConnectedEditor app(endpoint_, number);
        bool loaded = false;
        AvatarFields opened;
        app.step = [&] {
            EditorScreen* editor = app.editor();
            if (!editor) return true;
            if (editor->state().script().empty()) return false;
            opened = editor->state().uploadFields();
            loaded = true;
            return true;
        };
        EXPECT_EQ(app.go(), 0);
        ASSERT_TRUE(loaded) << "the stored avatar reached the editor";
        EXPECT_EQ(opened, uploaded);
    }
}

}  // namespace
}  // namespace likenex
