// The platform services on POSIX systems. There is no window system here, so
// a message box becomes a line on standard error; a question is answered No,
// since nobody can be asked. Front ends that can ask (plotmere-cli on a
// terminal) put a platform of their own in place of this one.
#include <stdio.h>
#include <sys/stat.h>

#include "platform/platform.h"

namespace plotmere {
namespace {

class HostPlatform : public Platform {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons) override {
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == MessageButtons::kYesNo ? MessageAnswer::kNo
                                             : MessageAnswer::kOk;
  }

  bool PathExists(const char* path) override {
    // lstat, not stat: a link whose target is gone is still an entry of
    // that name, and replacing it would lose it.
    struct stat st;
    return lstat(path, &st) == 0;
  }

  bool MoveOver(const char* from, const char* to) override {
    // rename() replaces a file atomically, and fails on a directory.
    return rename(from, to) == 0;
  }

  size_t FileNameOffset(const std::string& path) override {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
  }

  const EngineTexts& Texts() override { return kUtf8Texts; }
};

}  // namespace

Platform& SystemPlatform() {
  static HostPlatform platform;
  return platform;
}

}  // namespace plotmere
