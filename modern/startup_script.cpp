#include "modern/startup_script.h"

#include <cstring>
#include <string_view>

#include "model/os_kind.h"
#include "modern/join.h"
#include "modern/tcp_table.h"

namespace iz {

namespace {

constexpr std::uint32_t kAnyBuild = 99999;
// The script compares versions as one number: (major * 100 + minor) * 100000
// + build, which stays below 2^31 for every major version below 21.
std::uint32_t VersionNumber(const WindowsVersion& v) {
  return (v.major * 100 + v.minor) * 100000 + v.build;
}
constexpr std::uint32_t kVistaNumber = 60000000;

constexpr const char* kFolder = "%SystemRoot%\\Logs\\InternetZelvora";

bool IsMtu(const TcpValue& value) {
  return value.name.compare(0, std::strlen(kInterfaceMtuPrefix), kInterfaceMtuPrefix) == 0;
}

std::string_view ConnectionOf(const TcpValue& value) {
  return std::string_view(value.name).substr(std::strlen(kInterfaceMtuPrefix));
}

// Text the batch file can hold between double quotes as it is: inside
// quotes & | < > ( ) ^ are plain characters, and without delayed expansion
// so is !; % would be expanded (and inside a for loop even %% names a loop
// variable), a quote would end the quoting, and a for /f reading netsh's
// table drops blanks at either end. Outside ASCII the file's code page and
// the console's differ.
bool Quotable(std::string_view text) {
  if (text.empty() || text.front() == ' ' || text.back() == ' ') return false;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7e || c == '"' || c == '%') return false;
  }
  return true;
}

constexpr const char* kQuotableRule =
    "a startup script takes printable ASCII characters other than % and \", with no blank at "
    "either end";

