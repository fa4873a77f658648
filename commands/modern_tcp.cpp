// The modern TCP settings' one Apply, shared by their window and `/tcp`.
#include "commands/modern_tcp.h"

#include <cctype>

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

// Connection names compare as netsh compares them, in any case.
bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

std::string GivenTwice(const std::vector<TcpValue>& values) {
  for (std::size_t i = 0; i < values.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (SameName(values[i].name, values[j].name))
        return JoinText({values[i].name, " is given twice."});
  return "";
}

bool ReportsNone(const RunningWindows& windows, const std::vector<TcpValue>& inForce) {
  for (const std::string& name : TcpSettingNames(windows))
    if (Find(inForce, name) != nullptr) return false;
  return true;
}

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

  if (const std::string twice = GivenTwice(wanted); !twice.empty()) throw Error(twice);

  WriterLock lock(platform);
  JournalRun run(registry, profiles, platform, kModernTcpCommand, without);
  const std::vector<TcpValue> before = ReadOrRaise(access, names);
  // A netsh that reports nothing, or not the setting asked, is not read as
  // "already so": what it does with a change could never be checked.
  if (ReportsNone(windows, before)) throw Error(kNetshReportedNothing);
  std::vector<TcpValue> changes;
  for (const TcpValue& v : wanted) {
    const std::string* now = Find(before, v.name);
    if (now == nullptr) throw Error(JoinText({"netsh did not report ", v.name, "; nothing was changed."}));
    if (*now == v.value) continue;
    // What is put back must be a value this Windows takes, as Undo checks.
    if (!CheckTcpValue(windows, {v.name, *now}).empty())
      throw Error(JoinText({"netsh reports ", v.name, "=", *now,
                            ", which could not be put back; nothing was changed."}));
    changes.push_back(v);
  }
  if (changes.empty()) return {before, 0};

  // The journal keeps the TCP values beside the registry's, for Undo.
  std::vector<TcpValue> touched;
  for (const TcpValue& c : changes) touched.push_back({c.name, *Find(before, c.name)});
  run.AddTcpValues(access, touched);
  run.Before()();
  std::string error;
  if (!access.Write(changes, &error)) {
    // Put back whole, the settings are as they were; a put-back that failed
    // (a second line) leaves the journal to read what is left.
    if (error.find('\n') == std::string::npos) {
      run.SetTcpAfter(touched);
      run.Discard();
    }
    throw Error(error);
  }
  // Write has read every change in force; the reading after is for the
  // rows shown and the record. A netsh that fails it now has still made
  // the change, which stands as Write read it.
  std::vector<TcpValue> after;
  if (std::string unread; !access.Read(names, &after, &unread)) {
    after = before;
    for (const TcpValue& c : changes)
      for (TcpValue& a : after)
        if (a.name == c.name) a.value = c.value;
  }
  std::vector<TcpValue> left;
  for (const TcpValue& t : touched)
    if (const std::string* now = Find(after, t.name)) left.push_back({t.name, *now});
  run.SetTcpAfter(left);
  run.Finish();
  return {after, changes.size()};
}

InterfaceMtuPlan PlanInterfaceMtus(RawRegistry& registry, Platform& platform, int kind,
                                   const Panel& panel, const std::vector<Adapter>& ticked,
                                   JournalRun& run) {
  return PlanInterfaceMtus(platform, kind, InterfaceMtus(registry, kind, panel, ticked), run);
}

InterfaceMtuPlan PlanInterfaceMtus(Platform& platform, int kind,
                                   const std::vector<TcpValue>& wanted, JournalRun& run) {
  InterfaceMtuPlan plan;
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

void AddInterfaceMtuPreview(PreviewReport* report, RawRegistry& registry, Platform& platform,
                            int kind, const Panel& panel, const std::vector<Adapter>& ticked) {
  const std::vector<TcpValue> wanted = InterfaceMtus(registry, kind, panel, ticked);
  if (wanted.empty()) return;
  report->written += static_cast<int>(wanted.size());
  std::vector<std::string> names;
  for (const TcpValue& v : wanted) names.push_back(v.name);
  std::vector<TcpValue> now;
  std::string error;
  const bool read = OpenNetsh(platform, GetRunningWindows(platform))->Read(names, &now, &error);
  for (const TcpValue& v : wanted) {
    const std::size_t prefix = MtuPrefixLength(v.name);
    const bool ipv6 = prefix == std::char_traits<char>::length(kInterfaceMtu6Prefix);
    const std::string* inForce = Find(now, v.name);
    if (inForce != nullptr && *inForce == v.value) continue;
    report->changes.push_back({ipv6 ? "netsh interface ipv6, in force" : "netsh interface ipv4, in force",
                     JoinText({ipv6 ? "IPv6 MTU (" : "MTU (", v.name.substr(prefix), ")"}),
                     inForce ? *inForce : read ? "(not reported)" : "(netsh could not be read)",
                     v.value, "yes"});
  }
}

void NetshStep(Platform& platform, int kind, const std::vector<Adapter>& ticked,
               const std::function<void()>& step) {
  if (IsVistaOrLater(kind) && !ticked.empty())
    platform.RunWaiting(step);
  else
    step();
}

void WriteInterfaceMtus(const InterfaceMtuPlan& plan) {
  if (!plan.unread.empty()) throw Error(plan.unread);
  std::string error;
  if (plan.access && !plan.access->Write(plan.changes, &error)) throw Error(error);
}

}  // namespace iz
