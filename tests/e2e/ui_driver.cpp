#include "e2e/ui_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {

constexpr char kMainCaption[] = "Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)";
constexpr DWORD kPollStep = 20;

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

bool SameClass(HWND hwnd, const std::string& className) {
  return lstrcmpiA(ClassOf(hwnd).c_str(), className.c_str()) == 0;
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

struct TopLevelSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<TopLevelSearch*>(lp);
  if (ProcessOf(hwnd) == search->pid) search->found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  TopLevelSearch search{pid, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The stored caption: enough for buttons, labels and group boxes, and much
// cheaper than a message round trip to the program.
std::string Caption(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  return text;
}

bool IsGroupBox(HWND hwnd) {
  return SameClass(hwnd, "Button") &&
         (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Memory inside the program, for the control messages that take pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size) : process_(process), size_(size) {
    address_ = static_cast<char*>(
        VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool ok() const { return address_ != nullptr; }
  char* At(size_t offset) const { return address_ + offset; }
  LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }
  bool Write(size_t offset, const void* data, size_t n) const {
    SIZE_T done = 0;
    return WriteProcessMemory(process_, At(offset), data, n, &done) && done == n;
  }
  bool Read(size_t offset, void* data, size_t n) const {
    SIZE_T done = 0;
    return ReadProcessMemory(process_, At(offset), data, n, &done) && done == n;
  }
  std::string ReadText(size_t offset, size_t max) const {
    std::string text(max, '\0');
    if (!Read(offset, text.data(), max)) return std::string();
    text.resize(strnlen(text.c_str(), max));
    return text;
  }
  size_t size() const { return size_; }

 private:
  HANDLE process_;
  size_t size_;
  char* address_ = nullptr;
};

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, 10000, &result)) return 0;
  return static_cast<LRESULT>(result);
}

HKEY CreateKey(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
      ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot create the key " << key;
    return nullptr;
  }
  return h;
}

void SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
              const void* data, DWORD size) {
  HKEY h = CreateKey(root, key);
  if (!h) return;
  EXPECT_EQ(RegSetValueExA(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS)
      << key << "\\" << name;
  RegCloseKey(h);
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ---------------------------------------------------------------- registry

std::string RegValue::AsString() const {
  std::string s(data.begin(), data.end());
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

DWORD RegValue::AsDword() const {
  DWORD v = 0;
  std::memcpy(&v, data.data(), std::min<size_t>(data.size(), sizeof(v)));
  return v;
}

void RegSetString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value) {
  SetValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void RegSetDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
  SetValue(root, key, name, REG_DWORD, &value, sizeof(value));
}

void RegSetBinary(HKEY root, const std::string& key, const std::string& name,
                  const std::vector<std::uint8_t>& bytes) {
  SetValue(root, key, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void RegRemoveValue(HKEY root, const std::string& key, const std::string& name) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  RegDeleteValueA(h, name.c_str());
  RegCloseKey(h);
}

void RegRemoveKey(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD n = sizeof(name);
    if (RegEnumKeyExA(h, 0, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    RegRemoveKey(h, name);
  }
  RegCloseKey(h);
  RegDeleteKeyA(root, key.c_str());
}

RegValue RegRead(HKEY root, const std::string& key, const std::string& name) {
  RegValue v;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExA(h, name.c_str(), nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    if (RegQueryValueExA(h, name.c_str(), nullptr, &v.type, v.data.data(), &size) ==
        ERROR_SUCCESS) {
      v.data.resize(size);
      v.exists = true;
    }
  }
  RegCloseKey(h);
  return v;
}

void SetWindowsVersion(const std::string& version) {
  const std::string key = "Software\\Wine\\AppDefaults\\" + FileNameOf(ProgramPath());
  if (version.empty()) {
    RegRemoveValue(HKEY_CURRENT_USER, key, "Version");
  } else {
    RegSetString(HKEY_CURRENT_USER, key, "Version", version);
  }
}

void SetFirstRunSeen(bool seen) {
  const char* key = "SOFTWARE\\Internet Zelvora";
  if (seen) {
    RegSetString(HKEY_CURRENT_USER, key, "FirstUse", "0");
  } else {
    RegRemoveValue(HKEY_CURRENT_USER, key, "FirstUse");
  }
}

void SetScreenDpi(int dpi) {
  RegSetDword(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", static_cast<DWORD>(dpi));
}

std::string ProgramPath() {
  if (const char* env = std::getenv("IZ_PROGRAM"); env && *env) return env;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir(self);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + "InternetZelvora.exe";
}

std::string BackupFolder() {
  std::string path = ProgramPath();
  return path.substr(0, path.find_last_of('\\') + 1) + "Backup";
}

void RemoveBackupFolder() {
  const std::string folder = BackupFolder();
  for (const char* name : {"System.dat", "User.dat", "System.ini", "Win.ini", "Registry.reg",
                           "Registry.reg.old.tmp"}) {
    const std::string file = folder + "\\" + name;
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  }
  // The journal's records of the commands run so far.
  const std::string history = folder + "\\History";
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((history + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((history + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(history.c_str());
  RemoveDirectoryA(folder.c_str());
}

// ---------------------------------------------------------------- program

CommandRun RunCommandLine(const std::string& arguments, DWORD milliseconds) {
  CommandRun run;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) {
    ADD_FAILURE() << "no pipe for the program's output";
    return run;
  }
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  const std::string path = ProgramPath();
  std::string commandLine = "\"" + path + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = write;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &si, &process);
  CloseHandle(write);
  if (!started) {
    ADD_FAILURE() << "cannot start " << path << " (error " << GetLastError() << ")";
    CloseHandle(read);
    return run;
  }
  std::string output;
  char chunk[512];
  DWORD got = 0;
  // Until the program ends and closes its end of the pipe, or the time is up.
  const DWORD deadline = GetTickCount() + milliseconds;
  for (DWORD available = 0; GetTickCount() < deadline;) {
    if (!PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr)) break;
    if (available == 0) {
      // Wine keeps the pipe open a while after the program has ended.
      if (WaitForSingleObject(process.hProcess, kPollStep) == WAIT_OBJECT_0 &&
          PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr) && available == 0)
        break;
      continue;
    }
    if (!ReadFile(read, chunk, sizeof chunk, &got, nullptr) || got == 0) break;
    output.append(chunk, got);
  }
  CloseHandle(read);
  if (WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = code;
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (std::size_t start = 0, end; start < output.size(); start = end + 2) {
    end = output.find("\r\n", start);
    if (end == std::string::npos) end = output.size();
    run.lines.push_back(output.substr(start, end - start));
  }
  return run;
}

Program::Program(const StartOptions& options) {
  SetWindowsVersion(options.windowsVersion);
  if (options.firstRunSeen) SetFirstRunSeen(true);

  const std::string path = ProgramPath();
  const char* directory =
      options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
  BOOL started;
  if (options.program.empty()) {
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             directory, &si, &process_);
  } else {
    // A path the ANSI code page may not be able to show.
    std::wstring commandLine = L"\"" + options.program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    started = CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &si, &process_);
  }
  if (!started) {
    ADD_FAILURE() << "cannot start " << path << " (error " << GetLastError() << ")";
    return;
  }
  WaitForInputIdle(process_.hProcess, 10000);

  // The main window exists (hidden) while start-up runs; it is shown when
  // start-up is done.
  const DWORD deadline = GetTickCount() + 15000;
  while (GetTickCount() < deadline && Running()) {
    // A message box during start-up (the general error report) keeps the
    // main window hidden: report it and let start-up go on.
    if (options.waitForMainWindow) {
      if (std::optional<Dialog> d = WaitDialog(0)) {
        ADD_FAILURE() << "start-up showed \"" << d->caption << "\": " << d->text;
        PostMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Sleep(200);
      }
    }
    for (HWND hwnd : TopLevelWindows(ProcessId())) {
      char caption[256] = {};
      GetWindowTextA(hwnd, caption, sizeof(caption));
      if (std::strcmp(caption, kMainCaption) != 0) continue;
      if (!options.waitForMainWindow || IsWindowVisible(hwnd)) {
        main_ = hwnd;
        return;
      }
    }
    Sleep(kPollStep);
  }
  ADD_FAILURE() << "the main window did not appear";
}

Program::~Program() {
  if (!process_.hProcess) return;
  if (Running()) {
    if (main_ && IsWindow(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
    if (!WaitForExit(5000)) TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

std::optional<DWORD> Program::WaitForExit(DWORD milliseconds) {
  if (!process_.hProcess) return std::nullopt;
  if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool Program::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

// ---------------------------------------------------------------- finding

std::vector<HWND> Program::FindAll(const std::string& className,
                                   const std::optional<std::string>& text) const {
  std::vector<HWND> found;
  if (!main_) return found;
  for (HWND hwnd : Descendants(main_)) {
    if (!SameClass(hwnd, className)) continue;
    if (text && Caption(hwnd) != *text) continue;
    found.push_back(hwnd);
  }
  return found;
}

HWND Program::Find(const std::string& className, const std::string& text) const {
  std::vector<HWND> found = FindAll(className, text);
  if (found.size() != 1) {
    ADD_FAILURE() << found.size() << " controls of class " << className << " with the text \""
                  << text << "\"";
    return nullptr;
  }
  return found.front();
}

HWND Program::GroupBox(const std::string& caption) const {
  for (HWND hwnd : FindAll("Button", caption))
    if (IsGroupBox(hwnd)) return hwnd;
  ADD_FAILURE() << "no group box \"" << caption << "\"";
  return nullptr;
}

std::vector<HWND> Program::InGroup(const std::string& groupCaption,
                                   const std::string& className) const {
  std::vector<HWND> found;
  HWND group = GroupBox(groupCaption);
  if (!group) return found;
  RECT g;
  GetWindowRect(group, &g);
  for (HWND hwnd : Descendants(GetParent(group))) {
    if (hwnd == group || !SameClass(hwnd, className) || IsGroupBox(hwnd)) continue;
    RECT r;
    GetWindowRect(hwnd, &r);
    if (r.left >= g.left && r.right <= g.right && r.top >= g.top && r.top < g.bottom)
      found.push_back(hwnd);
  }
  std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
  });
  return found;
}

HWND Program::InGroup(const std::string& groupCaption, const std::string& className,
                      const std::string& text) const {
  std::vector<HWND> matching;
  for (HWND hwnd : InGroup(groupCaption, className))
    if (Caption(hwnd) == text) matching.push_back(hwnd);
  if (matching.size() != 1) {
    ADD_FAILURE() << matching.size() << " controls \"" << text << "\" in \"" << groupCaption
                  << "\"";
    return nullptr;
  }
  return matching.front();
}

HWND Program::Edit(const std::string& groupCaption, size_t index) const {
  std::vector<HWND> edits = InGroup(groupCaption, "Edit");
  if (index >= edits.size()) {
    ADD_FAILURE() << "no edit field " << index << " in \"" << groupCaption << "\"";
    return nullptr;
  }
  return edits[index];
}

HWND Program::Combo() const {
  std::vector<HWND> found = FindAll("ComboBox");
  return found.size() == 1 ? found.front() : nullptr;
}

HWND Program::StatusBar() const {
  std::vector<HWND> found = FindAll(STATUSCLASSNAMEA);
  return found.size() == 1 ? found.front() : nullptr;
}

HWND Program::ToolBar() const {
  std::vector<HWND> found = FindAll(TOOLBARCLASSNAMEA);
  return found.size() == 1 ? found.front() : nullptr;
}

HWND Program::ChildOf(HWND window, const std::string& className,
                      const std::optional<std::string>& text) {
  for (HWND hwnd : Descendants(window))
    if (SameClass(hwnd, className) && (!text || Caption(hwnd) == *text)) return hwnd;
  ADD_FAILURE() << "no " << className << " \"" << text.value_or("") << "\" in the window";
  return nullptr;
}

RECT Program::RectInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// ---------------------------------------------------------------- acting

void Program::WaitIdle() const {
  // A round trip through the program's own queue: the reshow delay of one of
  // its tooltips is changed by a posted message and read back by a sent one.
  // Once the new value reads back, everything posted before it was handled
  // (or has opened a modal dialog whose loop handled the marker).
  HWND tip = nullptr;
  for (HWND hwnd : TopLevelWindows(ProcessId()))
    if (SameClass(hwnd, TOOLTIPS_CLASSA)) tip = hwnd;
  if (!tip) {
    Sleep(300);
    return;
  }
  const LRESULT now = Send(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0);
  const int next = now == 101 ? 100 : 101;
  PostMessageA(tip, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(next, 0));
  const DWORD deadline = GetTickCount() + 15000;
  while (GetTickCount() < deadline && Running()) {
    if (Send(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0) == next) return;
    Sleep(kPollStep);
  }
}

// An LVITEMA and its text buffer in the program's memory: the list view
// reads and writes them there.
std::string Program::ListItemText(HWND list, int index) const {
  constexpr SIZE_T kTextSize = 256;
  void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT,
                                PAGE_READWRITE);
  if (!remote) return "";
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = static_cast<char*>(remote) + sizeof(LVITEMA);
  item.cchTextMax = kTextSize;
  WriteProcessMemory(process_.hProcess, remote, &item, sizeof item, nullptr);
  Send(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(remote));
  char text[kTextSize] = {};
  ReadProcessMemory(process_.hProcess, item.pszText, text, kTextSize - 1, nullptr);
  VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
  return text;
}

void Program::SetListChecked(HWND list, int index, bool checked) const {
  void* remote =
      VirtualAllocEx(process_.hProcess, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  WriteProcessMemory(process_.hProcess, remote, &item, sizeof item, nullptr);
  Send(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
}

void Program::Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
  WaitIdle();
}

void Program::Type(HWND edit, const std::string& text, bool replaceAll) {
  if (replaceAll) Send(edit, EM_SETSEL, 0, -1);
  for (unsigned char c : text) PostMessageA(edit, WM_CHAR, c, 1);
  WaitIdle();
}

void Program::Pick(HWND combo, int index) {
  Send(combo, CB_SETCURSEL, index, 0);
  PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  WaitIdle();
}

void Program::Command(int id) {
  PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  WaitIdle();
}

void Program::ToolButton(int id) {
  PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ToolBar()));
  WaitIdle();
}

void Program::Key(int virtualKey, int times) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
  for (int i = 0; i < times; ++i) {
    PostMessageA(main_, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageA(main_, WM_KEYUP, virtualKey, scan | 1 | (1u << 30) | (1u << 31));
  }
  WaitIdle();
}

void Program::KeyToFocus(int virtualKey, bool alt) {
  HWND target = Focus();
  if (!target) target = main_;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
  const LPARAM context = alt ? (1L << 29) : 0;
  PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, scan | context | 1);
  PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey,
               scan | context | 1 | (1u << 30) | (1u << 31));
  WaitIdle();
}

void Program::DpiChanged(int dpi, const RECT& suggested) {
  RemoteBuffer buffer(process_.hProcess, sizeof(RECT));
  ASSERT_TRUE(buffer.ok() && buffer.Write(0, &suggested, sizeof(RECT)));
  Send(main_, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), buffer.Param());
  WaitIdle();
}

void Program::CtrlKey(int virtualKey) {
  SetForegroundWindow(main_);
  const WORD keys[] = {VK_CONTROL, static_cast<WORD>(virtualKey), static_cast<WORD>(virtualKey),
                       VK_CONTROL};
  INPUT input[4] = {};
  for (int i = 0; i < 4; ++i) {
    input[i].type = INPUT_KEYBOARD;
    input[i].ki.wVk = keys[i];
    input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, input, sizeof(INPUT));
  WaitIdle();
}

void Program::Close() {
  PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitIdle();
}

// ---------------------------------------------------------------- reading

bool Program::Checked(HWND button) { return Send(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool Program::Enabled(HWND control) { return IsWindowEnabled(control) != FALSE; }

std::string Program::Text(HWND control) {
  // WM_GETTEXT, not GetWindowText: for a window of another process the
  // latter gives only the stored caption, never an edit field's content.
  const size_t n = static_cast<size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0));
  std::string text(n + 1, '\0');
  const size_t got =
      static_cast<size_t>(Send(control, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(got, n));
  return text;
}

int Program::ComboIndex(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0)); }

std::string Program::StatusText() const {
  HWND bar = StatusBar();
  if (!bar) return "<no status bar>";
  // In simple mode the one part is asked for by index 0.
  const size_t length = LOWORD(Send(bar, SB_GETTEXTLENGTHA, 0, 0));
  RemoteBuffer buffer(process_.hProcess, length + 16);
  if (!buffer.ok()) return "<no memory>";
  Send(bar, SB_GETTEXTA, 0, buffer.Param());
  return buffer.ReadText(0, length + 1);
}

HWND Program::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!main_ || !GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

SIZE Program::IdealSize(HWND button) const {
  SIZE size{};
  RemoteBuffer buffer(process_.hProcess, sizeof(size));
  if (buffer.ok() && buffer.Write(0, &size, sizeof(size)) &&
      Send(button, BCM_GETIDEALSIZE, 0, buffer.Param()))
    buffer.Read(0, &size, sizeof(size));
  return size;
}

std::vector<ToolButtonInfo> Program::ToolButtons() const {
  std::vector<ToolButtonInfo> buttons;
  HWND bar = ToolBar();
  if (!bar) return buttons;
  constexpr size_t kTextAt = 64;
  RemoteBuffer buffer(process_.hProcess, kTextAt + 256);
  if (!buffer.ok()) return buttons;
  const int count = static_cast<int>(Send(bar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON b{};
    Send(bar, TB_GETBUTTON, i, buffer.Param());
    buffer.Read(0, &b, sizeof(b));
    ToolButtonInfo info{b.idCommand, (b.fsStyle & BTNS_SEP) != 0, "", b.iBitmap};
    if (!info.separator) {
      Send(bar, TB_GETBUTTONTEXTA, b.idCommand, buffer.Param(kTextAt));
      info.text = buffer.ReadText(kTextAt, 255);
    }
    buttons.push_back(info);
  }
  return buttons;
}

std::vector<std::vector<std::string>> Program::ListRowsAsShown(HWND list) const {
  std::vector<std::vector<std::string>> rows(Send(list, LVM_GETITEMCOUNT, 0, 0));
  const int columns = static_cast<int>(
      Send(reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
  constexpr size_t kTextAt = sizeof(LVITEMA), kTextSize = 1024;
  RemoteBuffer buffer(process_.hProcess, kTextAt + kTextSize);
  auto width = [&](const std::string& text) {  // in the list's font
    buffer.Write(kTextAt, text.c_str(), text.size() + 1);
    return static_cast<int>(Send(list, LVM_GETSTRINGWIDTHA, 0, buffer.Param(kTextAt)));
  };
  for (size_t row = 0; row < rows.size(); ++row)
    for (int column = 0; column < columns; ++column) {
      LVITEMA item{};
      item.iSubItem = column, item.pszText = buffer.At(kTextAt), item.cchTextMax = kTextSize;
      buffer.Write(0, &item, sizeof(item));
      Send(list, LVM_GETITEMTEXTA, row, buffer.Param());
      std::string text = buffer.ReadText(kTextAt, kTextSize);
      // The list pads a cell's text by 12 pixels in all.
      const int room = static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, column, 0)) - 12;
      if (width(text) > room) {
        while (!text.empty() && width(text + "...") > room) text.pop_back();
        text += "...";
      }
      rows[row].push_back(text);
    }
  return rows;
}

std::vector<TooltipInfo> Program::Tooltips() const {
  std::vector<TooltipInfo> tools;
  constexpr size_t kTextAt = 128, kTextSize = 1024;
  RemoteBuffer buffer(process_.hProcess, kTextAt + kTextSize);
  if (!buffer.ok()) return tools;
  for (HWND tip : TopLevelWindows(ProcessId())) {
    if (!SameClass(tip, TOOLTIPS_CLASSA)) continue;
    const int count = static_cast<int>(Send(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TOOLINFOA ti{};
      ti.cbSize = sizeof(ti);
      ti.lpszText = buffer.At(kTextAt);
      const char nothing = 0;
      buffer.Write(kTextAt, &nothing, 1);
      buffer.Write(0, &ti, sizeof(ti));
      if (!Send(tip, TTM_ENUMTOOLSA, i, buffer.Param())) continue;
      buffer.Read(0, &ti, sizeof(ti));
      TooltipInfo info{ti.hwnd, ti.uId, ti.rect, (ti.uFlags & TTF_IDISHWND) != 0, ""};
      info.text =
          ti.lpszText == LPSTR_TEXTCALLBACKA ? "<callback>" : buffer.ReadText(kTextAt, kTextSize);
      tools.push_back(info);
    }
  }
  return tools;
}

std::string Program::HoverTip(HWND window, POINT at, DWORD milliseconds) const {
  auto shown = [this] {
    for (HWND tip : TopLevelWindows(ProcessId())) {
      if (SameClass(tip, TOOLTIPS_CLASSA) && IsWindowVisible(tip)) return tip;
    }
    return HWND{};
  };
  for (HWND tip : TopLevelWindows(ProcessId())) {
    if (SameClass(tip, TOOLTIPS_CLASSA)) Send(tip, TTM_POP, 0, 0);
  }
  POINT screen = at;
  ClientToScreen(window, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  const DWORD deadline = GetTickCount() + milliseconds;
  do {
    if (HWND tip = shown()) return Text(tip);
    Sleep(kPollStep);
  } while (GetTickCount() < deadline);
  return "";
}

// ---------------------------------------------------------------- dialogs

std::optional<Dialog> Program::WaitDialog(DWORD milliseconds) const {
  const DWORD deadline = GetTickCount() + milliseconds;
  do {
    for (HWND hwnd : TopLevelWindows(ProcessId())) {
      if (!SameClass(hwnd, "#32770") || !IsWindowVisible(hwnd)) continue;
      Dialog d;
      d.hwnd = hwnd;
      d.caption = Text(hwnd);
      for (HWND child : Descendants(hwnd)) {
        if (SameClass(child, "Static")) {
          std::string t = Text(child);
          if (t.empty()) continue;
          if (!d.text.empty()) d.text += "\n";
          d.text += t;
        } else if (SameClass(child, "Button")) {
          d.buttons.push_back(Text(child));
        }
      }
      return d;
    }
    Sleep(kPollStep);
  } while (GetTickCount() < deadline && Running());
  return std::nullopt;
}

void Program::Answer(const Dialog& dialog, int buttonId) {
  PostMessageA(dialog.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog.hwnd, buttonId)));
  const DWORD deadline = GetTickCount() + 5000;
  while (IsWindow(dialog.hwnd) && GetTickCount() < deadline) Sleep(kPollStep);
  EXPECT_FALSE(IsWindow(dialog.hwnd)) << "the dialog \"" << dialog.caption << "\" stayed open";
  WaitIdle();
}

HWND Program::WaitTopLevel(const std::string& caption, DWORD milliseconds) const {
  const DWORD deadline = GetTickCount() + milliseconds;
  do {
    for (HWND hwnd : TopLevelWindows(ProcessId()))
      if (hwnd != main_ && IsWindowVisible(hwnd) && Text(hwnd) == caption) return hwnd;
    Sleep(kPollStep);
  } while (GetTickCount() < deadline && Running());
  return nullptr;
}

}  // namespace e2e
