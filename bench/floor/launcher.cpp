// Measures two programs side by side, alternating between them (and which of
// them goes first in a round) so that both see the same machine:
//   launcher start RUNS WARMUP FLOOR PROGRAM
//     from process creation until the main window is visible, and on until
//     the process is ready for input (WaitForInputIdle once the window is
//     there: work posted to run after the first show still counts), and the
//     peak working set once start-up is over;
//   launcher optimize RUNS FLOOR PROGRAM
//     from posting the Optimize command ("CABLE / DSL" ticked first where
//     the window has it) until the "Confirm" prompt is visible, answered No;
//   launcher count FLOOR PROGRAM
//     one such round of each after a warm-up one, between two atoms that the
//     server's request trace shows ("IzRoundBegin", "IzRoundEnd"), with the
//     thread that did the round, for counting its requests to the server.
// Prints every sample, then the medians and the ratio program / floor.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kCaption[] = "Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)";
constexpr UINT kOptimizeCommand = 1001;
constexpr DWORD kTimeoutMs = 30000;
constexpr DWORD kSettleMs = 500;  // start-up work after the window shows up

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A visible top-level window of the program's main thread with the class (any
// when null) and caption. One question to the window list per poll: polling
// must not load the machine (and Wine's server) that it measures.
struct Wanted {
  const char* className;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
  auto* wanted = reinterpret_cast<Wanted*>(lp);
  if (!IsWindowVisible(hwnd)) return TRUE;
  char text[128] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  if (std::strcmp(text, wanted->caption) != 0) return TRUE;
  if (wanted->className) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::strcmp(cls, wanted->className) != 0) return TRUE;
  }
  wanted->found = hwnd;
  return FALSE;
}

HWND FindVisible(DWORD thread, const char* className, const char* caption) {
  Wanted wanted{className, caption, nullptr};
  EnumThreadWindows(thread, MatchWindow, reinterpret_cast<LPARAM>(&wanted));
  return wanted.found;
}

struct Running {
  PROCESS_INFORMATION pi = {};
  HWND window = nullptr;
  double visibleMs = 0;
  double readyMs = 0;
};

