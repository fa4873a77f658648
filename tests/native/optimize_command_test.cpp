// The Optimize command as the user meets it: the precondition, the prompt,
// and the restart each kind of Windows gets, seen as the platform calls made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "model/os_kind.h"
#include "model/restart.h"
#include "native/optimize_fixture.h"
#include "preview/dry_run.h"
#include "store/parameter_map.h"

namespace iz::optimize_test {
namespace {

using Calls = std::vector<std::string>;

std::string Prompt(const std::string& name) {
  return "MessageBox Confirm: Your " + name +
         " connection has been Optimized. Before using the new settings you must restart your "
         "computer. Do you wish to reboot now? ";
}

// A planned restart for a change of configuration, as the event log records it.
const std::string kReason = " 2147614724";

// The privileged exit as the NT family makes it, with the flags given.
Calls NTExit(const std::string& flags) {
  return {"OpenProcessToken 40", "LookupPrivilegeValue SeShutdownPrivilege",
          "AdjustTokenPrivileges 2", "CloseToken", "ExitWindowsEx " + flags + kReason};
}

Calls Concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(OptimizeCommand, WithoutAConnectionTypeOnlyInforms) {
  Rig rig(WinXP());
  rig.w.Dispatch([&] { rig.w.OnOptimize(); });
  EXPECT_EQ(rig.platform.calls,
            Calls{"MessageBox Information: You must choose a connection type first."});
  ASSERT_EQ(rig.platform.messages.size(), 1u);
  EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(rig.platform.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(rig.recorder.writes, Calls{});
  EXPECT_EQ(rig.WinIni(), "");
}

// The prompt names the type by its own spelling, not by the box's caption.
// Answering No ends the command with everything written in place.
TEST(OptimizeCommand, PromptNamesTheTypeAndNoKeepsTheWrites) {
  struct Row {
    CheckBoxCtl Panel::*box;
    const char* name;
  };
  const Row rows[] = {
      {&Panel::modem, "Modem (Dial-Up)"}, {&Panel::isdn, "ISDN"},
      {&Panel::cableDsl, "CABLE / DSL"},  {&Panel::pppoe, "DSL (PPPoE)"},
      {&Panel::extreme, "extreme"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig(WinXP());
    rig.Click(rig.w.*row.box);
    rig.platform.answers = {MsgAnswer::No};
    rig.w.Dispatch([&] { rig.w.OnOptimize(); });
    EXPECT_EQ(rig.platform.calls, Calls{Prompt(row.name)});
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(rig.platform.messages[0].buttons, MsgButtons::YesNo);
    // The NT applier ran to its end: 18 DWORDs with both ranges, or 14
    // without, plus the cache size and three bytes.
    EXPECT_EQ(rig.recorder.writes.size(), rig.w.maxConnect.checked ? 22u : 18u);
    EXPECT_EQ(rig.WinIni(), rig.w.comPorts.checked ? kOptimizedPortsIni : "");
  }
}

// Yes restarts by the means of the kind asked afresh. The NT family asks for
// a reboot that lets programs save their work (NT 4.0 has no "force if
// hung"), and launches SHUTDOWN only when Windows refuses.
TEST(OptimizeCommand, YesRestartsByTheMeansOfTheKind) {
  const Calls rundll = {
      "ShellOpen main open \"C:\\windows\\rundll.exe\" \"user.exe,exitwindowsexec\""};
  const Calls rundll32 = {
      "ShellOpen main open \"C:\\WINDOWS\\RUNDLL32.EXE\" \"shell32,SHExitWindowsEx 2\""};
  const Calls shutdown = {
      "ShellOpen main open \"C:\\WINDOWS\\system32\\shutdown.exe\" \"-r -t 01\""};
  struct Row {
    const char* what;
    VersionInfo version;
    bool exitOk;
    Calls restart;
  };
  const Row rows[] = {
      {"unknown", Unknown9x(), true, {}},
      {"95", Win95(), true, rundll},
      {"98", Win98(), true, rundll32},
      {"98 SE", Win98SE(), true, rundll32},
      {"Me", WinMe(), true, rundll32},
      {"NT 4.0", WinNT4(), true, NTExit("2")},
      {"2000", {kVerPlatformWin32NT, 5, 0, ""}, true, NTExit("18")},
      {"XP", WinXP(), true, NTExit("18")},
      {"Vista", {kVerPlatformWin32NT, 6, 0, ""}, true, NTExit("18")},
      {"7", {kVerPlatformWin32NT, 6, 1, ""}, true, NTExit("18")},
      {"8", {kVerPlatformWin32NT, 6, 2, ""}, true, NTExit("18")},
      {"NT 4.0 refused", WinNT4(), false, Concat(NTExit("2"), shutdown)},
      {"XP refused", WinXP(), false, Concat(NTExit("18"), shutdown)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig(row.version);
    rig.platform.exitOk = row.exitOk;
    rig.platform.answers = {MsgAnswer::Yes};
    rig.w.OfferRestart("ISDN");
    EXPECT_EQ(rig.platform.calls, Concat({Prompt("ISDN")}, row.restart));
  }
}

// When no means starts a restart, the user who answered Yes is told why.
TEST(OptimizeCommand, ARestartThatCannotStartIsReported) {
  for (const VersionInfo& version : {Win95(), Win98(), WinXP()}) {
    Rig rig(version);
    rig.platform.exitOk = rig.platform.shellOk = false;
    rig.platform.answers = {MsgAnswer::Yes};
    rig.w.Dispatch([&] { rig.w.OfferRestart("ISDN"); });
    ASSERT_EQ(rig.platform.messages.size(), 2u);
    EXPECT_EQ(rig.platform.messages[1].text, "Windows could not be restarted: Access is denied.");
    EXPECT_EQ(rig.platform.messages[1].icon, MsgIcon::Error);
  }
}

// The privilege steps: a token that cannot be opened or a privilege that
// cannot be found is skipped silently and the exit is asked all the same;
// off the NT platform there is no privilege to enable.
TEST(OptimizeCommand, ExitWindowsWithPrivilegeSteps) {
  struct Row {
    const char* what;
    VersionInfo version;
    bool versionOk, tokenOk, lookupOk, exitOk;
    Calls calls;
  };
  // clang-format off
  const Row rows[] = {
      {"all steps", WinXP(), true, true, true, true, NTExit("18")},
      {"no token", WinXP(), true, false, true, true,
       {"OpenProcessToken 40", "ExitWindowsEx 18" + kReason}},
      {"no privilege", WinXP(), true, true, false, true,
       {"OpenProcessToken 40", "LookupPrivilegeValue SeShutdownPrivilege", "CloseToken",
        "ExitWindowsEx 18" + kReason}},
      {"9x platform", Win98(), true, true, true, true, {"ExitWindowsEx 18" + kReason}},
      {"no version", WinXP(), false, true, true, true, {"ExitWindowsEx 18" + kReason}},
      {"refused", WinXP(), true, true, true, false, NTExit("18")},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig(row.version);
    rig.platform.versionOk = row.versionOk;
    rig.platform.openTokenOk = row.tokenOk;
    rig.platform.lookupOk = row.lookupOk;
    rig.platform.exitOk = row.exitOk;
    EXPECT_EQ(ExitWindowsWithPrivilege(rig.platform, kEwxReboot | kEwxForceIfHung), row.exitOk);
    EXPECT_EQ(rig.platform.calls, row.calls);
  }
}

// A run that stops in the applier shows the error report and no prompt.
TEST(OptimizeCommand, FailedApplyShowsTheErrorAndNoPrompt) {
  Rig rig(Win98());
  rig.Click(rig.w.cableDsl);
  rig.w.maxConnections.text = "ten";
  rig.w.Dispatch([&] { rig.w.OnOptimize(); });
  EXPECT_EQ(rig.platform.calls,
            Calls{"MessageBox Internet Zelvora 2.19: 'ten' is not a valid integer value."});
  EXPECT_EQ(rig.recorder.writes, Calls{});
}

// A system that is not recognised gets the 9x applier, and Yes restarts
// nothing.
TEST(OptimizeCommand, UnknownSystemAppliesNineXAndDoesNotRestart) {
  Rig rig(Unknown9x());
  rig.Click(rig.w.extreme);
  rig.platform.answers = {MsgAnswer::Yes};
  rig.w.Dispatch([&] { rig.w.OnOptimize(); });
  EXPECT_EQ(rig.platform.calls, Calls{Prompt("extreme")});
  ASSERT_FALSE(rig.recorder.writes.empty());
  EXPECT_EQ(rig.recorder.writes[0],
            "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultTTL] = sz \"64\"");
}

}  // namespace
}  // namespace iz::optimize_test

namespace iz::optimize_test {
namespace {

// Which family's work a run did, told by where it wrote: the NT family's
// TCP/IP parameters or MSTCP's.
std::string FamilyWritten(const std::vector<std::string>& writes) {
  std::string seen;
  for (const std::string& w : writes) {
    if (w.find("Services\\Tcpip\\Parameters [") != std::string::npos &&
        seen.find("NT") == seen.npos)
      seen += "NT ";
    if (w.find("VxD\\MSTCP [") != std::string::npos && seen.find("9x") == seen.npos) seen += "9x ";
  }
  return seen.empty() ? "none" : seen.substr(0, seen.size() - 1);
}

// Every entry point that depends on the family, for every kind of Windows:
// the window's Optimize, the command line's /optimize and /export, the
// preview, the reading, Restore Windows Defaults and the restart. A kind sent
// to the other family's operation by any one of them fails here.
TEST(FamilyDispatch, EveryEntryPointGivesEachKindItsFamilysOperations) {
  const char* const kNT = "the Windows NT family";
  const char* const k98 = "Windows 98, 98 SE and Millennium";
  const char* const k95 = "Windows 95";
  struct Row {
    const char* name;
    VersionInfo version;
    const char* family;   // what Optimize, /optimize, the preview and the reading do
    const char* restore;  // "NT", "98" or "95"
    RestartMeans restart;
    const char* exportedFor;  // the systems the export's form is for
  };
  const Row rows[] = {
      {"95", Win95(), "9x", "95", RestartMeans::Rundll, k95},
      {"98", Win98(), "9x", "98", RestartMeans::Rundll32, k98},
      {"98 SE", Win98SE(), "9x", "98", RestartMeans::Rundll32, k98},
      {"Me", WinMe(), "9x", "98", RestartMeans::Rundll32, k98},
      {"NT 4.0", WinNT4(), "NT", "NT", RestartMeans::ExitWindowsNT4, kNT},
      {"2000", {kVerPlatformWin32NT, 5, 0, ""}, "NT", "NT", RestartMeans::ExitWindowsNT5, kNT},
      {"XP", WinXP(), "NT", "NT", RestartMeans::ExitWindowsNT5, kNT},
      {"Vista", {kVerPlatformWin32NT, 6, 0, ""}, "NT", "NT", RestartMeans::ExitWindowsNT5, kNT},
      {"7", {kVerPlatformWin32NT, 6, 1, ""}, "NT", "NT", RestartMeans::ExitWindowsNT5, kNT},
      {"8", {kVerPlatformWin32NT, 6, 2, ""}, "NT", "NT", RestartMeans::ExitWindowsNT5, kNT},
      // Written as 98 is, global window values included.
      {"unknown", Unknown9x(), "9x", "95", RestartMeans::None, k98},
  };
  const std::vector<std::string> kCable = {"/optimize", "/type", "cable", "/method", "1"};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    {
      Rig rig(row.version);
      rig.Click(rig.w.cableDsl);
      rig.w.Dispatch([&] { rig.w.OnOptimize(); });
      EXPECT_EQ(FamilyWritten(rig.recorder.writes), row.family) << "window";
    }
    {
      Rig rig(row.version);
      const int code = cli::RunCommandLine(kCable, rig.recorder, rig.profiles, rig.platform,
                                           [](const std::string&) {});
      EXPECT_EQ(code, cli::kExitOk);
      EXPECT_EQ(FamilyWritten(rig.recorder.writes), row.family) << "command line";
    }
    {
      Rig rig(row.version);
      std::vector<std::string> lines;
      cli::RunCommandLine({"/export", "x.reg", "/type", "cable", "/method", "1"}, rig.recorder,
                          rig.profiles, rig.platform,
                          [&](const std::string& line) { lines.push_back(line); });
      ASSERT_FALSE(lines.empty());
      EXPECT_NE(lines.back().find(std::string(" for ") + row.exportedFor), std::string::npos)
          << lines.back();
    }
    {
      Rig rig(row.version);
      rig.Click(rig.w.cableDsl);
      const PreviewReport report =
          PreviewOptimize(rig.w, {}, rig.recorder, rig.profiles, GetOSKind(rig.platform));
      ASSERT_FALSE(report.changes.empty());
      EXPECT_NE(
          report.changes.front().location.find(std::string(row.family) == "NT" ? "Tcpip" : "MSTCP"),
          std::string::npos)
          << "preview";
    }
    {
      Rig rig(row.version);
      rig.registry.SetDword(kHKLM, map::kTcpipParametersKey, map::kDefaultTTL, 64);
      rig.registry.SetDword(kHKLM, map::kMstcpKey, map::kDefaultTTL, 32);
      rig.w.Dispatch([&] { rig.w.OnViewCurrentSettings(); });
      EXPECT_EQ(rig.w.customTtl.text, std::string(row.family) == "NT" ? "64" : "32") << "reading";
    }
    {
      Rig rig(row.version);
      rig.registry.SetDword(kHKLM, map::kMstcpParametersKey, map::kSackOpts, 1);
      rig.registry.CreateKeyPath(kHKLM, map::kTcpipParametersKey);
      rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
      const bool ntWrote = FamilyWritten(rig.recorder.writes) == "NT";
      const bool sackLeft =
          rig.registry.Get(kHKLM, map::kMstcpParametersKey, map::kSackOpts).has_value();
      EXPECT_EQ(ntWrote ? "NT" : sackLeft ? "95" : "98", std::string(row.restore)) << "restore";
    }
    test::FakePlatform platform;
    platform.version = row.version;
    EXPECT_EQ(MeansForKind(GetOSKind(platform)), row.restart);
  }
}

}  // namespace
}  // namespace iz::optimize_test