// The text of one batch file, its lines ending in CR LF.
class Batch {
 public:
  void Line(std::initializer_list<std::string_view> pieces) {
    text_ += JoinText(pieces);
    text_ += "\r\n";
  }
  // A line for the log, written before what it describes happens.
  void Log(std::initializer_list<std::string_view> pieces) {
    text_ += ">>\"%IZ_LOG%\" echo ";
    Line(pieces);
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// The lines both scripts begin with: the exit codes, the files, the
// running Windows found and checked, administrator rights checked.
void Begin(Batch& b, std::string_view what, std::initializer_list<std::string_view> exitCodes,
           const std::string& logPath) {
  const std::string log = logPath.empty() ? JoinText({kFolder, "\\tcp.log"}) : logPath;
  b.Line({"@echo off"});
  b.Line({"rem Internet Zelvora: ", what});
  b.Line({"rem For every Windows from Vista on; run it as administrator (a computer startup"});
  b.Line({"rem script runs as the system account). Exit codes:"});
  for (std::string_view code : exitCodes) b.Line({"rem   ", code});
  b.Line({"rem Log: ", log});
  b.Line({"rem The settings from before the first run: ", kFolder,
          "\\tcp-original.netsh and tcp-original-mtu-*.netsh"});
  b.Line({"setlocal EnableExtensions DisableDelayedExpansion"});
  b.Line({"set \"IZ_DIR=", kFolder, "\""});
  b.Line({"set \"IZ_LOG=", log, "\""});
  b.Line({"set \"IZ_ORIGINAL=%IZ_DIR%\\tcp-original.netsh\""});
  b.Line({"set \"IZ_RUN=%IZ_DIR%\\tcp-this-run.netsh\""});
  b.Line({"set \"IZ_DUMP=%IZ_DIR%\\tcp-dump.txt\""});
  b.Line({"set \"IZ_SUBS=%IZ_DIR%\\subinterfaces.txt\""});
  b.Line({"rem The 64-bit system folder also for a 32-bit command processor; by full path,"});
  b.Line({"rem since a startup script's current folder may be a share."});
  b.Line({"set \"IZ_SYS=%SystemRoot%\\System32\""});
  b.Line({"if exist \"%SystemRoot%\\Sysnative\\netsh.exe\" set \"IZ_SYS=%SystemRoot%\\Sysnative\""});
  b.Line({"set \"IZ_NETSH=%IZ_SYS%\\netsh.exe\""});
  // The registry's numbers, unlike `ver`, are the same in every language.
  b.Line({"set /a IZ_MAJOR=0, IZ_MINOR=0, IZ_BUILD=0, IZ_OLDMAJOR=0, IZ_OLDMINOR=0"});
  b.Line({"set \"IZ_SERVER=0\""});
  b.Line({"set \"IZ_OLD=0.0\""});
  b.Line({"for /f \"tokens=1,2,3\" %%a in ('%IZ_SYS%\\reg.exe query \"HKLM\\SOFTWARE\\Microsoft"
          "\\Windows NT\\CurrentVersion\" 2^>nul') do ("});
  b.Line({"  if /i \"%%a\"==\"CurrentMajorVersionNumber\" set /a IZ_MAJOR=%%c"});
  b.Line({"  if /i \"%%a\"==\"CurrentMinorVersionNumber\" set /a IZ_MINOR=%%c"});
  b.Line({"  if /i \"%%a\"==\"CurrentBuildNumber\" set /a IZ_BUILD=%%c"});
  b.Line({"  if /i \"%%a\"==\"CurrentVersion\" set \"IZ_OLD=%%c\""});
  b.Line({")"});
  // Apart from the loop above: Wine's cmd loses the letters of a for nested
  // in a block.
  b.Line({"for /f \"tokens=1,2 delims=.\" %%m in (\"%IZ_OLD%\") do set /a IZ_OLDMAJOR=%%m, "
          "IZ_OLDMINOR=%%n"});
  b.Line({"if %IZ_MAJOR%==0 set /a IZ_MAJOR=IZ_OLDMAJOR, IZ_MINOR=IZ_OLDMINOR"});
  b.Line({"for /f \"tokens=1,2,3\" %%a in ('%IZ_SYS%\\reg.exe query \"HKLM\\SYSTEM\\"
          "CurrentControlSet\\Control\\ProductOptions\" /v ProductType 2^>nul') do if /i "
          "\"%%a\"==\"ProductType\" if /i not \"%%c\"==\"WinNT\" set \"IZ_SERVER=1\""});
  b.Line({"set /a IZ_WINVER=(IZ_MAJOR*100+IZ_MINOR)*100000+IZ_BUILD"});
  b.Line({"set \"IZ_FOUND=%IZ_MAJOR%.%IZ_MINOR% build %IZ_BUILD%\""});
  b.Line({"if %IZ_SERVER%==1 set \"IZ_FOUND=%IZ_FOUND%, Server\""});
  // A line for a log whose folder may be missing or not writable: the
  // message then goes nowhere. A subroutine, since Wine's cmd takes no
  // redirection after a block.
  b.Line({"goto :iz_noted"});
  b.Line({":iz_note"});
  b.Line({">>\"%IZ_LOG%\" echo.%IZ_NOTE%"});
  b.Line({"exit /b 0"});
  b.Line({":iz_noted"});
  b.Line({"if %IZ_WINVER% GEQ ", std::to_string(kVistaNumber), " goto :iz_vista"});
  b.Line({"echo Internet Zelvora: Windows %IZ_FOUND% is older than Vista; nothing changed."});
  b.Line({"set \"IZ_NOTE=%date% %time% Windows %IZ_FOUND% is older than Vista; nothing "
          "changed (exit code 4)\""});
  b.Line({"call :iz_note 2>nul"});
  b.Line({"exit /b 4"});
  b.Line({":iz_vista"});
  // fltmc answers only an administrator and needs no service; net session
  // needs the Server service, so it is the fallback where fltmc is missing.
  // Both say it by their exit code alone, in every language.
  b.Line({"if exist \"%IZ_SYS%\\fltmc.exe\" (\"%IZ_SYS%\\fltmc.exe\" >nul 2>&1) else "
          "(\"%IZ_SYS%\\net.exe\" session >nul 2>&1)"});
  b.Line({"if not errorlevel 1 goto :iz_admin"});
  b.Line({"echo Internet Zelvora: not run as administrator; nothing changed."});
  b.Line({"set \"IZ_NOTE=%date% %time% Windows %IZ_FOUND%: not run as administrator; "
          "nothing changed (exit code 3)\""});
  b.Line({"call :iz_note 2>nul"});
  b.Line({"exit /b 3"});
  b.Line({":iz_admin"});
  b.Line({"if not exist \"%IZ_DIR%\\\" mkdir \"%IZ_DIR%\" 2>nul"});
  b.Line({"set \"IZ_NOTE=\""});
  b.Line({"call :iz_note 2>nul"});
  b.Line({"if exist \"%IZ_LOG%\" goto :iz_log"});
  b.Line({"echo Internet Zelvora: cannot write the log \"%IZ_LOG%\"; nothing changed."});
  b.Line({"exit /b 5"});
  b.Line({":iz_log"});
  b.Log({"%date% %time% Internet Zelvora: ", what});
  b.Log({"Windows found: %IZ_FOUND%"});
}

// The file that keeps a connection's MTU from before a script first set
// it: named by a hash of the name, which netsh matches in any case, since
// the name itself may hold characters a file name cannot.
std::string MtuFileName(std::string_view connection) {
  std::uint32_t hash = 2166136261u;
  for (char c : connection) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<unsigned char>(lower)) * 16777619u;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name = "tcp-original-mtu-";
  for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(hash >> shift) & 0xf];
  return name + ".netsh";
}

