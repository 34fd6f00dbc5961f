// The floor under any conversion: the system work that plotmere-cli cannot
// avoid on a data file, with no parsing and no arithmetic. It reads the file
// through the same 1 MiB blocks, counts the line ends in each (a reader must
// look at every byte at least once), writes one record per line into sample
// arrays from calloc as the reader does (x, y and one value, or three values),
// fills three planes of the given size and writes a picture of that size
// through a 64 KiB buffer. Whatever a real conversion takes beyond this time
// is the parsing, the bounds and the fill.
//
// Usage: floor_convert grey|rgb WIDTH HEIGHT DATA OUTPUT
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace {

constexpr size_t kCapacity = size_t{1} << 24;

int Run(bool rgb, size_t width, size_t height, const char* in,
        const char* out) {
  auto* xs = static_cast<int32_t*>(calloc(kCapacity, sizeof(int32_t)));
  auto* ys = static_cast<int32_t*>(calloc(kCapacity, sizeof(int32_t)));
  double* values[3];
  for (double*& v : values)
    v = static_cast<double*>(calloc(kCapacity, sizeof(double)));
  FILE* file = fopen(in, "rb");
  if (file == nullptr) return 1;
  static char block[1 << 20];
  size_t i = 0;
  size_t got;
  while ((got = fread(block, 1, sizeof block, file)) > 0) {
    size_t lines = 0;
    for (size_t k = 0; k < got; ++k) lines += block[k] == '\n';
    for (const size_t last = std::min(i + lines, kCapacity); i < last; ++i) {
      xs[i] = static_cast<int32_t>(i);
      ys[i] = 0;
      values[0][i] = 0.5;
      if (rgb) {
        values[1][i] = 0.5;
        values[2][i] = 0.5;
      }
    }
  }
  fclose(file);

  const size_t pixels = width * height;
  uint8_t* planes[3];
  for (uint8_t*& plane : planes)
    plane = static_cast<uint8_t*>(calloc(pixels, 1));
  for (size_t k = 0; k < i && k < pixels; ++k) {
    const auto byte = static_cast<uint8_t>(xs[k]);
    planes[0][k] = byte;
    planes[1][k] = byte;
    planes[2][k] = byte;
  }
  FILE* picture = fopen(out, "wb");
  if (picture == nullptr) return 1;
  static uint8_t buffer[1 << 16];
  size_t used = 0;
  for (size_t k = 0; k < pixels; ++k) {
    buffer[used++] = planes[2][k];
    buffer[used++] = planes[1][k];
    buffer[used++] = planes[0][k];
    if (used + 3 > sizeof buffer) {
      fwrite(buffer, 1, used, picture);
      used = 0;
    }
  }
  fwrite(buffer, 1, used, picture);
  const bool written = fclose(picture) == 0;
  free(xs);
  free(ys);
  for (double* v : values) free(v);
  for (uint8_t* plane : planes) free(plane);
  return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 ||
      (strcmp(argv[1], "grey") != 0 && strcmp(argv[1], "rgb") != 0)) {
    fprintf(stderr, "usage: floor_convert grey|rgb WIDTH HEIGHT DATA OUTPUT\n");
    return 2;
  }
  const long width = atol(argv[2]);
  const long height = atol(argv[3]);
  if (width < 1 || height < 1 || width > 4096 || height > 4096) return 2;
  return Run(strcmp(argv[1], "rgb") == 0, static_cast<size_t>(width),
             static_cast<size_t>(height), argv[4], argv[5]);
}
