// Running a system program with no window, its output kept, within a time
// and an output limit.
#include <string>
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
  std::string native(windows);
  native += "\\Sysnative";
  native.append(program, s, std::string::npos);
  return native;
}

// Text from one code page to another, through UTF-16. A console program
// such as netsh writes into a pipe in the OEM code page, the one of its
// console, while the program keeps the names it reads from the registry in
// the ANSI one (learn.microsoft.com/windows/console/console-application-issues:
// "the 8-bit console functions use the OEM code page; all other functions
// use the ANSI code page by default"). Unchanged where it does not convert.
std::string Recoded(const std::string& text, UINT from, UINT to) {
  const int size = static_cast<int>(text.size());
  const int n = text.empty() ? 0 : MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return text;
  std::vector<wchar_t> wide(n);
  MultiByteToWideChar(from, 0, text.data(), size, wide.data(), n);
  const int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return text;
  std::string out(m, '\0');
  WideCharToMultiByte(to, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
  return out;
}

// Job objects came with Windows 2000: a job ends every process of a run at
// once, those it started included, and ends them as well when its last
// handle closes however this program leaves.
struct JobCalls {
  using CreateFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR);
  using AssignFn = BOOL(WINAPI*)(HANDLE, HANDLE);
  using TerminateFn = BOOL(WINAPI*)(HANDLE, UINT);
  using SetInformationFn = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);
  CreateFn create = SystemFunction<CreateFn>("kernel32.dll", "CreateJobObjectW");
  AssignFn assign = SystemFunction<AssignFn>("kernel32.dll", "AssignProcessToJobObject");
  TerminateFn terminate = SystemFunction<TerminateFn>("kernel32.dll", "TerminateJobObject");
  SetInformationFn setInformation =
      SystemFunction<SetInformationFn>("kernel32.dll", "SetInformationJobObject");
  bool Complete() const { return create && assign && terminate && setInformation; }
};

const JobCalls& Jobs() {
  static const JobCalls calls;
  return calls;
}

// What stays open while the program runs: closed, and the run ended,
// however the run ends.
struct Run {
  HANDLE read = nullptr, process = nullptr, job = nullptr;
  bool inJob = false;

  // The whole tree where the job holds it; otherwise (before 2000, or where
  // this program runs in a job of its own, which Vista to 2008 R2 do not
  // nest) the program itself, while what it started lives on: the pipe is
  // closed on it all the same.
  void End() const {
    if (inJob)
      Jobs().terminate(job, 1);
    else if (process)
      TerminateProcess(process, 1);
  }
  ~Run() {
    if (read) CloseHandle(read);
    if (process) CloseHandle(process);
    if (job) CloseHandle(job);
  }
};

