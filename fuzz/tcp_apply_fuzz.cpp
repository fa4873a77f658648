// An Apply of the modern TCP settings against a netsh that misbehaves as the
// input says (refuses a setting, drops it, answers "Ok." and keeps it, takes
// another value, or is ended at the time limit on one of its runs), as one of
// Vista to 11, then Undo:
//  - the Apply leaves every value asked in force and a record of exactly the
//    values it changed, as they were and as they are; or it raises and every
//    setting is as it was (but for one netsh dropped, which the error's
//    second line names) with no record left;
//  - after an Apply that changed something, Undo puts back exactly the values
//    from before and removes the record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "commands/modern_tcp.h"
#include "fuzz/journal_rig.h"
#include "modern/netsh.h"
#include "modern/tcp_table.h"
#include "shared/netsh_standin.h"
#include "store/error.h"

namespace {

using fuzz::Check;

constexpr const char* kEthernet = "mtu@Ethernet 2";
constexpr const char* kLoopback = "mtu@Loopback Pseudo-Interface 1";

// The input read byte by byte, zeros once it runs out.
struct Bytes {
  const std::uint8_t* data;
  std::size_t size, at = 0;
  std::uint8_t Next() { return at < size ? data[at++] : 0; }
};

std::size_t Records(iz::test::FakePlatform& platform) {
  std::size_t n = 0;
  for (const auto& [path, text] : platform.files) n += path.rfind(fuzz::kHistory + "\\", 0) == 0;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in{data, size};
  const iz::VersionInfo kWindows[] = {
      {iz::kVerPlatformWin32NT, 6, 0, "", 6002},  {iz::kVerPlatformWin32NT, 6, 1, "", 7601},
      {iz::kVerPlatformWin32NT, 6, 2, "", 9200},  {iz::kVerPlatformWin32NT, 6, 3, "", 9600},
      {iz::kVerPlatformWin32NT, 10, 0, "", 19045}, {iz::kVerPlatformWin32NT, 10, 0, "", 22631}};
  const std::size_t which = in.Next() % 6;
  fuzz::Machine m(true, false);
  m.platform.version = kWindows[which];
  const iz::RunningWindows windows = iz::GetRunningWindows(m.platform);
  iz::test::NetshState netsh = iz::test::FreshNetsh(which >= 2);

  // Every setting of this Windows and the two interfaces, each with its
  // words and a few values no Windows takes.
  std::vector<std::pair<std::string, std::vector<std::string>>> offered;
  for (const iz::TcpSettingInfo& s : iz::TcpSettingsFor(windows)) {
    std::vector<std::string> values = s.values;
    if (values.empty()) values = {"300", "3000", "1000", "0300", "299"};
    values.push_back("fast");
    offered.emplace_back(s.name, values);
  }
  offered.push_back({kEthernet, {"1500", "1492", "576", "01500", "65536"}});
  offered.push_back({kLoopback, {"1500"}});

  // How netsh misbehaves, and with which setting.
  const std::uint8_t fault = in.Next();
  const auto& target = offered[in.Next() % offered.size()];
  const std::string& other = target.second[in.Next() % target.second.size()];
  int hangAt = 0;  // the run ended at the time limit, counted from 1; 0: none
  switch (fault % 8) {
    case 1: netsh.refuse.push_back(target.first.rfind("mtu@", 0) == 0 ? "mtu" : target.first); break;
    case 2: netsh.drop.push_back(target.first); break;
    case 3: netsh.ignore.push_back(target.first); break;
    case 4: netsh.other.emplace_back(target.first, other); break;
    case 5: hangAt = 1 + fault / 8 % 5; break;
    case 6: netsh.Set(target.first, other); break;  // a value in force Windows may not take
    default: break;
  }
  std::vector<iz::TcpValue> wanted;
  for (std::size_t n = in.Next() % 6; n > 0; --n) {
    const auto& s = offered[in.Next() % offered.size()];
    wanted.push_back({s.first, s.second[in.Next() % s.second.size()]});
  }

  int runs = 0;
  m.platform.runEnd = [&](const std::string&, const std::string& arguments, std::uint32_t* code,
                          std::string* out) {
    // Ended at the limit, half the time before the stand-in ran at all.
    if (++runs == hangAt && fault & 0x80) return iz::RunEnd::TimedOut;
    *code = static_cast<std::uint32_t>(iz::test::RunNetsh(
        netsh, arguments, out, [&m](const std::string& path, std::string* text) {
          const auto f = m.platform.files.find(path);
          if (f == m.platform.files.end()) return false;
          *text = f->second;
          return true;
        }));
    return runs == hangAt ? iz::RunEnd::TimedOut : iz::RunEnd::Finished;
  };

  const auto before = netsh.values;
  const std::size_t recordsBefore = Records(m.platform);
  iz::NetshAccess access(m.platform, windows, "C:\\Program Files\\Internet Zelvora\\Backup");
  std::string error;
  iz::TcpApplied applied;
  try {
    applied = iz::ApplyTcpSettings(m.registry, m.profiles, m.platform, access, windows, wanted,
                                   iz::WithoutRecord::Refuse);
  } catch (const iz::Error& e) {
    error = e.what();
  }
  hangAt = 0;

  if (!error.empty()) {
    // What is left is what was there, with no record; but for a setting
    // netsh dropped and could not take back, which the second line names,
    // and whose record stays for Undo.
    const bool notPutBack = error.find('\n') != std::string::npos;
    if (!notPutBack) Check(Records(m.platform) == recordsBefore);
    for (const auto& [name, value] : before) {
      const std::string* now = netsh.Get(name);
      if (now == nullptr && notPutBack) continue;
      Check(now != nullptr && *now == value);
    }
    return 0;
  }
  for (const iz::TcpValue& v : wanted) {
    const std::string* now = netsh.Get(v.name);
    Check(now != nullptr && *now == v.value);
  }
  Check(applied.changed == 0 ? Records(m.platform) == recordsBefore
                             : Records(m.platform) == recordsBefore + 1);
  if (applied.changed == 0) return 0;
  // The record names only what changed, before and after.
  const std::string record = m.Newest();
  // With IZ_WRITE_SEEDS=dir, kept there as journal_fuzz's seeds: the byte
  // that picks its machine (NT, Windows 10 with netsh) first.
  if (const char* dir = std::getenv("IZ_WRITE_SEEDS"); dir != nullptr && which == 4) {
    std::ofstream(std::string(dir) + "/tcp-" + std::to_string(record.size()),
                  std::ios::binary)
        << '\x05' << record;
  }
  for (const auto& [name, value] : before) {
    const std::string* now = netsh.Get(name);
    const bool changed = now != nullptr && *now != value;
    Check(changed == (record.find(";#tcp \"" + name + "\"=\"" + value + "\"") != std::string::npos));
  }

  iz::NetshAccess undoAccess(m.platform, windows, "C:\\Program Files\\Internet Zelvora\\Backup");
  iz::Journal journal(m.registry, m.profiles, m.platform, &undoAccess);
  const iz::UndoPlan plan = journal.PlanUndo();
  Check(plan.found && plan.damage.empty() && plan.failure.empty());
  const iz::UndoResult undone = journal.Undo(plan);
  Check(undone.failures.empty());
  Check(netsh.values == before);
  Check(Records(m.platform) == recordsBefore);
  return 0;
}
