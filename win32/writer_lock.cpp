// One writer at a time across every copy of the program: a named mutex,
// held while a command writes. Windows 95 has CreateMutexA already.
#include "win32/win32_platform.h"

namespace iz::win32 {

namespace {

// Under Terminal Services a name without a prefix is one per session, so
// two administrators logged on at once would each get their own: the
// "Global\" name is one for the machine. Systems without the Global
// namespace (NT 4.0 without Terminal Services, the 9x family) refuse the
// backslash or take the name as it is; where it is refused, the plain name
// is that system's one namespace. Each copy takes the same way on one
// system, so all of them meet at the same mutex.
constexpr const char* kGlobalName = "Global\\Internet Zelvora writer";
constexpr const char* kPlainName = "Internet Zelvora writer";

HANDLE OpenWriterMutex() {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kGlobalName);
  if (mutex) return mutex;
  const DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME)
    mutex = CreateMutexA(nullptr, FALSE, kPlainName);
  return mutex;
}

}  // namespace

bool Win32Platform::TakeWriterLock() {
  // A step that takes it inside a command that holds it already: the mutex
  // would let this thread in again anyway; the count keeps one handle and
  // releases it once.
  if (writerLockDepth_ > 0) {
    ++writerLockDepth_;
    return true;
  }
  // A mutex that cannot be made or opened (another account made it first
  // and keeps it from us) counts as held: writing regardless could
  // interleave with the copy that holds it.
  HANDLE mutex = OpenWriterMutex();
  if (!mutex) return false;
  // Abandoned: a copy that held it ended without letting go, and what it
  // wrote is whatever its journal record says; the lock is free.
  const DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  writerLock_ = mutex;
  writerLockDepth_ = 1;
  return true;
}

void Win32Platform::ReleaseWriterLock() {
  if (writerLockDepth_ == 0 || --writerLockDepth_ > 0) return;
  ReleaseMutex(writerLock_);
  CloseHandle(writerLock_);
  writerLock_ = nullptr;
}

}  // namespace iz::win32