// The job for a run, each of its processes ended when the job's handle
// closes; null where the system has none.
HANDLE MakeJob() {
  const JobCalls& jobs = Jobs();
  if (!jobs.Complete()) return nullptr;
  HANDLE job = jobs.create(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!jobs.setInformation(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

// The milliseconds from start to now, across the tick count's wrap.
DWORD Since(DWORD start) { return GetTickCount() - start; }

}  // namespace

// netsh runs in a console of its own (no window), which starts in the OEM
// code page, and writes into the pipe in it. A script is written in the same
// code page: the documented use of `netsh dump` is a redirected dump run
// again with `-f`, which holds only where netsh reads what it writes
// (learn.microsoft.com/windows-server/administration/windows-commands/netsh-dump).
std::string Win32Platform::ConsoleText(const std::string& text) {
  return Recoded(text, CP_ACP, CP_OEMCP);
}

RunEnd Win32Platform::RunHidden(const std::string& program, const std::string& arguments,
                                std::uint32_t timeoutMs, std::size_t maxOutput,
                                std::uint32_t* exitCode, std::string* output) {
  output->clear();
  *exitCode = 0;
  const std::string path = NativePath(program);
  // Both ends inheritable at first; the program gets the writing end only.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    lastError_ = GetLastError();
    return RunEnd::NotStarted;
  }
  Run run;
  const HANDLE self = GetCurrentProcess();
  const BOOL duplicated =
      DuplicateHandle(self, readEnd, self, &run.read, 0, FALSE, DUPLICATE_SAME_ACCESS);
  CloseHandle(readEnd);
  run.job = MakeJob();
  PROCESS_INFORMATION process{};
  // No console window: nothing flashes on the screen. Suspended until it is
  // in the job, so that nothing it starts escapes it.
  constexpr DWORD kCreateNoWindow = 0x08000000;
  const DWORD flags = kCreateNoWindow | CREATE_SUSPENDED;
  BOOL started = FALSE;
  if (duplicated && IsNT()) {
    // The path and the arguments as they are, in any code page: the program
    // may live in a folder whose name the ANSI code page cannot write. Each
    // converted by itself, as the system folder's path is ANSI and a
    // script's path beside the program UTF-8.
    const std::vector<wchar_t> widePath = Wide(path), wideArguments = Wide(arguments);
    std::vector<wchar_t> wideLine(1, L'"');
    wideLine.insert(wideLine.end(), widePath.begin(), widePath.end() - 1);
    wideLine.push_back(L'"');
    wideLine.push_back(L' ');
    wideLine.insert(wideLine.end(), wideArguments.begin(), wideArguments.end());
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    start.wShowWindow = SW_HIDE;
    start.hStdOutput = start.hStdError = writeEnd;
    started = CreateProcessW(widePath.data(), wideLine.data(), nullptr, nullptr, TRUE, flags,
                             nullptr, nullptr, &start, &process);
  } else if (duplicated) {
    std::string line = "\"";
    line += path;
    line += "\" ";
    line += arguments;
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    start.wShowWindow = SW_HIDE;
    start.hStdOutput = start.hStdError = writeEnd;
    started = CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, TRUE, flags, nullptr,
                             nullptr, &start, &process);
  }
  if (!started) lastError_ = GetLastError();
  // Ours closed, the pipe ends when the program and what it started do.
  CloseHandle(writeEnd);
  if (!started) return RunEnd::NotStarted;
  run.process = process.hProcess;
  run.inJob = run.job && Jobs().assign(run.job, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);

  // Read only what the pipe holds, between short waits: a process the
  // program started may keep the pipe open long after the program ended,
  // and a read would wait for it past any limit.
  const DWORD start = GetTickCount();
  bool exited = false;
  char buffer[4096];
  for (;;) {
    DWORD available = 0;
    bool open = PeekNamedPipe(run.read, nullptr, 0, nullptr, &available, nullptr) != FALSE;
    if (open && available > 0) {
      DWORD got = 0;
      const DWORD wanted = available < sizeof buffer ? available : sizeof buffer;
      if (::ReadFile(run.read, buffer, wanted, &got, nullptr) && got > 0) {
        if (got > maxOutput - output->size()) {
          run.End();
          output->clear();
          return RunEnd::TooMuchOutput;
        }
        output->append(buffer, got);
        continue;
      }
      open = false;
    }
    // Ended, and what it wrote is read: whatever it left running is ended
    // with the job.
    if (exited) break;
    const DWORD spent = Since(start);
    if (spent >= timeoutMs) {
      run.End();
      output->clear();
      return RunEnd::TimedOut;
    }
    const DWORD left = timeoutMs - spent;
    // A closed pipe has nothing more to wait for but the end.
    const DWORD step = !open ? left : left < 20 ? left : 20;
    exited = WaitForSingleObject(run.process, step) == WAIT_OBJECT_0;
  }
  DWORD code = 0;
  GetExitCodeProcess(run.process, &code);
  *exitCode = code;
  *output = Recoded(*output, CP_OEMCP, CP_ACP);
  return RunEnd::Finished;
}

}  // namespace iz::win32
