// A slow, plain reading of a data file, for checking the sample reader.
//
// It holds the whole file in memory, walks it token by token and leaves
// every number to the C library (strtoll and strtod on a NUL-terminated copy
// of the token), so that it is easy to see that it follows the data-file
// rules. It has no capacity limit: use it on small inputs only.
#ifndef PLOTMERE_TESTS_REFERENCE_READER_H_
#define PLOTMERE_TESTS_REFERENCE_READER_H_

#include <stdint.h>

#include <string>
#include <vector>

#include "engine/sample_set.h"

namespace plotmere {
namespace testing {

struct ReferenceRecord {
  int32_t x = 0;
  int32_t y = 0;
  /// values[1] and values[2] are 0 in single-value mode.
  double values[3] = {0, 0, 0};
};

/// What ReadSamples leaves in a SampleSet, as the reference reads it.
struct ReferenceResult {
  bool threeChannel = false;
  std::vector<ReferenceRecord> records;
  /// The picture's size and origin: the records' bounds with the origin
  /// included, each span at most INT32_MAX.
  int32_t width = 1;
  int32_t height = 1;
  int32_t minX = 0;
  int32_t minY = 0;
  /// min(0, smallest first value truncated toward zero), saturated.
  int32_t minValue = 0;
  /// Largest first value truncated toward zero, saturated; meaningful only
  /// when there are records.
  int32_t maxValue = 0;
  int64_t droppedLines = 0;
  /// 1-based line where the first dropped record began; 0 when none.
  int64_t firstDroppedLine = 0;
};

/// Reads `bytes`, the whole content of a data file.
ReferenceResult ReferenceRead(const std::string& bytes);

/// The first difference between what ReadSamples left in `set` and `want`,
/// as a line of text with values in hexfloat; "" when there is none. Looks
/// at the records, their count, the bounds, the value range (maxValue only
/// when there are records), the dropped lines and moreRecords (which must be
/// false: the reference reads small inputs only).
std::string DifferenceFromReference(const SampleSet& set,
                                    const ReferenceResult& want);

/// A double in hexfloat ("%a"), for messages.
std::string Hexfloat(double v);

/// Whether two doubles have the same bits (telling -0 from 0).
bool SameBits(double a, double b);

/// Truncates toward zero to 32 bits, saturating at the limits.
/// REQUIRES: v is not a NaN.
int32_t ReferenceTruncate(double v);

}  // namespace testing
}  // namespace plotmere

#endif  // PLOTMERE_TESTS_REFERENCE_READER_H_
