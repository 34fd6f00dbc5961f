#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform_fake.h"
#include "test_util.h"

namespace plotmere {
namespace {

// The texts byte for byte, in both charsets: a stray byte here is a garbled
// message on screen.
TEST(EngineTexts, Bytes) {
  static const struct {
    const char* EngineTexts::*field;
    const char* cp932;
    const char* utf8;
  } kCases[] = {
      {&EngineTexts::cannotOpen,
       "83 74 83 40 83 43 83 8B 82 AA 8A 4A 82 AF 82 DC 82 B9 82 F1 81 42 8F 88 "
       "97 9D 82 F0 92 86 92 66 82 B5 82 DC 82 B7 81 42",
       "\u30D5\u30A1\u30A4\u30EB\u304C\u958B\u3051\u307E\u305B\u3093\u3002"
       "\u51E6\u7406\u3092\u4E2D\u65AD\u3057\u307E\u3059\u3002"},
      {&EngineTexts::tooLarge,
       "89 E6 91 9C 83 54 83 43 83 59 82 AA 91 E5 82 AB 82 AD 82 C8 82 E8 82 B7 "
       "82 AC 82 DC 82 B7 81 42 8F 88 97 9D 82 F0 92 86 92 66 82 B5 82 DC 82 B7 "
       "81 42",
       "\u753B\u50CF\u30B5\u30A4\u30BA\u304C\u5927\u304D\u304F\u306A\u308A"
       "\u3059\u304E\u307E\u3059\u3002\u51E6\u7406\u3092\u4E2D\u65AD\u3057"
       "\u307E\u3059\u3002"},
      {&EngineTexts::outOfMemory,
       "83 81 83 82 83 8A 82 AA 95 73 91 AB 82 B5 82 C4 82 A2 82 DC 82 B7 81 42 "
       "8F 88 97 9D 82 F0 92 86 92 66 82 B5 82 DC 82 B7 81 42",
       "\u30E1\u30E2\u30EA\u304C\u4E0D\u8DB3\u3057\u3066\u3044\u307E\u3059"
       "\u3002\u51E6\u7406\u3092\u4E2D\u65AD\u3057\u307E\u3059\u3002"},
      {&EngineTexts::errorCaption, "45 52 52 4F 52", "ERROR"},
      {&EngineTexts::confirmCaption, "8A 6D 94 46", "\u78BA\u8A8D"},
      {&EngineTexts::existsSuffix,
       "82 AA 91 B6 8D DD 82 B5 82 DC 82 B7 81 42 8F E3 8F 91 82 AB 82 B5 82 DC "
       "82 B7 82 A9 81 48",
       "\u304C\u5B58\u5728\u3057\u307E\u3059\u3002\u4E0A\u66F8\u304D\u3057"
       "\u307E\u3059\u304B\uFF1F"},
      {&EngineTexts::cannotWriteSuffix,
       "82 C9 8F 91 82 AB 8D 9E 82 DF 82 DC 82 B9 82 F1 81 42",
       "\u306B\u66F8\u304D\u8FBC\u3081\u307E\u305B\u3093\u3002"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(testing::Hex(kCp932Texts.*c.field), c.cp932);
    EXPECT_EQ(testing::Hex(kUtf8Texts.*c.field), testing::Hex(c.utf8));
  }
}

TEST(SystemPlatform, ExistenceAndMove) {
  testing::TempDir dir;
  Platform& platform = SystemPlatform();
  const std::string a = dir.Path("a");
  const std::string b = dir.Path("b");
  EXPECT_FALSE(platform.PathExists(a.c_str()));
  EXPECT_TRUE(platform.PathExists(dir.path().c_str())) << "a folder exists too";
  testing::WriteFile(a, "new");
  testing::WriteFile(b, "old, and longer");
  EXPECT_TRUE(platform.PathExists(a.c_str()));
  EXPECT_TRUE(platform.MoveOver(a.c_str(), b.c_str()));
  std::string bytes;
  ASSERT_TRUE(testing::ReadFile(b, &bytes));
  EXPECT_EQ(bytes, "new");
  EXPECT_FALSE(platform.PathExists(a.c_str()));
  EXPECT_FALSE(platform.MoveOver(a.c_str(), b.c_str())) << "nothing to move";
  EXPECT_TRUE(testing::ReadFile(b, &bytes));
  EXPECT_EQ(bytes, "new");
}

TEST(SystemPlatform, FileNameOffset) {
  static const struct {
    const char* path;
    size_t offset;
  } kCases[] = {
      {"", 0},
      {"run1.csv.bmp", 0},
      {"data/run1.csv.bmp", 5},
      {"/a/b/c.bmp", 5},
#ifdef _WIN32
      {"C:\\data\\run1.csv.bmp", 8},
      {"C:run1.csv.bmp", 2},
      {"C:\\data/run1.csv.bmp", 8},
      // ソ is 83 5C in code page 932: its second byte is no separator.
      {"C:\\\x83\x5C.csv.bmp", 3},
      {"C:\\\x83\x5C\\x.bmp", 6},
#else
      {"a\\b.bmp", 0},  // a backslash is part of a name here
#endif
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(SystemPlatform().FileNameOffset(c.path), c.offset) << c.path;
  }
}

TEST(FakePlatform, InstallsItselfAndRestores) {
  Platform* before = &CurrentPlatform();
  {
    FakePlatform fake;
    EXPECT_EQ(&CurrentPlatform(), &fake);
    fake.answers = {MessageAnswer::kYes};
    EXPECT_EQ(CurrentPlatform().ShowMessage("q", "c", MessageButtons::kYesNo),
              MessageAnswer::kYes);
    EXPECT_EQ(CurrentPlatform().ShowMessage("t", "c", MessageButtons::kOk),
              MessageAnswer::kOk);
    ASSERT_EQ(fake.shown.size(), 2u);
    EXPECT_EQ(fake.shown[0].text, "q");
  }
  EXPECT_EQ(&CurrentPlatform(), before);
}

}  // namespace
}  // namespace plotmere
