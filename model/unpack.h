#pragma once
// The program's own packing of data it embeds (the toolbar's icons, written
// by resources/make_icons.py): 32-bit icons are mostly runs of the same few
// bytes, and stored packed they take a quarter of the room.
//
// The format: the unpacked size (4 bytes, least significant first), then
// sequences until that size is reached. A sequence is a byte whose high four
// bits count the literal bytes that follow it and whose low four bits give
// the length of a copy after them, less 4; 15 in either means that bytes
// follow, each added on, until one below 255. The copy, absent after the
// last literals, starts at a 2-byte distance back in what is unpacked.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace iz {

// False, with out left empty, for data that is not in the format or that
// would unpack past its stated size.
bool Unpack(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* out);

}  // namespace iz
