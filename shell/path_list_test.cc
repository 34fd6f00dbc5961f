#include "shell/path_list.h"

#include <stdint.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "gtest/gtest.h"
#include "platform/platform_fake.h"

namespace plotmere {
namespace {

// The edit box as a string. `reportedLength` stands in for a box whose
// WM_GETTEXTLENGTH says more than the text holds (or an absurd amount).
class FakeBox : public PathBox {
 public:
  explicit FakeBox(std::string initial) : text(std::move(initial)) {}
  size_t TextLength() override {
    return reportedLength != 0 ? reportedLength : text.size();
  }
  void CopyText(char* buffer, size_t size) override {
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  void SetText(const char* newText) override {
    text = newText;
    ++setTextCalls;
  }

  std::string text;
  size_t reportedLength = 0;
  int setTextCalls = 0;
};

class FakeFiles : public DroppedFiles {
 public:
  explicit FakeFiles(std::vector<std::string> list) : names(std::move(list)) {}
  size_t Count() override { return names.size(); }
  size_t NameLength(size_t index) override {
    return names[index].size() + (lengthCalls++ >= growAfter ? 1 : 0);
  }
  void CopyName(size_t index, char* buffer, size_t size) override {
    const std::string& name = names[index];
    const size_t n = name.size() < size - 1 ? name.size() : size - 1;
    memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
  }

