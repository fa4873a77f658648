// The TCP settings of Vista and later: the table per version, the netsh
// lines built from it, the reading of netsh's answers in another language,
// and the Apply that the window and /tcp share, against the stand-in netsh
// behind the substitute platform.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <algorithm>
#include <chrono>
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

RunningWindows Server(int kind, std::uint32_t build = 0) { return {kind, build, true}; }

TEST(ModernTcpTable, SettingsDefaultsCommandsAndRefusalsPerBuildAndEdition) {
  const std::string vista = "autotuninglevel heuristics congestionprovider ecncapability "
                            "timestamps rss";
  const std::string eight = vista + " rsc initialrto";
  const std::string nine = "autotuninglevel congestionprovider ecncapability timestamps rss rsc "
                           "initialrto maxsynretransmissions nonsackrttresiliency";
  const std::string ten = nine + " fastopen fastopenfallback hystart pacingprofile";
  const std::string nd = kNotDocumented;
  const struct {
    RunningWindows windows;
    std::string names;
    std::string defaults;
    const char* congestion;  // the command that sets the congestion provider
    TcpValue refused;
    const char* reason;
  } rows[] = {
      {ClientOf(kWinVista, 6002), vista, "normal " + nd + " none disabled disabled enabled",
       "interface tcp set global congestionprovider=ctcp", {"rsc", "enabled"},
       "Windows Vista has no TCP setting \"rsc\""},
      // Server 2008 and 2008 R2 run Compound TCP by default.
      {Server(kWinVista, 6002), vista, "normal " + nd + " ctcp disabled disabled enabled",
       "interface tcp set global congestionprovider=ctcp", {"rsc", "enabled"},
       "Windows Server 2008 has no TCP setting \"rsc\""},
      {ClientOf(kWin7, 7601), vista, "normal " + nd + " none disabled disabled enabled",
       "interface tcp set global congestionprovider=ctcp", {"congestionprovider", "cubic"},
       "\"congestionprovider\" takes none or ctcp on Windows 7, not \"cubic\""},
      {Server(kWin7, 7601), vista, "normal " + nd + " ctcp disabled disabled enabled",
       "interface tcp set global congestionprovider=ctcp", {"heuristics", "default"},
       "\"heuristics\" takes enabled or disabled on Windows Server 2008 R2, not \"default\""},
      {ClientOf(kWin8, 9200), eight,
       "normal " + nd + " " + nd + " " + nd + " disabled enabled " + nd + " 3000",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"initialrto", "200"},
       "\"initialrto\" takes a number from 300 to 3000 on Windows 8, not \"200\""},
      // ECN is on by default on Server 2012 and 2012 R2.
      {Server(kWin8, 9200), eight,
       "normal " + nd + " " + nd + " enabled disabled enabled " + nd + " 3000",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"fastopen", "enabled"}, "Windows Server 2012 has no TCP setting \"fastopen\""},
      // From 8.1 on the heuristics are off and not offered.
      {Server(kWin81, 9600), nine, "normal " + nd + " enabled disabled enabled " + nd + " 3000 2 disabled",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"heuristics", "disabled"}, "Windows Server 2012 R2 has no TCP setting \"heuristics\""},
      // Compound TCP before 1709; cubic refused before 1703.
      {ClientOf(kWin10, 10240), nine,
       "normal ctcp disabled disabled enabled " + nd + " 3000 2 disabled",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"congestionprovider", "cubic"},
       "\"congestionprovider\" takes none, ctcp or dctcp on Windows 10, not \"cubic\""},
      {Server(kWin10, 14393), nine + " fastopen",
       "normal ctcp " + nd + " " + nd + " enabled " + nd + " 3000 2 disabled enabled",
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"hystart", "enabled"}, "Windows Server 2016 has no TCP setting \"hystart\""},
      {ClientOf(kWin10, 15063), nine + " fastopen fastopenfallback",
       "normal ctcp disabled disabled enabled " + nd + " 3000 2 disabled enabled " + nd,
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"hystart", "enabled"}, "Windows 10 has no TCP setting \"hystart\""},
      {ClientOf(kWin10, 19045), ten,
       "normal cubic disabled disabled enabled " + nd + " 3000 2 disabled enabled " + nd + " " + nd +
           " " + nd,
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"congestionprovider", "bbr2"},
       "\"congestionprovider\" takes none, ctcp, dctcp, newreno or cubic on Windows 10, not "
       "\"bbr2\""},
      {Server(kWin10, 20348), ten + " prr",
       "normal cubic " + nd + " " + nd + " enabled " + nd + " 3000 2 disabled enabled " + nd + " " +
           nd + " " + nd + " " + nd,
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"pacingprofile", "sometimes"},
       "\"pacingprofile\" takes off, initialwindow, slowstart or always on Windows Server 2022, "
       "not \"sometimes\""},
      // bbr2 from 22H2 on only.
      {ClientOf(kWin11, 22000), ten + " prr",
       "normal cubic " + nd + " " + nd + " enabled " + nd + " 3000 2 disabled enabled " + nd + " " +
           nd + " " + nd + " " + nd,
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"congestionprovider", "bbr2"},
       "\"congestionprovider\" takes none, ctcp, dctcp, newreno or cubic on Windows 11, not "
       "\"bbr2\""},
      {Server(kWin11, 26100), ten + " prr",
       "normal cubic " + nd + " " + nd + " enabled " + nd + " 3000 2 disabled enabled " + nd + " " +
           nd + " " + nd + " " + nd,
       "interface tcp set supplemental template=internet congestionprovider=ctcp",
       {"autotuninglevel", "Normal"},
       "\"autotuninglevel\" takes disabled, highlyrestricted, restricted, normal or experimental "
       "on Windows Server 2025, not \"Normal\""},
      {ClientOf(kWinXP, 2600), "", "", "interface tcp set global congestionprovider=ctcp",
       {"rss", "enabled"}, kNeedsVista},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(WindowsName(row.windows) + " " + std::to_string(row.windows.build));
    std::vector<std::string> defaults;
    for (const TcpSettingInfo& s : TcpSettingsFor(row.windows)) {
      defaults.push_back(s.defaultValue);
      // A default the window offers must be a value the version accepts.
      if (s.defaultValue != kNotDocumented) {
        EXPECT_EQ(CheckTcpValue(row.windows, {s.name, s.defaultValue}), "") << s.name;
      }
    }
    EXPECT_EQ(Joined(TcpSettingNames(row.windows)), row.names);
    EXPECT_EQ(Joined(defaults), row.defaults);
    EXPECT_EQ(HasModernTcpSettings(row.windows), row.windows.kind != kWinXP);
    EXPECT_EQ(NetshCommand(row.windows, {"congestionprovider", "ctcp"}), row.congestion);
    EXPECT_EQ(CheckTcpValue(row.windows, row.refused), row.reason);
  }
  EXPECT_EQ(CheckTcpValue(ClientOf(kWin11, 22621), {"congestionprovider", "bbr2"}), "");
  // Heuristics that are on may override the auto-tuning level, up to 8 only.
  const std::vector<TcpValue> on = {{"heuristics", "enabled"}}, off = {{"heuristics", "disabled"}};
  EXPECT_NE(HeuristicsNote(ClientOf(kWin7), on).find("may be theirs"), std::string::npos);
  EXPECT_EQ(HeuristicsNote(ClientOf(kWin7), off), "");
  EXPECT_EQ(HeuristicsNote(ClientOf(kWin7), {}), "");
  EXPECT_EQ(HeuristicsNote(ClientOf(kWin10, 19045), on), "");
  EXPECT_EQ(NetshCommand(ClientOf(kWin7), {"heuristics", "disabled"}),
            "interface tcp set heuristics disabled");
  // An interface MTU: a connection name in quotes, a number in range; IPv6's
  // by its own command, from 1280 on.
  EXPECT_EQ(NetshCommand(ClientOf(kWin10, 19045), {"mtu6@PPPoE", "1492"}),
            "interface ipv6 set subinterface \"PPPoE\" mtu=1492 store=persistent");
  EXPECT_EQ(CheckTcpValue(ClientOf(kWin10, 19045), {"mtu6@PPPoE", "1279"}),
            "the IPv6 MTU of \"PPPoE\" must be a number from 1280 to 65535, not \"1279\"");
  EXPECT_TRUE(IsTcpSettingName("mtu6@PPPoE"));
  EXPECT_FALSE(IsTcpSettingName("mtu6@"));
  EXPECT_EQ(NetshCommand(ClientOf(kWin7), {"mtu@Ethernet 2", "1492"}),
            "interface ipv4 set subinterface \"Ethernet 2\" mtu=1492 store=persistent");
  EXPECT_EQ(CheckTcpValue(ClientOf(kWin10, 19045), {"mtu@Ethernet 2", "70000"}),
            "the MTU of \"Ethernet 2\" must be a number from 576 to 65535, not \"70000\"");
  EXPECT_EQ(CheckTcpValue(ClientOf(kWin10, 19045), {"mtu@Evil\" & del", "1500"}),
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
      {{"mtu6@Ethernet", "01500"},
       "the IPv6 MTU of \"Ethernet\" must be a number from 1280 to 65535, not \"01500\""},
      {{"mtu6@Ethernet ", "1500"}, "\"Ethernet \" is not a connection name netsh can take"},
  };
  for (const auto& row : plain)
    EXPECT_EQ(CheckTcpValue(ClientOf(kWin10, 19045), row.value), row.reason);
}

