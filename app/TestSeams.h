#pragma once
// What a test run may ask of the editor through the environment, beside the message log of
// platform/win/MessageBox.h. Only a build with LIKENEX_TEST_SEAMS has it; in a build without,
// these do nothing, so no setting on a user's machine can change how the program behaves.

#include <cstdint>

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

// LIKENEX_CLICK_LOG names a file: for each press of the left button (what the choice grids
// act on) the time from its message (its GetMessageTime) to the end of the first frame
// presented after it was handled is appended, in milliseconds, one line a press, followed by
// the part of it the message spent in the queue. The frame loop calls noteMessage for every
// message it takes from the queue and noteFramePresented after every frame it presents.
void noteMessage(unsigned message, std::uint32_t messageTime);
void noteFramePresented();

}  // namespace likenex::testSeams