// A setting's line in the dump: "global" or "supplemental" as the command
// that sets it says.
std::string_view DumpPlace(std::string_view command) {
  return command.find(" set supplemental ") != std::string_view::npos ? "supplemental" : "global";
}

// The section of one target: the MTUs in force added to the put-back, the
// first run's settings kept, every line the target accepts run and then
// checked in a new dump; one a target lacks is logged as skipped.
void Section(Batch& b, std::size_t index, const ScriptTarget& target,
             const std::vector<TcpValue>& values) {
  const std::string n = std::to_string(index);
  b.Line({":iz_section_", n});
  b.Log({"the lines for ", target.name});
  b.Line({"if not exist \"%IZ_ORIGINAL%\" copy /y \"%IZ_RUN%\" \"%IZ_ORIGINAL%\" >nul"});
  b.Line({"if not exist \"%IZ_ORIGINAL%\" goto :iz_cannot_save"});
  // The dump holds no MTU: each connection's goes into this run's put-back
  // and, the first time a script sets it, into a file of its own.
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!IsMtu(values[i]) || !CheckTcpValue(target.windows, values[i]).empty()) continue;
    const std::string var = "IZ_MTU_" + std::to_string(i);
    const std::string line = JoinText({"interface ipv4 set subinterface \"", ConnectionOf(values[i]),
                                       "\" mtu=%", var, "% store=persistent"});
    const std::string file = JoinText({"\"%IZ_DIR%\\", MtuFileName(ConnectionOf(values[i])), "\""});
    b.Line({"set \"", var, "=\""});
    b.Line({"for /f \"usebackq tokens=1,4*\" %%a in (\"%IZ_SUBS%\") do if /i \"%%c\"==\"",
            ConnectionOf(values[i]), "\" set \"", var, "=%%a\""});
    b.Line({"if defined ", var, " (>>\"%IZ_RUN%\" echo ", line, ")"});
    b.Line({"if defined ", var, " if not exist ", file, " (>", file, " echo ", line, ")"});
  }
  b.Log({"to put back the settings from before the first run: the script of /undo /script, or "
         "\"%IZ_NETSH%\" -f with \"%IZ_ORIGINAL%\" and each %IZ_DIR%\\tcp-original-mtu-*.netsh"});
  for (std::size_t i = 0; i < values.size(); ++i) {
    const TcpValue& v = values[i];
    b.Line({"set \"IZ_STEP=", v.name, "=", v.value, "\""});
    const std::string reason = CheckTcpValue(target.windows, v);
    if (!reason.empty()) {
      b.Log({"skipped \"", v.name, "=", v.value, "\": ", reason});
      continue;
    }
    const std::string command = NetshCommand(target.windows, v);
    if (IsMtu(v)) {
      const std::string var = "IZ_MTU_" + std::to_string(i);
      b.Line({"if not defined ", var, " (>>\"%IZ_LOG%\" echo absent: no connection \"",
              ConnectionOf(v), "\" on this machine; its MTU is left out)"});
      b.Line({"if defined ", var, " ("});
      b.Line({"  >>\"%IZ_LOG%\" echo netsh ", command});
      b.Line({"  \"%IZ_NETSH%\" ", command, " >>\"%IZ_LOG%\" 2>&1"});
      b.Line({"  if errorlevel 1 goto :iz_refused"});
      b.Line({")"});
      continue;
    }
    b.Log({"netsh ", command});
    b.Line({"\"%IZ_NETSH%\" ", command, " >>\"%IZ_LOG%\" 2>&1"});
    b.Line({"if errorlevel 1 goto :iz_refused"});
  }
  b.Log({"checking: netsh interface tcp dump"});
  b.Line({"\"%IZ_NETSH%\" interface tcp dump >\"%IZ_DUMP%\" 2>>\"%IZ_LOG%\""});
  bool mtusRead = false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const TcpValue& v = values[i];
    if (!CheckTcpValue(target.windows, v).empty()) continue;
    b.Line({"set \"IZ_STEP=", v.name, "=", v.value, "\""});
    if (!IsMtu(v)) {
      b.Line({"call :iz_in_dump ", DumpPlace(NetshCommand(target.windows, v)), " ", v.name, " ",
              v.value});
      b.Line({"if errorlevel 1 goto :iz_untaken"});
      continue;
    }
    if (!mtusRead) {
      b.Line({"\"%IZ_NETSH%\" interface ipv4 show subinterfaces >\"%IZ_SUBS%\" 2>>\"%IZ_LOG%\""});
      mtusRead = true;
    }
    b.Line({"set \"IZ_NOW=\""});
    b.Line({"for /f \"usebackq tokens=1,4*\" %%a in (\"%IZ_SUBS%\") do if /i \"%%c\"==\"",
            ConnectionOf(v), "\" set \"IZ_NOW=%%a\""});
    b.Line({"if defined IZ_MTU_", std::to_string(i), " if not \"%IZ_NOW%\"==\"", v.value,
            "\" goto :iz_untaken"});
  }
  b.Line({"goto :iz_done"});
}

}  // namespace

