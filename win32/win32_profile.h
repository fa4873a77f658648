#pragma once
// Profile files and the Windows directory through the platform's functions.
#include "store/profile_file.h"

namespace iz {

class Win32ProfileStrings : public ProfileStrings {
 public:
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
  std::string WindowsDirectory() override;
};

}  // namespace iz
