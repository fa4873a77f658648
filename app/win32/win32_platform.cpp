#include "app/win32/win32_platform.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/win32/info_windows.h"

namespace iz::win32 {

namespace {

UINT IconFlags(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return MB_ICONINFORMATION;
    case MsgIcon::Question:
      return MB_ICONQUESTION;
    case MsgIcon::Error:
      return MB_ICONERROR;
    case MsgIcon::None:
      break;
  }
  return 0;
}

MsgAnswer AnswerOf(int id) {
  switch (id) {
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    case IDOK:
      return MsgAnswer::Ok;
    default:
      return MsgAnswer::Cancel;
  }
}

// Closes a Win32 handle when it goes out of scope.
struct FileHandle {
  HANDLE h;
  explicit FileHandle(HANDLE handle) : h(handle) {}
  ~FileHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

bool WriteAll(HANDLE file, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

}  // namespace

Win32Platform::~Win32Platform() { CloseToken(); }

bool Win32Platform::GetVersion(VersionInfo& info) {
  OSVERSIONINFOA v{};
  static_assert(sizeof(v) == 148, "the version record the OS detection relies on");
  v.dwOSVersionInfoSize = sizeof(v);
  // GetVersionExA is deprecated because it lies on Windows 8.1 and later
  // unless the manifest opts in; that lie (6.2) is exactly what we rely on.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  BOOL ok = GetVersionExA(&v);
#pragma GCC diagnostic pop
  if (!ok) return false;
  info.platformId = v.dwPlatformId;
  info.major = v.dwMajorVersion;
  info.minor = v.dwMinorVersion;
  info.csdVersion.assign(v.szCSDVersion, strnlen(v.szCSDVersion, sizeof(v.szCSDVersion)));
  return true;
}

MsgAnswer Win32Platform::MessageBox(const std::string& text, const std::string& caption,
                                    MsgIcon icon, MsgButtons buttons) {
  UINT type = IconFlags(icon) | (buttons == MsgButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK);
  return AnswerOf(MessageBoxA(mainWindow, text.c_str(), caption.c_str(), type));
}

void Win32Platform::ShowFirstRunNotice() { ShowFirstRunNoticeWindow(mainWindow); }

void Win32Platform::ShowAboutBox() {
  struct Reset {  // the about window is gone when this returns, also by an error
    HWND& about;
    ~Reset() { about = nullptr; }
  } reset{aboutWindow};
  ShowAboutWindow(mainWindow, [this](HWND about) {
    aboutWindow = about;
    if (onAboutLinkClick) onAboutLinkClick();
  });
}

void Win32Platform::ShellOpen(Owner owner, const std::string& file, const std::string& params) {
  HWND hwnd = owner == Owner::AboutWindow && aboutWindow ? aboutWindow : mainWindow;
  ShellExecuteA(hwnd, "open", file.c_str(), params.empty() ? nullptr : params.c_str(), nullptr,
                SW_SHOW);
}

bool Win32Platform::OpenProcessToken(std::uint32_t desiredAccess) {
  CloseToken();
  HANDLE token = nullptr;
  if (!::OpenProcessToken(GetCurrentProcess(), desiredAccess, &token)) return false;
  token_ = token;
  return true;
}

bool Win32Platform::LookupPrivilegeValue(const std::string& name) {
  return LookupPrivilegeValueA(nullptr, name.c_str(), &luid_) != FALSE;
}

bool Win32Platform::AdjustTokenPrivileges(std::uint32_t attributes) {
  if (!token_) return false;
  TOKEN_PRIVILEGES set{};
  set.PrivilegeCount = 1;
  set.Privileges[0].Luid = luid_;
  set.Privileges[0].Attributes = attributes;
  TOKEN_PRIVILEGES previous{};
  static_assert(sizeof(previous) == 16, "one-entry privilege set");
  DWORD length = 0;
  return ::AdjustTokenPrivileges(token_, FALSE, &set, sizeof(previous), &previous, &length) !=
         FALSE;
}

void Win32Platform::CloseToken() {
  if (token_) CloseHandle(token_);
  token_ = nullptr;
}

bool Win32Platform::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  return ::ExitWindowsEx(flags, reason) != FALSE;
}

void Win32Platform::CloseMainWindow() {
  if (mainWindow) PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

void Win32Platform::TerminateApplication() { PostQuitMessage(0); }

void Win32Platform::ApplyTheming() {
  InitCommonControlClasses();
  // The styles come from the manifest's common controls 6; repaint what
  // exists so that every control shows them.
  if (mainWindow)
    RedrawWindow(mainWindow, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

std::string Win32Platform::ProgramPath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: a longer path
  }
}

bool Win32Platform::DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Platform::FileExists(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Platform::CreateDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32Platform::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32Platform::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return CopyFileA(from.c_str(), to.c_str(), failIfExists) != FALSE;
}

bool Win32Platform::WriteFileAtomically(const std::string& path, const std::string& content) {
  // The temporary file sits beside the target so that the final move is a
  // rename on one volume: a reader sees the old file or the new one.
  const std::string temp = path + ".tmp";
  bool written;
  {
    FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return false;
    written = WriteAll(file.h, content) && FlushFileBuffers(file.h);
  }
  if (!written || !MoveFileExA(temp.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}

bool Win32Platform::ReadFile(const std::string& path, std::string* content) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  std::string data;
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.h, buffer, sizeof(buffer), &read, nullptr)) return false;
    if (read == 0) break;
    data.append(buffer, read);
  }
  *content = std::move(data);
  return true;
}

bool Win32Platform::ShowPreview(const PreviewReport& report) {
  return ShowPreviewWindow(mainWindow, report);
}

bool Win32Platform::AskSaveRegFile(const std::string& suggestedName, std::string* path) {
  std::vector<char> file(MAX_PATH, '\0');
  suggestedName.copy(file.data(), file.size() - 1);
  OPENFILENAMEA ofn{};
  // The size Windows 95 and NT 4.0 know; the newer fields are not needed.
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = mainWindow;
  ofn.lpstrFilter = "Registration files (*.reg)\0*.reg\0";
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = "reg";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameA(&ofn)) return false;
  *path = file.data();
  return true;
}

std::string Win32Platform::LocalDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

void InitCommonControlClasses() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&icc);
}

}  // namespace iz::win32
