#include "scanf_reader.h"

#include <stdio.h>

namespace plotmere {
namespace bench {

int32_t ScanfReadSamples(SampleSet* set) {
  const char* format = set->threeChannel ? "%d,%d,%lf,%lf,%lf\n" : "%d,%d,%lf\n";
  int32_t i = 0;
  int32_t width = 0, height = 0, minX = 0, minY = 0, minValue = 0, maxValue = 0;
  for (; i < kSampleCapacity; ++i) {
    const int n = fscanf(set->file, format, &set->xs[i], &set->ys[i],
                         &set->values[0][i], &set->values[1][i],
                         &set->values[2][i]);
    if (n == EOF) break;
    const int32_t x = set->xs[i], y = set->ys[i];
    const double v = set->values[0][i];
    if (x > width) {
      width = x;
    } else if (x < minX) {
      minX = x;
    }
    if (y > height) {
      height = y;
    } else if (y < minY) {
      minY = y;
    }
    if (minValue > v) minValue = TruncateToInt32(v);
    if (i == 0 || maxValue < v) maxValue = TruncateToInt32(v);
  }
  set->width = width + 1 - minX;
  set->height = height + 1 - minY;
  set->minX = minX;
  set->minY = minY;
  set->minValue = minValue;
  set->maxValue = maxValue;
  return set->count = i;
}

}  // namespace bench
}  // namespace plotmere
