// Running a system program with no window, its output kept.
#include <cstring>
#include <vector>

#include "win32/late_bound.h"
#include "win32/win32_platform.h"

namespace iz::win32 {

namespace {

// A 32-bit program on 64-bit Windows that asks for system32 is sent to
// SysWOW64, whose netsh is the 32-bit one; Sysnative reaches the real
// system folder. IsWow64Process came with XP SP2: without it there is no
// 64-bit Windows beneath.
std::string NativePath(const std::string& program) {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 = SystemFunction<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  if (isWow64 == nullptr || !isWow64(GetCurrentProcess(), &wow64) || !wow64) return program;
  char system[MAX_PATH], windows[MAX_PATH];
  const UINT s = GetSystemDirectoryA(system, MAX_PATH);
  const UINT w = GetWindowsDirectoryA(windows, MAX_PATH);
  if (s == 0 || s >= MAX_PATH || w == 0 || w >= MAX_PATH || program.size() <= s ||
      program[s] != '\\' ||
      CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, program.c_str(), static_cast<int>(s),
                     system, static_cast<int>(s)) != CSTR_EQUAL) {
    return program;
  }
  return std::string(windows) + "\\Sysnative" + program.substr(s);
}

class Handle {
 public:
  Handle() = default;
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE* operator&() { return &h_; }
  HANDLE get() const { return h_; }
  void Close() {
    if (h_ != nullptr) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace

bool Win32Platform::RunHidden(const std::string& program, const std::string& arguments,
                              std::uint32_t* exitCode, std::string* output) {
  output->clear();
  // Both ends inheritable at first; the program gets the writing end only.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle readEnd, writeEnd, ownRead;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0) ||
      !DuplicateHandle(GetCurrentProcess(), readEnd.get(), GetCurrentProcess(), &ownRead, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return false;
  }
  readEnd.Close();

  const std::string path = NativePath(program);
  std::string line = "\"" + path + "\" " + arguments;
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  start.wShowWindow = SW_HIDE;
  start.hStdOutput = writeEnd.get();
  start.hStdError = writeEnd.get();
  PROCESS_INFORMATION process{};
  // No console of its own: nothing flashes on the screen.
  constexpr DWORD kCreateNoWindow = 0x08000000;
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, kCreateNoWindow,
                      nullptr, nullptr, &start, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  // Ours closed, the pipe ends when the program does.
  writeEnd.Close();
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(ownRead.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    output->append(buffer, got);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  *exitCode = code;
  return true;
}

}  // namespace iz::win32
