// The journal and Undo Last Change: each writing command is undone exactly
// (types, bytes, absences, the Win.ini ports, the keys it created), Undo
// steps back one record at a time whatever the clock said, puts back only
// what is still as the command left it, the journal keeps twenty records in
// the order they were made, a record that cannot be made is asked about
// before anything is written, and a record that is not whole is never used.
#include "journal/journal.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "native/current_fixture.h"

namespace iz::test {
namespace {

using namespace map;

const std::string kBackup = "C:\\Program Files\\Internet Zelvora\\Backup";
const std::string kHistory = kBackup + "\\History";

struct State {
  std::vector<MemoryRegistry::Entry> values;
  std::vector<std::string> ports;
  bool operator==(const State& o) const { return values == o.values && ports == o.ports; }
  bool operator!=(const State& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& out, const State& s) {
  for (const auto& e : s.values) out << "\n  " << e;
  for (const auto& p : s.ports) out << "\n  " << p;
  return out;
}

State Now(Rig& rig) {
  State s{rig.State(), {}};
  for (const char* port : kComPorts) s.ports.push_back(std::string(port) + rig.Port(port));
  return s;
}

std::vector<std::string> History(const FakePlatform& platform) {
  std::vector<std::string> names;
  for (const auto& [path, content] : platform.files) {
    if (path.rfind(kHistory + "\\", 0) == 0) names.push_back(path.substr(kHistory.size() + 1));
  }
  return names;
}

// A machine as a user may have left it: odd types, values of both families,
// absences, and ports partly set.
void SeedLived(Rig& rig) {
  SeedStockNT(rig.registry);
  SeedStock9x(rig.registry);
  rig.SeedAll({Sz(kTcpipParametersKey, kDefaultTTL, "77"), Dw(kMstcpKey, kSackOpts, 7),
               Bin(kComBuffKey, kStart, {1, 2, 3}), Dw(kTcpipInterfaceKey, kMTU, 576),
               Sz(kNdiCacheSizeKey, kDefaultValue, "")});
  rig.registry.SetRaw(kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPerServer, kRegBinary, {});
  rig.SetPort("COM1:", "1200,n,8,1");
  rig.SetPort("COM3:", "");
}

void Optimize(Rig& rig, CheckBoxCtl Panel::*type) {
  rig.w.Click(rig.w.*type);
  rig.w.SetChecked(rig.w.comPorts, true);  // the ports too
  rig.platform.answers = {MsgAnswer::No};
  rig.w.Dispatch([&] { rig.w.OnOptimize(); });
}

// Undo, its question answered Yes.
void Undo(Rig& rig) {
  rig.platform.answers.push_front(MsgAnswer::Yes);
  rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
}

std::string WinIniText(Rig& rig) {
  std::ifstream in(rig.dir.Path() + "/Win.ini", std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string LastText(const Rig& rig) {
  return rig.platform.messages.empty() ? "" : rig.platform.messages.back().text;
}
bool Said(const Rig& rig, const std::string& text) {
  return std::any_of(rig.platform.messages.begin(), rig.platform.messages.end(),
                     [&](const FakePlatform::Message& m) { return m.text == text; });
}

TEST(Journal, UndoGivesBackExactlyTheStateBeforeEachCommand) {
  struct Row {
    const char* command;
    VersionInfo version;
    std::function<void(Rig&)> run;
    bool lived = true;  // false: a bare machine, on which the command creates keys and [Ports]
  };
  const auto restoreDefaults = [](Rig& rig) {
    rig.w.SetChecked(rig.w.comPorts, true);
    rig.platform.answers = {MsgAnswer::No};
    rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
  };
  // Saved while optimized, so that the put-back changes the lived-in state.
  const auto restorePrevious = [](Rig& rig) {
    const State lived = Now(rig);
    Optimize(rig, &Panel::extreme);
    rig.w.Dispatch([&] { rig.w.OnBackup(); });
    Undo(rig);
    ASSERT_EQ(Now(rig), lived);
    rig.w.Dispatch([&] { rig.w.OnRestorePrevious(); });
  };
  const Row rows[] = {
      {kOptimizeCommand, WinXP(), [](Rig& rig) { Optimize(rig, &Panel::cableDsl); }},
      {kOptimizeCommand, Win98(), [](Rig& rig) { Optimize(rig, &Panel::cableDsl); }},
      {kOptimizeCommand, WinXP(), [](Rig& rig) { Optimize(rig, &Panel::cableDsl); }, false},
      {kOptimizeCommand, Win98(), [](Rig& rig) { Optimize(rig, &Panel::cableDsl); }, false},
      {kRestoreDefaultsCommand, WinXP(), restoreDefaults},
      {kRestoreDefaultsCommand, Win98(), restoreDefaults},
      {kRestoreDefaultsCommand, Win95(), restoreDefaults},
      {kRestorePreviousCommand, WinXP(), restorePrevious},
      {kRestorePreviousCommand, Win98(), restorePrevious},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " on " + std::to_string(row.version.minor));
    Rig rig;
    rig.platform.version = row.version;
    if (row.lived) SeedLived(rig);
    // Undo reads the settings into the panel, and the reading opens some keys
    // with creation, as it always has: they are there before too.
    rig.w.Dispatch([&] { rig.w.OnViewCurrentSettings(); });
    const State before = Now(rig);
    const std::vector<std::string> keys = rig.registry.Keys();
    const std::string winIni = WinIniText(rig);
    row.run(rig);
    ASSERT_NE(Now(rig), before) << "the command changed nothing";
    ASSERT_EQ(History(rig.platform).size(), 1u);

    Undo(rig);
    EXPECT_EQ(Now(rig), before);
    EXPECT_EQ(rig.registry.Keys(), keys);
    EXPECT_EQ(WinIniText(rig), winIni);
    EXPECT_TRUE(Said(rig, "The change made by " + std::string(row.command) +
                              " on 2026-12-07 14:03:12 has been undone. Windows must be "
                              "restarted before the restored settings take effect."));
    EXPECT_EQ(History(rig.platform), std::vector<std::string>{});
    EXPECT_EQ(rig.registry.OpenHandles(), 0);
  }
}

// A change made while the clock said 2031, then three within one second of
// 2026: the newest is the last one made, and each Undo steps back one change
// and re-reads the panel.
TEST(Journal, UndoStepsBackThroughEachChangeWhateverTheClockSaid) {
  Rig rig;
  rig.platform.version = Win98();
  SeedLived(rig);
  std::vector<State> states{Now(rig)};
  rig.platform.now = DateTime{2031, 1, 1, 0, 0, 0};
  for (auto type : {&Panel::pppoe, &Panel::modem, &Panel::isdn, &Panel::extreme}) {
    Optimize(rig, type);
    states.push_back(Now(rig));
    rig.platform.now = DateTime{2026, 12, 7, 14, 3, 12};
  }
  EXPECT_EQ(History(rig.platform), (std::vector<std::string>{
                                       "2026-12-07 14.03.12 #0002 Optimize.reg",
                                       "2026-12-07 14.03.12 #0003 Optimize.reg",
                                       "2026-12-07 14.03.12 #0004 Optimize.reg",
                                       "2031-01-01 00.00.00 #0001 Optimize.reg",
                                   }));
  // The panel after Undo is what View shows of the state.
  const auto blankedThen = [&rig](const std::function<void()>& action) {
    std::vector<std::string> texts;
    for (EditCtl* e : {&rig.w.customTtl, &rig.w.customMtu, &rig.w.customRwin,
                       &rig.w.customKeepAlive, &rig.w.maxConnections})
      e->text = "?";
    action();
    for (EditCtl* e : {&rig.w.customTtl, &rig.w.customMtu, &rig.w.customRwin,
                       &rig.w.customKeepAlive, &rig.w.maxConnections})
      texts.push_back(e->text);
    return texts;
  };
  for (int i = 3; i >= 0; --i) {
    const auto undone = blankedThen([&] { Undo(rig); });
    EXPECT_EQ(Now(rig), states[i]) << "after undo to state " << i;
    EXPECT_EQ(undone, blankedThen([&] { rig.w.Dispatch([&] { rig.w.OnViewCurrentSettings(); }); }));
  }
  rig.platform.messages.clear();
  Undo(rig);
  EXPECT_EQ(Now(rig), states[0]);
  ASSERT_EQ(rig.platform.messages.size(), 1u);
  EXPECT_EQ(LastText(rig), kNothingToUndo);
  EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Information);
}

TEST(Journal, TheTwentyFirstRecordRemovesTheOldest) {
  Rig rig;
  Journal journal(rig.registry, rig.profiles, rig.platform);
  rig.platform.files[kHistory + "\\notes.txt"] = "a user's own file";
  // An older version's ports part whose record is gone, and a name whose
  // date cannot exist: neither is a record, and neither stops the journal.
  rig.platform.files[kHistory + "\\2026-12-07 13.00.00 Optimize.ini"] = "left by a cut-off run";
  rig.platform.files[kHistory + "\\9999-99-99 99.99.99.99 x.reg"] = "REGEDIT4\r\n";
  for (int minute = 10; minute < 31; ++minute) {
    rig.platform.now.minute = minute;
    ASSERT_EQ(journal.Record(kOptimizeCommand), "");
    ASSERT_EQ(journal.Finish(), "");
  }
  std::vector<std::string> names = History(rig.platform);
  EXPECT_EQ(names.size(), 22u);  // 20 records, and the two files that are none
  EXPECT_EQ(names.front(), "2026-12-07 14.11.12 #0002 Optimize.reg");
  EXPECT_EQ(names[names.size() - 3], "2026-12-07 14.30.12 #0021 Optimize.reg");
  EXPECT_EQ(names[names.size() - 2], "9999-99-99 99.99.99.99 x.reg");
  EXPECT_EQ(names.back(), "notes.txt");
}

// Nothing of the command is written when the user declines; with Yes it runs
// as it would with a record.
TEST(Journal, ARecordThatCannotBeMadeIsAskedAbout) {
  const std::string base = kHistory + "\\2026-12-07 14.03.12 #0001 Optimize";
  struct Row {
    std::string reason;
    std::function<void(Rig&)> breakIt;
    MsgAnswer answer;
  };
  const Row rows[] = {
      {"Unable to create the folder ", [](Rig& rig) { rig.platform.lockedFolders = {kHistory}; },
       MsgAnswer::No},
      {"is a junction or symbolic link", [](Rig& rig) { rig.platform.links = {kHistory}; },
       MsgAnswer::No},
      {"is a junction or symbolic link", [](Rig& rig) { rig.platform.links = {kBackup}; },
       MsgAnswer::No},
      // Made by another account, or open to its writes: anyone could have
      // put a record there.
      {kHistory + " may be changed by accounts other than the administrators",
       [](Rig& rig) { rig.platform.foldersOpenToOthers = {kHistory}; }, MsgAnswer::No},
      {kBackup + " may be changed by accounts other than the administrators",
       [](Rig& rig) { rig.platform.foldersOpenToOthers = {kBackup}; }, MsgAnswer::No},
      {"Unable to write to ", [&](Rig& rig) { rig.platform.failCopyTo = {base + ".reg"}; },
       MsgAnswer::No},
      // What the reader would refuse is not written, values and ports alike.
      {"HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\DefaultTTL is longer than "
       "64 KiB",
       [](Rig& rig) {
         rig.registry.SetRaw(kHKLM, kTcpipParametersKey, kDefaultTTL, kRegBinary,
                             std::vector<std::uint8_t>(65537, 1));
       },
       MsgAnswer::Yes},
      {"Win.ini [Ports] COM2: cannot be recorded: unexpected control character",
       [](Rig& rig) { rig.SetPort("COM2:", "9600\x07"); }, MsgAnswer::No},
      // The first value cannot be read (Optimize looks up the adapters
      // before it, read-only, once for the record and for its writes).
      {"Failed to get data for "
       "'HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\DefaultTTL'",
       [](Rig& rig) {
         const int before = rig.registry.CallCount();
         rig.w.TickedAdapters(kWinXP);
         rig.registry.FailCall(2 + rig.registry.CallCount() - before);
       },
       MsgAnswer::No},
      // A key that will not open, with any rights: named by its first value.
      {"Failed to get data for 'HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters"
       "\\Interfaces\\interface\\TcpWindowSize'",
       [](Rig& rig) { rig.registry.FailKey(kHKLM, kTcpipInterfaceKey); }, MsgAnswer::No},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reason);
    Rig rig;
    SeedLived(rig);
    rig.w.Click(rig.w.cableDsl);
    row.breakIt(rig);
    const State before = Now(rig);
    rig.platform.answers = {row.answer, MsgAnswer::No};
    rig.w.Dispatch([&] { rig.w.OnOptimize(); });

    ASSERT_GE(rig.platform.messages.size(), 1u);
    const FakePlatform::Message& asked = rig.platform.messages[0];
    EXPECT_EQ(asked.caption, "Internet Zelvora 2.19");
    EXPECT_EQ(asked.buttons, MsgButtons::YesNo);
    EXPECT_NE(asked.text.find(row.reason), std::string::npos) << asked.text;
    EXPECT_NE(asked.text.find("could not be undone"), std::string::npos) << asked.text;
    EXPECT_EQ(History(rig.platform), std::vector<std::string>{});
    EXPECT_FALSE(rig.platform.links.count(kBackup) && rig.platform.DirectoryExists(kHistory));
    if (row.answer == MsgAnswer::No) {
      EXPECT_EQ(Now(rig), before);
      EXPECT_EQ(rig.platform.messages.size(), 1u);
    } else {
      EXPECT_NE(Now(rig), before);
      EXPECT_EQ(rig.platform.messages.size(), 2u);  // then the restart prompt
    }
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(text.substr(start, end + 1 - start));
  }
  return lines;
}

// A record reads each key of its values with one open, and looks above a key
// only when it is missing: where every key is there, it opens no other key
// but the adapters' list.
TEST(Journal, ARecordOpensEachOfItsKeysOnceAndNoneAboveThem) {
  struct Opens : ForwardingRegistry {
    using ForwardingRegistry::ForwardingRegistry;
    std::map<std::string, int> paths;
    long OpenKey(HKey parent, const std::string& key, std::uint32_t access, HKey* out) override {
      ++paths[key];
      return ForwardingRegistry::OpenKey(parent, key, access, out);
    }
  };
  Rig rig;
  rig.platform.version = WinXP();
  SeedLived(rig);
  Optimize(rig, &Panel::cableDsl);  // every key of the record is there now
  Opens opens(rig.registry);
  Journal journal(opens, rig.profiles, rig.platform);
  ASSERT_EQ(journal.Record(kOptimizeCommand), "");
  std::map<std::string, int> expected{{kTcpipInterfacesKey, 1}};
  for (const std::string& line :
       Lines(rig.platform.files.at(kHistory + "\\2026-12-07 14.03.12 #0002 Optimize.reg"))) {
    const std::size_t slash = line.find('\\');
    if (line.rfind("[HKEY_", 0) == 0)
      expected[line.substr(slash + 1, line.find(']') - slash - 1)] = 1;
  }
  EXPECT_EQ(opens.paths, expected);
}

// A record cut anywhere, missing a value, or holding what the reader refuses
// is never used: Undo names the file and what is wrong, changes nothing, and
// offers to set the record aside and undo the one before.
TEST(Journal, ARecordThatIsNotWholeIsRefusedAndCanBeSetAside) {
  Rig rig;
  SeedLived(rig);
  Optimize(rig, &Panel::modem);
  const State first = Now(rig);
  rig.platform.now.second = 13;
  Optimize(rig, &Panel::cableDsl);
  const std::string path = kHistory + "\\2026-12-07 14.03.13 #0002 Optimize.reg";
  const std::string whole = rig.platform.files.at(path);
  const std::vector<std::string> lines = Lines(whole);
  const std::string ttl = "\"DefaultTTL\"=dword:00000080\r\n";  // as it was before
  ASSERT_NE(whole.find(ttl), std::string::npos);

  struct Row {
    std::string text;
    std::string damage;  // "" for a cut: it names the file, whatever the line
  };
  std::vector<Row> rows;
  for (std::size_t n = 1; n < lines.size(); ++n) {
    std::string cut;
    for (std::size_t i = 0; i < n; ++i) cut += lines[i];
    rows.push_back({cut, ""});
    rows.push_back({cut + lines[n].substr(0, lines[n].size() / 2), ""});
  }
  std::string missing = whole;
  missing.erase(missing.find(ttl), ttl.size());
  rows.push_back({missing, path + " is not complete: it does not hold HKLM\\System\\"
                                  "CurrentControlSet\\Services\\Tcpip\\Parameters\\DefaultTTL as "
                                  "it was before Optimize"});
  rows.push_back(
      {"REGEDIT4\r\n\r\n", path + " is not complete: it ends before the end of the record"});
  std::string tooLong = whole;
  std::string bytes = "00";
  for (int i = 1; i < 65537; ++i) bytes += ",00";
  tooLong.replace(tooLong.find(ttl), ttl.size(), "\"DefaultTTL\"=hex:" + bytes + "\r\n");
  rows.push_back({tooLong, "value longer than 64 KiB"});
  std::string unfinished = whole.substr(0, whole.find(";#after"));
  rows.push_back({unfinished + ";#end\r\n",
                  path + " is not complete: Optimize did not finish, so what it left was not "
                         "recorded"});

  const State optimized = Now(rig);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.size());
    rig.platform.files[path] = row.text;
    rig.platform.messages.clear();
    rig.platform.answers = {MsgAnswer::No};
    rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    const std::string& asked = rig.platform.messages[0].text;
    EXPECT_EQ(asked.rfind("The newest change cannot be undone:\n", 0), 0u) << asked;
    EXPECT_NE(asked.find(row.damage.empty() ? path : row.damage), std::string::npos) << asked;
    EXPECT_EQ(Now(rig), optimized);
    EXPECT_EQ(rig.platform.files.at(path), row.text);
  }
  // Set aside, it is kept under another name, and the change before it is
  // offered.
  rig.platform.answers = {MsgAnswer::Yes, MsgAnswer::No};
  rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
  EXPECT_EQ(rig.platform.files.count(path), 0u);
  EXPECT_EQ(rig.platform.files.at(path + ".damaged"), rows.back().text);
  EXPECT_EQ(LastText(rig).rfind("Undo Optimize of 2026-12-07 14:03:12?\n", 0), 0u) << LastText(rig);
  EXPECT_EQ(Now(rig), optimized);

