#include "store/profile_file.h"

#include <utility>

#include "store/error.h"
#include "store/parameter_map.h"

namespace iz {

std::string WindowsDirectory(ProfileStrings& profiles) { return profiles.WindowsDirectory(); }

std::string WinIniPath(ProfileStrings& profiles) {
  return WindowsDirectory(profiles) + map::kWinIniName;
}

ProfileFile::ProfileFile(ProfileStrings& profiles, std::string path)
    : profiles_(profiles), path_(std::move(path)) {}

ProfileFile::~ProfileFile() {
  // The platform may keep a cached copy of the file; releasing flushes it so
  // the next reader (or a copy for the backup) sees what was written.
  try {
    profiles_.Flush(path_);
  } catch (...) {
  }
}

void ProfileFile::PutProfileText(const std::string& section, const std::string& ident,
                                 const std::string& value) {
  if (!profiles_.WriteString(path_, section, ident, value))
    throw Error(FormatMessage(kUnableToWrite, path_));
}

std::string ProfileFile::GetProfileText(const std::string& section, const std::string& ident,
                                        const std::string& defaultText) {
  return profiles_.ReadString(path_, section, ident, defaultText);
}

}  // namespace iz
