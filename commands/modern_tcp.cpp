// The modern TCP settings' one Apply, shared by their window and `/tcp`.
#include "commands/modern_tcp.h"

#include "model/writer_lock.h"
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
    if (v.name == name) return &v.value;
  return nullptr;
}

}  // namespace

std::unique_ptr<NetshAccess> OpenNetsh(Platform& platform, int kind) {
  return std::make_unique<NetshAccess>(platform, kind, BackupFolder(platform));
}

std::vector<TcpValue> ReadTcpSettings(TcpSettingsAccess& access, int kind) {
  if (!HasModernTcpSettings(kind)) throw Error(kNeedsVista);
  return ReadOrRaise(access, TcpSettingNames(kind));
}

TcpApplied ApplyTcpSettings(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                            TcpSettingsAccess& access, int kind,
                            const std::vector<TcpValue>& wanted, WithoutRecord without) {
  if (!HasModernTcpSettings(kind)) throw Error(kNeedsVista);
  for (const TcpValue& v : wanted)
    if (const std::string reason = CheckTcpValue(kind, v); !reason.empty()) throw Error(reason);
  std::vector<std::string> names = TcpSettingNames(kind);
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
      if (c.name == v.name) c.value = v.value, again = true;
    if (!again) changes.push_back(v);
  }
  if (changes.empty()) return {before, 0};

  run.Before()();
  // The journal keeps the TCP values beside the registry's: its record of
  // `before` goes here once it has one.
  std::string error;
  if (!access.Write(changes, &error)) throw Error(error);
  const std::vector<TcpValue> after = ReadOrRaise(access, names);
  run.Finish();
  // Counted as changed only where netsh reports the new value: a netsh that
  // answers nothing changes nothing that can be told.
  std::size_t changed = 0;
  for (const TcpValue& c : changes)
    if (const std::string* now = Find(after, c.name); now != nullptr && *now == c.value) ++changed;
  return {after, changed};
}

void SetTickedInterfaceMtus(RawRegistry& registry, Platform& platform, int kind,
                            const Panel& panel, const std::vector<Adapter>& ticked) {
  const std::vector<TcpValue> wanted = InterfaceMtus(registry, kind, panel, ticked);
  if (wanted.empty()) return;
  std::vector<TcpValue> before;
  // The journal keeps `before` beside the registry's values once it has
  // a place for them.
  SetInterfaceMtus(*OpenNetsh(platform, kind), wanted, &before);
}

}  // namespace iz
