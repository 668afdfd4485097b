#pragma once
// What the editor screen's tests share: the small catalogue, an empty archive and string
// table, a fake host and recorded program actions, models made over them (a new avatar makes
// a new one, as the program does), and the editor opened over a frame window.

#include "catalogue/AvatarArchive.h"
#include "catalogue/StringTable.h"
#include "screens/EditorScreen.h"
#include "screens/tests/RecordedActions.h"
#include "screens/tests/SmallCatalogue.h"
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

#include <memory>

namespace likenex {

class EditorTestBed : public ::testing::Test {
protected:
    void SetUp() override {
        testing::RecordingRenderer::install();
        ASSERT_TRUE(small_catalogue::readSmallCatalogue(catalogue_));
        host_.anySkin = true;
        actions_.newAvatar = [this] {
            model_ = newModel();
            currentAvatarModel() = model_;
            return model_.get();
        };
        (void)actions_.newAvatar();
    }
    void TearDown() override {
        ui::clearFocus();
        host_.stack.closeAllWindows();
        host_.stack.destroyClosed();
        currentAvatarModel().reset();
        model_.reset();
        testing::RecordingRenderer::uninstall();
    }
    [[nodiscard]] std::shared_ptr<AvatarModel> newModel() {
        auto model = std::make_shared<AvatarModel>(
            AvatarModelParts{&catalogue_, &archive_, &cache_, &clock_, &events_, nullptr});
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
            std::make_unique<EditorScreen>(EditorScreen::Parts{catalogue_, archive_, strings_})));
    }
    void click(int x, int y) {
        host_.stack.route(ui::kLButtonDown, 0, ui::mousePosition(x, y));
        host_.stack.route(ui::kLButtonUp, 0, ui::mousePosition(x, y));
    }

    Catalogue catalogue_;
    AvatarArchive archive_;
    StringTable strings_;
    SpriteCache cache_;
    small_catalogue::FakeClock clock_;
    small_catalogue::FakeEvents events_;
    testing::FakeUiHost host_;
    RecordedActions actions_;
    std::shared_ptr<AvatarModel> model_;
    ui::Widget* frame_ = nullptr;
    EditorScreen* editor_ = nullptr;
};

}  // namespace likenex
