#include "modern/tcp_table.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "model/os_kind.h"
#include "modern/join.h"

namespace iz {

namespace {

// Where each claim of a row comes from: a page of Microsoft's, by title and
// address, or "reported:" and the reports. The help's modern page lists the
// same sources.
constexpr const char* kRefNetshTcp =
    "Microsoft, Netsh commands for Interface Transmission Control Protocol (TCP), "
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/"
    "windows-server-2008-R2-and-2008/cc731258(v=ws.10)";
constexpr const char* kRefTuning =
    "Microsoft, Performance tuning network adapters (TCP receive window autotuning), "
    "https://learn.microsoft.com/en-us/windows-server/networking/technologies/network-subsystem/"
    "net-sub-performance-tuning-nics; netsh interface tcp set global /? (netsh's own help)";
constexpr const char* kRefAutotuningBlog =
    "Microsoft Networking Blog, An Update on Windows TCP AutoTuningLevel (2016), "
    "https://blogs.technet.microsoft.com/networking/2016/08/11/"
    "an-update-on-windows-tcp-autotuninglevel/";
constexpr const char* kRefCableGuy =
    "Microsoft, The Cable Guy: Performance Enhancements in the Next Generation TCP/IP Stack, "
    "http://www.microsoft.com/technet/community/columns/cableguy/cg1105.mspx";
constexpr const char* kRefCableGuyR2 =
    "Microsoft, The Cable Guy: Performance Enhancements in the Next Generation TCP/IP Stack, "
    "http://www.microsoft.com/technet/community/columns/cableguy/cg1105.mspx (Server 2008); "
    "reported for 2008 R2: https://topic.alibabacloud.com/a/tcp-protocol-parameters-for-windows_1_15_10212774.html";
constexpr const char* kRefCreators =
    "Microsoft Networking Blog, Core Network Stack Features in the Creators Update for Windows 10, "
    "https://blogs.technet.microsoft.com/networking/2017/07/13/"
    "core-network-stack-features-in-the-creators-update-for-windows-10/; "
    "reported: cubic the default from 1709 on, https://www.techtarget.com/searchwindowsserver/tip/"
    "Explore-the-Cubic-congestion-control-provider-for-Windows";
constexpr const char* kRefBbr2 =
    "reported: bbr2 accepted from Windows 11 22H2 (build 22621) on, and breaking local proxies "
    "and loopback connections; not documented by Microsoft";
constexpr const char* kRefEcnServer =
    "reported: ECN enabled by default on Server 2012 and 2012 R2, "
    "https://www.saotn.org/explicit-congestion-notification-ecn-slows-outbound-connections/, "
    "http://networkmemos.blogspot.com/2016/03/enable-or-disable-ecn-explicit.html";
constexpr const char* kRefRto =
    "netsh interface tcp set global /? (netsh's own help: \"default: 3000\"); " 
    "Microsoft Networking Blog, An Update on Windows TCP AutoTuningLevel (2016), "
    "https://blogs.technet.microsoft.com/networking/2016/08/11/"
    "an-update-on-windows-tcp-autotuninglevel/ (\"Initial RTO : 3000\")";
constexpr const char* kRefTcpSetting81 =
    "Microsoft, Set-NetTCPSetting (Windows 8.1 and Server 2012 R2), "
    "https://learn.microsoft.com/en-us/previous-versions/windows/powershell-scripting/"
    "hh826132(v=wps.640); defaults: Microsoft Networking Blog, An Update on Windows TCP "
    "AutoTuningLevel (2016), https://blogs.technet.microsoft.com/networking/2016/08/11/"
    "an-update-on-windows-tcp-autotuninglevel/";
constexpr const char* kRefRsc =
    "Microsoft, Receive Segment Coalescing (RSC) (Windows Server 2012), "
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/"
    "windows-server-2012-R2-and-2012/hh997024(v=ws.11); its default is not documented; "
    "reported: on by default on servers, off on 8, 8.1 and 10, "
    "https://docs.nvidia.com/networking/display/winofv55052000/receive+segment+coalescing+(rsc)";
constexpr const char* kRefNetshHelpOnly =
    "netsh interface tcp set global /? (netsh's own help); the first build is as reported, "
    "the default and the details are not documented by Microsoft";

constexpr const char* kOnOff = "enabled|disabled";

// Which editions a row is for.
enum class Edition : std::uint8_t { Any, Client, Server };

// One row: a setting as the kinds firstKind to lastKind accept it, from
// firstBuild to lastBuild (0: no bound) and on the editions named. A setting
// whose values or defaults differ between versions, builds or editions has
// a row for each; the first row that holds decides.
struct Row {
  const char* name;
  int firstKind, lastKind;
  std::uint32_t firstBuild, lastBuild;
  Edition edition;
  const char* values;  // '|'-separated; null: a number from minimum to maximum
  std::uint32_t minimum, maximum;
  const char* defaultValue;  // null: not documented
  const char* hurts;         // '|'-separated, "" for none
  const char* effect;
  const char* source;
};

constexpr const char* kAutotuningEffect =
    "How far Windows lets the receive window grow: disabled fixes it at 64 KB; "
    "highlyrestricted, restricted and normal scale it by 2, 4 and 8; experimental by 14, which "
    "netsh's help says can dramatically degrade performance in common scenarios.";
constexpr const char* kAutotuningEffect81 =
    "How far Windows lets the receive window grow: disabled fixes it at 64 KB; "
    "highlyrestricted, restricted and normal scale it by 2, 4 and 8; experimental by 14, which "
    "netsh's help says can dramatically degrade performance in common scenarios. Windows "
    "Scaling heuristics, which override this level on Vista to 8, are off from 8.1 on.";
constexpr const char* kHeuristicsEffect =
    "Windows Scaling heuristics: Windows may lower the auto-tuning level by itself on a network "
    "it judges poor, and the level in force is then not the one chosen.";
constexpr const char* kCongestionEffect =
    "The congestion control of new connections: how fast the send window grows and how it "
    "backs off after a loss.";
constexpr const char* kCongestionBbr2Effect =
    "The congestion control of new connections. bbr2 is reported to break local proxies and "
    "loopback connections; whether it helps is disputed.";
constexpr const char* kEcnEffect =
    "Explicit Congestion Notification: routers mark congestion instead of dropping packets; some "
    "old routers and firewalls drop marked packets.";
constexpr const char* kTimestampsEffect =
    "RFC 1323 timestamps: 12 bytes more in each packet, for round-trip times measured on "
    "every packet.";
constexpr const char* kRssEffect =
    "Receive-side scaling spreads received packets over the processors; disabled, one "
    "processor takes them all and a fast adapter slows.";
constexpr const char* kRscEffect =
    "Receive segment coalescing joins received segments into fewer, larger ones: less "
    "processor time; reported to delay small packets of games, which is disputed.";
constexpr const char* kRtoEffect =
    "The time in milliseconds before an unanswered connection attempt is sent again; lower "
    "resends sooner.";
constexpr const char* kFastOpenEffect =
    "TCP Fast Open: a repeated connection to a server carries data in its first packets, "
    "saving a round trip; Windows stops using it where a middlebox drops such packets.";
constexpr const char* kFallbackEffect =
    "Whether Windows gives up Fast Open on a network that drops its packets; not documented.";
constexpr const char* kHystartEffect =
    "HyStart: slow start ends before the window overshoots the path; not documented.";
constexpr const char* kPacingEffect =
    "Pacing spreads a connection's packets over time instead of sending them in bursts: off, "
    "in the initial window, in slow start, or always; not documented.";
constexpr const char* kSynEffect =
    "How many times an unanswered connection attempt is sent again before it fails.";
constexpr const char* kNonSackEffect =
    "Resilience to changing round-trip times for peers without SACK: fewer needless resends.";
constexpr const char* kPrrEffect =
    "Proportional Rate Reduction (RFC 6937): how the send rate falls while lost packets are "
    "recovered; not documented.";

constexpr const char* kAutotuningValues = "disabled|highlyrestricted|restricted|normal|experimental";
constexpr const char* kAutotuningHurts = "disabled|experimental";
constexpr const char* kProviders8 = "none|ctcp|dctcp";
constexpr const char* kProviders1703 = "none|ctcp|dctcp|newreno|cubic";
constexpr const char* kProviders22H2 = "none|ctcp|dctcp|newreno|cubic|bbr2";

// Windows 10's builds: 1703 (Creators Update), 1709 (Fall Creators Update);
// Server 2022's; Windows 11 22H2.
constexpr std::uint32_t k1607 = 14393, k1703 = 15063, k1709 = 16299, kServer2022 = 20348,
                        k22H2 = 22621;

constexpr Row kRows[] = {
    {"autotuninglevel", kWinVista, kWin8, 0, 0, Edition::Any, kAutotuningValues, 0, 0, "normal",
     kAutotuningHurts, kAutotuningEffect, kRefTuning},
    {"autotuninglevel", kWin81, kLastKind, 0, 0, Edition::Any, kAutotuningValues, 0, 0, "normal",
     kAutotuningHurts, kAutotuningEffect81, kRefTuning},
    {"heuristics", kWinVista, kWin8, 0, 0, Edition::Any, kOnOff, 0, 0, nullptr, "",
     kHeuristicsEffect, kRefAutotuningBlog},
    {"congestionprovider", kWinVista, kWin7, 0, 0, Edition::Client, "none|ctcp", 0, 0, "none", "",
     kCongestionEffect, kRefCableGuy},
    {"congestionprovider", kWinVista, kWin7, 0, 0, Edition::Server, "none|ctcp", 0, 0, "ctcp", "",
     kCongestionEffect, kRefCableGuyR2},
    {"congestionprovider", kWin8, kWin81, 0, 0, Edition::Any, kProviders8, 0, 0, nullptr, "",
     kCongestionEffect, kRefNetshTcp},
    {"congestionprovider", kWin10, kWin10, 0, k1703 - 1, Edition::Any, kProviders8, 0, 0, "ctcp",
     "", kCongestionEffect, kRefCreators},
    {"congestionprovider", kWin10, kWin10, k1703, k1709 - 1, Edition::Any, kProviders1703, 0, 0,
     "ctcp", "", kCongestionEffect, kRefCreators},
    {"congestionprovider", kWin10, kWin11, k1709, k22H2 - 1, Edition::Any, kProviders1703, 0, 0,
     "cubic", "", kCongestionEffect, kRefCreators},
    {"congestionprovider", kWin11, kLastKind, k22H2, 0, Edition::Any, kProviders22H2, 0, 0, "cubic",
     "bbr2", kCongestionBbr2Effect, kRefBbr2},
    {"ecncapability", kWinVista, kWin7, 0, 0, Edition::Any, kOnOff, 0, 0, "disabled", "",
     kEcnEffect, kRefNetshTcp},
    {"ecncapability", kWin8, kWin81, 0, 0, Edition::Client, kOnOff, 0, 0, nullptr, "", kEcnEffect,
     kRefNetshTcp},
    {"ecncapability", kWin8, kWin81, 0, 0, Edition::Server, kOnOff, 0, 0, "enabled", "", kEcnEffect,
     kRefEcnServer},
    {"ecncapability", kWin10, kWin10, 0, 0, Edition::Client, kOnOff, 0, 0, "disabled", "",
     kEcnEffect, kRefAutotuningBlog},
    {"ecncapability", kWin10, kLastKind, 0, 0, Edition::Any, kOnOff, 0, 0, nullptr, "", kEcnEffect,
     kRefNetshTcp},
    {"timestamps", kWinVista, kWin81, 0, 0, Edition::Any, kOnOff, 0, 0, "disabled", "",
     kTimestampsEffect, kRefNetshTcp},
    {"timestamps", kWin10, kWin10, 0, 0, Edition::Client, kOnOff, 0, 0, "disabled", "",
     kTimestampsEffect, kRefAutotuningBlog},
    {"timestamps", kWin10, kLastKind, 0, 0, Edition::Any, kOnOff, 0, 0, nullptr, "",
     kTimestampsEffect, kRefNetshTcp},
    {"rss", kWinVista, kLastKind, 0, 0, Edition::Any, kOnOff, 0, 0, "enabled", "disabled",
     kRssEffect, kRefNetshTcp},
    {"rsc", kWin8, kLastKind, 0, 0, Edition::Any, kOnOff, 0, 0, nullptr, "", kRscEffect,
     kRefRsc},
    {"initialrto", kWin8, kLastKind, 0, 0, Edition::Any, nullptr, 300, 3000, "3000", "", kRtoEffect,
     kRefRto},
    {"maxsynretransmissions", kWin81, kLastKind, 0, 0, Edition::Any, nullptr, 2, 8, "2", "",
     kSynEffect, kRefTcpSetting81},
    {"nonsackrttresiliency", kWin81, kLastKind, 0, 0, Edition::Any, kOnOff, 0, 0, "disabled", "",
     kNonSackEffect, kRefTcpSetting81},
    {"fastopen", kWin10, kLastKind, k1607, 0, Edition::Any, kOnOff, 0, 0, "enabled", "",
     kFastOpenEffect, kRefAutotuningBlog},
    {"fastopenfallback", kWin10, kLastKind, k1703, 0, Edition::Any, kOnOff, 0, 0, nullptr, "",
     kFallbackEffect, kRefNetshHelpOnly},
    {"hystart", kWin10, kLastKind, k1709, 0, Edition::Any, kOnOff, 0, 0, nullptr, "",
     kHystartEffect, kRefNetshHelpOnly},
    {"pacingprofile", kWin10, kLastKind, k1709, 0, Edition::Any,
     "off|initialwindow|slowstart|always", 0, 0, nullptr, "", kPacingEffect, kRefNetshHelpOnly},
    {"prr", kWin10, kLastKind, kServer2022, 0, Edition::Any, kOnOff, 0, 0, nullptr, "", kPrrEffect,
     kRefNetshHelpOnly},
};

constexpr std::uint32_t kMtuMinimum = 576, kMtuMaximum = 65535;

std::vector<std::string> Split(const char* text) {
  std::vector<std::string> parts;
  if (text == nullptr || *text == '\0') return parts;
  std::string part;
  for (const char* c = text;; ++c) {
    if (*c == '|' || *c == '\0') {
      parts.push_back(part);
      part.clear();
      if (*c == '\0') return parts;
    } else {
      part += *c;
    }
  }
}

bool Holds(const Row& r, const RunningWindows& w) {
  if (w.kind < r.firstKind || w.kind > r.lastKind) return false;
  if (r.firstBuild != 0 && w.build < r.firstBuild) return false;
  if (r.lastBuild != 0 && w.build > r.lastBuild) return false;
  return r.edition == Edition::Any || (r.edition == Edition::Server) == w.server;
}

const Row* RowOf(const RunningWindows& w, const std::string& name) {
  for (const Row& r : kRows)
    if (name == r.name && Holds(r, w)) return &r;
  return nullptr;
}

// Each setting once, the first row that holds for it.
template <typename Visit>
void ForEachRow(const RunningWindows& w, Visit visit) {
  for (const Row& r : kRows)
    if (RowOf(w, r.name) == &r) visit(r);
}

// A whole decimal number within [minimum, maximum], in its plain form: netsh
// would take "0300" as 300, but the journal compares values as text.
bool InRange(const std::string& text, std::uint32_t minimum, std::uint32_t maximum) {
  if (text.empty() || text.size() > 5 || (text[0] == '0' && text.size() > 1)) return false;
  std::uint32_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return n >= minimum && n <= maximum;
}

std::string Range(std::uint32_t minimum, std::uint32_t maximum) {
  return JoinText({"a number from ", std::to_string(minimum), " to ", std::to_string(maximum)});
}

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Whether word is `lower`, written in any case.
bool Is(std::string_view word, std::string_view lower) {
  if (word.size() != lower.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(word[i])) != lower[i]) return false;
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The next blank-separated word of a line from *at on; empty at its end.
std::string_view NextWord(std::string_view line, std::size_t* at) {
  while (*at < line.size() && IsBlank(line[*at])) ++*at;
  const std::size_t start = *at;
  while (*at < line.size() && !IsBlank(line[*at])) ++*at;
  return line.substr(start, *at - start);
}

// Takes the next line off *rest; false when none is left. The text after
// the last line break is a line too.
bool TakeLine(std::string_view* rest, std::string_view* line) {
  if (rest->data() == nullptr) return false;
  const std::size_t end = rest->find('\n');
  *line = rest->substr(0, end);
  if (end == std::string_view::npos) {
    *rest = std::string_view();
  } else {
    rest->remove_prefix(end + 1);
  }
  return true;
}

// Values in the order first found, a later one of the same name winning;
// found by an index, so that an answer of a megabyte is read in one pass.
class Found {
 public:
  void Put(std::string name, std::string value) {
    const auto [at, added] = index_.emplace(name, values_.size());
    if (added) {
      values_.push_back({std::move(name), std::move(value)});
    } else {
      values_[at->second].value = std::move(value);
    }
  }
  std::vector<TcpValue> Take() { return std::move(values_); }