  std::vector<std::string> names;
  // From this call of NameLength on, every name claims one byte more.
  size_t growAfter = SIZE_MAX;
  size_t lengthCalls = 0;
};

// The batch as the run command sees it: records the list and the flag, and
// runs `duringBatch` as a click that arrives while a batch's message box is
// open would.
struct BatchRecord {
  int calls = 0;
  int normalize = -1;
  std::string list;
};
BatchRecord gBatch;
std::function<void()> gDuringBatch;

bool RecordingBatch(int normalize) {
  ++gBatch.calls;
  gBatch.normalize = normalize;
  gBatch.list = gPathList != nullptr ? gPathList : "(null)";
  if (gDuringBatch) gDuringBatch();
  return true;
}

class PathListTest : public testing::Test {
 protected:
  void SetUp() override {
    gBatch = BatchRecord();
    gDuringBatch = nullptr;
  }
  void TearDown() override {
    gDuringBatch = nullptr;
    ReleasePathList();
  }
};

std::string Line(size_t length, char fill) {
  std::string line = "C:\\";
  line.resize(length, fill);
  return line;
}

TEST_F(PathListTest, RunHandsTheWholeTextToTheBatch) {
  const std::string line300 = Line(300, 'a');
  const std::string line255 = Line(255, 'b');
  struct Case {
    std::string text;
    const char* why;
  };
  const Case cases[] = {
      {"", "an empty box still runs the batch"},
      {"C:\\a.csv\r\nC:\\b.csv\r\nC:\\c.csv", "three short lines"},
      {line300, "one line longer than 255 bytes keeps its tail"},
      {line255 + "\r\n" + line255, "two lines of 255 bytes: 512 bytes"},
      {"C:\\a.csv\r\n\r\nC:\\b.csv\r\n", "empty lines and a last line break"},
      {"C:\\\x83" "f\x81[\x83^.csv", "code page 932 bytes pass unchanged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    for (int normalize : {0, 1}) {
      gBatch = BatchRecord();
      FakeBox box(c.text);
      EXPECT_TRUE(RunCommand(box, normalize, RecordingBatch));
      EXPECT_EQ(gBatch.calls, 1);
      EXPECT_EQ(gBatch.normalize, normalize);
      EXPECT_EQ(gBatch.list, c.text);
      EXPECT_EQ(box.text, c.text);  // the box keeps its text
      EXPECT_EQ(box.setTextCalls, 0);
    }
  }
}

TEST_F(PathListTest, RunCopesWithALengthThatSaysTooMuch) {
  FakeBox box("C:\\a.csv");
  box.reportedLength = 4000;
  EXPECT_TRUE(RunCommand(box, 0, RecordingBatch));
  EXPECT_EQ(gBatch.list, "C:\\a.csv");
}

TEST_F(PathListTest, RunWithoutMemoryStopsWithTheOutOfMemoryMessage) {
  struct Case {
    size_t reportedLength;
    const char* why;
  };
  const Case cases[] = {
      {SIZE_MAX, "length plus NUL cannot be counted"},
#if !defined(__SANITIZE_ADDRESS__)
      // AddressSanitizer aborts on an allocation this large instead of
      // failing it.
      {SIZE_MAX - 1, "the allocation fails"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakePlatform platform;
    FakeBox box("C:\\a.csv");
    FakeBox first("C:\\old.csv");
    ASSERT_TRUE(RunCommand(first, 0, RecordingBatch));
    gBatch = BatchRecord();
    box.reportedLength = c.reportedLength;
    EXPECT_FALSE(RunCommand(box, 1, RecordingBatch));
    EXPECT_EQ(gBatch.calls, 0);
    EXPECT_EQ(gPathList, nullptr);  // the old buffer is gone too
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].caption, platform.Texts().errorCaption);
    EXPECT_EQ(platform.shown[0].text, platform.Texts().outOfMemory);
    EXPECT_EQ(platform.shown[0].buttons, MessageButtons::kOk);
  }
}

TEST_F(PathListTest, DropAppendsEachNameOnALineOfItsOwn) {
  const std::string long300 = Line(300, 'n');
  const std::string long400 = Line(400, 'o');
  struct Case {
    std::string text;
    std::vector<std::string> names;
    std::string expected;
    const char* why;
  };
  const Case cases[] = {
      {"", {"C:\\a.csv", "C:\\b.csv"}, "C:\\a.csv\r\nC:\\b.csv",
       "empty box: no line break before the first name or after the last"},
      {"C:\\a.csv", {"C:\\b.csv"}, "C:\\a.csv\r\nC:\\b.csv",
       "a box with one path"},
      {"C:\\a.csv\r\n", {"C:\\b.csv"}, "C:\\a.csv\r\n\r\nC:\\b.csv",
       "a box ending in a line break keeps an empty line"},
      {"", {long300}, long300, "a name longer than 255 bytes stays whole"},
      {long400, {long300, long300, long300},
       long400 + "\r\n" + long300 + "\r\n" + long300 + "\r\n" + long300,
       "long lines and long names: the buffer is sized for them"},
      {"C:\\a.csv", {"C:\\a.csv"}, "C:\\a.csv\r\nC:\\a.csv",
       "a name the box holds already goes in again"},
      {"", {"C:\\\x83" "f\x81[\x83^"}, "C:\\\x83" "f\x81[\x83^",
       "code page 932 bytes pass unchanged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeBox box(c.text);
    FakeFiles files(c.names);
    EXPECT_TRUE(DropFiles(box, files));
    EXPECT_EQ(box.text, c.expected);
    EXPECT_EQ(box.setTextCalls, 1);
    ASSERT_NE(gPathList, nullptr);
    EXPECT_EQ(std::string(gPathList), c.expected);  // until the next run
  }
}

TEST_F(PathListTest, DropStartsNoBatch) {
  FakeBox box("");
  FakeFiles files({"C:\\a.csv"});
  gDuringBatch = [] { ADD_FAILURE() << "a drop ran the batch"; };
  EXPECT_TRUE(DropFiles(box, files));
  EXPECT_EQ(gBatch.calls, 0);
}

TEST_F(PathListTest, DropWithoutMemoryLeavesTheBoxAlone) {
  FakeBox box("C:\\a.csv");
  box.reportedLength = SIZE_MAX - 2;  // plus a name and its CR LF: too much
  FakeFiles files({"C:\\b.csv"});
  EXPECT_FALSE(DropFiles(box, files));
  EXPECT_EQ(box.text, "C:\\a.csv");
  EXPECT_EQ(box.setTextCalls, 0);
  EXPECT_EQ(gPathList, nullptr);
}

TEST_F(PathListTest, DropOfANameThatGrowsLeavesTheBoxAlone) {
  FakeBox box("C:\\a.csv");
  FakeFiles files({"C:\\b.csv", "C:\\c.csv"});
  files.growAfter = 2;  // sized with the true lengths, then one byte more
  EXPECT_FALSE(DropFiles(box, files));
  EXPECT_EQ(box.text, "C:\\a.csv");
  EXPECT_EQ(box.setTextCalls, 0);
}

TEST_F(PathListTest, BufferSizesCountEveryByteAndRefuseOverflow) {
  EXPECT_EQ(RunBufferSize(0), 1u);
  EXPECT_EQ(RunBufferSize(511), 512u);
  EXPECT_EQ(RunBufferSize(SIZE_MAX), 0u);

  FakeFiles none({});
  EXPECT_EQ(DropBufferSize(0, none), 1u);
  FakeFiles two({"ab", "cde"});
  EXPECT_EQ(DropBufferSize(10, two), 10u + 2 + 2 + 2 + 3 + 1);
  EXPECT_EQ(DropBufferSize(SIZE_MAX - 9, two), 0u);
  EXPECT_EQ(DropBufferSize(SIZE_MAX - 10, two), SIZE_MAX);
}

TEST_F(PathListTest, AppendNeverWritesPastTheBlock) {
  struct Case {
    std::string text;
    size_t size;  // of the block
    bool fits;
    std::string expected;
    const char* why;
  };
  const Case cases[] = {
      {"", 4, true, "abc", "first name: no line break, exactly full"},
      {"", 3, false, "", "first name: one byte short"},
      {"x", 7, true, "x\r\nabc", "after text: CR LF and name, exactly full"},
      {"x", 6, false, "x", "after text: one byte short"},
      {"x", 4, false, "x", "room for the name but not for the line break"},
      {"xy", 2, false, "xy", "no NUL inside the block"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<char> block(c.size + 8, '#');  // guard bytes after the block
    memcpy(block.data(), c.text.data(), c.text.size());
    if (c.text.size() < c.size) block[c.text.size()] = '\0';
    FakeFiles files({"abc"});
    EXPECT_EQ(AppendDroppedName(block.data(), c.size, files, 0), c.fits);
    EXPECT_EQ(std::string(block.data(), strnlen(block.data(), c.size)),
              c.expected);
    for (size_t i = c.size; i < block.size(); ++i) {
      EXPECT_EQ(block[i], '#') << "byte " << i << " past the block written";
    }
  }
}

TEST_F(PathListTest, ClicksDuringABatchLeaveItsBufferAlone) {
  FakeBox box("C:\\a.csv\r\nC:\\b.csv");
  FakeBox other("C:\\other.csv");
  FakeFiles files({"C:\\dropped.csv"});
  bool checked = false;
  gDuringBatch = [&] {
    char* walked = gPathList;
    EXPECT_TRUE(RunInProgress());
    EXPECT_FALSE(RunCommand(other, 1, RecordingBatch));
    EXPECT_FALSE(DropFiles(box, files));
    // The window is closed meanwhile: the buffer must outlive the batch.
    ReleasePathList();
    EXPECT_EQ(gPathList, walked);
    EXPECT_STREQ(gPathList, "C:\\a.csv\r\nC:\\b.csv");
    checked = true;
  };
  EXPECT_TRUE(RunCommand(box, 0, RecordingBatch));
  EXPECT_TRUE(checked);
  EXPECT_EQ(gBatch.calls, 1);
  EXPECT_EQ(box.text, "C:\\a.csv\r\nC:\\b.csv");
  EXPECT_EQ(box.setTextCalls, 0);
  EXPECT_FALSE(RunInProgress());
  EXPECT_EQ(gPathList, nullptr);  // released once the batch returned
}

TEST_F(PathListTest, AClickAfterABatchRunsAgain) {
  FakeBox box("C:\\a.csv");
  EXPECT_TRUE(RunCommand(box, 0, RecordingBatch));
  EXPECT_NE(gPathList, nullptr);  // kept until the next run
  box.text = "C:\\b.csv";
  EXPECT_TRUE(RunCommand(box, 1, RecordingBatch));
  EXPECT_EQ(gBatch.calls, 2);
  EXPECT_EQ(gBatch.list, "C:\\b.csv");
  ReleasePathList();
  EXPECT_EQ(gPathList, nullptr);
}

}  // namespace
}  // namespace plotmere
