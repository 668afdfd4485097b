// Labels, buttons, check boxes and radio buttons: captions, presses and releases by mouse and
// key, the pictures each draws, ticking and radio groups.
#include "test_support/FakeUiHost.h"
#include "test_support/RecordingRenderer.h"
#include "ui/Buttons.h"
#include "ui/WindowStack.h"

#include <gtest/gtest.h>

namespace likenex::ui {
namespace {

using testing::FakeUiHost;
using testing::RecordingRenderer;

// A window that records its notifications and never closes.
class Panel : public Widget {
public:
    using Widget::Widget;
    void onNotify(int code, int controlId, Widget*) override { notes.push_back({code, controlId}); }
    struct Note {
        int code, id;
        bool operator==(const Note&) const = default;
    };
    std::vector<Note> notes;
};

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingRenderer::install();
        host.anySkin = true;
        panel =
            static_cast<Panel*>(host.stack.openWindow(nullptr, {0, 0, 654, 537}, false, std::make_unique<Panel>(host)));
        panel->setBounds({100, 50, 500, 400});
    }
    void TearDown() override {
        host.windowStack().clearFocus();
        RecordingRenderer::uninstall();
    }
    bool mouse(std::uint32_t message, int x, int y) { return host.stack.route(message, 0, mousePosition(x, y)); }
    bool key(std::uint32_t message, WParam k) { return host.stack.route(message, k, 0); }
    // The textures drawn by one draw of the control.
    std::vector<TextureHandle> drawnTextures(Control& control) {
        RecordingRenderer::current().calls.clear();
        control.draw(RecordingRenderer::painter());
        std::vector<TextureHandle> textures;
        for (const std::string& call : RecordingRenderer::current().calls)
            if (call.rfind("draw ", 0) == 0) textures.push_back(static_cast<TextureHandle>(std::stoul(call.substr(5))));
        return textures;
    }
    FakeUiHost host;
    Panel* panel = nullptr;
};

TEST_F(ButtonsTest, CaptionsKeepWhatFitsAndAtMost250Characters) {
    Label* label = panel->createLabel(10, L"abcdefghijklmn", {10, 20, 70, 40});  // 60 wide: 10 characters
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->bounds, (ImageRect{110, 70, 170, 90})) << "placed relative to the parent";
    EXPECT_EQ(label->id, 10);
    EXPECT_EQ(label->text(), L"abcdefghij");
    label->setCaption(L"abc");
    EXPECT_EQ(label->text(), L"abc");
    label->setCaption(L"");
    EXPECT_EQ(label->text(), L"");
    Label* wide = panel->createLabel(11, std::wstring(300, L'x'), {0, 0, 3000, 20});
    EXPECT_EQ(wide->text().size(), 250u);
    EXPECT_FALSE(label->hitTest(120, 75)) << "a label never takes the mouse";
    EXPECT_FALSE(label->canFocus());
}

TEST_F(ButtonsTest, TextIsCentredAndAPressedButtonsShiftsByOnePixel) {
    Label* label = panel->createLabel(1, L"abc", {10, 20, 110, 60});  // bounds 110,70 .. 210,110
    host.drawnTexts.clear();
    label->draw(RecordingRenderer::painter());
    ASSERT_EQ(host.drawnTexts.size(), 1u);
    EXPECT_EQ(host.drawnTexts[0].x, 110 + 50 - 9);
    EXPECT_EQ(host.drawnTexts[0].y, 70 + 20 + 9 - 6);
    Button* button = panel->createButton(5, L"ok", {10, 100, 110, 140});  // font size 11
    button->pressed = true;
    host.drawnTexts.clear();
    button->draw(RecordingRenderer::painter());
    ASSERT_EQ(host.drawnTexts.size(), 1u);
    EXPECT_EQ(host.drawnTexts[0].x, 110 + 50 - 6 + 1);
    EXPECT_EQ(host.drawnTexts[0].y, 150 + 20 + 9 - 5 + 1);
}

TEST_F(ButtonsTest, AButtonNotifiesOnlyWhenReleasedInside) {
    Button* button = panel->createButton(7, L"go", {10, 10, 60, 30});  // 110,60 .. 160,80
    EXPECT_TRUE(mouse(kLButtonDown, 120, 70));
    EXPECT_TRUE(button->pressed);
    EXPECT_EQ(host.windowStack().focused(), button);
    EXPECT_TRUE(mouse(kLButtonUp, 300, 300)) << "the focused button sees the release anywhere";
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(panel->notes.empty());
    EXPECT_EQ(host.windowStack().focused(), nullptr) << "without keyboard navigation nothing stays focused";

    mouse(kLButtonDown, 120, 70);
    mouse(kLButtonUp, 125, 72);
    EXPECT_EQ(panel->notes, (std::vector<Panel::Note>{{kNotifyButton, 7}}));

    panel->keyboardNavigation = true;
    mouse(kLButtonDown, 120, 70);
    mouse(kLButtonUp, 125, 72);
    EXPECT_EQ(host.windowStack().focused(), button) << "with keyboard navigation the button keeps the focus";
    panel->notes.clear();
    EXPECT_TRUE(key(kKeyDown, kVkSpace));
    EXPECT_TRUE(button->pressed);
    EXPECT_TRUE(key(kKeyUp, kVkSpace));
    EXPECT_TRUE(key(kKeyDown, kVkReturn));
    EXPECT_TRUE(key(kKeyUp, kVkReturn));
    EXPECT_EQ(panel->notes.size(), 2u);
    EXPECT_TRUE(key(kKeyUp, kVkReturn)) << "a release without a press is taken but says nothing";
    EXPECT_EQ(panel->notes.size(), 2u);

    button->enabled = false;
    EXPECT_FALSE(button->onKey(kKeyDown, kVkSpace, 0));
}

