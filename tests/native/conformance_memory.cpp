// The conformance suite's target natively: a fresh in-memory registry and an
// ini substitute over a temporary directory for every test.
#include <stdlib.h>

#include <filesystem>

#include "shared/conformance_registry.h"
#include "store/ini_profile.h"
#include "store/memory_registry.h"

namespace iz::test {
namespace {

class MemoryTarget : public ConformanceTarget {
 public:
  explicit MemoryTarget(const std::string& testName)
      : scratch_("Software\\ZelvoraTest\\" + testName),
        directory_(MakeTempDirectory()),
        windowsDirectory_("C:\\ZelvoraTest"),
        profiles_(directory_, windowsDirectory_) {}
  ~MemoryTarget() override {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }

  RawRegistry& Registry() override { return registry_; }
  const std::string& Scratch() const override { return scratch_; }
  void MakeUncreatable(HKey root, const std::string& path) override {
    registry_.FailKey(root, path);
  }
  ProfileStrings& Profiles() override { return profiles_; }
  const std::string& ScratchDirectory() const override { return windowsDirectory_; }
  std::string UnwritableFile() const override {
    return windowsDirectory_ + "\\NoSuchDirectory\\Win.ini";
  }

 private:
  static std::string MakeTempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvora-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }

  MemoryRegistry registry_;
  std::string scratch_;
  std::string directory_;
  std::string windowsDirectory_;
  IniProfileStrings profiles_;
};

}  // namespace

std::unique_ptr<ConformanceTarget> MakeConformanceTarget(const std::string& testName) {
  return std::make_unique<MemoryTarget>(testName);
}

}  // namespace iz::test
