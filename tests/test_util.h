// Helpers shared by the engine tests: a temporary folder per test, and whole
// files in and out.
#ifndef PLOTMERE_TESTS_TEST_UTIL_H_
#define PLOTMERE_TESTS_TEST_UTIL_H_

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "engine/sample_set.h"

namespace plotmere {
namespace testing {

/// A fresh folder under the system's temporary folder, removed with its
/// contents when the object is destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  /// The folder followed by a separator and `name`.
  std::string Path(const std::string& name) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

/// Writes `bytes` to `path` in binary mode; fails the test on error.
void WriteFile(const std::string& path, const std::string& bytes);

/// The whole file in binary mode; an empty optional-like flag on error.
bool ReadFile(const std::string& path, std::string* bytes);

bool FileExists(const std::string& path);

/// Reads `text` as a data file through the mode choice and the reader, with
/// the given block size (0: the reader's own). The set's arrays are
/// allocated once per process and shared by all tests.
struct ReadResult {
  bool ok = false;
  SampleSet set;
};
ReadResult ReadText(const std::string& text, size_t blockSize = 0);

/// The arrays used by ReadText, allocated on first use.
SampleSet& SharedSampleArrays();

/// The BMP file of a 2 x 2 picture with red at column 0, row 0, green at
/// (1, 0), blue at (0, 1) and white at (1, 1): 42 bytes, bottom row first,
/// each pixel blue, green, red, each row padded to 8 bytes.
std::string TwoByTwoBmp();

/// Bytes as "42 4D 1E ..." for readable failure messages.
std::string Hex(const std::string& bytes);

}  // namespace testing
}  // namespace plotmere

#endif  // PLOTMERE_TESTS_TEST_UTIL_H_
