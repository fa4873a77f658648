// The file calls of the real platform, on real files of the Wine prefix.
#include "win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/restart.h"
#include "store/error.h"
#include "win32/late_bound.h"
#include "win32/win.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

// Removes a folder and everything in it; the tests leave uniquely named
// temporary files behind on purpose, so no fixed list of names would do.
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = dir + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A link is removed, never followed.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      RemoveTree(path);
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  RemoveDirectoryA(dir.c_str());
}

class Win32PlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // A folder of its own for each test: process ids come round again under
    // Wine, and a script a test started may still hold the last one open.
    static int serial = 0;
    dir_ = std::string(temp) + "iz_platform_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(GetTickCount()) + "_" + std::to_string(++serial);
    RemoveTree(dir_);
    ASSERT_TRUE(platform_.CreateDirectory(dir_));
  }
  void TearDown() override { RemoveTree(dir_); }
  std::string Read(const std::string& path) {
    std::string content;
    EXPECT_EQ(platform_.ReadFile(path, &content, 1u << 20), iz::FileRead::Ok) << path;
    return content;
  }

  // The files in the folder, by name.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir_ + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }

  iz::win32::Win32Platform platform_;
  std::string dir_;
};

TEST_F(Win32PlatformFiles, ProgramPathIsTheRunningExecutable) {
  const std::string path = platform_.ProgramPath();
  ASSERT_GT(path.size(), 14u);
  EXPECT_EQ(lstrcmpiA(path.substr(path.size() - 14).c_str(), "wine_tests.exe"), 0) << path;
  EXPECT_TRUE(platform_.FileExists(path));
}

