#pragma once
// The real Platform: the version query, message boxes, shell launches, the
// restart primitives, the application object's end and the files of the
// backup, each a thin call of the Win32 API.
#include <functional>
#include <string>
#include <vector>

#include "model/platform.h"
#include "win32/win.h"

namespace iz::win32 {

class Win32Platform : public Platform {
 public:
  Win32Platform() = default;
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The main window owns message boxes and shell launches. Set at its
  // WM_NCCREATE, so that start-up inside WM_CREATE already has it.
  HWND mainWindow = nullptr;
  // The about window while it is open (owner of its link's launch).
  HWND aboutWindow = nullptr;
  // The window that shows the model, told of what happens in the others;
  // null while there is none.
  class View {
   public:
    // The about window's link was clicked (TIZelvora::OnAboutLinkClick).
    virtual void OnAboutLinkClick() = 0;
    // A window other than the main one changed the model: shown at once.
    virtual void OnModelChanged() = 0;

   protected:
    ~View() = default;
  };
  View* view = nullptr;

  bool GetVersion(VersionInfo& info) override;
  MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                       MsgButtons buttons) override;
  void ShowFirstRunNotice() override;
  void ShowAboutBox() override;
  bool ShellOpen(Owner owner, const std::string& file, const std::string& params) override;
  std::string LastErrorText() override;
  std::string SystemDirectory() override;

  bool OpenProcessToken(std::uint32_t desiredAccess) override;
  bool LookupPrivilegeValue(const std::string& name) override;
  bool AdjustTokenPrivileges(std::uint32_t attributes) override;
  void CloseToken() override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

  void CloseMainWindow() override;
  void ApplyTheming() override;

  std::string ProgramPath() override;
  bool DirectoryExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool IsReparsePoint(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool CopyFileAtomically(const std::string& from, const std::string& to) override;
  bool WriteFileAtomically(const std::string& path, const std::string& content) override;
  FileRead ReadFile(const std::string& path, std::string* content, std::uint64_t maxBytes) override;

  bool ShowPreview(const PreviewReport& report) override;
  bool AskSaveRegFile(const std::string& suggestedName, std::string* path) override;
  bool ListFiles(const std::string& folder, std::vector<std::string>* names) override;
  bool DeleteFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  bool WriteNewFileAtomically(const std::string& path, const std::string& content) override;
  DateTime Now() override;
  std::vector<MtuInUse> MtusInUse() override;
  bool ShowAdapters(std::vector<AdapterRow>* rows) override;
  void ShowFindMtu(const std::function<std::string(int mtu)>& useMtu) override;
  void ShowModernTcp(std::vector<TcpSettingRow>* rows, const TcpRowsWork& read,
                     const TcpRowsWork& apply) override;
  std::string UserName() override;
  void RunWaiting(const std::function<void()>& work) override;
  bool CreateAdminsOnlyFolder(const std::string& path) override;
  FolderSafety CheckFolder(const std::string& path) override;
  bool TakeWriterLock(std::string* stranger) override;
  void ReleaseWriterLock() override;
  RunEnd RunHidden(const std::string& program, const std::string& arguments,
                   std::uint32_t timeoutMs, std::size_t maxOutput, std::uint32_t* exitCode,
                   std::string* output) override;
  std::string ConsoleText(const std::string& text) override;

  // The atomic write's and copy's MoveFileEx; null: the system's. Tests put
  // MoveFileExNotImplemented here to take the 9x fallback under any Windows.
  using MoveFileExFn = BOOL(WINAPI*)(LPCSTR from, LPCSTR to, DWORD flags);
  MoveFileExFn moveFileEx = nullptr;

 private:
  // Finishes a replacement of path by renames that was cut
  // (store/file_replace.h), before path is looked at or written.
  void MendCutReplacement(const std::string& path);

  HANDLE token_ = nullptr;
  DWORD lastError_ = 0;
  LUID luid_{};
  // The writer lock's mutex while this copy holds it, and how many commands
  // (one inside another) hold it.
  HANDLE writerLock_ = nullptr;
  int writerLockDepth_ = 0;
};

// Whether this is the NT family, whose paths this platform takes as UTF-8
// (store/ and the layers below hand them through unchanged).
bool IsNT();
// A path as the wide functions of the NT family take it, NUL-terminated: a
// text that is not UTF-8 is taken as ANSI.
std::vector<wchar_t> Wide(const std::string& text);

// MoveFileExA as Windows 95, 98 and Me have it: fails with
// ERROR_CALL_NOT_IMPLEMENTED.
BOOL WINAPI MoveFileExNotImplemented(LPCSTR from, LPCSTR to, DWORD flags);

// Limits where DLLs loaded from now on are looked for to the system
// directory (or, where only that exists, takes the current directory out of
// the search); on systems with neither call it does nothing.
void LimitDllSearch();

// The program's arguments after its name: on NT read in full (UTF-8, as the
// platform's paths), elsewhere as the C runtime split them.
std::vector<std::string> CommandLineArguments();

// Registers the common controls this program uses (toolbar, status bar,
// tooltips). Needed before the main window creates them; the theming
// component calls it again when it is applied.
void InitCommonControlClasses();

}  // namespace iz::win32
