// The three restores of the Windows defaults on the in-memory registry as the
// applier of the family leaves it: the time of one run (to the prompt,
// answered No) and its raw registry calls, checked against the calls that the
// restores' steps imply. Each run writes the same values, so every run makes
// the same calls.
#include <benchmark/benchmark.h>

#include "bench/store_costs.h"
#include "restore/restore_defaults.h"

namespace {

using namespace iz::bench::cost;
using iz::bench::CallCounts;

// NT: the session keeps the TCP/IP parameters key of step 4 open through step
// 10; the interface key is looked at (read only, then closed) before its
// window value is written, since a system never optimized has none.
constexpr CallCounts kRestoreNTCalls = 3 * kWriteDword                          // 1 to 3
                                       + (kCreate + 2 * kRemove)                // 4
                                       + 2 * kWriteDword                        // 5, 6
                                       + (kOpen + kClose) + kWriteDword         // 7
                                       + 3 * kWriteDword                        // 8 to 10
                                       + (kClose + kCreate + kRemove + kClose)  // 11
                                       + 3 * (kCreate + kPutBinary + kClose)    // 12 to 14
                                       + (kCreate + 2 * kRemove + kClose);      // 15

constexpr CallCounts kRestore95Calls = kEnsureKey                                  // 1
                                       + (kCreate + 6 * kPutSectionText + kClose)  // 2
                                       + kWriteDword                               // 3
                                       + 2 * (kCreate + kRemove + kClose)          // 4, 5
                                       + (kCreate + 5 * kPutSectionText + kClose)  // 6
                                       + (kCreate + kPutSectionText + kClose)      // 7
                                       + (kCreate + 2 * kRemove + kClose)          // 8
                                       + 4 * (kCreate + 3 * kRemove + kClose)      // 9
                                       + 3 * (kCreate + kPutBinary + kClose)       // 10 to 12
                                       + (kCreate + 2 * kRemove + kClose);         // 13

// 98: as 95 (the parameters key is created first on 98 too), plus BSDUrgent
// removed from the MSTCP section and three more removals in step 4.
constexpr CallCounts kRestore98Calls = kRestore95Calls + kRemoveSectionValue + 3 * kRemove;

using Machine = iz::bench::OptimizedMachine;

void BM_RestoreNT(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32NT, 5, 1, "Service Pack 3"});
  for (auto _ : state) iz::RestoreNTDefaults(m.panel, m.registry, m.profiles, m.platform, [] {});
  iz::bench::ReportCalls(state, m.registry.counts, kRestoreNTCalls);
}
BENCHMARK(BM_RestoreNT);

void BM_Restore95(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32Windows, 4, 0, ""});
  for (auto _ : state) iz::Restore95Defaults(m.registry, m.profiles, m.platform, [] {});
  iz::bench::ReportCalls(state, m.registry.counts, kRestore95Calls);
}
BENCHMARK(BM_Restore95);

void BM_Restore98(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32Windows, 4, 10, " A "});
  for (auto _ : state) iz::Restore98Defaults(m.registry, m.profiles, m.platform, [] {});
  iz::bench::ReportCalls(state, m.registry.counts, kRestore98Calls);
}
BENCHMARK(BM_Restore98);

}  // namespace

BENCHMARK_MAIN();
