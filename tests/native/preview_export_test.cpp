// Preview, export and the command line: Optimize run on a copy. The real
// store below them refuses every write, so a test that passes also shows
// that none was tried.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "commands/izelvora.h"
#include "native/fake_platform.h"
#include "native/optimize_fixture.h"
#include "preview/columns.h"
#include "preview/dry_run.h"
#include "restore/backup.h"
#include "journal/journal.h"
#include "shared/fakes.h"
#include "store/memory_profile.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"

namespace iz::test {
namespace {

// Reads pass through; every write, and every open asking to write, is
// refused and counted.
class WriteRefusingRegistry : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  int attempts = 0;
  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
               HKey* result) override {
    if (access & (kKeySetValue | kKeyCreateSubKey)) return Refuse();
    return ForwardingRegistry::OpenKey(parent, subKey, access, result);
  }
  long CreateKey(HKey, const std::string&, std::uint32_t, HKey*) override { return Refuse(); }
  long SetValue(HKey, const std::string&, std::uint32_t, const void*, std::uint32_t) override {
    return Refuse();
  }
  long DeleteValue(HKey, const std::string&) override { return Refuse(); }

 private:
  long Refuse() {
    ++attempts;
    return kRegAccessDenied;
  }
};

class WriteRefusingProfiles : public MemoryProfileStrings {
 public:
  int attempts = 0;
  bool refuse = true;  // cleared while a test sets the machine up
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    if (!refuse) return MemoryProfileStrings::WriteString(file, section, key, value);
    ++attempts;
    return false;
  }
  void Seed(const std::string& key, const std::string& value) {
    MemoryProfileStrings::WriteString(WinIniPath(*this), map::kSectionPorts, key, value);
  }
};

// A machine (the in-memory registry and Win.ini) seen through the refusing
// store by a main window.
struct Machine {
  MemoryRegistry memory;
  WriteRefusingRegistry registry{memory};
  WriteRefusingProfiles profiles;
  FakePlatform platform;
  TIZelvora w{registry, profiles, platform};

  explicit Machine(const VersionInfo& version) {
    platform.version = version;
    memory.CreateKeyPath(kHKCU, map::kInternetSettingsUpperKey);
  }
  // The state a real Optimize with this profile leaves (Win.ini apart).
  void OptimizedBefore(ConnectionType type, Method method) {
    TIZelvora other(memory, profiles, platform);
    Pick(other, type, method);
    profiles.refuse = false;
    other.Dispatch([&] { other.OnOptimize(); });
    profiles.refuse = true;
  }
  static void Pick(TIZelvora& w, ConnectionType type, Method method) {
    w.Click(w.*kTypeBoxes[static_cast<int>(type)]);
    w.Click(w.*kMethodBoxes[static_cast<int>(method)]);
  }
};