// Every claim names where it comes from: a page's address, netsh's own help,
// or "reported:"; and the claims a review found wrong stay mended.
TEST(ModernTcpTable, EveryClaimNamesItsSource) {
  const RunningWindows systems[] = {ClientOf(kWinVista), Server(kWin7),        ClientOf(kWin8),
                                    Server(kWin81),      ClientOf(kWin10, 10240), Server(kWin10, 20348),
                                    ClientOf(kWin11, 22621), ClientOf(kWinLater, 30000)};
  for (const RunningWindows& w : systems) {
    for (const TcpSettingInfo& s : TcpSettingsFor(w)) {
      SCOPED_TRACE(WindowsName(w) + " " + s.name);
      EXPECT_FALSE(s.effect.empty());
      const bool sourced = s.source.find("https://") != std::string::npos ||
                           s.source.find("http://") != std::string::npos ||
                           s.source.rfind("reported:", 0) == 0 ||
                           s.source.find("netsh's own help") != std::string::npos;
      EXPECT_TRUE(sourced) << s.source;
    }
  }
  const struct {
    RunningWindows windows;
    const char* name;
    const char* needle;  // in the effect
    const char* defaultValue;
    const char* hurts;
  } claims[] = {
      // highlyrestricted scales by 2; only disabled stops at 64 KB; experimental is marked.
      {ClientOf(kWin10, 19045), "autotuninglevel", "disabled fixes it at 64 KB; highlyrestricted, "
       "restricted and normal scale it by 2, 4 and 8", "normal", "disabled experimental"},
      {ClientOf(kWin81), "autotuninglevel", "heuristics", "normal", "disabled experimental"},
      {ClientOf(kWin8, 9200), "initialrto", "resends sooner", "3000", ""},
      {ClientOf(kWin11, 22621), "congestionprovider", "bbr2", "cubic", "bbr2"},
      {ClientOf(kWin7), "heuristics", "not the one chosen", kNotDocumented, ""},
  };
  for (const auto& c : claims) {
    SCOPED_TRACE(c.name);
    bool found = false;
    for (const TcpSettingInfo& s : TcpSettingsFor(c.windows)) {
      if (s.name != c.name) continue;
      found = true;
      EXPECT_NE(s.effect.find(c.needle), std::string::npos) << s.effect;
      EXPECT_EQ(s.defaultValue, c.defaultValue);
      EXPECT_EQ(Joined(s.hurts), c.hurts);
    }
    EXPECT_TRUE(found);
  }
}

