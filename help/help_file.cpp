#include "help/help_file.h"

#include "model/title.h"

namespace iz {

std::string HelpFilePath(const std::string& programPath) {
  // The directory part keeps its trailing separator, so a program in a drive
  // root ("C:\IZ.exe") gives "C:\Internet Zelvora.chm", not a doubled
  // backslash. A drive-relative "C:IZ.exe" keeps its "C:" and gains nothing.
  const std::string::size_type cut = programPath.find_last_of("\\/:");
  if (cut == std::string::npos) return kHelpFileName;
  return programPath.substr(0, cut + 1) + kHelpFileName;
}

}  // namespace iz