TEST(Preview, ListsOnlyWhatWouldChangeAndWritesNothing) {
  const std::string tcpip =
      "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  struct Row {
    const char* what;
    VersionInfo version;
    bool optimizedBefore;  // with Cable/DSL, method 1
    ConnectionType type;
    Method method;
    std::vector<std::pair<std::string, std::string>> ports;  // Win.ini [Ports] as it stands
    const char* summary;
    PreviewLine first;
  };
  const Row rows[] = {
      {"NT, never optimized",
       WinXP(),
       false,
       ConnectionType::CableDsl,
       Method::Automatic1,
       {},
       "27 of 27 values would change.",
       {tcpip, "DefaultTTL", "(absent)", "64 (0x00000040)", "yes"}},
      {"NT, same profile again",
       WinXP(),
       true,
       ConnectionType::CableDsl,
       Method::Automatic1,
       {},
       "0 of 27 values would change.",
       {}},
      {"NT, Cable/DSL to Modem",
       WinXP(),
       true,
       ConnectionType::Modem,
       Method::Automatic1,
       {},
       "14 of 27 values would change.",
       {tcpip, "DefaultTTL", "64 (0x00000040)", "128 (0x00000080)", "yes"}},
      {"9x, one port already set",
       Win98(),
       false,
       ConnectionType::Modem,
       Method::Automatic2,
       {{"COM1:", "921600,n,8,1,p"}, {"COM2:", "9600,n,8,1,x"}},
       "42 of 43 values would change.",
       {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP", "DefaultTTL",
        "(absent)", "128", "yes"}},
      {"9x, another method",
       Win98(),
       true,
       ConnectionType::CableDsl,
       Method::Automatic3,
       {},
       "3 of 43 values would change.",
       {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP", "DefaultRcvWindow",
        "256960", "178120", "yes"}},  // 98 reads strings there
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Machine m(row.version);
    if (row.optimizedBefore) m.OptimizedBefore(ConnectionType::CableDsl, Method::Automatic1);
    for (const auto& [port, value] : row.ports) m.profiles.Seed(port, value);
    const auto before = m.memory.Dump();
    const std::string iniBefore = m.profiles.Text(WinIniPath(m.profiles));
    m.registry.attempts = m.profiles.attempts = 0;

    Machine::Pick(m.w, row.type, row.method);
    m.w.Dispatch([&] { m.w.OnPreviewChanges(); });

    ASSERT_EQ(m.platform.previews.size(), 1u) << m.platform.calls.back();
    const PreviewReport& report = m.platform.previews[0];
    EXPECT_EQ(report.Summary(), row.summary);
    EXPECT_EQ(m.registry.attempts + m.profiles.attempts, 0);
    EXPECT_EQ(m.memory.Dump(), before);
    EXPECT_EQ(m.profiles.Text(WinIniPath(m.profiles)), iniBefore);
    if (report.changes.empty()) continue;
    EXPECT_EQ(report.changes.front(), row.first);
    if (!row.ports.empty()) {
      // COM1: stands as Optimize writes it; COM2: changes.
      EXPECT_EQ(report.changes[report.changes.size() - 4],
                (PreviewLine{"Win.ini [Ports]", "COM2:", "9600,n,8,1,x", "921600,n,8,1,p", "yes"}));
    }
  }
}

// The window's columns: the value and its change first, where it lives last
// and without the root that every row would repeat; the whole path stays
// for what lies outside those roots, and for the detail line.
TEST(Preview, ColumnsPutTheValueFirstAndTheLocationShortLast) {
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < kPreviewColumnCount; ++i) titles.push_back(kPreviewColumns[i].title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Value", "Now", "After Optimize",
                                              "Read by this Windows", "Location"}));
  const struct {
    const char* location;
    const char* shown;
  } places[] = {
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters",
       "...\\Tcpip\\Parameters"},
      // The parameter map spells the roots both ways.
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{1}",
       "...\\Tcpip\\Parameters\\Interfaces\\{1}"},
      {"HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
       "...\\Internet Settings"},
      // A root alone, a name that only begins like one, another root, Win.ini.
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\",
       "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\"},
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\ServicesX\\Tcpip",
       "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\ServicesX\\Tcpip"},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\2",
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\2"},
      {"Win.ini [Ports]", "Win.ini [Ports]"},
  };
  for (const auto& place : places) {
    const PreviewLine line{place.location, "DefaultTTL", "(absent)", "64 (0x00000040)", "yes"};
    std::vector<std::string> row;
    for (std::size_t i = 0; i < kPreviewColumnCount; ++i) row.push_back(kPreviewColumns[i].text(line));
    EXPECT_EQ(row, (std::vector<std::string>{"DefaultTTL", "(absent)", "64 (0x00000040)", "yes",
                                             place.shown}));
  }
}

// Optimize's preconditions, with their messages and no dialog; "&Optimize"
// in the dialog runs the command itself.
TEST(Preview, KeepsOptimizesChecksAndItsButtonOptimizes) {
  Machine none(WinXP());
  none.w.Dispatch([&] { none.w.OnPreviewChanges(); });
  none.w.Dispatch([&] { none.w.OnExportRegFile(); });
  EXPECT_EQ(none.platform.calls,
            (std::vector<std::string>{
                "MessageBox Information: You must choose a connection type first.",
                "MessageBox Information: You must choose a connection type first."}));

  Machine bad(WinXP());
  Machine::Pick(bad.w, ConnectionType::Isdn, Method::Automatic1);
  bad.w.Click(bad.w.customMode);
  bad.w.SetText(bad.w.maxConnections, "many");
  bad.w.Dispatch([&] { bad.w.OnPreviewChanges(); });
  bad.w.Dispatch([&] { bad.w.OnExportRegFile(); });
  EXPECT_EQ(bad.platform.calls,
            (std::vector<std::string>{
                "MessageBox Internet Zelvora 2.19: 'many' is not a valid integer value.",
                "MessageBox Internet Zelvora 2.19: 'many' is not a valid integer value."}));

  optimize_test::Rig rig(WinXP());
  rig.platform.previewOptimizes = true;
  Machine::Pick(rig.w, ConnectionType::Isdn, Method::Automatic1);
  rig.w.Dispatch([&] { rig.w.OnPreviewChanges(); });
  ASSERT_EQ(rig.platform.calls.size(), 2u);
  EXPECT_EQ(rig.platform.calls[0], "ShowPreview 27 of 27 values would change.");
  EXPECT_EQ(rig.platform.calls[1].rfind("MessageBox Confirm: Your ISDN connection", 0), 0u);
  EXPECT_EQ(rig.recorder.writes.size(), 22u);
}

