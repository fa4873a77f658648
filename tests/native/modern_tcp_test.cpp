// The TCP settings of Vista and later: the table per version, the netsh
// lines built from it, the reading of netsh's answers in another language,
// and the Apply that the window and /tcp share, against the stand-in netsh
// behind the substitute platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "commands/modern_tcp.h"
#include "model/writer_lock.h"
#include "native/optimize_fixture.h"
#include "shared/netsh_standin.h"

namespace iz {
namespace {

using optimize_test::Rig;

VersionInfo Nt(std::uint32_t major, std::uint32_t minor, std::uint32_t build = 0) {
  return {kVerPlatformWin32NT, major, minor, "", build};
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : " ") + p;
  return text;
}

TEST(ModernTcpTable, SettingsDefaultsCommandsAndRefusalsPerVersion) {
  const struct {
    int kind;
    const char* names;
    const char* defaults;
    const char* congestion;  // the command that sets the congestion provider
    TcpValue refused;
    const char* reason;
  } rows[] = {
      {kWinVista, "autotuninglevel congestionprovider ecncapability timestamps rss",
       "normal none disabled disabled enabled", "interface tcp set global congestionprovider=ctcp",
       {"rsc", "enabled"}, "Windows Vista has no TCP setting \"rsc\""},
      {kWin7, "autotuninglevel congestionprovider ecncapability timestamps rss",
       "normal none disabled disabled enabled", "interface tcp set global congestionprovider=ctcp",
       {"congestionprovider", "cubic"},
       "\"congestionprovider\" takes none or ctcp on Windows 7, not \"cubic\""},
      {kWin8,
       "autotuninglevel congestionprovider ecncapability timestamps rss rsc initialrto",
       "normal not documented disabled disabled enabled enabled not documented",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"initialrto", "200"},
       "\"initialrto\" takes a number from 300 to 3000 on Windows 8, not \"200\""},
      {kWin10,
       "autotuninglevel congestionprovider ecncapability timestamps rss rsc initialrto",
       "normal cubic disabled disabled enabled enabled not documented",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"congestionprovider", "bbr2"},
       "\"congestionprovider\" takes none, ctcp, dctcp, newreno or cubic on Windows 10, not "
       "\"bbr2\""},
      {kWin11,
       "autotuninglevel congestionprovider ecncapability timestamps rss rsc initialrto",
       "normal cubic not documented not documented enabled enabled not documented",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"autotuninglevel", "Normal"},
       "\"autotuninglevel\" takes disabled, highlyrestricted, restricted, normal or experimental "
       "on Windows 11, not \"Normal\""},
      {kWinXP, "", "", "interface tcp set global congestionprovider=ctcp", {"rss", "enabled"},
       kNeedsVista},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(OSName(row.kind));
    std::vector<std::string> defaults;
    for (const TcpSettingInfo& s : TcpSettingsFor(row.kind)) {
      defaults.push_back(s.defaultValue);
      EXPECT_FALSE(s.effect.empty() || s.source.empty()) << s.name;
      // A default the window offers must be a value the version accepts.
      if (s.defaultValue != kNotDocumented) {
        EXPECT_EQ(CheckTcpValue(row.kind, {s.name, s.defaultValue}), "") << s.name;
      }
    }
    EXPECT_EQ(Joined(TcpSettingNames(row.kind)), row.names);
    EXPECT_EQ(Joined(defaults), row.defaults);
    EXPECT_EQ(HasModernTcpSettings(row.kind), row.kind != kWinXP);
    EXPECT_EQ(NetshCommand(row.kind, {"congestionprovider", "ctcp"}), row.congestion);
    EXPECT_EQ(CheckTcpValue(row.kind, row.refused), row.reason);
  }
  // What hurts is marked where it is offered.
  const TcpSettingInfo autotuning = TcpSettingsFor(kWin10).front();
  EXPECT_EQ(Joined(autotuning.hurts), "disabled highlyrestricted");
  EXPECT_NE(autotuning.effect.find("64 KB"), std::string::npos);
  EXPECT_EQ(Joined(TcpSettingsFor(kWin11)[1].hurts), "bbr2");
  // An interface MTU: a connection name in quotes, a number in range.
  EXPECT_EQ(NetshCommand(kWin7, {"mtu@Ethernet 2", "1492"}),
            "interface ipv4 set subinterface \"Ethernet 2\" mtu=1492 store=persistent");
  EXPECT_EQ(CheckTcpValue(kWin10, {"mtu@Ethernet 2", "70000"}),
            "the MTU of \"Ethernet 2\" must be a number from 576 to 65535, not \"70000\"");
  EXPECT_EQ(CheckTcpValue(kWin10, {"mtu@Evil\" & del", "1500"}),
            "\"Evil\" & del\" is not a connection name netsh can take");
  // Numbers only in their plain form, and no connection name that netsh's
  // table would read back as another: the journal compares values as text.
  const struct {
    TcpValue value;
    const char* reason;
  } plain[] = {
      {{"initialrto", "0300"},
       "\"initialrto\" takes a number from 300 to 3000 on Windows 10, not \"0300\""},
      {{"initialrto", "300"}, ""},
      {{"mtu@Ethernet", "01500"},
       "the MTU of \"Ethernet\" must be a number from 576 to 65535, not \"01500\""},
      {{"mtu@Ethernet ", "1500"}, "\"Ethernet \" is not a connection name netsh can take"},
      {{"mtu@\tEthernet", "1500"}, "\"\tEthernet\" is not a connection name netsh can take"},
      {{"mtu@Ethernet 2", "576"}, ""},
  };
  for (const auto& row : plain) EXPECT_EQ(CheckTcpValue(kWin10, row.value), row.reason);
}

