#pragma once
// Marks along the editor's start-up, for scripts/measure-startup.sh. With LIKENEX_TIMING_LOG
// naming a file, each mark appends "step NAME N ms after the process started" to it, counted
// from the creation of the process as the first-frame line of the same log is. A mark names
// the step that has just ended, so the time since the previous mark is what that step took.
// Like the seams of app/TestSeams.h, only a build with LIKENEX_TEST_SEAMS has it; in a build
// without, a mark does nothing and the program never reads the variable.

namespace likenex::startupTiming {

void mark(const char* step);

}  // namespace likenex::startupTiming
