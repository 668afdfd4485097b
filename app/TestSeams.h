#pragma once
// What a test run may ask of the editor through the environment, beside the message log of
// platform/win/MessageBox.h. Only a build with LIKENEX_TEST_SEAMS has it; in a build without,
// these do nothing, so no setting on a user's machine can change how the program behaves.

namespace likenex {
class Painter;
}

namespace likenex::testSeams {

// LIKENEX_TEST_FRAME_FAULT names an exception the first frame throws: "standard" (a standard
// exception with the text "frame fault for the test"), "text" (that text as a narrow C
// string) or "other" (an int). Later frames run normally.
void raiseRequestedFrameFault();

// LIKENEX_TEST_GALLERY set: start-up opens the widget gallery over the editor; a number
// above 1 asks for a window of that many widgets instead, for measuring.
[[nodiscard]] bool galleryRequested();
[[nodiscard]] int galleryWidgetCount();

// LIKENEX_TEST_FRAME_LOG names a file: the time the window stack takes to draw and the texture
// draws it makes are taken over 500 frames, and their medians appended to the file.
void beginWindowDrawing(const Painter& painter);
void endWindowDrawing(const Painter& painter);

}  // namespace likenex::testSeams
