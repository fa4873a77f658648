#pragma once
// A stand-in for netsh's TCP and interface commands, for the tests: the
// native ones run it behind the substitute platform, the Windows ones as a
// program of its own (tests/wine/netsh_standin_main.cpp) put where the
// program looks for netsh. Its state is text, "name=value" a line, so that
// the program can keep it in a file:
//   autotuninglevel=normal   a global setting; "congestionprovider" is the
//                            internet template's when "templates=yes"
//   mtu@Ethernet=1500        an interface's MTU
//   refuse=rss               every change of rss fails, as netsh fails;
//                            setting it to what it is passes
//   templates=yes            Windows 8 and later: the congestion provider is
//                            set only through `set supplemental`
//   drop=rsc                 answers "Ok." to a change of rsc, which then
//                            vanishes from its readings
//   ignore=rsc               answers "Ok." to a change of rsc and keeps it
//   other=rsc:enabled        the next change of rsc takes "enabled" instead
// and how it misbehaves (NetshFaults):
//   hang=yes                 never ends
//   orphan=yes               ends, but leaves a process of its own running
//                            that holds its output open
//   silent=yes               prints nothing, changes nothing, ends with 0
//   hide=timestamps          leaves the setting out of its dump
//   codepage=850             writes its output, and reads a `-f` script, in
//                            that code page rather than as the bytes are
//   flood=yes                prints more than 1 MiB
// Its labels are German, as on a German Windows, while its commands and
// values are netsh's own.
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace iz::test {

// The ways the stand-in misbehaves, one key each.
struct NetshFaults {
  bool hang = false, orphan = false, silent = false, flood = false;
  std::vector<std::string> hide;
  int codepage = 0;  // 0: the bytes as they are

  // Takes one "name=value" line of the state when it is a fault's.
  bool Take(const std::string& name, const std::string& value) {
    bool* const flags[] = {&hang, &orphan, &silent, &flood};
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
      if (name == kFlags[i]) {
        *flags[i] = value == "yes";
        return true;
      }
    }
    if (name == "hide") {
      hide.push_back(value);
    } else if (name == "codepage") {
      codepage = std::atoi(value.c_str());
    } else {
      return false;
    }
    return true;
  }
  std::string Text() const {
    const bool flags[] = {hang, orphan, silent, flood};
    std::string text;
    for (std::size_t i = 0; i < std::size(kFlags); ++i)
      if (flags[i]) text += std::string(kFlags[i]) + "=yes\n";
    for (const std::string& h : hide) text += "hide=" + h + "\n";
    if (codepage) text += "codepage=" + std::to_string(codepage) + "\n";
    return text;
  }
  bool Hides(const std::string& name) const {
    for (const std::string& h : hide)
      if (h == name) return true;
    return false;
  }

 private:
  static constexpr const char* kFlags[] = {"hang", "orphan", "silent", "flood"};
};

struct NetshState {
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::string> refuse;
  bool templates = false;
  NetshFaults faults;
  // A netsh that answers "Ok." and does otherwise (drop=, ignore=, other=).
  std::vector<std::string> drop, ignore;
  std::vector<std::pair<std::string, std::string>> other;

  static NetshState Parse(const std::string& text) {
    NetshState s;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string name = line.substr(0, eq), value = line.substr(eq + 1);
      if (name == "refuse") {
        s.refuse.push_back(value);
      } else if (name == "drop" || name == "ignore") {
        (name == "drop" ? s.drop : s.ignore).push_back(value);
      } else if (name == "other" && value.find(':') != std::string::npos) {
        s.other.emplace_back(value.substr(0, value.find(':')), value.substr(value.find(':') + 1));
      } else if (name == "templates") {
        s.templates = value == "yes";
      } else if (!s.faults.Take(name, value)) {
        s.Set(name, value);
      }
    }
    return s;
  }
  std::string Text() const {
    std::string text = (templates ? "templates=yes\n" : "") + faults.Text();
    for (const std::string& r : refuse) text += "refuse=" + r + "\n";
    for (const std::string& d : drop) text += "drop=" + d + "\n";
    for (const std::string& i : ignore) text += "ignore=" + i + "\n";
    for (const auto& [name, value] : other) text += "other=" + name + ":" + value + "\n";
    for (const auto& [name, value] : values) text += name + "=" + value + "\n";
    return text;
  }
  const std::string* Get(const std::string& name) const {
    for (const auto& nv : values)
      if (nv.first == name) return &nv.second;
    return nullptr;
  }
  void Set(const std::string& name, const std::string& value) {
    for (auto& nv : values) {
      if (nv.first == name) {
        nv.second = value;
        return;
      }
    }
    values.emplace_back(name, value);
  }
  // A change netsh answered "Ok." to, as a broken netsh makes it.
  void Change(const std::string& name, const std::string& value) {
    for (const std::string& d : drop) {
      if (d != name) continue;
      for (auto nv = values.begin(); nv != values.end(); ++nv)
        if (nv->first == name) {
          values.erase(nv);
          return;
        }
    }
    for (const std::string& i : ignore)
      if (i == name) return;
    for (auto o = other.begin(); o != other.end(); ++o) {
      if (o->first != name) continue;
      Set(name, o->second);
      other.erase(o);
      return;
    }
    Set(name, value);
  }
  bool Refuses(const std::string& name) const {
    for (const std::string& r : refuse)
      if (r == name) return true;
    return false;
  }
};

