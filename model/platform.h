#pragma once
// Everything the logic asks of Windows beyond the registry and profile files.
// Each call is small enough for a test substitute to record it and answer it
// from a script (tests/native/fake_platform.h).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/preview_report.h"

namespace iz {

// The fields of OSVERSIONINFOA that the OS detection reads.
struct VersionInfo {
  std::uint32_t platformId = 0;  // 1 VER_PLATFORM_WIN32_WINDOWS, 2 VER_PLATFORM_WIN32_NT
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::string csdVersion;  // the service-pack text
  std::uint32_t build = 0;  // the build number, where the system gives it
  // OSVERSIONINFOEX's wProductType: kProductWorkstation, kProductDomainController
  // or kProductServer; 0 where the system does not say (the 9x family, NT 4.0
  // before Service Pack 4).
  std::uint8_t productType = 0;
};
inline constexpr std::uint8_t kProductWorkstation = 1;
inline constexpr std::uint8_t kProductDomainController = 2;
inline constexpr std::uint8_t kProductServer = 3;

// The local date and time, as GetLocalTime gives it (seconds, no fraction).
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The last `width` decimal digits of v, zero-filled. Not snprintf: the
// program would carry the C library's formatting engine for it.
inline std::string Decimal(int v, int width) {
  std::string out(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0 && v > 0; --i, v /= 10) out[i] = static_cast<char>('0' + v % 10);
  return out;
}

// "2026-12-07".
inline std::string DateText(const DateTime& t) {
  return Decimal(t.year, 4) + "-" + Decimal(t.month, 2) + "-" + Decimal(t.day, 2);
}

enum class MsgIcon { None, Information, Question, Error };
enum class MsgButtons { Ok, YesNo };  // YesNo: Yes is the default button
enum class MsgAnswer { Ok, Yes, No, Cancel };

// Which window owns a shell launch or a dialog.
enum class Owner { MainWindow, AboutWindow };

inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32NT = 2;
inline constexpr int kSwShow = 5;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

enum class FileRead { Ok, Failed, TooLarge };

// How a run of a hidden program ended.
enum class RunEnd {
  Finished,       // it ended by itself; its exit code and output are there
  NotStarted,     // it could not be started (LastErrorText says why)
  TimedOut,       // it was still running at the limit and was ended, with what it started
  TooMuchOutput,  // it printed more than the limit and was ended
};

// Who may change what is in a folder the program keeps its records in.
enum class FolderSafety {
  AdminsOnly,    // owned by Administrators or SYSTEM, and only they may write
  OpenToOthers,  // another account owns it or may write in it
  Unchecked,     // the system has no such security (the 9x family)
};

// One line of the adapters window.
struct AdapterRow {
  std::string name;
  std::string storedMtu;  // the number, or "automatic"
  std::string mtuInUse;   // empty where the system cannot tell
  bool ticked = true;
};

// One row of the "Modern TCP Settings" window: a setting by netsh's name,
// with netsh's words for its values.
struct TcpSettingRow {
  std::string name;                 // "autotuninglevel"
  std::string inForce;              // as netsh reports it; empty where it does not
  std::string defaultValue;         // this version's, or "not documented"
  std::vector<std::string> values;  // the words it takes; for a number, some to pick
  std::vector<std::string> hurts;   // of those, the ones that hurt in common use
  std::string effect;               // one line: what it does
  std::string chosen;               // the new value; the value in force at first
  // false: netsh's reading leaves the setting out, so it cannot be changed;
  // the window shows "(not reported)" and values is empty.
  bool reported = true;
  // A number's range, for checking what is typed; both 0 where the setting
  // takes words.
  std::uint32_t minimum = 0, maximum = 0;
  std::string source;  // where the effect and the default are documented
};

// What the window says, and why Apply is off, when netsh reported none of
// the settings (every row's `reported` false).
inline constexpr const char* kNetshReportedNothing =
    "netsh reported none of the TCP settings; it may be blocked by a policy or damaged. Nothing "
    "was changed.";
inline constexpr const char* kNotReported = "(not reported)";
inline bool NoneReported(const std::vector<TcpSettingRow>& rows) {
  for (const TcpSettingRow& r : rows)
    if (r.reported) return false;
  return true;
}

// The MTU an adapter uses now, as the IP helper reports it; the adapter by
// the name the system gives it ("{GUID}" from 2000 on).
struct MtuInUse {
  std::string adapter;      // the system's id of it: "{GUID}" from 2000 on
  std::string description;  // the driver's description, as the 9x family names adapters
  std::uint32_t mtu = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // GetVersionExA with the extended record (size 156), or the plain one (148)
  // where that is refused; false when it fails.
  virtual bool GetVersion(VersionInfo& info) = 0;

  // A modal MessageBox owned by the main window.
  virtual MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                               MsgButtons buttons) = 0;
  // The modal first-run notice (TAboutBox1); returns when it is closed. May throw.
  virtual void ShowFirstRunNotice() = 0;
  // The modal about window (TAboutBox), a fresh one each time.
  virtual void ShowAboutBox() = 0;

  // ShellExecute(owner, "open", file, params or NULL when empty, NULL, SW_SHOW);
  // false when the shell could not start it.
  virtual bool ShellOpen(Owner owner, const std::string& file, const std::string& params) = 0;
  // The system's own text for the last platform call that failed.
  virtual std::string LastErrorText() = 0;
  // The system directory (GetSystemDirectoryA), empty when it cannot be had.
  virtual std::string SystemDirectory() = 0;

