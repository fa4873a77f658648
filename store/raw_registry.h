#pragma once
// The narrow registry interface the settings store is written against. It
// mirrors the handful of Win32 calls the store needs, with the same status
// codes, so that one store runs on the real registry and on the in-memory
// substitute alike.
#include <cstdint>
#include <string>

namespace iz {

using HKey = std::uintptr_t;

inline constexpr HKey kHKCU = 0x80000001u;  // HKEY_CURRENT_USER
inline constexpr HKey kHKLM = 0x80000002u;  // HKEY_LOCAL_MACHINE

// Status codes, as the platform's.
inline constexpr long kRegOk = 0;              // ERROR_SUCCESS
inline constexpr long kRegNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;    // ERROR_ACCESS_DENIED
inline constexpr long kRegInvalidHandle = 6;   // ERROR_INVALID_HANDLE
inline constexpr long kRegInvalidParam = 87;   // ERROR_INVALID_PARAMETER
inline constexpr long kRegMoreData = 234;      // ERROR_MORE_DATA
inline constexpr long kRegNoMoreItems = 259;   // ERROR_NO_MORE_ITEMS

// Value types, as the platform's.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Access rights, as the platform's.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyDelete = 0x10000;  // DELETE
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyQueryEnum = 0x20009;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

class RawRegistry {
 public:
  virtual ~RawRegistry() = default;
  // RegOpenKeyExA: opens an existing key below parent (a root or an open key).
  virtual long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
                       HKey* result) = 0;
  // RegCreateKeyExA, non-volatile, no class: opens the key, creating it and
  // every missing parent.
  virtual long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                         HKey* result) = 0;
  virtual long CloseKey(HKey key) = 0;
  // RegSetValueExA: the empty name is the key's default value.
  virtual long SetValue(HKey key, const std::string& name, std::uint32_t type,
                        const void* data, std::uint32_t size) = 0;
  // RegQueryValueExA: type and size may be null; with data null only the type
  // and size are reported. A buffer smaller than the data gives kRegMoreData
  // and the needed size in *size.
  virtual long QueryValue(HKey key, const std::string& name, std::uint32_t* type,
                          void* data, std::uint32_t* size) = 0;
  virtual long DeleteValue(HKey key, const std::string& name) = 0;
  // RegQueryInfoKeyA: how many subkeys and values the open key holds.
  virtual long QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) = 0;
  // RegDeleteKeyA: removes the key below parent. The NT family refuses a key
  // that has subkeys while the 9x family removes them with it, so a caller
  // that must keep them removes only a key it found empty.
  virtual long DeleteKey(HKey parent, const std::string& subKey) = 0;
  // RegEnumKeyExA: the name of the index-th subkey of an open key (opened
  // with kKeyEnumerateSubKeys); kRegNoMoreItems past the last one.
  virtual long EnumKey(HKey key, std::uint32_t index, std::string* name) = 0;
};

}  // namespace iz
