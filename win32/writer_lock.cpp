// One writer at a time across every copy of the program: a named mutex,
// held while a command writes. Windows 95 has CreateMutexA already; the
// security calls come from advapi32.dll at run time, as 95 lacks them (its
// stubs fail, and the mutex is then made as before).
#include <string>
#include <vector>

#include "model/writer_lock.h"
#include "win32/late_bound.h"
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

struct LockSecurityCalls {
  using InitializeSdFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
  using SetOwnerFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID, BOOL);
  using SetDaclFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
  using InitializeAclFn = BOOL(WINAPI*)(PACL, DWORD, DWORD);
  using AddAllowedAceFn = BOOL(WINAPI*)(PACL, DWORD, DWORD, PSID);
  using GetSecurityInfoFn = DWORD(WINAPI*)(HANDLE, int, SECURITY_INFORMATION, PSID*, PSID*, PACL*,
                                           PACL*, PSECURITY_DESCRIPTOR*);
  using LookupAccountSidFn = BOOL(WINAPI*)(LPCSTR, PSID, LPSTR, LPDWORD, LPSTR, LPDWORD,
                                           PSID_NAME_USE);
  InitializeSdFn initializeSd = Get<InitializeSdFn>("InitializeSecurityDescriptor");
  SetOwnerFn setOwner = Get<SetOwnerFn>("SetSecurityDescriptorOwner");
  SetDaclFn setDacl = Get<SetDaclFn>("SetSecurityDescriptorDacl");
  InitializeAclFn initializeAcl = Get<InitializeAclFn>("InitializeAcl");
  AddAllowedAceFn addAllowedAce = Get<AddAllowedAceFn>("AddAccessAllowedAce");
  GetSecurityInfoFn getSecurityInfo = Get<GetSecurityInfoFn>("GetSecurityInfo");
  LookupAccountSidFn lookupAccountSid = Get<LookupAccountSidFn>("LookupAccountSidA");

  template <class F>
  static F Get(const char* name) {
    return IsNT() ? SystemFunction<F>("advapi32.dll", name) : nullptr;
  }
  bool CanMake() const {
    return initializeSd && setOwner && setDacl && initializeAcl && addAllowedAce;
  }
};

const LockSecurityCalls& Security() {
  static const LockSecurityCalls calls;
  return calls;
}

// SIDs as the system lays them out: revision 1, the count of
// sub-authorities, the authority (big-endian, 6 bytes), the sub-authorities.
constexpr BYTE kAdministrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
constexpr BYTE kSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

// "S-1-5-32-544", as the core's check takes it.
std::string SidText(const BYTE* sid) {
  unsigned long long authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | sid[i];
  std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (int i = 0; i < sid[1]; ++i) {
    const BYTE* s = sid + 8 + 4 * i;
    text += "-" + std::to_string(s[0] | s[1] << 8 | s[2] << 16 | static_cast<DWORD>(s[3]) << 24);
  }
  return text;
}

// The security the lock is made with: only Administrators and SYSTEM may
// open it, and Administrators own it, so that no other account can make
// it first and hold it for good.
struct LockSecurity {
  DWORD acl[64] = {};
  SECURITY_DESCRIPTOR sd{};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &sd, FALSE};

  bool Make(bool owned) {
    const LockSecurityCalls& c = Security();
    auto* list = reinterpret_cast<ACL*>(acl);
    return c.CanMake() && c.initializeAcl(list, sizeof acl, ACL_REVISION) &&
           c.addAllowedAce(list, ACL_REVISION, MUTEX_ALL_ACCESS,
                           const_cast<BYTE*>(kAdministrators)) &&
           c.addAllowedAce(list, ACL_REVISION, MUTEX_ALL_ACCESS, const_cast<BYTE*>(kSystem)) &&
           c.initializeSd(&sd, SECURITY_DESCRIPTOR_REVISION) && c.setDacl(&sd, TRUE, list, FALSE) &&
           (!owned || c.setOwner(&sd, const_cast<BYTE*>(kAdministrators), FALSE));
  }
};

HANDLE CreateNamed(SECURITY_ATTRIBUTES* security) {
  HANDLE mutex = CreateMutexA(security, FALSE, kGlobalName);
  if (mutex) return mutex;
  const DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME)
    mutex = CreateMutexA(security, FALSE, kPlainName);
  return mutex;
}

HANDLE OpenWriterMutex() {
  LockSecurity security;
  if (!security.Make(true)) return CreateNamed(nullptr);
  HANDLE mutex = CreateNamed(&security.attributes);
  // Only a member of Administrators may make them the owner: anyone else
  // owns it, and the other copies then name that account.
  if (!mutex && GetLastError() == ERROR_INVALID_OWNER && security.Make(false))
    mutex = CreateNamed(&security.attributes);
  return mutex;
}

// The account that made the lock when it is not a trusted one; empty when
// it is, or where the system cannot tell.
std::string Stranger(HANDLE mutex) {
  const LockSecurityCalls& c = Security();
  if (!c.getSecurityInfo) return std::string();
  constexpr int kKernelObject = 6;  // SE_KERNEL_OBJECT
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (c.getSecurityInfo(mutex, kKernelObject, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &sd) != ERROR_SUCCESS) {
    return std::string();
  }
  std::string name;
  if (owner) {
    const std::string sid = SidText(static_cast<const BYTE*>(owner));
    if (!LockOwnerTrusted(sid)) {
      char account[256], domain[256];
      DWORD accountSize = sizeof account, domainSize = sizeof domain;
      SID_NAME_USE use;
      name = sid;
      if (c.lookupAccountSid &&
          c.lookupAccountSid(nullptr, owner, account, &accountSize, domain, &domainSize, &use))
        name = domainSize > 0 && domain[0] ? std::string(domain) + "\\" + account : account;
    }
  }
  LocalFree(sd);
  return name;
}

}  // namespace

bool Win32Platform::TakeWriterLock(std::string* stranger) {
  stranger->clear();
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
  if (!mutex) {
    if (HANDLE look = OpenMutexA(READ_CONTROL, FALSE, kGlobalName)) {
      *stranger = Stranger(look);
      CloseHandle(look);
    }
    return false;
  }
  // Made by an account that is not trusted: it can hold it for good.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    *stranger = Stranger(mutex);
    if (!stranger->empty()) {
      CloseHandle(mutex);
      return false;
    }
  }
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
