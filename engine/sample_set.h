// The samples of one data file, and the reader that fills them.
//
// A data file holds one record per line: "x,y,value" (single-value mode: the
// value becomes a grey level) or "x,y,red,green,blue" (three-channel mode).
// The mode is chosen once per file from the commas of its first line. The
// reader accepts exactly what the C library's formatted read of "%d,%d,%lf\n"
// (or "%d,%d,%lf,%lf,%lf\n") accepts for a well-formed record, and drops a
// line that does not hold one instead of stopping on it.
#ifndef PLOTMERE_ENGINE_SAMPLE_SET_H_
#define PLOTMERE_ENGINE_SAMPLE_SET_H_

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

namespace plotmere {

struct RasterImage;

/// Length of each of the five sample arrays: the most records read from one
/// data file. Records after these are not read.
constexpr int32_t kSampleCapacity = 1 << 24;

/// The records of the current data file with their bounds and value range.
/// One per batch; the batch owns the five arrays (see AllocateSampleArrays).
struct SampleSet {
  /// The open data file. Set by the batch before the mode choice.
  FILE* file = nullptr;
  /// x and y of record i at entry i. Entries at and above `count` hold what
  /// an earlier file or the zero fill left there.
  int32_t* xs = nullptr;
  int32_t* ys = nullptr;
  /// values[0]: the single value, or red; values[1]: green; values[2]: blue
  /// (both only in three-channel mode).
  double* values[3] = {nullptr, nullptr, nullptr};
  /// While reading: the largest x (y) so far. Afterwards the picture's size:
  /// largest + 1 - smallest, at most INT32_MAX (a wider span saturates there,
  /// which the size check refuses).
  int32_t width = 0;
  int32_t height = 0;
  /// Smallest x and y; never above 0, as the picture always holds the origin.
  int32_t minX = 0;
  int32_t minY = 0;
  /// Smallest first value truncated toward zero when it is negative, else 0.
  /// Saturates at INT32_MIN.
  int32_t minValue = 0;
  /// Largest first value truncated toward zero (when count >= 1); saturates
  /// at the 32-bit limits. Set by the first record, not reset per file.
  int32_t maxValue = 0;
  /// Number of records read.
  int32_t count = 0;
  /// The picture of the current file, while the batch renders it.
  RasterImage* image = nullptr;
  /// True in three-channel mode. Set by the mode choice.
  bool threeChannel = false;

  // What the reader saw besides the records, for the front ends' notes.
  /// Records dropped because they did not match the file's mode; each
  /// costs the rest of the line where it went wrong.
  int64_t droppedLines = 0;
  /// 1-based number of the line on which the first dropped record began;
  /// 0 when none was dropped.
  int64_t firstDroppedLine = 0;
  /// True when text follows the last record that the capacity allowed.
  bool moreRecords = false;
};

/// Allocates the five arrays of kSampleCapacity entries, zero-filled.
/// On success returns true. On failure returns false and leaves every array
/// null (nothing stays allocated).
bool AllocateSampleArrays(SampleSet* set);

/// Releases the five arrays and sets them to null. Safe on null arrays.
void FreeSampleArrays(SampleSet* set);

/// Resets the per-file fields before a new file: `file` = file; width,
/// height, minX, minY, minValue and the reader's notes = 0.
void ResetForFile(SampleSet* set, FILE* file);

/// The mode choice. Reads the first line of `set->file` (up to and with its
/// line feed, or to the end of the data, which a Ctrl-Z byte marks), sets
/// threeChannel when it holds more than two commas, and sets the stream back
/// to the start of the file.
/// REQUIRES: `set->file` open for reading in binary mode, at its start.
/// On failure (a read error) returns false.
bool ChooseMode(SampleSet* set);

/// Reads every record of `set->file` into the arrays and sets width, height,
/// minX, minY, minValue, maxValue, count and the reader's notes. The stream
/// is read in binary mode and interpreted as Windows text mode does: CR LF
/// reads as LF, a Ctrl-Z byte ends the data. A UTF-8 byte-order mark at the
/// start is skipped.
///
/// A record counts only when every field of the mode was read: x and y
/// decimal integers (optional sign) within the 32-bit range, each value a
/// decimal number (optional sign, digits with an optional fraction after
/// ".", or a fraction alone, optional exponent), rounded to the nearest
/// double; each comma directly after its number; blanks, tabs and line ends
/// before every number; and whitespace or the end of the data after the last
/// one. Anything else drops the record in progress and reading resumes after
/// the next line feed.
///
/// REQUIRES: the arrays allocated; ChooseMode ran; per-file fields reset.
/// On failure (a read error of the stream) returns false; what was read so
/// far is left in the set but must not be taken for the file's contents.
bool ReadSamples(SampleSet* set);

/// ReadSamples, reading the stream `blockSize` bytes at a time (at least 1).
/// Tests use small blocks to put block boundaries inside every token.
bool ReadSamples(SampleSet* set, size_t blockSize);

/// Truncates toward zero into a 32-bit integer, saturating at its limits.
/// REQUIRES: v is not a NaN.
int32_t TruncateToInt32(double v);

}  // namespace plotmere

#endif  // PLOTMERE_ENGINE_SAMPLE_SET_H_