 private:
  std::vector<TcpValue> values_;
  std::unordered_map<std::string, std::size_t> index_;
};

std::string_view ConnectionOf(const TcpValue& value) {
  return std::string_view(value.name).substr(MtuPrefixLength(value.name));
}

bool IsMtu(const TcpValue& value) { return MtuPrefixLength(value.name) != 0; }

bool IsIpv6Mtu(const TcpValue& value) {
  return value.name.compare(0, std::strlen(kInterfaceMtu6Prefix), kInterfaceMtu6Prefix) == 0;
}

}  // namespace

bool HasModernTcpSettings(const RunningWindows& w) { return IsVistaOrLater(w.kind); }

std::vector<TcpSettingInfo> TcpSettingsFor(const RunningWindows& w) {
  std::vector<TcpSettingInfo> settings;
  ForEachRow(w, [&settings](const Row& r) {
    settings.push_back({r.name, Split(r.values), r.minimum, r.maximum,
                        r.defaultValue ? r.defaultValue : kNotDocumented, Split(r.hurts), r.effect,
                        r.source});
  });
  return settings;
}

std::string HeuristicsNote(const RunningWindows& w, const std::vector<TcpValue>& inForce) {
  if (RowOf(w, "heuristics") == nullptr) return "";
  for (const TcpValue& v : inForce)
    if (v.name == "heuristics" && v.value != "disabled")
      return " Windows Scaling heuristics are on: the level in force may be theirs, not the one "
             "chosen.";
  return "";
}

std::vector<std::string> TcpSettingNames(const RunningWindows& w) {
  std::vector<std::string> names;
  ForEachRow(w, [&names](const Row& r) { names.push_back(r.name); });
  return names;
}

std::vector<std::uint32_t> BuildsWhereRowsChange(int kind) {
  std::vector<std::uint32_t> builds;
  const auto add = [&builds](std::uint32_t build) {
    if (build == 0) return;
    auto at = builds.begin();
    while (at != builds.end() && *at < build) ++at;
    if (at == builds.end() || *at != build) builds.insert(at, build);
  };
  for (const Row& r : kRows) {
    if (kind < r.firstKind || kind > r.lastKind) continue;
    add(r.firstBuild);
    if (r.lastBuild != 0) add(r.lastBuild + 1);
  }
  return builds;
}

std::size_t MtuPrefixLength(const std::string& name) {
  for (const char* prefix : {kInterfaceMtuPrefix, kInterfaceMtu6Prefix}) {
    const std::size_t n = std::strlen(prefix);
    if (name.compare(0, n, prefix) == 0) return n;
  }
  return 0;
}

bool IsTcpSettingName(const std::string& name) {
  for (const Row& r : kRows)
    if (name == r.name) return true;
  const std::size_t prefix = MtuPrefixLength(name);
  if (prefix == 0 || name.size() <= prefix) return false;
  // netsh's table of interfaces is read with the blanks around a name cut
  // off: "Ethernet " would be read back as "Ethernet", another connection.
  if (IsBlank(name[prefix]) || IsBlank(name.back())) return false;
  for (std::size_t i = prefix; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7f || c == '"') return false;
  }
  return true;
}

