#include "modern/tcp_table.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "model/os_kind.h"
#include "modern/join.h"

namespace iz {

namespace {

constexpr const char* kRefTcp =
    "Microsoft, Netsh commands for Interface Transmission Control Protocol (TCP)";
constexpr const char* kRefTuning =
    "Microsoft, Performance Tuning Guidelines for Windows Server: TCP receive window auto-tuning";
constexpr const char* kRefCubic = "Microsoft Networking Blog, CUBIC for Windows (10, version 1709)";
constexpr const char* kRefBbr2 =
    "Microsoft, netsh interface tcp set supplemental; reports of broken local proxies under BBR2";

constexpr const char* kOnOff = "enabled|disabled";

// One row: a setting as the kinds firstKind to lastKind accept it. A setting
// whose values or defaults differ between versions has a row for each.
struct Row {
  const char* name;
  int firstKind, lastKind;
  const char* values;  // '|'-separated; null: a number from minimum to maximum
  std::uint32_t minimum, maximum;
  const char* defaultValue;  // null: not documented
  const char* hurts;         // '|'-separated, "" for none
  const char* effect;
  const char* source;
};

constexpr const char* kAutotuningEffect =
    "How far Windows grows the receive window by itself. disabled and highlyrestricted cap it "
    "near 64 KB, which slows every long download.";
constexpr const char* kCongestionEffect =
    "The congestion control of new connections: how fast the send window grows and how it "
    "backs off after a loss.";
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
    "The time in milliseconds before a connection attempt is sent again; lower gives up on a "
    "lost attempt sooner.";

constexpr Row kRows[] = {
    {"autotuninglevel", kWinVista, kLastKind, "disabled|highlyrestricted|restricted|normal|experimental",
     0, 0, "normal", "disabled|highlyrestricted", kAutotuningEffect, kRefTuning},
    {"congestionprovider", kWinVista, kWin7, "none|ctcp", 0, 0, "none", "", kCongestionEffect,
     kRefTcp},
    {"congestionprovider", kWin8, kWin81, "none|ctcp|dctcp", 0, 0, nullptr, "", kCongestionEffect,
     kRefTcp},
    {"congestionprovider", kWin10, kWin10, "none|ctcp|dctcp|newreno|cubic", 0, 0, "cubic", "",
     "The congestion control of new connections; cubic is the default from version 1709 on.",
     kRefCubic},
    {"congestionprovider", kWin11, kLastKind, "none|ctcp|dctcp|newreno|cubic|bbr2", 0, 0, "cubic",
     "bbr2",
     "The congestion control of new connections. bbr2 is reported to break local proxies and "
     "loopback connections; whether it helps is disputed.",
     kRefBbr2},
    {"ecncapability", kWinVista, kWin10, kOnOff, 0, 0, "disabled", "", kEcnEffect, kRefTcp},
    {"ecncapability", kWin11, kLastKind, kOnOff, 0, 0, nullptr, "", kEcnEffect, kRefTcp},
    {"timestamps", kWinVista, kWin10, kOnOff, 0, 0, "disabled", "", kTimestampsEffect, kRefTcp},
    {"timestamps", kWin11, kLastKind, kOnOff, 0, 0, nullptr, "", kTimestampsEffect, kRefTcp},
    {"rss", kWinVista, kLastKind, kOnOff, 0, 0, "enabled", "disabled", kRssEffect, kRefTcp},
    {"rsc", kWin8, kLastKind, kOnOff, 0, 0, "enabled", "", kRscEffect, kRefTcp},
    {"initialrto", kWin8, kLastKind, nullptr, 300, 3000, nullptr, "", kRtoEffect, kRefTcp},
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

const Row* RowOf(int kind, const std::string& name) {
  for (const Row& r : kRows)
    if (name == r.name && kind >= r.firstKind && kind <= r.lastKind) return &r;
  return nullptr;
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
  return std::string_view(value.name).substr(std::strlen(kInterfaceMtuPrefix));
}

bool IsMtu(const TcpValue& value) {
  return value.name.compare(0, std::strlen(kInterfaceMtuPrefix), kInterfaceMtuPrefix) == 0;
}

}  // namespace

bool HasModernTcpSettings(int kind) { return IsVistaOrLater(kind); }

std::vector<TcpSettingInfo> TcpSettingsFor(int kind) {
  std::vector<TcpSettingInfo> settings;
  for (const Row& r : kRows) {
    if (kind < r.firstKind || kind > r.lastKind) continue;
    settings.push_back({r.name, Split(r.values), r.minimum, r.maximum,
                        r.defaultValue ? r.defaultValue : kNotDocumented, Split(r.hurts), r.effect,
                        r.source});
  }
  return settings;
}

std::vector<std::string> TcpSettingNames(int kind) {
  std::vector<std::string> names;
  for (const Row& r : kRows)
    if (kind >= r.firstKind && kind <= r.lastKind) names.push_back(r.name);
  return names;
}

bool IsTcpSettingName(const std::string& name) {
  for (const Row& r : kRows)
    if (name == r.name) return true;
  const std::string prefix = kInterfaceMtuPrefix;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  // netsh's table of interfaces is read with the blanks around a name cut
  // off: "Ethernet " would be read back as "Ethernet", another connection.
  if (IsBlank(name[prefix.size()]) || IsBlank(name.back())) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7f || c == '"') return false;
  }
  return true;
}