// regedit of the file on an empty machine leaves what Optimize leaves there;
// a comment stands above each block, or value, that the Windows does not read.
TEST(Export, ImportedFileGivesTheValuesOptimizeWrites) {
  const std::string hklm = "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\";
  const std::string only9x = "; Not read: only Windows 95, 98 and Me read this key";
  const struct {
    VersionInfo version;
    std::vector<std::string> excerpts;
    int notRead;  // comments in all
  } rows[] = {
      {WinXP(),
       {"; Not read: no Windows reads this key" + hklm +
            "Tcpip\\Parameters\\Interfaces\\interface]",
        only9x + hklm + "VxD\\NWLink\\Ndi\\params\\cachesize]", only9x + hklm + "VxD\\VCACHE]",
        only9x + hklm + "Class\\Net\\0000]"},
       7},
      {{kVerPlatformWin32NT, 6, 1, "Service Pack 1"},
       {"\"SackOpts\"=dword:00000001\r\n"
        "; Not read: Vista and later size the receive window themselves\r\n\"TcpWindowSize\"=",
        only9x + hklm + "VxD\\COMBUFF]"},
       8},
      // 98 reads the MSTCP values as strings, and the window value misspelt.
      {Win98(),
       {"\r\n; Not read: Windows 98 reads the misspelt name GlobalMaxTcpWindoSize instead\r\n"
        "\"GlobalMaxTcpWindowSize\"=",
        "\"PMTUDiscovery\"=\"1\"", "\"DefaultRcvWindow\"=\"256960\""},
       1},
  };
  for (const auto& row : rows) {
    const VersionInfo& version = row.version;
    SCOPED_TRACE(version.minor);
    optimize_test::Rig rig(version);
    rig.platform.saveAs = "C:\\Deploy\\cable.reg";
    Machine::Pick(rig.w, ConnectionType::CableDsl, Method::Automatic1);
    rig.w.Dispatch([&] { rig.w.OnExportRegFile(); });
    EXPECT_EQ(rig.platform.suggestedNames,
              std::vector<std::string>{"Zelvora Cable-DSL Method 1.reg"});
    EXPECT_EQ(rig.recorder.writes.size(), 0u);
    const std::string text = rig.platform.files[rig.platform.saveAs];
    const bool nt = version.platformId == kVerPlatformWin32NT;
    EXPECT_EQ(text.substr(0, text.find("[")),
              "REGEDIT4\r\n"
              "; Internet Zelvora 2.19: the values Optimize writes\r\n"
              "; Exported 2026-12-07 for " +
                  std::string(nt ? "the Windows NT family (NT 4.0, 2000, XP, Vista, 7, 8, 10, 11 and later)"
                                 : "Windows 98, 98 SE and Millennium") +
                  "\r\n"
                  "; Profile: CABLE / DSL, Automatic Mode 1\r\n"
                  "; Import with \"regedit /s\". HKEY_CURRENT_USER values land in the profile of "
                  "the account that imports the file.\r\n"
                  "; The network adapters' own MTU values are left out: their keys belong to one "
                  "machine. To set them, run \"InternetZelvora.exe /optimize\" on each "
                  "machine.\r\n\r\n");
    EXPECT_NE(
        text.find("[Ports] section of Win.ini in the Windows folder:\r\n"
                  "; COM1:=921600,n,8,1,p\r\n; COM2:=921600,n,8,1,p\r\n; COM3:=921600,n,8,1,p\r\n"
                  "; COM4:=921600,n,8,1,p\r\n; COM5:=921600,n,8,1,p\r\n"),
        std::string::npos);

    for (const std::string& excerpt : row.excerpts)
      EXPECT_NE(text.find(excerpt), std::string::npos) << excerpt;
    // Nothing more: the blocks this Windows reads, or of which no document
    // speaks, stand without a comment.
    int notRead = 0;
    for (std::size_t at = 0; (at = text.find("; Not read: ", at)) != std::string::npos; ++at)
      ++notRead;
    EXPECT_EQ(notRead, row.notRead);
    const RegFileParse parse = ReadRegFile(text);
    ASSERT_TRUE(parse.ok()) << parse.badLine << ": " << parse.reason;
    MemoryRegistry imported;
    imported.CreateKeyPath(kHKCU, map::kInternetSettingsUpperKey);
    PutBackValues(imported, parse.records);

    optimize_test::Rig optimized(version);
    Machine::Pick(optimized.w, ConnectionType::CableDsl, Method::Automatic1);
    optimized.w.Dispatch([&] { optimized.w.OnOptimize(); });
    EXPECT_EQ(parse.records.size(), nt ? 22u : 38u);
    EXPECT_EQ(imported.Dump(), optimized.registry.Dump());
  }
}