TEST(ModernTcpTable, ReadsNetshsScriptsAndTablesWhateverTheLanguage) {
  test::NetshState state = test::FreshNetsh(true);
  std::string dump, shown, subinterfaces;
  auto none = [](const std::string&, std::string*) { return false; };
  ASSERT_EQ(test::RunNetsh(state, "interface tcp dump", &dump, none), 0);
  ASSERT_EQ(test::RunNetsh(state, "interface tcp show global", &shown, none), 0);
  ASSERT_EQ(test::RunNetsh(state, "interface ipv4 show subinterfaces", &subinterfaces, none), 0);
  // The datacenter template's provider is not the setting; the internet one's is.
  const std::vector<TcpValue> expected = {{"rss", "enabled"},         {"autotuninglevel", "normal"},
                                          {"ecncapability", "disabled"}, {"timestamps", "disabled"},
                                          {"initialrto", "1000"},       {"rsc", "enabled"},
                                          {"congestionprovider", "cubic"}};
  EXPECT_EQ(ReadTcpDump(dump), expected);
  EXPECT_TRUE(ReadTcpDump(shown).empty());  // translated labels are never read
  EXPECT_EQ(ReadSubinterfaces(subinterfaces),
            (std::vector<TcpValue>{{"mtu@Loopback Pseudo-Interface 1", "4294967295"},
                                   {"mtu@Ethernet 2", "1500"}}));
  // Vista's form: several settings on one line, in any case; the template by
  // position; a later line wins.
  EXPECT_EQ(ReadTcpDump("pushd interface tcp\r\nSet Global RSS=Enabled autotuninglevel=NORMAL\r\n"
                        "set supplemental internet congestionprovider=ctcp\r\n"
                        "set supplemental custom congestionprovider=none\r\n"
                        "set global rss=disabled\r\npopd"),
            (std::vector<TcpValue>{{"rss", "disabled"},
                                   {"autotuninglevel", "normal"},
                                   {"congestionprovider", "ctcp"}}));
  EXPECT_TRUE(ReadSubinterfaces("  1500  1  12  x3  Ethernet\r\n  1500 1 2 3\r\n").empty());
}

