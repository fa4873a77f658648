#include "store/ini_profile.h"

#include <cctype>
#include <utility>
#include <vector>

// The ini text functions, apart from the file-backed IniProfileStrings:
// the program's preview works on ini text in memory and takes only these.
namespace iz {

std::string IniLower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

namespace {

std::string Trim(const std::string& s) {
  const char* blanks = " \t\r";
  const std::size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

struct Line {
  std::string text;  // without its line break
  bool isSection = false;
  bool isEntry = false;
  std::string name;   // section or key name, trimmed
  std::string value;  // entry value, trimmed
};

std::vector<Line> Parse(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    Line line;
    line.text = text.substr(start, end - start);
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    const std::string t = Trim(line.text);
    if (!t.empty() && t[0] == '[') {
      line.isSection = true;
      const std::size_t close = t.find(']');
      line.name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    } else if (!t.empty() && t[0] != ';') {
      line.isEntry = true;
      const std::size_t eq = t.find('=');
      line.name = Trim(t.substr(0, eq));
      if (eq != std::string::npos) line.value = Trim(t.substr(eq + 1));
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// [first, last) of the lines of the first section named name (header
// excluded); first is npos when there is none.
std::pair<std::size_t, std::size_t> FindSection(const std::vector<Line>& lines,
                                                const std::string& name) {
  const std::string wanted = IniLower(name);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].isSection || IniLower(lines[i].name) != wanted) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !lines[end].isSection) ++end;
    return {i + 1, end};
  }
  return {std::string::npos, std::string::npos};
}

std::size_t FindKey(const std::vector<Line>& lines, std::pair<std::size_t, std::size_t> section,
                    const std::string& key) {
  const std::string wanted = IniLower(key);
  for (std::size_t i = section.first; i < section.second; ++i) {
    if (lines[i].isEntry && IniLower(lines[i].name) == wanted) return i;
  }
  return std::string::npos;
}

}  // namespace

std::string IniWrite(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& value) {
  // Keep the file's own line breaks; a new file gets the platform's.
  const std::string eol =
      text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos ? "\r\n"
                                                                                     : "\n";
  std::vector<Line> lines = Parse(text);
  const auto range = FindSection(lines, section);
  if (range.first == std::string::npos) {
    Line header;
    header.text = "[" + section + "]";
    lines.push_back(header);
    Line entry;
    entry.text = key + "=" + value;
    lines.push_back(entry);
  } else if (const std::size_t at = FindKey(lines, range, key); at != std::string::npos) {
    lines[at].text = lines[at].name + "=" + value;
  } else {
    // After the section's last non-blank line, before blank lines that
    // separate it from the next section.
    std::size_t insertAt = range.second;
    while (insertAt > range.first && Trim(lines[insertAt - 1].text).empty()) --insertAt;
    Line entry;
    entry.text = key + "=" + value;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
  }
  std::string out;
  for (const Line& line : lines) out += line.text + eol;
  return out;
}

std::string IniRemove(const std::string& text, const std::string& section, const std::string& key) {
  std::vector<Line> lines = Parse(text);
  const auto range = FindSection(lines, section);
  if (range.first == std::string::npos) return text;
  const std::size_t at = FindKey(lines, range, key);
  if (at == std::string::npos) return text;
  const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
  std::string out;
  for (const Line& line : lines) out += line.text + eol;
  return out;
}

std::string IniRemoveSection(const std::string& text, const std::string& section) {
  std::vector<Line> lines = Parse(text);
  const auto range = FindSection(lines, section);
  if (range.first == std::string::npos) return text;
  const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range.first) - 1,
              lines.begin() + static_cast<std::ptrdiff_t>(range.second));
  std::string out;
  for (const Line& line : lines) out += line.text + eol;
  return out;
}

std::vector<std::string> IniSectionNames(const std::string& text) {
  std::vector<std::string> names;
  for (const Line& line : Parse(text)) {
    if (line.isSection) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> IniKeyNames(const std::string& text, const std::string& section) {
  const std::vector<Line> lines = Parse(text);
  const auto range = FindSection(lines, section);
  std::vector<std::string> names;
  for (std::size_t i = range.first; range.first != std::string::npos && i < range.second; ++i) {
    if (lines[i].isEntry) names.push_back(lines[i].name);
  }
  return names;
}

std::optional<std::string> IniRead(const std::string& text, const std::string& section,
                                   const std::string& key) {
  const std::vector<Line> lines = Parse(text);
  const auto range = FindSection(lines, section);
  if (range.first == std::string::npos) return std::nullopt;
  const std::size_t at = FindKey(lines, range, key);
  if (at == std::string::npos) return std::nullopt;
  std::string value = lines[at].value;
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return value;
}

}  // namespace iz