// The parsed command as one line: "export x.reg 2 1 nt" (type and method by
// number).
std::string Describe(const cli::Arguments& a) {
  static const char* const kActions[] = {"usage",   "export",  "optimize",
                                         "undo",    "findmtu", "preview"};
  std::string text = kActions[static_cast<int>(a.action)];
  if (a.action == cli::Action::Export) text += " " + a.file;
  if (a.action == cli::Action::FindMtu) text += " " + a.host;
  if (a.action == cli::Action::Export || a.action == cli::Action::Optimize ||
      a.action == cli::Action::Preview) {
    text += " " + std::to_string(static_cast<int>(a.type)) + " " +
            std::to_string(static_cast<int>(a.method) + 1);
  }
  if (a.kind) text += *a.kind == kWin95 ? " 95" : IsNTFamily(*a.kind) ? " nt" : " 9x";
  return text;
}

TEST(CommandLine, AcceptsEachFormWhateverTheSwitchCharacterAndCase) {
  const struct {
    std::vector<std::string> args;
    const char* parsed;
  } rows[] = {
      {{"/?"}, "usage"},
      {{"-?"}, "usage"},
      {{"/undo"}, "undo"},
      {{"-UNDO"}, "undo"},
      {{"/optimize", "/type", "cable", "/method", "1"}, "optimize 2 1"},
      {{"-Optimize", "-Method", "3", "-Type", "EXTREME"}, "optimize 4 3"},
      {{"/export", "x.reg", "/type", "modem", "/method", "2"}, "export x.reg 0 2"},
      {{"/type", "pppoe", "/method", "1", "/export", "\\\\s\\a b.reg", "/family", "9X"},
       "export \\\\s\\a b.reg 3 1 9x"},
      {{"-export", "x.reg", "-type", "isdn", "-method", "3", "-family", "nt"},
       "export x.reg 1 3 nt"},
      {{"-FindMTU", "gw.example"}, "findmtu gw.example"},
      {{"/export", "x.reg", "/type", "modem", "/method", "1", "/family", "95"},
       "export x.reg 0 1 95"},
      {{"/preview", "/type", "cable", "/method", "2"}, "preview 2 2"},
      {{"-PREVIEW", "-method", "1", "-type", "modem"}, "preview 0 1"},
  };
  for (const auto& row : rows) {
    const cli::ParsedArguments p = cli::ParseArguments(row.args);
    EXPECT_TRUE(p.ok()) << row.parsed << ": " << p.error;
    EXPECT_EQ(Describe(p.arguments), row.parsed);
  }
}

