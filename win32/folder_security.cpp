// The folders of records: who owns them and who may write in them. The
// program runs as an administrator and writes back what these folders hold,
// so a folder that another account may change could steer those writes.
//
// Every security function comes from advapi32.dll at run time: Windows 95
// would refuse to start a program that imports them. The 9x family has no
// such security (its functions are stubs that fail), and a volume that
// keeps no permissions (FAT) lets every account write anywhere; on both the
// folder is made plainly and left unchecked.
#include <cstddef>
#include <cstring>

#include "win32/late_bound.h"
#include "win32/win32_platform.h"

namespace iz::win32 {

namespace {

using GetFileSecurityWFn = BOOL(WINAPI*)(LPCWSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD,
                                         LPDWORD);
using GetOwnerFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID*, LPBOOL);
using GetDaclFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, LPBOOL, PACL*, LPBOOL);
using InitializeSdFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
using SetOwnerFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID, BOOL);
using SetDaclFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
using SetControlFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                   SECURITY_DESCRIPTOR_CONTROL);
using InitializeAclFn = BOOL(WINAPI*)(PACL, DWORD, DWORD);
using AddAllowedAceFn = BOOL(WINAPI*)(PACL, DWORD, DWORD, PSID);
using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);

// The functions of NT 3.51 and 4.0 this file needs, and the one of 2000
// (SetSecurityDescriptorControl) that may be missing. All are pointers of
// one size, filled in the order of kSecurityNames.
struct SecurityCalls {
  GetFileSecurityWFn getFileSecurity;
  GetOwnerFn getOwner;
  GetDaclFn getDacl;
  InitializeSdFn initializeSd;
  SetOwnerFn setOwner;
  SetDaclFn setDacl;
  InitializeAclFn initializeAcl;
  AddAllowedAceFn addAllowedAce;
  OpenProcessTokenFn openProcessToken;
  GetTokenInformationFn getTokenInformation;
  SetControlFn setControl;  // the optional one, last
  bool complete;
};

constexpr const char* kSecurityNames[] = {"GetFileSecurityW",
                                          "GetSecurityDescriptorOwner",
                                          "GetSecurityDescriptorDacl",
                                          "InitializeSecurityDescriptor",
                                          "SetSecurityDescriptorOwner",
                                          "SetSecurityDescriptorDacl",
                                          "InitializeAcl",
                                          "AddAccessAllowedAce",
                                          "OpenProcessToken",
                                          "GetTokenInformation",
                                          "SetSecurityDescriptorControl"};
constexpr int kRequiredCalls = 10;
static_assert(offsetof(SecurityCalls, setControl) == kRequiredCalls * sizeof(FARPROC));

const SecurityCalls& Calls() {
  static const SecurityCalls calls = [] {
    SecurityCalls c{};
    if (!IsNT()) return c;
    c.complete = true;
    for (int i = 0; i <= kRequiredCalls; ++i) {
      const FARPROC f = SystemProc("advapi32.dll", kSecurityNames[i]);
      std::memcpy(reinterpret_cast<char*>(&c) + i * sizeof f, &f, sizeof f);
      if (i < kRequiredCalls && !f) c.complete = false;
    }
    return c;
  }();
  return calls;
}

// SIDs as the system lays them out: revision 1, the count of sub-authorities,
// the authority (big-endian, 6 bytes), the sub-authorities (little-endian).
struct Sid {
  BYTE bytes[8 + 4 * 6];
};
constexpr Sid kAdministrators = {{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0}};
constexpr Sid kSystem = {{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}};
constexpr Sid kUsers = {{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 0x02, 0, 0}};
// Stands for whoever makes a file in the folder: only an account that may
// add one, which the other entries already tell.
constexpr Sid kCreatorOwner = {{1, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0}};
// NT SERVICE\TrustedInstaller, which owns Program Files from Vista on and
// has full control of the folders made below it.
constexpr Sid kTrustedInstaller = {{1,    6,    0,    0,    0,    0,    0,    5,
                                    80,   0,    0,    0,    0xB5, 0x89, 0xFB, 0x38,
                                    0x19, 0x84, 0xC2, 0xCB, 0x5C, 0x6C, 0x23, 0x6D,
                                    0x57, 0x00, 0x77, 0x6E, 0xC0, 0x02, 0x64, 0x87}};

DWORD SidLength(const void* sid) { return 8 + 4 * static_cast<const BYTE*>(sid)[1]; }

bool SameSid(const void* a, const void* b) {
  return a && b && SidLength(a) == SidLength(b) && std::memcmp(a, b, SidLength(a)) == 0;
}

PSID Pointer(const Sid& sid) { return const_cast<BYTE*>(sid.bytes); }

