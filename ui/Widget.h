#pragma once
// The toolkit's base classes. A `Widget` is a top-level window of the window stack (a screen,
// a dialog, the frame) or, as a `Control`, one of a window's children. Everything is drawn
// through the renderer from interface pictures framed as nine-patches; messages arrive as
// virtual calls routed by the window stack (WindowStack.h). UI thread only.

#include "base/Tick.h"
#include "render/Colour.h"
#include "render/ImageRecord.h"
#include "render/Painter.h"
#include "ui/InterfaceArchive.h"
#include "ui/UiHost.h"
#include "ui/UiMessages.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace likenex::ui {

class Button;
class CheckBox;
class Control;
class EditBox;
class Label;
class ListBox;
class RadioButton;

// Toolkit operations report 0, or this for an invalid argument.
using Status = std::uint32_t;
inline constexpr Status kStatusOk = 0;
inline constexpr Status kInvalidArgument = 0x80070057u;

// Images 0 top-left, 1 top, 2 top-right, 3 left, 4 centre, 5 right, 6 bottom-left, 7 bottom,
// 8 bottom-right. Each image's `rect` is its destination relative to the widget's bounds.
using NinePatch = std::array<SkinImage, 9>;
using SkinIds = std::array<std::uint32_t, 9>;

// The order in which the nine pictures of a frame are loaded.
inline constexpr std::array<std::size_t, 9> kNinePatchLoadOrder = {0, 2, 6, 8, 1, 3, 5, 7, 4};

// The window frame every plain widget loads.
inline constexpr SkinIds kWindowFrameSkin = {14004001, 14004002, 14004003, 14004004, 14004005,
                                             14004006, 14004007, 14004008, 14004009};
inline constexpr SkinIds kTooltipSkin = {12001001, 12001002, 12001003, 12001004, 12001005,
                                         12001006, 12001007, 12001008, 12001009};

// Notification codes the controls pass to their owner's onNotify.
inline constexpr int kNotifyButton = 0x101;
inline constexpr int kNotifyCheckBox = 0x401;
inline constexpr int kNotifyRadioButton = 0x301;
inline constexpr int kNotifyListSelection = 0x201;
inline constexpr int kNotifyEditEnter = 0x601;
inline constexpr int kNotifyEditChanged = 0x602;

// Control identifiers that close their window through the base onNotify.
[[nodiscard]] constexpr bool isClosingId(int id) { return id == 2 || id == 3 || id == 4; }

class Widget {
public:
    // Every window and control draws on, and asks, the host of the window stack it is part of.
    explicit Widget(UiHost& host);
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;
    virtual ~Widget();

    // A window's dispatch: its panels first, then the focused child, then keys with keyboard
    // navigation, then the mouse to the children, hover, drag and the frame. True when handled.
    virtual bool onMessage(std::uint32_t message, WParam wParam, LParam lParam);
    virtual void setBounds(const ImageRect& rect);
    // Closes the window for control identifiers 2, 3 and 4.
    virtual void onNotify(int code, int controlId, Widget* sender);
    virtual void dragTo(int x, int y);
    virtual void mouseMove(int x, int y);
    // Closes this window on the window stack; it is destroyed once the current message or
    // frame has been handled.
    virtual void close();
    virtual bool loadSkin();
    virtual bool loadImage(std::uint32_t skinIdentifier, SkinImage& image);
    virtual void layoutNinePatch(const ImageRect& area, NinePatch& patch);
    virtual void draw(Painter& painter);
    // Moves on to `now` (the loop time) whatever this window shows by time alone, and says when
    // its picture next changes without a message; the frame loop draws no sooner. A window of
    // its own has only its tooltip to wait for: it shows once the loop time has left the mouse's.
    [[nodiscard]] virtual DueIn advance(Tick now);
    [[nodiscard]] virtual bool hitTest(int x, int y) const;
    virtual void setFont(std::wstring_view face, int size);
    // After a change of language: the fonts of this window and its controls again, in the
    // interface font of the new language; windows with texts of their own refresh them too.
    virtual void languageChanged();

    // Takes ownership of the control (also on failure). Newest first; tabIndex = the number
    // of children before it.
    Status addChild(Control* control);
    [[nodiscard]] Control* childAt(int x, int y) const;
    [[nodiscard]] Control* nextTabChild(const Control* control) const;
    [[nodiscard]] Control* previousTabChild(const Control* control) const;
    void setTextColour(const Colour& colour) { textColour = colour; }

    // The one control factory: makes a T of this window's host (and `arguments`), places it
    // at `rect`, relative to this widget's top-left, gives it its identifier, lets `setUp`
    // finish it and adds it, so that it loads its skin as set up. Null on failure.
    template <typename T, typename SetUp, typename... Arguments>
    T* addControl(std::int32_t controlId, const ImageRect& rect, SetUp&& setUp, Arguments&&... arguments) {
        auto control = std::make_unique<T>(host_, std::forward<Arguments>(arguments)...);
        control->setBounds(
            {rect.left + bounds.left, rect.top + bounds.top, rect.right + bounds.left, rect.bottom + bounds.top});
        control->id = controlId;
        setUp(*control);
        T* raw = control.release();
        return addChild(raw) == kStatusOk ? raw : nullptr;
    }

