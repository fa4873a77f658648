#pragma once
// Profile files held in memory: the sandbox in which Optimize can run without
// touching the real Win.ini. Each file is kept as ini text and changed by the
// substitute's own text rules (store/ini_profile.h), so it reads back exactly
// as the file on disk would.
#include <string>
#include <utility>
#include <vector>

#include "store/profile_file.h"

namespace iz {

class MemoryProfileStrings : public ProfileStrings {
 public:
  explicit MemoryProfileStrings(std::string windowsDirectory = "C:\\WINDOWS");

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
  bool RemoveString(const std::string& file, const std::string& section,
                    const std::string& key) override;
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultText) override;
  bool RemoveSection(const std::string& file, const std::string& section) override;
  std::vector<std::string> SectionNames(const std::string& file) override;
  std::vector<std::string> KeyNames(const std::string& file, const std::string& section) override;
  void Flush(const std::string&) override {}
  std::string WindowsDirectory() override { return windowsDirectory_; }

  // The text of a file ("" when it was never written); names compare
  // without regard to case, as Windows' file names do.
  std::string Text(const std::string& file) const;

 private:
  // The text of a file, null when it was never written.
  std::string* Find(const std::string& file);

  std::string windowsDirectory_;
  // (lower-case name, text): a sandbox holds a file or two, not enough for a
  // tree's code to pay.
  std::vector<std::pair<std::string, std::string>> files_;
};

}  // namespace iz
