#include "cli/command_line.h"

#include <cctype>
#include <exception>

#include "commands/izelvora.h"
#include "model/os_kind.h"
#include "model/writer_lock.h"
#include "optimize/apply.h"
#include "optimize/interface_mtu.h"
#include "journal/journal.h"
#include "commands/modern_tcp.h"
#include "modern/join.h"
#include "modern/startup_script.h"
#include "modern/tcp_table.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz::cli {

const char* const kUsage =
    "Usage:\n"
    "  InternetZelvora /export FILE /type TYPE /method METHOD [/family nt|9x|95]\n"
    "      Writes the registry values Optimize would write as a REGEDIT4 file.\n"
    "      The family is the running one unless given; 95 is Windows 95's form.\n"
    "  InternetZelvora /optimize /type TYPE /method METHOD\n"
    "      Writes the values as Optimize does; it never restarts Windows.\n"
    "  InternetZelvora /preview /type TYPE /method METHOD\n"
    "      Lists the values Optimize would change, and writes nothing: one line\n"
    "      each, key, value, now, after and whether this Windows reads it,\n"
    "      separated by tabs.\n"
    "  InternetZelvora /undo [/script FILE.cmd [/log PATH]]\n"
    "      Puts back the settings from before the last change; with /script,\n"
    "      writes a batch file that puts back those the startup script of /tcp\n"
    "      saved before its first run on the machine it runs on.\n"
    "  InternetZelvora /tcp [NAME=VALUE ...] [/script FILE.cmd [/log PATH]]\n"
    "      Windows Vista and later: lists the TCP settings netsh sets (name, in\n"
    "      force, default), or sets them all or none, as \"Modern TCP Settings\"\n"
    "      does; with /script, writes a startup script for every Windows from\n"
    "      Vista on instead, which may also set mtu@CONNECTION=N.\n"
    "  InternetZelvora /findmtu HOST\n"
    "      Finds the largest packet that reaches HOST unsplit, and so the MTU of\n"
    "      the path to it; the last line is \"MTU\" and the number.\n"
    "  InternetZelvora /?\n"
    "      Shows this text.\n"
    "TYPE is modem, isdn, cable, pppoe or extreme; METHOD is 1, 2 or 3.\n"
    "Switches start with / or -, so a value cannot start with either.\n"
    "Exit code: 0 done, 1 failed (or the host does not answer), 2 bad arguments\n"
    "(nothing written).";

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsSwitch(const std::string& arg) { return !arg.empty() && (arg[0] == '/' || arg[0] == '-'); }

// The types in the order of ConnectionType.
constexpr const char* kTypeNames[kConnectionTypeCount] = {"modem", "isdn", "cable", "pppoe",
                                                          "extreme"};

// The switches' values, each given once at most.
enum Slot { kFile, kHost, kType, kMethod, kFamily, kScript, kLog, kSlotCount, kNoValue = -1 };

// One switch: the command it gives (kNoCommand for none) and the value it takes.
constexpr int kNoCommand = -1;
struct Form {
  const char* name;
  signed char action;
  signed char slot;
};
constexpr Form kForms[] = {
    {"?", static_cast<signed char>(Action::Usage), kNoValue},
    {"optimize", static_cast<signed char>(Action::Optimize), kNoValue},
    {"preview", static_cast<signed char>(Action::Preview), kNoValue},
    {"undo", static_cast<signed char>(Action::Undo), kNoValue},
    {"export", static_cast<signed char>(Action::Export), kFile},
    {"findmtu", static_cast<signed char>(Action::FindMtu), kHost},
    {"tcp", static_cast<signed char>(Action::Tcp), kNoValue},
    {"script", kNoCommand, kScript},
    {"log", kNoCommand, kLog},
    {"type", kNoCommand, kType},
    {"method", kNoCommand, kMethod},
    {"family", kNoCommand, kFamily},
};

// What the switches of one command line said.
struct Seen {
  int action = kNoCommand;
  std::optional<std::string> value[kSlotCount];
  std::vector<std::string> tcp;
};

