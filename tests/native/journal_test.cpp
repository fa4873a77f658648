// The journal and Undo Last Change: each writing command is undone exactly
// (types, bytes, absences, the Win.ini ports), Undo steps back one record at
// a time, the journal keeps twenty records in the order they were made, and a
// record that cannot be made is asked about before anything is written.
#include "restore/journal.h"

#include <algorithm>
#include <filesystem>
#include <functional>
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

void Undo(Rig& rig) {
  rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
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
    SeedLived(rig);
    const State before = Now(rig);
    row.run(rig);
    ASSERT_NE(Now(rig), before) << "the command changed nothing";
    ASSERT_EQ(History(rig.platform).size(), 2u);

    Undo(rig);
    EXPECT_EQ(Now(rig), before);
    EXPECT_TRUE(Said(rig, "The change made by " + std::string(row.command) +
                              " on 2026-12-07 at 14:03:12 has been undone. Windows must be "
                              "restarted before the restored settings take effect."));
    EXPECT_EQ(History(rig.platform), std::vector<std::string>{});
    EXPECT_EQ(rig.registry.OpenHandles(), 0);
  }
}

// Three changes in one second, then the clock set back: the names still sort
// in the order made, and each Undo steps back one change and re-reads the panel.
TEST(Journal, UndoStepsBackThroughEachChange) {
  Rig rig;
  rig.platform.version = Win98();
  SeedLived(rig);
  std::vector<State> states{Now(rig)};
  for (auto type : {&Panel::modem, &Panel::isdn, &Panel::extreme}) {
    Optimize(rig, type);
    states.push_back(Now(rig));
    rig.platform.now.hour = 9;  // set back: the next name must still come last
  }
  EXPECT_EQ(History(rig.platform),
            (std::vector<std::string>{
                "2026-12-07 14.03.12 Optimize.ini", "2026-12-07 14.03.12 Optimize.reg",
                "2026-12-07 14.03.12.01 Optimize.ini", "2026-12-07 14.03.12.01 Optimize.reg",
                "2026-12-07 14.03.12.02 Optimize.ini", "2026-12-07 14.03.12.02 Optimize.reg"}));
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
  for (int i = 2; i >= 0; --i) {
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
  rig.platform.files[kHistory + "\\2026-12-07 13.00.00 Optimize.ini"] = "left by a cut-off run";
  for (int minute = 10; minute < 31; ++minute) {
    rig.platform.now.minute = minute;
    ASSERT_EQ(journal.Record(kOptimizeCommand), "");
  }
  std::vector<std::string> names = History(rig.platform);
  EXPECT_EQ(names.size(), 41u);  // 20 records of two files, and the user's file
  EXPECT_EQ(names.front(), "2026-12-07 14.11.12 Optimize.ini");
  EXPECT_EQ(names[names.size() - 2], "2026-12-07 14.30.12 Optimize.reg");
  EXPECT_EQ(names.back(), "notes.txt");
}

// Nothing of the command is written when the user declines; with Yes it runs
// as it would with a record.
TEST(Journal, ARecordThatCannotBeMadeIsAskedAbout) {
  const std::string base = kHistory + "\\2026-12-07 14.03.12 Optimize";
  struct Row {
    const char* reason;
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
      {"Unable to write to ", [&](Rig& rig) { rig.platform.failCopyTo = {base + ".reg"}; },
       MsgAnswer::No},
      {"Unable to write to ", [&](Rig& rig) { rig.platform.failCopyTo = {base + ".ini"}; },
       MsgAnswer::Yes},
      // The first value cannot be read.
      {"Failed to get data for "
       "'HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\DefaultTTL'",
       [](Rig& rig) { rig.registry.FailCall(2); }, MsgAnswer::No},
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
    const State before = Now(rig);
    row.breakIt(rig);
    rig.platform.answers = {row.answer, MsgAnswer::No};
    rig.w.Dispatch([&] { rig.w.OnOptimize(); });

    ASSERT_GE(rig.platform.messages.size(), 1u);
    const FakePlatform::Message& asked = rig.platform.messages[0];
    EXPECT_EQ(asked.caption, "Confirm");
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

// A record that is not fully understood, or a value that cannot go back,
// is reported, and the record stays for another try.
TEST(Journal, AFailedUndoReportsEveryFailureAndKeepsTheRecord) {
  Rig rig;
  SeedLived(rig);
  Optimize(rig, &Panel::cableDsl);
  const std::string reg = kHistory + "\\2026-12-07 14.03.12 Optimize.reg";
  const std::string saved = rig.platform.files[reg];

  rig.platform.files[reg] += "[HKEY_LOCAL_MACHINE\\Software\\Else]\r\n\"x\"=-\r\n";
  const State optimized = Now(rig);
  Undo(rig);
  EXPECT_EQ(Now(rig), optimized);
  EXPECT_EQ(LastText(rig),
            "Line " + std::to_string(std::count(saved.begin(), saved.end(), '\n') + 2) + " of " +
                reg + " (\"x\"=-) is not valid: not a setting that the backup saves.");

  rig.platform.files[reg] = saved;
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
  EXPECT_EQ(History(rig.platform).size(), 2u);
}

}  // namespace
}  // namespace iz::test
