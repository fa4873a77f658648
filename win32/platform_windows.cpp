// The windows and messages that commands open, and the wait while work runs
// off the main window's thread.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "win32/controls.h"
#include "win32/find_mtu_window.h"
#include "win32/info_windows.h"
#include "win32/ip_helper.h"
#include "win32/late_bound.h"
#include "win32/modern_tcp_window.h"
#include "win32/win32_platform.h"

namespace iz::win32 {

namespace {

UINT IconFlags(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return MB_ICONINFORMATION;
    case MsgIcon::Question:
      return MB_ICONQUESTION;
    case MsgIcon::Error:
      return MB_ICONERROR;
    case MsgIcon::None:
      break;
  }
  return 0;
}

MsgAnswer AnswerOf(int id) {
  switch (id) {
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    case IDOK:
      return MsgAnswer::Ok;
    default:
      return MsgAnswer::Cancel;
  }
}

}  // namespace

MsgAnswer Win32Platform::MessageBox(const std::string& text, const std::string& caption,
                                    MsgIcon icon, MsgButtons buttons) {
  UINT type = IconFlags(icon) | (buttons == MsgButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK);
  // A path in the text may hold characters outside the ANSI code page.
  using MessageBoxWFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  static const auto messageBoxW =
      IsNT() ? SystemFunction<MessageBoxWFn>("user32.dll", "MessageBoxW") : nullptr;
  if (messageBoxW) {
    return AnswerOf(messageBoxW(mainWindow, Wide(text).data(), Wide(caption).data(), type));
  }
  return AnswerOf(MessageBoxA(mainWindow, text.c_str(), caption.c_str(), type));
}

void Win32Platform::ShowFirstRunNotice() { ShowFirstRunNoticeWindow(mainWindow); }

void Win32Platform::ShowAboutBox() {
  struct Reset {  // the about window is gone when this returns, also by an error
    HWND& about;
    ~Reset() { about = nullptr; }
  } reset{aboutWindow};
  ShowAboutWindow(
      mainWindow,
      [](void* self, HWND about) {
        auto* platform = static_cast<Win32Platform*>(self);
        platform->aboutWindow = about;
        if (platform->view) platform->view->OnAboutLinkClick();
      },
      this);
}

bool Win32Platform::ShellOpen(Owner owner, const std::string& file, const std::string& params) {
  HWND hwnd = owner == Owner::AboutWindow && aboutWindow ? aboutWindow : mainWindow;
  using ShellExecuteWFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
  using ShellExecuteAFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const auto shellExecuteW =
      IsNT() ? SystemFunction<ShellExecuteWFn>("shell32.dll", "ShellExecuteW") : nullptr;
  static const auto shellExecuteA = SystemFunction<ShellExecuteAFn>("shell32.dll", "ShellExecuteA");
  SetLastError(0);
  HINSTANCE result;
  if (shellExecuteW) {
    const std::vector<wchar_t> wideParams = Wide(params);
    result = shellExecuteW(hwnd, L"open", Wide(file).data(),
                           params.empty() ? nullptr : wideParams.data(), nullptr, SW_SHOW);
  } else if (shellExecuteA) {
    result = shellExecuteA(hwnd, "open", file.c_str(), params.empty() ? nullptr : params.c_str(),
                           nullptr, SW_SHOW);
  } else {
    lastError_ = GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND;
    return false;
  }
  const auto code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return true;
  // The shell's own codes below 32 match the system's for the usual causes
  // (file or path not found, access denied, out of memory).
  lastError_ = GetLastError() ? GetLastError() : static_cast<DWORD>(code);
  return false;
}

std::vector<MtuInUse> Win32Platform::MtusInUse() { return QueryMtusInUse(); }

bool Win32Platform::ShowAdapters(std::vector<AdapterRow>* rows) {
  return ShowAdaptersWindow(mainWindow, rows);
}

bool Win32Platform::ShowPreview(const PreviewReport& report) {
  return ShowPreviewWindow(mainWindow, report);
}

void Win32Platform::ShowFindMtu(const std::function<std::string(int mtu)>& useMtu) {
  ShowFindMtuWindow(
      mainWindow, useMtu,
      [](void* self) {
        if (View* view = static_cast<Win32Platform*>(self)->view) view->OnModelChanged();
      },
      this);
}

void Win32Platform::ShowModernTcp(std::vector<TcpSettingRow>* rows, const TcpRowsWork& read,
                                  const TcpRowsWork& apply) {
  ShowModernTcpWindow(mainWindow, rows, read, apply);
}

void Win32Platform::RunWaiting(const std::function<void()>& work) {
  struct Job {
    const std::function<void()>* work;
    HWND wake;
    std::exception_ptr failure;
    volatile LONG finished;
    static DWORD WINAPI Run(void* self) {
      auto* job = static_cast<Job*>(self);
      try {
        (*job->work)();
      } catch (...) {
        job->failure = std::current_exception();
      }
      InterlockedExchange(&job->finished, 1);
      // Wakes the loop below, which may be waiting for a message.
      PostMessageA(job->wake, WM_NULL, 0, 0);
      return 0;
    }
  } job{&work, mainWindow, nullptr, 0};
  DWORD id = 0;
  HANDLE thread = mainWindow ? CreateThread(nullptr, 0, Job::Run, &job, 0, &id) : nullptr;
  if (!thread) {
    work();
    return;
  }
  const bool enabled = IsWindowEnabled(mainWindow) != FALSE;
  const HWND focus = GetFocus();
  if (enabled) EnableWindow(mainWindow, FALSE);
  const HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  // The window is drawn meanwhile; a quit request waits for the
  // work, which must not be cut.
  MSG msg{};
  BOOL got = TRUE;
  while (!job.finished && (got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  if (enabled) EnableWindow(mainWindow, TRUE);
  if (focus && IsWindow(focus)) SetFocus(focus);
  SetCursor(cursor);
  if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace iz::win32