  // A value the record lists beside the map is required as the map's are.
  for (const std::string& name : History(rig.platform))
    rig.platform.files.erase(kHistory + "\\" + name);
  RegValueRecord adapter;
  adapter.keyPath = std::string(kTcpipInterfacesKey) + "\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
  adapter.name = kMTU;
  rig.registry.SetDword(kHKLM, adapter.keyPath, kMTU, 1400);
  Journal journal(rig.registry, rig.profiles, rig.platform);
  ASSERT_EQ(journal.Record(kOptimizeCommand, {adapter}), "");
  ASSERT_EQ(journal.Finish(), "");
  const std::string listed = kHistory + "\\2026-12-07 14.03.13 #0001 Optimize.reg";
  std::string text = rig.platform.files.at(listed);
  ASSERT_NE(text.find(";#extra [HKEY_LOCAL_MACHINE\\" + adapter.keyPath + "] \"MTU\"\r\n"),
            std::string::npos);
  text.erase(text.rfind(";>\"MTU\"=dword:00000578\r\n"), 24);
  rig.platform.files[listed] = text;
  EXPECT_EQ(journal.PlanUndo().damage, listed + " is not complete: it does not hold HKLM\\" +
                                           adapter.keyPath + "\\MTU as it was after Optimize");

  // A record of the older version is named as such.
  for (const std::string& name : History(rig.platform))
    rig.platform.files.erase(kHistory + "\\" + name);
  const std::string old = kHistory + "\\2026-12-07 14.03.12.01 Optimize.reg";
  rig.platform.files[old] = "REGEDIT4\r\n\r\n";
  rig.platform.answers = {MsgAnswer::No};
  rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
  EXPECT_EQ(LastText(rig), "The newest change cannot be undone:\n" + old +
                               " was written by an older version of Internet Zelvora, which did "
                               "not record what the change left.\n\nSet its record aside (it is "
                               "kept as \"2026-12-07 14.03.12.01 Optimize.reg.damaged\") and "
                               "undo the change before it?");
}