std::string CheckTcpValue(const RunningWindows& w, const TcpValue& value) {
  if (!HasModernTcpSettings(w)) return kNeedsVista;
  if (IsMtu(value)) {
    if (!IsTcpSettingName(value.name))
      return JoinText({"\"", ConnectionOf(value), "\" is not a connection name netsh can take"});
    const std::uint32_t minimum = IsIpv6Mtu(value) ? kIpv6MinimumMtu : kMtuMinimum;
    if (!InRange(value.value, minimum, kMtuMaximum))
      return JoinText({IsIpv6Mtu(value) ? "the IPv6 MTU of \"" : "the MTU of \"",
                       ConnectionOf(value), "\" must be ", Range(minimum, kMtuMaximum),
                       ", not \"", value.value, "\""});
    return "";
  }
  const Row* row = RowOf(w, value.name);
  if (row == nullptr)
    return JoinText({WindowsName(w), " has no TCP setting \"", value.name, "\""});
  std::string takes;
  if (row->values == nullptr) {
    if (InRange(value.value, row->minimum, row->maximum)) return "";
    takes = Range(row->minimum, row->maximum);
  } else {
    // The words as a sentence lists them: "a, b or c".
    std::string_view rest = row->values;
    for (bool first = true;; first = false) {
      const std::size_t bar = rest.find('|');
      const std::string_view word = rest.substr(0, bar);
      if (word == value.value) return "";
      if (!first) takes += bar == std::string_view::npos ? " or " : ", ";
      takes += word;
      if (bar == std::string_view::npos) break;
      rest.remove_prefix(bar + 1);
    }
  }
  return JoinText({"\"", value.name, "\" takes ", takes, " on ", WindowsName(w), ", not \"",
                   value.value, "\""});
}

