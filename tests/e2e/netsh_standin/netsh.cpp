// The stand-in netsh.exe of the Windows tests: the test puts it in the
// prefix's system folders in place of Wine's netsh, which answers nothing.
// It keeps its state in C:\iz-netsh\state.txt (tests/shared/netsh_standin.h
// gives the form; a missing file is a fresh Windows 7) and adds each command
// line it was given to C:\iz-netsh\log.txt.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "shared/netsh_standin.h"

namespace {

constexpr const char* kState = "C:\\iz-netsh\\state.txt";
constexpr const char* kLog = "C:\\iz-netsh\\log.txt";

bool ReadWhole(const std::string& path, std::string* text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  text->clear();
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text->append(buffer, n);
  std::fclose(f);
  return true;
}

void Write(const char* path, const std::string& text, const char* mode) {
  if (FILE* f = std::fopen(path, mode)) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

// The command line after the program's own name, as netsh sees it.
std::string Arguments() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    const char* end = std::strchr(line + 1, '"');
    line = end ? end + 1 : line + std::strlen(line);
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

// Text from one code page to another; unchanged where either is 0.
std::string Recoded(const std::string& text, UINT from, UINT to) {
  if (from == to || text.empty()) return text;
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                  static_cast<int>(wide.size())));
  std::string out(wide.size() * 2, '\0');
  out.resize(WideCharToMultiByte(to, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

// The process an orphaning run leaves behind: it keeps the output it was
// given open and outlives the run.
constexpr const char* kOrphan = "--orphan";

void LeaveOrphan() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string line = std::string("\"") + self + "\" " + kOrphan;
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = start.hStdError = GetStdHandle(STD_OUTPUT_HANDLE);
  PROCESS_INFORMATION process{};
  if (CreateProcessA(self, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

}  // namespace

int main() {
  const std::string arguments = Arguments();
  if (arguments == kOrphan) {
    Sleep(120000);
    return 0;
  }
  CreateDirectoryA("C:\\iz-netsh", nullptr);
  Write(kLog, arguments + "\n", "ab");
  std::string text;
  iz::test::NetshState state =
      ReadWhole(kState, &text) ? iz::test::NetshState::Parse(text) : iz::test::FreshNetsh(false);
  const iz::test::NetshFaults faults = state.faults;
  if (faults.hang) Sleep(INFINITE);
  if (faults.orphan) LeaveOrphan();
  // The state is in the ANSI code page; a script and the output in netsh's.
  const UINT codepage = faults.codepage ? faults.codepage : CP_ACP;
  std::string out;
  const int code = iz::test::RunNetsh(state, arguments, &out,
                                      [codepage](const std::string& path, std::string* script) {
                                        if (!ReadWhole(path, script)) return false;
                                        *script = Recoded(*script, codepage, CP_ACP);
                                        return true;
                                      });
  Write(kState, state.Text(), "wb");
  out = Recoded(out, CP_ACP, codepage);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
  return code;
}