TEST(ModernTcpTable, AMebibyteOfAnswerIsReadInOnePass) {
  // As many names as fit: a reader that looks each up again among those
  // found took seconds on it.
  std::string dump, subinterfaces;
  for (int i = 0; dump.size() < (1u << 20); ++i)
    dump += "set global x" + std::to_string(i) + "=enabled\r\n";
  for (int i = 0; subinterfaces.size() < (1u << 20); ++i)
    subinterfaces += "1500  1  0  0  Adapter " + std::to_string(i) + "\r\n";
  const auto start = std::chrono::steady_clock::now();
  const std::size_t read = ReadTcpDump(dump).size() + ReadSubinterfaces(subinterfaces).size();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GT(read, 60000u);
  // A quadratic reader took 13.6 s; the sanitizers' build is a few times slower.
#ifdef __SANITIZE_ADDRESS__
  EXPECT_LT(took, std::chrono::seconds(4));
#else
  EXPECT_LT(took, std::chrono::seconds(1));
#endif
}

// The Apply of the window and /tcp, with the stand-in netsh behind the
// substitute platform's programs.
struct ApplyRig : Rig {
  test::NetshState netsh;
  explicit ApplyRig(const VersionInfo& version, bool templates) : Rig(version) {
    netsh = test::FreshNetsh(templates);
    platform.runHidden = [this](const std::string& program, const std::string& arguments,
                                std::uint32_t* code, std::string* out) {
      EXPECT_EQ(program, "C:\\WINDOWS\\system32\\netsh.exe");
      *code = static_cast<std::uint32_t>(test::RunNetsh(
          netsh, arguments, out, [this](const std::string& path, std::string* text) {
            const auto f = platform.files.find(path);
            if (f == platform.files.end()) return false;
            *text = f->second;
            return true;
          }));
      return true;
    };
  }
  TcpApplied Apply(const std::vector<TcpValue>& wanted) {
    NetshAccess access(platform, GetOSKind(platform), "C:\\Program Files\\Internet Zelvora\\Backup");
    return ApplyTcpSettings(recorder, profiles, platform, access, GetOSKind(platform), wanted,
                            WithoutRecord::Refuse);
  }
  // The run `at` (counted from 1) is ended at the time limit after it ran.
  void HangAt(std::size_t at) {
    platform.runEnd = [this, at](const std::string& program, const std::string& arguments,
                                 std::uint32_t* code, std::string* out) {
      platform.runHidden(program, arguments, code, out);
      return platform.runs.size() == at ? RunEnd::TimedOut : RunEnd::Finished;
    };
  }
  std::string Error(const std::vector<TcpValue>& wanted) {
    try {
      Apply(wanted);
    } catch (const iz::Error& e) {
      return e.what();
    }
    return "(no error)";
  }
};

constexpr const char* kScript = "C:\\Program Files\\Internet Zelvora\\Backup\\netsh-script.txt";

