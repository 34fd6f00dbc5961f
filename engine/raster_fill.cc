// The raster fill. The divisor is formed first and each value divided by it,
// in double precision: value * 255 / range rounds differently (with a range
// of 33 a value of 33 gives 254.99999999999997 and so the byte 254), and the
// pictures must not depend on that choice.
#include "engine/raster_fill.h"

#include "engine/raster_image.h"

namespace plotmere {

namespace {

double Clip(double v) {
  if (v > 255.0) return 255.0;
  if (v < 0.0) return 0.0;
  return v;  // a NaN fails both tests and stays a NaN
}

}  // namespace

void FillRaster(SampleSet* set, bool normalize) {
  RasterImage* image = set->image;
  const int32_t width = image->bcWidth;
  const int32_t height = image->bcHeight;
  const int32_t count = set->count;
  const int32_t* xs = set->xs;
  const int32_t* ys = set->ys;
  // Offsets in 64 bits: a record far outside the picture must not wrap
  // around into it.
  const int64_t minX = set->minX;
  const int64_t minY = set->minY;

  if (set->threeChannel) {
    double* r = set->values[0];
    double* g = set->values[1];
    double* b = set->values[2];
    for (int32_t i = 0; i < count; ++i) {
      r[i] = Clip(r[i]);
      g[i] = Clip(g[i]);
      b[i] = Clip(b[i]);
      const int64_t dx = xs[i] - minX;
      const int64_t dy = ys[i] - minY;
      if (dx < 0 || dx >= width || dy < 0 || dy >= height) continue;
      const int64_t index = dy * width + dx;
      image->red[index] = ClippedToByte(r[i]);
      image->green[index] = ClippedToByte(g[i]);
      image->blue[index] = ClippedToByte(b[i]);
    }
    return;
  }

  // The range in 64 bits: maxValue - minValue can exceed 32 bits when the
  // values saturated at the 32-bit limits.
  const int32_t minValue = set->minValue;
  const int64_t range = static_cast<int64_t>(set->maxValue) - minValue;
  const double divisor = normalize ? static_cast<double>(range) / 255.0 : 1.0;
  double* v = set->values[0];
  for (int32_t i = 0; i < count; ++i) {
    if (minValue < 0) v[i] = v[i] - minValue;
    // Dividing by 1.0 gives the value itself, bit for bit, so it is left out.
    const double q = normalize ? v[i] / divisor : v[i];
    const uint8_t grey = ClippedToByte(Clip(q));
    const int64_t dx = xs[i] - minX;
    const int64_t dy = ys[i] - minY;
    if (dx < 0 || dx >= width || dy < 0 || dy >= height) continue;
    const int64_t index = dy * width + dx;
    image->red[index] = grey;
    image->green[index] = grey;
    image->blue[index] = grey;
  }
}

}  // namespace plotmere
