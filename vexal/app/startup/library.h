// Starting and ending the library: LibraryInit once at program start, LibraryEnd at the
// end. Every end path (normal end, fatal exit, failed start-up) runs one shut-down
// sequence.
#pragma once

#include <cstdint>

namespace vexal {

// Class name of the main window; a window of this class running elsewhere means a
// second copy of the program.
inline constexpr char kWindowClassName[] = "Vexal";
inline constexpr int kWindowIconId = 32512;  // the application icon resource
// Module handle of the program; there is one module, and 0 means none.
inline constexpr uintptr_t kProgramInstance = 1;

// Starts the library. 0, or -1 after a failure (the library is then shut down again).
int LibraryInit();
// Shuts the library down. 0.
int LibraryEnd();
// Creates the main window (part of LibraryInit). 0, or -1 when the class or the window
// cannot be made; ends the process with status 0 when another copy runs.
int CreateMainWindow();
// The window part of the shut-down: drops the window region, closes the window and
// waits for its end, deletes the text inputs, unregisters the class. 0.
int HandleWindowClose();
// Ends COM. 0, or -1 when COM was not started here.
int EndCom();

// How the shut-down clears the text inputs: every record at once (normal end), or handle
// by handle with DeleteTextInput (failed start-up).
enum class TextInputEnd { All, OneByOne };
void RunShutdownSequence(TextInputEnd text_input_end = TextInputEnd::All);

}  // namespace vexal
