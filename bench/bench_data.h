// Benchmark data files, made once per run by the make_bench_data program
// that is built beside the benchmarks.
#ifndef PLOTMERE_BENCH_BENCH_DATA_H_
#define PLOTMERE_BENCH_BENCH_DATA_H_

#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace plotmere {
namespace bench {

/// The path of the `kind` ("grey" or "rgb") set of side x side records,
/// written under the temporary folder on first use.
inline std::string DataFile(const char* kind, int side) {
  const char* tmp = getenv("TMPDIR");
  const std::string path = std::string(tmp != nullptr ? tmp : "/tmp") +
                           "/plotmere-bench-" + kind + "-" +
                           std::to_string(side) + ".csv";
  if (FILE* f = fopen(path.c_str(), "rb")) {
    fclose(f);
    return path;
  }
  const std::string command = std::string(PLOTMERE_MAKE_BENCH_DATA) + " " +
                              kind + " " + std::to_string(side) + " " + path;
  if (system(command.c_str()) != 0) {
    fprintf(stderr, "cannot make %s\n", path.c_str());
    exit(1);
  }
  return path;
}

}  // namespace bench
}  // namespace plotmere

#endif  // PLOTMERE_BENCH_BENCH_DATA_H_
