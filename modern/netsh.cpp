#include "modern/netsh.h"

#include <cstring>
#include <utility>

#include "modern/join.h"
#include "modern/tcp_table.h"

namespace iz {

namespace {

constexpr const char* kDump = "interface tcp dump";
constexpr const char* kSubinterfaces = "interface ipv4 show subinterfaces";
constexpr const char* kSubinterfaces6 = "interface ipv6 show subinterfaces";

// Which readings names need: the dump, IPv4's and IPv6's subinterfaces.
struct Needs {
  bool tcp = false, mtu4 = false, mtu6 = false;
  void Add(const std::string& name) {
    const std::size_t prefix = MtuPrefixLength(name);
    (prefix == 0 ? tcp : prefix == std::strlen(kInterfaceMtuPrefix) ? mtu4 : mtu6) = true;
  }
  bool Any() const { return tcp || mtu4 || mtu6; }
  int Count() const { return int(tcp) + int(mtu4) + int(mtu6); }
};

// What netsh said, on one line: its lines trimmed and joined, without the
// "Ok." of each command that went well.
std::string Said(const NetshRun& run) {
  std::string said;
  std::size_t start = 0;
  while (start <= run.output.size()) {
    std::size_t end = run.output.find('\n', start);
    if (end == std::string::npos) end = run.output.size();
    std::size_t a = start, b = end;
    while (a < b && (run.output[a] == ' ' || run.output[a] == '\t' || run.output[a] == '\r')) ++a;
    while (b > a && (run.output[b - 1] == ' ' || run.output[b - 1] == '\t' || run.output[b - 1] == '\r')) --b;
    const bool ok = b - a == 3 && (run.output[a] == 'O' || run.output[a] == 'o') &&
                    (run.output[a + 1] == 'k' || run.output[a + 1] == 'K') && run.output[a + 2] == '.';
    if (b > a && !ok) {
      if (!said.empty()) said += ' ';
      said.append(run.output, a, b - a);
    }
    start = end + 1;
  }
  if (said.empty()) said = "it ended with exit code " + std::to_string(run.exitCode);
  return said;
}

// The readings a script or a command asks for, one a line.
std::string Readings(const Needs& n) {
  std::string text;
  for (const auto& [wanted, command] :
       {std::pair{n.tcp, kDump}, {n.mtu4, kSubinterfaces}, {n.mtu6, kSubinterfaces6}}) {
    if (!wanted) continue;
    if (!text.empty()) text += "\r\n";
    text += command;
  }
  return text;
}

std::vector<TcpValue> Parse(const std::string& output, const Needs& n) {
  std::vector<TcpValue> found = n.tcp ? ReadTcpDump(output) : std::vector<TcpValue>();
  std::vector<const char*> tables;
  if (n.mtu4) tables.push_back(kInterfaceMtuPrefix);
  if (n.mtu6) tables.push_back(kInterfaceMtu6Prefix);
  // Both tables in one output are told apart by their rules.
  if (!tables.empty())
    for (TcpValue& v : ReadSubinterfaceTables(output, tables, tables.size() > 1))
      found.push_back(std::move(v));
  return found;
}

const std::string* Find(const std::vector<TcpValue>& values, const std::string& name) {
  for (const TcpValue& v : values)
    if (v.name == name) return &v.value;
  return nullptr;
}

// The first of wanted that the reading does not show as asked, as
// "rsc=disabled", and *found what the reading shows instead; empty when all
// are in force.
std::string NotInForce(const std::vector<TcpValue>& wanted, const std::vector<TcpValue>& read,
                       std::string* found) {
  for (const TcpValue& v : wanted) {
    const std::string* now = Find(read, v.name);
    if (now != nullptr && *now == v.value) continue;
    *found = now == nullptr ? JoinText({"netsh no longer reports ", v.name})
                            : JoinText({"netsh reports ", v.name, "=", *now});
    return JoinText({v.name, "=", v.value});
  }
  return "";
}

void Remember(std::vector<TcpValue>* known, const TcpValue& value) {
  for (TcpValue& k : *known) {
    if (k.name == value.name) {
      k.value = value.value;
      return;
    }
  }
  known->push_back(value);
}

}  // namespace

NetshAccess::NetshAccess(Platform& platform, const RunningWindows& windows,
                         std::string scriptFolder)
    : platform_(platform), windows_(windows), scriptFolder_(std::move(scriptFolder)) {}

bool NetshAccess::Run(const std::string& arguments, NetshRun* run, std::string* error) {
  // By its full path: the search path starts in the current folder.
  const std::string folder = platform_.SystemDirectory();
  run->arguments = arguments;
  run->output.clear();
  const RunEnd end = folder.empty() ? RunEnd::NotStarted
                                     : platform_.RunHidden(folder + "\\netsh.exe", arguments,
                                                           kNetshTimeoutMs, kNetshMaxOutput,
                                                           &run->exitCode, &run->output);
  if (end == RunEnd::NotStarted) {
    *error = "netsh could not be started: " + platform_.LastErrorText();
    return false;
  }
  if (end == RunEnd::TimedOut) {
    *error = kNetshTimedOut;
    return false;
  }
  if (end == RunEnd::TooMuchOutput) {
    *error = kNetshTooMuchOutput;
    return false;
  }
  runs_.push_back(*run);
  return true;
}

bool NetshAccess::RunScript(const std::string& script, NetshRun* run, std::string* error) {
  const std::string path = scriptFolder_ + "\\netsh-script.txt";
  if (!platform_.DirectoryExists(scriptFolder_)) platform_.CreateAdminsOnlyFolder(scriptFolder_);
  if (platform_.IsReparsePoint(scriptFolder_) ||
      platform_.CheckFolder(scriptFolder_) == FolderSafety::OpenToOthers) {
    *error = JoinText({"The folder ", scriptFolder_,
                       " may be changed by other accounts, so netsh is not given a script from it."});
    return false;
  }
  if (!platform_.WriteFileAtomically(path, platform_.ConsoleText(script))) {
    *error = JoinText({"Unable to write ", path, ": ", platform_.LastErrorText()});
    return false;
  }
  const bool ran = Run(JoinText({"-f \"", path, "\""}), run, error);
  platform_.DeleteFile(path);
  return ran;
}

bool NetshAccess::Read(const std::vector<std::string>& names, std::vector<TcpValue>* values,
                       std::string* error) {
  values->clear();
  Needs needs;
  for (const std::string& name : names) needs.Add(name);
  if (!needs.Any()) return true;
  NetshRun run;
  const bool ran = needs.Count() > 1 ? RunScript(Readings(needs) + "\r\n", &run, error)
                                     : Run(Readings(needs), &run, error);
  if (!ran) return false;
  if (run.exitCode != 0) {
    *error = "netsh could not read the TCP settings: " + Said(run);
    return false;
  }
  const std::vector<TcpValue> found = Parse(run.output, needs);
  for (const std::string& name : names) {
    if (const std::string* value = Find(found, name)) {
      values->push_back({name, *value});
      Remember(&known_, values->back());
    }
  }
  return true;
}

bool NetshAccess::Write(const std::vector<TcpValue>& values, std::string* error) {
  if (values.empty()) return true;
  Needs needs;
  for (const TcpValue& v : values) needs.Add(v.name);
  // The script reads what is in force once it has set it: a setting netsh
  // answered "Ok." to but kept, took otherwise or dropped is caught in the
  // same run.
  NetshRun written;
  std::string ended, failed, found;
  if (!RunScript(JoinText({NetshScript(windows_, values), Readings(needs), "\r\n"}), &written,
                 &ended)) {
    // A run that was ended may have set some of it; one that never started,
    // or had no script, set nothing.
    if (ended != kNetshTimedOut && ended != kNetshTooMuchOutput) {
      *error = ended;
      return false;
    }
  } else if (written.exitCode == 0) {
    failed = NotInForce(values, Parse(written.output, needs), &found);
    if (failed.empty()) {
      for (const TcpValue& v : values) Remember(&known_, v);
      return true;
    }
  }
  // Whether netsh stopped at a refused line or went on, one more run reads
  // what took and sets every value back as it was read before (a value that
  // never changed is set to what it is), and one more reads that all of it
  // is back. Only values the table accepts are put back: anything else
  // netsh reported is not this program's to write.
  std::vector<TcpValue> back;
  for (const TcpValue& v : values) {
    const std::string* before = Find(known_, v.name);
    if (before != nullptr && CheckTcpValue(windows_, {v.name, *before}).empty())
      back.push_back({v.name, *before});
  }
  NetshRun undone, again;
  std::string putBack, unused;
  if (RunScript(JoinText({Readings(needs), "\r\n", NetshScript(windows_, back)}), &undone,
                &putBack)) {
    if (failed.empty()) failed = NotInForce(values, Parse(undone.output, needs), &unused);
    // Whatever netsh said to the put-back, a reading tells what is back. A
    // netsh that stopped at a setting it no longer has is given the rest
    // once more.
    for (int round = 0; round < 2 && putBack.empty(); ++round) {
      if (!(needs.Count() > 1 ? RunScript(Readings(needs) + "\r\n", &again, &putBack)
                              : Run(Readings(needs), &again, &putBack)))
        break;
      const std::vector<TcpValue> now = Parse(again.output, needs);
      const std::string missed = NotInForce(back, now, &unused);
      if (missed.empty()) break;
      std::vector<TcpValue> rest;
      for (const TcpValue& b : back)
        if (const std::string* v = Find(now, b.name); v != nullptr && *v != b.value)
          rest.push_back(b);
      NetshRun retried;
      if (round == 1 || rest.empty() ||
          !RunScript(NetshScript(windows_, rest), &retried, &putBack))
        putBack = JoinText({missed, " (", unused, ")"});
    }
  }
  if (failed.empty()) failed = "a setting";
  if (!ended.empty()) {
    *error = ended;
  } else if (written.exitCode != 0) {
    *error = JoinText({"netsh refused ", failed, ": ", Said(written)});
  } else {
    *error = JoinText({"netsh did not set ", failed, ": ", found,
                       putBack.empty() ? "; nothing was changed." : "."});
  }
  if (!putBack.empty())
    *error += JoinText({"\nThe settings it had already changed could not be put back: ", putBack});
  return false;
}

}  // namespace iz
