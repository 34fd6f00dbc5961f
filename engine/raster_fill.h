// Turns the records of one data file into pixels.
//
// Single-value mode: a value is raised by -minValue when minValue is below 0,
// divided by (maxValue - minValue) / 255 when normalize is set, clipped to
// 0 ... 255 and truncated, and written as a grey level into all three planes.
// Three-channel mode: each of red, green and blue is clipped and truncated;
// normalize plays no part. Record i lands on pixel (x - minX, y - minY); a
// later record at the same pixel replaces an earlier one.
#ifndef PLOTMERE_ENGINE_RASTER_FILL_H_
#define PLOTMERE_ENGINE_RASTER_FILL_H_

#include <stdint.h>

#include "engine/sample_set.h"

namespace plotmere {

/// Sets the pixels of `set->image` from records 0 ... count - 1 in file order.
/// REQUIRES: `set->image` points to a picture that covers every record (as
/// the reader's bounds give it); a record outside it is skipped all the same.
/// The value arrays are rewritten in place with the clipped (three-channel)
/// or shifted (single-value) values. Never allocates and never fails.
void FillRaster(SampleSet* set, bool normalize);

/// The byte of a value that is already clipped: truncation toward zero, and
/// 0 for a NaN.
inline uint8_t ClippedToByte(double v) {
  return v >= 1.0 ? static_cast<uint8_t>(v) : uint8_t{0};
}

}  // namespace plotmere

#endif  // PLOTMERE_ENGINE_RASTER_FILL_H_
