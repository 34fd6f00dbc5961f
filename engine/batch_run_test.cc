#include "engine/batch_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform_fake.h"
#include "test_util.h"

namespace plotmere {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

class BatchRunTest : public ::testing::Test {
 protected:
  ~BatchRunTest() override { gPathList = nullptr; }

  // Puts `list` into the path-list buffer, as the front ends do.
  void SetList(const std::string& list) {
    buffer_.assign(list.begin(), list.end());
    buffer_.push_back('\0');
    gPathList = buffer_.data();
  }

  std::string Data(const std::string& name, const std::string& text) {
    std::string path = dir_.Path(name);
    WriteFile(path, text);
    return path;
  }

  std::string Contents(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFile(path, &bytes)) << path;
    return bytes;
  }

  const EngineTexts& texts() { return fake_.Texts(); }

  void ExpectOneError(const char* text) {
    ASSERT_EQ(fake_.shown.size(), 1u);
    EXPECT_EQ(fake_.shown[0].caption, "ERROR");
    EXPECT_EQ(fake_.shown[0].text, text);
    EXPECT_EQ(fake_.shown[0].buttons, MessageButtons::kOk);
  }

  testing::TempDir dir_;
  FakePlatform fake_;
  std::vector<char> buffer_;
};

TEST_F(BatchRunTest, EmptyListsConvertNothing) {
  for (const char* list : {"", "\r\n", "\r\n\r\n\r\n"}) {
    SetList(list);
    EXPECT_TRUE(RunBatch(0));
  }
  gPathList = nullptr;
  EXPECT_TRUE(RunBatch(0)) << "no buffer yet";
  EXPECT_TRUE(fake_.shown.empty());
}

TEST_F(BatchRunTest, EmptyLinesAreSkippedWhereverTheyStand) {
  const std::string a = Data("a.csv", "0,0,1\n");
  const std::string b = Data("b.csv", "0,0,2\n");
  const std::string c = Data("c.csv", "0,0,3\n");
  SetList("\r\n\r\n" + a + "\r\n\r\n" + b + "\r\n\r\n\r\n" + c);
  EXPECT_TRUE(RunBatch(0));
  EXPECT_TRUE(fake_.shown.empty());
  EXPECT_EQ(static_cast<uint8_t>(Contents(a + ".bmp")[26]), 1);
  EXPECT_EQ(static_cast<uint8_t>(Contents(b + ".bmp")[26]), 2);
  EXPECT_EQ(static_cast<uint8_t>(Contents(c + ".bmp")[26]), 3)
      << "the last line needs no line break";
  // The list is split in place: every CR is now a NUL.
  EXPECT_EQ(std::count(buffer_.begin(), buffer_.end(), '\r'), 0);
  EXPECT_EQ(buffer_[0], '\0');
  EXPECT_EQ(buffer_[1], '\n');
}

TEST_F(BatchRunTest, BlanksBelongToThePath) {
  const std::string spaced = Data(" spaced .csv", "0,0,9\n");
  SetList(spaced);
  EXPECT_TRUE(RunBatch(0));
  EXPECT_TRUE(FileExists(spaced + ".bmp"));
}

TEST_F(BatchRunTest, FileThatCannotBeOpenedStopsTheBatch) {
  const std::string first = Data("first.csv", "0,0,1\n");
  const std::string third = Data("third.csv", "0,0,1\n");
  SetList(first + "\r\n" + dir_.Path("missing.csv") + "\r\n" + third);
  EXPECT_FALSE(RunBatch(0));
  ExpectOneError(texts().cannotOpen);
  EXPECT_TRUE(FileExists(first + ".bmp"));
  EXPECT_FALSE(FileExists(third + ".bmp")) << "paths after the stop are untouched";
}

TEST_F(BatchRunTest, FolderNamedAsDataFileCannotBeOpened) {
  SetList(dir_.path());
  EXPECT_FALSE(RunBatch(0));
  ExpectOneError(texts().cannotOpen);
}

