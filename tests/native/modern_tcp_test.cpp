// The TCP settings of Vista and later: the table per version, the netsh
// lines built from it, the reading of netsh's answers in another language,
// and the Apply that the window and /tcp share, against the stand-in netsh
// behind the substitute platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "commands/modern_tcp.h"
#include "modern/startup_script.h"
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
    EXPECT_EQ(rig.platform.runs.size(), 3u);
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
       {"Internet Zelvora: \"mtu@Ethernet 2\" is not a TCP setting."}, 0},
      {Nt(6, 1), {"/tcp", "rss=disabled", "/script", "C:\\deploy\\tcp.cmd"}, 0,
       {"Wrote the startup script for every Windows from Vista on to C:\\deploy\\tcp.cmd."}, 0},
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
}

// The lines of one section of a startup script: each netsh command it runs
// (without the program's path) and each "skipped" line of its log.
std::vector<std::string> SectionLines(const std::string& script, const std::string& section) {
  const std::size_t start = script.find("\r\n:iz_section_" + section + "\r\n");
  const std::size_t end = script.find("goto :iz_done", start);
  std::vector<std::string> lines;
  for (std::size_t at = start; at < end;) {
    const std::size_t eol = script.find("\r\n", at);
    std::string line = script.substr(at, eol - at);
    at = eol + 2;
    while (!line.empty() && line[0] == ' ') line.erase(0, 1);
    const std::string netsh = "\"%IZ_NETSH%\" ", skipped = ">>\"%IZ_LOG%\" echo skipped ";
    if (line.compare(0, netsh.size(), netsh) == 0 && line.find(" dump ") == std::string::npos &&
        line.find(" show ") == std::string::npos)
      lines.push_back(line.substr(netsh.size(), line.find(" >>") - netsh.size()));
    if (line.compare(0, skipped.size(), skipped) == 0) lines.push_back(line.substr(line.find("skipped ")));
  }
  return lines;
}