std::vector<ScriptTarget> ScriptTargets() {
  struct Kind {
    const char* name;
    int kind;
    WindowsVersion first, last;
  };
  const Kind kinds[] = {
      {"Windows Vista", kWinVista, {6, 0, 0}, {6, 0, kAnyBuild}},
      {"Windows 7", kWin7, {6, 1, 0}, {6, 1, kAnyBuild}},
      {"Windows 8", kWin8, {6, 2, 0}, {6, 2, kAnyBuild}},
      {"Windows 8.1", kWin81, {6, 3, 0}, {6, 3, kAnyBuild}},
      {"Windows 10", kWin10, {10, 0, 0}, {10, 0, 21999}},
      // And the Windows after it, which are likelier to take 11's lines than
      // none; a line one refuses puts everything back.
      {"Windows 11", kWin11, {10, 0, 22000}, {20, 99, kAnyBuild}},
  };
  std::vector<ScriptTarget> targets;
  for (const Kind& k : kinds) {
    std::uint32_t from = k.first.build;
    std::vector<std::uint32_t> cuts;
    for (std::uint32_t build : BuildsWhereRowsChange(k.kind))
      if (build > from && build <= k.last.build) cuts.push_back(build);
    cuts.push_back(k.last.build + 1);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
      const std::uint32_t to = cuts[i] - 1;
      const bool whole = cuts.size() == 1;
      const WindowsVersion first{k.first.major, k.first.minor, from};
      const WindowsVersion last =
          i + 1 == cuts.size() ? k.last : WindowsVersion{k.first.major, k.first.minor, to};
      std::string name = k.name;
      if (!whole && from == k.first.build)
        name += JoinText({" before build ", std::to_string(cuts[i])});
      else if (!whole && i + 1 == cuts.size())
        name += JoinText({" build ", std::to_string(from), " and later"});
      else if (!whole)
        name += JoinText({" build ", std::to_string(from), " to ", std::to_string(to)});
      targets.push_back({name, ClientOf(k.kind, from), first, last});
      from = cuts[i];
    }
  }
  return targets;
}

