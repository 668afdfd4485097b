#pragma once
// A window holding every widget family of the toolkit in each of its states, for looking at
// the toolkit as a user sees it (scripts/gallery.sh takes its picture).

namespace likenex::ui {
class WindowStack;
}

namespace likenex {

// Opens the gallery over whatever is open, and a message dialog beside it.
void openWidgetGallery(ui::WindowStack& stack, int clientWidth, int clientHeight);

// Opens a window of `count` widgets (labels, buttons, check boxes, edit boxes in turn), for
// measuring the drawing of a busy screen; it is drawn at every frame period.
void openWidgetField(ui::WindowStack& stack, int clientWidth, int clientHeight, int count);

}  // namespace likenex
