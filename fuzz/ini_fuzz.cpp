// The ini reader and writer of the substitute profile file on any text.
// Input: a section, a key, a value and a probe section and key, one per line,
// then the file's text. Whatever the text, reading and writing must not fail;
// for names the profile functions can hold, a write must read back, keep every
// other line and every other entry, and a second identical write must leave
// the lines as they are.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "store/ini_profile.h"

namespace {

using fuzz::Check;

std::string NextLine(const std::string& input, std::size_t* pos) {
  const std::size_t end = input.find('\n', *pos);
  const std::string line =
      input.substr(*pos, end == std::string::npos ? std::string::npos : end - *pos);
  *pos = end == std::string::npos ? input.size() : end + 1;
  return line;
}

bool HasControl(const std::string& s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

bool IsTrimmed(const std::string& s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return !s.empty() && !blank(s.front()) && !blank(s.back());
}

using fuzz::Lower;

// A section name, a key and a value that a profile file can carry on one
// line each and give back as they were.
bool Holdable(const std::string& section, const std::string& key, const std::string& value) {
  return IsTrimmed(section) && !HasControl(section) && section.find(']') == std::string::npos &&
         IsTrimmed(key) && !HasControl(key) && key.find('=') == std::string::npos &&
         key[0] != '[' && key[0] != ';' && !HasControl(value);
}

// What reading gives back for a written value: no surrounding blanks, one
// pair of matching quotes removed.
std::string AsRead(const std::string& value) {
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  std::string v = value.substr(first, value.find_last_not_of(" \t") - first + 1);
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
    v = v.substr(1, v.size() - 2);
  return v;
}

// The lines of a text without their breaks. Carriage returns at the end of a
// line count as part of the break: a stray one before the last line break
// may make the whole file read as CR LF afterwards, which changes no entry.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::string line = NextLine(text, &pos);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every old line is kept in its place: one entry replaced, one entry
// inserted, or a new section and its entry added at the end.
bool KeepsOtherLines(const std::string& before, const std::string& after) {
  const std::vector<std::string> old = Lines(before), now = Lines(after);
  std::size_t same = 0;  // the common beginning
  while (same < old.size() && same < now.size() && old[same] == now[same]) ++same;
  auto restEqual = [&](std::size_t oldFrom, std::size_t nowFrom) {
    return old.size() - oldFrom == now.size() - nowFrom &&
           std::equal(old.begin() + oldFrom, old.end(), now.begin() + nowFrom);
  };
  if (now.size() == old.size()) return same == old.size() || restEqual(same + 1, same + 1);
  if (now.size() == old.size() + 1) return restEqual(same, same + 1);
  return now.size() == old.size() + 2 && same == old.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t pos = 0;
  const std::string section = NextLine(input, &pos);
  const std::string key = NextLine(input, &pos);
  const std::string value = NextLine(input, &pos);
  const std::string probeSection = NextLine(input, &pos);
  const std::string probeKey = NextLine(input, &pos);
  const std::string text = input.substr(pos);

  const std::optional<std::string> probeBefore = iz::IniRead(text, probeSection, probeKey);
  const std::string written = iz::IniWrite(text, section, key, value);
  const std::optional<std::string> probeAfter = iz::IniRead(written, probeSection, probeKey);
  if (!Holdable(section, key, value)) return 0;

  Check(iz::IniRead(written, section, key) == AsRead(value));
  Check(KeepsOtherLines(text, written));
  const bool sameEntry = Lower(probeSection) == Lower(section) && Lower(probeKey) == Lower(key);
  if (!sameEntry) Check(probeAfter == probeBefore);
  Check(Lines(iz::IniWrite(written, section, key, value)) == Lines(written));
  return 0;
}
