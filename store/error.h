#pragma once
// The program's one error type. Store failures and number conversions raise it
// with the exact text the user will see; the handler dispatch shows it.
#include <stdexcept>
#include <string>

namespace iz {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Replaces the first "%s" of pattern with arg ("Failed to create key %s").
std::string FormatMessage(const std::string& pattern, const std::string& arg);

// The store's and the conversion's message patterns, written once.
inline constexpr const char* kFailedToCreateKey = "Failed to create key %s";
inline constexpr const char* kFailedToSetData = "Failed to set data for '%s'";
inline constexpr const char* kFailedToGetData = "Failed to get data for '%s'";
inline constexpr const char* kInvalidDataType = "Invalid data type for '%s'";
inline constexpr const char* kFailedToRemove = "Failed to remove '%s'";
inline constexpr const char* kUnableToWrite = "Unable to write to %s";
inline constexpr const char* kNotAnInteger = "'%s' is not a valid integer value";

}  // namespace iz
