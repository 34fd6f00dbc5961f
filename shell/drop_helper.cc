// A helper DLL for the window test. The test loads it into the running
// plotmere.exe and calls its functions there on a thread of their own:
// a drop handle is memory of the process that receives it, so a drop from
// outside must be built inside; and the window class's brush, icon and
// cursor can only be read from inside the process that registered it.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string.h>

#include "shell/drop_helper.h"

extern "C" {

// Builds a drop handle from the request and sends it to the window as
// WM_DROPFILES; the window releases the handle. Returns 1 once the window
// has handled the message, 0 when it did not within ten seconds.
__declspec(dllexport) DWORD WINAPI DeliverDrop(void* parameter) {
  const auto* request = static_cast<const DropRequest*>(parameter);
  HGLOBAL drop = GlobalAlloc(GHND, request->payloadSize);
  if (drop == nullptr) return 0;
  void* bytes = GlobalLock(drop);
  memcpy(bytes, request + 1, request->payloadSize);
  GlobalUnlock(drop);
  DWORD_PTR result = 0;
  HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(request->window));
  return SendMessageTimeoutA(window, WM_DROPFILES,
                             reinterpret_cast<WPARAM>(drop), 0, SMTO_NORMAL,
                             10000, &result) != 0
             ? 1
             : 0;
}

// Reads the class "MainWindow" of this process and returns the
// ClassFinding bits that hold.
__declspec(dllexport) DWORD WINAPI InspectMainWindowClass(void*) {
  WNDCLASSA windowClass;
  if (!GetClassInfoA(GetModuleHandleA(nullptr), "MainWindow", &windowClass)) {
    return 0;
  }
  DWORD found = kClassRegistered;
  if (windowClass.style == 0) found |= kClassNoStyles;
  if (windowClass.cbClsExtra == 0 && windowClass.cbWndExtra == 0) {
    found |= kClassNoExtraBytes;
  }
  if (windowClass.hIcon == nullptr) found |= kClassNoIcon;
  if (windowClass.hCursor == nullptr) found |= kClassNoCursor;
  if (windowClass.hbrBackground == GetStockObject(WHITE_BRUSH)) {
    found |= kClassWhiteBackground;
  }
  if (windowClass.lpszMenuName == nullptr) found |= kClassNoMenu;
  if (windowClass.hInstance == GetModuleHandleA(nullptr)) {
    found |= kClassOfTheProgram;
  }
  return found;
}

}  // extern "C"
