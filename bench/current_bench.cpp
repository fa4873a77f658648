// The two readers of the settings in force, on the in-memory registry as the
// applier of the family leaves it (every value they read present): the time
// of one reading and its raw registry calls, checked against the calls that
// the readers' steps imply.
#include <benchmark/benchmark.h>

#include "bench/store_costs.h"
#include "current/read_9x.h"
#include "current/read_nt.h"

namespace {

using namespace iz::bench::cost;
using iz::bench::CallCounts;

// NT: each of steps 1 to 11 opens its key afresh (the TCP/IP parameters key
// too, once per value), closing the one before; the browser key serves both
// texts; steps 14 and 15 open with creation; the pairs match, so "max" is
// read as well; the key of step 18 is closed at the end.
constexpr CallCounts kReadNTCalls = (kOpen + kNumber)                       // 1
                                    + 10 * (kClose + kOpen + kNumber)       // 2 to 11
                                    + (kClose + kOpen + kNumber) + kNumber  // 12, 13 (HKCU)
                                    + 2 * (kClose + kCreate + kByteFlag)    // 14, 15
                                    + (kClose + kOpen + kByteFlag)          // 16
                                    + 2 * (kClose + kOpen + kMatchingPair) + kClose;  // 17, 18

// 9x: steps 1 to 7 share the MSTCP key; 8 to 16 each open another key; the
// change of root before step 19 closes the key of step 16; the browser key
// serves both texts and is closed when the session ends.
constexpr CallCounts kRead9xCalls = (kOpen + kNumber) + 6 * kNumber                   // 1 to 7
                                    + 4 * (kClose + kOpen + kNumber)                  // 8 to 11
                                    + 2 * (kClose + kOpen + kMatchingPair)            // 12, 13
                                    + 3 * (kClose + kOpen + kByteFlag)                // 14 to 16
                                    + (kClose + kOpen + kNumber) + kNumber + kClose;  // 19, 20

using Machine = iz::bench::OptimizedMachine;

void BM_ReadNT(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32NT, 5, 1, "Service Pack 3"});
  for (auto _ : state) iz::ReadNTSettings(m.panel, m.registry, m.profiles);
  iz::bench::ReportCalls(state, m.registry.counts, kReadNTCalls);
}
BENCHMARK(BM_ReadNT);

void BM_Read9x(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32Windows, 4, 10, " A "});
  for (auto _ : state) iz::Read9xSettings(m.panel, m.registry, m.profiles);
  iz::bench::ReportCalls(state, m.registry.counts, kRead9xCalls);
}
BENCHMARK(BM_Read9x);

}  // namespace

BENCHMARK_MAIN();