TEST_F(ButtonsTest, ButtonPicturesFollowTheirIdentifier) {
    Button* four = panel->createButton(4, L"", {0, 0, 20, 20});
    EXPECT_EQ(four->style, Button::image);
    EXPECT_EQ(drawnTextures(*four), (std::vector<TextureHandle>{1002002}));
    four->pressed = true;
    EXPECT_EQ(drawnTextures(*four), (std::vector<TextureHandle>{1002001}));

    Button* three = panel->createButton(3, L"", {0, 0, 40, 40});
    const auto normal = drawnTextures(*three);
    ASSERT_EQ(normal.size(), 9u);
    EXPECT_EQ(*std::min_element(normal.begin(), normal.end()), 1001001u);
    EXPECT_EQ(*std::max_element(normal.begin(), normal.end()), 1001009u);
    three->pressed = true;
    const auto pressed = drawnTextures(*three);
    EXPECT_EQ(*std::min_element(pressed.begin(), pressed.end()), 1001010u);

    Button* plain = panel->createButton(9, L"", {0, 0, 40, 40});
    plain->pressed = true;
    const auto plainPressed = drawnTextures(*plain);
    EXPECT_EQ(std::count(plainPressed.begin(), plainPressed.end(), 1004011u), 0) << "1004011 is not used";
    EXPECT_EQ(*std::min_element(plainPressed.begin(), plainPressed.end()), 1004010u);
    EXPECT_EQ(*std::max_element(plainPressed.begin(), plainPressed.end()), 1004019u);

    Button* images = panel->createButton(12, L"", {0, 0, 20, 20}, Button::image);
    EXPECT_FALSE(images->setButtonImages(std::vector<std::uint32_t>(18, 1)));
    const std::uint32_t three_ids[] = {501, 502, 503};
    EXPECT_TRUE(images->setButtonImages(three_ids));
    images->enabled = false;
    EXPECT_EQ(drawnTextures(*images), (std::vector<TextureHandle>{503})) << "disabled picture";
}

TEST_F(ButtonsTest, CheckBoxesTickOnReleaseAndTellWhenAsked) {
    CheckBox* box = panel->createCheckBox(20, L"sound", true, {10, 10, 110, 30});  // 110,60 .. 210,80
    EXPECT_TRUE(box->ticked);
    EXPECT_TRUE(panel->notes.empty()) << "made ticked quietly";
    EXPECT_EQ(box->boxRect, (ImageRect{110, 60, 130, 80}));
    EXPECT_EQ(box->textRect.left, 110 + 25);

    mouse(kLButtonDown, 150, 70);
    EXPECT_EQ(host.windowStack().focused(), nullptr) << "without keyboard navigation a check box is not focused";
    mouse(kLButtonUp, 150, 70);
    EXPECT_FALSE(box->ticked);
    EXPECT_EQ(panel->notes, (std::vector<Panel::Note>{{kNotifyCheckBox, 20}}));

    box->setTicked(true, false);
    EXPECT_EQ(panel->notes.size(), 1u);
    panel->notifyOnSet = true;
    box->setTicked(false, false);
    EXPECT_EQ(panel->notes.size(), 2u) << "the parent asked to hear of changes made by code";
    panel->notifyOnSet = false;

    EXPECT_TRUE(box->onKey(kKeyDown, kVkSpace, 0));
    EXPECT_TRUE(box->onKey(kKeyUp, kVkSpace, 0));
    EXPECT_TRUE(box->ticked);
    EXPECT_FALSE(box->onKey(kKeyDown, kVkReturn, 0)) << "Enter is not used";
    EXPECT_EQ(drawnTextures(*box), (std::vector<TextureHandle>{2001001, 2001003}));
}

TEST_F(ButtonsTest, RadioButtonsClearOnlyTheirGroupInTheirParent) {
    RadioButton* a = panel->createRadioButton(1, 1, L"a", true, {0, 0, 100, 20});
    RadioButton* b = panel->createRadioButton(2, 1, L"b", false, {0, 30, 100, 50});
    RadioButton* other = panel->createRadioButton(3, 2, L"c", true, {0, 60, 100, 80});
    Panel elsewhere(host);
    elsewhere.setBounds({0, 0, 10, 10});
    RadioButton* far = elsewhere.createRadioButton(4, 1, L"d", true, {0, 0, 100, 20});
    EXPECT_TRUE(a->ticked && other->ticked && far->ticked);

    mouse(kLButtonDown, 110, 90);  // b at 100,80 .. 200,100
    mouse(kLButtonUp, 110, 90);
    EXPECT_TRUE(b->ticked);
    EXPECT_FALSE(a->ticked);
    EXPECT_TRUE(other->ticked) << "another group";
    EXPECT_TRUE(far->ticked) << "another parent";
    EXPECT_EQ(panel->notes, (std::vector<Panel::Note>{{kNotifyRadioButton, 2}}));

    mouse(kLButtonDown, 110, 90);
    mouse(kLButtonUp, 110, 90);
    EXPECT_TRUE(b->ticked) << "a second click keeps it selected";

    a->toggle();
    EXPECT_TRUE(a->ticked);
    EXPECT_FALSE(b->ticked);
    EXPECT_EQ(drawnTextures(*a), (std::vector<TextureHandle>{2001001, 7001002}));
    EXPECT_EQ(panel->createRadioButton(5, 1, L"e", true, {0, 0, 1, 1})->ticked, true);
    EXPECT_FALSE(a->ticked) << "a button made ticked clears its group";
}

}  // namespace
}  // namespace likenex::ui
