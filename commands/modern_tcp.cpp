// The modern TCP settings' one Apply, shared by their window and `/tcp`.
#include "commands/modern_tcp.h"

#include "model/writer_lock.h"
#include "modern/join.h"
#include "optimize/interface_mtu.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz {

namespace {

std::vector<TcpValue> ReadOrRaise(TcpSettingsAccess& access, const std::vector<std::string>& names) {
  std::vector<TcpValue> values;
  std::string error;
  if (!access.Read(names, &values, &error)) throw Error(error);
  return values;
}

const std::string* Find(const std::vector<TcpValue>& values, const std::string& name) {
  for (const TcpValue& v : values)
    if (map::SameName(v.name.c_str(), name.c_str())) return &v.value;
  return nullptr;
}

}  // namespace

std::unique_ptr<NetshAccess> OpenNetsh(Platform& platform, const RunningWindows& windows) {
  return std::make_unique<NetshAccess>(platform, windows, BackupFolder(platform));
}

std::vector<TcpValue> ReadTcpSettings(TcpSettingsAccess& access, const RunningWindows& windows) {
  if (!HasModernTcpSettings(windows)) throw Error(kNeedsVista);
  return ReadOrRaise(access, TcpSettingNames(windows));
}

TcpApplied ApplyTcpSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                            TcpSettingsAccess& access, const RunningWindows& windows,
                            const std::vector<TcpValue>& wanted, WithoutRecord without) {
  if (!HasModernTcpSettings(windows)) throw Error(kNeedsVista);
  for (const TcpValue& v : wanted)
    if (const std::string reason = CheckTcpValue(windows, v); !reason.empty()) throw Error(reason);
  std::vector<std::string> names = TcpSettingNames(windows);
  // Interface MTUs are read beside the table's settings.
  for (const TcpValue& v : wanted) {
    bool listed = false;
    for (const std::string& n : names) listed = listed || n == v.name;
    if (!listed) names.push_back(v.name);
  }

  WriterLock lock(platform);
  JournalRun run(registry, profiles, platform, kModernTcpCommand, without);
  const std::vector<TcpValue> before = ReadOrRaise(access, names);
  // Only what differs is written, the last word on a name winning.
  std::vector<TcpValue> changes;
  for (const TcpValue& v : wanted) {
    const std::string* now = Find(before, v.name);
    if (now != nullptr && *now == v.value) continue;
    bool again = false;
    for (TcpValue& c : changes)
      if (map::SameName(c.name.c_str(), v.name.c_str())) c.value = v.value, again = true;
    if (!again) changes.push_back(v);
  }
  if (changes.empty()) return {before, 0};

  // The journal keeps the TCP values beside the registry's, for Undo.
  std::vector<TcpValue> touched;
  for (const TcpValue& c : changes)
    if (const std::string* now = Find(before, c.name)) touched.push_back({c.name, *now});
  run.AddTcpValues(access, touched);
  run.Before()();
  std::string error;
  if (!access.Write(changes, &error)) {
    // Put back whole, the settings are as they were; a put-back that failed
    // (a second line) leaves the journal to read what is left.
    if (error.find('\n') == std::string::npos) run.SetTcpAfter(touched);
    throw Error(error);
  }
  const std::vector<TcpValue> after = ReadOrRaise(access, names);
  std::vector<TcpValue> left;
  for (const TcpValue& t : touched)
    if (const std::string* now = Find(after, t.name)) left.push_back({t.name, *now});
  run.SetTcpAfter(left);
  run.Finish();
  // Counted as changed only where netsh reports the new value: a netsh that
  // answers nothing changes nothing that can be told.
  std::size_t changed = 0;
  for (const TcpValue& c : changes)
    if (const std::string* now = Find(after, c.name); now != nullptr && *now == c.value) ++changed;
  return {after, changed};
}

InterfaceMtuPlan PlanInterfaceMtus(RawRegistry& registry, Platform& platform, int kind,
                                   const Panel& panel, const std::vector<Adapter>& ticked,
                                   JournalRun& run) {
  InterfaceMtuPlan plan;
  const std::vector<TcpValue> wanted = InterfaceMtus(registry, kind, panel, ticked);
  if (wanted.empty()) return plan;
  plan.access = OpenNetsh(platform, GetRunningWindows(platform));
  std::vector<TcpValue> before;
  // netsh out of order must not cost the registry's values: they are
  // written, and then the reason is told.
  try {
    plan.changes = InterfaceMtuChanges(*plan.access, wanted, &before);
  } catch (const Error& e) {
    plan.unread = JoinText({"The MTU in force could not be set through netsh: ", e.what()});
    return plan;
  }
  if (!plan.changes.empty()) run.AddTcpValues(*plan.access, before);
  return plan;
}

void WriteInterfaceMtus(const InterfaceMtuPlan& plan) {
  if (!plan.unread.empty()) throw Error(plan.unread);
  std::string error;
  if (plan.access && !plan.access->Write(plan.changes, &error)) throw Error(error);
}

}  // namespace iz
