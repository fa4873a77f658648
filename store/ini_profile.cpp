#include "store/ini_profile.h"

#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace iz {

namespace {

constexpr std::size_t kReadLimit = 2047;  // a 2048-character buffer with its NUL

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

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
  const std::string wanted = Lower(name);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].isSection || Lower(lines[i].name) != wanted) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !lines[end].isSection) ++end;
    return {i + 1, end};
  }
  return {std::string::npos, std::string::npos};
}

std::size_t FindKey(const std::vector<Line>& lines, std::pair<std::size_t, std::size_t> section,
                    const std::string& key) {
  const std::string wanted = Lower(key);
  for (std::size_t i = section.first; i < section.second; ++i) {
    if (lines[i].isEntry && Lower(lines[i].name) == wanted) return i;
  }
  return std::string::npos;
}

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *content = buffer.str();
  return true;
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

IniProfileStrings::IniProfileStrings(std::string directory, std::string windowsDirectory)
    : directory_(std::move(directory)),
      windowsDirectory_(windowsDirectory.empty() ? directory_ : std::move(windowsDirectory)) {}

std::string IniProfileStrings::RealPath(const std::string& file) const {
  namespace fs = std::filesystem;
  std::string path = file;
  if (Lower(path.substr(0, windowsDirectory_.size())) == Lower(windowsDirectory_))
    path = directory_ + path.substr(windowsDirectory_.size());
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  // Windows file names ignore case: find the file under another spelling.
  const fs::path wanted(path);
  const std::string name = Lower(wanted.filename().string());
  const fs::path dir = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (Lower(it->path().filename().string()) == name) return it->path().string();
  }
  return path;
}

bool IniProfileStrings::WriteString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& value) {
  namespace fs = std::filesystem;
  const std::string path = RealPath(file);
  std::string text;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::exists(status)) {
    // A read-only file refuses the write, as it does on Windows.
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
    if (!ReadWholeFile(path, &text)) return false;
  }
  return WriteFileAtomically(path, IniWrite(text, section, key, value));
}

std::string IniProfileStrings::ReadString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& defaultText) {
  std::string text;
  std::optional<std::string> value;
  if (ReadWholeFile(RealPath(file), &text)) value = IniRead(text, section, key);
  std::string result = value ? *value : defaultText;
  if (result.size() > kReadLimit) result.resize(kReadLimit);
  return result;
}

void IniProfileStrings::Flush(const std::string&) {
  // Nothing is cached: every read goes to the file.
}

bool WriteFileAtomically(const std::string& path, const std::string& content) {
  static std::atomic<unsigned> counter{0};
  // Unique per process and per write, so concurrent writers never share one.
  const std::string temp =
      path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
#ifdef _WIN32
  const int fd = _open(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0644);
#else
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
#endif
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < content.size();) {
    const auto n = write(fd, content.data() + done, static_cast<unsigned>(content.size() - done));
    if (n <= 0) {
      ok = false;
    } else {
      done += static_cast<std::size_t>(n);
    }
  }
#ifdef _WIN32
  ok = ok && _commit(fd) == 0;
#else
  ok = ok && fsync(fd) == 0;
#endif
  ok = (close(fd) == 0) && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(temp, path, ec);
  if (!ok || ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
#ifndef _WIN32
  // Make the rename itself durable.
  const std::filesystem::path dir = std::filesystem::path(path).parent_path();
  const int dirFd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
#endif
  return true;
}

}  // namespace iz
