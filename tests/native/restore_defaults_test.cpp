// Restore Windows Defaults: what each variant leaves in the registry and in
// Win.ini, compared with the parameter map as a whole; where a run stops; the
// prompt and the restart of each kind of system.
#include <sstream>
#include <string>
#include <vector>

#include "native/current_fixture.h"

namespace iz::test {
namespace {

using namespace map;

constexpr const char* kPrompt =
    "Windows Default settings have been restored. Before using the new settings you must "
    "restart your computer. Do you wish to reboot now? ";

using Stored = std::optional<MemoryRegistry::Value>;

std::string Describe(const Location& l, const Stored& v) {
  std::ostringstream out;
  out << l.key << " [" << l.value << "] ";
  if (v) {
    out << *v;
  } else {
    out << "absent";
  }
  return out.str();
}

// Every mapped value as the map says the operation leaves it: its fixed value,
// absent when removed, otherwise as it was before.
std::vector<std::string> ExpectedAfter(Op op, const std::vector<Stored>& before) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const Cell cell = At(kParameterMap[i], op);
    const std::uint32_t n = cell.fixed ? std::stoul(cell.fixed) : 0;
    Stored v = before[i];
    if (cell.act == Act::Dword) v = MemoryRegistry::Value{kRegDword, DwordBytes(n)};
    if (cell.act == Act::String) v = MemoryRegistry::Value{kRegSz, StringBytes(cell.fixed)};
    if (cell.act == Act::Binary) v = MemoryRegistry::Value{kRegBinary, {std::uint8_t(n)}};
    if (cell.act == Act::Remove) v.reset();
    out.push_back(Describe(kParameterMap[i], v));
  }
  return out;
}

std::vector<Stored> Values(const MemoryRegistry& registry) {
  std::vector<Stored> out;
  for (const Location& l : kParameterMap) out.push_back(registry.Get(l.root, l.key, l.value));
  return out;
}

std::vector<std::string> Actual(const MemoryRegistry& registry) {
  std::vector<std::string> out;
  for (const Location& l : kParameterMap) {
    out.push_back(Describe(l, registry.Get(l.root, l.key, l.value)));
  }
  return out;
}

struct Variant {
  Op op;
  VersionInfo version;
};
const Variant kVariants[] = {
    {Op::RestoreNT, WinXP()}, {Op::Restore95, Win95()}, {Op::Restore98, Win98SE()}};

// Every mapped value present beforehand as a DWORD nobody writes, so that a
// value the variant leaves alone is seen to stay and a removal is seen.
TEST(RestoreDefaults, EachVariantWritesWhatTheMapLists) {
  for (const Variant& variant : kVariants) {
    Rig rig;
    for (const Location& l : kParameterMap) rig.registry.SetDword(l.root, l.key, l.value, 0xA5A5);
    for (const char* port : kComPorts) rig.SetPort(port, kPortsOptimized);
    const std::vector<Stored> before = Values(rig.registry);
    rig.platform.version = variant.version;
    rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });

    EXPECT_EQ(Actual(rig.registry), ExpectedAfter(variant.op, before));
    std::size_t mapped = 0;
    for (const Stored& v : Values(rig.registry)) mapped += v.has_value();
    EXPECT_EQ(rig.State().size(), mapped) << "a value outside the map was written";
    // "Optimize COM ports" is unticked: only the NT family leaves Win.ini alone.
    const bool nt = variant.op == Op::RestoreNT;
    EXPECT_EQ(rig.Port("COM5:"), nt ? kPortsOptimized : kPortsDefault);
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, kPrompt);
    EXPECT_EQ(rig.platform.messages[0].caption, "Confirm");
    EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(rig.platform.messages[0].buttons, MsgButtons::YesNo);
  }
}

// Optimize with every option on, Restore Windows Defaults, View: the registry
// is what the map says, the ports are reset, and the panel shows the defaults.
TEST(RestoreDefaults, ApplyThenRestoreThenRead) {
  const std::vector<std::string> nine = {
      "customTtl=32",     "customCache=0",  "customRwin=8192", "customKeepAlive=3600",
      "blackHoleDetect+", "autoDiscovery+", "slowNet-",        "sack-",
      "maxDupAcks+",      "comPorts-",      "largeWindows-",   "comBuffer-",
      "vcache-",          "maxConnect-",    "maxSocket-"};
  std::vector<std::string> win95 = nine, win98 = nine;
  win95.push_back("bsdUrgent+");  // Windows 95 keeps the applier's urgent-data value
  win98.push_back("bsdUrgent-");
  const std::vector<std::string> expected[] = {
      {"customTtl=128", "customMtu=0", "customKeepAlive=3600", "blackHoleDetect-", "autoDiscovery+",
       "slowNet-", "sack+", "maxDupAcks+", "comPorts-", "largeWindows-", "comBuffer+", "vcache+",
       "bsdUrgent-", "maxConnect+", "maxSocket+"},
      win95,
      win98};
  for (int i = 0; i < 3; ++i) {
    Rig rig;
    SeedStockNT(rig.registry);
    SeedStock9x(rig.registry);
    rig.platform.version = kVariants[i].version;
    rig.w.Click(rig.w.cableDsl);
    for (CheckBoxCtl* box : rig.w.Boxes()) {
      if (box->group == Group::kIndependent) rig.w.SetChecked(*box, true);
    }
    if (i == 0) {
      rig.w.ApplySettings(GetOSKind(rig.platform));
    } else {
      rig.w.ApplySettings(GetOSKind(rig.platform));
    }
    const std::vector<Stored> applied = Values(rig.registry);

    rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, kPrompt);
    EXPECT_EQ(Actual(rig.registry), ExpectedAfter(kVariants[i].op, applied));
    for (const char* port : kComPorts) EXPECT_EQ(rig.Port(port), kPortsDefault) << port;

    // What the removals leave the reader does not touch: shown as unticked here.
    rig.w.SetChecked(rig.w.largeWindows, false);
    rig.w.SetChecked(rig.w.bsdUrgent, false);
    rig.w.Dispatch([&] { rig.w.OnViewCurrentSettings(); });
    EXPECT_EQ(Observe(rig.w, expected[i]), expected[i]);
  }
}

