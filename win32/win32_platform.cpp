#include "win32/win32_platform.h"

#include <commdlg.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "store/file_replace.h"
#include "win32/controls.h"
#include "win32/find_mtu_window.h"
#include "win32/info_windows.h"
#include "win32/ip_helper.h"
#include "win32/late_bound.h"
#include "win32/modern_tcp_window.h"

namespace iz::win32 {

namespace {

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

// ---------------------------------------------------------------- paths
// On the NT family the paths this platform hands out and takes are UTF-8 and
// go to the wide functions, so that a folder named outside the ANSI code page
// (GetModuleFileNameA turns those characters into '?') still works. The 9x
// family has only the ANSI functions and keeps ANSI paths. Paths built from
// the ANSI Windows directory arrive here as well: a text that is not valid
// UTF-8 is taken as ANSI.

}  // namespace

bool IsNT() {
  static const bool nt = (::GetVersion() & 0x80000000u) == 0;
  return nt;
}

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

// A wide copy of text, NUL-terminated, for the wide functions. A vector, not
// std::wstring: the wide string's library code would add some 35 KB to the
// program.
std::vector<wchar_t> Wide(const std::string& text) {
  const UINT codePage = IsUtf8(text) ? CP_UTF8 : CP_ACP;
  const int size = static_cast<int>(text.size());
  const int n = text.empty() ? 0 : MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::vector<wchar_t> out(n > 0 ? n + 1 : 1, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
  return out;
}

namespace {

// The UTF-8 form of length wide characters, or of all up to the NUL when
// length is -1.
std::string Utf8(const wchar_t* text, int length = -1) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
  if (length < 0) out.pop_back();  // the NUL it counted
  return out;
}

DWORD Attributes(const std::string& path) {
  return IsNT() ? GetFileAttributesW(Wide(path).data()) : GetFileAttributesA(path.c_str());
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  return IsNT() ? CreateFileW(Wide(path).data(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr)
                : CreateFileA(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CopyOne(const std::string& from, const std::string& to, bool failIfExists) {
  return (IsNT() ? CopyFileW(Wide(from).data(), Wide(to).data(), failIfExists)
                 : CopyFileA(from.c_str(), to.c_str(), failIfExists)) != FALSE;
}

bool Delete(const std::string& path) {
  return (IsNT() ? DeleteFileW(Wide(path).data()) : DeleteFileA(path.c_str())) != FALSE;
}

bool Move(const std::string& from, const std::string& to) {
  return (IsNT() ? MoveFileW(Wide(from).data(), Wide(to).data())
                 : MoveFileA(from.c_str(), to.c_str())) != FALSE;
}

bool SetAttributes(const std::string& path, DWORD attributes) {
  return (IsNT() ? SetFileAttributesW(Wide(path).data(), attributes)
                 : SetFileAttributesA(path.c_str(), attributes)) != FALSE;
}

PathKind KindOf(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : PathKind::File;
}

// The replacement by renames (store/file_replace.h) on this system's files.
// MoveFile does not replace, on the 9x family nor on NT.
class Win32RenameFiles : public RenameFiles {
 public:
  PathKind KindOf(const std::string& path) override { return win32::KindOf(path); }
  bool Rename(const std::string& from, const std::string& to) override { return Move(from, to); }
  // The old copy of a read-only file (System.dat) is read-only too.
  bool Remove(const std::string& path) override {
    SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    return Delete(path);
  }
};

// CopyFile leaves the copy in the system's cache: it is written out before
// it takes the target's name, as a written file is. A read-only copy opens
// for writing only with the attribute lifted meanwhile.
bool FlushCopy(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
  if (readOnly) SetAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  bool flushed;
  {
    FileHandle file(OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING));
    flushed = file.ok() && FlushFileBuffers(file.h);
  }
  if (readOnly) SetAttributes(path, attributes);
  return flushed;
}

// Puts temp, complete and flushed, in the place of target: in one step where
// the system can, by renames where MoveFileEx is only a stub (Windows 95, 98
// and Me). moveFileEx stands in for the system's MoveFileEx when set (tests).
bool MoveOver(const std::string& temp, const std::string& target,
              Win32Platform::MoveFileExFn moveFileEx) {
  constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  BOOL moved;
  if (moveFileEx)
    moved = moveFileEx(temp.c_str(), target.c_str(), kFlags);
  else if (IsNT())
    moved = MoveFileExW(Wide(temp).data(), Wide(target).data(), kFlags);
  else
    moved = MoveFileExA(temp.c_str(), target.c_str(), kFlags);
  if (moved) return true;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  Win32RenameFiles files;
  return ReplaceByRenames(files, temp, target);
}

// A new temporary file beside path, made by create (which must fail when the
// name exists, as CREATE_NEW does), under a name nobody else can have chosen
// in advance: a file planted under a fixed name would keep its owner, and
// its access, through the rename.
bool MakeTemporary(const std::string& path, std::string* temp,
                   const std::function<bool(const std::string&)>& create) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    // wsprintfA, not snprintf: the C library's formatting engine would be a
    // tenth of the program for this name.
    char suffix[48];
    wsprintfA(suffix, ".%lx.%lx.%x.tmp", GetCurrentProcessId(), GetTickCount(), ++serial);
    *temp = path + suffix;
    if (create(*temp)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// A new temporary file beside path (MakeTemporary) holding content, written
// out. False, with nothing left behind and the system's error kept, when it
// cannot be made or written.
bool WriteTemporary(const std::string& path, const std::string& content, std::string* temp) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (!MakeTemporary(path, temp, [&](const std::string& t) {
        handle = OpenFile(t, GENERIC_WRITE, 0, CREATE_NEW);
        return handle != INVALID_HANDLE_VALUE;
      }))
    return false;
  bool written;
  {
    FileHandle file(handle);
    written = WriteAll(file.h, content) && FlushFileBuffers(file.h);
  }
  if (written) return true;
  const DWORD error = GetLastError();
  Delete(*temp);
  SetLastError(error);
  return false;
}

}  // namespace

Win32Platform::~Win32Platform() { CloseToken(); }

std::string Win32Platform::LastErrorText() {
  // The general error report adds its own full stop.
  return SystemErrorText(lastError_, " \t\n\v\f\r.");
}

std::string Win32Platform::SystemDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    lastError_ = GetLastError();
    return std::string();
  }
  return std::string(buffer, n);
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

void Win32Platform::ApplyTheming() {
  InitCommonControlClasses();
  // The styles come from the manifest's common controls 6; repaint what
  // exists so that every control shows them.
  if (mainWindow)
    RedrawWindow(mainWindow, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

std::string Win32Platform::ProgramPath() {
  // A buffer the path filled may have cut it: read again into a larger one.
  for (DWORD size = MAX_PATH;; size *= 2) {
    if (IsNT()) {
      std::vector<wchar_t> buffer(size);
      const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
      if (n == 0) return std::string();
      if (n < size) return Utf8(buffer.data(), static_cast<int>(n));
    } else {
      std::string buffer(size, '\0');
      const DWORD n = GetModuleFileNameA(nullptr, &buffer[0], size);
      if (n == 0) return std::string();
      if (n < size) {
        buffer.resize(n);
        return buffer;
      }
    }
  }
}

// Attributes rather than a directory search: a search reads '?' and '*' in
// the name as wildcards.
bool Win32Platform::DirectoryExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Platform::FileExists(const std::string& path) {
  MendCutReplacement(path);
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The link checks look at what the next read will read.
bool Win32Platform::IsReparsePoint(const std::string& path) {
  MendCutReplacement(path);
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Win32Platform::CreateDirectory(const std::string& path) {
  return (IsNT() ? CreateDirectoryW(Wide(path).data(), nullptr)
                 : CreateDirectoryA(path.c_str(), nullptr)) != FALSE;
}

bool Win32Platform::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  return SetAttributes(path, attributes);
}

bool Win32Platform::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return CopyOne(from, to, failIfExists);
}

bool Win32Platform::CopyFileAtomically(const std::string& from, const std::string& to) {
  if (KindOf(to) == PathKind::Folder) return false;
  // A copy that fails when its target exists creates the temporary file as
  // CREATE_NEW would; it takes the attributes of its source.
  std::string temp;
  if (!MakeTemporary(to, &temp, [&](const std::string& t) { return CopyOne(from, t, true); }))
    return false;
  if (!FlushCopy(temp) || !MoveOver(temp, to, moveFileEx)) {
    // A read-only copy (System.dat) cannot be deleted as it stands.
    SetFileAttributes(temp, kFileAttributeNormal);
    Delete(temp);
    return false;
  }
  return true;
}

bool Win32Platform::WriteFileAtomically(const std::string& path, const std::string& content) {
  // The temporary file sits beside the target so that the final move is a
  // rename on one volume: a reader sees the old file or the new one.
  // The system's error is kept for LastErrorText: "Unable to write" says why.
  if (KindOf(path) == PathKind::Folder) {
    lastError_ = ERROR_ACCESS_DENIED;
    return false;
  }
  std::string temp;
  if (!WriteTemporary(path, content, &temp)) {
    lastError_ = GetLastError();
    return false;
  }
  if (!MoveOver(temp, path, moveFileEx)) {
    lastError_ = GetLastError();
    Delete(temp);
    return false;
  }
  return true;
}

FileRead Win32Platform::ReadFile(const std::string& path, std::string* content,
                                 std::uint64_t maxBytes) {
  MendCutReplacement(path);
  FileHandle file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  if (!file.ok()) return FileRead::Failed;
  // Refused by its size before a byte is read, and again should it grow.
  DWORD high = 0;
  const DWORD low = GetFileSize(file.h, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return FileRead::Failed;
  if ((std::uint64_t{high} << 32 | low) > maxBytes) return FileRead::TooLarge;
  std::string data;
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.h, buffer, sizeof(buffer), &read, nullptr)) return FileRead::Failed;
    if (read == 0) break;
    if (data.size() + read > maxBytes) return FileRead::TooLarge;
    data.append(buffer, read);
  }
  *content = std::move(data);
  return FileRead::Ok;
}

bool Win32Platform::AskSaveRegFile(const std::string& suggestedName, std::string* path) {
  const DWORD flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  // The structure's size that Windows 95 and NT 4.0 know; the newer fields
  // are not needed. On NT the wide form, so that the chosen folder may be
  // named outside the ANSI code page.
  using GetSaveFileNameWFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
  static const auto getSaveFileNameW =
      IsNT() ? SystemFunction<GetSaveFileNameWFn>("comdlg32.dll", "GetSaveFileNameW") : nullptr;
  if (getSaveFileNameW) {
    // A longer name is cut, never left unterminated.
    std::vector<wchar_t> file(MAX_PATH, L'\0');
    const std::vector<wchar_t> name = Wide(suggestedName);
    std::copy_n(name.data(), std::min<std::size_t>(name.size(), MAX_PATH - 1), file.data());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = mainWindow;
    ofn.lpstrFilter = L"Registration files (*.reg)\0*.reg\0";
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"reg";
    ofn.Flags = flags;
    if (!getSaveFileNameW(&ofn)) return false;
    *path = Utf8(file.data());
    return true;
  }
  std::vector<char> file(MAX_PATH, '\0');
  suggestedName.copy(file.data(), file.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = mainWindow;
  ofn.lpstrFilter = "Registration files (*.reg)\0*.reg\0";
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = "reg";
  ofn.Flags = flags;
  using GetSaveFileNameAFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
  static const auto getSaveFileName =
      SystemFunction<GetSaveFileNameAFn>("comdlg32.dll", "GetSaveFileNameA");
  if (!getSaveFileName || !getSaveFileName(&ofn)) return false;
  *path = file.data();
  return true;
}

bool Win32Platform::ListFiles(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  const std::string pattern = folder + "\\*";
  HANDLE find;
  DWORD attributes;
  WIN32_FIND_DATAW wide;
  WIN32_FIND_DATAA ansi;
  if (IsNT()) {
    find = FindFirstFileW(Wide(pattern).data(), &wide);
  } else {
    find = FindFirstFileA(pattern.c_str(), &ansi);
  }
  // An empty folder has no entry at all, not even "." on some file systems.
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    attributes = IsNT() ? wide.dwFileAttributes : ansi.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      names->push_back(IsNT() ? Utf8(wide.cFileName) : std::string(ansi.cFileName));
  } while (IsNT() ? FindNextFileW(find, &wide) : FindNextFileA(find, &ansi));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  return complete;
}

bool Win32Platform::DeleteFile(const std::string& path) { return Delete(path); }

bool Win32Platform::RenameFile(const std::string& from, const std::string& to) {
  return Move(from, to);
}

// As WriteFileAtomically, but the last rename is MoveFile's, which never
// replaces: a file another copy made under the name meanwhile stays.
bool Win32Platform::WriteNewFileAtomically(const std::string& path, const std::string& content) {
  std::string temp;
  if (!WriteTemporary(path, content, &temp)) {
    lastError_ = GetLastError();
    return false;
  }
  if (!Move(temp, path)) {
    const DWORD error = GetLastError();
    Delete(temp);
    SetLastError(error);
    lastError_ = error;
    return false;
  }
  return true;
}

// Only the replacement by renames leaves anything to finish. It never runs
// on the NT family, where a file planted under the finished name in a
// folder others may write to would otherwise be moved in by an elevated
// program.
void Win32Platform::MendCutReplacement(const std::string& path) {
  if (IsNT() && !moveFileEx) return;
  Win32RenameFiles files;
  FinishCutReplacement(files, path);
}

DateTime Win32Platform::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string Win32Platform::UserName() {
  char name[257] = {};  // UNLEN + 1
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

BOOL WINAPI MoveFileExNotImplemented(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

void LimitDllSearch() {
  // The program runs elevated from a folder that may be writable by others:
  // DLLs that shell32 and comctl32 load later must not come from there. Both
  // calls are looked up, not imported: Windows 95 and NT 4.0 have neither,
  // SetDefaultDllDirectories came with Windows 8 (and an update of 7).
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryAFn = BOOL(WINAPI*)(LPCSTR);
  if (auto setDefault =
          SystemFunction<SetDefaultDllDirectoriesFn>("kernel32.dll", "SetDefaultDllDirectories")) {
    if (setDefault(kSearchSystem32)) return;
  }
  if (auto setDirectory = SystemFunction<SetDllDirectoryAFn>("kernel32.dll", "SetDllDirectoryA")) {
    setDirectory("");
  }
}

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  // The window's start has none: the shell is not loaded just to see that.
  if (__argc <= 1) return args;
  using CommandLineToArgvWFn = LPWSTR*(WINAPI*)(LPCWSTR, int*);
  static const auto toArgv =
      IsNT() ? SystemFunction<CommandLineToArgvWFn>("shell32.dll", "CommandLineToArgvW") : nullptr;
  int count = 0;
  if (LPWSTR* wide = toArgv ? toArgv(GetCommandLineW(), &count) : nullptr) {
    for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return args;
  }
  for (int i = 1; i < __argc; ++i) args.push_back(__argv[i]);
  return args;
}

void InitCommonControlClasses() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  // The standard classes are a flag of common controls 6 only (they come
  // with the manifest); an older version may refuse a flag it does not know.
  icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  if (InitCommonControlsEx(&icc)) return;
  icc.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&icc);
}

}  // namespace iz::win32
