// The conformance suite's target under Wine: the real registry and profile
// functions of the test prefix. Each test works below
// HKCU\Software\ZelvoraTest\<test> and HKLM\Software\ZelvoraTest\<test> and in
// %TEMP%\ZelvoraTest\<test>, all removed before and after it.
#include <string>
#include <vector>

#include "shared/conformance_registry.h"
#include "win32/win.h"
#include "win32/win32_profile.h"
#include "win32/win32_registry.h"

namespace iz::test {
namespace {

// Deletes a key with everything below it (RegDeleteTree is Vista and later).
void DeleteTree(HKEY parent, const std::string& path) {
  Win32Key key;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | DELETE, key.Out()) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    children.emplace_back(name, length);
  }
  for (const std::string& child : children) DeleteTree(key.Get(), child);
  key.Reset();
  RegDeleteKeyA(parent, path.c_str());
}

void DeleteDirectory(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteDirectory(dir + "\\" + name);
      } else {
        SetFileAttributesA((dir + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((dir + "\\" + name).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

class Win32Target : public ConformanceTarget {
 public:
  explicit Win32Target(const std::string& testName)
      : scratch_("Software\\ZelvoraTest\\" + testName) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    base += "\\ZelvoraTest";
    CreateDirectoryA(base.c_str(), nullptr);
    directory_ = base + "\\" + testName;
    Clean();
    CreateDirectoryA(directory_.c_str(), nullptr);
  }
  ~Win32Target() override { Clean(); }

  RawRegistry& Registry() override { return registry_; }
  const std::string& Scratch() const override { return scratch_; }

  // A volatile key: the store creates its keys non-volatile, and the
  // registry refuses a non-volatile key below a volatile one. (Wine does not
  // enforce key security descriptors, so a restrictive DACL would not do.)
  void MakeUncreatable(HKey root, const std::string& path) override {
    // Missing parents would be created volatile too: make them first.
    Win32Key parent, key;
    const std::string parentPath = path.substr(0, path.rfind('\\'));
    RegCreateKeyExA(ToHKEY(root), parentPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, parent.Out(), nullptr);
    RegCreateKeyExA(ToHKEY(root), path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, key.Out(), nullptr);
  }

  ProfileStrings& Profiles() override { return profiles_; }
  const std::string& ScratchDirectory() const override { return directory_; }
  std::string UnwritableFile() const override { return directory_ + "\\NoSuchDirectory\\Win.ini"; }

 private:
  void Clean() {
    DeleteTree(HKEY_CURRENT_USER, scratch_);
    DeleteTree(HKEY_LOCAL_MACHINE, scratch_);
    DeleteDirectory(directory_);
  }

  Win32Registry registry_;
  Win32ProfileStrings profiles_;
  std::string scratch_;
  std::string directory_;
};

}  // namespace

std::unique_ptr<ConformanceTarget> MakeConformanceTarget(const std::string& testName) {
  return std::make_unique<Win32Target>(testName);
}

}  // namespace iz::test