// The error of a command line, or "" when it is good.
std::string Check(const std::vector<std::string>& args, Seen& seen) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!IsSwitch(arg)) return JoinText({"unexpected argument \"", arg, "\""});
    const std::string name = Lower(arg.substr(1));
    const Form* form = nullptr;
    for (const Form& f : kForms)
      if (name == f.name) form = &f;
    if (form == nullptr) return JoinText({"unknown argument \"", arg, "\""});
    if (form->action != kNoCommand) {
      if (seen.action != kNoCommand)
        return JoinText({"only one of /export, /optimize, /preview, /undo, /findmtu, /tcp and /? "
                         "may be given (",
                         arg, ")"});
      seen.action = form->action;
      if (form->action == static_cast<int>(Action::Tcp))
        while (i + 1 < args.size() && !IsSwitch(args[i + 1])) seen.tcp.push_back(args[++i]);
    }
    if (form->slot == kNoValue) continue;
    std::optional<std::string>& value = seen.value[form->slot];
    if (value) return arg + " is given twice";
    if (i + 1 >= args.size() || args[i + 1].empty() || IsSwitch(args[i + 1]))
      return arg + " needs a value";
    value = args[++i];
  }
  if (seen.action == kNoCommand)
    return "no command given (/export, /optimize, /preview, /undo, /findmtu, /tcp or /?)";
  const auto action = static_cast<Action>(seen.action);
  const bool profile =
      action == Action::Export || action == Action::Optimize || action == Action::Preview;
  const bool typed = seen.value[kType].has_value(), methodGiven = seen.value[kMethod].has_value();
  if (profile && !typed) return "/type is missing";
  if (profile && !methodGiven) return "/method is missing";
  if (!profile && (typed || methodGiven))
    return "/type and /method go with /export, /optimize or /preview";
  if (seen.value[kFamily] && action != Action::Export) return "/family goes with /export only";
  if (seen.value[kScript] && !(action == Action::Undo || (action == Action::Tcp && !seen.tcp.empty())))
    return "/script goes with /tcp NAME=VALUE or /undo only";
  if (seen.value[kLog] && !seen.value[kScript]) return "/log goes with /script only";
  return "";
}

std::string Bad(const char* what, const std::string& value, const char* after = "\"") {
  return JoinText({"bad ", what, " \"", value, after});
}

// The /family words and the kind each stands for. Every kind of a form gets
// the same file: the applier writes the same values on each, and the
// adapters, which differ, are never exported.
struct Family {
  const char* name;
  int kind;
};
constexpr Family kFamilies[] = {{"nt", kWinXP}, {"9x", kWin98}, {"95", kWin95}};

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  Seen seen;
  parsed.error = Check(args, seen);
  if (!parsed.ok()) return parsed;
  Arguments& a = parsed.arguments;
  a.action = static_cast<Action>(seen.action);
  if (seen.value[kFile]) a.file = *seen.value[kFile];
  if (seen.value[kHost]) a.host = *seen.value[kHost];
  if (seen.value[kScript]) a.script = *seen.value[kScript];
  if (seen.value[kLog]) a.log = *seen.value[kLog];
  for (const std::string& pair : seen.tcp) {
    // netsh takes its names and words in any case, and reports them in lower.
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == pair.size()) {
      parsed.error = Bad("/tcp setting", pair, "\", not NAME=VALUE");
      return parsed;
    }
    // A connection's name (after "mtu@") stays as typed, as Windows shows it.
    const std::size_t at = pair.find('@');
    const std::size_t cut = at < eq ? at + 1 : eq;
    a.tcpValues.push_back(
        {Lower(pair.substr(0, cut)) + pair.substr(cut, eq - cut), Lower(pair.substr(eq + 1))});
  }
  if (const std::optional<std::string>& given = seen.value[kType]) {
    const std::string type = Lower(*given);
    int t = 0;
    while (t < kConnectionTypeCount && type != kTypeNames[t]) ++t;
    if (t == kConnectionTypeCount) {
      parsed.error = Bad("/type", *given);
      return parsed;
    }
    a.type = static_cast<ConnectionType>(t);
  }
  if (const std::optional<std::string>& m = seen.value[kMethod]) {
    if (m->size() != 1 || (*m)[0] < '1' || (*m)[0] > '0' + kAutomaticMethodCount) {
      parsed.error = Bad("/method", *m);
      return parsed;
    }
    a.method = static_cast<Method>((*m)[0] - '1');
  }
  if (const std::optional<std::string>& given = seen.value[kFamily]) {
    const std::string family = Lower(*given);
    for (const Family& f : kFamilies)
      if (family == f.name) a.kind = f.kind;
    if (!a.kind) parsed.error = Bad("/family", *given);
  }
  return parsed;
}

namespace {

constexpr const char* kSetAsideInTheWindow =
    "Nothing was changed. Undo Last Change in the window offers to set the record aside and "
    "undo the change before it.";

// Splits the usage into console lines.
void PrintLines(const Print& print, const std::string& text) {
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    print(text.substr(start, end - start));
  }
  print(text.substr(start));
}

// A failure as the console shows it: "Internet Zelvora: " and the reason.
void PrintFailure(const Print& print, std::string_view reason, std::string_view end = "") {
  print(JoinText({"Internet Zelvora: ", reason, end}));
}

