// The Optimize command as the user meets it: the precondition, the prompt,
// and the restart each kind of Windows gets, seen as the platform calls made.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "model/os_kind.h"
#include "model/restart.h"
#include "native/optimize_fixture.h"
#include "adapters/adapters.h"
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
    rig.w.OfferRestart("ISDN", "");
    EXPECT_EQ(rig.platform.calls, Concat({Prompt("ISDN")}, row.restart));
  }
}

// When no means starts a restart, the user who answered Yes is told why.
TEST(OptimizeCommand, ARestartThatCannotStartIsReported) {
  for (const VersionInfo& version : {Win95(), Win98(), WinXP()}) {
    Rig rig(version);
    rig.platform.exitOk = rig.platform.shellOk = false;
    rig.platform.answers = {MsgAnswer::Yes};
    rig.w.Dispatch([&] { rig.w.OfferRestart("ISDN", ""); });
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

// Only a lock made by Administrators or SYSTEM is one of the program's own;
// a user's, even an administrator's account or the Users group, is not.
TEST(WriterLock, OnlyAdministratorsAndSystemMayOwnTheLock) {
  const std::pair<const char*, bool> owners[] = {
      {"S-1-5-32-544", true},  {"S-1-5-18", true},
      {"S-1-5-32-545", false}, {"S-1-5-21-1004336348-1177238915-682003330-500", false},
      {"S-1-5-19", false},     {"S-1-5-32-5440", false},
      {"", false}};
  for (const auto& [sid, trusted] : owners) EXPECT_EQ(LockOwnerTrusted(sid), trusted) << sid;
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

// Two copies of the program writing at once: every command that writes runs
// wholly under the writer lock (each file it writes, written while the lock
// is held), and with the lock held by another copy it writes nothing, in the
// window and on the command line, and says why.
TEST(WriterLock, WhileAnotherCopyWritesNoCommandWritesAnything) {
  using Lines = std::vector<std::string>;
  const std::string adapter =
      std::string(map::kTcpipInterfacesKey) + "\\{11111111-2222-3333-4444-555555555555}";
  auto window = [](void (TIZelvora::*handler)()) {
    return [handler](Rig& rig, Lines*) {
      rig.platform.answers = {MsgAnswer::Yes};  // Undo's question
      rig.w.Dispatch([&] { (rig.w.*handler)(); });
      return -1;
    };
  };
  auto commandLine = [](Lines args) {
    return [args](Rig& rig, Lines* out) {
      return cli::RunCommandLine(args, rig.recorder, rig.profiles, rig.platform,
                                 [out](const std::string& line) { out->push_back(line); });
    };
  };
  auto optimized = [](Rig& rig) { rig.w.Dispatch([&] { rig.w.OnOptimize(); }); };
  auto backedUp = [](Rig& rig) { rig.w.Dispatch([&] { rig.w.OnBackup(); }); };
  struct Row {
    const char* what;
    std::function<void(Rig&)> before;
    std::function<int(Rig&, Lines*)> run;
  } rows[] = {
      {"Optimize", nullptr, window(&TIZelvora::OnOptimize)},
      {"Restore Windows Defaults", optimized, window(&TIZelvora::OnRestoreDefaults)},
      {"Backup", nullptr, window(&TIZelvora::OnBackup)},
      {"Restore previous settings", backedUp, window(&TIZelvora::OnRestorePrevious)},
      {"Undo", optimized, window(&TIZelvora::OnUndoLastChange)},
      {"Network Adapters", nullptr, window(&TIZelvora::OnNetworkAdapters)},
      {"/optimize", nullptr, commandLine({"/optimize", "/type", "cable", "/method", "1"})},
      {"/undo", optimized, commandLine({"/undo"})},
  };
  // Free; held by another copy; made first by an account that is neither
  // Administrators nor SYSTEM, which is named.
  struct Holder {
    bool held;
    const char* stranger;
    const char* said;
  };
  const std::string squatted =
      "The lock that keeps two copies of Internet Zelvora from writing at once is held by the "
      "account WORKGROUP\\mallory, which is not an administrator; close the program that holds "
      "it, or restart Windows, and try again.";
  const Holder holders[] = {{false, "", ""},
                            {true, "", kAnotherCopyWriting},
                            {true, "WORKGROUP\\mallory", squatted.c_str()}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (const Holder& holder : holders) {
      const bool held = holder.held;
      Rig rig;
      SeedStockNT(rig.registry);
      rig.registry.CreateKeyPath(kHKLM, adapter);
      rig.platform.adaptersWindow = [](std::vector<AdapterRow>* shown) {
        shown->back().ticked = false;
        return true;
      };
      rig.Click(rig.w.cableDsl);
      if (row.before) row.before(rig);
      const auto registry = rig.registry.Dump();
      const auto files = rig.platform.files;
      const std::string winIni = rig.WinIni();
      const std::size_t messages = rig.platform.messages.size();
      int outsideTheLock = 0;
      rig.platform.afterWrite = [&](const std::string&) {
        outsideTheLock += rig.platform.writerLocks != 1;
      };
      rig.platform.writerLockHeld = held;
      rig.platform.writerLockStranger = holder.stranger;
      Lines out;
      const int code = row.run(rig, &out);
      EXPECT_EQ(rig.platform.writerLocks, 0) << "taken and not released";
      if (!held) {
        EXPECT_EQ(outsideTheLock, 0);
        EXPECT_NE(rig.registry.Dump() == registry && rig.platform.files == files, true)
            << "the command wrote nothing even without another copy";
        continue;
      }
      EXPECT_EQ(rig.registry.Dump(), registry);
      EXPECT_EQ(rig.platform.files, files);
      EXPECT_EQ(rig.WinIni(), winIni);
      if (code == -1) {
        ASSERT_EQ(rig.platform.messages.size(), messages + 1);
        EXPECT_EQ(rig.platform.messages.back().text, holder.said);
        EXPECT_EQ(rig.platform.messages.back().icon, MsgIcon::Error);
      } else {
        EXPECT_EQ(code, cli::kExitFailed);
        EXPECT_EQ(out, Lines{std::string("Internet Zelvora: ") + holder.said});
      }
    }
  }
}

}  // namespace
}  // namespace iz::optimize_test

namespace iz::optimize_test {
namespace {

// The adapters of each family, from registries prepared as each Windows
// keeps them: found and named, chosen in the adapters window, written by
// Optimize to the ticked ones only, shown by the reading, removed by Restore
// Windows Defaults and put back by Undo; the preview's marks follow the kind.
TEST(Adapters, EachFamilyFindsWritesRestoresAndUndoesItsAdapters) {
  const std::string ifs = std::string(map::kTcpipInterfacesKey) + "\\";
  const std::string a = "{11111111-2222-3333-4444-555555555555}";
  const std::string b = "{AAAAAAAA-2222-3333-4444-555555555555}";
  const std::string services = "System\\CurrentControlSet\\Services\\";
  const std::string trans = std::string(map::kNetTransKey) + "\\";
  auto seedInterfaces = [&](MemoryRegistry& r) {
    r.CreateKeyPath(kHKLM, ifs + "interface");
    r.CreateKeyPath(kHKLM, ifs + b);
    r.CreateKeyPath(kHKLM, ifs + a);
    r.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + a + "\\Connection",
                "Name", "Local Area Connection");
  };
  struct Row {
    const char* what;
    VersionInfo version;
    std::function<void(MemoryRegistry&)> seed;
    std::vector<std::string> names;  // as the window lists them; the last is unticked
    std::string tuned, unticked;     // keys
    std::vector<std::string> written;
    const char* mtuMark;  // the preview's mark for the adapter's MTU
    const char* mtuShownAs;  // the preview's name of it: by the adapter's name where it has one
  };
  const Row rows[] = {
      {"XP", WinXP(), seedInterfaces, {"Local Area Connection", b}, ifs + a, ifs + b,
       {"MTU dword 1500", "TcpWindowSize dword 256960"}, "yes", "MTU (Local Area Connection)"},
      {"7", {kVerPlatformWin32NT, 6, 1, ""}, seedInterfaces, {"Local Area Connection", b},
       ifs + a, ifs + b, {"MTU dword 1500", "TcpWindowSize dword 256960"},
       "not documented for this Windows", "MTU (Local Area Connection)"},
      {"NT 4.0", WinNT4(),
       [&](MemoryRegistry& r) {
         const std::string cards = std::string(map::kNetworkCardsKey) + "\\";
         r.SetString(kHKLM, cards + "1", "ServiceName", "E100B1");
         r.SetString(kHKLM, cards + "1", "Title", "[1] Intel PRO/100");
         r.SetString(kHKLM, cards + "2", "ServiceName", "NdisWan3");
         r.SetString(kHKLM, cards + "3", "ServiceName", "NoTcpip1");  // TCP/IP not bound
         r.CreateKeyPath(kHKLM, services + "E100B1\\Parameters\\Tcpip");
         r.CreateKeyPath(kHKLM, services + "NdisWan3\\Parameters\\Tcpip");
       },
       {"[1] Intel PRO/100", "NdisWan3"}, services + "E100B1\\Parameters\\Tcpip",
       services + "NdisWan3\\Parameters\\Tcpip", {"MTU dword 1500"}, "yes", "MTU ([1] Intel PRO/100)"},
      // The choice is kept as one text of ids joined by ";".
      {"NT 4.0, a service named with the separator", WinNT4(),
       [&](MemoryRegistry& r) {
         const std::string cards = std::string(map::kNetworkCardsKey) + "\\";
         r.SetString(kHKLM, cards + "1", "ServiceName", "E100B1");
         r.SetString(kHKLM, cards + "2", "ServiceName", "a;b");
         r.CreateKeyPath(kHKLM, services + "E100B1\\Parameters\\Tcpip");
         r.CreateKeyPath(kHKLM, services + "a;b\\Parameters\\Tcpip");
       },
       {"E100B1", "a;b"}, services + "E100B1\\Parameters\\Tcpip",
       services + "a;b\\Parameters\\Tcpip", {"MTU dword 1500"}, "yes", "MTU"},
      {"98", Win98(),
       [&](MemoryRegistry& r) {
         // Bindings 0000 to 0002 with the instances 0000, 0003 and 0004.
         const char* const instances[] = {"0000", "0003", "0004"};
         for (int n = 0; n < 3; ++n) {
           r.SetString(kHKLM, std::string(map::kMstcpBindingsKey) + "\\000" + std::to_string(n),
                       "Driver", std::string("NetTrans\\") + instances[n]);
           r.CreateKeyPath(kHKLM, trans + instances[n]);
         }
         r.SetString(kHKLM, "Enum\\PCI\\VEN_10EC&DEV_8139\\BUS_00", "DeviceDesc", "Realtek RTL8139");
         r.SetString(kHKLM, "Enum\\PCI\\VEN_10EC&DEV_8139\\BUS_00\\Bindings", "MSTCP\\0001", "");
       },
       {"NetTrans\\0000", "Realtek RTL8139", "NetTrans\\0004"}, trans + "0003", trans + "0004",
       {"MaxMTU sz \"1500\"", "MaxMSS sz \"1460\"", "IPMTU sz \"1500\""}, "yes",
       "MaxMTU (Realtek RTL8139)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig(row.version);
    SeedStockNT(rig.registry);
    SeedStock9x(rig.registry);
    row.seed(rig.registry);
    const AdapterStack stack = StackOf(GetOSKind(rig.platform));
    auto values = [&](const std::string& key) {
      std::vector<std::string> out;
      for (const AdapterValue& v : AdapterValues(stack)) {
        if (auto got = rig.registry.Get(kHKLM, key, v.name))
          out.push_back(v.name + std::string(" ") + WriteRecorder::Render(got->type, got->data));
      }
      return out;
    };

    rig.platform.adaptersWindow = [](std::vector<AdapterRow>* shown) {
      shown->back().ticked = false;
      return true;
    };
    rig.w.Dispatch([&] { rig.w.OnNetworkAdapters(); });
    ASSERT_EQ(rig.platform.adapterWindows.size(), 1u);
    std::vector<std::string> names;
    for (const AdapterRow& r : rig.platform.adapterWindows[0]) {
      names.push_back(r.name);
      EXPECT_EQ(r.storedMtu, "automatic");
      EXPECT_TRUE(r.ticked);
    }
    EXPECT_EQ(names, row.names);

    // The reading shows the ticked adapter's MTU.
    const AdapterValue mtu = AdapterValues(stack)[0];
    if (mtu.text) {
      rig.registry.SetString(kHKLM, row.tuned, mtu.name, "1400");
    } else {
      rig.registry.SetDword(kHKLM, row.tuned, mtu.name, 1400);
    }
    rig.w.Dispatch([&] { rig.w.OnViewCurrentSettings(); });
    EXPECT_EQ(rig.w.customMtu.text, "1400");

    rig.Click(rig.w.cableDsl);
    const PreviewReport report = PreviewOptimize(rig.w, rig.w.TickedAdapters(GetOSKind(rig.platform)),
                                                 rig.registry, rig.profiles, GetOSKind(rig.platform));
    std::string marked;
    for (const PreviewLine& line : report.changes) {
      // The GUID is the location's alone; the value is named by the adapter.
      if (line.location.find(row.tuned) != std::string::npos && line.value == row.mtuShownAs)
        marked = line.readBy;
      EXPECT_EQ(line.location.find(row.unticked), std::string::npos);
    }
    EXPECT_EQ(marked, row.mtuMark);

    rig.w.Dispatch([&] { rig.w.OnOptimize(); });
    EXPECT_EQ(values(row.tuned), row.written);
    EXPECT_EQ(values(row.unticked), std::vector<std::string>{});
    // Its record holds every adapter's values, the unticked one's too.
    std::string record;
    for (const auto& [path, text] : rig.platform.files)
      if (path.find("\\History\\") != std::string::npos) record = text;
    EXPECT_NE(record.find(";#extra [HKEY_LOCAL_MACHINE\\" + row.unticked + "]"), std::string::npos);

    rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
    EXPECT_EQ(values(row.tuned), std::vector<std::string>{});

    rig.platform.answers = {MsgAnswer::Yes};  // Undo's question
    rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
    EXPECT_EQ(values(row.tuned), row.written);
    EXPECT_NE(rig.platform.messages.back().text.find("has been undone"), std::string::npos)
        << rig.platform.messages.back().text;
  }
  // A choice saved before ids could hold the separator reads as it did.
  Rig rig(WinNT4());
  for (const char* service : {"E100B1", "NdisWan3", "El90x1"}) {
    rig.registry.SetString(kHKLM, std::string(map::kNetworkCardsKey) + "\\" + service,
                           "ServiceName", service);
    rig.registry.CreateKeyPath(kHKLM, services + service + "\\Parameters\\Tcpip");
  }
  rig.registry.SetString(kHKCU, "SOFTWARE\\Internet Zelvora", map::kUntickedAdapters,
                         "NdisWan3;Gone1;E100B1");
  std::vector<std::string> ticked;
  for (const Adapter& a : TickedAdapters(rig.registry, kWinNT4)) ticked.push_back(a.id);
  EXPECT_EQ(ticked, std::vector<std::string>{"El90x1"});
}

// An adapter whose driver's entry marks it virtual or hidden is listed
// unticked and marked, and Optimize leaves it alone, unless the user ticked
// it; one whose entry says nothing is ticked. The MTU in use is shown where
// the system reports it.
TEST(Adapters, VirtualOnesAreUntickedUnlessTheUserTicksThem) {
  const std::string guid = "{CCCCCCCC-2222-3333-4444-555555555555}";
  const std::string entry =
      "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";
  const struct {
    const char* what;
    std::optional<std::uint32_t> characteristics, ifType;
    const char* savedTicked;  // "TickedAdapters" as saved
    std::vector<MtuInUse> inUse;
    const char* shown;
    bool ticked;
    const char* mtuInUse;
  } rows[] = {
      {"NCF_VIRTUAL", 0x1, std::nullopt, nullptr, {}, "VPN (virtual)", false, "not reported"},
      {"NCF_HIDDEN", 0x88, 6, nullptr, {}, "VPN (virtual)", false, "not reported"},
      {"a tunnel", 0x4, 131, nullptr, {}, "VPN (virtual)", false, "not reported"},
      {"the loopback", 0x0, 24, nullptr, {}, "VPN (virtual)", false, "not reported"},
      {"a card", 0x84, 6, nullptr, {{guid, "", 1400}}, "VPN", true, "1400"},
      {"no entry", std::nullopt, std::nullopt, nullptr, {{"{other}", "VPN", 1280}}, "VPN", true,
       "1280"},
      {"ticked by the user", 0x1, std::nullopt, "{cccccccc-2222-3333-4444-555555555555}", {},
       "VPN (virtual)", true, "not reported"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig(WinXP());
    SeedStockNT(rig.registry);
    rig.registry.CreateKeyPath(kHKLM, std::string(map::kTcpipInterfacesKey) + "\\" + guid);
    rig.registry.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + guid +
                                      "\\Connection", "Name", "VPN");
    if (row.characteristics || row.ifType) rig.registry.SetString(kHKLM, entry, "NetCfgInstanceId", guid);
    if (row.characteristics) rig.registry.SetDword(kHKLM, entry, "Characteristics", *row.characteristics);
    if (row.ifType) rig.registry.SetDword(kHKLM, entry, "*IfType", *row.ifType);
    if (row.savedTicked)
      rig.registry.SetString(kHKCU, "SOFTWARE\\Internet Zelvora", map::kTickedAdapters, row.savedTicked);
    rig.platform.mtusInUse = row.inUse;
    rig.platform.adaptersWindow = [](std::vector<AdapterRow>*) { return true; };
    rig.w.Dispatch([&] { rig.w.OnNetworkAdapters(); });
    ASSERT_EQ(rig.platform.adapterWindows.size(), 1u);
    const AdapterRow& shown = rig.platform.adapterWindows[0].at(0);
    EXPECT_EQ(shown.name, row.shown);
    EXPECT_EQ(shown.ticked, row.ticked);
    EXPECT_EQ(shown.mtuInUse, row.mtuInUse);
    // Kept as shown: Optimize takes the adapter in only when ticked.
    EXPECT_EQ(TickedAdapters(rig.registry, kWinXP).size(), row.ticked ? 1u : 0u);
  }
}

// "yes" only where Microsoft documents that the Windows reads the value; "no"
// where it documents the contrary or the key is another family's; else not
// documented.
TEST(Adapters, PreviewMarksWhatEachWindowsReads) {
  const std::string guidKey =
      std::string(map::kTcpipInterfacesKey) + "\\{11111111-2222-3333-4444-555555555555}";
  const char* const vista = "no: Vista and later size the receive window themselves";
  const char* const noWindows = "no: no Windows reads this key";
  const char* const only9x = "no: only Windows 95, 98 and Me read this key";
  const char* const undocumented = "not documented for this Windows";
  struct Row {
    int kind;
    const char* key;
    const char* name;
    const char* mark;
    HKey root = kHKLM;
  } rows[] = {
      {kWinXP, map::kTcpipParametersKey, map::kTcpWindowSize, "yes"},
      // The tuning guide's deprecated list names TcpWindowSize alone.
      {kWin7, map::kTcpipParametersKey, map::kTcpWindowSize, vista},
      {kWin11, map::kTcpipParametersKey, map::kGlobalMaxTcpWindowSize, undocumented},
      {kWin7, guidKey.c_str(), map::kTcpWindowSize, undocumented},
      {kWinXP, guidKey.c_str(), map::kMTU, "yes"},
      {kWin10, guidKey.c_str(), map::kMTU, undocumented},
      // Description of Windows TCP features, for 10 and Server 2012 R2.
      {kWin10, map::kTcpipParametersKey, map::kTcp1323Opts, "yes"},
      {kWin81, map::kTcpipParametersKey, map::kSackOpts, "yes"},
      {kWin10, map::kTcpipParametersKey, map::kTcpMaxDupAcks, "yes"},
      {kWin11, map::kTcpipParametersKey, map::kTcpMaxDupAcks, undocumented},
      {kWin2000, map::kTcpipInterfaceKey, map::kMTU, noWindows},
      {kWin8, map::kTcpipInterfaceKey, map::kTcpWindowSize, noWindows},
      {kWin98, map::kTcpipInterfaceKey, map::kTcpWindowSize, noWindows},
      {kWin7, map::kTcpipParametersKey, map::kDefaultTTL, undocumented},
      {kWinNT4, map::kTcpipParametersKey, map::kDefaultTTL, "yes"},
      {kWinNT4, map::kTcpipParametersKey, map::kTcp1323Opts, undocumented},
      {kWinXP, map::kNetbtParametersKey, map::kSessionKeepAlive, "yes"},
      {kWin10, map::kNetbtParametersKey, map::kSessionKeepAlive, undocumented},
      {kWin98, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0003", map::kMaxMTU, "yes"},
      {kWin98, map::kNetTrans0000Key, map::kMaxMSS, undocumented},
      {kWin95, map::kMstcpKey, map::kDefaultRcvWindow, "yes"},
      // The 9x family's keys, which the NT family writes too.
      {kWinXP, map::kNdiMaxConnectKey, map::kMax, only9x},
      {kWin10, map::kNetClass0000Key, map::kSlowNet, only9x},
      {kWin7, map::kVCacheKey, map::kStart, only9x},
      {kWinNT4, "\\System\\CurrentControlSet\\Services\\VxD\\COMBUFF", map::kStart, only9x},
      {kWin98, map::kNdiCacheSizeKey, "", undocumented},
      {kWinMe, map::kComBuffKey, map::kStart, undocumented},
      // Not the key "VxD" itself, nor a key whose name merely begins so.
      {kWinXP, "System\\CurrentControlSet\\Services\\VxDx", map::kStart, undocumented},
      // KB 239731: 98 and 98 SE read the misspelt name only; Me is not covered.
      {kWin98, map::kMstcpParametersKey, map::kGlobalMaxTcpWindoSize, "yes"},
      {kWin98SE, map::kMstcpParametersKey, map::kGlobalMaxTcpWindoSize, "yes"},
      {kWin98SE, map::kMstcpParametersKey, map::kGlobalMaxTcpWindowSize,
       "no: Windows 98 reads the misspelt name GlobalMaxTcpWindoSize instead"},
      {kWinMe, map::kMstcpParametersKey, map::kGlobalMaxTcpWindoSize, undocumented},
      {kWinMe, map::kMstcpParametersKey, map::kGlobalMaxTcpWindowSize, undocumented},
      {kWin95, map::kMstcpKey, map::kPMTUDiscovery, "yes"},
      {kWin11, map::kInternetSettingsUpperKey, map::kMaxConnectionsPerServer, "yes", kHKCU},
      {kWin11, map::kInternetSettingsUpperKey, map::kMaxConnectionsPerServer, undocumented},
      {kUnknown, map::kMstcpKey, map::kDefaultTTL, undocumented},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(std::string(ReadByText(row.kind, row.root, row.key, row.name)), row.mark)
        << row.kind << " " << row.key << " " << row.name;
  }
}

}  // namespace
}  // namespace iz::optimize_test