TEST(ModernTcpApply, AllOrNothingInThreeRunsOfNetsh) {
  {
    SCOPED_TRACE("applied: only what differs is written, and what is in force after is told");
    ApplyRig rig(Nt(10, 0, 19045), true);
    const TcpApplied applied = rig.Apply(
        {{"autotuninglevel", "restricted"}, {"congestionprovider", "newreno"}, {"rss", "enabled"}});
    EXPECT_EQ(applied.changed, 2u);
    EXPECT_EQ(applied.inForce[0], (TcpValue{"autotuninglevel", "restricted"}));
    EXPECT_EQ(applied.inForce[1], (TcpValue{"congestionprovider", "newreno"}));
    EXPECT_EQ(rig.platform.runs,
              (std::vector<std::string>{"C:\\WINDOWS\\system32\\netsh.exe interface tcp dump",
                                        "C:\\WINDOWS\\system32\\netsh.exe -f \"" +
                                            std::string(kScript) + "\"",
                                        "C:\\WINDOWS\\system32\\netsh.exe interface tcp dump"}));
    EXPECT_EQ(*rig.netsh.Get("congestionprovider"), "newreno");
    EXPECT_EQ(rig.platform.files.count(kScript), 0u);  // the script is not left behind
    EXPECT_FALSE(rig.platform.journalCalls.empty());   // recorded before the change
    EXPECT_EQ(rig.platform.writerLocks, 0);
  }
  {
    SCOPED_TRACE("refused: netsh stopped at rsc after changing autotuninglevel");
    ApplyRig rig(Nt(10, 0, 22631), true);
    rig.netsh.refuse = {"rsc"};
    const auto before = rig.netsh.values;
    EXPECT_EQ(rig.Error({{"autotuninglevel", "disabled"}, {"rsc", "disabled"}, {"timestamps", "enabled"}}),
              "netsh refused rsc=disabled: Der Parameter ist falsch.");
    EXPECT_EQ(rig.netsh.values, before);
    // Read, written, read and put back, read again that all is back.
    EXPECT_EQ(rig.platform.runs.size(), 4u);
  }
  {
    SCOPED_TRACE("the reading after hangs: the write read the change in force, which stands");
    ApplyRig rig(Nt(10, 0, 19045), true);
    rig.HangAt(3);
    EXPECT_EQ(rig.Apply({{"rss", "disabled"}}).changed, 1u);
    EXPECT_EQ(*rig.netsh.Get("rss"), "disabled");
  }
  {
    SCOPED_TRACE("nothing differs: read once, nothing written or recorded");
    ApplyRig rig(Nt(6, 1), false);
    EXPECT_EQ(rig.Apply({{"rss", "enabled"}}).changed, 0u);
    EXPECT_EQ(rig.platform.runs.size(), 1u);
    EXPECT_TRUE(rig.platform.journalCalls.empty());
  }
  const struct {
    VersionInfo version;
    bool lockHeld;
    TcpValue wanted;
    const char* error;
  } refusedBeforeNetsh[] = {
      {Nt(6, 1), true, {"rss", "disabled"}, kAnotherCopyWriting},
      {Nt(6, 1), false, {"rsc", "disabled"}, "Windows 7 has no TCP setting \"rsc\""},
      {test::WinXP(), false, {"rss", "disabled"}, kNeedsVista},
  };
  for (const auto& row : refusedBeforeNetsh) {
    ApplyRig rig(row.version, false);
    rig.platform.writerLockHeld = row.lockHeld;
    EXPECT_EQ(rig.Error({row.wanted}), row.error);
    EXPECT_TRUE(rig.platform.runs.empty()) << row.error;
  }
}