TEST(CommandLine, EveryBadArgumentGivesTwoTheReasonAndTheUsageAndWritesNothing) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } rows[] = {
      {{}, "no command given (/export, /optimize, /preview, /undo, /findmtu, /tcp or /?)"},
      {{"/frobnicate"}, "unknown argument \"/frobnicate\""},
      {{"cable"}, "unexpected argument \"cable\""},
      {{"/export"}, "/export needs a value"},
      {{"/export", ""}, "/export needs a value"},
      // A forgotten value is reported, never filled by the next switch,
      // whichever character that switch starts with.
      {{"/export", "/type", "cable", "/method", "1"}, "/export needs a value"},
      {{"-export", "-type", "cable", "-method", "1"}, "-export needs a value"},
      {{"/export", "-"}, "/export needs a value"},
      {{"/export", "a.reg", "/type", "cable"}, "/method is missing"},
      {{"/export", "a.reg", "/method", "1"}, "/type is missing"},
      {{"/export", "a.reg", "/type", "dsl", "/method", "1"}, "bad /type \"dsl\""},
      {{"/export", "a.reg", "/type", "cable", "/method", "4"}, "bad /method \"4\""},
      {{"/export", "a.reg", "/type", "cable", "/method", "12"}, "bad /method \"12\""},
      {{"/export", "a.reg", "/type", "cable", "/method"}, "/method needs a value"},
      {{"/export", "a.reg", "/type", "cable", "/method", "1", "/family", "xp"},
       "bad /family \"xp\""},
      {{"/export", "a.reg", "/type", "cable", "/type", "modem", "/method", "1"},
       "/type is given twice"},
      {{"/optimize", "/type", "cable", "/method", "1", "/family", "nt"},
       "/family goes with /export only"},
      {{"/preview", "/type", "cable", "/method", "1", "/family", "95"},
       "/family goes with /export only"},
      {{"/preview", "/method", "1"}, "/type is missing"},
      {{"/optimize", "/export", "a.reg", "/type", "cable", "/method", "1"},
       "only one of /export, /optimize, /preview, /undo, /findmtu, /tcp and /? may be given (/export)"},
      {{"/preview", "/optimize", "/type", "cable", "/method", "1"},
       "only one of /export, /optimize, /preview, /undo, /findmtu, /tcp and /? may be given "
       "(/optimize)"},
      {{"/?", "/type", "cable"}, "/type and /method go with /export, /optimize or /preview"},
      {{"/undo", "/type", "cable", "/method", "1"},
       "/type and /method go with /export, /optimize or /preview"},
      {{"/?", "/optimize", "/type", "cable", "/method", "1"},
       "only one of /export, /optimize, /preview, /undo, /findmtu, /tcp and /? may be given "
       "(/optimize)"},
      {{"/findmtu"}, "/findmtu needs a value"},
      {{"/findmtu", "gw", "/type", "cable"},
       "/type and /method go with /export, /optimize or /preview"},
      {{"/tcp", "rss"}, "bad /tcp setting \"rss\", not NAME=VALUE"},
      {{"/tcp", "=enabled"}, "bad /tcp setting \"=enabled\", not NAME=VALUE"},
      {{"/tcp", "/script", "a.cmd"}, "/script goes with /tcp NAME=VALUE or /undo only"},
      {{"/tcp", "rss=enabled", "/script"}, "/script needs a value"},
      {{"/findmtu", "gw", "/script", "a.cmd"}, "/script goes with /tcp NAME=VALUE or /undo only"},
      {{"/tcp", "rss=enabled", "/log", "a.log"}, "/log goes with /script only"},
      {{"/tcp", "rss=enabled", "/type", "cable"},
       "/type and /method go with /export, /optimize or /preview"},
      {{"/findmtu", "gw", "/undo"},
       "only one of /export, /optimize, /preview, /undo, /findmtu, /tcp and /? may be given (/undo)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    Machine m(WinXP());
    std::vector<std::string> out;
    EXPECT_EQ(cli::RunCommandLine(row.args, m.registry, m.profiles, m.platform,
                                  [&](const std::string& s) { out.push_back(s); }),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::ParseArguments(row.args).error, row.error);
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0], std::string("Internet Zelvora: ") + row.error + ".");
    EXPECT_EQ(out[1], "Usage:");
    EXPECT_EQ(m.registry.attempts + m.profiles.attempts, 0);
    EXPECT_TRUE(m.platform.files.empty());
  }
}

