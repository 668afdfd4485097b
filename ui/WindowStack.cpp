#include "ui/WindowStack.h"

#include "render/Painter.h"

#include <algorithm>

namespace likenex::ui {

WindowStack::~WindowStack() {
    active_ = root_ = nullptr;
    closed_.clear();
    // Top first, so that no window outlives one it may have opened.
    while (!windows_.empty()) windows_.pop_back();
}

Widget* WindowStack::openWindow(Widget* owner, const ImageRect& rect, bool modal, std::unique_ptr<Widget> widget) {
    if (!widget) widget = std::make_unique<Widget>(host_);
    Widget* w = widget.get();
    w->owner = owner;
    w->modal = modal;
    w->setBounds(rect);
    (void)w->loadSkin();
    bringToFront(w);
    if (windows_.empty()) {
        root_ = w;
        w->modal = false;
    }
    windows_.push_back(std::move(widget));
    return w;
}

void WindowStack::bringToFront(Widget* widget) {
    auto found = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == widget; });
    if (found != windows_.end()) std::rotate(found, found + 1, windows_.end());
    active_ = widget;
}

void WindowStack::closeWindow(Widget* widget) {
    auto found = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == widget; });
    if (found == windows_.end()) return;
    if (root_ == widget) root_ = nullptr;
    if (active_ == widget) active_ = nullptr;
    closed_.push_back(std::move(*found));
    windows_.erase(found);
    bringToFront(windows_.empty() ? nullptr : windows_.back().get());
}

Widget* WindowStack::windowAt(int x, int y) const {
    if (active_ && active_->modal) return nullptr;
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        Widget* w = it->get();
        if (!w || w == root_) continue;
        if (w->hitTest(x, y) && w->enabled) return w;
    }
    return nullptr;
}

Widget* WindowStack::findWindow(std::int32_t id) const {
    for (const auto& w : windows_)
        if (w && w->id == id) return w.get();
    return nullptr;
}

void WindowStack::closeAllWindows() {
    if (active_ != root_) active_ = nullptr;
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (it->get() == root_) {
            ++it;
            continue;
        }
        closed_.push_back(std::move(*it));
        it = windows_.erase(it);
    }
    destroyClosed();
}

void WindowStack::setFocus(Control* control) {
    if (!control || control == focused_ || !control->canFocus()) return;
    if (focused_) focused_->focusLost();
    control->focusGained();
    focused_ = control;
}

void WindowStack::clearFocus() {
    if (!focused_) return;
    Control* old = focused_;
    focused_ = nullptr;
    old->focusLost();
}

void WindowStack::forgetFocus(const Widget* widget) {
    if (focused_ && (focused_->owner == widget || focused_ == widget)) focused_ = nullptr;
}

NinePatch& WindowStack::tooltipSkin() {
    if (!tooltipSkinLoaded_) {
        tooltipSkinLoaded_ = true;
        for (std::size_t k : kNinePatchLoadOrder)
            if (!host_.loadSkinImage(kTooltipSkin[k], tooltipSkin_[k])) break;
    }
    return tooltipSkin_;
}

void WindowStack::editBoxMade() {
    if (liveEditBoxes_++ == 0) host_.startCaretTimer();
}

void WindowStack::editBoxGone() {
    if (--liveEditBoxes_ == 0) host_.stopCaretTimer();
}

void WindowStack::drawWindows(Painter& painter) {
    const Running running(*this);
    for (const auto& w : windows_)
        if (w.get() != active_ && w.get() != root_ && w->visible) w->draw(painter);
    if (active_ && active_ != root_ && active_->visible) active_->draw(painter);
    if (root_ && root_->visible) root_->draw(painter);
    // Text drawing leaves its colour in force; whatever is drawn next starts untinted.
    painter.setColour(Colour::fromPacked(0xFFFFFFFFu));
}

DueIn WindowStack::advanceWindows(Tick now) {
    const Running running(*this);
    // Copied first: a window may close itself, or open another, as its time moves on.
    std::vector<Widget*> shown;
    for (const auto& w : windows_)
        if (w->visible) shown.push_back(w.get());
    DueIn next = DueIn::never();
    for (Widget* w : shown) next = next.orSooner(w->advance(now));
    return next;
}

bool WindowStack::route(std::uint32_t message, WParam wParam, LParam lParam) {
    const Running running(*this);

    if (root_ && root_->onMessage(message, wParam, lParam)) return true;
    if (active_ && active_ != root_ && active_->enabled && active_->onMessage(message, wParam, lParam)) return true;
    if (message > kUserFirst) {
        // Copied first: a window may close itself, or open another, while it handles the message.
        std::vector<Widget*> order;
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (it->get() != root_) order.push_back(it->get());
        for (Widget* w : order) {
            const bool stillOpen =
                std::any_of(windows_.begin(), windows_.end(), [&](const auto& o) { return o.get() == w; });
            if (stillOpen && w->onMessage(message, wParam, lParam)) return true;
        }
    }
    if (isMouseMessage(message)) {
        const int x = mouseX(lParam), y = mouseY(lParam);
        if (active_ && active_->enabled && active_ != root_ && active_->hitTest(x, y)) return true;
        Widget* w = windowAt(x, y);
        if (!w || !w->enabled) return false;
        if (message == kMouseMove) {
            (void)w->onMessage(message, wParam, lParam);
            return true;
        }
        if (w != active_ && w != root_) bringToFront(w);
        return w->onMessage(message, wParam, lParam);
    }
    return false;
}

WindowStack::Running::~Running() {
    if (--stack_.running_ == 0) stack_.destroyClosed();
}

void WindowStack::destroyClosed() {
    if (running_ > 0) return;
    // A window's destructor may close others: take the list before destroying it.
    while (!closed_.empty()) {
        std::vector<std::unique_ptr<Widget>> batch;
        batch.swap(closed_);
        batch.clear();
    }
}

}  // namespace likenex::ui