// Every way a netsh run can go wrong leaves the settings as they were and
// names the setting that failed, not the first one of the script.
TEST(ModernTcpApply, WhatIsAskedIsInForceOrNothingChanged) {
  const struct {
    const char* netsh;  // the stand-in's state lines added to a fresh Windows 10
    std::vector<TcpValue> wanted;
    std::string error;
    std::size_t runs;
    std::size_t hangAt = 0;  // this run is ended at the time limit, having done its work
  } rows[] = {
      {"refuse=rsc", {{"initialrto", "3000"}, {"rsc", "disabled"}},
       "netsh refused rsc=disabled: Der Parameter ist falsch.", 4},
      {"ignore=initialrto", {{"rss", "disabled"}, {"initialrto", "3000"}},
       "netsh did not set initialrto=3000: netsh reports initialrto=1000; nothing was changed.", 4},
      {"other=autotuninglevel:experimental", {{"autotuninglevel", "restricted"}},
       "netsh did not set autotuninglevel=restricted: netsh reports "
       "autotuninglevel=experimental; nothing was changed.", 4},
      {"other=mtu@Ethernet 2:1400", {{"mtu@Ethernet 2", "1492"}},
       "netsh did not set mtu@Ethernet 2=1492: netsh reports mtu@Ethernet 2=1400; nothing was "
       "changed.", 4},
      // Gone, it cannot be set back: said so on a line of its own.
      {"drop=timestamps", {{"rss", "disabled"}, {"timestamps", "enabled"}},
       "netsh did not set timestamps=enabled: netsh no longer reports timestamps.\nThe settings "
       "it had already changed could not be put back: timestamps=disabled (netsh no longer "
       "reports timestamps)",
       5},  // the journal reads what is left
      // Put back around the setting that is gone, in one more run.
      {"drop=timestamps", {{"timestamps", "enabled"}, {"rss", "disabled"}},
       "netsh did not set timestamps=enabled: netsh no longer reports timestamps.\nThe settings "
       "it had already changed could not be put back: timestamps=disabled (netsh no longer "
       "reports timestamps)",
       7},
      {"", {{"rss", "disabled"}, {"initialrto", "3000"}}, kNetshTimedOut, 4, 2},
      // Refused before anything is written.
      {"timestamps=", {{"timestamps", "enabled"}},
       "netsh did not report timestamps; nothing was changed.", 1},
      {"autotuninglevel=fast", {{"autotuninglevel", "normal"}},
       "netsh reports autotuninglevel=fast, which could not be put back; nothing was changed.", 1},
      {"", {{"rss", "disabled"}, {"rss", "enabled"}}, "rss is given twice.", 0},
      {"", {{"mtu@Ethernet 2", "1400"}, {"mtu@ETHERNET 2", "1500"}},
       "mtu@ETHERNET 2 is given twice.", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.netsh);
    ApplyRig rig(Nt(10, 0, 19045), true);
    const test::NetshState added = test::NetshState::Parse(row.netsh);
    rig.netsh.drop = added.drop;
    rig.netsh.ignore = added.ignore;
    rig.netsh.other = added.other;
    rig.netsh.refuse = added.refuse;
    for (const auto& [name, value] : added.values) rig.netsh.Set(name, value);
    rig.netsh.values.erase(std::remove_if(rig.netsh.values.begin(), rig.netsh.values.end(),
                                          [](const auto& nv) { return nv.second.empty(); }),
                           rig.netsh.values.end());
    if (row.hangAt != 0) rig.HangAt(row.hangAt);
    auto before = rig.netsh.values;
    if (!added.drop.empty())
      before.erase(std::find_if(before.begin(), before.end(),
                                [&](const auto& nv) { return nv.first == added.drop[0]; }));
    EXPECT_EQ(rig.Error(row.wanted), row.error);
    EXPECT_EQ(rig.netsh.values, before);
    EXPECT_EQ(rig.platform.runs.size(), row.runs);
  }
}

