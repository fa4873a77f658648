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

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *content = buffer.str();
  return true;
}

}  // namespace

IniProfileStrings::IniProfileStrings(std::string directory, std::string windowsDirectory)
    : directory_(std::move(directory)),
      windowsDirectory_(windowsDirectory.empty() ? directory_ : std::move(windowsDirectory)) {}

std::string IniProfileStrings::RealPath(const std::string& file) const {
  namespace fs = std::filesystem;
  std::string path = file;
  if (IniLower(path.substr(0, windowsDirectory_.size())) == IniLower(windowsDirectory_))
    path = directory_ + path.substr(windowsDirectory_.size());
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  // Windows file names ignore case: find the file under another spelling.
  const fs::path wanted(path);
  const std::string name = IniLower(wanted.filename().string());
  const fs::path dir = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (IniLower(it->path().filename().string()) == name) return it->path().string();
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

bool IniProfileStrings::RemoveString(const std::string& file, const std::string& section,
                                     const std::string& key) {
  namespace fs = std::filesystem;
  const std::string path = RealPath(file);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return true;
  std::string text;
  if (!ReadWholeFile(path, &text)) return false;
  const std::string rest = IniRemove(text, section, key);
  if (rest == text) return true;
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
  return WriteFileAtomically(path, rest);
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

bool IniProfileStrings::RemoveSection(const std::string& file, const std::string& section) {
  namespace fs = std::filesystem;
  const std::string path = RealPath(file);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return true;
  std::string text;
  if (!ReadWholeFile(path, &text)) return false;
  const std::string rest = IniRemoveSection(text, section);
  if (rest == text) return true;
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
  return WriteFileAtomically(path, rest);
}

std::vector<std::string> IniProfileStrings::SectionNames(const std::string& file) {
  std::string text;
  return ReadWholeFile(RealPath(file), &text) ? IniSectionNames(text) : std::vector<std::string>();
}

std::vector<std::string> IniProfileStrings::KeyNames(const std::string& file,
                                                     const std::string& section) {
  std::string text;
  return ReadWholeFile(RealPath(file), &text) ? IniKeyNames(text, section)
                                              : std::vector<std::string>();
}

void IniProfileStrings::Flush(const std::string&) {
  // Nothing is cached: every read goes to the file.
}

bool WriteFileAtomically(const std::string& path, const std::string& content) {
  // A folder is never replaced, and nothing is left beside it for trying.
  std::error_code isFolder;
  if (std::filesystem::is_directory(path, isFolder)) return false;
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
