#include "platform/platform_fake.h"

#include <gtest/gtest.h>

namespace plotmere {

FakePlatform::FakePlatform() : previous_(SetPlatform(this)) {}

FakePlatform::~FakePlatform() { SetPlatform(previous_); }

MessageAnswer FakePlatform::ShowMessage(const std::string& text,
                                        const std::string& caption,
                                        MessageButtons buttons) {
  shown.push_back({caption, text, buttons});
  if (whileShown) whileShown();
  if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
  if (answers.empty()) {
    ADD_FAILURE() << "unscripted question: " << text;
    return MessageAnswer::kNo;
  }
  MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

bool FakePlatform::PathExists(const char* path) {
  return SystemPlatform().PathExists(path);
}

bool FakePlatform::MoveOver(const char* from, const char* to) {
  moves.emplace_back(from, to);
  if (failMoves) return false;
  return SystemPlatform().MoveOver(from, to);
}

size_t FakePlatform::FileNameOffset(const std::string& path) {
  return SystemPlatform().FileNameOffset(path);
}

const EngineTexts& FakePlatform::Texts() { return SystemPlatform().Texts(); }

}  // namespace plotmere
