// The main window, end to end: starts the real plotmere.exe and drives it
// from outside through window messages, as a user's clicks would, under
// Wine in a virtual X display with code page 932.
//
// Each test starts its own plotmere.exe and closes it at the end, expecting
// exit code 0. Every wait has a timeout, so a window that never comes, a
// message box that never goes or a program that never ends fails the test
// instead of hanging it.
//
// Usage: plotmere_window_test PLOTMERE.exe PLOTMERE-CLI.exe DROP_HELPER.dll
//        WORK_FOLDER [gtest options]
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shlobj.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "shell/drop_helper.h"

namespace {

struct Paths {
  std::string plotmere, cli, dropHelper, work;
} gPaths;

// ---------------------------------------------------------------------------
// Files

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return "(missing)";
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  fclose(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh folder under the work folder.
std::string FreshFolder(const std::string& name) {
  const std::string folder = gPaths.work + "\\" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA((folder + "\\" + data.cFileName).c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  return folder;
}

// Data files. Grey values with a negative one and a range that normalizing
// changes; colours with distinct red, green and blue; an asymmetric shape so
// that a flipped picture shows.
const char kGreyData[] = "0,0,1.5\n3,1,-20\n1,2,200.7\n2,0,99\n";
const char kColourData[] = "0,0,255,0,0\n1,0,0,255,0\n0,1,0,0,255\n2,2,10,20,30\n";
// One pixel at x = 4096: the picture would be 4097 pixels wide.
const char kTooWideData[] = "4096,0,1\n";
// "ソデータ.csv": the second byte of ソ is a backslash.
const char kJapaneseName[] = "\x83\x5C\x83" "f\x81[\x83^.csv";

// Runs plotmere-cli.exe in `folder` on `files` (names in that folder),
// replacing pictures without asking. Returns its exit code, or -1.
int RunCli(const std::string& folder, const std::vector<std::string>& files,
           bool normalize) {
  std::string command = "\"" + gPaths.cli + "\" -y";
  if (normalize) command += " -n";
  for (const std::string& file : files) command += " \"" + file + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.c_str(), &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 99);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// The picture plotmere-cli makes of `data`, named `name`.
std::string CliPicture(const std::string& name, const std::string& data,
                       bool normalize) {
  const std::string folder = FreshFolder(normalize ? "cli-n" : "cli");
  WriteBytes(folder + "\\" + name, data);
  EXPECT_EQ(RunCli(folder, {name}, normalize), 0) << name;
  return ReadBytes(folder + "\\" + name + ".bmp");
}

// ---------------------------------------------------------------------------
// Windows of another process

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000,
                           &length)) {
    return "(no answer)";
  }
  std::vector<char> text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(),
                      reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                      10000, &copied);
  return std::string(text.data(), copied);
}

// A window's rectangle in the client coordinates of `parent`, or on the
// screen when `parent` is null.
RECT RectOf(HWND window, HWND parent) {
  RECT rect;
  GetWindowRect(window, &rect);
  if (parent != nullptr) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

std::string Describe(const RECT& rect) {
  char text[80];
  snprintf(text, sizeof text, "(%ld, %ld) %ld x %ld", rect.left, rect.top,
           rect.right - rect.left, rect.bottom - rect.top);
  return text;
}

std::string Hex(DWORD value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

// Polls `condition` every 20 ms until it holds or `milliseconds` pass.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(20);
  }
}

struct Search {
  DWORD process;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && IsWindowVisible(window) &&
      ClassOf(window) == search->className) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// What a message box shows.
struct MessageBoxView {
  std::string caption, text;
  std::vector<int> buttons;  // ids of the buttons there are
  HWND owner;
};

MessageBoxView ViewOf(HWND box) {
  MessageBoxView view;
  view.caption = TextOf(box);
  view.text = TextOf(GetDlgItem(box, 0xFFFF));
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    if (GetDlgItem(box, id) != nullptr) view.buttons.push_back(id);
  }
  view.owner = GetWindow(box, GW_OWNER);
  return view;
}