    // The usual controls through addControl, their state given as the parameters say.
    Label* createLabel(std::int32_t controlId, std::wstring_view text, const ImageRect& rect);
    Button* createButton(std::int32_t controlId, std::wstring_view text, const ImageRect& rect, std::int32_t style = 0);
    CheckBox* createCheckBox(std::int32_t controlId, std::wstring_view text, bool ticked, const ImageRect& rect);
    RadioButton* createRadioButton(std::int32_t controlId, std::int32_t group, std::wstring_view text, bool ticked,
                                   const ImageRect& rect);
    ListBox* createListBox(std::int32_t controlId, const ImageRect& rect);
    EditBox* createEditBox(std::int32_t controlId, const ImageRect& rect, std::int32_t mode);
    // Every radio button child in `group` cleared, without notifications.
    void untickGroup(std::int32_t group);
    // Loads the nine images into `skin` (order 0, 2, 6, 8, 1, 3, 5, 7, 4), lays them out in
    // the bounds and takes the centre as the client rectangle; false at the first missing one.
    bool loadNinePatch(const SkinIds& ids);
    // Draws the nine images offset by (x, y).
    static void drawNinePatch(Painter& painter, const NinePatch& patch, int x, int y);

    [[nodiscard]] const std::vector<std::unique_ptr<Control>>& children() const { return children_; }
    [[nodiscard]] UiText* font() const { return font_.get(); }
    [[nodiscard]] UiHost& host() const { return host_; }
    // The control of the window stack that has the keyboard focus, or null.
    [[nodiscard]] Control* focusedControl() const;
    // The focused control when it is one of this widget's children, else null.
    [[nodiscard]] Control* focusedChild() const;

    bool keyboardNavigation = false;
    bool notifyOnSet = false;
    bool acceptsMouse = true;
    bool modal = false;
    Point dragAnchor;
    bool dragging = false;
    ImageRect clientRect;
    std::uint32_t lastMouseTime = 0;
    std::int32_t id = 0;
    Widget* owner = nullptr;
    Control* hovered = nullptr;
    std::int32_t fontSize = 12;
    Colour textColour = Colour::fromPacked(0xFF000000u);
    std::int32_t textBaseline = 9;
    ImageRect bounds;
    NinePatch skin;
    Colour tint = Colour::fromPacked(0xFFFFFFFFu);
    bool enabled = true;
    bool visible = true;
    std::wstring tooltip;

protected:
    // Moves the focus among this window's children; true when the key was for navigation.
    bool moveFocus(bool forward);
    void drawTooltip(Painter& painter);

    // The steps shared by a window for its own controls and by a panel for its controls, with
    // `window` the window they are shown on (the window itself, or the panel's owner).
    //
    // The focused control of this widget, if any: its own handling of the message, the
    // program's activation, its keys, and for the mouse the window's time of it and a cleared
    // tooltip before the control's own. The answer when these steps settle the message, none
    // when the caller goes on.
    [[nodiscard]] std::optional<bool> offerToFocused(Control* focused, Widget& window, std::uint32_t message,
                                                     WParam wParam, LParam lParam);
    // The control under the mouse: the window takes its tooltip, then the control the message.
    // True when the control handled it.
    [[nodiscard]] bool offerToControlAt(Control& control, Widget& window, std::uint32_t message, int x, int y,
                                        WParam wParam, LParam lParam);
    // The mouse moved over `control`, one of this widget's controls, or over none: the hand
    // over a button when the window is shown, and the hover moved to it.
    void hover(Control* control, bool windowShown);
    // The shown controls, the focused one last so that it stays on top.
    void drawChildren(Painter& painter);

private:
    UiHost& host_;
    std::vector<std::unique_ptr<Control>> children_;
    std::unique_ptr<UiText> font_;
};

enum class ControlKind : std::int32_t {
    none = 0,
    button = 1,
    label = 2,
    checkBox = 3,
    radioButton = 4,
    listBox = 5,
    editBox = 7,
    scrollBar = 10,
};

class Control : public Widget {
public:
    explicit Control(UiHost& host) : Widget(host) {}
    ~Control() override;

    bool onMessage(std::uint32_t message, WParam wParam, LParam lParam) override;
    bool loadSkin() override;
    void draw(Painter& painter) override;

    virtual bool onKey(std::uint32_t message, WParam wParam, LParam lParam);
    virtual bool onMouse(std::uint32_t message, int x, int y, WParam wParam, LParam lParam);
    [[nodiscard]] virtual bool canFocus() const;
    virtual void focusGained();
    virtual void focusLost();
    virtual void mouseEnter();
    virtual void mouseLeave();

    bool hoveredFlag = false;
    bool focusedFlag = false;
    std::int32_t tabIndex = 0;
    bool tabStop = true;
    bool defaultFocus = false;
    ControlKind kind = ControlKind::none;
};

// The nine destination rectangles of `patch` in a `width` by `height` area, relative to its
// top-left corner.
void layoutNinePatch(int width, int height, NinePatch& patch);

}  // namespace likenex::ui
