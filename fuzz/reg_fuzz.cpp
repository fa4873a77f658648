// The Registry.reg reader on any text. A text it rejects names a line of the
// text and yields no records. A text it accepts must survive the writer: the
// written form reads back as the same values (one section per key, so only
// the order and the spelling of a key written twice may change), and writing
// that again gives the same text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "snapshot/reg_file.h"

namespace {

using fuzz::Check;
using fuzz::Lower;

// Keys compare without regard to case (the writer keeps the first spelling of
// a key); names keep theirs. A value that was absent carries no data.
using Key =
    std::tuple<iz::HKey, std::string, std::string, bool, std::uint32_t, std::vector<std::uint8_t>>;
std::vector<Key> Canonical(const std::vector<iz::RegValueRecord>& records) {
  std::vector<Key> keys;
  for (const iz::RegValueRecord& r : records) {
    keys.emplace_back(r.root, Lower(r.keyPath), r.name, r.present, r.present ? r.type : 0,
                      r.present ? r.data : std::vector<std::uint8_t>());
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) +
         (text.empty() || text.back() == '\n' ? 0 : 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const iz::RegFileParse parsed = iz::ReadRegFile(text);
  if (!parsed.ok()) {
    Check(parsed.records.empty() && parsed.lines.empty());
    Check(parsed.badLine >= 1 && parsed.badLine <= std::max(1, LineCount(text)));
    Check(!parsed.reason.empty());
    return 0;
  }
  Check(parsed.records.size() == parsed.lines.size());

  const std::string written = iz::WriteRegFile(parsed.records);
  const iz::RegFileParse again = iz::ReadRegFile(written);
  Check(again.ok());
  Check(Canonical(again.records) == Canonical(parsed.records));
  Check(iz::WriteRegFile(again.records) == written);
  return 0;
}
