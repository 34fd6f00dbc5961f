// The start of the program: registering the class of the main window,
// creating and showing the window, and the message loop. What the window does
// is its window procedure's business, given by the caller: the program passes
// its own, and a test passes one that can refuse the window's creation, so
// that each way the start can fail is tried on the real system.
#ifndef PLOTMERE_SHELL_WINDOW_START_H_
#define PLOTMERE_SHELL_WINDOW_START_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace plotmere {

/// Registers the class "MainWindow" of `instance` with `windowProcedure`,
/// creates the main window ("Plotmere", 500 x 500 at (200, 200)), shows it
/// with `showCommand` and dispatches the thread's messages until WM_QUIT (or
/// an error of GetMessageA). Returns 0, the program's exit code.
/// On failure: when the class cannot be registered (a class of that name is
/// there already) or the window cannot be created (`windowProcedure` refuses
/// WM_CREATE), returns 0 at once, without showing anything and without
/// taking a single message from the queue.
int RunMainWindow(HINSTANCE instance, int showCommand, WNDPROC windowProcedure);

}  // namespace plotmere

#endif  // PLOTMERE_SHELL_WINDOW_START_H_
