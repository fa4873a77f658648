#pragma once
// Where the help file lies: in the program's own directory, whatever the
// current directory of the process is.
#include <string>

namespace iz {

// The directory part of programPath (drive and folders) joined with the help
// file name by one backslash.
std::string HelpFilePath(const std::string& programPath);

}  // namespace iz