// A system never optimized has no interface key and no MSTCP parameters key:
// every variant still runs to its prompt. A store error ends a run at its
// step, with no prompt.
TEST(RestoreDefaults, CleanSystemsRunToThePromptErrorsStopTheRun) {
  struct Row {
    VersionInfo version;
    void (*prepare)(Rig&);
    std::string message;
    std::vector<std::pair<const char*, const char*>> absent;  // key, value name
  };
  const Row rows[] = {
      {WinXP(),
       [](Rig& r) { SeedStockNT(r.registry); },
       kPrompt,
       {{kTcpipInterfaceKey, kTcpWindowSize}}},
      {Win95(), [](Rig&) {}, kPrompt, {}},
      {Win98SE(), [](Rig&) {}, kPrompt, {}},
      {WinXP(), [](Rig&) {}, "Failed to set data for 'DefaultTTL'", {}},
      {WinXP(),
       [](Rig& r) {
         SeedStockNT(r.registry);
         r.registry.SetKeyRights(kHKLM, kNetbtParametersKey, kKeyRead);
       },
       "Failed to set data for 'SessionKeepAlive'",
       {{kTcpipParametersKey, kTcpMaxDupAcks}, {kVCacheKey, kStart}}},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.platform.version = row.version;
    row.prepare(rig);
    rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, row.message);
    for (const auto& [key, name] : row.absent) {
      EXPECT_EQ(rig.registry.Get(kHKLM, key, name), std::nullopt) << name;
    }
  }
  Rig rig;  // both receive windows go: Windows sizes the window itself by default
  SeedStockNT(rig.registry);
  rig.registry.SetDword(kHKLM, kTcpipInterfaceKey, kTcpWindowSize, 8760);
  rig.registry.SetDword(kHKLM, kTcpipParametersKey, kTcpWindowSize, 8760);
  rig.w.RestoreDefaults(kWinXP);
  EXPECT_EQ(rig.registry.Get(kHKLM, kTcpipInterfaceKey, kTcpWindowSize), std::nullopt);
  EXPECT_EQ(rig.registry.Get(kHKLM, kTcpipParametersKey, kTcpWindowSize), std::nullopt);
}

// Yes restarts by the means of the kind of system; No does nothing more.
TEST(RestoreDefaults, RestartsByTheMeansOfTheSystem) {
  const std::string open = "ShellOpen main open ";
  const std::vector<std::string> exitNT = {
      "OpenProcessToken 40", "LookupPrivilegeValue SeShutdownPrivilege", "AdjustTokenPrivileges 2",
      "CloseToken", "ExitWindowsEx 18 2147614724"};
  std::vector<std::string> refused = exitNT;
  refused.push_back(open + "\"C:\\WINDOWS\\system32\\shutdown.exe\" \"-r -t 01\"");
  const std::tuple<VersionInfo, bool, std::vector<std::string>> rows[] = {
      {{kVerPlatformWin32Windows, 5, 0, ""},
       true,
       {open + "\"C:\\windows\\rundll.exe\" \"user.exe,exitwindowsexec\""}},
      {Win98SE(), true, {open + "\"C:\\WINDOWS\\RUNDLL32.EXE\" \"shell32,SHExitWindowsEx 2\""}},
      {WinXP(), true, exitNT},
      {WinXP(), false, refused},
  };
  for (const auto& [version, exitOk, calls] : rows) {
    for (MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No}) {
      Rig rig;
      SeedStockNT(rig.registry);
      rig.platform.version = version;
      rig.platform.exitOk = exitOk;
      rig.platform.answers = {answer};
      rig.w.Dispatch([&] { rig.w.OnRestoreDefaults(); });
      ASSERT_FALSE(rig.platform.calls.empty());
      EXPECT_EQ(rig.platform.calls[0], std::string("MessageBox Confirm: ") + kPrompt);
      const std::vector<std::string> after(rig.platform.calls.begin() + 1,
                                           rig.platform.calls.end());
      EXPECT_EQ(after, answer == MsgAnswer::Yes ? calls : std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace iz::test