// A freshly installed Windows 7 (templates false) or 10 (true), with one
// Ethernet interface and the loopback.
inline NetshState FreshNetsh(bool templates) {
  NetshState s;
  s.templates = templates;
  s.values = {{"rss", "enabled"},
              {"autotuninglevel", "normal"},
              {"congestionprovider", templates ? "cubic" : "none"},
              {"ecncapability", "disabled"},
              {"timestamps", "disabled"}};
  if (templates) {
    s.values.emplace_back("initialrto", "1000");
    s.values.emplace_back("rsc", "enabled");
    // Windows 10's newer globals, as its dump lists them.
    s.values.emplace_back("nonsackrttresiliency", "disabled");
    s.values.emplace_back("maxsynretransmissions", "2");
    s.values.emplace_back("fastopen", "enabled");
    s.values.emplace_back("fastopenfallback", "enabled");
    s.values.emplace_back("hystart", "enabled");
    s.values.emplace_back("pacingprofile", "off");
  }
  s.values.emplace_back("mtu@Loopback Pseudo-Interface 1", "4294967295");
  s.values.emplace_back("mtu@Ethernet 2", "1500");
  s.values.emplace_back("mtu6@Loopback Pseudo-Interface 1", "4294967295");
  s.values.emplace_back("mtu6@Ethernet 2", "1500");
  return s;
}

namespace netsh_detail {

inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Words split at blanks, a quoted word kept whole without its quotes.
inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      const std::size_t end = line.find('"', i + 1);
      word = line.substr(i + 1, (end == std::string::npos ? line.size() : end) - i - 1);
      i = end == std::string::npos ? line.size() : end + 1;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

inline const char* GermanLabel(const std::string& name) {
  if (name == "autotuninglevel") return "Optimierungsebene des Empfangsfensters";
  if (name == "congestionprovider") return "Add-On-\"Congestion Control\"-Anbieter";
  if (name == "ecncapability") return "ECN-Funktion";
  if (name == "timestamps") return "RFC 1323-Zeitstempel";
  if (name == "rss") return "Status der empfangsseitigen Skalierung";
  if (name == "rsc") return "Status der Zusammenfügung von Empfangssegmenten";
  if (name == "initialrto") return "Anfängliche RTO";
  return "Unbekannt";
}

constexpr const char* kRefused = "Der Parameter ist falsch.\r\n";

}  // namespace netsh_detail