// The help's modern page quotes every effect word for word, and names every
// setting; the page a user reads cannot drift from the window.
TEST(ModernTcpTable, TheHelpQuotesEveryEffect) {
  std::ifstream file(std::string(IZ_SOURCE_DIR) + "/resources/help/modern_tcp.htm");
  const std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(page.empty());
  const RunningWindows systems[] = {ClientOf(kWinVista), Server(kWin7), Server(kWin81),
                                    ClientOf(kWin10, 19045), Server(kWin10, 20348),
                                    ClientOf(kWin11, 22621)};
  for (const RunningWindows& w : systems) {
    for (const TcpSettingInfo& s : TcpSettingsFor(w)) {
      EXPECT_NE(page.find("<tr><td>" + s.name + "</td>"), std::string::npos) << s.name;
      // The effects on 8.1 and later add the heuristics' sentence, quoted apart.
      const std::string effect = s.effect.substr(0, s.effect.find(" Windows Scaling heuristics, which"));
      EXPECT_NE(page.find(effect), std::string::npos) << s.name << ": " << effect;
    }
  }
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
                                          {"nonsackrttresiliency", "disabled"},
                                          {"maxsynretransmissions", "2"},
                                          {"fastopen", "enabled"},      {"fastopenfallback", "enabled"},
                                          {"hystart", "enabled"},       {"pacingprofile", "off"},
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
  // IPv4's table, then IPv6's, in one output: told apart by their rules.
  const std::string both = "set global rss=enabled\r\n   MTU  Status\r\n------  ------\r\n"
                           "  1492  1  2  3  PPPoE\r\n\r\n   MTU  Status\r\n------  ------\r\n"
                           "  1500  1  2  3  PPPoE\r\n";
  EXPECT_EQ(ReadSubinterfaceTables(both, {kInterfaceMtuPrefix, kInterfaceMtu6Prefix}, true),
            (std::vector<TcpValue>{{"mtu@PPPoE", "1492"}, {"mtu6@PPPoE", "1500"}}));
  EXPECT_EQ(ReadSubinterfaces("  1500  1  2  3  PPPoE\r\n", kInterfaceMtu6Prefix),
            (std::vector<TcpValue>{{"mtu6@PPPoE", "1500"}}));
  // The heuristics by their own command, the word alone or by name.
  EXPECT_EQ(ReadTcpDump("set heuristics Disabled\r\nset global rss=enabled\r\n"),
            (std::vector<TcpValue>{{"heuristics", "disabled"}, {"rss", "enabled"}}));
  EXPECT_EQ(ReadTcpDump("set heuristics forcews=disabled wsh=enabled\r\n"),
            (std::vector<TcpValue>{{"heuristics", "enabled"}}));
}