// Starts the program in its own folder and waits for its main window.
bool Start(const std::string& exe, Running* run) {
  std::string command = "\"" + exe + "\"";
  const std::size_t slash = exe.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : exe.substr(0, slash);
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  const double t0 = NowMs();
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &run->pi)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
    return false;
  }
  while (NowMs() - t0 < kTimeoutMs) {
    run->window = FindVisible(run->pi.dwThreadId, nullptr, kCaption);
    if (run->window) {
      run->visibleMs = NowMs() - t0;
      if (WaitForInputIdle(run->pi.hProcess, kTimeoutMs) != 0) break;
      run->readyMs = NowMs() - t0;
      return true;
    }
    if (WaitForSingleObject(run->pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  std::fprintf(stderr, "%s showed no main window, or never became idle\n", exe.c_str());
  return false;
}

void Stop(Running* run) {
  if (run->window) PostMessageA(run->window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(run->pi.hProcess, 5000) != WAIT_OBJECT_0)
    TerminateProcess(run->pi.hProcess, 1);
  CloseHandle(run->pi.hThread);
  CloseHandle(run->pi.hProcess);
}

double PeakWorkingSetMiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

BOOL CALLBACK ClickCableDsl(HWND child, LPARAM) {
  char text[64] = {}, cls[32] = {};
  GetClassNameA(child, cls, sizeof(cls));
  GetWindowTextA(child, text, sizeof(text));
  if (std::strcmp(cls, "Button") == 0 || std::strcmp(cls, "BUTTON") == 0) {
    if (std::strcmp(text, "CABLE / DSL") == 0) {
      SendMessageA(child, BM_CLICK, 0, 0);
      return FALSE;
    }
  }
  return TRUE;
}

// One Optimize command to the prompt; the prompt is answered No and gone
// before this returns. Negative on a timeout. Marked: the round lies between
// the two atoms in the server's trace.
double OptimizeOnce(const Running& run, bool marked = false) {
  if (marked) GlobalAddAtomA("IzRoundBegin");
  const double t0 = NowMs();
  PostMessageA(run.window, WM_COMMAND, MAKEWPARAM(kOptimizeCommand, 0), 0);
  HWND prompt = nullptr;
  while (!prompt && NowMs() - t0 < kTimeoutMs) {
    prompt = FindVisible(run.pi.dwThreadId, "#32770", "Confirm");
    if (!prompt) Sleep(1);
  }
  const double ms = NowMs() - t0;
  if (marked) GlobalAddAtomA("IzRoundEnd");
  if (!prompt) return -1;
  PostMessageA(prompt, WM_COMMAND, IDNO, 0);
  while (IsWindow(prompt) && NowMs() - t0 < kTimeoutMs) Sleep(1);
  return ms;
}

void Summary(const char* what, const char* unit, const std::vector<double>& floor,
             const std::vector<double>& program) {
  const double f = Median(floor), p = Median(program);
  std::printf("%-20s median floor %8.1f %s  program %8.1f %s  ratio %.2f\n", what, f, unit, p, unit,
              f > 0 ? p / f : 0.0);
}

int StartRounds(int runs, int warmup, const std::string& floor, const std::string& program) {
  std::vector<double> visible[2], ready[2], peak[2];
  const std::string exes[2] = {floor, program};
  for (int round = 0; round < warmup + runs; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const int which = (round + turn) % 2;
      Running run;
      if (!Start(exes[which], &run)) return 1;
      Sleep(kSettleMs);
      const double mib = PeakWorkingSetMiB(run.pi.hProcess);
      Stop(&run);
      const bool counted = round >= warmup;
      std::printf("start %-22s visible %7.1f ms  ready %7.1f ms  peak working set %5.1f MiB%s\n",
                  NameOf(exes[which]).c_str(), run.visibleMs, run.readyMs, mib,
                  counted ? "" : "  (warm-up)");
      if (!counted) continue;
      visible[which].push_back(run.visibleMs);
      ready[which].push_back(run.readyMs);
      peak[which].push_back(mib);
    }
  }
  Summary("start to visible", "ms", visible[0], visible[1]);
  Summary("start to ready", "ms", ready[0], ready[1]);
  Summary("peak working set", "MiB", peak[0], peak[1]);
  return 0;
}

int OptimizeRounds(int runs, const std::string& floor, const std::string& program) {
  Running run[2];
  const std::string exes[2] = {floor, program};
  for (int which = 0; which < 2; ++which) {
    if (!Start(exes[which], &run[which])) return 1;
    Sleep(kSettleMs);
    EnumChildWindows(run[which].window, ClickCableDsl, 0);
  }
  std::vector<double> time[2];
  // One round each first, not counted: the first writes create the keys.
  for (int round = 0; round < runs + 1; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const int which = (round + turn) % 2;
      const double ms = OptimizeOnce(run[which]);
      if (ms < 0) {
        std::fprintf(stderr, "%s showed no \"Confirm\" prompt\n", exes[which].c_str());
        Stop(&run[0]);
        Stop(&run[1]);
        return 1;
      }
      std::printf("optimize %-19s %8.1f ms%s\n", NameOf(exes[which]).c_str(), ms,
                  round ? "" : "  (warm-up)");
      if (round) time[which].push_back(ms);
    }
  }
  Stop(&run[0]);
  Stop(&run[1]);
  Summary("optimize round", "ms", time[0], time[1]);
  return 0;
}

int CountRound(const std::string& floor, const std::string& program) {
  Running run[2];
  const std::string exes[2] = {floor, program};
  for (int which = 0; which < 2; ++which) {
    if (!Start(exes[which], &run[which])) return 1;
    Sleep(kSettleMs);
    EnumChildWindows(run[which].window, ClickCableDsl, 0);
    // The first round creates the keys.
    if (OptimizeOnce(run[which]) < 0) return 1;
  }
  for (int which = 0; which < 2; ++which) {
    if (OptimizeOnce(run[which], true) < 0) return 1;
    std::printf("counted %s thread %04lx\n", which ? "program" : "floor", run[which].pi.dwThreadId);
  }
  Stop(&run[0]);
  Stop(&run[1]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "start" && argc == 6)
    return StartRounds(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5]);
  if (mode == "optimize" && argc == 5) return OptimizeRounds(std::atoi(argv[2]), argv[3], argv[4]);
  if (mode == "count" && argc == 4) return CountRound(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: launcher start RUNS WARMUP FLOOR PROGRAM\n"
               "       launcher optimize RUNS FLOOR PROGRAM\n"
               "       launcher count FLOOR PROGRAM\n");
  return 2;
}