// One running plotmere.exe.
class Plotmere {
 public:
  Plotmere() = default;
  Plotmere(const Plotmere&) = delete;
  Plotmere& operator=(const Plotmere&) = delete;
  ~Plotmere() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }

  // Starts the program and waits for its window. Returns false when it
  // does not show within a minute.
  bool Start() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command = "\"" + gPaths.plotmere + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, gPaths.work.c_str(), &startup, &process_)) {
      return false;
    }
    main_ = nullptr;
    WaitUntil([&] { return (main_ = FindOwn("MainWindow")) != nullptr; },
              60000);
    if (main_ == nullptr) return false;
    // Idle in its message loop: the window is complete.
    return Settle();
  }

  HWND main() const { return main_; }
  DWORD pid() const { return process_.dwProcessId; }
  HANDLE process() const { return process_.hProcess; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }

  // Returns when the program's thread takes messages again: after the
  // batch, or while one of its message boxes waits. False after a minute.
  bool Settle() {
    DWORD_PTR result;
    return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 60000,
                               &result) != 0;
  }

  void SetBoxText(const std::string& text) {
    DWORD_PTR result;
    SendMessageTimeoutA(Control(2), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        10000, &result);
  }
  std::string BoxText() { return TextOf(Control(2)); }

  // Sends WM_COMMAND to the main window, as a control, a menu or an
  // accelerator would, and waits for its result. False when the window did
  // not answer within twenty seconds (say, a run that waits in a message
  // box).
  bool Command(WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutA(main_, WM_COMMAND, wParam, lParam, SMTO_NORMAL,
                               20000, result) != 0;
  }

  // A click on a button, queued as a sent message: a WM_NULL sent after it
  // is answered only once the click's handler returns or waits in a
  // message box.
  void Click(int id) { SendNotifyMessageA(Control(id), BM_CLICK, 0, 0); }

  int Checked() {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(Control(0), BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000,
                        &state);
    return static_cast<int>(state);
  }

  // The run button, and the batch to its end or to its first message box.
  void Run() {
    Click(1);
    EXPECT_TRUE(Settle()) << "the batch did not finish or ask in a minute";
  }

  HWND MessageBox() { return FindOwn("#32770"); }
  HWND WaitForMessageBox() {
    HWND box = nullptr;
    WaitUntil([&] { return (box = MessageBox()) != nullptr; }, 10000);
    return box;
  }

  // Presses a button of the message box and waits until the batch goes on
  // to its end or its next message box.
  bool Answer(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (button == nullptr) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(box); }, 10000)) return false;
    return Settle();
  }

  // Calls a function of the helper DLL inside the program and returns its
  // result; `data` is copied into the program for it.
  DWORD CallHelper(const char* function, const std::string& data) {
    if (!LoadHelper()) return 0;
    HMODULE local = LoadLibraryA(gPaths.dropHelper.c_str());
    const auto address = reinterpret_cast<ULONG_PTR>(GetProcAddress(local, function));
    if (address == 0) return 0;
    const ULONG_PTR remote =
        reinterpret_cast<ULONG_PTR>(remoteHelper_) + (address - reinterpret_cast<ULONG_PTR>(local));
    void* block = CopyIn(data);
    DWORD result = 0;
    RunRemote(reinterpret_cast<LPTHREAD_START_ROUTINE>(remote), block, &result);
    if (block != nullptr) VirtualFreeEx(process_.hProcess, block, 0, MEM_RELEASE);
    return result;
  }

  // Drops `names` on the window, from inside the program. False when the
  // window did not take the message within ten seconds.
  bool Drop(const std::vector<std::string>& names) {
    std::string files;
    for (const std::string& name : names) files += name + '\0';
    files += '\0';
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = FALSE;
    DropRequest request;
    request.window = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(main_));
    request.payloadSize = static_cast<uint32_t>(sizeof header + files.size());
    std::string data(reinterpret_cast<const char*>(&request), sizeof request);
    data.append(reinterpret_cast<const char*>(&header), sizeof header);
    data += files;
    return CallHelper("DeliverDrop", data) == 1;
  }

  // Closes the window as the user would and returns the exit code, or -1
  // when the program did not end within twenty seconds.
  int Close() {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    return WaitForExit();
  }
  int WaitForExit() {
    if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  HWND FindOwn(const char* className) {
    Search search = {process_.dwProcessId, className, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void* CopyIn(const std::string& data) {
    if (data.empty()) return nullptr;
    void* block = VirtualAllocEx(process_.hProcess, nullptr, data.size(),
                                 MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block == nullptr) return nullptr;
    SIZE_T written = 0;
    WriteProcessMemory(process_.hProcess, block, data.data(), data.size(), &written);
    return block;
  }

  bool RunRemote(LPTHREAD_START_ROUTINE start, void* parameter, DWORD* result) {
    HANDLE thread = CreateRemoteThread(process_.hProcess, nullptr, 0, start,
                                       parameter, 0, nullptr);
    if (thread == nullptr) return false;
    const bool done = WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0;
    if (done) GetExitCodeThread(thread, result);
    CloseHandle(thread);
    return done;
  }

  // Loads the helper DLL into the program: LoadLibraryA is at the same
  // address in every process, and its result fits a thread's exit code.
  bool LoadHelper() {
    if (remoteHelper_ != nullptr) return true;
    void* name = CopyIn(gPaths.dropHelper + '\0');
    auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    DWORD module = 0;
    RunRemote(load, name, &module);
    remoteHelper_ = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(module));
    return remoteHelper_ != nullptr;
  }

  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
  HMODULE remoteHelper_ = nullptr;
};

// Texts in code page 932, written out here apart from the program's own.
const char kNormalizeLabel[] = "\x8B\x4B\x8A\x69\x89\xBB";  // 規格化
const char kRunLabel[] = "\x8E\xC0\x8D\x73";                // 実行
const char kConfirmCaption[] = "\x8A\x6D\x94\x46";          // 確認

// ---------------------------------------------------------------------------
// Tests

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_.Start()) << "plotmere.exe showed no window";
  }
  void TearDown() override {
    if (closed_) return;
    // Whatever a test left open, the window must still close cleanly.
    if (HWND box = app_.MessageBox()) {
      app_.Answer(box, GetDlgItem(box, IDNO) != nullptr ? IDNO : IDOK);
    }
    EXPECT_EQ(app_.Close(), 0) << "exit code after closing the window";
  }

  // The list of `names` in `folder`, one a line, as the user types it.
  static std::string ListOf(const std::string& folder,
                            const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
      if (!list.empty()) list += "\r\n";
      list += folder + "\\" + name;
    }
    return list;
  }

  Plotmere app_;
  bool closed_ = false;
};