std::string CheckTcpValue(int kind, const TcpValue& value) {
  if (!HasModernTcpSettings(kind)) return kNeedsVista;
  if (IsMtu(value)) {
    if (!IsTcpSettingName(value.name))
      return JoinText({"\"", ConnectionOf(value), "\" is not a connection name netsh can take"});
    if (!InRange(value.value, kMtuMinimum, kMtuMaximum))
      return JoinText({"the MTU of \"", ConnectionOf(value), "\" must be ",
                       Range(kMtuMinimum, kMtuMaximum), ", not \"", value.value, "\""});
    return "";
  }
  const Row* row = RowOf(kind, value.name);
  if (row == nullptr) return JoinText({OSName(kind), " has no TCP setting \"", value.name, "\""});
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
  return JoinText({"\"", value.name, "\" takes ", takes, " on ", OSName(kind), ", not \"",
                   value.value, "\""});
}

std::string NetshCommand(int kind, const TcpValue& value) {
  if (IsMtu(value))
    return JoinText({"interface ipv4 set subinterface \"", ConnectionOf(value), "\" mtu=",
                     value.value, " store=persistent"});
  // From 8 on the global congestion provider is gone: each template has one,
  // and connections to the Internet take the "internet" template's.
  if (value.name == "congestionprovider" && kind >= kWin8)
    return "interface tcp set supplemental template=internet congestionprovider=" + value.value;
  return JoinText({"interface tcp set global ", value.name, "=", value.value});
}

std::string NetshScript(int kind, const std::vector<TcpValue>& values) {
  std::string script;
  for (const TcpValue& v : values) {
    script += NetshCommand(kind, v);
    script += "\r\n";
  }
  return script;
}

std::string NetshBatchFile(int kind, const std::vector<TcpValue>& values) {
  std::string text = JoinText({"@echo off\r\nrem The TCP settings of ", OSName(kind),
                               " and later, written by Internet Zelvora.\r\n"});
  // A batch file expands %; a connection name keeps its own.
  const auto escaped = [&text](std::string_view piece) {
    for (char c : piece) {
      text += c;
      if (c == '%') text += '%';
    }
  };
  for (const TcpValue& v : values) {
    text += "netsh ";
    escaped(NetshCommand(kind, v));
    text += "\r\nif errorlevel 1 (\r\n  echo Internet Zelvora: netsh refused ";
    escaped(v.name);
    text += '=';
    escaped(v.value);
    text += ".\r\n  exit /b 1\r\n)\r\n";
  }
  return text + "exit /b 0\r\n";
}

std::vector<TcpValue> ReadTcpDump(const std::string& output) {
  Found values;
  std::string_view rest = output, line;
  while (TakeLine(&rest, &line)) {
    std::size_t at = 0;
    if (!Is(NextWord(line, &at), "set")) continue;
    const std::string_view what = NextWord(line, &at);
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

std::vector<TcpValue> ReadSubinterfaces(const std::string& output) {
  Found values;
  std::string_view rest = output, line;
  while (TakeLine(&rest, &line)) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
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
    values.Put(JoinText({kInterfaceMtuPrefix, line.substr(at, end - at)}), std::string(mtu));
  }
  return values.Take();
}

}  // namespace iz
