// The platform services on Windows, through the ANSI functions, with texts in
// code page 932.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace plotmere {
namespace {

class Win32Platform : public Platform {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons) override {
    // No owner window: the main window stays enabled while the box is open.
    int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                             static_cast<UINT>(buttons));
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    return answer == IDYES ? MessageAnswer::kYes : MessageAnswer::kNo;
  }

  bool PathExists(const char* path) override {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
  }

  bool MoveOver(const char* from, const char* to) override {
    return MoveFileExA(from, to,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  size_t FileNameOffset(const std::string& path) override {
    // Walk character by character in the ANSI code page (932 for our
    // users): the second byte of a double-byte character may be 0x5C,
    // which is no separator there.
    size_t offset = 0;
    for (size_t i = 0; i < path.size(); ++i) {
      const char c = path[i];
      if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
        ++i;
      } else if (c == '\\' || c == '/' || c == ':') {
        offset = i + 1;
      }
    }
    return offset;
  }

  const EngineTexts& Texts() override { return kCp932Texts; }
};

}  // namespace

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace plotmere
