// The baseline the reader is measured against: one formatted read of
// "%d,%d,%lf\n" (or "%d,%d,%lf,%lf,%lf\n") per record from a text-mode
// stream, with the bounds and value range kept record by record. It knows
// nothing of bad input and is meant for the benchmark sets only.
#ifndef PLOTMERE_BENCH_SCANF_READER_H_
#define PLOTMERE_BENCH_SCANF_READER_H_

#include "engine/sample_set.h"

namespace plotmere {
namespace bench {

/// Reads set->file to its end (or the capacity) and sets the same fields
/// as ReadSamples. Returns the number of records.
int32_t ScanfReadSamples(SampleSet* set);

}  // namespace bench
}  // namespace plotmere

#endif  // PLOTMERE_BENCH_SCANF_READER_H_
