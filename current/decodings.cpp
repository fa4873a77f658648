#include "current/decodings.h"

#include "profiles/number.h"
#include "store/parameter_map.h"

namespace iz {

void ValueReader::Open(const char* path) {
  session_.ClosePath();
  path_ = path;
  session_.OpenPathReadOnly(path);
}

void ValueReader::OpenWithAccess(const char* path, bool create) {
  session_.ClosePath();
  path_ = path;
  session_.OpenPath(path, create);
}

void ValueReader::Close() { session_.ClosePath(); }

void ValueReader::SwitchRoot(HKey root) {
  session_.ClosePath();
  session_.SetRoot(root);
}

std::string ValueReader::StoredText(const char* name) {
  return session_.GetSectionText("", name, "0");
}

std::uint32_t ValueReader::StoredDword(const char* name) {
  return static_cast<std::uint32_t>(ReadDwordAt(registry_, session_.Root(), path_, name));
}

std::uint32_t ValueReader::NtNumber(const char* name) {
  switch (session_.ValueKindOf(name)) {
    case ValueKind::String:
      return static_cast<std::uint32_t>(ReadNumber(StoredText(name)));
    case ValueKind::Dword:
      return StoredDword(name);
    default:
      return 0;
  }
}

std::optional<bool> ValueReader::Flag(const char* name,
                                      std::initializer_list<std::uint32_t> targets) {
  switch (session_.ValueKindOf(name)) {
    case ValueKind::String: {
      const std::string text = StoredText(name);
      for (std::uint32_t t : targets) {
        if (text == std::to_string(t)) return true;
      }
      return false;
    }
    case ValueKind::Dword: {
      const std::uint32_t v = StoredDword(name);
      for (std::uint32_t t : targets) {
        if (v == t) return true;
      }
      return false;
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::string> ValueReader::Text(const char* name) {
  switch (session_.ValueKindOf(name)) {
    case ValueKind::String:
      return StoredText(name);
    case ValueKind::Dword:
      return std::to_string(StoredDword(name));
    default:
      return std::nullopt;
  }
}

std::uint8_t ValueReader::Byte(const char* name, std::uint8_t fallback) {
  std::uint8_t byte = fallback;
  if (session_.ValueKindOf(name) == ValueKind::Binary) session_.GetBinary(name, &byte, 1);
  return byte;
}

std::optional<bool> ValueReader::OptimizedRange() {
  // The range is optimized when it holds what the appliers write there.
  const std::uint32_t a = map::FixedNumber(path_.c_str(), map::kMin, map::Op::ApplyNT);
  const std::uint32_t b = map::FixedNumber(path_.c_str(), map::kMax, map::Op::ApplyNT);
  const ValueKind minKind = session_.ValueKindOf(map::kMin);
  const ValueKind maxKind = session_.ValueKindOf(map::kMax);
  if (minKind == ValueKind::String && maxKind == ValueKind::String) {
    return StoredText(map::kMin) == std::to_string(a) && StoredText(map::kMax) == std::to_string(b);
  }
  if (minKind == ValueKind::Dword && maxKind == ValueKind::Dword) {
    return StoredDword(map::kMin) == a && StoredDword(map::kMax) == b;
  }
  return std::nullopt;
}

bool PortsOptimized(ProfileStrings& profiles) {
  ProfileFile winIni(profiles, WinIniPath(profiles));
  bool optimized = false;
  for (std::size_t i = 0; i < map::kComPortsRead; ++i) {
    optimized = winIni.GetProfileText(map::kSectionPorts, map::kComPorts[i],
                                      map::kPortsReadDefault) == map::kPortsOptimized;
  }
  return optimized;
}

std::string KeepAliveSeconds(std::uint32_t milliseconds) {
  std::uint32_t seconds = milliseconds / 1000;
  const std::uint32_t rest = milliseconds % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 == 1)) ++seconds;
  return std::to_string(seconds);
}

}  // namespace iz
