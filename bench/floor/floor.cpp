// The floor for the main window: what the plainest Win32 program with the
// same caption, client size, menu and about as many standard child controls
// costs to start, with no registry work. Given the Optimize command it makes
// the registry and Win.ini writes of an NT Optimize of "CABLE / DSL" straight
// through the API, one key handle per key, and shows the "Confirm" prompt:
// the floor of the Optimize round. Nothing of the program's core is used.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

constexpr char kCaption[] = "Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)";
constexpr char kClassName[] = "IzFloor";
constexpr int kClientWidth = 592, kClientHeight = 323;
constexpr int kToolBarHeight = 52, kStatusHeight = 19;
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT kOptimizeCommand = 1001;  // the program's "&Optimize Connection"

// The program's panel: 10 group boxes, 36 choice and option buttons, 7 edit
// fields, one drop-down list and 2 labels.
constexpr int kGroups = 10, kButtons = 36, kEdits = 7, kLabels = 2;

struct Write {
  HKEY root;
  const char* key;
  const char* name;
  DWORD type;
  DWORD number;      // REG_DWORD, or the one byte of REG_BINARY
  const char* text;  // REG_SZ
};

#define TCPIP "System\\CurrentControlSet\\Services\\Tcpip\\Parameters"
#define NDI "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\"
#define IE "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"

// What an NT Optimize of "CABLE / DSL", " Automatic Mode 1", leaves in the
// registry, grouped by key.
const Write kWrites[] = {
    {HKEY_LOCAL_MACHINE, TCPIP, "DefaultTTL", REG_DWORD, 64, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "EnablePMTUDiscovery", REG_DWORD, 1, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "EnablePMTUBHDetect", REG_DWORD, 0, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "Tcp1323Opts", REG_DWORD, 1, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "SackOpts", REG_DWORD, 1, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "TcpWindowSize", REG_DWORD, 256960, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "GlobalMaxTcpWindowSize", REG_DWORD, 256960, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "TcpUseRFC1122UrgentPointer", REG_DWORD, 1, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP, "TcpMaxDupAcks", REG_DWORD, 2, nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP "\\Interfaces\\interface", "TcpWindowSize", REG_DWORD, 256960,
     nullptr},
    {HKEY_LOCAL_MACHINE, TCPIP "\\Interfaces\\interface", "MTU", REG_DWORD, 1500, nullptr},
    {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Netbt\\Parameters",
     "SessionKeepAlive", REG_DWORD, 600000, nullptr},
    {HKEY_LOCAL_MACHINE, NDI "cachesize", "", REG_SZ, 0, "32"},
    {HKEY_LOCAL_MACHINE, NDI "maxconnect", "min", REG_DWORD, 2, nullptr},
    {HKEY_LOCAL_MACHINE, NDI "maxconnect", "max", REG_DWORD, 128, nullptr},
    {HKEY_LOCAL_MACHINE, NDI "maxsockets", "min", REG_DWORD, 32, nullptr},
    {HKEY_LOCAL_MACHINE, NDI "maxsockets", "max", REG_DWORD, 1020, nullptr},
    {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Net\\0000", "SLOWNET",
     REG_BINARY, 1, nullptr},
    {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD\\VCACHE", "Start", REG_BINARY, 0,
     nullptr},
    {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD\\COMBUFF", "Start", REG_BINARY,
     0, nullptr},
    {HKEY_CURRENT_USER, IE, "MaxConnectionsPerServer", REG_DWORD, 10, nullptr},
    {HKEY_CURRENT_USER, IE, "MaxConnectionsPer1_0Server", REG_DWORD, 20, nullptr},
};

void Optimize(HWND hwnd) {
  HKEY key = nullptr;
  const Write* open = nullptr;
  for (const Write& w : kWrites) {
    if (!open || open->root != w.root || std::strcmp(open->key, w.key) != 0) {
      if (key) RegCloseKey(key);
      key = nullptr;
      RegCreateKeyExA(w.root, w.key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
      open = &w;
    }
    const BYTE byte = static_cast<BYTE>(w.number);
    if (w.type == REG_SZ) {
      RegSetValueExA(key, w.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.text),
                     static_cast<DWORD>(std::strlen(w.text) + 1));
    } else if (w.type == REG_BINARY) {
      RegSetValueExA(key, w.name, 0, REG_BINARY, &byte, 1);
    } else {
      RegSetValueExA(key, w.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&w.number), 4);
    }
  }
  if (key) RegCloseKey(key);

  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string winIni = std::string(windows) + "\\Win.ini";
  for (const char* port : {"COM1:", "COM2:", "COM3:", "COM4:", "COM5:"}) {
    WritePrivateProfileStringA("Ports", port, "921600,n,8,1,p", winIni.c_str());
  }
  MessageBoxA(hwnd,
              "Your CABLE / DSL connection has been Optimized. Before using the new settings you "
              "must restart your computer. Do you wish to reboot now? ",
              "Confirm", MB_YESNO | MB_ICONQUESTION);
}

