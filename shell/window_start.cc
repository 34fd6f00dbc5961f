// The main window's class, its creation and the message loop, step by step.
#include "shell/window_start.h"

#include "shell/texts.h"

namespace plotmere {
namespace {

// Not yet visible: ShowWindow shows it with the show command the program
// was started with.
constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW;
static_assert(kMainWindowStyle == 0x00CF0000);

// Where the window goes on the screen, in pixels.
constexpr int kMainWindowX = 200, kMainWindowY = 200;
constexpr int kMainWindowWidth = 500, kMainWindowHeight = 500;

}  // namespace

int RunMainWindow(HINSTANCE instance, int showCommand,
                  WNDPROC windowProcedure) {
  // The class: white background, no icon, no cursor, no menu.
  WNDCLASSA windowClass = {};
  windowClass.style = 0;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassA(&windowClass) == 0) return 0;

  // WM_CREATE creates the controls inside this call.
  HWND window =
      CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, kMainWindowStyle,
                      kMainWindowX, kMainWindowY, kMainWindowWidth,
                      kMainWindowHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 0;

  // The first WM_PAINT comes through the loop.
  ShowWindow(window, showCommand);

  // No dialog navigation and no accelerators: a Tab typed in the edit box
  // stays in the box. GetMessageA returns -1 only on an error, which must
  // end the loop too rather than spin.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace plotmere