std::string NetshCommand(const RunningWindows& w, const TcpValue& value) {
  if (IsMtu(value))
    return JoinText({IsIpv6Mtu(value) ? "interface ipv6" : "interface ipv4",
                     " set subinterface \"", ConnectionOf(value), "\" mtu=", value.value,
                     " store=persistent"});
  // From 8 on the global congestion provider is gone: each template has one,
  // and connections to the Internet take the "internet" template's.
  if (value.name == "congestionprovider" && w.kind >= kWin8)
    return "interface tcp set supplemental template=internet congestionprovider=" + value.value;
  // The heuristics have their own command, which takes the word alone.
  if (value.name == "heuristics") return "interface tcp set heuristics " + value.value;
  return JoinText({"interface tcp set global ", value.name, "=", value.value});
}

std::string NetshScript(const RunningWindows& w, const std::vector<TcpValue>& values) {
  std::string script;
  for (const TcpValue& v : values) {
    script += NetshCommand(w, v);
    script += "\r\n";
  }
  return script;
}

std::vector<TcpValue> ReadTcpDump(const std::string& output) {
  Found values;
  std::string_view rest = output, line;
  while (TakeLine(&rest, &line)) {
    std::size_t at = 0;
    if (!Is(NextWord(line, &at), "set")) continue;
    const std::string_view what = NextWord(line, &at);
    if (Is(what, "heuristics")) {
      // "set heuristics disabled", or by name: "set heuristics wsh=disabled".
      for (std::string_view word = NextWord(line, &at); !word.empty(); word = NextWord(line, &at)) {
        const std::size_t eq = word.find('=');
        if (eq == std::string_view::npos || Is(word.substr(0, eq), "wsh")) {
          const std::string value = Lower(eq == std::string_view::npos ? word : word.substr(eq + 1));
          if (!value.empty()) values.Put("heuristics", value);
          break;
        }
      }
      continue;
    }
    const bool supplemental = Is(what, "supplemental");
    if (!supplemental && !Is(what, "global")) continue;
    // The first pass finds whether the line is the "internet" template's
    // (its name may come after the values), the second takes the values.
    bool internet = !supplemental;
    const std::size_t valuesAt = at;
    for (int pass = 0; pass < 2 && (pass == 0 || internet); ++pass) {
      at = valuesAt;
      for (bool first = true;; first = false) {
        const std::string_view word = NextWord(line, &at);
        if (word.empty()) break;
        const std::size_t eq = word.find('=');
        if (eq == std::string_view::npos) {
          // The template may be given by position: "set supplemental internet ...".
          if (pass == 0 && supplemental && first) internet = Is(word, "internet");
          continue;
        }
        std::string name = Lower(word.substr(0, eq)), value = Lower(word.substr(eq + 1));
        if (name == "template") {
          if (pass == 0) internet = value == "internet";
        } else if (pass == 1 && !name.empty() && !value.empty()) {
          values.Put(std::move(name), std::move(value));
        }
      }
    }
  }
  return values.Take();
}

