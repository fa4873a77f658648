#include "win32/find_mtu_window.h"

#include <exception>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "mtu/mtu_search.h"
#include "win32/controls.h"
#include "win32/icmp_probe.h"
#include "win32/modal_window.h"

namespace iz::win32 {

namespace {

constexpr const char* kClass = "TFindMtuForm";
constexpr int kHostId = 100;
constexpr int kStartId = 101;
constexpr int kUseId = 102;
// Posted by the search's thread: its news are in the Search.
constexpr UINT kSearchNews = WM_APP + 1;

// One search, shared by its thread and the window. Either may let go first
// (the window closes at once, the thread finishes its echo): the last one
// deletes it.
class Search {
 public:
  Search(HWND window, std::string host) : window_(window), host_(std::move(host)) {
    InitializeCriticalSection(&lock_);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;

  const std::string& Host() const { return host_; }
  void Stop() { InterlockedExchange(&stop_, 1); }
  bool Stopped() const { return stop_ != 0; }
  void Release() {
    if (InterlockedDecrement(&refs_) == 0) delete this;
  }

  // From the thread: the latest step, then the end.
  void Report(const std::string& line) { Tell(&line, false, nullptr, 0); }
  void Finish(const std::string& result, int mtu) { Tell(nullptr, true, &result, mtu); }

  // From the window: shows what the thread told so far, the latest step in
  // progress and, once it is done, the result. Returns the MTU found when
  // done (0 when none), else -1. The thread only waits for the lock while
  // it sets its news, and the texts go to the window's own thread.
  int Show(HWND progress, HWND result) {
    EnterCriticalSection(&lock_);
    if (!news_.line.empty()) SetWindowTextA(progress, news_.line.c_str());
    if (news_.done) SetWindowTextA(result, news_.result.c_str());
    const int mtu = news_.done ? news_.mtu : -1;
    LeaveCriticalSection(&lock_);
    return mtu;
  }

 private:
  ~Search() { DeleteCriticalSection(&lock_); }

  // A null line leaves the last one; a null result is none yet.
  void Tell(const std::string* line, bool done, const std::string* result, int mtu) {
    EnterCriticalSection(&lock_);
    if (line && !line->empty()) news_.line = *line;
    news_.done = done;
    if (result)
      news_.result = *result;
    else
      news_.result.clear();
    news_.mtu = mtu;
    LeaveCriticalSection(&lock_);
    // Lost when the window is gone, as it should be.
    PostMessageA(window_, kSearchNews, 0, 0);
  }

  const HWND window_;
  const std::string host_;
  volatile LONG refs_ = 2;  // the window's and the thread's
  volatile LONG stop_ = 0;
  CRITICAL_SECTION lock_;
  struct News {
    std::string line, result;
    bool done = false;
    int mtu = 0;
  };
  News news_;
};

// Held by the thread that sends echoes: a search started while a stopped one
// still waits for its last answer begins when that one has ended. Made on
// the main thread, by the first Start.
HANDLE OneSearchAtATime() {
  static const HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  return mutex;
}

DWORD WINAPI RunSearch(void* param) {
  auto* search = static_cast<Search*>(param);
  std::string result;
  int mtu = 0;
  WaitForSingleObject(OneSearchAtATime(), INFINITE);
  try {
    if (!search->Stopped()) {
      const std::unique_ptr<mtu::EchoProbe> probe = OpenEchoProbe(search->Host());
      const mtu::MtuResult found =
          mtu::FindLargestPayload(*probe, [search](const mtu::MtuStep& step) {
            if (search->Stopped()) return false;
            search->Report(mtu::StepText(step));
            return true;
          });
      result = mtu::ResultText(found, search->Host());
      if (found.outcome == mtu::MtuOutcome::Found) mtu = found.Mtu();
    }
  } catch (const std::exception& e) {
    result = e.what();
  } catch (...) {
    result = "The search failed.";
  }
  ReleaseMutex(OneSearchAtATime());
  search->Finish(result, mtu);
  search->Release();
  return 0;
}

class WindowState : public ModalWindow {
 public:
  const std::function<std::string(int)>* useMtu = nullptr;
  void (*changed)(void*) = nullptr;
  void* context = nullptr;
  HWND host = nullptr, start = nullptr, use = nullptr, progress = nullptr, result = nullptr,
       status = nullptr;
  Search* search = nullptr;  // the one running, or null
  int mtu = 0;               // the last one found