TEST(StartupScript, EachWindowsRunsExactlyTheLinesItAccepts) {
  const std::string global = "interface tcp set global ";
  const std::string cubic = "interface tcp set supplemental template=internet congestionprovider=cubic";
  const std::string mtu = "interface ipv4 set subinterface \"Wi-Fi (2) & ^more!\" mtu=1400 store=persistent";
  const std::string noRsc = "skipped \"rsc=disabled\": Windows 7 has no TCP setting \"rsc\"";
  const struct {
    const char* target;
    std::vector<std::string> lines;
  } rows[] = {
      {"Windows Vista",
       {"skipped \"congestionprovider=cubic\": \"congestionprovider\" takes none or ctcp on "
        "Windows Vista, not \"cubic\"",
        "skipped \"rsc=disabled\": Windows Vista has no TCP setting \"rsc\"", global + "rss=enabled",
        mtu}},
      {"Windows 7",
       {"skipped \"congestionprovider=cubic\": \"congestionprovider\" takes none or ctcp on "
        "Windows 7, not \"cubic\"",
        noRsc, global + "rss=enabled", mtu}},
      {"Windows 8",
       {"skipped \"congestionprovider=cubic\": \"congestionprovider\" takes none, ctcp or dctcp "
        "on Windows 8, not \"cubic\"",
        global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 8.1",
       {"skipped \"congestionprovider=cubic\": \"congestionprovider\" takes none, ctcp or dctcp "
        "on Windows 8.1, not \"cubic\"",
        global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 10", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 11", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
  };
  const std::vector<ScriptTarget> targets = ScriptTargets();
  ASSERT_EQ(targets.size(), std::size(rows));
  const std::string script =
      StartupScript(targets,
                    {{"congestionprovider", "cubic"}, {"rsc", "disabled"}, {"rss", "enabled"},
                     {"mtu@Wi-Fi (2) & ^more!", "1400"}},
                    "");
  for (std::size_t i = 0; i < targets.size(); ++i) {
    SCOPED_TRACE(rows[i].target);
    EXPECT_EQ(targets[i].name, rows[i].target);
    EXPECT_EQ(SectionLines(script, std::to_string(i)), rows[i].lines);
  }
  // Each Windows finds its own section by the numbers the script compares:
  // (major * 100 + minor) * 100000 + build.
  const struct {
    WindowsVersion version;
    const char* target;  // null: none, nothing runs
  } found[] = {{{5, 2, 3790}, nullptr},        {{6, 0, 6002}, "Windows Vista"},
               {{6, 1, 7601}, "Windows 7"},     {{6, 3, 9600}, "Windows 8.1"},
               {{10, 0, 14393}, "Windows 10"},  {{10, 0, 21999}, "Windows 10"},
               {{10, 0, 22000}, "Windows 11"},  {{10, 0, 26100}, "Windows 11"},
               {{11, 0, 30000}, "Windows 11"}};
  for (const auto& f : found) {
    const std::uint64_t number = (f.version.major * 100 + f.version.minor) * 100000ull + f.version.build;
    const char* picked = nullptr;
    for (const ScriptTarget& t : targets) {
      const auto bound = [](const WindowsVersion& v) {
        return (v.major * 100 + v.minor) * 100000ull + v.build;
      };
      const std::string line = "if not defined IZ_SECTION if %IZ_WINVER% GEQ " +
                               std::to_string(bound(t.first)) + " if %IZ_WINVER% LEQ " +
                               std::to_string(bound(t.last)) + " set";
      EXPECT_NE(script.find(line), std::string::npos) << t.name;
      if (!picked && number >= bound(t.first) && number <= bound(t.last)) picked = t.name.c_str();
    }
    EXPECT_STREQ(picked, f.target) << f.version.major << "." << f.version.minor << "." << f.version.build;
  }
}

TEST(StartupScript, CommandLineRefusesWhatNoWindowsTakesOrTheFileCannotQuote) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* line;
  } rows[] = {
      // Made on XP, as on any Windows: only the table decides.
      {{"/tcp", "congestionprovider=bbr2", "MTU@Ethernet 2=1400", "/script", "s.cmd"}, 0,
       "Wrote the startup script for every Windows from Vista on to s.cmd."},
      {{"/undo", "/script", "u.cmd", "/log", "D:\\logs\\tcp.log"}, 0,
       "Wrote the script that puts back the saved TCP settings to u.cmd."},
      {{"/tcp", "rsc=fast", "/script", "s.cmd"}, 2,
       "Internet Zelvora: \"rsc\" takes enabled or disabled on Windows 11, not \"fast\"."},
      {{"/tcp", "autotuning=normal", "/script", "s.cmd"}, 2,
       "Internet Zelvora: no Windows from Vista on has a TCP setting \"autotuning\"."},
      {{"/tcp", "mtu@50% off=1400", "/script", "s.cmd"}, 2,
       "Internet Zelvora: the connection name \"50% off\" cannot go into the script: a startup "
       "script takes printable ASCII characters other than % and \", with no blank at either end."},
      {{"/tcp", "mtu@LAN-Verbindung\xe4=1400", "/script", "s.cmd"}, 2, nullptr},
      {{"/tcp", "mtu@Ethernet =1400", "/script", "s.cmd"}, 2, nullptr},
      {{"/tcp", "mtu@Ethernet=100", "/script", "s.cmd"}, 2,
       "Internet Zelvora: the MTU of \"Ethernet\" must be a number from 576 to 65535, not \"100\"."},
      {{"/tcp", "rss=enabled", "/script", "s.cmd", "/log", "%TEMP%\\tcp.log"}, 2,
       "Internet Zelvora: the log path \"%TEMP%\\tcp.log\" cannot go into the script: a startup "
       "script takes printable ASCII characters other than % and \", with no blank at either end."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Joined(row.args));
    ApplyRig rig(test::WinXP(), false);
    std::vector<std::string> out;
    EXPECT_EQ(cli::RunCommandLine(row.args, rig.recorder, rig.profiles, rig.platform,
                                  [&out](const std::string& line) { out.push_back(line); }),
              row.exitCode);
    ASSERT_FALSE(out.empty());
    if (row.line) {
      EXPECT_EQ(out[0], row.line);
    }
    EXPECT_EQ(rig.platform.files.size(), row.exitCode == 0 ? 1u : 0u);
    EXPECT_TRUE(rig.platform.runs.empty());
  }
  // The connection's name keeps its case; the log path is the one given.
  ApplyRig rig(test::WinXP(), false);
  cli::RunCommandLine({"/tcp", "MTU@Ethernet 2=1400", "/script", "s.cmd", "/log", "D:\\tcp.log"},
                      rig.recorder, rig.profiles, rig.platform, [](const std::string&) {});
  EXPECT_NE(rig.platform.files["s.cmd"].find("subinterface \"Ethernet 2\" mtu=1400"), std::string::npos);
  EXPECT_NE(rig.platform.files["s.cmd"].find("set \"IZ_LOG=D:\\tcp.log\"\r\n"), std::string::npos);
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
  }
}

}  // namespace
}  // namespace iz
