#pragma once
// What the editor screen's tests share: the small catalogue, an empty archive and string
// table, a fake host whose texts follow a language and recorded program actions, models made
// over them (a new avatar makes a new one, as the program does), the editor opened over a
// frame window, and keys typed as Windows delivers them.

#include "catalogue/AvatarArchive.h"
#include "catalogue/StringTable.h"
#include "screens/EditorScreen.h"
#include "screens/tests/RecordedActions.h"
#include "screens/tests/SmallCatalogue.h"
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace likenex {

// The fake host with texts a test can set ("Price %d" where a number must show) and a
// language: after a change, every text reads "<language>:" and then what it read before.
class TextHost : public testing::FakeUiHost {
public:
    std::wstring uiText(int identifier) const override {
        const auto found = texts.find(identifier);
        std::wstring text = found != texts.end() ? found->second : FakeUiHost::uiText(identifier);
        return language.empty() ? text : language + L":" + text;
    }
    std::map<int, std::wstring> texts;
    std::wstring language;
};

class EditorTestBed : public ::testing::Test {
protected:
    void SetUp() override {
        testing::RecordingRenderer::install();
        ASSERT_TRUE(small_catalogue::readSmallCatalogue(catalogue_));
        host_.anySkin = true;
        actions_.newAvatar = [this] {
            model_ = newModel();
            return model_.get();
        };
        (void)actions_.newAvatar();
    }
    void TearDown() override {
        host_.stack.clearFocus();
        host_.stack.closeAllWindows();
        host_.stack.destroyClosed();
        model_.reset();
        testing::RecordingRenderer::uninstall();
    }
    [[nodiscard]] std::shared_ptr<AvatarModel> newModel() {
        auto model =
            std::make_shared<AvatarModel>(AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, &events_, nullptr,
                                                           nullptr, &testing::RecordingRenderer::painter()});
        model->setRecord(std::make_shared<AvatarRecord>());
        model->loadFromRecord(true);
        return model;
    }
    // Closes every window, then opens `frame` as the root and the editor below its title band.
    void openEditor(std::unique_ptr<ui::Widget> frame) {
        host_.stack.closeAllWindows();
        host_.stack.destroyClosed();
        frame_ = host_.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::move(frame));
        editor_ = static_cast<EditorScreen*>(host_.stack.openWindow(
            frame_, {0, 69, 654, 537}, false,
            std::make_unique<EditorScreen>(host_, EditorScreen::Parts{catalogue_, archive_, strings_, model_.get(),
                                                                      actions_, actions_.uploadParts()})));
        if (auto* mainFrame = dynamic_cast<MainFrame*>(frame_)) mainFrame->setNewAvatarQuestion(editor_);
    }
    void click(int x, int y) {
        host_.stack.route(ui::kLButtonDown, 0, ui::mousePosition(x, y));
        host_.stack.route(ui::kLButtonUp, 0, ui::mousePosition(x, y));
    }
    // A key as Windows delivers it: the key, the character TranslateMessage makes of it, the
    // key's release.
    void typeKey(ui::WParam virtualKey, wchar_t character) {
        host_.stack.route(ui::kKeyDown, virtualKey, 1);
        host_.stack.route(ui::kChar, static_cast<ui::WParam>(character), 1);
        host_.stack.route(ui::kKeyUp, virtualKey, static_cast<ui::LParam>(0xC0000001u));
    }
    // Letters, digits and spaces, each as its key.
    void typeText(std::wstring_view text) {
        for (wchar_t c : text) {
            const wchar_t upper = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
            typeKey(static_cast<ui::WParam>(upper), c);
        }
    }
    // The main window tells every open window of a new language, as the language window does.
    void changeLanguage(std::wstring_view language) {
        host_.language = language;
        for (const auto& window : host_.stack.windows()) window->languageChanged();
    }

    Catalogue catalogue_;
    ColourTables tables_;
    AvatarArchive archive_{tables_};
    StringTable strings_;
    SpriteCache cache_;
    small_catalogue::FakeClock clock_;
    small_catalogue::FakeEvents events_;
    TextHost host_;
    RecordedActions actions_;
    std::shared_ptr<AvatarModel> model_;
    ui::Widget* frame_ = nullptr;
    EditorScreen* editor_ = nullptr;
};

}  // namespace likenex
