// Program entry: with arguments, the command line's one command and its exit
// code, without a window; otherwise the application object, the main window
// (OnCreate runs while it is created, before it is shown) and the message
// loop.
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "commands/izelvora.h"
#include "win32/icmp_probe.h"
#include "win32/late_bound.h"
#include "win32/main_window.h"
#include "win32/resource_ids.h"
#include "win32/win.h"
#include "win32/win32_platform.h"
#include "win32/win32_profile.h"
#include "win32/win32_registry.h"

namespace {

// Where the command line's messages go: the file or pipe the standard output
// was redirected to, else the console of the program that started this one.
// A window program has no console of its own, and AttachConsole exists only
// from Windows XP on: on Windows 95 and NT 4.0 the messages go nowhere and
// the exit code tells.
class ConsoleOutput {
 public:
  ConsoleOutput() {
    HANDLE redirected = GetStdHandle(STD_OUTPUT_HANDLE);
    if (redirected && redirected != INVALID_HANDLE_VALUE &&
        GetFileType(redirected) != FILE_TYPE_UNKNOWN) {
      out_ = redirected;
      return;
    }
    using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kAttachParentProcess = static_cast<DWORD>(-1);
    auto attach = iz::win32::SystemFunction<AttachConsoleFn>("kernel32.dll", "AttachConsole");
    if (attach && attach(kAttachParentProcess)) {
      out_ = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
      owned_ = out_ != INVALID_HANDLE_VALUE;
    }
  }
  ~ConsoleOutput() {
    if (owned_) CloseHandle(out_);
  }
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  void Print(const std::string& line) {
    if (!out_ || out_ == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    WriteFile(out_, "\r\n", 2, &written, nullptr);
  }

 private:
  HANDLE out_ = nullptr;
  bool owned_ = false;
};

int RunCommandLine(iz::Win32Registry& registry, iz::Win32ProfileStrings& profiles,
                   iz::win32::Win32Platform& platform) {
  const std::vector<std::string> args = iz::win32::CommandLineArguments();
  ConsoleOutput console;
  return iz::cli::RunCommandLine(
      args, registry, profiles, platform,
      [&console](const std::string& line) { console.Print(line); }, iz::win32::OpenEchoProbe);
}

}  // namespace

// An exception that escapes everything ends the program through
// std::terminate. The runtime's default handler prints the exception's type,
// demangled, to the console that this windowed program does not have; its
// demangler alone would be an eighth of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  iz::win32::LimitDllSearch();  // before anything can load a DLL
  // One set of the system's stores for either way of running: each set
  // made costs its own copy of their clean-up.
  iz::Win32Registry registry;
  iz::Win32ProfileStrings profiles;
  iz::win32::Win32Platform platform;
  if (__argc > 1) return RunCommandLine(registry, profiles, platform);

  iz::win32::InitCommonControlClasses();
  iz::TIZelvora model(registry, profiles, platform);
  iz::win32::MainWindow window(model, platform);
  if (!window.Create(instance, iz::kAppTitle)) return 1;

  ShowWindow(window.Handle(), show);
  UpdateWindow(window.Handle());

  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (window.Handle()) window.RelayMouse(msg);
    // The menu's shortcuts; Tab and the arrow keys move between the panel's
    // controls.
    if (window.TranslateKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