TEST_F(BatchRunTest, PictureSizeLimit) {
  static const struct {
    const char* text;
    bool made;
    const char* why;
  } kCases[] = {
      {"4095,0,1\n", true, "4096 wide is made"},
      {"0,-4095,1\n", true, "4096 high is made"},
      {"4096,0,1\n", false, "4097 wide stops"},
      {"0,4096,1\n", false, "4097 high stops"},
      {"5000,0,1\n5010,0,1\n", false, "the picture spans the origin: 5011"},
      {"2147483647,0,1\n-2147483648,0,1\n", false, "a span beyond 32 bits"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    fake_.shown.clear();
    const std::string data = Data("size.csv", c.text);
    const std::string after = Data("after.csv", "0,0,1\n");
    std::filesystem::remove(data + ".bmp");
    std::filesystem::remove(after + ".bmp");
    SetList(data + "\r\n" + after);
    EXPECT_EQ(RunBatch(0), c.made);
    EXPECT_EQ(FileExists(data + ".bmp"), c.made);
    EXPECT_EQ(FileExists(after + ".bmp"), c.made);
    if (c.made) {
      EXPECT_TRUE(fake_.shown.empty());
    } else {
      ExpectOneError(texts().tooLarge);
    }
  }
}

TEST_F(BatchRunTest, ExistingPictureIsReplacedOnlyOnYes) {
  const std::string a = Data("a.csv", "0,0,5\n");
  const std::string b = Data("b.csv", "0,0,6\n");
  WriteFile(a + ".bmp", "old picture");

  fake_.answers = {MessageAnswer::kNo};
  SetList(a + "\r\n" + b);
  EXPECT_TRUE(RunBatch(0));
  ASSERT_EQ(fake_.shown.size(), 1u);
  EXPECT_EQ(fake_.shown[0].caption, texts().confirmCaption);
  EXPECT_EQ(fake_.shown[0].text, a + ".bmp" + texts().existsSuffix);
  EXPECT_EQ(fake_.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(Contents(a + ".bmp"), "old picture") << "No keeps the file";
  EXPECT_TRUE(FileExists(b + ".bmp")) << "and the batch goes on";

  fake_.shown.clear();
  fake_.answers = {MessageAnswer::kYes, MessageAnswer::kYes};
  SetList(a + "\r\n" + b);
  EXPECT_TRUE(RunBatch(0));
  EXPECT_EQ(fake_.shown.size(), 2u);
  EXPECT_EQ(Contents(a + ".bmp").size(), 30u) << "Yes replaces it";
  EXPECT_EQ(static_cast<uint8_t>(Contents(a + ".bmp")[26]), 5);
}

// The old picture must survive a failed write: the new one is written
// beside it and moved over it only when complete.
TEST_F(BatchRunTest, FailedWriteKeepsTheOldPictureAndGoesOn) {
  const std::string a = Data("a.csv", "0,0,5\n");
  const std::string b = Data("b.csv", "0,0,6\n");
  WriteFile(a + ".bmp", "old picture");
  fake_.answers = {MessageAnswer::kYes};
  fake_.failMoves = true;
  SetList(a + "\r\n" + b);
  EXPECT_TRUE(RunBatch(0));
  ASSERT_EQ(fake_.shown.size(), 3u);
  EXPECT_EQ(fake_.shown[1].caption, "ERROR");
  EXPECT_EQ(fake_.shown[1].text, a + ".bmp" + texts().cannotWriteSuffix);
  EXPECT_EQ(fake_.shown[1].buttons, MessageButtons::kOk);
  EXPECT_EQ(Contents(a + ".bmp"), "old picture");
  EXPECT_EQ(fake_.shown[2].text, b + ".bmp" + texts().cannotWriteSuffix)
      << "the next file was tried too";
  // The new picture was written beside the old one, under a name in the
  // same folder and no longer than its own, and removed after the failure.
  ASSERT_EQ(fake_.moves.size(), 2u);
  for (const auto& [from, to] : fake_.moves) {
    EXPECT_EQ(std::filesystem::path(from).parent_path(),
              std::filesystem::path(to).parent_path());
    EXPECT_LE(from.size(), to.size()) << from;
    EXPECT_FALSE(FileExists(from)) << "left behind: " << from;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            3)
      << "a.csv, b.csv, a.csv.bmp and nothing else";
}

TEST_F(BatchRunTest, FolderInTheWayOfThePicture) {
  const std::string a = Data("a.csv", "0,0,5\n");
  std::filesystem::create_directory(a + ".bmp");
  fake_.answers = {MessageAnswer::kYes};
  SetList(a);
  EXPECT_TRUE(RunBatch(0));
  ASSERT_EQ(fake_.shown.size(), 2u);
  EXPECT_EQ(fake_.shown[0].caption, texts().confirmCaption);
  EXPECT_EQ(fake_.shown[1].text, a + ".bmp" + texts().cannotWriteSuffix);
  EXPECT_TRUE(std::filesystem::is_directory(a + ".bmp"));
}

TEST_F(BatchRunTest, OutputNameIsThePathWithBmpAdded) {
  EXPECT_EQ(OutputNameFor("C:\\data\\run1.csv"), "C:\\data\\run1.csv.bmp");
  const std::string already = Data("picture.bmp", "0,0,1\n");
  SetList(already);
  EXPECT_TRUE(RunBatch(0));
  EXPECT_TRUE(FileExists(dir_.Path("picture.bmp.bmp")));
}

TEST_F(BatchRunTest, FileWithoutRecordsGivesOneBlackPixel) {
  const std::string empty = Data("empty.csv", "");
  SetList(empty);
  EXPECT_TRUE(RunBatch(0));
  EXPECT_EQ(testing::Hex(Contents(empty + ".bmp")),
            testing::Hex(std::string("\x42\x4D\x1E\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0"
                                     "\x01\0\x01\0\x01\0\x18\0\0\0\0\0",
                                     30)));
}

TEST_F(BatchRunTest, DataFileToPictureBytes) {
  const std::string data = Data("rgb.csv",
                                "0,0,255,0,0\r\n1,0,0,255,0\r\n"
                                "0,1,0,0,255\r\n1,1,255,255,255");
  SetList(data);
  EXPECT_TRUE(RunBatch(1));
  EXPECT_EQ(testing::Hex(Contents(data + ".bmp")), testing::Hex(testing::TwoByTwoBmp()));
}

// The arrays are not cleared between files, and the bounds are reset: a
// smaller file after a larger one shows only its own records.
TEST_F(BatchRunTest, EachFileStandsAlone) {
  const std::string big = Data("big.csv", "-3,-3,9,9,9\n2,2,9,9,9\n0,0,9,9,9\n");
  const std::string small = Data("small.csv", "0,0,-5\n");
  SetList(big + "\r\n" + small);
  EXPECT_TRUE(RunBatch(0));
  const std::string bytes = Contents(small + ".bmp");
  ASSERT_EQ(bytes.size(), 30u);
  EXPECT_EQ(testing::Hex(bytes.substr(26)), "00 00 00 00")
      << "-5 shifted by its own minimum";
}

TEST_F(BatchRunTest, NormalizeReachesTheFill) {
  const std::string data = Data("n.csv", "0,0,0\n1,0,500\n2,0,1000\n");
  SetList(data);
  EXPECT_TRUE(RunBatch(1));
  const std::string bytes = Contents(data + ".bmp");
  ASSERT_EQ(bytes.size(), 26u + 12);
  EXPECT_EQ(static_cast<uint8_t>(bytes[26 + 3]), 127);
  EXPECT_EQ(static_cast<uint8_t>(bytes[26 + 6]), 255);
}

// No fixed-size name buffer: a path far beyond 260 bytes works where the
// system allows it, and every message names it whole.
TEST_F(BatchRunTest, LongPaths) {
  std::string folder = dir_.path();
  for (int i = 0; i < 4; ++i) {
    folder += "/" + std::string(90, static_cast<char>('a' + i));
    std::filesystem::create_directory(folder);
  }
  const std::string data = folder + "/data.csv";
  WriteFile(data, "0,0,1\n");
  ASSERT_GT(data.size(), 370u);
  SetList(data);
  EXPECT_TRUE(RunBatch(0));
#ifdef _WIN32
  // The ANSI file functions of Windows stop at 260 bytes: the picture cannot
  // be written there, which the message says, naming it whole.
  ASSERT_EQ(fake_.shown.size(), 1u);
  EXPECT_EQ(fake_.shown[0].caption, "ERROR");
  EXPECT_EQ(fake_.shown[0].text, data + ".bmp" + texts().cannotWriteSuffix);
#else
  EXPECT_TRUE(FileExists(data + ".bmp"));
  fake_.answers = {MessageAnswer::kNo};
  SetList(data);
  EXPECT_TRUE(RunBatch(0));
  ASSERT_EQ(fake_.shown.size(), 1u);
  EXPECT_EQ(fake_.shown[0].text, data + ".bmp" + texts().existsSuffix);
#endif
}

// The longest data path whose picture name Windows still takes (255 bytes:
// 259 with ".bmp"): the picture is written, although a temporary name of
// the form "<picture>.tmp" would be too long there.
TEST_F(BatchRunTest, PicturesUpToTheWindowsPathLimit) {
  const std::string prefix = dir_.Path("");
  ASSERT_LT(prefix.size(), 200u);
  const std::string data = prefix + std::string(255 - prefix.size() - 4, 'd') + ".csv";
  ASSERT_EQ(data.size(), 255u);
  WriteFile(data, "0,0,7\n");
  WriteFile(data + ".bmp", "old");
  fake_.answers = {MessageAnswer::kYes};
  SetList(data);
  EXPECT_TRUE(RunBatch(0));
  ASSERT_EQ(fake_.shown.size(), 1u) << "only the question";
  EXPECT_EQ(fake_.shown[0].caption, texts().confirmCaption);
  const std::string bytes = Contents(data + ".bmp");
  ASSERT_EQ(bytes.size(), 30u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[26]), 7);
}

// While a message box waits, the window can still ask for a run; that run
// must not start, and the list being walked must stay as it is.
TEST_F(BatchRunTest, RunWhileRunningIsRefused) {
  const std::string a = Data("a.csv", "0,0,5\n");
  const std::string b = Data("b.csv", "0,0,6\n");
  WriteFile(a + ".bmp", "old");
  SetList(a + "\r\n" + b);
  fake_.answers = {MessageAnswer::kNo};
  bool innerResult = true;
  fake_.whileShown = [&] {
    EXPECT_TRUE(BatchIsRunning());
    innerResult = RunBatch(0);
  };
  EXPECT_TRUE(RunBatch(0));
  EXPECT_FALSE(innerResult);
  EXPECT_FALSE(BatchIsRunning());
  EXPECT_TRUE(FileExists(b + ".bmp"));
}

class RecordingListener : public BatchListener {
 public:
  void FileStarted(const char* path) override { events.push_back(std::string("start ") + path); }
  void FileRead(const char* path, const SampleSet& set) override {
    events.push_back(std::string("read ") + path + " dropped " +
                     std::to_string(set.droppedLines) + " first " +
                     std::to_string(set.firstDroppedLine));
  }
  void PictureDone(const std::string& name, Outcome outcome) override {
    events.push_back("done " + name + " " + std::to_string(static_cast<int>(outcome)));
  }
  std::vector<std::string> events;
};

TEST_F(BatchRunTest, ListenerHearsEachFile) {
  const std::string a = Data("a.csv", "0,0,1\nbad\n");
  const std::string b = Data("b.csv", "0,0,1\n");
  WriteFile(b + ".bmp", "old");
  fake_.answers = {MessageAnswer::kNo};
  SetList(a + "\r\n" + b);
  RecordingListener listener;
  EXPECT_TRUE(RunBatch(0, &listener));
  const std::vector<std::string> expected = {
      "start " + a, "read " + a + " dropped 1 first 2", "done " + a + ".bmp 0",
      "start " + b, "read " + b + " dropped 0 first 0", "done " + b + ".bmp 1"};
  EXPECT_EQ(listener.events, expected);
}

}  // namespace
}  // namespace plotmere