  // The restart primitives that ExitWindowsWithPrivilege composes.
  // OpenProcessToken(GetCurrentProcess(), access); the token is kept until CloseToken.
  virtual bool OpenProcessToken(std::uint32_t desiredAccess) = 0;
  // LookupPrivilegeValueA(NULL, name) into the kept LUID.
  virtual bool LookupPrivilegeValue(const std::string& name) = 0;
  // AdjustTokenPrivileges(token, FALSE, {1, luid, attributes}, 16, &previous, &len).
  virtual bool AdjustTokenPrivileges(std::uint32_t attributes) = 0;
  virtual void CloseToken() = 0;
  virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;

  // The application object and the main window.
  virtual void CloseMainWindow() = 0;  // "E&xit" and the close box
  virtual void ApplyTheming() = 0;     // the theming component's work on existing windows

  // Files, for the backup. Paths are in the platform's own encoding: the
  // program path may hold characters that the ANSI code page cannot show.
  virtual std::string ProgramPath() = 0;  // full path of the running program file
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;  // exists and is not a directory
  // The path exists and is a reparse point (junction, symbolic link, mount point).
  virtual bool IsReparsePoint(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  virtual bool SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // Copies from over to through a new temporary file beside to and a
  // replace, so that to is either the old file or the whole copy.
  virtual bool CopyFileAtomically(const std::string& from, const std::string& to) = 0;
  // Writes a whole file atomically (temporary file, then rename); false on failure.
  virtual bool WriteFileAtomically(const std::string& path, const std::string& content) = 0;
  // Reads a whole file of at most maxBytes; a larger one is not read.
  virtual FileRead ReadFile(const std::string& path, std::string* content,
                            std::uint64_t maxBytes) = 0;

  // Preview and export.
  // The modal "Preview Changes" dialog; true when it was left by "&Optimize".
  virtual bool ShowPreview(const PreviewReport& report) = 0;
  // The Save As dialog for a registration file, offering suggestedName;
  // false when it was cancelled.
  virtual bool AskSaveRegFile(const std::string& suggestedName, std::string* path) = 0;
  // The names of the files (not folders) directly in a folder, in no
  // particular order; false when the folder cannot be listed.
  virtual bool ListFiles(const std::string& folder, std::vector<std::string>* names) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Renames a file; fails when to exists (MoveFile), on every system.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Writes a file that is to be new, whole: a temporary file beside it,
  // then a rename that fails when path exists by then. False on failure.
  virtual bool WriteNewFileAtomically(const std::string& path, const std::string& content) = 0;

  // GetLocalTime: the journal names its records by it, the export is dated by it.
  virtual DateTime Now() = 0;
  // GetUserNameA: the account the program runs as, whose HKEY_CURRENT_USER
  // it changes; empty when it cannot be had.
  virtual std::string UserName() = 0;

  // The modal "Find Largest MTU" window; useMtu runs with the MTU found each
  // time "&Use as Custom MTU" is pressed, while the window stays open, and
  // returns what the window's status line then says.
  virtual void ShowFindMtu(const std::function<std::string(int mtu)>& useMtu) = 0;

  // The network adapters.
  // The MTU in use of each adapter, from the IP helper where the system has
  // it (looked up when called); empty without it.
  virtual std::vector<MtuInUse> MtusInUse() = 0;
  // The modal "Network Adapters" window over rows, whose boxes the user
  // ticks and clears; true when it was left by OK, with rows holding the
  // choice.
  virtual bool ShowAdapters(std::vector<AdapterRow>* rows) = 0;

  // The modal "Modern TCP Settings" window over rows, whose new values the
  // user chooses. read runs as it opens and fills in the values in force;
  // it returns the line the window shows, or nothing when it failed (it
  // said why), and the window then closes. apply runs on "&Apply" with the
  // rows as chosen; it leaves in them what is in force afterwards and
  // returns the line the window shows about it. Each runs on a thread of
  // its own, while the window stays live with its buttons off: apply takes
  // the writer lock itself and lets it go before it returns.
  using TcpRowsWork = std::function<std::string(std::vector<TcpSettingRow>* rows)>;
  virtual void ShowModernTcp(std::vector<TcpSettingRow>* rows, const TcpRowsWork& read,
                             const TcpRowsWork& apply) = 0;

  // Runs work on a thread of its own while the main window waits, disabled
  // but redrawn: for netsh's runs, each of which may take up to its time
  // limit. What work throws is thrown here. Without a main window (the
  // command line) it simply runs. work shows nothing itself.
  virtual void RunWaiting(const std::function<void()>& work) = 0;

  // The folders of records (NT): made so that only Administrators and
  // SYSTEM may write in them, and checked before a record is read or written.
  virtual bool CreateAdminsOnlyFolder(const std::string& path) = 0;
  virtual FolderSafety CheckFolder(const std::string& path) = 0;

  // One writer at a time, across every copy of the program: false when
  // another copy holds the lock, or when the lock was made by an account
  // other than Administrators and SYSTEM (model/writer_lock.h), whose name
  // ("DOMAIN\name", or its SID where it has none) is then in *stranger.
  // Released by ReleaseWriterLock, on the thread that took it.
  virtual bool TakeWriterLock(std::string* stranger) = 0;
  virtual void ReleaseWriterLock() = 0;

  // Runs a program by its full path with no window and hands back its exit
  // code and what it printed, decoded from the code page a console program
  // writes into a pipe into the program's own text. The run, and every
  // process it started, is ended once timeoutMs have passed; output beyond
  // maxOutput bytes ends it too.
  virtual RunEnd RunHidden(const std::string& program, const std::string& arguments,
                           std::uint32_t timeoutMs, std::size_t maxOutput,
                           std::uint32_t* exitCode, std::string* output) = 0;
  // The program's text as a console program reads it from a file (a `-f`
  // script of netsh): in the code page it writes its output in.
  virtual std::string ConsoleText(const std::string& text) = 0;
};

}  // namespace iz