TEST_F(Win32PlatformFiles, DirectoryAndFileTestsTellThemApart) {
  const std::string file = dir_ + "\\a.txt";
  ASSERT_TRUE(platform_.WriteFileAtomically(file, "x"));
  struct Case {
    std::string path;
    bool directory, file;
  };
  const std::vector<Case> cases = {
      {dir_, true, false}, {file, false, true}, {dir_ + "\\missing", false, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(platform_.DirectoryExists(c.path), c.directory) << c.path;
    EXPECT_EQ(platform_.FileExists(c.path), c.file) << c.path;
  }
  EXPECT_FALSE(platform_.CreateDirectory(dir_)) << "it exists already";
}

// With the system's MoveFileEx, and with one as the 9x family has it.
TEST_F(Win32PlatformFiles, AtomicWriteReplacesTheWholeFileAndLeavesNoTemporary) {
  const std::string file = dir_ + "\\a.txt";
  for (auto moveFileEx :
       {iz::win32::Win32Platform::MoveFileExFn{}, &iz::win32::MoveFileExNotImplemented}) {
    SCOPED_TRACE(moveFileEx ? "not implemented" : "MoveFileEx");
    platform_.moveFileEx = moveFileEx;
    const std::string big(200000, 'b');
    ASSERT_TRUE(platform_.WriteFileAtomically(file, big));
    EXPECT_EQ(Read(file), big);
    // A shorter content must not keep the tail of the longer one.
    ASSERT_TRUE(platform_.WriteFileAtomically(file, std::string("short\r\n\0end", 11)));
    EXPECT_EQ(Read(file), std::string("short\r\n\0end", 11));
    // A folder is neither replaced nor moved aside.
    platform_.CreateDirectory(dir_ + "\\deploy");
    EXPECT_FALSE(platform_.WriteFileAtomically(dir_ + "\\deploy", "x"));
    EXPECT_FALSE(platform_.CopyFileAtomically(file, dir_ + "\\deploy"));
    EXPECT_TRUE(platform_.DirectoryExists(dir_ + "\\deploy"));
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.txt"}));
    ASSERT_TRUE(platform_.CopyFileAtomically(file, dir_ + "\\b.txt"));
    EXPECT_EQ(Read(dir_ + "\\b.txt"), std::string("short\r\n\0end", 11));
    DeleteFileA(file.c_str());
    DeleteFileA((dir_ + "\\b.txt").c_str());
  }

  EXPECT_FALSE(platform_.WriteFileAtomically(dir_ + "\\sub\\none\\c.txt", "x"));
  std::string content = "kept";
  EXPECT_EQ(platform_.ReadFile(dir_ + "\\missing.txt", &content, 10), iz::FileRead::Failed);
  // A file over the limit is refused, not read.
  ASSERT_TRUE(platform_.WriteFileAtomically(dir_ + "\\big.reg", std::string(11, 'x')));
  EXPECT_EQ(platform_.ReadFile(dir_ + "\\big.reg", &content, 10), iz::FileRead::TooLarge);
  EXPECT_EQ(content, "kept");
}

BOOL WINAPI MoveFileExDenied(LPCSTR, LPCSTR, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

TEST_F(Win32PlatformFiles, OnlyAMissingMoveFileExTakesTheFallback) {
  const std::string file = dir_ + "\\a.txt";
  ASSERT_TRUE(platform_.WriteFileAtomically(file, "old"));
  platform_.moveFileEx = MoveFileExDenied;
  EXPECT_FALSE(platform_.WriteFileAtomically(file, "new"));
  EXPECT_EQ(Read(file), "old");
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.txt"}));
}

// A replacement by renames cut, perhaps followed by another program writing
// or deleting the target: the next look, the link check before a read,
// mends it. The new content comes in only when the target is missing with
// its old copy aside; nothing older than what is there comes back. The NT
// family's replacement leaves no such files, and takes none.
TEST_F(Win32PlatformFiles, ACutReplacementIsMendedByTheNextLookNeverPutsBackOlder) {
  const std::string file = dir_ + "\\a.txt";
  struct Row {
    const char *target, *finished, *aside, *after;  // nullptr: none
  };
  for (const Row& row :
       {Row{"old", "new", nullptr, "old"}, Row{"other", "new", "old", "other"},
        Row{nullptr, "new", "old", "new"}, Row{nullptr, "new", nullptr, nullptr},
        Row{"new", nullptr, "old", "new"}, Row{nullptr, nullptr, "old", nullptr}}) {
    platform_.moveFileEx = nullptr;  // a write that finishes nothing
    const std::pair<const char*, const char*> planted[] = {
        {"", row.target}, {".new.tmp", row.finished}, {".old.tmp", row.aside}};
    for (const auto& [suffix, content] : planted) {
      if (content) ASSERT_TRUE(platform_.WriteFileAtomically(file + suffix, content));
    }
    platform_.moveFileEx = iz::win32::MoveFileExNotImplemented;
    EXPECT_FALSE(platform_.IsReparsePoint(file));
    EXPECT_EQ(Files().size(), row.after ? 1u : 0u) << (row.after ? row.after : "none");
    if (row.after) {
      EXPECT_EQ(Read(file), row.after);
    }
    DeleteFileA(file.c_str());
  }
  platform_.moveFileEx = nullptr;
  ASSERT_TRUE(platform_.WriteFileAtomically(file + ".new.tmp", "planted"));
  EXPECT_FALSE(platform_.FileExists(file));
}

// The folders of records. One made admins-only is AdminsOnly; one whose
// list lets Everyone write is open to others, one that lets Everyone only
// read is not. Wine (run as root) keeps no security descriptor of its own:
// it reports every file as owned by the account the program runs as
// (S-1-5-21-0-0-0-1000, whatever owner was asked for), with SYSTEM and that
// account allowed everything and Everyone what the Unix mode's "other" bits
// allow. So the owner passes here as the program's own account, and the
// lists are set after the folder is made (a list given at creation passes
// through the umask) and cannot be a NULL list.
TEST_F(Win32PlatformFiles, FoldersOfRecordsAreTheAdministratorsOwn) {
  const std::string own = dir_ + "\\Backup";
  ASSERT_TRUE(platform_.CreateAdminsOnlyFolder(own));
  EXPECT_TRUE(platform_.DirectoryExists(own));
  EXPECT_EQ(platform_.CheckFolder(own), iz::FolderSafety::AdminsOnly);
  EXPECT_FALSE(platform_.CreateAdminsOnlyFolder(own)) << "made twice";

  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof everyone;
  ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize));
  auto folderWith = [&](const std::string& name, DWORD rights) {
    const std::string path = dir_ + "\\" + name;
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << name;
    std::vector<DWORD> aclBuffer(64);
    auto* acl = reinterpret_cast<ACL*>(aclBuffer.data());
    EXPECT_TRUE(InitializeAcl(acl, 256, ACL_REVISION));
    EXPECT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone));
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    EXPECT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, &sd)) << name;
    return path;
  };
  EXPECT_EQ(platform_.CheckFolder(folderWith("write", FILE_ALL_ACCESS)),
            iz::FolderSafety::OpenToOthers);
  EXPECT_EQ(platform_.CheckFolder(folderWith("read", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)),
            iz::FolderSafety::AdminsOnly)
      << "reading is no one's way in";
  EXPECT_EQ(platform_.CheckFolder(dir_ + "\\missing"), iz::FolderSafety::OpenToOthers);
}

