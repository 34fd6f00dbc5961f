// plotmere.exe: the main window. The user lists data files in the path edit
// box, by typing them or by dropping files onto the window, ticks the
// normalize checkbox when wanted and presses the run button; the batch then
// converts every listed file on this thread, showing its own message boxes.
//
// The window procedure only dispatches to the OnXxx handlers below; what the
// run button and a drop do with the path list lives in path_list.cc and is
// tested without a window; registering the class, creating the window and
// the message loop are in window_start.cc. All calls are the ANSI forms,
// with code page 932 texts.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#include <limits.h>

#include "engine/batch_run.h"
#include "shell/control_ids.h"
#include "shell/path_list.h"
#include "shell/texts.h"
#include "shell/window_start.h"

namespace plotmere {
namespace {

// Control styles, spelled out so that a changed flag shows.
constexpr DWORD kNormalizeCheckboxStyle = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX;
static_assert(kNormalizeCheckboxStyle == 0x50000003);
constexpr DWORD kRunButtonStyle = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
static_assert(kRunButtonStyle == 0x50000000);
// The box scrolls sideways instead of wrapping long paths.
constexpr DWORD kPathEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER |
                                 WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                 ES_AUTOVSCROLL | ES_AUTOHSCROLL;
static_assert(kPathEditStyle == 0x50B000C4);

// Where the controls and the prompt go in the client area, in pixels. The
// controls stay put when the window is resized.
constexpr int kPromptX = 20, kPromptY = 80;

struct ControlSpec {
  const char* className;
  const char* text;
  DWORD style;
  int x, y, width, height;
  int id;
};

constexpr ControlSpec kNormalizeCheckbox = {
    "BUTTON", kNormalizeLabel, kNormalizeCheckboxStyle, 20, 20, 100, 50,
    kNormalizeCheckboxId};
constexpr ControlSpec kRunButton = {
    "BUTTON", kRunLabel, kRunButtonStyle, 150, 20, 50, 50, kRunButtonId};
constexpr ControlSpec kPathEdit = {
    "EDIT", "", kPathEditStyle, 20, 100, 460, 350, kPathEditId};

// The shell's state; there is one main window.
HINSTANCE gInstance = nullptr;
HWND gNormalizeCheckbox = nullptr;
HWND gPathEdit = nullptr;

// The path edit box through window messages.
class EditPathBox : public PathBox {
 public:
  explicit EditPathBox(HWND edit) : edit_(edit) {}
  size_t TextLength() override {
    const int length = GetWindowTextLengthA(edit_);
    return length > 0 ? static_cast<size_t>(length) : 0;
  }
  void CopyText(char* buffer, size_t size) override {
    // An edit box's text is far below 2 GiB; the bound only guards the cast.
    const int bound = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    buffer[0] = '\0';
    GetWindowTextA(edit_, buffer, bound);
  }
  void SetText(const char* text) override { SetWindowTextA(edit_, text); }

 private:
  HWND edit_;
};

// The names of a drop through DragQueryFileA.
class DropHandleFiles : public DroppedFiles {
 public:
  explicit DropHandleFiles(HDROP drop) : drop_(drop) {}
  size_t Count() override { return DragQueryFileA(drop_, 0xFFFFFFFF, nullptr, 0); }
  size_t NameLength(size_t index) override {
    return DragQueryFileA(drop_, static_cast<UINT>(index), nullptr, 0);
  }
  void CopyName(size_t index, char* buffer, size_t size) override {
    const UINT bound = size > UINT_MAX ? UINT_MAX : static_cast<UINT>(size);
    DragQueryFileA(drop_, static_cast<UINT>(index), buffer, bound);
  }

 private:
  HDROP drop_;
};

HWND CreateControl(HWND parent, const ControlSpec& layout) {
  return CreateWindowExA(0, layout.className, layout.text, layout.style, layout.x,
                         layout.y, layout.width, layout.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                         gInstance, nullptr);
}

LRESULT OnCreate(HWND window) {
  gNormalizeCheckbox = CreateControl(window, kNormalizeCheckbox);
  CreateControl(window, kRunButton);  // its handle is not needed again
  gPathEdit = CreateControl(window, kPathEdit);
  DragAcceptFiles(window, TRUE);
  return 0;
}

LRESULT OnDestroy() {
  ReleasePathList();
  PostQuitMessage(0);
  return 0;
}

LRESULT OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  TextOutA(dc, kPromptX, kPromptY, kPrompt, kPromptLength);
  EndPaint(window, &paint);
  return 0;
}

LRESULT OnRunCommand() {
  // The checkbox is read at the moment of the run.
  const int normalize =
      SendMessageA(gNormalizeCheckbox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  EditPathBox box(gPathEdit);
  RunCommand(box, normalize, RunBatch);
  return 0;
}

LRESULT OnCommand(WPARAM wParam) {
  // Only the control id counts: any notification from the run button's id
  // runs, and the checkbox's and the edit box's notifications end here.
  if (LOWORD(wParam) == kRunButtonId) return OnRunCommand();
  return 0;
}

LRESULT OnDropFiles(HDROP drop) {
  EditPathBox box(gPathEdit);
  DropHandleFiles files(drop);
  DropFiles(box, files);  // refused while a run is in progress
  DragFinish(drop);
  return 0;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_DESTROY:
      return OnDestroy();
    case WM_PAINT:
      return OnPaint(window);
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_DROPFILES:
      return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace plotmere

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // The controls are created with this instance handle.
  plotmere::gInstance = instance;
  // Register, create, show, loop; when the class or the window cannot be
  // had, there is nothing to show and the program ends at once.
  return plotmere::RunMainWindow(instance, showCommand, plotmere::MainWndProc);
}