// The stand-in's faults are kept in its state file from run to run, and
// those of its logic show in its answers.
TEST(ModernTcpTable, TheStandInsFaultsSurviveItsStateAndShow) {
  const auto none = [](const std::string&, std::string*) { return false; };
  const struct {
    const char* fault;
    const char* value;
    int code;
    bool prints, dumpsTimestamps;
  } rows[] = {
      {"silent", "yes", 0, false, false}, {"hide", "timestamps", 0, true, false},
      {"flood", "yes", 0, true, false},   {"hang", "yes", 0, true, true},
      {"codepage", "850", 0, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault);
    test::NetshState state = test::FreshNetsh(true);
    ASSERT_TRUE(state.faults.Take(row.fault, row.value));
    state = test::NetshState::Parse(state.Text());
    EXPECT_EQ(state.Text(), test::NetshState::Parse(state.Text()).Text());
    EXPECT_EQ(state.values, test::FreshNetsh(true).values);
    std::string out;
    EXPECT_EQ(test::RunNetsh(state, "interface tcp dump", &out, none), row.code);
    EXPECT_EQ(!out.empty(), row.prints);
    EXPECT_EQ(out.find("set global timestamps=") != std::string::npos, row.dumpsTimestamps);
    if (std::string(row.fault) == "flood") EXPECT_GT(out.size(), std::size_t{1} << 20);
  }
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
            // Read in netsh's code page: a byte the program did not write
            // in it comes out as another character.
            text->clear();
            const std::string marked = f->second, mark = "<oem>";
            for (std::size_t i = 0; i < marked.size(); ++i) {
              if (marked.compare(i, mark.size(), mark) == 0 && i + mark.size() < marked.size())
                *text += marked[i += mark.size()];
              else
                *text += static_cast<unsigned char>(marked[i]) > 0x7F ? '?' : marked[i];
            }
            return true;
          }));
      return true;
    };
  }
  TcpApplied Apply(const std::vector<TcpValue>& wanted) {
    NetshAccess access(platform, GetRunningWindows(platform),
                       "C:\\Program Files\\Internet Zelvora\\Backup");
    return ApplyTcpSettings(recorder, profiles, platform, access, GetRunningWindows(platform), wanted,
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
       {"autotuninglevel\tnormal\tnormal", "heuristics\t(not reported)\tnot documented",
        "congestionprovider\tnone\tnone",
        "ecncapability\tdisabled\tdisabled", "timestamps\tdisabled\tdisabled",
        "rss\tenabled\tenabled"}, 1},
      {Nt(10, 0, 19045), {"/TCP", "ECNCapability=Enabled", "initialrto=3000"}, 0,
       {"autotuninglevel\tnormal\tnormal", "congestionprovider\tcubic\tcubic",
        "ecncapability\tenabled\tdisabled", "timestamps\tdisabled\tdisabled",
        "rss\tenabled\tenabled", "rsc\tenabled\tnot documented", "initialrto\t3000\t3000",
        "maxsynretransmissions\t2\t2", "nonsackrttresiliency\tdisabled\tdisabled",
        "fastopen\tenabled\tenabled", "fastopenfallback\tenabled\tnot documented",
        "hystart\tenabled\tnot documented", "pacingprofile\toff\tnot documented",
        "2 settings changed."}, 3},
      {Nt(6, 1), {"/tcp", "rsc=enabled"}, 2,
       {"Internet Zelvora: Windows 7 has no TCP setting \"rsc\"."}, 0},
      {Nt(6, 1), {"/tcp", "mtu@Ethernet 2=1400"}, 2,
       {"Internet Zelvora: \"mtu@Ethernet 2\" is not a TCP setting."}, 0},
      {Nt(6, 1), {"/tcp", "rss=disabled", "/script", "C:\\deploy\\tcp.cmd"}, 0,
       {"Wrote the startup script for every Windows from Vista on to C:\\deploy\\tcp.cmd."}, 0},
      {Nt(10, 0, 19045), {"/TCP", "ECNCapability=Enabled"}, 0,
       {"autotuninglevel\tnormal\tnormal", "congestionprovider\tcubic\tcubic",
        "ecncapability\tenabled\tdisabled", "timestamps\tdisabled\tdisabled",
        "rss\tenabled\tenabled", "rsc\tenabled\tnot documented", "initialrto\t1000\t3000",
        "maxsynretransmissions\t2\t2", "nonsackrttresiliency\tdisabled\tdisabled",
        "fastopen\tenabled\tenabled", "fastopenfallback\tenabled\tnot documented",
        "hystart\tenabled\tnot documented", "pacingprofile\toff\tnot documented",
        "1 setting changed."}, 3},
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
      {{"timestamps"}, false, "1 setting changed. They take effect now; Undo Last Change puts them back."},
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
        "Nothing was put back of the change made by Modern TCP Settings on 2026-12-07 "
        "14:03:12; its record is removed."},
       0, "disabled"},
      {Nt(6, 1),
       {"Undoing Modern TCP Settings of 2026-12-07 14:03:12:", "1 value will be put back.",
        "1 value cannot be put back on this Windows and is kept: initialrto (netsh).",
        "The change made by Modern TCP Settings on 2026-12-07 14:03:12 has been undone."},
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
  const std::string noCubic10 =
      "skipped \"congestionprovider=cubic\": \"congestionprovider\" takes none, ctcp or dctcp on "
      "Windows 10, not \"cubic\"";
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
      // cubic from 1703 (build 15063) on; the later stretches differ in
      // settings these values do not touch.
      {"Windows 10 before build 14393", {noCubic10, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 10 build 14393 to 15062", {noCubic10, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 10 build 15063 to 16298", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 10 build 16299 to 20347", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 10 build 20348 and later", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 11 before build 22621", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
      {"Windows 11 build 22621 and later", {cubic, global + "rsc=disabled", global + "rss=enabled", mtu}},
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
               {{10, 0, 14393}, "Windows 10 build 14393 to 15062"},
               {{10, 0, 21999}, "Windows 10 build 20348 and later"},
               {{10, 0, 22000}, "Windows 11 before build 22621"},
               {{10, 0, 26100}, "Windows 11 build 22621 and later"},
               {{11, 0, 30000}, "Windows 11 build 22621 and later"}};
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
    rig.netsh.Set("mtu@WLAN-Verbindung \xC4", "1400");
    rig.netsh.Set("mtu6@WLAN-Verbindung \xC4", "1280");
    for (const std::string& guid : {ethernet, wifi, nameless})
      rig.registry.CreateKeyPath(kHKLM, std::string(map::kTcpipInterfacesKey) + "\\" + guid);
    rig.registry.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + ethernet +
                                      "\\Connection", "Name", "Ethernet 2");
    rig.registry.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + wifi +
                                      "\\Connection", "Name", "WLAN-Verbindung \xC4");
    std::vector<std::string> said;
    EXPECT_EQ(cli::RunCommandLine({"/optimize", "/type", "pppoe", "/method", "1"}, rig.recorder,
                                  rig.profiles, rig.platform,
                                  [&said](const std::string& line) { said.push_back(line); }),
              0);
    const bool vista = version.major >= 6;
    SCOPED_TRACE(vista ? "Windows 7" : "Windows XP");
    // What netsh set works at once, and is said so; the registry's values
    // still wait for the restart.
    const std::string inForce =
        "Interface MTU 1492 on Ethernet 2 and WLAN-Verbindung \xC4: in force now, no restart "
        "needed.\nIPv6 MTU 1492 on Ethernet 2 and WLAN-Verbindung \xC4: in force now, no restart "
        "needed.";
    EXPECT_EQ(said.size(), vista ? 3u : 2u);
    if (vista && said.size() == 3u) EXPECT_EQ(said[1], inForce);
    // Read, written, read for the journal: only netsh's own name of the
    // connection, the nameless adapter passed over.
    EXPECT_EQ(rig.platform.runs.size(), vista ? 3u : 0u);
    EXPECT_EQ(rig.platform.runsWhileWaiting, vista ? 3 : 0) << "netsh ran on the window's thread";
    EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), vista ? "1492" : "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu@WLAN-Verbindung \xC4"), vista ? "1492" : "1400");
    // IPv6 keeps its own MTU: set beside IPv4's, or a PPPoE link still sends
    // IPv6 at 1500.
    EXPECT_EQ(*rig.netsh.Get("mtu6@Ethernet 2"), vista ? "1492" : "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu6@WLAN-Verbindung \xC4"), vista ? "1492" : "1280");
    // Restore Windows Defaults sets Windows' 1500 back in the same way, IPv6's
    // beside IPv4's, and its Undo puts back what Optimize left.
    rig.w.OnRestoreDefaults();
    EXPECT_EQ(rig.platform.runs.size(), vista ? 6u : 0u);
    ASSERT_FALSE(rig.platform.messages.empty());
    const std::string& asked = rig.platform.messages.back().text;
    const std::string reset =
        "\n\nInterface MTU 1500 on Ethernet 2 and WLAN-Verbindung \xC4: in force now, no restart "
        "needed.\nIPv6 MTU 1500 on Ethernet 2 and WLAN-Verbindung \xC4: in force now, no restart "
        "needed.";
    EXPECT_EQ(asked.size() > reset.size() && asked.compare(asked.size() - reset.size(), reset.size(), reset) == 0, vista) << asked;
    EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu@WLAN-Verbindung \xC4"), vista ? "1500" : "1400");
    EXPECT_EQ(*rig.netsh.Get("mtu6@WLAN-Verbindung \xC4"), vista ? "1500" : "1280");
    std::string undone;
    EXPECT_EQ(cli::RunCommandLine({"/undo"}, rig.recorder, rig.profiles, rig.platform,
                                  [&undone](const std::string& line) { undone += line + "\n"; }),
              0);
    EXPECT_EQ(undone.find(inForce) != std::string::npos, vista) << undone;
    EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), vista ? "1492" : "1500");
    EXPECT_EQ(*rig.netsh.Get("mtu@WLAN-Verbindung \xC4"), vista ? "1492" : "1400");
    EXPECT_EQ(*rig.netsh.Get("mtu6@WLAN-Verbindung \xC4"), vista ? "1492" : "1280");
  }
  // Below IPv6's minimum only IPv4's MTU is set.
  ApplyRig rig(Nt(6, 1), false);
  const std::string guid = "{11111111-2222-3333-4444-555555555555}";
  rig.registry.CreateKeyPath(kHKLM, std::string(map::kTcpipInterfacesKey) + "\\" + guid);
  rig.registry.SetString(kHKLM, std::string(map::kNetworkConnectionsKey) + "\\" + guid +
                                    "\\Connection", "Name", "Ethernet 2");
  std::vector<std::string> said;
  EXPECT_EQ(cli::RunCommandLine({"/optimize", "/type", "modem", "/method", "1"}, rig.recorder,
                                rig.profiles, rig.platform,
                                [&said](const std::string& line) { said.push_back(line); }),
            0);
  ASSERT_EQ(said.size(), 4u);
  EXPECT_EQ(said[1], "The IPv6 MTU is left as it is: IPv6 takes none below 1280.");
  EXPECT_EQ(said[2], "Interface MTU 576 on Ethernet 2: in force now, no restart needed.");
  EXPECT_EQ(*rig.netsh.Get("mtu@Ethernet 2"), "576");
  EXPECT_EQ(*rig.netsh.Get("mtu6@Ethernet 2"), "1500");
  // The preview lists what netsh would set, by the connection's name, and
  // nothing where the MTU in force is already the one asked.
  said.clear();
  EXPECT_EQ(cli::RunCommandLine({"/preview", "/type", "pppoe", "/method", "1"}, rig.recorder,
                                rig.profiles, rig.platform,
                                [&said](const std::string& line) { said.push_back(line); }),
            0);
  const std::vector<std::string> mtuLines(said.end() - 3, said.end() - 1);
  EXPECT_EQ(mtuLines, (std::vector<std::string>{
                          "netsh interface ipv4, in force\tMTU (Ethernet 2)\t576\t1492\tyes",
                          "netsh interface ipv6, in force\tIPv6 MTU (Ethernet 2)\t1500\t1492\tyes"}));
  said.clear();
  rig.netsh.Set("mtu@Ethernet 2", "1492");
  rig.netsh.Set("mtu6@Ethernet 2", "1492");
  cli::RunCommandLine({"/preview", "/type", "pppoe", "/method", "1"}, rig.recorder, rig.profiles,
                      rig.platform, [&said](const std::string& line) { said.push_back(line); });
  for (const std::string& line : said)
    EXPECT_EQ(line.find("netsh interface"), std::string::npos) << line;
}