TEST(ModernTcpApply, CommandLineListsSetsScriptsAndRefuses) {
  const struct {
    VersionInfo version;
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> lines;  // the first lines, or all of them with the runs' count
    std::size_t runs;
  } rows[] = {
      {Nt(6, 1), {"/tcp"}, 0,
       {"autotuninglevel\tnormal\tnormal", "congestionprovider\tnone\tnone",
        "ecncapability\tdisabled\tdisabled", "timestamps\tdisabled\tdisabled",
        "rss\tenabled\tenabled"}, 1},
      {Nt(10, 0, 19045), {"/TCP", "ECNCapability=Enabled", "initialrto=3000"}, 0,
       {"autotuninglevel\tnormal\tnormal", "congestionprovider\tcubic\tcubic",
        "ecncapability\tenabled\tdisabled", "timestamps\tdisabled\tdisabled",
        "rss\tenabled\tenabled", "rsc\tenabled\tenabled", "initialrto\t3000\tnot documented",
        "2 settings changed."}, 3},
      {Nt(6, 1), {"/tcp", "rsc=enabled"}, 2,
       {"Internet Zelvora: Windows 7 has no TCP setting \"rsc\"."}, 0},
      {Nt(6, 1), {"/tcp", "mtu@Ethernet 2=1400"}, 2,
       {"Internet Zelvora: \"mtu@ethernet 2\" is not a TCP setting."}, 0},
      {Nt(6, 1), {"/tcp", "rss=disabled", "/script", "C:\\deploy\\tcp.cmd"}, 0,
       {"Wrote 1 netsh lines to C:\\deploy\\tcp.cmd."}, 0},
      {Nt(5, 1), {"/tcp"}, 1,
       {"Internet Zelvora: The modern TCP settings need Windows Vista or later."}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Joined(row.args));
    ApplyRig rig(row.version, row.version.major >= 10);
    std::vector<std::string> out;
    EXPECT_EQ(cli::RunCommandLine(row.args, rig.recorder, rig.profiles, rig.platform,
                                  [&out](const std::string& line) { out.push_back(line); }),
              row.exitCode);
    EXPECT_EQ(out, row.lines);
    EXPECT_EQ(rig.platform.runs.size(), row.runs);
  }
  // The batch file stops at the first line netsh refuses, naming it.
  ApplyRig rig(Nt(6, 1), false);
  cli::RunCommandLine({"/tcp", "rss=disabled", "congestionprovider=ctcp", "/script", "a.cmd"},
                      rig.recorder, rig.profiles, rig.platform, [](const std::string&) {});
  EXPECT_EQ(rig.platform.files["a.cmd"],
            "@echo off\r\nrem The TCP settings of Windows 7 and later, written by Internet "
            "Zelvora.\r\n"
            "netsh interface tcp set global rss=disabled\r\n"
            "if errorlevel 1 (\r\n  echo Internet Zelvora: netsh refused rss=disabled.\r\n"
            "  exit /b 1\r\n)\r\n"
            "netsh interface tcp set global congestionprovider=ctcp\r\n"
            "if errorlevel 1 (\r\n  echo Internet Zelvora: netsh refused "
            "congestionprovider=ctcp.\r\n  exit /b 1\r\n)\r\nexit /b 0\r\n");
  // A refusal exits 1 naming the setting and netsh's message.
  ApplyRig refusing(Nt(6, 1), false);
  refusing.netsh.refuse = {"timestamps"};
  std::vector<std::string> out;
  EXPECT_EQ(cli::RunCommandLine({"/tcp", "timestamps=enabled"}, refusing.recorder,
                                refusing.profiles, refusing.platform,
                                [&out](const std::string& line) { out.push_back(line); }),
            1);
  EXPECT_EQ(out, (std::vector<std::string>{
                     "Internet Zelvora: netsh refused timestamps=enabled: Der Parameter ist falsch."}));

  // A silent netsh, or one that leaves the setting out, changes nothing and
  // says so; a name given twice and a number not in its plain form exit 2
  // before netsh runs, for the batch file too.
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> dropped;  // left out of netsh's reading
    int exitCode;
    std::string line;
    std::size_t runs;
  } faults[] = {
      {{"/tcp"}, {"*"}, 1, std::string("Internet Zelvora: ") + kNetshReportedNothing, 1},
      {{"/tcp", "rss=disabled"}, {"*"}, 1, std::string("Internet Zelvora: ") + kNetshReportedNothing, 1},
      {{"/tcp", "timestamps=enabled"}, {"timestamps"}, 1,
       "Internet Zelvora: netsh did not report timestamps; nothing was changed.", 1},
      {{"/tcp", "rss=enabled"}, {}, 0, "0 settings changed.", 1},
      {{"/tcp", "rss=disabled", "RSS=enabled"}, {}, 2, "Internet Zelvora: rss is given twice.", 0},
      {{"/tcp", "rss=disabled", "rss=disabled", "/script", "a.cmd"}, {}, 2,
       "Internet Zelvora: rss is given twice.", 0},
      {{"/tcp", "initialrto=0300"}, {}, 2,
       "Internet Zelvora: \"initialrto\" takes a number from 300 to 3000 on Windows 10, not "
       "\"0300\".", 0},
  };
  for (const auto& row : faults) {
    SCOPED_TRACE(Joined(row.args));
    ApplyRig rig(Nt(10, 0, 19045), true);
    for (const std::string& gone : row.dropped)
      rig.netsh.values.erase(
          std::remove_if(rig.netsh.values.begin(), rig.netsh.values.end(),
                         [&](const auto& nv) { return gone == "*" || nv.first == gone; }),
          rig.netsh.values.end());
    std::vector<std::string> lines;
    EXPECT_EQ(cli::RunCommandLine(row.args, rig.recorder, rig.profiles, rig.platform,
                                  [&lines](const std::string& line) { lines.push_back(line); }),
              row.exitCode);
    EXPECT_EQ(lines.empty() ? "" : lines.back(), row.line);
    EXPECT_EQ(rig.platform.runs.size(), row.runs);
    EXPECT_TRUE(rig.platform.journalCalls.empty());  // no record of a change not made
    EXPECT_EQ(rig.platform.files.count("a.cmd"), 0u);
  }
}