// One writer at a time: the lock this copy holds (once or within itself
// again) keeps another copy, here another thread's platform, out until it
// is let go.
TEST(WriterLock, KeepsAnotherCopyOutUntilLetGo) {
  iz::win32::Win32Platform first;
  auto otherCopyTakes = [] {
    struct Try {
      static DWORD WINAPI Run(void* taken) {
        iz::win32::Win32Platform other;
        std::string stranger;
        *static_cast<bool*>(taken) = other.TakeWriterLock(&stranger);
        if (*static_cast<bool*>(taken)) other.ReleaseWriterLock();
        return 0;
      }
    };
    bool taken = false;
    HANDLE thread = CreateThread(nullptr, 0, Try::Run, &taken, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return taken;
  };
  std::string stranger;
  ASSERT_TRUE(first.TakeWriterLock(&stranger));
  ASSERT_TRUE(first.TakeWriterLock(&stranger));
  EXPECT_FALSE(otherCopyTakes());
  first.ReleaseWriterLock();
  EXPECT_FALSE(otherCopyTakes()) << "let go while still held within";
  first.ReleaseWriterLock();
  EXPECT_TRUE(otherCopyTakes());
}

// The lock is made for Administrators; one that another account made first,
// here with the test's own user as its owner, is refused with that
// account's name rather than taken for another copy at work.
TEST(WriterLock, MadeForAdministratorsAndRefusedWhenAnotherAccountMadeIt) {
  auto ownerOf = [](HANDLE mutex) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    std::string text;
    if (GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &sd) == ERROR_SUCCESS) {
      char* s = nullptr;
      if (ConvertSidToStringSidA(owner, &s)) text = s;
      LocalFree(s);
      LocalFree(sd);
    }
    return text;
  };
  {
    iz::win32::Win32Platform ours;
    std::string stranger = "unchanged";
    ASSERT_TRUE(ours.TakeWriterLock(&stranger));
    EXPECT_EQ(stranger, "");
    HANDLE look = OpenMutexA(READ_CONTROL, FALSE, "Global\\Internet Zelvora writer");
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(ownerOf(look), "S-1-5-32-544");
    CloseHandle(look);
    ours.ReleaseWriterLock();
  }
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  std::vector<BYTE> user(512);
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, user.data(), 512, &size));
  CloseHandle(token);
  PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  char account[256], domain[256];
  DWORD accountSize = sizeof account, domainSize = sizeof domain;
  SID_NAME_USE use;
  ASSERT_TRUE(LookupAccountSidA(nullptr, sid, account, &accountSize, domain, &domainSize, &use));
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
  SetSecurityDescriptorOwner(&sd, sid, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &sd, FALSE};
  HANDLE squatted = CreateMutexA(&attributes, TRUE, "Global\\Internet Zelvora writer");
  ASSERT_NE(squatted, nullptr);
  iz::win32::Win32Platform copy;
  std::string stranger;
  EXPECT_FALSE(copy.TakeWriterLock(&stranger));
  EXPECT_EQ(stranger, std::string(domain) + "\\" + account);
  ReleaseMutex(squatted);
  CloseHandle(squatted);
  ASSERT_TRUE(copy.TakeWriterLock(&stranger)) << "once it is gone, the lock is made anew";
  copy.ReleaseWriterLock();
}

