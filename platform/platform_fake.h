// A scripted platform for tests. It records every message box and answers
// questions from a script; the file system calls go to the real system
// (tests work in a temporary folder) unless a failure is scripted.
#ifndef PLOTMERE_PLATFORM_PLATFORM_FAKE_H_
#define PLOTMERE_PLATFORM_PLATFORM_FAKE_H_

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace plotmere {

class FakePlatform : public Platform {
 public:
  struct Shown {
    std::string caption;
    std::string text;
    MessageButtons buttons;
  };

  /// Installs itself as the current platform; the destructor restores the
  /// previous one.
  FakePlatform();
  ~FakePlatform() override;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons) override;
  bool PathExists(const char* path) override;
  bool MoveOver(const char* from, const char* to) override;
  size_t FileNameOffset(const std::string& path) override;
  const EngineTexts& Texts() override;

  /// Every message box in the order shown.
  std::vector<Shown> shown;
  /// Answers to Yes/No questions, used front first. When the script is
  /// empty a question is a test failure and is answered No.
  std::deque<MessageAnswer> answers;
  /// When set, MoveOver fails without touching anything.
  bool failMoves = false;
  /// Every MoveOver asked for, as (from, to).
  std::vector<std::pair<std::string, std::string>> moves;
  /// Runs inside each message box, as the user's other clicks would while
  /// a real box waits for its answer.
  std::function<void()> whileShown;

 private:
  Platform* previous_;
};

}  // namespace plotmere

#endif  // PLOTMERE_PLATFORM_PLATFORM_FAKE_H_
