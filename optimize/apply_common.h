#pragma once
// What the NT and the 9x applier share: the panel's boxes as the numbers and
// bytes the registry takes, the browser limits and the serial-port entries of
// Win.ini.
#include <cstdint>
#include <string>

#include "model/panel.h"
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

// MTU - 40 in 32 bits, signed: a tiny MTU gives a negative segment size,
// written with its minus sign. 40 bytes are the IP and TCP headers.
inline std::string SegmentSizeText(std::int64_t mtu) {
  return std::to_string(static_cast<std::int32_t>(Low32(mtu) - 40u));
}

// The browser's connection limits, in the Internet Settings key of the
// current user, which the appliers never create.
void WriteConnectionLimits(RawRegistry& registry, std::int64_t perServer, std::int64_t per10Server);

// The last step of both appliers: Win.ini is written only when "Optimize COM
// ports" is ticked, and left alone otherwise.
void WriteOptimizedPorts(const Panel& panel, ProfileStrings& profiles);

}  // namespace iz::apply