// The window's rows: a setting netsh leaves out offers no new value, a
// value this version does not take is shown and left as it is, and a netsh
// that reports nothing leaves no row to change.
TEST(ModernTcpApply, TheWindowShowsWhatNetshReports) {
  const struct {
    std::vector<std::string> dropped;  // "*": every setting
    bool noneReported;
    const char* note;
  } rows[] = {
      {{"timestamps"}, false, "1 settings changed. They take effect now; Undo Last Change puts them back."},
      {{"*"}, true, ""},
  };
  for (const auto& row : rows) {
    ApplyRig rig(Nt(10, 0, 19045), true);
    rig.netsh.Set("autotuninglevel", "fast");
    for (const std::string& gone : row.dropped)
      rig.netsh.values.erase(
          std::remove_if(rig.netsh.values.begin(), rig.netsh.values.end(),
                         [&](const auto& nv) { return gone == "*" || nv.first == gone; }),
          rig.netsh.values.end());
    std::string note;
    rig.platform.modernTcpWindow = [&](std::vector<TcpSettingRow>* shown, const auto& apply) {
      EXPECT_EQ(NoneReported(*shown), row.noneReported);
      for (TcpSettingRow& r : *shown) {
        EXPECT_EQ(r.reported, !r.inForce.empty()) << r.name;
        if (!r.reported) EXPECT_TRUE(r.values.empty()) << r.name;
        if (r.name == "autotuninglevel" && r.reported) EXPECT_EQ(r.inForce, "fast");
        if (r.name == "rss" && r.reported) r.chosen = "disabled";
      }
      if (!row.noneReported) note = apply(shown);
    };
    rig.w.OnModernTcp();
    EXPECT_EQ(note, row.note);
    if (!row.noneReported) {
      EXPECT_EQ(*rig.netsh.Get("rss"), "disabled");
      EXPECT_EQ(*rig.netsh.Get("autotuninglevel"), "fast");
    }
  }
}

// An Apply that failed and was put back whole leaves no record: the next
// Undo reaches the change before it. One whose put-back failed keeps its
// record, for Undo to put back what is left.
TEST(ModernTcpApply, AFailedApplyLeavesThePreviousChangeForUndo) {
  const struct {
    const char* fault;
    std::size_t hangAt;
    std::size_t records;  // after the failed Apply
  } rows[] = {{"refuse", 0, 1}, {"ignore", 0, 1}, {"", 5, 1}, {"drop", 0, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.fault) + std::to_string(row.hangAt));
    ApplyRig rig(Nt(10, 0, 19045), true);
    rig.Apply({{"rss", "disabled"}});
    const std::string fault = row.fault;
    if (fault == "refuse") rig.netsh.refuse = {"initialrto"};
    if (fault == "ignore") rig.netsh.ignore = {"initialrto"};
    if (fault == "drop") rig.netsh.drop = {"initialrto"};
    if (row.hangAt != 0) rig.HangAt(row.hangAt);
    EXPECT_NE(rig.Error({{"initialrto", "3000"}}), "(no error)");
    rig.platform.runEnd = nullptr;
    std::size_t records = 0;
    for (const auto& [path, text] : rig.platform.files)
      records += path.find("\\History\\") != std::string::npos;
    EXPECT_EQ(records, row.records);
    if (row.records != 1) continue;
    std::vector<std::string> out;
    EXPECT_EQ(cli::RunCommandLine({"/undo"}, rig.recorder, rig.profiles, rig.platform,
                                  [&out](const std::string& line) { out.push_back(line); }),
              0);
    EXPECT_EQ(*rig.netsh.Get("rss"), "enabled");
    EXPECT_EQ(*rig.netsh.Get("initialrto"), "1000");
  }
}