// Only what the command changed and what is still as it left it goes back:
// a value changed since, a port it never touched and another account's
// HKEY_CURRENT_USER values are kept, and the question names them.
TEST(Journal, UndoPutsBackOnlyWhatIsStillAsTheCommandLeftIt) {
  Rig rig;
  SeedLived(rig);
  rig.platform.userName = "SYSTEM";
  Optimize(rig, &Panel::cableDsl);
  const auto limit = rig.registry.Get(kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPerServer);
  rig.platform.userName = "alice";
  rig.registry.SetDword(kHKLM, kTcpipParametersKey, kDefaultTTL, 100);  // another program's
  rig.SetPort("COM1:", "300,n,8,1");
  const State changed = Now(rig);
  rig.platform.messages.clear();
  rig.platform.answers = {MsgAnswer::No};
  rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
  EXPECT_EQ(Now(rig), changed);
  EXPECT_EQ(LastText(rig),
            "Undo Optimize of 2026-12-07 14:03:12?\n23 values will be put back.\n2 values were "
            "changed since and are kept: DefaultTTL (Tcpip\\Parameters), COM1: .\n2 values "
            "belong to the account SYSTEM and are kept: MaxConnectionsPerServer (CurrentVersion"
            "\\Internet Settings), MaxConnectionsPer1_0Server (CurrentVersion\\Internet "
            "Settings).");
  Undo(rig);
  EXPECT_EQ(rig.registry.Get(kHKLM, kTcpipParametersKey, kDefaultTTL)->data, DwordBytes(100));
  EXPECT_EQ(rig.registry.Get(kHKLM, kTcpipParametersKey, kSackOpts), std::nullopt);  // put back
  EXPECT_EQ(rig.Port("COM1:"), "300,n,8,1");
  EXPECT_EQ(rig.Port("COM2:"), "(none)");  // put back: absent before
  EXPECT_EQ(rig.registry.Get(kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPerServer), limit);
  EXPECT_EQ(History(rig.platform), std::vector<std::string>{});

  // Without the ports box Optimize leaves the ports alone, and Undo too.
  rig.w.SetChecked(rig.w.comPorts, false);
  rig.platform.answers = {MsgAnswer::No};
  rig.w.Dispatch([&] { rig.w.OnOptimize(); });
  rig.SetPort("COM4:", "2400,n,8,1");
  Undo(rig);
  EXPECT_EQ(rig.Port("COM4:"), "2400,n,8,1");
  EXPECT_EQ(rig.platform.messages.end()[-2].text.find("kept"), std::string::npos);
}

