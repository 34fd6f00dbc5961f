// The start of the main window in this test's own process, on the real
// system: the class is registered, the window created and shown and the
// message loop run, with a window procedure of the test's that can refuse
// the window's creation. Registration is made to fail by registering the
// class before the start.
//
// Whether the loop ran is seen in the thread's queue: each case posts a
// WM_QUIT before the start, which a running loop takes and ends with, and a
// start that stops before its loop leaves where it was. Each case runs on a
// thread of its own; should its loop not end, the test posts it one more
// WM_QUIT after ten seconds rather than hang.
#include "shell/window_start.h"

#include "gtest/gtest.h"

namespace {

constexpr char kClassName[] = "MainWindow";

// What the test's window procedure saw; one case runs at a time.
bool gRefuseCreation = false;
int gCreations = 0;
HWND gWindow = nullptr;

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
  if (message == WM_CREATE) {
    ++gCreations;
    gWindow = window;
    return gRefuseCreation ? -1 : 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct StartRun {
  int showCommand;
  int result = -1;
  bool quitLeft = false;  // the WM_QUIT posted before the start is still there
  bool windowLeft = false;
  bool visible = false;
};

DWORD WINAPI StartOnThisThread(void* parameter) {
  auto* run = static_cast<StartRun*>(parameter);
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
  PostQuitMessage(0);
  run->result = plotmere::RunMainWindow(GetModuleHandleA(nullptr),
                                        run->showCommand, TestWindowProcedure);
  run->quitLeft =
      PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  // A window belongs to its thread: it is looked at and destroyed here.
  if (gWindow != nullptr && IsWindow(gWindow)) {
    run->windowLeft = true;
    run->visible = IsWindowVisible(gWindow) != 0;
    DestroyWindow(gWindow);
  }
  return 0;
}

TEST(WindowStartTest, FailureToRegisterOrCreateEndsWithoutALoop) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  struct Case {
    bool classTaken;  // a class "MainWindow" of this module is there already
    bool refuseCreation;
    int showCommand;
    // Expected:
    int creations;
    bool loopRuns;
    bool visible;
    const char* why;
  };
  const Case cases[] = {
      {false, false, SW_SHOWNOACTIVATE, 1, true, true,
       "shown with the show command; the loop runs until WM_QUIT"},
      {false, false, SW_HIDE, 1, true, false,
       "the show command is the caller's, even one that hides"},
      {true, false, SW_SHOWNOACTIVATE, 0, false, false,
       "the class cannot be registered: no window, no loop"},
      {false, true, SW_SHOWNOACTIVATE, 1, false, false,
       "WM_CREATE refuses the window: no loop"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    gRefuseCreation = c.refuseCreation;
    gCreations = 0;
    gWindow = nullptr;
    if (c.classTaken) {
      WNDCLASSA taken = {};
      taken.lpfnWndProc = TestWindowProcedure;
      taken.hInstance = instance;
      taken.lpszClassName = kClassName;
      ASSERT_NE(RegisterClassA(&taken), 0);
    }

    StartRun run;
    run.showCommand = c.showCommand;
    DWORD threadId = 0;
    HANDLE thread =
        CreateThread(nullptr, 0, StartOnThisThread, &run, 0, &threadId);
    ASSERT_NE(thread, nullptr);
    if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the message loop did not end on WM_QUIT";
      PostThreadMessageA(threadId, WM_QUIT, 0, 0);
      if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) {
        TerminateThread(thread, 1);
      }
    }
    CloseHandle(thread);
    UnregisterClassA(kClassName, instance);

    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(gCreations, c.creations);
    EXPECT_EQ(run.quitLeft, !c.loopRuns)
        << (c.loopRuns ? "the loop did not take WM_QUIT"
                       : "messages were taken from the queue");
    EXPECT_EQ(run.windowLeft, c.creations == 1 && !c.refuseCreation);
    EXPECT_EQ(run.visible, c.visible);
  }
}

}  // namespace
