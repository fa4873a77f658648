#pragma once
// The TCP settings of Vista and later, as the "Modern TCP Settings" window
// and `/tcp` use them: read what is in force, and one Apply that both share.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adapters/adapters.h"
#include "journal/journal.h"
#include "model/panel.h"
#include "model/platform.h"
#include "modern/netsh.h"
#include "modern/tcp_table.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

// The journal's name for the command.
inline constexpr const char* kModernTcpCommand = "Modern TCP Settings";

// netsh for the running program: its scripts go to the Backup folder.
std::unique_ptr<NetshAccess> OpenNetsh(Platform& platform, const RunningWindows& windows);

// The values in force of every setting the Windows offers, in the table's
// order; a setting netsh does not report is left out. Raises Error with
// kNeedsVista before Vista, or the reason netsh could not be read.
std::vector<TcpValue> ReadTcpSettings(TcpSettingsAccess& access, const RunningWindows& windows);

// "rss is given twice." when two of the values name one setting (connection
// names in any case, as netsh takes them); else empty.
std::string GivenTwice(const std::vector<TcpValue>& values);
// Whether netsh's reading holds none of the settings the Windows offers.
bool ReportsNone(const RunningWindows& windows, const std::vector<TcpValue>& inForce);

struct TcpApplied {
  std::vector<TcpValue> inForce;  // every setting of the kind, as read after
  std::size_t changed = 0;        // how many of the wanted values differed before
};

// Apply: checks every value first (Error naming the first the kind does not
// accept; netsh is not run), takes the writer lock, reads the values before
// and records them in the journal, writes them all or none, and reads what
// is in force after. Values already in force are not written. Raises Error
// with the reason: kNeedsVista, a value not accepted or given twice, a
// setting netsh does not report (kNetshReportedNothing for none), or netsh's
// refusal, a change it did not make or a run it did not finish, naming the
// setting (nothing left changed then).
TcpApplied ApplyTcpSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                            TcpSettingsAccess& access, const RunningWindows& windows,
                            const std::vector<TcpValue>& wanted, WithoutRecord without);

// Optimize's step on Vista and later: the panel's MTU set through netsh on
// each ticked adapter's interface. Planned before the journal's record (the
// MTUs in force join it), written after the registry's values.
struct InterfaceMtuPlan {
  std::unique_ptr<NetshAccess> access;
  std::vector<TcpValue> changes;
  std::string unread;  // why netsh could not be read; raised after the registry's writes
};
InterfaceMtuPlan PlanInterfaceMtus(RawRegistry& registry, Platform& platform, int kind,
                                   const Panel& panel, const std::vector<Adapter>& ticked,
                                   JournalRun& run);
// The same with the MTUs given: Restore Windows Defaults' kDefaultInterfaceMtu.
InterfaceMtuPlan PlanInterfaceMtus(Platform& platform, int kind,
                                   const std::vector<TcpValue>& wanted, JournalRun& run);
// Raises Error with netsh's refusal; nothing of it is left changed then.
void WriteInterfaceMtus(const InterfaceMtuPlan& plan);
// Runs a step of a command that may run netsh for the ticked adapters:
// from Vista on off the window's thread (the window waits, drawn), before
// it at once.
void NetshStep(Platform& platform, int kind, const std::vector<Adapter>& ticked,
               const std::function<void()>& step);
// The preview's lines for the interface MTUs Optimize would set through
// netsh (Vista and later), each named by its connection, read in one run of
// netsh: those whose MTU in force differs, or that netsh does not report,
// are added to the report's changes, and all of them to what it writes.
void AddInterfaceMtuPreview(PreviewReport* report, RawRegistry& registry, Platform& platform,
                            int kind, const Panel& panel, const std::vector<Adapter>& ticked);

// Optimize as the window and the command line run it: under the writer
// lock, recorded in the journal, the registry's values and then the
// interfaces' MTUs. `without` says what happens when no record can be made.
// Returns the interface MTUs set through netsh.
std::vector<TcpValue> OptimizeRecorded(RawRegistry& registry, ProfileStrings& profiles,
                                       Platform& platform, const Panel& panel, int kind,
                                       WithoutRecord without);

}  // namespace iz
