#pragma once
// What the preview shows: the values Optimize would change, each as the four
// texts of one list row, and how many values Optimize writes in all.
#include <string>
#include <vector>

namespace iz {

struct PreviewLine {
  std::string location;  // "HKEY_LOCAL_MACHINE\System\..." or "Win.ini [Ports]"
  std::string value;     // the value or entry name; "(Default)" for a key's unnamed value
  std::string now;       // as it stands, or "(absent)"
  std::string after;     // what Optimize writes, or "(removed)"
  std::string readBy;    // whether this Windows reads the value: "yes", or why not
  bool operator==(const PreviewLine& o) const {
    return location == o.location && value == o.value && now == o.now && after == o.after &&
           readBy == o.readBy;
  }
};

struct PreviewReport {
  std::vector<PreviewLine> changes;  // in the order the applier writes them
  int written = 0;                   // every value Optimize writes, changed or not
  // "N of M values would change."
  std::string Summary() const;
};

}  // namespace iz
