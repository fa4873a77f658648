#include "model/unpack.h"

#include <utility>

namespace iz {

namespace {

// A length of four bits, continued by bytes while they are 255.
bool ReadLength(const std::uint8_t*& at, const std::uint8_t* end, std::size_t* length) {
  if (*length != 15) return true;
  for (;;) {
    if (at == end) return false;
    const std::uint8_t more = *at++;
    *length += more;
    if (more != 255) return true;
  }
}

}  // namespace

bool Unpack(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* out) {
  out->clear();
  if (size < 4) return false;
  const std::size_t total = data[0] | data[1] << 8 | data[2] << 16 | std::size_t{data[3]} << 24;
  const std::uint8_t* at = data + 4;
  const std::uint8_t* const end = data + size;
  std::vector<std::uint8_t> result;
  while (result.size() < total) {
    if (at == end) return false;
    const std::uint8_t token = *at++;
    std::size_t literals = token >> 4;
    if (!ReadLength(at, end, &literals) || literals > static_cast<std::size_t>(end - at) ||
        literals > total - result.size())
      return false;
    result.insert(result.end(), at, at + literals);
    at += literals;
    if (result.size() == total) break;
    if (end - at < 2) return false;
    const std::size_t distance = at[0] | at[1] << 8;
    at += 2;
    std::size_t copy = token & 15;
    if (!ReadLength(at, end, &copy)) return false;
    copy += 4;
    if (distance == 0 || distance > result.size() || copy > total - result.size()) return false;
    // Byte by byte: a copy may overlap what it writes (a run of one byte).
    for (std::size_t from = result.size() - distance; copy > 0; --copy)
      result.push_back(result[from++]);
  }
  if (at != end) return false;
  *out = std::move(result);
  return true;
}

}  // namespace iz
