// The folders of records: who owns them and who may write in them.
#include "win32/win32_platform.h"

namespace iz::win32 {

// Placeholder until the security descriptor is built and checked.
bool Win32Platform::CreateAdminsOnlyFolder(const std::string& path) {
  return CreateDirectory(path);
}

FolderSafety Win32Platform::CheckFolder(const std::string&) { return FolderSafety::Unchecked; }

}  // namespace iz::win32
