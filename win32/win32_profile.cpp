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
