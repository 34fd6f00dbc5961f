#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace plotmere {
namespace testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (;;) {
    fs::path candidate =
        fs::temp_directory_path() / ("plotmere-test-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string TempDir::Path(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  ASSERT_EQ(fclose(file), 0);
}

bool ReadFile(const std::string& path, std::string* bytes) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->clear();
  char block[65536];
  size_t n;
  while ((n = fread(block, 1, sizeof block, file)) > 0) bytes->append(block, n);
  const bool ok = ferror(file) == 0;
  fclose(file);
  return ok;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

SampleSet& SharedSampleArrays() {
  static SampleSet* set = [] {
    auto* s = new SampleSet;
    if (!AllocateSampleArrays(s)) abort();
    return s;
  }();
  return *set;
}

ReadResult ReadText(const std::string& text, size_t blockSize) {
  ReadResult result;
  // A file of this process's own, not tmpfile(): the Windows runtime names
  // those in the root folder by a counter that starts afresh in every
  // process, so two test processes at once take each other's names.
  static TempDir scratch;  // removed with its file when the process ends
  const std::string path = scratch.Path("data.txt");
  FILE* file = fopen(path.c_str(), "w+b");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot create " << path;
    return result;
  }
  fwrite(text.data(), 1, text.size(), file);
  rewind(file);
  SampleSet& set = SharedSampleArrays();
  ResetForFile(&set, file);
  result.ok = ChooseMode(&set) &&
              (blockSize == 0 ? ReadSamples(&set) : ReadSamples(&set, blockSize));
  fclose(file);
  set.file = nullptr;
  result.set = set;  // a copy of the fields; the arrays stay shared
  return result;
}

std::string TwoByTwoBmp() {
  return std::string(
      "\x42\x4D\x2A\x00\x00\x00\x00\x00\x00\x00\x1A\x00\x00\x00"  // file header
      "\x0C\x00\x00\x00\x02\x00\x02\x00\x01\x00\x18\x00"  // core header
      "\x00\x00\xFF\x00\xFF\x00\x00\x00"  // row 0: red, green, pad
      "\xFF\x00\x00\xFF\xFF\xFF\x00\x00",  // row 1: blue, white, pad
      42);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (i > 0) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace testing
}  // namespace plotmere
