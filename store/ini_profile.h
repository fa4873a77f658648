#pragma once
// The profile-string functions over a real ini file, for builds away from
// Windows. They keep the platform's rules: the file and the section are
// created as needed, an existing entry is replaced in place, every other line
// is kept, section and key names match without regard to case, a read gives
// at most 2047 characters and the default when the file, section or key is
// absent. A write replaces the file atomically, so a crash leaves either the
// old or the new file, never half of one.
#include <optional>
#include <string>
#include <vector>

#include "store/profile_file.h"

namespace iz {

// The text with section/key set to value (text in, text out).
std::string IniWrite(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& value);
// The text without the entry section/key (unchanged when it has none).
std::string IniRemove(const std::string& text, const std::string& section, const std::string& key);
// The text without the section: its header and every line up to the next.
std::string IniRemoveSection(const std::string& text, const std::string& section);
// The names of the sections, or of the entries of one section, in file order.
std::vector<std::string> IniSectionNames(const std::string& text);
std::vector<std::string> IniKeyNames(const std::string& text, const std::string& section);
// The value of section/key in text, without surrounding blanks and one pair
// of matching quotes; nothing when the section or key is absent.
std::optional<std::string> IniRead(const std::string& text, const std::string& section,
                                   const std::string& key);

// s in lower case, as section, key and file names compare.
std::string IniLower(std::string s);

class IniProfileStrings : public ProfileStrings {
 public:
  // directory is the real directory that stands for the Windows directory;
  // windowsDirectory is the text reported for it (the directory itself when
  // empty), so WinIniPath is windowsDirectory + "\Win.ini". Backslash paths
  // below that text map to files in directory.
  explicit IniProfileStrings(std::string directory, std::string windowsDirectory = "");

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
  bool RemoveString(const std::string& file, const std::string& section,
                    const std::string& key) override;
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultText) override;
  bool RemoveSection(const std::string& file, const std::string& section) override;
  std::vector<std::string> SectionNames(const std::string& file) override;
  std::vector<std::string> KeyNames(const std::string& file, const std::string& section) override;
  void Flush(const std::string& file) override;
  std::string WindowsDirectory() override { return windowsDirectory_; }

  // The real file a profile path stands for; a name that differs only in
  // case from an existing file is that file, as on Windows.
  std::string RealPath(const std::string& file) const;

 private:
  std::string directory_;
  std::string windowsDirectory_;
};

// Replaces path with content through a temporary file in the same directory,
// flushed to disk before the rename. False when it cannot be written, or
// when path is a folder.
bool WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace iz
