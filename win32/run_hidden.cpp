// Running a system program with no window, its output kept.
#include <string>

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
  std::string native(windows);
  native += "\\Sysnative";
  native.append(program, s, std::string::npos);
  return native;
}

// What stays open while the output is read: closed however the run ends.
struct OpenHandles {
  HANDLE read = nullptr, process = nullptr;
  ~OpenHandles() {
    if (read) CloseHandle(read);
    if (process) CloseHandle(process);
  }
};

}  // namespace

RunEnd Win32Platform::RunHidden(const std::string& program, const std::string& arguments,
                                std::uint32_t /*timeoutMs*/, std::size_t /*maxOutput*/,
                                std::uint32_t* exitCode, std::string* output) {
  output->clear();
  const std::string path = NativePath(program);
  std::string line = "\"";
  line += path;
  line += "\" ";
  line += arguments;
  // Both ends inheritable at first; the program gets the writing end only.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return RunEnd::NotStarted;
  OpenHandles open;
  const HANDLE self = GetCurrentProcess();
  const BOOL duplicated =
      DuplicateHandle(self, readEnd, self, &open.read, 0, FALSE, DUPLICATE_SAME_ACCESS);
  CloseHandle(readEnd);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  start.wShowWindow = SW_HIDE;
  start.hStdOutput = writeEnd;
  start.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  // No console of its own: nothing flashes on the screen.
  constexpr DWORD kCreateNoWindow = 0x08000000;
  const BOOL started =
      duplicated && CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, TRUE, kCreateNoWindow,
                                   nullptr, nullptr, &start, &process);
  // Ours closed, the pipe ends when the program does.
  CloseHandle(writeEnd);
  if (!started) return RunEnd::NotStarted;
  CloseHandle(process.hThread);
  open.process = process.hProcess;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(open.read, buffer, sizeof buffer, &got, nullptr) && got > 0)
    output->append(buffer, got);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  *exitCode = code;
  return RunEnd::Finished;
}

}  // namespace iz::win32
