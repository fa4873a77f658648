#pragma once
// The ways the readers turn a stored value into a panel state. The two
// families keep the same setting in different encodings (and the 9x family
// switches between string and DWORD depending on who wrote it last), so each
// decoding accepts both and says what happens for anything else.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "store/profile_file.h"
#include "store/raw_registry.h"
#include "store/settings_session.h"

namespace iz {

// Reads the values of one key at a time through the reader's session. Every
// open closes the previous key first, so a key that cannot be opened leaves
// no key open and all its values read as absent (never as a value of the key
// that happened to be open before).
class ValueReader {
 public:
  ValueReader(SettingsSession& session, RawRegistry& registry)
      : session_(session), registry_(registry) {}

  void Open(const char* path);                         // OpenPathReadOnly
  void OpenWithAccess(const char* path, bool create);  // OpenPath
  void Close();
  // Closes the key and moves to another root.
  void SwitchRoot(HKey root);

  // NT number: a string read by the panel's number rule (not a number: 0), a
  // DWORD as stored, anything else 0; the low 32 bits.
  std::uint32_t NtNumber(const char* name);
  // 9x flag: a string equal to the decimal digits of one target, or a DWORD
  // equal to one; nullopt (the box keeps its state) for any other kind.
  std::optional<bool> Flag(const char* name, std::initializer_list<std::uint32_t> targets);
  // Text: a string as stored, a DWORD as unsigned decimal, else nullopt.
  std::optional<std::string> Text(const char* name);
  // Byte flag: a binary value read into one byte that holds the fallback
  // beforehand; any other kind gives the fallback. A longer binary value is
  // the store's "Invalid data type" error.
  std::uint8_t Byte(const char* name, std::uint8_t fallback);
  // Range test on "min" and "max" of the open NDI key: both strings or both
  // DWORDs compare with the pair the parameter map gives the appliers there;
  // any other mix gives nullopt.
  std::optional<bool> OptimizedRange();

 private:
  std::string StoredText(const char* name);
  std::uint32_t StoredDword(const char* name);

  SettingsSession& session_;
  RawRegistry& registry_;
  std::string path_;  // the key ReadDwordAt reads again, as the step spells it
};

// Port entries: "COM1:".."COM4:" of Win.ini's "Ports" in order, each deciding
// the box again, so the last one read is what counts.
bool PortsOptimized(ProfileStrings& profiles);

// The NT keep-alive is stored in milliseconds: seconds rounded to the nearest
// whole number, a half going to the even neighbour.
std::string KeepAliveSeconds(std::uint32_t milliseconds);

}  // namespace iz