std::string CheckScriptValue(const std::vector<ScriptTarget>& targets, const TcpValue& value) {
  if (IsMtu(value) && !Quotable(ConnectionOf(value)))
    return JoinText({"the connection name \"", ConnectionOf(value), "\" cannot go into the script: ",
                     kQuotableRule});
  // The newest target's reason among those that have the setting: it
  // names the values the newest Windows takes.
  std::string reason;
  bool named = false;
  for (const ScriptTarget& t : targets) {
    const std::string why = CheckTcpValue(t.windows, value);
    if (why.empty()) return "";
    bool has = IsMtu(value);
    for (const std::string& name : TcpSettingNames(t.windows)) has = has || name == value.name;
    if (has || !named) reason = why;
    named = named || has;
  }
  if (!named) return JoinText({"no Windows from Vista on has a TCP setting \"", value.name, "\""});
  return reason;
}

std::string CheckScriptLogPath(const std::string& path) {
  if (path.empty() || Quotable(path)) return "";
  return JoinText({"the log path \"", path, "\" cannot go into the script: ", kQuotableRule});
}

std::string StartupScript(const std::vector<ScriptTarget>& targets,
                          const std::vector<TcpValue>& values, const std::string& logPath) {
  Batch b;
  Begin(b, "TCP settings for a startup script",
        {"0  done: every setting this Windows has is in force, the others logged as skipped",
         "1  a setting was refused or did not take: every setting put back as before",
         "2  a setting failed and putting back failed too: the log says what to run",
         "3  not run as administrator: nothing changed",
         "4  Windows before Vista, or one this script has no lines for: nothing changed",
         "5  the settings in force could not be saved: nothing changed"},
        logPath);
  for (const TcpValue& v : values) b.Log({"setting: \"", v.name, "=", v.value, "\""});
  b.Line({"set \"IZ_SECTION=\""});
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const ScriptTarget& t = targets[i];
    std::string edition;
    if (t.edition != WindowsEdition::Any)
      edition = JoinText({"if %IZ_SERVER%==", t.edition == WindowsEdition::Server ? "1" : "0", " "});
    b.Line({"if not defined IZ_SECTION if %IZ_WINVER% GEQ ", std::to_string(VersionNumber(t.first)),
            " if %IZ_WINVER% LEQ ", std::to_string(VersionNumber(t.last)), " ", edition,
            "set \"IZ_SECTION=", std::to_string(i), "\""});
  }
  b.Line({"if defined IZ_SECTION goto :iz_save"});
  b.Log({"no lines for this Windows; nothing changed (exit code 4)"});
  b.Line({"echo Internet Zelvora: this script has no lines for Windows %IZ_FOUND%; nothing changed."});
  b.Line({"exit /b 4"});
  b.Line({":iz_save"});
  b.Log({"saving the settings in force: netsh interface tcp dump"});
  b.Line({"\"%IZ_NETSH%\" interface tcp dump >\"%IZ_RUN%\" 2>>\"%IZ_LOG%\""});
  b.Line({"if errorlevel 1 goto :iz_cannot_save"});
  bool mtus = false;
  for (const TcpValue& v : values) mtus = mtus || IsMtu(v);
  if (mtus) {
    b.Line({"\"%IZ_NETSH%\" interface ipv4 show subinterfaces >\"%IZ_SUBS%\" 2>>\"%IZ_LOG%\""});
    b.Line({"if errorlevel 1 goto :iz_cannot_save"});
  }
  b.Line({"goto :iz_section_%IZ_SECTION%"});
  for (std::size_t i = 0; i < targets.size(); ++i) Section(b, i, targets[i], values);

  b.Line({":iz_done"});
  b.Log({"result: done (exit code 0)"});
  b.Line({"echo Internet Zelvora: the TCP settings are in force; the log is \"%IZ_LOG%\"."});
  b.Line({"exit /b 0"});
  b.Line({":iz_cannot_save"});
  b.Log({"result: cannot save the settings in force; nothing changed (exit code 5)"});
  b.Line({"echo Internet Zelvora: cannot save the settings in force; nothing changed."});
  b.Line({"exit /b 5"});
  b.Line({":iz_refused"});
  b.Log({"failed: netsh refused \"%IZ_STEP%\""});
  b.Line({"goto :iz_put_back"});
  b.Line({":iz_untaken"});
  b.Log({"failed: \"%IZ_STEP%\" is not in force after netsh set it"});
  b.Line({":iz_put_back"});
  b.Log({"putting back the settings from before this run: netsh -f \"%IZ_RUN%\""});
  b.Line({"\"%IZ_NETSH%\" -f \"%IZ_RUN%\" >>\"%IZ_LOG%\" 2>&1"});
  b.Line({"if errorlevel 1 goto :iz_put_back_failed"});
  b.Log({"result: failed, every setting put back as before (exit code 1)"});
  b.Line({"echo Internet Zelvora: \"%IZ_STEP%\" failed; every setting was put back. See \"%IZ_LOG%\"."});
  b.Line({"exit /b 1"});
  b.Line({":iz_put_back_failed"});
  b.Log({"result: failed, and putting back failed too; as administrator run \"%IZ_NETSH%\" -f "
         "\"%IZ_RUN%\" (exit code 2)"});
  b.Line({"echo Internet Zelvora: \"%IZ_STEP%\" failed and putting back failed too. See \"%IZ_LOG%\"."});
  b.Line({"exit /b 2"});

  // Whether the dump holds NAME=VALUE on a "set global" line, or on the
  // internet template's "set supplemental" line: every word compared, in
  // any case, since netsh may put several settings on one line. The words
  // go to a subroutine: Wine's cmd loses the letters of a for nested in a
  // for's block, and find there takes no /i.
  b.Line({":iz_in_dump"});
  b.Line({"set \"IZ_HIT=\""});
  b.Line({"set \"IZ_PLACE=%~1\""});
  b.Line({"set \"IZ_PAIR=%~2=%~3\""});
  b.Line({"for /f \"usebackq tokens=1-20\" %%a in (\"%IZ_DUMP%\") do if /i \"%%a\"==\"set\" if /i "
          "\"%%b\"==\"%~1\" call :iz_words \"%%c\" \"%%d\" \"%%e\" \"%%f\" \"%%g\" \"%%h\" \"%%i\" "
          "\"%%j\" \"%%k\" \"%%l\" \"%%m\" \"%%n\" \"%%o\" \"%%p\" \"%%q\" \"%%r\" \"%%s\" \"%%t\""});
  b.Line({"if defined IZ_HIT exit /b 0"});
  b.Line({"exit /b 1"});
  b.Line({":iz_words"});
  b.Line({"set \"IZ_T=\""});
  b.Line({"if /i \"%IZ_PLACE%\"==\"global\" set \"IZ_T=1\""});
  b.Line({"set \"IZ_C=\""});
  b.Line({":iz_word"});
  b.Line({"if /i \"%~1\"==\"template=internet\" set \"IZ_T=1\""});
  b.Line({"if /i \"%~1\"==\"internet\" set \"IZ_T=1\""});
  b.Line({"if /i \"%~1\"==\"%IZ_PAIR%\" set \"IZ_C=1\""});
  b.Line({"shift"});
  b.Line({"if not \"%~1\"==\"\" goto :iz_word"});
  b.Line({"if defined IZ_T if defined IZ_C set \"IZ_HIT=1\""});
  b.Line({"exit /b 0"});
  return b.Take();
}

