#include "preview/columns.h"

#include <cctype>
#include <iterator>

namespace iz {

namespace {

// Every location of the preview starts with one of these, in one of the
// spellings of the parameter map; what follows says which value it is.
constexpr const char* kStandardRoots[] = {
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\",
};

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

}  // namespace

// The value name first: it tells the rows apart where a location would
// repeat the same root on every row.
const PreviewColumn kPreviewColumns[] = {
    {"Value", [](const PreviewLine& l) { return l.value; }},
    {"Now", [](const PreviewLine& l) { return l.now; }},
    {"After Optimize", [](const PreviewLine& l) { return l.after; }},
    {"Read by this Windows", [](const PreviewLine& l) { return l.readBy; }},
    {"Location", [](const PreviewLine& l) { return ShortLocation(l.location); }},
};
const std::size_t kPreviewColumnCount = std::size(kPreviewColumns);

std::string ShortLocation(const std::string& location) {
  for (const std::string root : kStandardRoots) {
    // Nothing below the root itself would leave an empty place.
    if (location.size() > root.size() && StartsWithNoCase(location, root))
      return "...\\" + location.substr(root.size());
  }
  return location;
}

}  // namespace iz
