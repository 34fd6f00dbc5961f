// libFuzzer target of the sample reader.
//
// Each input is a data file. It goes through the mode choice and the reader,
// with a block size picked from the input's bytes so that block boundaries
// fall in ever other places, and the result must
//  - keep the invariants the rest of the engine relies on: count within the
//    capacity, every record inside the bounds, width and height at least 1,
//    minX, minY and minValue never above 0, maxValue untouched without a
//    record (it carries over from the previous file), no NaN;
//  - equal the slow reference reader's, record for record and bit for bit.
// Any breach prints what differs and aborts, which libFuzzer reports as a
// crash and saves the input.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <cmath>
#include <string>

#include "engine/sample_set.h"
#include "reference_reader.h"

namespace {

using plotmere::SampleSet;

SampleSet& Samples() {
  static SampleSet* set = [] {
    auto* s = new SampleSet;
    if (!plotmere::AllocateSampleArrays(s)) {
      fprintf(stderr, "cannot allocate the sample arrays\n");
      abort();
    }
    return s;
  }();
  return *set;
}

// Small sizes put boundaries inside tokens; 0 is the reader's own size.
size_t BlockSizeFor(const uint8_t* data, size_t size) {
  static const size_t kSizes[] = {1,   2,   3,   4,   5,    7,    8,
                                  13,  16,  31,  63,  64,   65,   100,
                                  127, 128, 200, 255, 1000, 4096, 0};
  uint32_t hash = 2166136261u;  // FNV-1a
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return kSizes[hash % (sizeof kSizes / sizeof kSizes[0])];
}

[[noreturn]] void Fail(const std::string& what, size_t blockSize) {
  fprintf(stderr, "sample_reader_fuzz: block size %zu: %s\n", blockSize,
          what.c_str());
  abort();
}

std::string CheckInvariants(const SampleSet& s, int32_t maxValueBefore) {
  if (s.count < 0 || s.count > plotmere::kSampleCapacity)
    return "count out of range";
  if (s.width < 1 || s.height < 1) return "width or height below 1";
  if (s.minX > 0 || s.minY > 0) return "minX or minY above 0";
  if (s.minValue > 0) return "minValue above 0";
  if (s.count == 0 && s.maxValue != maxValueBefore)
    return "maxValue changed without records";
  for (int32_t i = 0; i < s.count; ++i) {
    const int64_t dx = int64_t{s.xs[i]} - s.minX;
    const int64_t dy = int64_t{s.ys[i]} - s.minY;
    // A span beyond 32 bits saturates at INT32_MAX, so the last column may
    // fall just outside it; the engine refuses such a picture anyway.
    const bool xInside = dx >= 0 && (dx < s.width || s.width == INT32_MAX);
    const bool yInside = dy >= 0 && (dy < s.height || s.height == INT32_MAX);
    if (!xInside || !yInside)
      return "record " + std::to_string(i) + " outside the bounds";
    for (int c = 0; c < (s.threeChannel ? 3 : 1); ++c) {
      if (std::isnan(s.values[c][i]))
        return "record " + std::to_string(i) + ": NaN";
    }
    const int32_t t = plotmere::testing::ReferenceTruncate(s.values[0][i]);
    if (t < s.minValue) return "minValue above a value";
    if (t > s.maxValue) return "maxValue below a value";
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t blockSize = BlockSizeFor(data, size);
  // The reader only reads; fmemopen wants a writable pointer all the same.
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) Fail("fmemopen failed", blockSize);

  SampleSet& set = Samples();
  const int32_t maxValueBefore = set.maxValue;
  plotmere::ResetForFile(&set, file);
  const bool ok = plotmere::ChooseMode(&set) &&
                  (blockSize == 0 ? plotmere::ReadSamples(&set)
                                  : plotmere::ReadSamples(&set, blockSize));
  fclose(file);
  set.file = nullptr;
  if (!ok) Fail("the mode choice or the reader failed", blockSize);

  std::string problem = CheckInvariants(set, maxValueBefore);
  if (problem.empty()) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    problem = plotmere::testing::DifferenceFromReference(
        set, plotmere::testing::ReferenceRead(text));
  }
  if (!problem.empty()) Fail(problem, blockSize);
  return 0;
}