// A record made on one Windows and undone on another: what this one takes
// goes back, the rest is named before anything is done; before Vista netsh
// is not run at all.
TEST(ModernTcpApply, UndoOnAnotherWindowsPutsBackWhatItTakes) {
  const struct {
    VersionInfo undoOn;
    std::vector<std::string> lines;
    std::size_t runs;
    const char* rss;
  } rows[] = {
      {test::WinXP(),
       {"Undoing Modern TCP Settings of 2026-12-07 14:03:12:", "0 values will be put back.",
        "2 values cannot be put back on this Windows and are kept: rss (netsh), initialrto "
        "(netsh).",
        "Nothing was put back of the change made by Modern TCP Settings on 2026-12-07 at "
        "14:03:12; its record is removed."},
       0, "disabled"},
      {Nt(6, 1),
       {"Undoing Modern TCP Settings of 2026-12-07 14:03:12:", "1 value will be put back.",
        "1 value cannot be put back on this Windows and is kept: initialrto (netsh).",
        "The change made by Modern TCP Settings on 2026-12-07 at 14:03:12 has been undone."},
       3, "enabled"},
  };
  for (const auto& row : rows) {
    ApplyRig rig(Nt(10, 0, 19045), true);
    rig.Apply({{"rss", "disabled"}, {"initialrto", "3000"}});
    rig.platform.version = row.undoOn;
    rig.platform.runs.clear();
    std::vector<std::string> out;
    EXPECT_EQ(cli::RunCommandLine({"/undo"}, rig.recorder, rig.profiles, rig.platform,
                                  [&out](const std::string& line) { out.push_back(line); }),
              0);
    EXPECT_EQ(out, row.lines);
    EXPECT_EQ(rig.platform.runs.size(), row.runs);
    EXPECT_EQ(*rig.netsh.Get("rss"), row.rss);
    EXPECT_EQ(*rig.netsh.Get("initialrto"), "3000");
  }
}

TEST(ModernTcpApply, OptimizeSetsEachTickedInterfacesMtuThroughNetsh) {
  const std::string ethernet = "{11111111-2222-3333-4444-555555555555}";
  const std::string wifi = "{AAAAAAAA-2222-3333-4444-555555555555}";
  const std::string nameless = "{BBBBBBBB-2222-3333-4444-555555555555}";
  for (const VersionInfo& version : {Nt(6, 1), test::WinXP()}) {
    ApplyRig rig(version, false);
    rig.netsh.Set("mtu@Wi-Fi", "1400");
    for (const std::string& guid : {ethernet, wifi, nameless})
      rig.registry.CreateKeyPath(kHKLM, std::string(map::kTcpipInterfacesKey) + "\\" + guid);
    rig.registry.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + ethernet +
                                      "\\Connection", "Name", "Ethernet 2");
    rig.registry.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + wifi +
                                      "\\Connection", "Name", "Wi-Fi");
    EXPECT_EQ(cli::RunCommandLine({"/optimize", "/type", "pppoe", "/method", "1"}, rig.recorder,
                                  rig.profiles, rig.platform, [](const std::string&) {}),
              0);
    const bool vista = version.major >= 6;
    SCOPED_TRACE(vista ? "Windows 7" : "Windows XP");
    // Read, written, read for the journal: only netsh's own name of the
    // connection, the nameless adapter passed over.
    EXPECT_EQ(rig.platform.runs.size(), vista ? 3u : 0u);
    EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), vista ? "1492" : "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu@Wi-Fi"), vista ? "1492" : "1400");
    // Restore Windows Defaults sets Windows' 1500 back in the same way, and
    // its Undo puts back what Optimize left.
    rig.w.OnRestoreDefaults();
    EXPECT_EQ(rig.platform.runs.size(), vista ? 6u : 0u);
    EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu@Wi-Fi"), vista ? "1500" : "1400");
    EXPECT_EQ(cli::RunCommandLine({"/undo"}, rig.recorder, rig.profiles, rig.platform,
                                  [](const std::string&) {}),
              0);
    EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), vista ? "1492" : "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu@Wi-Fi"), vista ? "1492" : "1400");
  }
}

}  // namespace
}  // namespace iz