  ~WindowState() override {
    if (search) {
      search->Stop();
      search->Release();
    }
  }

 private:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// Disables a control; the focus, when it is there, goes to the host field
// first, or the keyboard would be left with nothing to act on.
void Disable(const WindowState& state, HWND control) {
  if (GetFocus() == control) SetFocus(state.host);
  EnableWindow(control, FALSE);
}

void Start(HWND hwnd, WindowState& state) {
  const std::string host = WindowText(state.host, true);
  std::string problem =
      host.empty() ? "Type the name or address of a host." : mtu::RefusedHost(host);
  if (problem.empty()) problem = EchoUnavailable();
  SetWindowTextA(state.result, problem.c_str());
  if (!problem.empty()) return;
  OneSearchAtATime();
  auto* search = new Search(hwnd, host);
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, RunSearch, search, 0, &id);
  if (!thread) {
    SetWindowTextA(state.result, SystemErrorText(GetLastError()).c_str());
    search->Release();
    search->Release();
    return;
  }
  CloseHandle(thread);
  state.search = search;
  state.mtu = 0;
  std::string looking = "Looking up ";
  looking += host;
  looking += "...";
  SetWindowTextA(state.progress, looking.c_str());
  Disable(state, state.start);
  Disable(state, state.use);
}

void ShowNews(WindowState& state) {
  if (!state.search) return;
  const int mtu = state.search->Show(state.progress, state.result);
  if (mtu < 0) return;
  state.search->Release();
  state.search = nullptr;
  state.mtu = mtu;
  EnableWindow(state.start, TRUE);
  EnableWindow(state.use, state.mtu > 0);
}

// The model's errors from "&Use as Custom MTU" are reported by its own
// dispatch.
bool WindowState::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
  if (msg == kSearchNews) {
    ShowNews(*this);
    return true;
  }
  if (msg != WM_COMMAND) return false;
  switch (LOWORD(wParam)) {
    case kStartId:
      if (!search) Start(hwnd, *this);
      return true;
    case kUseId:
      // The window covers the panel's MTU group: what the panel now holds is
      // said here, so the user need not move the window to see it.
      if (mtu > 0 && *useMtu) {
        const std::string said = (*useMtu)(mtu);
        changed(context);
        SetWindowTextA(status, said.c_str());
      }
      return true;
  }
  return false;
}

}  // namespace

void ShowFindMtuWindow(HWND owner, const std::function<std::string(int mtu)>& useMtu,
                       void (*changed)(void* context), void* context) {
  WindowState state;
  state.useMtu = &useMtu;
  state.changed = changed;
  state.context = context;
  // Start is the default button: Enter in the host field starts.
  state.defaultId = kStartId;
  // Enter in the host field starts; the status line: two lines of text,
  // sunken across the bottom.
  constexpr DWORD kText = SS_LEFT | SS_NOPREFIX;
  static constexpr ChildRow kChildren[] = {
      {"STATIC", "&Host:", SS_LEFT, 8, 12, 40, 16},
      {"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 50, 9, 226, 21, kHostId, false, WS_EX_CLIENTEDGE},
      {"BUTTON", "&Start", WS_TABSTOP | BS_DEFPUSHBUTTON, 292, 7, 80, 25, kStartId},
      {"STATIC", "", kText, 8, 42, 364, 16},
      {"STATIC", "", kText, 8, 62, 364, 44},
      {"BUTTON", "&Use as Custom MTU", WS_TABSTOP | BS_PUSHBUTTON, 8, 117, 120, 25, kUseId},
      {"BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, 292, 117, 80, 25, IDCANCEL},
      {"STATIC", "", kText, 0, 150, 380, 32, 0, false, WS_EX_STATICEDGE},
  };
  HWND c[std::size(kChildren)];
  HWND hwnd = state.Open(kClass, "Find Largest MTU", owner, 380, 182, false, kChildren,
                         static_cast<int>(std::size(kChildren)), c);
  state.host = c[1], state.start = c[2], state.progress = c[3], state.result = c[4];
  state.use = c[5], state.status = c[7];
  SetWindowTextA(state.host, DefaultGateway().c_str());
  EnableWindow(state.use, FALSE);
  CentreOverOwner(hwnd, owner);
  SendMessageA(state.host, EM_SETSEL, 0, -1);
  state.Run(owner, state.host);
}

}  // namespace iz::win32