std::vector<TcpValue> ReadSubinterfaces(const std::string& output, const char* prefix) {
  return ReadSubinterfaceTables(output, {prefix}, false);
}

std::vector<TcpValue> ReadSubinterfaceTables(const std::string& output,
                                             const std::vector<const char*>& prefixes,
                                             bool byRule) {
  Found values;
  std::string_view rest = output, line;
  // Without rules every row is the first table's; with them, the rows below
  // the Nth rule are the Nth table's.
  std::size_t table = 0, rules = 0;
  while (TakeLine(&rest, &line)) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (byRule && line.find('-') != std::string_view::npos &&
        line.find_first_not_of("- \t") == std::string_view::npos) {
      table = rules++;
      continue;
    }
    if (byRule && rules == 0) continue;
    if (table >= prefixes.size()) break;
    std::size_t at = 0;
    std::string_view mtu;
    int numbers = 0;
    for (; numbers < 4; ++numbers) {
      while (at < line.size() && IsBlank(line[at])) ++at;
      const std::size_t start = at;
      while (at < line.size() && line[at] >= '0' && line[at] <= '9') ++at;
      if (at == start || (at < line.size() && !IsBlank(line[at]))) break;
      if (numbers == 0) mtu = line.substr(start, at - start);
    }
    if (numbers < 4) continue;
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = line.size();
    while (end > at && IsBlank(line[end - 1])) --end;
    if (end == at) continue;
    values.Put(JoinText({prefixes[table], line.substr(at, end - at)}), std::string(mtu));
  }
  return values.Take();
}

}  // namespace iz
