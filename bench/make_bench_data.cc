// Writes the standard benchmark data sets: a grid of side x side records in
// row order, "x,y,value" with three-decimal values in -1000 ... 1000 (grey),
// or "x,y,r,g,b" with two-decimal channels in 0 ... 255 (rgb). The values
// come from a fixed-seed generator, so every run writes the same bytes.
//
// Usage: make_bench_data grey|rgb SIDE OUTPUT
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// splitmix64: small, fast and the same everywhere.
uint64_t Next(uint64_t* state) {
  uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Appends v / 10^decimals with exactly `decimals` digits after the point.
char* PutFixed(char* out, int64_t v, int decimals) {
  if (v < 0) {
    *out++ = '-';
    v = -v;
  }
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  out += sprintf(out, "%lld.%0*lld", static_cast<long long>(v / scale), decimals,
                 static_cast<long long>(v % scale));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (strcmp(argv[1], "grey") != 0 && strcmp(argv[1], "rgb") != 0)) {
    fprintf(stderr, "usage: make_bench_data grey|rgb SIDE OUTPUT\n");
    return 2;
  }
  const bool rgb = strcmp(argv[1], "rgb") == 0;
  const int side = atoi(argv[2]);
  FILE* out = fopen(argv[3], "wb");
  if (out == nullptr || side < 1) {
    fprintf(stderr, "make_bench_data: cannot write %s\n", argv[3]);
    return 1;
  }
  uint64_t state = 20261211;
  static char buffer[1 << 16];
  size_t used = 0;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      char line[128];
      char* p = line + sprintf(line, "%d,%d,", x, y);
      if (rgb) {
        for (int c = 0; c < 3; ++c) {
          if (c > 0) *p++ = ',';
          p = PutFixed(p, static_cast<int64_t>(Next(&state) % 25501), 2);
        }
      } else {
        p = PutFixed(p, static_cast<int64_t>(Next(&state) % 2000001) - 1000000, 3);
      }
      *p++ = '\n';
      const size_t n = static_cast<size_t>(p - line);
      if (used + n > sizeof buffer) {
        fwrite(buffer, 1, used, out);
        used = 0;
      }
      memcpy(buffer + used, line, n);
      used += n;
    }
  }
  fwrite(buffer, 1, used, out);
  return fclose(out) == 0 ? 0 : 1;
}
