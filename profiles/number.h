#pragma once
// Reading a field's text as a whole number: leading blanks, an optional sign,
// decimal digits or hexadecimal after "$" or "0x"/"0X", digits to the end,
// signed 64-bit range.
#include <cstdint>
#include <string>

namespace iz {

// False (and *value untouched) for anything that is not such a number.
bool TryReadNumber(const std::string& text, std::int64_t* value);
// The panel's reading: anything that is not a number counts as 0.
std::int64_t ReadNumber(const std::string& text);
// The appliers' reading: raises "'%s' is not a valid integer value".
std::int64_t ReadWholeNumber(const std::string& text);

}  // namespace iz