TEST_F(MainWindowTest, WindowHasItsClassTitleStyleAndPlace) {
  HWND main = app_.main();
  EXPECT_EQ(ClassOf(main), "MainWindow");
  EXPECT_EQ(TextOf(main), "Plotmere");
  EXPECT_EQ(GetParent(main), nullptr);
  EXPECT_EQ(GetMenu(main), nullptr);
  EXPECT_EQ(Describe(RectOf(main, nullptr)), "(200, 200) 500 x 500");
  // Created with extended style 0; DragAcceptFiles adds WS_EX_ACCEPTFILES,
  // and the system may add the window edge of a captioned window.
  EXPECT_EQ(Hex(static_cast<DWORD>(GetWindowLongA(main, GWL_EXSTYLE)) &
                ~static_cast<DWORD>(WS_EX_WINDOWEDGE)),
            Hex(WS_EX_ACCEPTFILES));

  // The style as the system reports it for a window created with
  // WS_OVERLAPPEDWINDOW and then shown.
  const DWORD style = static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE));
  EXPECT_EQ(style & 0x00CF0000u, 0x00CF0000u) << Hex(style);
  HWND reference = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0,
                                   10, 10, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(reference, SW_SHOWNOACTIVATE);
  EXPECT_EQ(Hex(style),
            Hex(static_cast<DWORD>(GetWindowLongA(reference, GWL_STYLE))));
  DestroyWindow(reference);

  EXPECT_EQ(GetClassLongA(main, GCL_STYLE), 0u);
  const DWORD found = app_.CallHelper("InspectMainWindowClass", "");
  EXPECT_EQ(Hex(found), Hex(kClassAll))
      << "missing bits: " << Hex(kClassAll & ~found)
      << " (see ClassFinding: registered, no styles, no extra bytes, no "
         "icon, no cursor, white background, no menu, this module)";
}