int Export(const Arguments& a, TIZelvora& model, Platform& platform, const Print& print) {
  const int kind = a.kind ? *a.kind : GetOSKind(platform);
  const RecordedRun run = RecordOptimize(model, kind);
  const std::string text = ExportRegText(run, kind, {DateText(platform.Now()), ProfileText(model)});
  if (!platform.WriteFileAtomically(a.file, text))
    throw Error(UnableToWriteText(platform, a.file));
  print(JoinText({"Wrote ", CountText(run.values.size(), "registry value", "registry values"), " for ",
                  SystemsLike(kind), " to ", a.file, "."}));
  return kExitOk;
}

int Preview(TIZelvora& model, RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
            const Print& print) {
  const int kind = GetOSKind(platform);
  const std::vector<Adapter> ticked = model.TickedAdapters(kind);
  PreviewReport report = PreviewOptimize(model, ticked, registry, profiles, kind);
  AddInterfaceMtuPreview(&report, registry, platform, kind, model, ticked);
  for (const PreviewLine& l : report.changes) {
    print(JoinText({l.location, "\t", l.value, "\t", l.now, "\t", l.after, "\t", l.readBy}));
  }
  print(report.Summary());
  return kExitOk;
}

int Optimize(TIZelvora& panel, RawRegistry& registry, ProfileStrings& profiles,
             Platform& platform, const Print& print) {
  // The window asks whether to go on when the journal cannot record the
  // change; nobody can answer here, so the change is not made.
  const int kind = GetOSKind(platform);
  const std::vector<TcpValue> set =
      OptimizeRecorded(registry, profiles, platform, panel, kind, WithoutRecord::Refuse);
  print(JoinText({"Optimized for ", ProfileText(panel), "."}));
  if (const std::string note = Ipv6MtuNote(kind, panel); !note.empty()) print(note);
  if (const std::string now = InForceNowText(set); !now.empty()) print(now);
  print("Restart the computer for the new settings to take effect.");
  return kExitOk;
}

// As the window's Undo, but without asking: what it does is said, and then
// done. A newest record that cannot be used is only named;
// setting it aside is left to the window, where it is asked for.
int Undo(RawRegistry& registry, ProfileStrings& profiles, Platform& platform, const Print& print) {
  const WriterLock lock(platform);
  // The modern TCP settings a record holds go back through netsh.
  // Before Vista netsh has none of these settings: it is not run at all.
  const RunningWindows windows = GetRunningWindows(platform);
  const std::unique_ptr<NetshAccess> tcp =
      HasModernTcpSettings(windows) ? OpenNetsh(platform, windows) : nullptr;
  Journal journal(registry, profiles, platform, tcp.get());
  const UndoPlan plan = journal.PlanUndo();
  if (!plan.found) {
    print(kNothingToUndo);
    return kExitOk;
  }
  if (!plan.failure.empty() || !plan.damage.empty()) {
    PrintFailure(print, plan.failure.empty() ? plan.damage : plan.failure);
    if (!plan.damage.empty()) print(kSetAsideInTheWindow);
    return kExitFailed;
  }
  PrintLines(print, UndoStatement(plan));
  const UndoResult undone = journal.Undo(plan);
  for (const std::string& failure : undone.failures) PrintFailure(print, failure);
  if (!undone.failures.empty()) return kExitFailed;
  print(UndoneText(undone));
  return kExitOk;
}

// One line per setting: name, in force and default, tab-separated.
void PrintTcp(const Print& print, const RunningWindows& windows,
              const std::vector<TcpValue>& inForce) {
  for (const TcpSettingInfo& s : TcpSettingsFor(windows)) {
    std::string_view now = kNotReported;
    for (const TcpValue& v : inForce)
      if (v.name == s.name) now = v.value;
    print(JoinText({s.name, "\t", now, "\t", s.defaultValue}));
  }
}

// The startup script for every Windows the table knows, whatever this one
// is, or the one that puts back what it saved; a value no Windows takes, or
// a name or path the batch file cannot quote, writes nothing.
int Script(const Arguments& a, Platform& platform, const Print& print) {
  std::string reason = CheckScriptLogPath(a.log);
  const std::vector<ScriptTarget> targets = ScriptTargets();
  for (std::size_t i = 0; i < a.tcpValues.size() && reason.empty(); ++i)
    reason = CheckScriptValue(targets, a.tcpValues[i]);
  if (!reason.empty()) {
    PrintFailure(print, reason, ".");
    return kExitBadArguments;
  }
  if (const std::string twice = GivenTwice(a.tcpValues); !twice.empty()) {
    PrintFailure(print, twice);
    return kExitBadArguments;
  }
  const bool undo = a.action == Action::Undo;
  if (!platform.WriteFileAtomically(
          a.script, undo ? UndoStartupScript(a.log) : StartupScript(targets, a.tcpValues, a.log)))
    throw Error(UnableToWriteText(platform, a.script));
  if (undo) {
    print(JoinText({"Wrote the script that puts back the saved TCP settings to ", a.script, "."}));
  } else {
    print(JoinText({"Wrote the startup script for every Windows from Vista on to ", a.script, "."}));
  }
  return kExitOk;
}

