#pragma once
// What the store conformance suite runs on: natively the in-memory registry
// and the ini substitute (tests/native/conformance_memory.cpp), under Wine the
// real registry and profile functions (tests/wine/conformance_win32.cpp).
// Each test gets a fresh scratch area so tests never see each other's keys.
#include <memory>
#include <string>

#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz::test {

class ConformanceTarget {
 public:
  virtual ~ConformanceTarget() = default;
  virtual RawRegistry& Registry() = 0;
  // A key path from either root (no leading backslash) that is empty when
  // the test starts and removed when it ends; the test may use it freely.
  virtual const std::string& Scratch() const = 0;
  // Makes creating any key below the key path (from root) fail, while the
  // key's parent stays usable.
  virtual void MakeUncreatable(HKey root, const std::string& path) = 0;

  virtual ProfileStrings& Profiles() = 0;
  // A directory in the platform's own spelling (backslashes), empty at the
  // start of the test, for profile files.
  virtual const std::string& ScratchDirectory() const = 0;
  // A file path in that spelling whose directory does not exist.
  virtual std::string UnwritableFile() const = 0;
};

// A fresh target for the test of that name.
std::unique_ptr<ConformanceTarget> MakeConformanceTarget(const std::string& testName);

}  // namespace iz::test
