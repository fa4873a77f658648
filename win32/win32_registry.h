#pragma once
// The raw registry interface over the Win32 registry API.
#include "store/raw_registry.h"
#include "win32/win.h"

namespace iz {

// One open registry key, closed when it goes out of scope.
class Win32Key {
 public:
  Win32Key() = default;
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() { Reset(); }
  Win32Key(Win32Key&& other) noexcept : key_(other.Release()) {}
  Win32Key& operator=(Win32Key&& other) noexcept {
    if (this != &other) {
      Reset();
      key_ = other.Release();
    }
    return *this;
  }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  HKEY Get() const { return key_; }
  HKEY* Out() {
    Reset();
    return &key_;
  }
  HKEY Release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }
  void Reset() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

inline HKEY ToHKEY(HKey key) { return reinterpret_cast<HKEY>(key); }
inline HKey FromHKEY(HKEY key) { return reinterpret_cast<HKey>(key); }

class Win32Registry : public RawRegistry {
 public:
  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) override;
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override;
  long CloseKey(HKey key) override;
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const void* data,
                std::uint32_t size) override;
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                  std::uint32_t* size) override;
  long DeleteValue(HKey key, const std::string& name) override;
  long QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) override;
  long DeleteKey(HKey parent, const std::string& subKey) override;
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override;
};

}  // namespace iz
