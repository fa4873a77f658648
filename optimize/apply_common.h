#pragma once
// What the NT and the 9x applier share: the panel's boxes as the numbers and
// bytes the registry takes, the fixed values of the parameter map, and the
// serial-port entries of Win.ini.
#include <cstdint>

#include "app/panel.h"
#include "store/parameter_map.h"
#include "store/profile_file.h"
#include "store/settings_session.h"

namespace iz::apply {

// 'on' for a ticked box, 0 for a cleared one.
inline std::uint32_t IfChecked(const CheckBoxCtl& box, std::uint32_t on) {
  return box.checked ? on : 0u;
}

// A DWORD takes the low 32 bits of a whole number; no range is checked.
inline std::uint32_t Low32(std::int64_t number) { return static_cast<std::uint32_t>(number); }

namespace detail {
constexpr bool SameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}
}  // namespace detail

// The fixed text an operation writes to a mapped value ("128" for the
// maxconnect "max"); nullptr when the map gives none. Evaluated at compile
// time, so the callers can refuse to build without it.
constexpr const char* FixedText(const char* key, const char* value, map::Op op) {
  for (const map::Location& l : map::kParameterMap) {
    if (detail::SameText(l.key, key) && detail::SameText(l.value, value)) {
      return map::At(l, op).fixed;
    }
  }
  return nullptr;
}
// The same text as a number, for the family that writes it as a DWORD.
constexpr std::uint32_t FixedNumber(const char* key, const char* value, map::Op op) {
  const char* text = FixedText(key, value, op);
  std::uint32_t n = 0;
  for (; *text != '\0'; ++text) n = n * 10 + static_cast<std::uint32_t>(*text - '0');
  return n;
}

// A one-byte binary value (the appliers pass a box as 0x00 or 0x01): the key
// is opened with creation, written and closed again.
void PutByte(SettingsSession& session, const char* key, const char* name, std::uint8_t byte);

// The browser's connection limits, in the Internet Settings key of the
// current user, which the appliers never create.
void WriteConnectionLimits(RawRegistry& registry, std::int64_t perServer, std::int64_t per10Server);

// The last step of both appliers: Win.ini is written only when "Optimize COM
// ports" is ticked, and left alone otherwise.
void WriteOptimizedPorts(const Panel& panel, ProfileStrings& profiles);

}  // namespace iz::apply