// A netsh that never ends or prints without end is ended by the platform;
// the command says so, changes nothing and lets the writer lock go.
TEST(ModernTcpApply, ANetshEndedAtItsLimitsChangesNothing) {
  const struct {
    RunEnd end;
    std::size_t at;  // the run that ends so: 0 the reading, 1 the script
    const char* error;
  } rows[] = {
      {RunEnd::TimedOut, 0, "netsh did not finish within 30 s; nothing was changed."},
      {RunEnd::TooMuchOutput, 0,
       "netsh printed more than 1 MiB, which no answer of its own is; nothing was changed."},
      {RunEnd::TimedOut, 1, "netsh did not finish within 30 s; nothing was changed."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    ApplyRig rig(Nt(10, 0, 19045), true);
    const auto before = rig.netsh.values;
    const auto finish = rig.platform.runHidden;
    rig.platform.runEnd = [&](const std::string& program, const std::string& arguments,
                              std::uint32_t* code, std::string* out) {
      if (rig.platform.runs.size() == row.at + 1) return row.end;
      return finish(program, arguments, code, out) ? RunEnd::Finished : RunEnd::NotStarted;
    };
    EXPECT_EQ(rig.Error({{"autotuninglevel", "disabled"}}), row.error);
    EXPECT_EQ(rig.netsh.values, before);
    EXPECT_EQ(rig.platform.lastRunLimits, (std::pair<std::uint32_t, std::size_t>{30000, 1 << 20}));
    EXPECT_EQ(rig.platform.writerLocks, 0);
  }
}

// The window's own work, which the platform runs off its message thread:
// it opens on the table's rows, reads what is in force, and applies; a
// netsh ended at its limit, reading or applying, is reported, the window
// closes where nothing could be read, and the writer lock is let go.
TEST(ModernTcpWindow, ReadsAsItOpensThenAppliesAndReportsANetshEndedAtItsLimit) {
  const struct {
    const char* what;
    int hangsAt;  // the run of netsh that ends at the limit; -1 none
    const char* note;
    std::size_t applied;  // times Apply was reached
    const char* reported;
  } rows[] = {
      {"as it should", -1, "1 setting changed. They take effect now; Undo Last Change puts them back.",
       1, nullptr},
      {"the reading hangs", 0, nullptr, 0, "netsh did not finish within 30 s; nothing was changed."},
      {"the Apply hangs", 2, "", 1, "netsh did not finish within 30 s; nothing was changed."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ApplyRig rig(Nt(10, 0, 19045), true);
    const auto finish = rig.platform.runHidden;
    rig.platform.runEnd = [&](const std::string& program, const std::string& arguments,
                              std::uint32_t* code, std::string* out) {
      if (static_cast<int>(rig.platform.runs.size()) == row.hangsAt + 1) return RunEnd::TimedOut;
      return finish(program, arguments, code, out) ? RunEnd::Finished : RunEnd::NotStarted;
    };
    std::vector<std::string> opened;
    std::string note;
    std::size_t applied = 0;
    rig.platform.modernTcpWindow = [&](std::vector<TcpSettingRow>* shown,
                                       const Platform::TcpRowsWork& apply) {
      for (const TcpSettingRow& r : *shown) opened.push_back(r.name + "=" + r.inForce);
      (*shown)[0].chosen = "disabled";
      ++applied;
      note = apply(shown);
    };
    rig.w.Dispatch([&] { rig.w.OnModernTcp(); });
    EXPECT_EQ(rig.platform.writerLocks, 0);
    EXPECT_EQ(applied, row.applied);
    if (row.applied) {
      EXPECT_EQ(rig.platform.modernTcpNote,
                "Read from netsh just now. Apply sets the new values at once, with no restart; "
                "Undo Last Change puts them back.");
      ASSERT_FALSE(opened.empty());
      EXPECT_EQ(opened[0], "autotuninglevel=normal");
      EXPECT_EQ(note, row.note);
    } else {
      EXPECT_EQ(rig.platform.modernTcpNote, "");
    }
    EXPECT_EQ(*rig.netsh.Get("autotuninglevel"), row.reported ? "normal" : "disabled");
    if (row.reported) {
      ASSERT_EQ(rig.platform.messages.size(), 1u);
      EXPECT_EQ(rig.platform.messages[0].text, row.reported);
    } else {
      EXPECT_TRUE(rig.platform.messages.empty());
    }
  }
}

// Undo in the window runs netsh, which may take its whole time limit, off
// the window's thread, its plan and its putting back alike.
TEST(ModernTcpWindow, UndoRunsNetshWhileTheWindowWaits) {
  ApplyRig rig(Nt(10, 0, 19045), true);
  ASSERT_EQ(rig.Apply({{"autotuninglevel", "disabled"}}).changed, 1u);
  const std::size_t applied = rig.platform.runs.size();
  rig.platform.answers = {MsgAnswer::Yes};
  rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
  EXPECT_EQ(*rig.netsh.Get("autotuninglevel"), "normal");
  EXPECT_GT(rig.platform.runs.size(), applied);
  EXPECT_EQ(rig.platform.runsWhileWaiting, static_cast<int>(rig.platform.runs.size() - applied));
  EXPECT_EQ(rig.platform.writerLocks, 0);
}

}  // namespace
}  // namespace iz
