#pragma once
// The settings store: every registry read and write of the program goes
// through a SettingsSession (one per operation) or the one-call helpers below
// it (DWORD, one byte, removals), so no step packs bytes or opens keys itself.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "store/error.h"
#include "store/raw_registry.h"

namespace iz {

enum class ValueKind { Unknown, String, ExpandString, Dword, Binary };

class SettingsSession {
 public:
  explicit SettingsSession(RawRegistry& registry);
  ~SettingsSession();  // closes the open key
  SettingsSession(const SettingsSession&) = delete;
  SettingsSession& operator=(const SettingsSession&) = delete;

  // Closes the open key only when the root changes.
  void SetRoot(HKey root);
  HKey Root() const { return root_; }

  // Creates the key and its parents by the path rule; the open key does not
  // change. Raises "Failed to create key %s" with the caller's path.
  bool EnsureKey(const std::string& path);
  // Opens (optionally creating) the key with the session's access rights; on
  // success it replaces the open key. Failure returns false and keeps the old;
  // status (optional) receives the registry's status.
  bool OpenPath(const std::string& path, bool create, long* status = nullptr);
  // For writers: OpenPath with creation that stops the operation with
  // "Failed to create key %s" when the key cannot be opened, so that the
  // section writes that follow never land below the root instead.
  void OpenPathForWriting(const std::string& path);
  // Tries KEY_READ, then 0x20009, then KEY_QUERY_VALUE; the rights that work
  // become the session's rights for later opens. A key that does not exist
  // is not asked for again with fewer rights.
  // status (optional) receives the last open's status on failure.
  bool OpenPathReadOnly(const std::string& path, long* status = nullptr);
  void ClosePath();

  bool RemoveValue(const std::string& name);
  // For restores, where a value left behind is a setting not restored: a
  // value that is gone afterwards (removed, or absent already) is fine; any
  // other failure, no open key included, raises "Failed to remove '%s'".
  void EraseValue(const std::string& name);
  ValueKind ValueKindOf(const std::string& name);
  void PutBinary(const std::string& name, const void* bytes, std::uint32_t count);
  std::uint32_t GetBinary(const std::string& name, void* buffer, std::uint32_t capacity);
  // Raises "Failed to create key %s" (the section) or "Failed to set data
  // for '%s'" (the ident), also when the section key exists but will not open.
  void PutSectionText(const std::string& section, const std::string& ident,
                      const std::string& text);
  std::string GetSectionText(const std::string& section, const std::string& ident,
                             const std::string& defaultText);
  // A section key or value that does not exist is fine; any other failure
  // raises "Failed to remove '%s'" with the ident.
  void RemoveSectionValue(const std::string& section, const std::string& ident);

  // Raw value access for the registry backup: the stored type and bytes of a
  // value of the open key (false when absent), and writing them back.
  bool GetValue(const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data);
  // The same read that tells absence from failure: kRegOk, kRegNotFound when
  // the registry says the value does not exist, or the registry's failure.
  // One query reads a value of up to 64 bytes; a larger one, or one that
  // grows between two queries, is read again at the size the registry
  // reports, a few times at most (then kRegMoreData).
  long ReadValue(const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data);
  void PutValue(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);

 private:
  struct Resolved {
    HKey parent;
    std::string subKey;
  };
  Resolved Resolve(const std::string& path) const;

  RawRegistry& registry_;
  HKey root_ = kHKCU;
  HKey key_ = 0;
  std::uint32_t access_ = kKeyAllAccess;
};

// The four little-endian bytes a REG_DWORD stores.
inline std::vector<std::uint8_t> DwordBytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// The REG_DWORD those four bytes store.
inline std::uint32_t DwordOf(const std::vector<std::uint8_t>& bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// One-call DWORD write; never creates the key. Raises "Failed to set data for
// '%s'" when the key cannot be opened with full access or the write fails.
void WriteDwordAt(RawRegistry& registry, HKey root, const std::string& path,
                  const std::string& name, std::uint32_t value);
// One-call one-byte binary write (a box as 0x00 or 0x01): the key is opened
// with creation on the session, written and closed again.
void PutByte(SettingsSession& session, const std::string& path, const std::string& name,
             std::uint8_t byte);
// Removes the named values of a key opened with creation on the session,
// silently where a value is absent, and closes the key again. Any other
// failure to remove raises "Failed to remove '%s'" (see EraseValue).
void RemoveValues(SettingsSession& session, const std::string& path,
                  std::initializer_list<const char*> names);

// One-call DWORD read, 0 when absent; opens the key with read rights.
std::int32_t ReadDwordAt(RawRegistry& registry, HKey root, const std::string& path,
                         const std::string& name);

}  // namespace iz