HWND Child(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y,
           int w, int h, HFONT font) {
  HWND hwnd = CreateWindowExA(exStyle, cls, text, style | WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

void CreateControls(HWND hwnd, HFONT font) {
  HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0,
                                 kClientWidth, kToolBarHeight, hwnd, nullptr, nullptr, nullptr);
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolbar, TB_LOADIMAGES, IDB_STD_LARGE_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  const char* captions[] = {"Optimize", "Restore", "View ", "Help", "Exit"};
  TBBUTTON buttons[5] = {};
  for (int i = 0; i < 5; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = kOptimizeCommand + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = BTNS_BUTTON;
    buttons[i].iString = reinterpret_cast<INT_PTR>(captions[i]);
  }
  SendMessageA(toolbar, TB_ADDBUTTONSA, 5, reinterpret_cast<LPARAM>(buttons));

  HWND panel1 = Child(hwnd, 0, "STATIC", "", SS_ETCHEDFRAME, 380, 4, 208, 44, font);
  for (int i = 0; i < kLabels; ++i)
    Child(panel1, 0, "STATIC", i ? "for Win9x / ME / NT / XP/ 7/ 8" : "Internet Zelvora", SS_CENTER,
          4, 3 + 26 * i, 200, 15, font);

  const int panelHeight = kClientHeight - kToolBarHeight - kStatusHeight;
  HWND panel2 = Child(hwnd, 0, "STATIC", "", 0, 0, kToolBarHeight, kClientWidth, panelHeight, font);
  const int columnWidth = kClientWidth / 5;
  for (int g = 0; g < kGroups; ++g) {
    const int x = (g % 5) * columnWidth, y = (g / 5) * (panelHeight / 2);
    Child(panel2, 0, "BUTTON", "Group", BS_GROUPBOX, x, y, columnWidth - 2, panelHeight / 2 - 2,
          font);
  }
  for (int b = 0; b < kButtons; ++b) {
    const int x = (b % 5) * columnWidth + 6, y = (b / 5) % 4 * 28 + 16 + (b / 20) * 120;
    Child(panel2, 0, "BUTTON", " Option", (b % 3 ? BS_RADIOBUTTON : BS_CHECKBOX) | WS_TABSTOP, x, y,
          columnWidth - 14, 17, font);
  }
  for (int e = 0; e < kEdits; ++e) {
    Child(panel2, WS_EX_CLIENTEDGE, "EDIT", "0", ES_AUTOHSCROLL | WS_TABSTOP,
          (e % 5) * columnWidth + 6, 100 + (e / 5) * 120, 50, 21, font);
  }
  HWND combo = Child(panel2, 0, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                     2 * columnWidth + 60, 220, 50, 160, font);
  for (const char* item : {"x4", "x6", "x8", "x10", "x12", "x14", "x16"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));

  HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, " Operating System: Windows XP",
                                WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
  SendMessageA(status, SB_SIMPLE, TRUE, 0);
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                             0, 0, 0, hwnd, nullptr, nullptr, nullptr);
  TOOLINFOA info = {};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = hwnd;
  info.uId = reinterpret_cast<UINT_PTR>(panel2);
  info.lpszText = const_cast<char*>("Choose a connection type");
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

HMENU CreateMainMenu() {
  HMENU settings = CreatePopupMenu();
  const char* items[] = {"&Optimize Connection\tF2",      "&View Curent Settings \tF3",
                         "&Backup your settings\tF5",     "Restore &previous settings\tF6",
                         "Restore &Windows Defaults\tF4", "E&xit"};
  for (int i = 0; i < 6; ++i) AppendMenuA(settings, MF_STRING, kOptimizeCommand + i, items[i]);
  HMENU help = CreatePopupMenu();
  for (const char* item : {"&Contents", "Check for a new version", "Internet Zelvora &Home Page",
                           "&About Internet Zelvora"})
    AppendMenuA(help, MF_STRING, 2000, item);
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), "&Settings");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  AppendMenuA(bar, MF_STRING, 2001, "&About");
  return bar;
}

HFONT g_font = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls(hwnd, g_font);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kOptimizeCommand) Optimize(hwnd);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HDC screen = GetDC(nullptr);
  g_font = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0,
                       0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  ReleaseDC(nullptr, screen);

  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExA(&wc);

  HMENU menu = CreateMainMenu();
  RECT rc = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&rc, kWindowStyle, TRUE, 0);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HWND hwnd = CreateWindowExA(
      0, kClassName, kCaption, kWindowStyle, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
      (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, menu, instance, nullptr);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