TEST_F(MainWindowTest, ControlsHaveTheirClassesTextsStylesIdsAndPlaces) {
  struct Expected {
    int id;
    const char* className;
    std::string text;
    DWORD style;
    const char* place;
  };
  const Expected controls[] = {
      {0, "Button", kNormalizeLabel, 0x50000003, "(20, 20) 100 x 50"},
      {1, "Button", kRunLabel, 0x50000000, "(150, 20) 50 x 50"},
      {2, "Edit", "", 0x50B000C4, "(20, 100) 460 x 350"},
  };
  // Reference controls with the same styles, for what the system makes of
  // them: Wine's edit box reads back without WS_BORDER though it draws one.
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 600,
                                nullptr, nullptr, nullptr, nullptr);
  std::vector<HWND> seen;
  for (HWND child = GetWindow(app_.main(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    seen.push_back(child);
  }
  EXPECT_EQ(seen.size(), 3u) << "the window holds the three controls only";
  for (const Expected& c : controls) {
    SCOPED_TRACE(testing::Message() << "control id " << c.id);
    HWND control = app_.Control(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetDlgCtrlID(control), c.id);
    EXPECT_STRCASEEQ(ClassOf(control).c_str(), c.className);
    EXPECT_EQ(TextOf(control), c.text);
    EXPECT_EQ(Describe(RectOf(control, app_.main())), c.place);
    EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE, 0);
    HWND reference = CreateWindowExA(0, c.className, "", c.style, 0, 0, 50, 50,
                                     parent, nullptr, nullptr, nullptr);
    EXPECT_EQ(Hex(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE))),
              Hex(static_cast<DWORD>(GetWindowLongA(reference, GWL_STYLE))));
    DestroyWindow(reference);
    DWORD_PTR font = 1;
    SendMessageTimeoutA(control, WM_GETFONT, 0, 0, SMTO_NORMAL, 10000, &font);
    EXPECT_EQ(font, 0u) << "the control keeps the system's default font";
  }
  DestroyWindow(parent);
  EXPECT_EQ(app_.Checked(), BST_UNCHECKED);
}

TEST_F(MainWindowTest, PromptIsPaintedBetweenTheButtonsAndTheBox) {
  HWND main = app_.main();
  InvalidateRect(main, nullptr, TRUE);
  ASSERT_TRUE(app_.Settle());
  Sleep(500);  // until the X server has the new pixels

  // The band between the buttons and the box, from the screen.
  POINT origin = {0, 70};
  ClientToScreen(main, &origin);
  const int width = 480, height = 30;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);

  // Where ink is, in client coordinates; the rest must be the white
  // background.
  int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1, white = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((pixels[y * width + x] & 0xFFFFFF) == 0xFFFFFF) {
        ++white;
        continue;
      }
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y + 70), bottom = std::max(bottom, y + 70);
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  ASSERT_GT(white, 0) << "nothing white: the band could not be read";
  ASSERT_GE(right, 0) << "no prompt painted";
  EXPECT_GE(left, 20) << "the prompt starts at x = 20";
  EXPECT_LE(left, 24);
  EXPECT_GE(top, 80) << "the prompt starts at y = 80";
  EXPECT_LE(top, 86);
  EXPECT_LT(bottom, 100) << "the prompt stays above the box";
  EXPECT_GT(right - left, 200) << "53 bytes of text are wider than that";
}

