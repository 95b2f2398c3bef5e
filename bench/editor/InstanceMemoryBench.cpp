// Resident memory per instance with its editor built but closed, as a host holds a session of them.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "plugin/IResonix.h"

namespace {

double resident_bytes() {
  long pages_total = 0, pages_resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
    std::fclose(f);
  }
  return double(pages_resident) * double(sysconf(_SC_PAGESIZE));
}

// The first instance pays for what the process shares (bitmaps, fonts, tables); the next 16 are
// what each further one costs.
void BM_InstanceMemory(benchmark::State& state) {
  constexpr int kInstances = 16;
  std::vector<std::unique_ptr<IResonix>> session;
  double shared = 0, each = 0;
  for (auto _ : state) {
    session.clear();
    const double empty = resident_bytes();
    session.push_back(std::make_unique<IResonix>(IInstanceInfo{}));
    const double first = resident_bytes();
    for (int i = 0; i < kInstances; ++i) session.push_back(std::make_unique<IResonix>(IInstanceInfo{}));
    each = (resident_bytes() - first) / kInstances;
    shared = first - empty - each;
  }
  state.counters["MB_per_instance"] = each / 1048576.0;
  state.counters["MB_shared_once"] = shared / 1048576.0;
}
BENCHMARK(BM_InstanceMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
