#include "win32/win32_profile.h"

#include "win32/win.h"

namespace iz {

bool Win32ProfileStrings::WriteString(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

bool Win32ProfileStrings::RemoveString(const std::string& file, const std::string& section,
                                       const std::string& key) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != FALSE;
}

std::string Win32ProfileStrings::ReadString(const std::string& file, const std::string& section,
                                            const std::string& key,
                                            const std::string& defaultText) {
  char buffer[2048] = {};
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(),
                                                buffer, sizeof buffer, file.c_str());
  return std::string(buffer, length < sizeof buffer ? length : sizeof buffer - 1);
}

bool Win32ProfileStrings::RemoveSection(const std::string& file, const std::string& section) {
  return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != FALSE;
}

namespace {

// The names GetPrivateProfileStringA lists, each ended by a NUL. A list that
// filled the buffer (its length is the size less two) may have been cut, so
// it is read again into a larger one.
std::vector<std::string> ProfileNames(const char* section, const std::string& file) {
  std::string buffer(4096, '\0');
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileStringA(section, nullptr, "", &buffer[0],
                                      static_cast<DWORD>(buffer.size()), file.c_str());
    if (length + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::string> names;
  for (DWORD at = 0; at < length;) {
    const std::string name(buffer.data() + at);
    if (name.empty()) break;
    at += static_cast<DWORD>(name.size()) + 1;
    names.push_back(name);
  }
  return names;
}

}  // namespace

std::vector<std::string> Win32ProfileStrings::SectionNames(const std::string& file) {
  return ProfileNames(nullptr, file);
}

std::vector<std::string> Win32ProfileStrings::KeyNames(const std::string& file,
                                                       const std::string& section) {
  return ProfileNames(section.c_str(), file);
}

void Win32ProfileStrings::Flush(const std::string& file) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

std::string Win32ProfileStrings::WindowsDirectory() {
  // 1023 of 1024 characters offered, so the text always ends in a NUL.
  char buffer[1024] = {};
  GetWindowsDirectoryA(buffer, sizeof buffer - 1);
  return std::string(buffer);
}

}  // namespace iz