std::string UndoStartupScript(const std::string& logPath) {
  Batch b;
  Begin(b, "puts back the TCP settings from before the startup script's first run",
        {"0  done: the settings from before the first run are back",
         "1  netsh refused a line of the saved settings: the log names it",
         "3  not run as administrator: nothing changed",
         "4  Windows before Vista: nothing changed",
         "6  no saved settings: the startup script never ran here, or they were put back"},
        logPath);
  // Unquoted: Wine's cmd expands no wildcard between quotes, and the
  // system folder's path holds no blank.
  const std::string mtus = "%IZ_DIR%\\tcp-original-mtu-*.netsh";
  b.Line({"set \"IZ_SAVED=\""});
  b.Line({"if exist \"%IZ_ORIGINAL%\" set \"IZ_SAVED=1\""});
  b.Line({"for %%f in (", mtus, ") do set \"IZ_SAVED=1\""});
  b.Line({"if defined IZ_SAVED goto :iz_undo"});
  b.Log({"result: no saved settings in \"%IZ_DIR%\"; nothing changed (exit code 6)"});
  b.Line({"echo Internet Zelvora: no saved settings in \"%IZ_DIR%\"; nothing changed."});
  b.Line({"exit /b 6"});
  b.Line({":iz_undo"});
  b.Line({"set \"IZ_BAD=\""});
  b.Line({"if exist \"%IZ_ORIGINAL%\" call :iz_run_back \"%IZ_ORIGINAL%\""});
  b.Line({"for %%f in (", mtus, ") do call :iz_run_back \"%%~f\""});
  b.Line({"if defined IZ_BAD goto :iz_failed"});
  // Set aside, so that the startup script, deployed again, saves anew.
  b.Line({"if exist \"%IZ_ORIGINAL%\" move /y \"%IZ_ORIGINAL%\" \"%IZ_ORIGINAL%.undone\" >nul"});
  b.Line({"for %%f in (", mtus, ") do move /y \"%%~f\" \"%%~f.undone\" >nul"});
  b.Log({"result: the settings from before the first run are back (exit code 0)"});
  b.Line({"echo Internet Zelvora: the settings from before the first run are back."});
  b.Line({"exit /b 0"});
  b.Line({":iz_failed"});
  b.Log({"result: netsh refused a line of the saved settings (exit code 1)"});
  b.Line({"echo Internet Zelvora: netsh refused a line of the saved settings. See \"%IZ_LOG%\"."});
  b.Line({"exit /b 1"});
  b.Line({":iz_run_back"});
  b.Log({"netsh -f \"%~1\""});
  b.Line({"\"%IZ_NETSH%\" -f \"%~1\" >>\"%IZ_LOG%\" 2>&1"});
  b.Line({"if errorlevel 1 set \"IZ_BAD=1\""});
  b.Line({"exit /b 0"});
  return b.Take();
}

}  // namespace iz