TEST_F(MainWindowTest, ControlsStayPutWhenTheWindowIsResized) {
  SetWindowPos(app_.main(), nullptr, 100, 100, 300, 250,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(app_.Settle());
  EXPECT_EQ(Describe(RectOf(app_.Control(0), app_.main())), "(20, 20) 100 x 50");
  EXPECT_EQ(Describe(RectOf(app_.Control(1), app_.main())), "(150, 20) 50 x 50");
  EXPECT_EQ(Describe(RectOf(app_.Control(2), app_.main())), "(20, 100) 460 x 350");
}

TEST_F(MainWindowTest, RunConvertsEveryListedFileAsTheCliDoes) {
  const std::string folder = FreshFolder("run");
  WriteBytes(folder + "\\grey.csv", kGreyData);
  WriteBytes(folder + "\\colour.csv", kColourData);
  WriteBytes(folder + "\\" + kJapaneseName, kGreyData);
  // An empty line between, and a line break at the end: both are skipped.
  const std::string list =
      ListOf(folder, {"grey.csv", "colour.csv"}) + "\r\n\r\n" +
      ListOf(folder, {kJapaneseName}) + "\r\n";
  app_.SetBoxText(list);
  app_.Run();
  EXPECT_EQ(app_.MessageBox(), nullptr) << "no message expected";

  EXPECT_EQ(ReadBytes(folder + "\\grey.csv.bmp"),
            CliPicture("grey.csv", kGreyData, false));
  EXPECT_EQ(ReadBytes(folder + "\\colour.csv.bmp"),
            CliPicture("colour.csv", kColourData, false));
  EXPECT_EQ(ReadBytes(folder + "\\" + kJapaneseName + ".bmp"),
            CliPicture(kJapaneseName, kGreyData, false));
  EXPECT_EQ(app_.BoxText(), list) << "the box keeps its text";
}

TEST_F(MainWindowTest, NormalizeCheckboxIsReadAtEachRun) {
  const std::string folder = FreshFolder("normalize");
  WriteBytes(folder + "\\grey.csv", kGreyData);
  const std::string plain = CliPicture("grey.csv", kGreyData, false);
  const std::string scaled = CliPicture("grey.csv", kGreyData, true);
  ASSERT_NE(plain, scaled) << "the fixture must show the difference";
  app_.SetBoxText(ListOf(folder, {"grey.csv"}));

  app_.Click(0);
  ASSERT_TRUE(app_.Settle());
  EXPECT_EQ(app_.Checked(), BST_CHECKED);
  app_.Run();
  EXPECT_EQ(ReadBytes(folder + "\\grey.csv.bmp"), scaled);
  EXPECT_EQ(app_.Checked(), BST_CHECKED) << "the tick stays after a run";

  app_.Click(0);
  ASSERT_TRUE(app_.Settle());
  EXPECT_EQ(app_.Checked(), BST_UNCHECKED);
  app_.Run();
  HWND box = app_.WaitForMessageBox();  // the picture exists now
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(app_.Answer(box, IDYES));
  EXPECT_EQ(ReadBytes(folder + "\\grey.csv.bmp"), plain);
}

TEST_F(MainWindowTest, ExistingPictureIsReplacedOnlyAfterYes) {
  const std::string folder = FreshFolder("overwrite");
  const std::string picture = folder + "\\grey.csv.bmp";
  WriteBytes(folder + "\\grey.csv", kGreyData);
  WriteBytes(picture, "an older picture");
  app_.SetBoxText(ListOf(folder, {"grey.csv"}));

  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "answered Yes" : "answered No");
    app_.Run();
    HWND box = app_.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no question before replacing";
    const MessageBoxView view = ViewOf(box);
    EXPECT_EQ(view.caption, kConfirmCaption);
    EXPECT_EQ(view.text, picture + plotmere::kCp932Texts.existsSuffix);
    EXPECT_EQ(view.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(view.owner, nullptr);
    EXPECT_TRUE(IsWindowEnabled(app_.main())) << "the box has no owner";
    ASSERT_TRUE(app_.Answer(box, answer));
    EXPECT_EQ(app_.MessageBox(), nullptr);
  }
  EXPECT_EQ(ReadBytes(picture), CliPicture("grey.csv", kGreyData, false));
}

TEST_F(MainWindowTest, OverwriteAnsweredNoKeepsTheOldPicture) {
  const std::string folder = FreshFolder("keep");
  WriteBytes(folder + "\\grey.csv", kGreyData);
  WriteBytes(folder + "\\colour.csv", kColourData);
  WriteBytes(folder + "\\grey.csv.bmp", "an older picture");
  app_.SetBoxText(ListOf(folder, {"grey.csv", "colour.csv"}));
  app_.Run();
  HWND box = app_.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(app_.Answer(box, IDNO));
  EXPECT_EQ(ReadBytes(folder + "\\grey.csv.bmp"), "an older picture");
  EXPECT_EQ(ReadBytes(folder + "\\colour.csv.bmp"),
            CliPicture("colour.csv", kColourData, false))
      << "No skips only that file";
}

