#pragma once
// The preview window's columns: what matters first (the value, as it is, as
// Optimize leaves it, whether this Windows reads it), where it lives last,
// and short there. The command line's /preview keeps its own order of the
// same five texts, which scripts read.
#include <cstddef>
#include <string>

#include "model/preview_report.h"

namespace iz {

struct PreviewColumn {
  const char* title;
  std::string (*text)(const PreviewLine& line);
};

extern const PreviewColumn kPreviewColumns[];
extern const std::size_t kPreviewColumnCount;

// A location below one of the standard roots of the values Optimize writes
// (the machine's services, the user's Windows settings) without that root:
// "...\Tcpip\Parameters"; any other location whole ("Win.ini [Ports]"). The
// whole path is shown beside the list, for the chosen row.
std::string ShortLocation(const std::string& location);

}  // namespace iz
