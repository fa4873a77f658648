#pragma once
// Profile files (Win.ini) and the Windows directory.
#include <string>
#include <vector>

namespace iz {

// The platform's profile-string functions and GetWindowsDirectoryA. The Win32
// implementation calls them; the substitute keeps an ini file on disk with the
// same rules (see store/ini_profile.h).
class ProfileStrings {
 public:
  virtual ~ProfileStrings() = default;
  // WritePrivateProfileStringA; false when the file cannot be written.
  virtual bool WriteString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
  // WritePrivateProfileStringA with no value: the entry goes; false when the
  // file cannot be written. An absent entry is no failure.
  virtual bool RemoveString(const std::string& file, const std::string& section,
                            const std::string& key) = 0;
  // GetPrivateProfileStringA with a 2048-character buffer (at most 2047 read).
  virtual std::string ReadString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultText) = 0;
  // WritePrivateProfileStringA with no key: the section goes with all its
  // lines; false when the file cannot be written. An absent one is no failure.
  virtual bool RemoveSection(const std::string& file, const std::string& section) = 0;
  // GetPrivateProfileStringA with no section: the names of the file's
  // sections; with no key: the names of the section's entries. Empty for a
  // file or section that does not exist.
  virtual std::vector<std::string> SectionNames(const std::string& file) = 0;
  virtual std::vector<std::string> KeyNames(const std::string& file,
                                            const std::string& section) = 0;
  // WritePrivateProfileStringA(NULL, NULL, NULL, file): flushes cached copies.
  virtual void Flush(const std::string& file) = 0;
  // GetWindowsDirectoryA with 1023 of a 1024-character buffer offered.
  virtual std::string WindowsDirectory() = 0;
};

std::string WindowsDirectory(ProfileStrings& profiles);
// WindowsDirectory followed by "\Win.ini"; the file need not exist.
std::string WinIniPath(ProfileStrings& profiles);

// One profile file for one run of writes or reads; released, it flushes.
class ProfileFile {
 public:
  ProfileFile(ProfileStrings& profiles, std::string path);
  ~ProfileFile();
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  // Raises "Unable to write to %s" with the file's path.
  void PutProfileText(const std::string& section, const std::string& ident,
                      const std::string& value);
  std::string GetProfileText(const std::string& section, const std::string& ident,
                             const std::string& defaultText);
  const std::string& Path() const { return path_; }

 private:
  ProfileStrings& profiles_;
  std::string path_;
};

}  // namespace iz