TEST(CommandLine, ExportsAndOptimizesWithoutAWindow) {
  Machine m(WinXP());
  std::vector<std::string> out;
  auto print = [&](const std::string& s) { out.push_back(s); };
  EXPECT_EQ(cli::RunCommandLine(
                {"-EXPORT", "C:\\a.reg", "/Type", "Cable", "/method", "1", "/family", "9X"},
                m.registry, m.profiles, m.platform, print),
            cli::kExitOk);
  EXPECT_NE(m.platform.files["C:\\a.reg"].find("\"MaxMSS\"=\"1460\""), std::string::npos);
  EXPECT_EQ(out.back(),
            "Wrote 38 registry values for Windows 98, 98 SE and Millennium to C:\\a.reg.");
  EXPECT_EQ(cli::RunCommandLine({"/?"}, m.registry, m.profiles, m.platform, print), cli::kExitOk);
  // /preview prints the preview, five tab-separated fields a value, and writes nothing.
  out.clear();
  EXPECT_EQ(cli::RunCommandLine({"/preview", "/type", "cable", "/method", "1"}, m.registry,
                                m.profiles, m.platform, print),
            cli::kExitOk);
  ASSERT_EQ(out.size(), 28u);
  EXPECT_EQ(out.front(),
            "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\tDefaultTTL\t"
            "(absent)\t64 (0x00000040)\tyes");
  EXPECT_EQ(out.back(), "27 of 27 values would change.");
  EXPECT_EQ(m.registry.attempts, 0);

  m.platform.failCopyTo.insert("C:\\locked.reg");
  EXPECT_EQ(cli::RunCommandLine({"/export", "C:\\locked.reg", "/type", "modem", "/method", "3"},
                                m.registry, m.profiles, m.platform, print),
            cli::kExitFailed);
  EXPECT_EQ(out.back(), "Internet Zelvora: Unable to write to C:\\locked.reg: Access is denied");
  // The refusing store makes Optimize fail at its first key.
  EXPECT_EQ(cli::RunCommandLine({"/optimize", "/type", "modem", "/method", "3"}, m.registry,
                                m.profiles, m.platform, print),
            cli::kExitFailed);

  // /optimize records the change for Undo and /undo puts it back; without a
  // record /optimize asks nobody and writes nothing.
  optimize_test::Rig rig(WinXP());
  const auto before = rig.registry.Dump();
  auto run = [&](const std::vector<std::string>& args) {
    return cli::RunCommandLine(args, rig.recorder, rig.profiles, rig.platform, print);
  };
  EXPECT_EQ(run({"/optimize", "/type", "modem", "/method", "3"}), cli::kExitOk);
  EXPECT_EQ(rig.recorder.writes.size(), 22u);
  EXPECT_EQ(out.back(), "Restart the computer for the new settings to take effect.");
  // A newest record that is not whole is named, and nothing changes.
  const std::string record =
      HistoryFolder(rig.platform) + "\\2026-12-07 14.03.12 #0001 Optimize.reg";
  const std::string whole = rig.platform.files.at(record);
  rig.platform.files[record] = whole.substr(0, whole.size() - 7);
  const auto optimized = rig.registry.Dump();
  EXPECT_EQ(run({"/undo"}), cli::kExitFailed);
  EXPECT_EQ(rig.registry.Dump(), optimized);
  EXPECT_EQ(out.end()[-2], "Internet Zelvora: " + record +
                               " is not complete: it ends before the end of the record");
  rig.platform.files[record] = whole;
  // What it does is said, then done.
  out.clear();
  EXPECT_EQ(run({"/undo"}), cli::kExitOk);
  EXPECT_EQ(rig.registry.Dump(), before);
  EXPECT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], "Undoing Optimize of 2026-12-07 14:03:12:");
  EXPECT_EQ(out.back().rfind("The change made by Optimize on 2026-12-07 14:03:12", 0), 0u);
  EXPECT_EQ(run({"/undo"}), cli::kExitOk);
  EXPECT_EQ(out.back(), "There is no change to undo.");

  rig.platform.lockedFolders.insert(HistoryFolder(rig.platform));
  rig.recorder.writes.clear();
  EXPECT_EQ(run({"/optimize", "/type", "modem", "/method", "3"}), cli::kExitFailed);
  EXPECT_EQ(out.back().rfind("Internet Zelvora: Nothing was written", 0), 0u);
  EXPECT_TRUE(rig.recorder.writes.empty());
  EXPECT_TRUE(rig.platform.messages.empty());
}

}  // namespace
}  // namespace iz::test
