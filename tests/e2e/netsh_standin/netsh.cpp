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

}  // namespace

int main() {
  const std::string arguments = Arguments();
  CreateDirectoryA("C:\\iz-netsh", nullptr);
  Write(kLog, arguments + "\n", "ab");
  std::string text;
  iz::test::NetshState state =
      ReadWhole(kState, &text) ? iz::test::NetshState::Parse(text) : iz::test::FreshNetsh(false);
  std::string out;
  const int code = iz::test::RunNetsh(state, arguments, &out, ReadWhole);
  Write(kState, state.Text(), "wb");
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
  return code;
}