// Lists, applies or scripts; names and values are checked before netsh runs.
int Tcp(const Arguments& a, RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
        const Print& print, const OpenTcpAccess& openTcp) {
  if (!a.script.empty()) return Script(a, platform, print);
  const RunningWindows windows = GetRunningWindows(platform);
  if (!HasModernTcpSettings(windows)) throw Error(kNeedsVista);
  for (const TcpValue& v : a.tcpValues) {
    std::string reason = CheckTcpValue(windows, v);
    // An interface's MTU is Optimize's to set, not a TCP setting.
    if (reason.empty() && MtuPrefixLength(v.name) != 0)
      reason = JoinText({"\"", v.name, "\" is not a TCP setting"});
    if (!reason.empty()) {
      PrintFailure(print, reason, ".");
      return kExitBadArguments;
    }
  }
  if (const std::string twice = GivenTwice(a.tcpValues); !twice.empty()) {
    PrintFailure(print, twice);
    return kExitBadArguments;
  }
  std::unique_ptr<TcpSettingsAccess> access =
      openTcp ? openTcp(windows.kind)
              : std::unique_ptr<TcpSettingsAccess>(OpenNetsh(platform, windows));
  if (a.tcpValues.empty()) {
    const std::vector<TcpValue> inForce = ReadTcpSettings(*access, windows);
    if (ReportsNone(windows, inForce)) throw Error(kNetshReportedNothing);
    PrintTcp(print, windows, inForce);
    return kExitOk;
  }
  const TcpApplied applied = ApplyTcpSettings(registry, profiles, platform, *access, windows,
                                              a.tcpValues, WithoutRecord::Refuse);
  PrintTcp(print, windows, applied.inForce);
  print(CountText(applied.changed, "setting", "settings") + " changed.");
  return kExitOk;
}

// The answered echoes, the result, and "MTU" with the number when found.
int FindMtu(const std::string& host, const mtu::OpenProbe& openProbe, const Print& print) {
  if (const std::string refused = mtu::RefusedHost(host); !refused.empty()) throw Error(refused);
  if (!openProbe) throw Error("This program cannot send pings.");
  const std::unique_ptr<mtu::EchoProbe> probe = openProbe(host);
  const mtu::MtuResult found = mtu::FindLargestPayload(*probe, [&print](const mtu::MtuStep& step) {
    if (step.answer) print(mtu::StepText(step));
    return true;
  });
  const std::string result = mtu::ResultText(found, host);
  if (found.outcome != mtu::MtuOutcome::Found) {
    PrintFailure(print, result);
    return kExitFailed;
  }
  print(result);
  print("MTU " + std::to_string(found.Mtu()));
  return kExitOk;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, RawRegistry& registry,
                   ProfileStrings& profiles, Platform& platform, const Print& print,
                   const mtu::OpenProbe& openProbe, const OpenTcpAccess& openTcp) {
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.ok()) {
    PrintFailure(print, parsed.error, ".");
    PrintLines(print, kUsage);
    return kExitBadArguments;
  }
  const Arguments& a = parsed.arguments;
  if (a.action == Action::Usage) {
    PrintLines(print, kUsage);
    return kExitOk;
  }
  try {
    if (a.action == Action::Undo && !a.script.empty()) return Script(a, platform, print);
    if (a.action == Action::Undo) return Undo(registry, profiles, platform, print);
    if (a.action == Action::FindMtu) return FindMtu(a.host, openProbe, print);
    if (a.action == Action::Tcp) return Tcp(a, registry, profiles, platform, print, openTcp);
    TIZelvora model(registry, profiles, platform);
    // As a user would pick them: the type, then the method, whose handler
    // loads the profile.
    model.Click(model.*kTypeBoxes[static_cast<int>(a.type)]);
    model.Click(model.*kMethodBoxes[static_cast<int>(a.method)]);
    if (a.action == Action::Export) return Export(a, model, platform, print);
    if (a.action == Action::Preview) return Preview(model, registry, profiles, platform, print);
    return Optimize(model, registry, profiles, platform, print);
  } catch (const std::exception& e) {
    PrintFailure(print, e.what());
    return kExitFailed;
  }
}

}  // namespace iz::cli
