#pragma once
// An in-memory registry with the rules the store relies on: key and value
// names compared without regard to case, values kept as the exact type and
// bytes given, handle-based access checked against the rights each key
// grants, kRegMoreData for a too-small buffer. Tests seed it, run the logic
// on it and read the state back (Dump); they can also make keys refuse to
// open and make any one raw call fail.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <iosfwd>
#include <string>
#include <vector>

#include "store/raw_registry.h"

namespace iz {

class MemoryRegistry : public RawRegistry {
 public:
  struct Value {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
    bool operator==(const Value& o) const { return type == o.type && data == o.data; }
  };
  // One stored value; key is the full path from the root, each name spelled
  // as it was first created.
  struct Entry {
    HKey root = 0;
    std::string key;
    std::string name;
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
    bool operator==(const Entry& o) const;
    bool operator!=(const Entry& o) const { return !(*this == o); }
  };

  MemoryRegistry();
  ~MemoryRegistry() override;

  // --- RawRegistry
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
  // The NT family's rule: a key with subkeys is refused. Handles still open
  // on the key become invalid.
  long DeleteKey(HKey parent, const std::string& subKey) override;
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override;

  // --- Seeding (paths from the root, without a leading backslash). Each
  // creates the key and its parents as needed.
  void CreateKeyPath(HKey root, const std::string& path);
  void SetRaw(HKey root, const std::string& path, const std::string& name, std::uint32_t type,
              std::vector<std::uint8_t> data);
  // A string value with its NUL, as the store writes it.
  void SetString(HKey root, const std::string& path, const std::string& name,
                 const std::string& text);
  void SetDword(HKey root, const std::string& path, const std::string& name, std::uint32_t value);

  // --- Failures
  // The rights the user holds on the key (creating it if needed): an open or
  // create asking for more is denied, and without kKeyCreateSubKey no subkey
  // can be created below it. kKeyRead makes a key readable but not writable.
  void SetKeyRights(HKey root, const std::string& path, std::uint32_t rights);
  // Every open or create of the key, or of a key below it, fails with status
  // (whether or not the key exists).
  void FailKey(HKey root, const std::string& path, long status = kRegAccessDenied);
  // The n-th raw call from now on (1 is the next one) fails with status and
  // has no effect. Every RawRegistry call counts.
  void FailCall(int n, long status = kRegAccessDenied);
  // Another program rewrites a value: just before the n-th raw call from now,
  // if that call queries an existing value, the value gains a byte.
  void GrowBeforeCall(int n);
  int CallCount() const { return calls_; }
  // One line per raw call: "OpenKey HKLM\System\... 0xf003f -> 0".
  const std::vector<std::string>& CallLog() const { return log_; }

  // --- Reading back
  bool KeyExists(HKey root, const std::string& path) const;
  std::optional<Value> Get(HKey root, const std::string& path, const std::string& name) const;
  // Every value, depth first, keys and values ordered by name without regard
  // to case: a stable order for whole-registry comparisons.
  std::vector<Entry> Dump() const;
  // Every key's full path ("HKLM\System\..."), in the same order.
  std::vector<std::string> Keys() const;
  int OpenHandles() const { return static_cast<int>(handles_.size()); }

 private:
  struct Key;
  // An open key; key is null for a handle that is not open.
  struct Handle {
    HKey id;
    Key* key;
    std::uint32_t access;
  };

  Key* RootKey(HKey root) const;
  Key* Find(HKey root, const std::string& path) const;
  Key* Make(HKey root, const std::string& path);
  Handle Lookup(HKey key) const;
  // The key a value call works on, or null with status set: an injected
  // failure, a handle not open, or one opened without right.
  Key* Checked(const Handle& h, std::uint32_t right, long* status);
  long Open(HKey parent, const std::string& subKey, std::uint32_t access, bool create,
            HKey* result);
  bool TakeInjectedFailure(long* status);
  // Logs "op key rest -> status"; the key is "?" for a handle not open, and
  // left out without h.
  void Log(const char* op, const Handle* h, std::initializer_list<const char*> rest, long status);

  std::unique_ptr<Key> hkcu_, hklm_;
  std::vector<Handle> handles_;  // in the order they were opened
  HKey nextHandle_ = 0x1000;
  struct FailingKey {
    HKey root;
    std::string path;  // lower case, from the root
    long status;
  };
  std::vector<FailingKey> failingKeys_;
  int calls_ = 0;
  int failAt_ = 0;
  int growAt_ = 0;
  long failStatus_ = 0;
  std::vector<std::string> log_;
};

std::ostream& operator<<(std::ostream& out, const MemoryRegistry::Entry& e);
std::ostream& operator<<(std::ostream& out, const MemoryRegistry::Value& v);

// Test helper: the bytes of a string value with its NUL.
std::vector<std::uint8_t> StringBytes(const std::string& text);

}  // namespace iz
