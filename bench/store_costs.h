#pragma once
// What the readers' and restores' benchmarks share: the raw registry calls
// each store operation makes when its keys exist and its values are present
// (so that a command's expected calls follow from its steps), a Win.ini kept
// in memory, a platform that answers No without recording, and the check of
// the counted calls against the expected ones.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "bench/counting_registry.h"
#include "model/panel.h"
#include "native/fake_platform.h"
#include "model/os_kind.h"
#include "optimize/apply_9x.h"
#include "optimize/apply_nt.h"
#include "profiles/profile_table.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"
#include "store/profile_file.h"

namespace iz::bench {

constexpr CallCounts operator+(const CallCounts& a, const CallCounts& b) {
  return {a.open + b.open, a.create + b.create, a.close + b.close,
          a.set + b.set,   a.query + b.query,   a.remove + b.remove};
}
constexpr CallCounts operator*(int n, const CallCounts& a) {
  return {n * a.open, n * a.create, n * a.close, n * a.set, n * a.query, n * a.remove};
}
constexpr bool operator==(const CallCounts& a, const CallCounts& b) {
  return a.open == b.open && a.create == b.create && a.close == b.close && a.set == b.set &&
         a.query == b.query && a.remove == b.remove;
}

// The store's operations, by the calls each makes (fields: open, create,
// close, set, query, remove).
namespace cost {
constexpr CallCounts kOpen{1, 0, 0, 0, 0, 0};    // OpenPathReadOnly or OpenPath without creation
constexpr CallCounts kCreate{0, 1, 0, 0, 0, 0};  // OpenPath with creation
constexpr CallCounts kClose{0, 0, 1, 0, 0, 0};   // ClosePath, or SetRoot with a key open
constexpr CallCounts kKind{0, 0, 0, 0, 1, 0};    // ValueKindOf
constexpr CallCounts kRemove{0, 0, 0, 0, 0, 1};  // RemoveValue
constexpr CallCounts kPutBinary{0, 0, 0, 1, 0, 0};
// GetSectionText of the open key itself: its own handle, size and data.
constexpr CallCounts kSectionText{1, 0, 1, 0, 2, 0};
// ReadDwordAt: a session of its own, size and data.
constexpr CallCounts kReadDword{1, 0, 1, 0, 2, 0};
constexpr CallCounts kGetBinary{0, 0, 0, 0, 2, 0};
constexpr CallCounts kWriteDword{1, 0, 1, 1, 0, 0};  // WriteDwordAt
constexpr CallCounts kEnsureKey{0, 1, 1, 0, 0, 0};
// PutSectionText: EnsureKey of the section, then its own handle to write.
constexpr CallCounts kPutSectionText = kEnsureKey + CallCounts{1, 0, 1, 1, 0, 0};
constexpr CallCounts kRemoveSectionValue{1, 0, 1, 0, 0, 1};

// The readers' decodings of a present value.
constexpr CallCounts kNumber = kKind + kSectionText;  // a string; a DWORD costs the same
constexpr CallCounts kByteFlag = kKind + kGetBinary;
constexpr CallCounts kMatchingPair = 2 * kKind + 2 * kSectionText;  // "max" read too
}  // namespace cost

using test::MemoryProfiles;

// Answers every prompt with No and keeps no record, so that a long run does
// not time a growing log.
class QuietPlatform : public test::FakePlatform {
 public:
  MsgAnswer MessageBox(const std::string&, const std::string&, MsgIcon, MsgButtons) override {
    return MsgAnswer::No;
  }
};

// The in-memory registry as the applier of the family leaves it after
// "CABLE / DSL" with " Automatic Mode 1" (COM ports ticked); the seeding is
// not counted, only the calls through `registry`.
struct OptimizedMachine {
  MemoryRegistry memory;
  CountingRegistry registry{memory};
  Panel panel;
  MemoryProfiles profiles;
  QuietPlatform platform;

  explicit OptimizedMachine(const VersionInfo& version) {
    memory.CreateKeyPath(kHKCU, map::kInternetSettingsUpperKey);
    LoadProfile(panel, ConnectionType::CableDsl, Method::Automatic1);
    platform.version = version;
    if (version.platformId == kVerPlatformWin32NT) {
      ApplyNTSettings(panel, memory, profiles, [] {});
    } else {
      Apply9xSettings(panel, memory, profiles, iz::GetOSKind(platform), [] {});
    }
  }
};

// Per-run calls as counters; a run whose calls differ from what its steps
// imply is reported as an error instead of a figure.
inline void ReportCalls(benchmark::State& state, const CallCounts& total,
                        const CallCounts& expected) {
  const auto runs = static_cast<std::int64_t>(state.iterations());
  if (runs == 0) return;
  const CallCounts perRun{total.open / runs, total.create / runs, total.close / runs,
                          total.set / runs,  total.query / runs,  total.remove / runs};
  if (!(perRun == expected) || total.Total() != runs * perRun.Total()) {
    state.SkipWithError("the registry calls differ from what the steps imply");
  }
  state.counters["calls/run"] = static_cast<double>(perRun.Total());
  state.counters["opens"] = static_cast<double>(perRun.open);
  state.counters["creates"] = static_cast<double>(perRun.create);
  state.counters["closes"] = static_cast<double>(perRun.close);
  state.counters["sets"] = static_cast<double>(perRun.set);
  state.counters["queries"] = static_cast<double>(perRun.query);
  state.counters["removes"] = static_cast<double>(perRun.remove);
}

}  // namespace iz::bench
