// Both appliers on the in-memory registry with the "CABLE / DSL" profile of
// " Automatic Mode 1": the time of one run and the raw registry calls it
// makes. A run whose calls differ from what its steps imply is reported as an
// error instead of a figure.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "bench/counting_registry.h"
#include "bench/store_costs.h"
#include "model/panel.h"
#include "native/fake_platform.h"
#include "optimize/apply_9x.h"
#include "optimize/apply_nt.h"
#include "profiles/profile_table.h"
#include "store/ini_profile.h"
#include "store/memory_registry.h"

namespace {

using iz::bench::CallCounts;

// Win.ini in memory; BM_ApplyNTWithIniFile shows the disk's cost separately.
using iz::test::MemoryProfiles;

// The calls the steps imply, from the store's own rules: EnsureKey is a create
// and a close; WriteDwordAt an open, a set and a close; a section string an
// ensure of its subkey, an open, a set and a close; opening with creation a
// create, and closing a close.
struct Steps {
  int ensured, dwords, sections, openedKeys;  // openedKeys: OpenPath with creation
  int bytes;                                  // one-byte values, each in a key opened for it
  CallCounts Implied() const {
    CallCounts c;
    c.create = ensured + sections + openedKeys + bytes;
    c.open = dwords + sections;
    c.set = dwords + sections + bytes;
    c.close = ensured + dwords + 2 * sections + openedKeys + bytes;
    return c;
  }
};
// NT: ten keys in step 1, eighteen DWORDs (both NDI ranges ticked), the cache
// size in the NDI key, three bytes.
constexpr Steps kNTSteps{10, 18, 1, 1, 3};
// 9x on Windows 98: one key in step 1; fourteen DWORDs; the TTL in the VxD
// key, five NDI strings, fifteen MTU strings in five class-key openings.
constexpr Steps k9xSteps{1, 14, 1 + 5 + 15, 1 + 1 + 5, 3};

bool Same(const CallCounts& a, const CallCounts& b) {
  return a.open == b.open && a.create == b.create && a.close == b.close && a.set == b.set &&
         a.query == b.query && a.remove == b.remove;
}

void Report(benchmark::State& state, const CallCounts& total, const Steps& steps) {
  const auto runs = static_cast<std::int64_t>(state.iterations());
  if (runs == 0) return;
  CallCounts perRun{total.open / runs, total.create / runs, total.close / runs,
                    total.set / runs,  total.query / runs,  total.remove / runs};
  if (!Same(perRun, steps.Implied())) {
    state.SkipWithError("the registry calls differ from what the steps imply");
  }
  state.counters["calls/run"] = static_cast<double>(perRun.Total());
  state.counters["opens"] = static_cast<double>(perRun.open);
  state.counters["creates"] = static_cast<double>(perRun.create);
  state.counters["closes"] = static_cast<double>(perRun.close);
  state.counters["sets"] = static_cast<double>(perRun.set);
  state.counters["queries"] = static_cast<double>(perRun.query);
}

struct Machine {
  iz::MemoryRegistry memory;
  iz::bench::CountingRegistry registry{memory};
  iz::Panel panel;
  iz::test::FakePlatform platform;

  explicit Machine(const iz::VersionInfo& version) {
    memory.CreateKeyPath(iz::kHKCU,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    iz::LoadProfile(panel, iz::ConnectionType::CableDsl, iz::Method::Automatic1);
    platform.version = version;
  }
};

void BM_ApplyNT(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32NT, 5, 1, "Service Pack 3"});
  MemoryProfiles profiles;
  for (auto _ : state) iz::ApplyNTSettings(m.panel, m.registry, profiles, [] {});
  Report(state, m.registry.counts, kNTSteps);
}
BENCHMARK(BM_ApplyNT);

void BM_Apply9x(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32Windows, 4, 10, ""});
  MemoryProfiles profiles;
  for (auto _ : state) iz::Apply9xSettings(m.panel, m.registry, profiles, iz::GetOSKind(m.platform), [] {});
  Report(state, m.registry.counts, k9xSteps);
}
BENCHMARK(BM_Apply9x);

// The same NT run with Win.ini as a real file, replaced atomically per entry.
void BM_ApplyNTWithIniFile(benchmark::State& state) {
  Machine m({iz::kVerPlatformWin32NT, 5, 1, "Service Pack 3"});
  char dir[] = "/tmp/izbench.XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    state.SkipWithError("no temporary directory");
    return;
  }
  iz::IniProfileStrings profiles(dir, "C:\\WINDOWS");
  for (auto _ : state) iz::ApplyNTSettings(m.panel, m.registry, profiles, [] {});
  Report(state, m.registry.counts, kNTSteps);
  std::remove((std::string(dir) + "/Win.ini").c_str());
  rmdir(dir);
}
BENCHMARK(BM_ApplyNTWithIniFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