// A value that cannot go back is reported, and the record stays for another
// try.
TEST(Journal, AFailedUndoReportsEveryFailureAndKeepsTheRecord) {
  Rig rig;
  SeedLived(rig);
  Optimize(rig, &Panel::cableDsl);
  rig.registry.SetKeyRights(kHKLM, kTcpipParametersKey, kKeyRead);
  std::filesystem::permissions(rig.dir.Path() + "/Win.ini", std::filesystem::perms::owner_read);
  Undo(rig);
  // Every value of the read-only key, and Win.ini.
  const std::string key = std::string("'HKLM\\") + kTcpipParametersKey + "\\";
  std::string expected = "Failed to set data for " + key + "DefaultTTL'";
  for (const char* name :
       {kEnablePMTUDiscovery, kEnablePMTUBHDetect, kTcp1323Opts, kSackOpts, kTcpWindowSize,
        kGlobalMaxTcpWindowSize, kTcpUseRFC1122UrgentPointer, kTcpMaxDupAcks}) {
    expected += "\nFailed to remove " + key + name + "'";
  }
  EXPECT_EQ(LastText(rig), expected + "\nUnable to write to " + Rig::WinIni() + ".");
  EXPECT_EQ(History(rig.platform).size(), 1u);
}

// The record of a command, finished: its path in History.
std::string Recorded(Rig& rig, const std::string& command = kOptimizeCommand,
                     const std::vector<RegValueRecord>& extra = {}) {
  Journal journal(rig.registry, rig.profiles, rig.platform);
  EXPECT_EQ(journal.Record(command, extra), "");
  EXPECT_EQ(journal.Finish(), "");
  return kHistory + "\\" + History(rig.platform).back();
}