TEST(LateBound, FindsWhatThisWindowsHasAndNothingElse) {
  using Tick = ULONGLONG(WINAPI*)();
  Tick tick = iz::win32::SystemFunction<Tick>("kernel32.dll", "GetTickCount64");
  ASSERT_NE(tick, nullptr);  // Wine has every version's functions
  EXPECT_GT(tick(), 0u);
  EXPECT_EQ(iz::win32::SystemProc("kernel32.dll", "NoSuchFunction"), nullptr);
  EXPECT_EQ(iz::win32::SystemProc("iz_no_such.dll", "GetTickCount64"), nullptr);
  // A DLL not loaded yet comes from the system directory.
  ASSERT_EQ(GetModuleHandleA("lz32.dll"), nullptr);
  EXPECT_NE(iz::win32::SystemProc("lz32.dll", "LZClose"), nullptr);
  char loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetModuleFileNameA(GetModuleHandleA("lz32.dll"), loaded, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(lstrcmpiA((std::string(system) + "\\lz32.dll").c_str(), loaded), 0) << loaded;
}

// A temporary file planted under the old fixed name is neither used nor
// removed; a copy put back atomically replaces the whole target.
TEST_F(Win32PlatformFiles, TemporaryFilesAreOwnNewFiles) {
  const std::string a = dir_ + "\\a.txt", b = dir_ + "\\b.txt";
  ASSERT_TRUE(platform_.WriteFileAtomically(a + ".tmp", "planted"));
  ASSERT_TRUE(platform_.WriteFileAtomically(a, "written"));
  ASSERT_TRUE(platform_.WriteFileAtomically(b, std::string(5000, 'o')));
  ASSERT_TRUE(platform_.CopyFileAtomically(a, b));
  EXPECT_EQ(Read(b), "written");
  EXPECT_EQ(Read(a + ".tmp"), "planted");
  EXPECT_FALSE(platform_.CopyFileAtomically(dir_ + "\\missing.txt", b));
  EXPECT_EQ(Read(b), "written");
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.txt", "a.txt.tmp", "b.txt"}));
}

TEST_F(Win32PlatformFiles, CopyOverwritesUnlessAskedNotTo) {
  const std::string a = dir_ + "\\a.txt", b = dir_ + "\\b.txt";
  ASSERT_TRUE(platform_.WriteFileAtomically(a, "new"));
  ASSERT_TRUE(platform_.WriteFileAtomically(b, "old"));
  EXPECT_FALSE(platform_.CopyFile(a, b, true));
  EXPECT_EQ(Read(b), "old");
  EXPECT_TRUE(platform_.CopyFile(a, b, false));
  EXPECT_EQ(Read(b), "new");
  // Read-only targets and the copied attributes are left to the file system:
  // Wine, run as root, differs from Windows in both.
}

// A DLL put in the current directory is found there until the search is
// limited, and not afterwards.
TEST_F(Win32PlatformFiles, LimitedDllSearchLeavesOutTheCurrentDirectory) {
  char system[MAX_PATH] = {}, current[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  GetCurrentDirectoryA(MAX_PATH, current);
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(),
                        (dir_ + "\\izplanted.dll").c_str(), FALSE));
  SetCurrentDirectoryA(dir_.c_str());
  HMODULE before = LoadLibraryA("izplanted.dll");
  if (before) FreeLibrary(before);
  iz::win32::LimitDllSearch();
  HMODULE after = LoadLibraryA("izplanted.dll");
  if (after) FreeLibrary(after);
  SetCurrentDirectoryA(current);
  EXPECT_NE(before, nullptr);
  EXPECT_EQ(after, nullptr);
}

// On the NT family a restart that ExitWindowsEx refuses falls back on the
// system directory's shutdown.exe, by its full path: a SHUTDOWN.bat planted
// in the current directory never runs, also when the system directory has
// no shutdown.exe, and the user is told why nothing restarts.
class RefusingPlatform : public iz::win32::Win32Platform {
 public:
  std::string system;
  bool ExitWindowsEx(std::uint32_t, std::uint32_t) override { return false; }
  std::string SystemDirectory() override { return system; }
};

TEST_F(Win32PlatformFiles, RestartNeverRunsAShutdownFromTheCurrentDirectory) {
  const std::string marker = dir_ + "\\ran.txt", planted = dir_ + "\\SHUTDOWN.bat";
  ASSERT_TRUE(platform_.WriteFileAtomically(planted, "@echo planted> \"" + marker + "\"\r\n"));
  ASSERT_TRUE(platform_.CreateDirectory(dir_ + "\\sub"));
  RefusingPlatform platform;
  platform.system = dir_ + "\\sub";
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(dir_.c_str());
  std::string error;
  try {
    iz::RestartByMeans(platform, iz::RestartMeans::ExitWindowsNT5);
  } catch (const iz::Error& e) {
    error = e.what();
  }
  SetCurrentDirectoryA(current);
  EXPECT_EQ(error.rfind("Windows could not be restarted: ", 0), 0u) << error;
  EXPECT_GT(error.size(), 32u) << "without the system's text";
  Sleep(2000);
  EXPECT_FALSE(platform_.FileExists(marker)) << "the planted SHUTDOWN.bat ran";
  // Named by its path the script does run here, so its silence above counts.
  EXPECT_TRUE(platform.ShellOpen(iz::Owner::MainWindow, planted, ""));
  for (int i = 0; i < 100 && !platform_.FileExists(marker); ++i) Sleep(100);
  EXPECT_TRUE(platform_.FileExists(marker));
}

}  // namespace
