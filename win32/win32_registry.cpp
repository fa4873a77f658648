#include "win32/win32_registry.h"

namespace iz {

long Win32Registry::OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
                            HKey* result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(ToHKEY(parent), subKey.c_str(), 0, access, &key);
  if (status == ERROR_SUCCESS) *result = FromHKEY(key);
  return status;
}

long Win32Registry::CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                              HKey* result) {
  HKEY key = nullptr;
  const LONG status = RegCreateKeyExA(ToHKEY(parent), subKey.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) *result = FromHKEY(key);
  return status;
}

long Win32Registry::CloseKey(HKey key) { return RegCloseKey(ToHKEY(key)); }

long Win32Registry::SetValue(HKey key, const std::string& name, std::uint32_t type,
                             const void* data, std::uint32_t size) {
  return RegSetValueExA(ToHKEY(key), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

long Win32Registry::QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                               std::uint32_t* size) {
  DWORD storedType = 0;
  DWORD storedSize = size ? *size : 0;
  const LONG status =
      RegQueryValueExA(ToHKEY(key), name.c_str(), nullptr, type ? &storedType : nullptr,
                       static_cast<BYTE*>(data), size ? &storedSize : nullptr);
  if (type && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)) *type = storedType;
  if (size && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)) *size = storedSize;
  return status;
}

long Win32Registry::DeleteValue(HKey key, const std::string& name) {
  return RegDeleteValueA(ToHKEY(key), name.c_str());
}

long Win32Registry::QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  DWORD keys = 0, count = 0;
  const LONG status = RegQueryInfoKeyA(ToHKEY(key), nullptr, nullptr, nullptr, &keys, nullptr,
                                       nullptr, &count, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    *subKeys = keys;
    *values = count;
  }
  return status;
}

long Win32Registry::DeleteKey(HKey parent, const std::string& subKey) {
  return RegDeleteKeyA(ToHKEY(parent), subKey.c_str());
}

long Win32Registry::EnumKey(HKey key, std::uint32_t index, std::string* name) {
  char buffer[256];  // a key name has at most 255 characters
  DWORD length = sizeof buffer;
  const LONG status =
      RegEnumKeyExA(ToHKEY(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) name->assign(buffer, length);
  return status;
}

}  // namespace iz