std::string InsertAfter(std::string text, const std::string& line, const std::string& added) {
  const std::size_t at = text.find(line);
  EXPECT_NE(at, std::string::npos) << line;
  return text.insert(at + line.size(), added);
}

const std::string kGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

// A record is read only as the writer could have written it: a value beside
// the map only where the adapter step writes, a new key only where its rows
// are. Anything else is named and nothing is written; a record far larger
// than the writer makes is refused at once.
TEST(Journal, APlantedRecordIsReadOnlyAsTheWriterCouldHaveWrittenIt) {
  const std::string run = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string adapterKey = std::string(kTcpipInterfacesKey) + "\\" + kGuid;
  const std::string account = ";#account \"alice\"\r\n";
  const std::string afterPorts = ";#after \"COM5:\"=-\r\n";
  std::string many;
  for (int i = 0; i < 7000; ++i) {  // near 1 MiB
    many += ";#extra [HKEY_LOCAL_MACHINE\\" + adapterKey + "] \"MTU\"\r\n";
  }
  struct Row {
    std::string name;
    std::function<std::string(const std::string&)> plant;
    std::string damage;  // "": read, and the adapter's MTU goes back
  };
  const Row rows[] = {
      {"Run-key extra",
       [&](const std::string& t) {
         return InsertAfter(t, account, ";#extra [" + run + "] \"evil\"\r\n");
       },
       "Line 8 of %s is not valid: a value that the journal never records"},
      {"unrelated new key",
       [&](const std::string& t) {
         return InsertAfter(t, afterPorts, ";#new-key [HKEY_LOCAL_MACHINE\\SOFTWARE\\Victim]\r\n");
       },
       "is not valid: a key that none of the record's values lies in"},
      {"rows past what the map and the adapters hold",
       [&](const std::string& t) { return InsertAfter(t, account, many); },
       "is not valid: more values than the journal records"},
      {"existing adapter's extra",
       [&](const std::string& t) {
         std::string planted = InsertAfter(
             t, account, ";#extra [HKEY_LOCAL_MACHINE\\" + adapterKey + "] \"MTU\"\r\n");
         planted = InsertAfter(planted, ";#before \"COM5:\"=-\r\n",
                               "[HKEY_LOCAL_MACHINE\\" + adapterKey + "]\r\n\"MTU\"=-\r\n\r\n");
         planted.insert(planted.rfind(";#end"), ";>[HKEY_LOCAL_MACHINE\\" + adapterKey +
                                                    "]\r\n;>\"MTU\"=dword:000005dc\r\n;>\r\n");
         return planted;
       },
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig;
    rig.w.Click(rig.w.cableDsl);
    rig.w.Dispatch([&] { rig.w.OnOptimize(); });  // no adapter yet, the ports left alone
    const std::string path = kHistory + "\\" + History(rig.platform).back();
    rig.platform.files[path] = row.plant(rig.platform.files.at(path));
    rig.registry.SetDword(kHKLM, adapterKey, kMTU, 1500);
    rig.registry.SetRaw(kHKLM, run.substr(19), "evil", kRegSz, {'x', 0});
    const State planted = Now(rig);
    Journal journal(rig.registry, rig.profiles, rig.platform);
    const auto started = std::chrono::steady_clock::now();
    const UndoPlan plan = journal.PlanUndo();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    if (!row.damage.empty()) {
      const std::size_t mark = row.damage.find("%s");
      EXPECT_NE(plan.damage.find(mark == std::string::npos ? row.damage
                                                           : row.damage.substr(0, mark) + path +
                                                                 row.damage.substr(mark + 2)),
                std::string::npos)
          << plan.damage;
      EXPECT_EQ(journal.Undo(plan).written, 0u);
      EXPECT_EQ(Now(rig), planted);
      continue;
    }
    EXPECT_EQ(plan.damage, "");
    EXPECT_EQ(plan.outsideKeys, std::vector<std::string>{"HKLM\\" + adapterKey});
    EXPECT_NE(UndoQuestion(plan).find("Keys beyond the parameter map that are changed: HKLM\\" +
                                      adapterKey + "."),
              std::string::npos);
    // Once the adapter has a connection name, the question names it so.
    const std::string guid = adapterKey.substr(adapterKey.rfind('\\') + 1);
    const std::string connection = std::string(kNetworkConnectionsKey) + "\\" + guid + "\\" +
                                   kConnectionSubkey;
    rig.registry.SetRaw(kHKLM, connection, kConnectionName, kRegSz, {'L', 'A', 'N', ' ', '2', 0});
    EXPECT_NE(UndoQuestion(journal.PlanUndo())
                  .find("Keys beyond the parameter map that are changed: the adapter LAN 2."),
              std::string::npos);
    EXPECT_EQ(journal.Undo(plan).failures, std::vector<std::string>{});
    EXPECT_EQ(rig.registry.Get(kHKLM, adapterKey, kMTU), std::nullopt);
    EXPECT_TRUE(rig.registry.Get(kHKLM, run.substr(19), "evil"));
  }
}

// What the reader would stop at is refused when recording, naming it: an
// NT 4.0 service named with "]" or a control character.
TEST(Journal, AKeyTheReaderCouldNotReadIsRefusedWhenRecording) {
  for (const std::string service : {std::string("a]b"), std::string("a\x01") + "b"}) {
    Rig rig;
    rig.platform.version = WinNT4();
    RegValueRecord mtu;
    mtu.keyPath = std::string(kServicesKey) + "\\" + service + "\\" + kServiceTcpipSubkey;
    mtu.name = kMTU;
    Journal journal(rig.registry, rig.profiles, rig.platform);
    EXPECT_EQ(journal.Record(kOptimizeCommand, {mtu}),
              "The key HKLM\\" + mtu.keyPath +
                  " cannot be recorded: its name holds \"]\" or a control character, which Undo "
                  "could not read back");
    EXPECT_EQ(History(rig.platform), std::vector<std::string>{});
  }
}

// Undo reads every value again right before it writes: one changed while
// the question was open is kept and named, and only what was written counts.
TEST(Journal, AValueChangedWhileTheQuestionIsOpenIsKept) {
  Rig rig;
  SeedLived(rig);
  Optimize(rig, &Panel::cableDsl);
  Journal journal(rig.registry, rig.profiles, rig.platform);
  const UndoPlan plan = journal.PlanUndo();
  ASSERT_EQ(plan.damage + plan.failure, "");
  rig.registry.SetDword(kHKLM, kTcpipParametersKey, kDefaultTTL, 99);
  rig.SetPort("COM2:", "110,n,8,1");
  const UndoResult undone = journal.Undo(plan);
  EXPECT_EQ(undone.failures, std::vector<std::string>{});
  EXPECT_EQ(undone.written, plan.values.size() + plan.portsBack.size() - 2);
  EXPECT_EQ(rig.registry.Get(kHKLM, kTcpipParametersKey, kDefaultTTL)->data, DwordBytes(99));
  EXPECT_EQ(rig.Port("COM2:"), "110,n,8,1");
  EXPECT_EQ(UndoneText(undone),
            "The change made by Optimize on 2026-12-07 14:03:12 has been undone. Windows must "
            "be restarted before the restored settings take effect.\n2 values were changed while "
            "the question was open and are kept: DefaultTTL (Tcpip\\Parameters), COM2: .");
}

// The number goes on past nine digits, and a name another copy takes between
// the listing and the write is passed over, never written over.
TEST(Journal, TheNumberHasNoLimitAndATakenNameIsPassedOver) {
  struct Racing : FakePlatform {
    std::string taken;
    bool ListFiles(const std::string& folder, std::vector<std::string>* names) override {
      const bool listed = FakePlatform::ListFiles(folder, names);
      if (!taken.empty()) files[taken] = "another copy's record";
      return listed;
    }
  };
  Rig rig;
  SeedLived(rig);
  const std::string last = Recorded(rig);
  rig.platform.files[kHistory + "\\2026-12-07 14.03.12 #999999999 Optimize.reg"] =
      rig.platform.files.at(last);
  rig.platform.files.erase(last);
  Racing racing;
  racing.files = rig.platform.files;
  racing.directories = rig.platform.directories;
  racing.taken = kHistory + "\\2026-12-07 14.03.12 #1000000000 Optimize.reg";
  Journal journal(rig.registry, rig.profiles, racing);
  ASSERT_EQ(journal.Record(kOptimizeCommand), "");
  ASSERT_EQ(journal.Finish(), "");
  EXPECT_EQ(racing.files.at(racing.taken), "another copy's record");
  const std::string mine = kHistory + "\\2026-12-07 14.03.12 #1000000001 Optimize.reg";
  ASSERT_TRUE(racing.files.count(mine));
  racing.files.erase(racing.taken);
  EXPECT_EQ(journal.PlanUndo().record, mine);
}

// A record the 9x replace left cut is finished as that replace's mend
// finishes a file, so that Undo never passes over it to the one before; a
// record that cannot be used is set aside by rename, and where the same file
// is aside already, it goes.
TEST(Journal, CutRecordsAreFinishedAndSetAsideByRename) {
  Rig rig;
  SeedLived(rig);
  const std::string first = Recorded(rig);
  rig.platform.now.second = 13;
  const std::string second = Recorded(rig);
  const std::string whole = rig.platform.files.at(second);
  // Cut between the two renames: only the finished copy and the old one.
  rig.platform.files.erase(second);
  rig.platform.files[second + ".new.tmp"] = whole;
  rig.platform.files[second + ".old.tmp"] = "older";
  Journal journal(rig.registry, rig.profiles, rig.platform);
  EXPECT_EQ(journal.PlanUndo().record, second);
  EXPECT_EQ(rig.platform.files.at(second), whole);
  EXPECT_EQ(rig.platform.files.count(second + ".old.tmp"), 0u);
  // Cut later: the target is there and newer than the leftover.
  rig.platform.files[second + ".new.tmp"] = "older";
  EXPECT_EQ(journal.PlanUndo().record, second);
  EXPECT_EQ(rig.platform.files.at(second), whole);
  EXPECT_EQ(rig.platform.files.count(second + ".new.tmp"), 0u);

  rig.platform.files[second] = "REGEDIT4\r\n";
  rig.platform.files[second + ".damaged"] = "REGEDIT4\r\n";
  rig.platform.journalCalls.clear();
  UndoPlan plan = journal.PlanUndo();
  ASSERT_NE(plan.damage, "");
  EXPECT_EQ(journal.SetAside(plan), "");
  EXPECT_EQ(rig.platform.files.count(second), 0u);
  rig.platform.files[first + ".damaged"] = "not the same";
  plan = journal.PlanUndo();
  rig.platform.files[first] = "REGEDIT4\r\n";
  plan = journal.PlanUndo();
  EXPECT_EQ(journal.SetAside(plan), "Unable to set aside " + first);
  rig.platform.files.erase(first + ".damaged");
  EXPECT_EQ(journal.SetAside(plan), "");
  EXPECT_EQ(rig.platform.files.at(first + ".damaged"), "REGEDIT4\r\n");
  for (const std::string& call : rig.platform.journalCalls)
    EXPECT_EQ(call.find("Copy"), std::string::npos) << call;
}

// Undo of Restore previous settings puts back an adapter's MTU that the
// saved file restored though the lookup lists no such adapter (an NT 4.0
// service without its card).
TEST(Journal, UndoOfRestorePreviousPutsBackAnMtuTheLookupDoesNotList) {
  Rig rig;
  rig.platform.version = WinNT4();
  const std::string key = std::string(kServicesKey) + "\\Orphan\\" + kServiceTcpipSubkey;
  rig.registry.SetDword(kHKLM, key, kMTU, 1500);
  rig.w.Dispatch([&] { rig.w.OnBackup(); });
  // Saved while the card was there, or on another machine.
  rig.platform.files[kBackup + "\\Registry.reg"] +=
      "[HKEY_LOCAL_MACHINE\\" + key + "]\r\n\"MTU\"=dword:00000578\r\n\r\n";
  ASSERT_TRUE(FindAdapters(rig.registry, kWinNT4, false).empty());

  rig.w.Dispatch([&] { rig.w.OnRestorePrevious(); });
  ASSERT_EQ(rig.registry.Get(kHKLM, key, kMTU)->data, DwordBytes(1400));
  Undo(rig);
  EXPECT_EQ(rig.registry.Get(kHKLM, key, kMTU)->data, DwordBytes(1500));
  EXPECT_EQ(History(rig.platform), std::vector<std::string>{});
}

// Restore Windows Defaults asks about the restart only once its record is
// whole: a restart right away must not leave it cut.
TEST(Journal, TheDefaultsRestartIsOfferedAfterTheRecordIsWhole) {
  Rig rig;
  SeedLived(rig);
  std::vector<std::size_t> messagesAtWrite;
  rig.platform.afterWrite = [&](const std::string& path) {
    if (path.rfind(kHistory, 0) == 0) messagesAtWrite.push_back(rig.platform.messages.size());
  };
  rig.platform.answers = {MsgAnswer::No};
  rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
  EXPECT_EQ(messagesAtWrite, (std::vector<std::size_t>{0, 0}));
  ASSERT_EQ(rig.platform.messages.size(), 1u);
  EXPECT_EQ(rig.platform.messages[0].buttons, MsgButtons::YesNo);
}

// The modern TCP settings through a stand-in for netsh: recorded beside the
// registry, put back three-way in one write, and named where they cannot be.
// netsh as a map: what it holds it reports, what it is given it takes.
struct Netsh : TcpSettingsAccess {
  std::map<std::string, std::string> state;
  std::vector<std::vector<TcpValue>> writes;
  bool Read(const std::vector<std::string>& names, std::vector<TcpValue>* values,
            std::string*) override {
    values->clear();
    for (const std::string& n : names) {
      if (state.count(n)) values->push_back({n, state[n]});
    }
    return true;
  }
  bool Write(const std::vector<TcpValue>& values, std::string*) override {
    writes.push_back(values);
    for (const TcpValue& v : values) state[v.name] = v.value;
    return true;
  }
};

TEST(Journal, TheModernTcpSettingsAreUndoneThreeWay) {
  Rig rig;
  rig.platform.version = {kVerPlatformWin32NT, 10, 0, "", 19045};
  SeedLived(rig);
  Netsh netsh;
  netsh.state = {{"autotuninglevel", "normal"}, {"ecncapability", "disabled"},
                 {"timestamps", "disabled"}, {"mtu@Local Area Connection", "1500"},
                 {"mtu@Wi-Fi", "1500"}};
  const auto before = netsh.state;
  {
    JournalRun run(rig.registry, rig.profiles, rig.platform, "Modern TCP Settings",
                   WithoutRecord::Refuse);
    run.AddTcpValues(netsh, {{"autotuninglevel", "normal"},
                             {"ecncapability", "disabled"},
                             {"timestamps", "disabled"},
                             {"mtu@Local Area Connection", "1500"},
                             {"mtu@Wi-Fi", "1500"}});
    run.Before()();
    netsh.state.erase("mtu@Wi-Fi");  // its interface removed meanwhile, and still gone
    netsh.Write({{"autotuninglevel", "experimental"},
                 {"ecncapability", "enabled"},
                 {"mtu@Local Area Connection", "1400"}},
                nullptr);
    run.Finish();
  }
  const std::string record = kHistory + "\\" + History(rig.platform).back();
  const std::string text = rig.platform.files.at(record);
  EXPECT_NE(text.find(";#tcp-after \"autotuninglevel\"=\"experimental\""),
            std::string::npos);
  netsh.state["ecncapability"] = "default";  // something else changed it since

  EXPECT_NE(text.find(";#windows 10.0.19045\r\n;#tcp \"autotuninglevel\"=\"normal\""),
            std::string::npos);

  // Without netsh (before Vista) nothing of them is read, and they are named.
  Journal blind(rig.registry, rig.profiles, rig.platform);
  const UndoPlan blindPlan = blind.PlanUndo();
  EXPECT_EQ(blindPlan.failure, "");
  EXPECT_EQ(blindPlan.notHere, (std::vector<std::string>{"autotuninglevel (netsh)",
                                                         "ecncapability (netsh)",
                                                         "mtu (Local Area Connection)",
                                                         "mtu (Wi-Fi)"}));

  Journal journal(rig.registry, rig.profiles, rig.platform, &netsh);
  const UndoPlan plan = journal.PlanUndo();
  EXPECT_EQ(UndoQuestion(plan),
            "Undo Modern TCP Settings of 2026-12-07 14:03:12?\n2 values will be put back.\n1 value "
            "was changed since and is kept: ecncapability (netsh).");
  netsh.writes.clear();
  const UndoResult undone = journal.Undo(plan);
  EXPECT_EQ(undone.failures, std::vector<std::string>{});
  EXPECT_EQ(netsh.writes, (std::vector<std::vector<TcpValue>>{
                              {{"autotuninglevel", "normal"}, {"mtu@Local Area Connection", "1500"}}}));
  EXPECT_EQ(netsh.state["ecncapability"], "default");
  // The MTU netsh put back works at once, and is named so.
  EXPECT_EQ(UndoneText(undone),
            "The change made by Modern TCP Settings on 2026-12-07 14:03:12 has been undone.\n\n"
            "Interface MTU 1500 on Local Area Connection: in force now, no restart needed.");

  // A planted name that is none of netsh's is damage.
  rig.platform.files[record] =
      InsertAfter(text, ";#account \"alice\"\r\n",
                  ";#tcp \"../../evil\"=\"1\"\r\n");
  EXPECT_NE(journal.PlanUndo().damage.find("not a modern TCP setting"), std::string::npos);
}

// A TCP record read back exactly: a setting gone after the command and
// gone now is left, every value is one the record's Windows takes, and a
// record Undo cannot remove does not stand in front of the one before.
TEST(Journal, ModernTcpRecordsAreCheckedAndUndoneExactly) {
  const VersionInfo win10{kVerPlatformWin32NT, 10, 0, "", 19045};
  // Made on Windows 10: rss disabled, Wi-Fi's MTU gone with its adapter, and
  // a registry value removed, each left or changed again before Undo.
  const auto made = [&](Rig& rig, Netsh& netsh, const char* from = "enabled",
                        const char* to = "disabled") {
    rig.platform.version = win10;
    SeedLived(rig);
    netsh.state = {{"rss", from}, {"mtu@Wi-Fi", "1500"}};
    JournalRun run(rig.registry, rig.profiles, rig.platform, "Modern TCP Settings",
                   WithoutRecord::Refuse);
    run.AddTcpValues(netsh, {{"rss", from}, {"mtu@Wi-Fi", "1500"}});
    run.Before()();
    netsh.state["rss"] = to;
    netsh.state.erase("mtu@Wi-Fi");
    HKey key = 0;
    rig.registry.OpenKey(kHKLM, kTcpipParametersKey, kKeySetValue, &key);
    rig.registry.DeleteValue(key, kDefaultTTL);
    rig.registry.CloseKey(key);
    run.Finish();
    return kHistory + "\\" + History(rig.platform).back();
  };
  const struct {
    const char* wifiNow;  // "": still gone
    const char* question;
  } rows[] = {
      {"", "Undo Modern TCP Settings of 2026-12-07 14:03:12?\n2 values will be put back."},
      {"1400",
       "Undo Modern TCP Settings of 2026-12-07 14:03:12?\n2 values will be put back.\n1 value was "
       "changed since and is kept: mtu (Wi-Fi)."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.wifiNow);
    Rig rig;
    Netsh netsh;
    const std::string record = made(rig, netsh);
    EXPECT_NE(rig.platform.files[record].find(";#tcp-after \"mtu@Wi-Fi\"=-"), std::string::npos);
    if (*row.wifiNow) netsh.state["mtu@Wi-Fi"] = row.wifiNow;
    Journal journal(rig.registry, rig.profiles, rig.platform, &netsh);
    const UndoPlan plan = journal.PlanUndo();
    EXPECT_EQ(UndoQuestion(plan), row.question);
    EXPECT_EQ(journal.Undo(plan).failures, std::vector<std::string>{});
    EXPECT_EQ(netsh.state["rss"], "enabled");
    EXPECT_EQ(rig.registry.Dump(), [&] {
      Rig fresh;
      SeedLived(fresh);
      return fresh.registry.Dump();
    }());
  }

  // Planted values: each one the record's Windows does not take is damage,
  // and nothing is read or run.
  const struct {
    const char* planted;
    const char* damage;
  } planted[] = {
      {";#tcp \"rss\"=\"normal rss=disabled chimney=enabled\"", "a value that Windows does not take"},
      {";#tcp \"mtu@Wi-Fi\"=\"01500\"", "a value that Windows does not take"},
      {";#tcp \"mtu@Wi-Fi \"=\"1500\"", "not a modern TCP setting"},
      {";#windows 6.1.7601\r\n;#tcp \"rsc\"=\"enabled\"", "a value that Windows does not take"},
      {";#windows 5.1.2600", "not a Windows with modern TCP settings"},
  };
  for (const auto& row : planted) {
    SCOPED_TRACE(row.planted);
    Rig rig;
    Netsh netsh;
    const std::string record = made(rig, netsh);
    std::string& text = rig.platform.files[record];
    const std::size_t windows = text.find(";#windows ");
    text.erase(windows, text.find("\r\n", windows) + 2 - windows);
    text = InsertAfter(text, ";#account \"alice\"\r\n", std::string(row.planted) + "\r\n");
    Journal journal(rig.registry, rig.profiles, rig.platform, &netsh);
    EXPECT_NE(journal.PlanUndo().damage.find(row.damage), std::string::npos);
    EXPECT_EQ(netsh.state["rss"], "disabled");
  }

  // A record that cannot be deleted is set aside; one that cannot be renamed
  // either is named once, and the next Undo reaches the change before it.
  for (bool renames : {true, false}) {
    SCOPED_TRACE(renames ? "undeletable" : "read-only");
    Rig rig;
    Netsh netsh;
    made(rig, netsh);
    const std::string record = made(rig, netsh, "disabled", "enabled");
    (renames ? rig.platform.undeletable : rig.platform.readOnly).insert(record);
    Journal journal(rig.registry, rig.profiles, rig.platform, &netsh);
    const UndoResult first = journal.Undo(journal.PlanUndo());
    EXPECT_EQ(first.failures, renames ? std::vector<std::string>{}
                                      : std::vector<std::string>{"Unable to delete " + record});
    EXPECT_EQ(rig.platform.files.count(record + kSetAsideSuffix), renames ? 1u : 0u);
    const UndoPlan next = journal.PlanUndo();
    EXPECT_NE(next.record, record);
    EXPECT_EQ(next.tcpBack, (std::vector<TcpValue>{{"rss", "enabled"}}));
  }
}

}  // namespace
}  // namespace iz::test
