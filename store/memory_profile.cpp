#include "store/memory_profile.h"

#include <cctype>
#include <utility>

#include "store/ini_profile.h"

namespace iz {

namespace {

constexpr std::size_t kReadLimit = 2047;  // what the platform's 2048-character buffer holds

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

MemoryProfileStrings::MemoryProfileStrings(std::string windowsDirectory)
    : windowsDirectory_(std::move(windowsDirectory)) {}

bool MemoryProfileStrings::WriteString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& value) {
  std::string* text = Find(file);
  if (!text) {
    files_.push_back({Lower(file), std::string()});
    text = &files_.back().second;
  }
  *text = IniWrite(*text, section, key, value);
  return true;
}

bool MemoryProfileStrings::RemoveString(const std::string& file, const std::string& section,
                                        const std::string& key) {
  if (std::string* text = Find(file)) *text = IniRemove(*text, section, key);
  return true;
}

std::string MemoryProfileStrings::ReadString(const std::string& file, const std::string& section,
                                             const std::string& key,
                                             const std::string& defaultText) {
  const std::optional<std::string> value = IniRead(Text(file), section, key);
  return value ? value->substr(0, kReadLimit) : defaultText;
}

bool MemoryProfileStrings::RemoveSection(const std::string& file, const std::string& section) {
  if (std::string* text = Find(file)) *text = IniRemoveSection(*text, section);
  return true;
}

std::vector<std::string> MemoryProfileStrings::SectionNames(const std::string& file) {
  return IniSectionNames(Text(file));
}

std::vector<std::string> MemoryProfileStrings::KeyNames(const std::string& file,
                                                        const std::string& section) {
  return IniKeyNames(Text(file), section);
}

std::string* MemoryProfileStrings::Find(const std::string& file) {
  const std::string name = Lower(file);
  for (auto& [lower, text] : files_) {
    if (lower == name) return &text;
  }
  return nullptr;
}

std::string MemoryProfileStrings::Text(const std::string& file) const {
  const std::string* text = const_cast<MemoryProfileStrings*>(this)->Find(file);
  return text ? *text : std::string();
}

}  // namespace iz