// The account this copy runs as: it may keep what it owns, as no one else
// gains anything by that. Empty when the token cannot be read.
std::vector<BYTE> OwnUser(const SecurityCalls& c) {
  HANDLE token = nullptr;
  if (!c.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> user(256);
  DWORD size = 0;
  BOOL ok =
      c.getTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size);
  if (!ok && size > user.size()) {
    user.resize(size);
    ok = c.getTokenInformation(token, TokenUser, user.data(), size, &size);
  }
  CloseHandle(token);
  if (!ok) return {};
  const auto* sid = static_cast<const BYTE*>(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
  return std::vector<BYTE>(sid, sid + SidLength(sid));
}

// Rights that let an account put, change or remove what the folder holds,
// or change who may: writing, adding files or folders, deleting children
// or the folder, the permissions and the ownership.
constexpr DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Whether a volume keeps permissions at all. "C:\..." and "\\server\share\..."
// give their root; any other path is left to the check.
bool KeepsPermissions(const std::string& path) {
  std::string root;
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
    root = path.substr(0, 3);
  } else if (path.compare(0, 2, "\\\\") == 0) {
    const std::size_t share = path.find('\\', 2);
    const std::size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
    if (end == std::string::npos) return true;
    root = path.substr(0, end + 1);
  } else {
    return true;
  }
  DWORD flags = 0;
  if (!GetVolumeInformationW(Wide(root).data(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
    return true;
  return (flags & FS_PERSISTENT_ACLS) != 0;
}

}  // namespace

bool Win32Platform::CreateAdminsOnlyFolder(const std::string& path) {
  const SecurityCalls& c = Calls();
  if (!c.complete) {
    return (IsNT() ? CreateDirectoryW(Wide(path).data(), nullptr)
                   : CreateDirectoryA(path.c_str(), nullptr)) != FALSE;
  }
  // Administrators and SYSTEM may do anything, Users may read; each entry
  // passes to the files and folders made inside.
  const DWORD aceSize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
  const DWORD aclSize = sizeof(ACL) + 3 * aceSize + SidLength(&kAdministrators) +
                        SidLength(&kSystem) + SidLength(&kUsers);
  std::vector<DWORD> aclBuffer(aclSize / sizeof(DWORD) + 1);
  auto* acl = reinterpret_cast<ACL*>(aclBuffer.data());
  SECURITY_DESCRIPTOR sd;
  if (!c.initializeAcl(acl, aclSize, ACL_REVISION) ||
      !c.addAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, Pointer(kAdministrators)) ||
      !c.addAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, Pointer(kSystem)) ||
      !c.addAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                       Pointer(kUsers)) ||
      !c.initializeSd(&sd, SECURITY_DESCRIPTOR_REVISION) || !c.setDacl(&sd, TRUE, acl, FALSE) ||
      !c.setOwner(&sd, Pointer(kAdministrators), FALSE)) {
    return false;
  }
  auto* ace = reinterpret_cast<BYTE*>(acl + 1);
  for (int i = 0; i < 3; ++i, ace += reinterpret_cast<ACE_HEADER*>(ace)->AceSize)
    reinterpret_cast<ACE_HEADER*>(ace)->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  // From 2000 on the parent's inheritable entries would join these unless
  // the list is marked as protected; NT 4.0 takes the list as it is.
  if (c.setControl) c.setControl(&sd, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &sd, FALSE};
  if (CreateDirectoryW(Wide(path).data(), &attributes)) return true;
  // Only a member of Administrators may make it the owner; anyone else
  // stays the owner, which the check accepts for the account it runs as.
  if (GetLastError() != ERROR_INVALID_OWNER || !c.setOwner(&sd, nullptr, FALSE)) return false;
  return CreateDirectoryW(Wide(path).data(), &attributes) != FALSE;
}

FolderSafety Win32Platform::CheckFolder(const std::string& path) {
  const SecurityCalls& c = Calls();
  if (!c.complete || !KeepsPermissions(path)) return FolderSafety::Unchecked;
  // A folder whose security cannot be read is not trusted.
  const std::vector<wchar_t> wide = Wide(path);
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  c.getFileSecurity(wide.data(), wanted, nullptr, 0, &size);
  if (size == 0) return FolderSafety::OpenToOthers;
  std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
  if (!c.getFileSecurity(wide.data(), wanted, buffer.data(), size, &size))
    return FolderSafety::OpenToOthers;
  const std::vector<BYTE> self = OwnUser(c);
  auto trusted = [&self](const void* sid) {
    return SameSid(sid, &kAdministrators) || SameSid(sid, &kSystem) ||
           SameSid(sid, &kTrustedInstaller) || (!self.empty() && SameSid(sid, self.data()));
  };

  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!c.getOwner(buffer.data(), &owner, &defaulted) || !trusted(owner))
    return FolderSafety::OpenToOthers;
  BOOL present = FALSE;
  PACL dacl = nullptr;
  // No list at all, or an empty one given as none: everyone may do anything.
  if (!c.getDacl(buffer.data(), &present, &dacl, &defaulted) || !present || !dacl)
    return FolderSafety::OpenToOthers;
  // Every entry that allows, inherited or passed on alike (what passes on
  // is what the files made inside allow); denials are not counted on, as
  // their order and scope decide what they hold back.
  const auto* at = reinterpret_cast<const BYTE*>(dacl + 1);
  const BYTE* const end = reinterpret_cast<const BYTE*>(dacl) + dacl->AclSize;
  for (WORD i = 0; i < dacl->AceCount; ++i) {
    if (at + sizeof(ACE_HEADER) > end) return FolderSafety::OpenToOthers;
    const auto* header = reinterpret_cast<const ACE_HEADER*>(at);
    if (header->AceSize < sizeof(ACE_HEADER) || at + header->AceSize > end)
      return FolderSafety::OpenToOthers;
    switch (header->AceType) {
      case ACCESS_ALLOWED_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
        const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(at);
        const auto* sid = reinterpret_cast<const BYTE*>(&allowed->SidStart);
        if (header->AceSize < sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + 8 ||
            sid + SidLength(sid) > at + header->AceSize)
          return FolderSafety::OpenToOthers;
        if ((allowed->Mask & kChangingRights) && !trusted(sid) && !SameSid(sid, &kCreatorOwner))
          return FolderSafety::OpenToOthers;
        break;
      }
      case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
      case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        // Kinds a folder does not carry; whom they allow is not read here.
        return FolderSafety::OpenToOthers;
      default:
        break;  // denials, audits, labels
    }
    at += header->AceSize;
  }
  return FolderSafety::AdminsOnly;
}

}  // namespace iz::win32
