#pragma once
// The program's one error type. Store failures and number conversions raise it
// with the exact text the user will see; the handler dispatch shows it.
#include <cstddef>
#include <exception>
#include <string>
#include <utility>

namespace iz {

// A std::exception of its own rather than a std::runtime_error: the library
// code behind the standard's error classes (a second string type, kept for
// old binaries) would be a seventh of the Windows program.
class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  explicit Error(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Replaces the first "%s" of pattern with arg ("Failed to create key %s").
std::string FormatMessage(const std::string& pattern, const std::string& arg);

// A count and what is counted, agreeing: "1 setting", "2 settings".
std::string CountText(std::size_t count, const char* one, const char* many);

// The store's and the conversion's message patterns, written once.
inline constexpr const char* kFailedToCreateKey = "Failed to create key %s";
inline constexpr const char* kFailedToSetData = "Failed to set data for '%s'";
inline constexpr const char* kFailedToGetData = "Failed to get data for '%s'";
inline constexpr const char* kInvalidDataType = "Invalid data type for '%s'";
inline constexpr const char* kFailedToRemove = "Failed to remove '%s'";
inline constexpr const char* kUnableToWrite = "Unable to write to %s";
inline constexpr const char* kNotAnInteger = "'%s' is not a valid integer value";

}  // namespace iz
