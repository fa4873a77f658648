#pragma once
// Messages put together from pieces in one string built in place: a chain of
// `+` makes and destroys a temporary for each piece, and each one costs the
// program an exception cleanup of its own.
#include <initializer_list>
#include <string>
#include <string_view>

namespace iz {

std::string JoinText(std::initializer_list<std::string_view> pieces);

}  // namespace iz