// Runs one netsh command line (what follows "netsh"), adding its output to
// *out; the exit code. A `-f` script is read through readFile and run line
// by line, stopping at the first that fails.
inline int RunNetsh(NetshState& state, const std::string& commandLine, std::string* out,
                    const std::function<bool(const std::string&, std::string*)>& readFile) {
  using namespace netsh_detail;
  if (state.faults.silent) return 0;
  if (state.faults.flood) {
    const std::string line(79, '#');
    for (int i = 0; i < 14000; ++i) *out += line + "\n";
    return 0;
  }
  const std::vector<std::string> w = Words(commandLine);
  std::vector<std::string> l;
  for (const std::string& word : w) l.push_back(Lower(word));
  if (l.size() == 2 && l[0] == "-f") {
    std::string script;
    if (!readFile(w[1], &script)) {
      *out += "Die Datei wurde nicht gefunden.\r\n";
      return 1;
    }
    // A saved dump runs back as it was written: comments, and "pushd
    // interface tcp" ... "popd" around its lines, whose "reset" is taken
    // as done since every value is set again after it.
    std::string context;
    std::size_t start = 0;
    while (start < script.size()) {
      std::size_t end = script.find('\n', start);
      if (end == std::string::npos) end = script.size();
      const std::string line = script.substr(start, end - start);
      start = end + 1;
      const std::vector<std::string> words = Words(line);
      if (words.empty() || words[0][0] == '#' || Lower(words[0]) == "reset") continue;
      if (Lower(words[0]) == "pushd") {
        context = line.substr(line.find(words[0]) + words[0].size()) + " ";
        continue;
      }
      if (Lower(words[0]) == "popd") {
        context.clear();
        continue;
      }
      if (const int code = RunNetsh(state, context + line, out, readFile); code != 0) return code;
    }
    return 0;
  }
  const bool tcp = l.size() >= 3 && l[0] == "interface" && l[1] == "tcp";
  const bool ipv4 = l.size() >= 3 && l[0] == "interface" && l[1] == "ipv4";
  if (tcp && l[2] == "dump") {
    *out += "# ----------------------------------\r\n# TCP-Konfiguration\r\n"
            "# ----------------------------------\r\npushd interface tcp\r\n\r\nreset\r\n";
    std::string congestion;
    for (const auto& [name, value] : state.values) {
      if (name.compare(0, 4, "mtu@") == 0 || name.compare(0, 5, "mtu6@") == 0 ||
          state.faults.Hides(name))
        continue;
      if (name == "congestionprovider" && state.templates) {
        congestion = value;
        continue;
      }
      *out += "set global " + name + "=" + value + "\r\n";
    }
    if (state.templates) {
      // Other templates first: only the internet one is the setting.
      *out += "\r\nset supplemental template=datacenter congestionprovider=dctcp\r\n";
      *out += "set supplemental template=internet congestionprovider=" + congestion + "\r\n";
    }
    *out += "\r\npopd\r\n# Ende der TCP-Konfiguration\r\n";
    return 0;
  }
  if (tcp && l.size() == 4 && l[2] == "show" && l[3] == "global") {
    *out += "Abfrageaktiver Status...\r\n\r\nTCP-Globalparameter\r\n"
            "----------------------------------------------\r\n";
    for (const auto& [name, value] : state.values)
      if (name.compare(0, 4, "mtu@") != 0 && name.compare(0, 5, "mtu6@") != 0)
        *out += std::string(GermanLabel(name)) + " : " + value + "\r\n";
    return 0;
  }
  if (tcp && l.size() >= 5 && l[2] == "set" && (l[3] == "global" || l[3] == "supplemental")) {
    const bool supplemental = l[3] == "supplemental";
    bool internet = !supplemental;
    for (std::size_t i = 4; i < l.size(); ++i) {
      const std::size_t eq = l[i].find('=');
      if (eq == std::string::npos) {
        internet = internet || l[i] == "internet";
        continue;
      }
      const std::string name = l[i].substr(0, eq), value = l[i].substr(eq + 1);
      if (name == "template") {
        internet = value == "internet";
        continue;
      }
      // Windows 8 and later refuse the global congestion provider, and 7
      // has no templates.
      const bool wrongPlace = name == "congestionprovider" && supplemental != state.templates;
      const std::string* now = state.Get(name);
      // Another template may be set to what the dump shows for it, as a
      // saved dump run back does.
      if (supplemental && !internet && name == "congestionprovider" && value == "dctcp") continue;
      if ((state.Refuses(name) && (!now || *now != value)) || wrongPlace || value.empty() || (supplemental && !internet) ||
          (!supplemental && !state.Get(name))) {
        *out += kRefused;
        return 1;
      }
      state.Change(name, value);
    }
    *out += "Ok.\r\n\r\n";
    return 0;
  }
  // IPv6 keeps its subinterfaces' MTUs apart, as "mtu6@".
  const bool ipv6 = l.size() >= 3 && l[0] == "interface" && l[1] == "ipv6";
  const std::string prefix = ipv6 ? "mtu6@" : "mtu@";
  if ((ipv4 || ipv6) && l.size() == 4 && l[2] == "show" && l[3] == "subinterfaces") {
    *out += "\r\n   MTU  Medienerkennungsstatus   Bytes eingehend  Bytes ausgehend  Schnittstelle\r\n"
            "------  ---------------  ---------  ---------  -------------\r\n";
    for (const auto& [name, value] : state.values)
      if (name.compare(0, prefix.size(), prefix) == 0)
        *out += value + "                1     123456      65432  " + name.substr(prefix.size()) +
                "\r\n";
    return 0;
  }
  if ((ipv4 || ipv6) && l.size() >= 5 && l[2] == "set" && l[3] == "subinterface") {
    const std::string key = prefix + w[4];
    for (std::size_t i = 5; i < l.size(); ++i) {
      if (l[i].compare(0, 4, "mtu=") != 0) continue;
      const std::string* now = state.Get(key);
      if (!now || (state.Refuses("mtu") && *now != l[i].substr(4))) {
        *out += "Element nicht gefunden.\r\n";
        return 1;
      }
      state.Change(key, l[i].substr(4));
    }
    *out += "Ok.\r\n\r\n";
    return 0;
  }
  *out += "Der folgende Befehl wurde nicht gefunden: " + commandLine + "\r\n";
  return 1;
}

}  // namespace iz::test