TEST_F(MainWindowTest, ErrorsEndTheBatchWithTheirMessage) {
  struct Case {
    const char* name;
    const char* data;  // null: no such file
    const char* message;
  };
  const Case cases[] = {
      {"missing.csv", nullptr, plotmere::kCp932Texts.cannotOpen},
      {"wide.csv", kTooWideData, plotmere::kCp932Texts.tooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = FreshFolder(std::string("error-") + c.name);
    if (c.data != nullptr) WriteBytes(folder + "\\" + c.name, c.data);
    WriteBytes(folder + "\\after.csv", kGreyData);
    app_.SetBoxText(ListOf(folder, {c.name, "after.csv"}));
    app_.Run();
    HWND box = app_.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no error message";
    const MessageBoxView view = ViewOf(box);
    EXPECT_EQ(view.caption, "ERROR");
    EXPECT_EQ(view.text, c.message);
    EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(view.owner, nullptr);
    ASSERT_TRUE(app_.Answer(box, IDOK));
    EXPECT_EQ(app_.MessageBox(), nullptr);
    EXPECT_FALSE(Exists(folder + "\\" + c.name + ".bmp"));
    EXPECT_FALSE(Exists(folder + "\\after.csv.bmp")) << "the batch ended";
  }
}

TEST_F(MainWindowTest, CommandWithTheRunButtonsIdRunsWhateverElseItCarries) {
  const std::string folder = FreshFolder("command-run");
  const std::string picture = folder + "\\grey.csv.bmp";
  WriteBytes(folder + "\\grey.csv", kGreyData);
  const std::string expected = CliPicture("grey.csv", kGreyData, false);
  app_.SetBoxText(ListOf(folder, {"grey.csv"}));
  const auto button = reinterpret_cast<LPARAM>(app_.Control(1));
  const auto edit = reinterpret_cast<LPARAM>(app_.Control(2));
  struct Case {
    WORD code;  // the notification code, in the high word of wParam
    LPARAM lParam;
    const char* why;
  };
  const Case cases[] = {
      {BN_CLICKED, button, "the button's own click"},
      {BN_DOUBLECLICKED, button, "another notification of the button"},
      {1, 0, "as an accelerator sends it, without a handle"},
      {0, 0, "as a menu sends it"},
      {EN_CHANGE, edit, "the code and handle of another control"},
      {0xFFFF, 0x12345678, "a code and a handle that no control sends"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DeleteFileA(picture.c_str());
    DWORD_PTR result = 1;
    ASSERT_TRUE(app_.Command(MAKEWPARAM(1, c.code), c.lParam, &result))
        << "the run did not end";
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(app_.MessageBox(), nullptr);
    EXPECT_EQ(ReadBytes(picture), expected) << "no run";
  }
}

TEST_F(MainWindowTest, CommandsWithOtherIdsStartNothing) {
  const std::string folder = FreshFolder("command-other");
  const std::string picture = folder + "\\grey.csv.bmp";
  WriteBytes(folder + "\\grey.csv", kGreyData);
  const std::string list = ListOf(folder, {"grey.csv"});
  app_.SetBoxText(list);
  const auto checkbox = reinterpret_cast<LPARAM>(app_.Control(0));
  const auto button = reinterpret_cast<LPARAM>(app_.Control(1));
  const auto edit = reinterpret_cast<LPARAM>(app_.Control(2));
  struct Case {
    WORD id;
    WORD code;
    LPARAM lParam;
    const char* why;
  };
  const Case cases[] = {
      {0, BN_CLICKED, checkbox, "a click on the checkbox"},
      {2, EN_CHANGE, edit, "the box's text changed"},
      {2, EN_SETFOCUS, edit, "the box got the focus"},
      {0, BN_CLICKED, button, "the run button's handle with another id"},
      {0, 1, 0, "the code is 1, the id is not"},
      {0x0101, BN_CLICKED, 0, "an id whose low byte is 1"},
      {3, 0, 0, "an id that no control has"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DWORD_PTR result = 1;
    ASSERT_TRUE(app_.Command(MAKEWPARAM(c.id, c.code), c.lParam, &result))
        << "the window did not answer: a run that asks?";
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(app_.MessageBox(), nullptr);
    EXPECT_FALSE(Exists(picture)) << "a run was started";
    DeleteFileA(picture.c_str());  // so that one fault does not hide the next
  }
  EXPECT_EQ(app_.BoxText(), list);
  EXPECT_EQ(app_.Checked(), BST_UNCHECKED);

  // The window goes on as before: the run button runs.
  app_.Run();
  EXPECT_EQ(ReadBytes(picture), CliPicture("grey.csv", kGreyData, false));
}

TEST_F(MainWindowTest, LinesOf255BytesReachTheBatchWhole) {
  // Two paths of 255 bytes, one a line: 512 bytes of text, one more than a
  // buffer of 256 bytes a line would hold. Their pictures exist, so the
  // batch asks before each and names it whole; a cut path would be a file
  // that cannot be opened instead. Answered No, nothing is written: at 259
  // bytes the pictures' names are at the end of what the ANSI file
  // functions take, and replacing a picture needs a longer name still.
  const std::string folder = FreshFolder("long-lines");
  ASSERT_LT(folder.size(), 200u) << "no room for the long names";
  std::vector<std::string> paths;
  for (char fill : {'a', 'b'}) {
    const std::string path =
        folder + "\\" + std::string(255 - folder.size() - 1 - 4, fill) + ".csv";
    ASSERT_EQ(path.size(), 255u);
    WriteBytes(path, kGreyData);
    WriteBytes(path + ".bmp", "an older picture");
    paths.push_back(path);
  }
  app_.SetBoxText(paths[0] + "\r\n" + paths[1]);
  app_.Run();
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    HWND box = app_.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "the batch did not ask";
    const MessageBoxView view = ViewOf(box);
    EXPECT_EQ(view.caption, kConfirmCaption) << view.text;
    EXPECT_EQ(view.text, path + ".bmp" + plotmere::kCp932Texts.existsSuffix);
    ASSERT_TRUE(
        app_.Answer(box, view.caption == kConfirmCaption ? IDNO : IDOK));
  }
  EXPECT_EQ(app_.MessageBox(), nullptr);
  for (const std::string& path : paths) {
    EXPECT_EQ(ReadBytes(path + ".bmp"), "an older picture");
  }
}

TEST_F(MainWindowTest, KeysTypedIntoTheBoxBecomeItsText) {
  // Key presses as the system queues them for the focused box: the message
  // loop makes characters of them. With no dialog navigation Tab stays in
  // the box as a character; Enter starts a new line.
  HWND edit = app_.Control(2);
  const UINT keys[] = {'A', VK_TAB, 'B', VK_RETURN, 'C'};
  for (UINT key : keys) {
    // Repeat count 1 and the scan code; a release also has its previous
    // state and transition bits set.
    const LPARAM press =
        (static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16) | 1;
    PostMessageA(edit, WM_KEYDOWN, key, press);
    PostMessageA(edit, WM_KEYUP, key, press | static_cast<LPARAM>(0xC0000000u));
  }
  const std::string expected = "a\tb\r\nc";
  WaitUntil([&] { return app_.BoxText() == expected; }, 10000);
  EXPECT_EQ(app_.BoxText(), expected);
}

TEST_F(MainWindowTest, DroppedNamesAreAppendedToTheBox) {
  const std::string folder = FreshFolder("drop");
  WriteBytes(folder + "\\grey.csv", kGreyData);
  WriteBytes(folder + "\\" + kJapaneseName, kColourData);
  const std::string grey = folder + "\\grey.csv";
  const std::string japanese = folder + "\\" + kJapaneseName;
  // A name of 300 bytes: no such file, and a drop does not look.
  const std::string longName = folder + "\\" + std::string(300 - folder.size() - 1, 'L');

  ASSERT_TRUE(app_.Drop({grey, japanese}));
  EXPECT_EQ(app_.BoxText(), grey + "\r\n" + japanese);

  app_.SetBoxText("C:\\typed.csv\r\n");
  ASSERT_TRUE(app_.Drop({longName}));
  EXPECT_EQ(app_.BoxText(), "C:\\typed.csv\r\n\r\n" + longName)
      << "a box ending in a line break keeps an empty line; long names stay whole";

  // What was dropped runs.
  app_.SetBoxText("");
  ASSERT_TRUE(app_.Drop({japanese, grey}));
  app_.Run();
  EXPECT_EQ(app_.MessageBox(), nullptr);
  EXPECT_EQ(ReadBytes(japanese + ".bmp"), CliPicture(kJapaneseName, kColourData, false));
  EXPECT_EQ(ReadBytes(grey + ".bmp"), CliPicture("grey.csv", kGreyData, false));
}

TEST_F(MainWindowTest, RunAndDropAreRefusedWhileTheBatchAsks) {
  const std::string folder = FreshFolder("reentry");
  WriteBytes(folder + "\\first.csv", kGreyData);
  WriteBytes(folder + "\\first.csv.bmp", "an older picture");
  WriteBytes(folder + "\\second.csv", kColourData);
  WriteBytes(folder + "\\other.csv", kGreyData);
  app_.SetBoxText(ListOf(folder, {"first.csv", "second.csv"}));
  app_.Run();
  HWND box = app_.WaitForMessageBox();
  ASSERT_NE(box, nullptr);

  // While the question waits, the user edits the box, presses the run
  // button again and drops a file.
  const std::string edited = ListOf(folder, {"other.csv"});
  app_.SetBoxText(edited);
  app_.Click(1);
  ASSERT_TRUE(app_.Settle());
  ASSERT_TRUE(app_.Drop({folder + "\\second.csv"}));
  EXPECT_EQ(app_.BoxText(), edited) << "the drop was not refused";
  EXPECT_EQ(app_.MessageBox(), box) << "still the one question";

  ASSERT_TRUE(app_.Answer(box, IDYES));
  EXPECT_EQ(app_.MessageBox(), nullptr);
  // The batch went on with the list it started with.
  EXPECT_EQ(ReadBytes(folder + "\\first.csv.bmp"), CliPicture("first.csv", kGreyData, false));
  EXPECT_EQ(ReadBytes(folder + "\\second.csv.bmp"),
            CliPicture("second.csv", kColourData, false));
  EXPECT_FALSE(Exists(folder + "\\other.csv.bmp")) << "the second run was not refused";

  // Afterwards the run button works again, with the box as it is now.
  app_.Run();
  EXPECT_EQ(ReadBytes(folder + "\\other.csv.bmp"), CliPicture("other.csv", kGreyData, false));
}

TEST_F(MainWindowTest, ClosingWhileTheBatchAsksEndsWithExitCodeZero) {
  const std::string folder = FreshFolder("close");
  WriteBytes(folder + "\\first.csv", kGreyData);
  WriteBytes(folder + "\\first.csv.bmp", "an older picture");
  WriteBytes(folder + "\\second.csv", kColourData);
  app_.SetBoxText(ListOf(folder, {"first.csv", "second.csv"}));
  app_.Run();
  ASSERT_NE(app_.WaitForMessageBox(), nullptr);
  closed_ = true;
  EXPECT_EQ(app_.Close(), 0);
  EXPECT_EQ(ReadBytes(folder + "\\first.csv.bmp"), "an older picture");
}

TEST_F(MainWindowTest, ClosingBeforeAnyRunEndsWithExitCodeZero) {
  closed_ = true;
  EXPECT_EQ(app_.Close(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 5) {
    fprintf(stderr,
            "usage: %s PLOTMERE.exe PLOTMERE-CLI.exe DROP_HELPER.dll "
            "WORK_FOLDER [gtest options]\n",
            argv[0]);
    return 2;
  }
  gPaths = {argv[1], argv[2], argv[3], argv[4]};
  CreateDirectoryA(gPaths.work.c_str(), nullptr);
  return RUN_ALL_TESTS();
}
