// Program entry: the application object, the main window (FormCreate runs
// while it is created, before it is shown) and the message loop. Nothing is
// taken from the command line.
#include "app/izelvora.h"
#include "app/win32/main_window.h"
#include "app/win32/resource_ids.h"
#include "app/win32/win.h"
#include "app/win32/win32_platform.h"
#include "store/win32_profile.h"
#include "store/win32_registry.h"

namespace {

// The application object: its title (the main window's class, and the
// caption of the program's message boxes) and its help file, a bare name.
struct Application {
  const char* title;
  const char* helpFile;
};

constexpr Application kApplication{iz::kAppTitle, iz::kHelpFileName};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  iz::win32::InitCommonControlClasses();

  iz::Win32Registry registry;
  iz::Win32ProfileStrings profiles;
  iz::win32::Win32Platform platform;
  iz::TIZelvora model(registry, profiles, platform);
  iz::win32::MainWindow window(model, platform);
  if (!window.Create(instance, kApplication.title)) return 1;

  ShowWindow(window.Handle(), show);
  UpdateWindow(window.Handle());

  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND main = window.Handle();
    if (main && TranslateAcceleratorA(main, accelerators, &msg)) continue;
    // Tab and the arrow keys move between the panel's controls.
    if (main && IsDialogMessageA(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The toolbar's "Exit" ends the loop with the window still there; it goes
  // now, as the program ends (FormDestroy runs once, either way).
  if (window.Handle()) DestroyWindow(window.Handle());
  return static_cast<int>(msg.wParam);
}
