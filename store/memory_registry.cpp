#include "store/memory_registry.h"

#include <cctype>
#include <cstring>
#include <iterator>

#include "store/settings_session.h"

namespace iz {

namespace {

constexpr long kRegBadPathname = 161;  // ERROR_BAD_PATHNAME
// The WOW64 view flags say which view to open, not what the caller may do.
constexpr std::uint32_t kKeyWow64Flags = 0x0300;

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool EqualNoCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

// Splits a subkey path into names. A single trailing backslash is tolerated
// like the platform does; an empty name anywhere else is a bad path.
bool SplitPath(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  if (path.empty()) return true;
  std::string p = path;
  if (p.back() == '\\') p.pop_back();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = p.find('\\', start);
    const std::string name =
        p.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (name.empty()) return false;
    names->push_back(name);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string RootName(HKey root) { return root == kHKLM ? "HKLM" : root == kHKCU ? "HKCU" : "?"; }

std::string Hex(std::uint32_t v) {
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789abcdef"[v & 15]);
    v >>= 4;
  } while (v != 0);
  return "0x" + digits;
}

}  // namespace

struct MemoryRegistry::Key {
  HKey root = 0;
  std::string path;  // from the root, names as first created; "" for the root
  std::uint32_t rights = kKeyAllAccess;
  std::map<std::string, std::unique_ptr<Key>> children;         // by lower-case name
  std::map<std::string, std::pair<std::string, Value>> values;  // lower-case -> (name, value)

  std::string Display() const {
    return path.empty() ? RootName(root) : RootName(root) + "\\" + path;
  }

  Key* Child(const std::string& name) const {
    auto it = children.find(Lower(name));
    return it == children.end() ? nullptr : it->second.get();
  }
  Key* AddChild(const std::string& name) {
    auto key = std::make_unique<Key>();
    key->root = root;
    key->path = path.empty() ? name : path + "\\" + name;
    Key* raw = key.get();
    children[Lower(name)] = std::move(key);
    return raw;
  }
};

bool MemoryRegistry::Entry::operator==(const Entry& o) const {
  return root == o.root && EqualNoCase(key, o.key) && EqualNoCase(name, o.name) && type == o.type &&
         data == o.data;
}

MemoryRegistry::MemoryRegistry() : hkcu_(std::make_unique<Key>()), hklm_(std::make_unique<Key>()) {
  hkcu_->root = kHKCU;
  hklm_->root = kHKLM;
}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Key* MemoryRegistry::RootKey(HKey root) const {
  if (root == kHKCU) return hkcu_.get();
  if (root == kHKLM) return hklm_.get();
  return nullptr;
}

MemoryRegistry::Key* MemoryRegistry::Find(HKey root, const std::string& path) const {
  Key* key = RootKey(root);
  std::vector<std::string> names;
  if (!key || !SplitPath(path, &names)) return nullptr;
  for (const std::string& name : names) {
    key = key->Child(name);
    if (!key) return nullptr;
  }
  return key;
}

MemoryRegistry::Key* MemoryRegistry::Make(HKey root, const std::string& path) {
  Key* key = RootKey(root);
  std::vector<std::string> names;
  if (!key || !SplitPath(path, &names)) return nullptr;
  for (const std::string& name : names) {
    Key* child = key->Child(name);
    key = child ? child : key->AddChild(name);
  }
  return key;
}

std::optional<MemoryRegistry::Handle> MemoryRegistry::Lookup(HKey key) const {
  // The predefined roots are always open, with the rights the user holds.
  if (Key* root = RootKey(key)) return Handle{root, root->rights};
  auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

bool MemoryRegistry::TakeInjectedFailure(long* status) {
  ++calls_;
  if (failAt_ == 0 || calls_ != failAt_) return false;
  failAt_ = 0;
  *status = failStatus_;
  return true;
}

void MemoryRegistry::Log(const std::string& line, long status) {
  log_.push_back(line + " -> " + std::to_string(status));
}

long MemoryRegistry::Open(HKey parent, const std::string& subKey, std::uint32_t access, bool create,
                          HKey* result) {
  const std::optional<Handle> from = Lookup(parent);
  if (!from) return kRegInvalidHandle;
  if (!result) return kRegInvalidParam;
  std::vector<std::string> names;
  if (!SplitPath(subKey, &names)) return kRegBadPathname;

  std::string target = Lower(from->key->path);
  for (const std::string& name : names) target += (target.empty() ? "" : "\\") + Lower(name);
  for (const FailingKey& f : failingKeys_) {
    if (f.root != from->key->root) continue;
    if (target == f.path || target.rfind(f.path + "\\", 0) == 0) return f.status;
  }

  Key* key = from->key;
  for (const std::string& name : names) {
    Key* child = key->Child(name);
    if (!child) {
      if (!create) return kRegNotFound;
      if (!(key->rights & kKeyCreateSubKey)) return kRegAccessDenied;
      child = key->AddChild(name);
    }
    key = child;
  }
  const std::uint32_t wanted = access & ~kKeyWow64Flags;
  if ((wanted & key->rights) != wanted) return kRegAccessDenied;
  const HKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{key, wanted};
  *result = handle;
  return kRegOk;
}

long MemoryRegistry::OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
                             HKey* result) {
  long status = kRegOk;
  if (!TakeInjectedFailure(&status)) status = Open(parent, subKey, access, false, result);
  const std::optional<Handle> from = Lookup(parent);
  Log("OpenKey " + (from ? from->key->Display() : "?") + " " + subKey + " " + Hex(access), status);
  return status;
}

long MemoryRegistry::CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                               HKey* result) {
  long status = kRegOk;
  if (!TakeInjectedFailure(&status)) status = Open(parent, subKey, access, true, result);
  const std::optional<Handle> from = Lookup(parent);
  Log("CreateKey " + (from ? from->key->Display() : "?") + " " + subKey + " " + Hex(access),
      status);
  return status;
}

long MemoryRegistry::CloseKey(HKey key) {
  long status = kRegOk;
  if (!TakeInjectedFailure(&status) && !RootKey(key)) {
    status = handles_.erase(key) ? kRegOk : kRegInvalidHandle;
  }
  Log("CloseKey " + Hex(static_cast<std::uint32_t>(key)), status);
  return status;
}

long MemoryRegistry::SetValue(HKey key, const std::string& name, std::uint32_t type,
                              const void* data, std::uint32_t size) {
  long status = kRegOk;
  const std::optional<Handle> h = Lookup(key);
  if (!TakeInjectedFailure(&status)) {
    if (!h) {
      status = kRegInvalidHandle;
    } else if (!(h->access & kKeySetValue)) {
      status = kRegAccessDenied;
    } else if (size && !data) {
      status = kRegInvalidParam;
    } else {
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      Value value{type, std::vector<std::uint8_t>(bytes, bytes + size)};
      auto it = h->key->values.find(Lower(name));
      if (it == h->key->values.end())
        h->key->values.emplace(Lower(name), std::make_pair(name, std::move(value)));
      else
        it->second.second = std::move(value);
    }
  }
  Log("SetValue " + (h ? h->key->Display() : "?") + " [" + name + "] " + std::to_string(type) +
          " " + std::to_string(size),
      status);
  return status;
}

long MemoryRegistry::QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                                std::uint32_t* size) {
  long status = kRegOk;
  const std::optional<Handle> h = Lookup(key);
  if (growAt_ != 0 && calls_ + 1 == growAt_ && h) {
    growAt_ = 0;
    auto grown = h->key->values.find(Lower(name));
    if (grown != h->key->values.end()) grown->second.second.data.push_back(0x5A);
  }
  if (!TakeInjectedFailure(&status)) {
    if (!h) {
      status = kRegInvalidHandle;
    } else if (!(h->access & kKeyQueryValue)) {
      status = kRegAccessDenied;
    } else if (data && !size) {
      status = kRegInvalidParam;
    } else {
      auto it = h->key->values.find(Lower(name));
      if (it == h->key->values.end()) {
        status = kRegNotFound;
      } else {
        const Value& v = it->second.second;
        const auto stored = static_cast<std::uint32_t>(v.data.size());
        if (type) *type = v.type;
        if (data && *size < stored) {
          status = kRegMoreData;
        } else if (data && stored) {
          std::memcpy(data, v.data.data(), stored);
        }
        if (size) *size = stored;
      }
    }
  }
  Log("QueryValue " + (h ? h->key->Display() : "?") + " [" + name + "]", status);
  return status;
}

long MemoryRegistry::DeleteValue(HKey key, const std::string& name) {
  long status = kRegOk;
  const std::optional<Handle> h = Lookup(key);
  if (!TakeInjectedFailure(&status)) {
    if (!h) {
      status = kRegInvalidHandle;
    } else if (!(h->access & kKeySetValue)) {
      status = kRegAccessDenied;
    } else {
      status = h->key->values.erase(Lower(name)) ? kRegOk : kRegNotFound;
    }
  }
  Log("DeleteValue " + (h ? h->key->Display() : "?") + " [" + name + "]", status);
  return status;
}

long MemoryRegistry::QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  long status = kRegOk;
  const std::optional<Handle> h = Lookup(key);
  if (!TakeInjectedFailure(&status)) {
    if (!h) {
      status = kRegInvalidHandle;
    } else if (!(h->access & kKeyQueryValue)) {
      status = kRegAccessDenied;
    } else {
      *subKeys = static_cast<std::uint32_t>(h->key->children.size());
      *values = static_cast<std::uint32_t>(h->key->values.size());
    }
  }
  Log("QueryKeyCounts " + (h ? h->key->Display() : "?"), status);
  return status;
}

long MemoryRegistry::DeleteKey(HKey parent, const std::string& subKey) {
  long status = kRegOk;
  const std::optional<Handle> from = Lookup(parent);
  if (!TakeInjectedFailure(&status)) {
    const std::size_t slash = subKey.rfind('\\');
    Key* owner = from ? from->key : nullptr;
    if (owner != nullptr && slash != std::string::npos) {
      owner = Find(owner->root,
                   (owner->path.empty() ? "" : owner->path + "\\") + subKey.substr(0, slash));
    }
    const std::string name = slash == std::string::npos ? subKey : subKey.substr(slash + 1);
    Key* key = owner != nullptr ? owner->Child(name) : nullptr;
    if (!from) {
      status = kRegInvalidHandle;
    } else if (key == nullptr) {
      status = kRegNotFound;
    } else if (!key->children.empty() || !(key->rights & kKeyDelete)) {
      status = kRegAccessDenied;
    } else {
      for (auto it = handles_.begin(); it != handles_.end();) {
        it = it->second.key == key ? handles_.erase(it) : std::next(it);
      }
      owner->children.erase(Lower(name));
    }
  }
  Log("DeleteKey " + subKey, status);
  return status;
}

// Subkeys come in the order of their names without regard to case, as the
// platform lists them.
long MemoryRegistry::EnumKey(HKey key, std::uint32_t index, std::string* name) {
  long status = kRegOk;
  const std::optional<Handle> h = Lookup(key);
  if (!TakeInjectedFailure(&status)) {
    if (!h) {
      status = kRegInvalidHandle;
    } else if (!(h->access & kKeyEnumerateSubKeys)) {
      status = kRegAccessDenied;
    } else if (index >= h->key->children.size()) {
      status = kRegNoMoreItems;
    } else {
      auto it = h->key->children.begin();
      std::advance(it, index);
      const std::string& path = it->second->path;
      *name = path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1);
    }
  }
  Log("EnumKey " + (h ? h->key->Display() : "?") + " " + std::to_string(index), status);
  return status;
}

void MemoryRegistry::CreateKeyPath(HKey root, const std::string& path) { Make(root, path); }

void MemoryRegistry::SetRaw(HKey root, const std::string& path, const std::string& name,
                            std::uint32_t type, std::vector<std::uint8_t> data) {
  Key* key = Make(root, path);
  if (!key) return;
  Value value{type, std::move(data)};
  auto it = key->values.find(Lower(name));
  if (it == key->values.end())
    key->values.emplace(Lower(name), std::make_pair(name, std::move(value)));
  else
    it->second.second = std::move(value);
}

void MemoryRegistry::SetString(HKey root, const std::string& path, const std::string& name,
                               const std::string& text) {
  SetRaw(root, path, name, kRegSz, StringBytes(text));
}

void MemoryRegistry::SetDword(HKey root, const std::string& path, const std::string& name,
                              std::uint32_t value) {
  SetRaw(root, path, name, kRegDword, DwordBytes(value));
}

void MemoryRegistry::SetKeyRights(HKey root, const std::string& path, std::uint32_t rights) {
  if (Key* key = Make(root, path)) key->rights = rights;
}

void MemoryRegistry::FailKey(HKey root, const std::string& path, long status) {
  std::vector<std::string> names;
  SplitPath(path, &names);
  std::string lower;
  for (const std::string& name : names) lower += (lower.empty() ? "" : "\\") + Lower(name);
  failingKeys_.push_back({root, lower, status});
}

void MemoryRegistry::GrowBeforeCall(int n) { growAt_ = calls_ + n; }

void MemoryRegistry::FailCall(int n, long status) {
  failAt_ = calls_ + n;
  failStatus_ = status;
}

bool MemoryRegistry::KeyExists(HKey root, const std::string& path) const {
  return Find(root, path) != nullptr;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(HKey root, const std::string& path,
                                                         const std::string& name) const {
  const Key* key = Find(root, path);
  if (!key) return std::nullopt;
  auto it = key->values.find(Lower(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.second;
}

std::vector<MemoryRegistry::Entry> MemoryRegistry::Dump() const {
  std::vector<Entry> out;
  struct Walk {
    static void Run(const Key& key, std::vector<Entry>* out) {
      for (const auto& [lower, named] : key.values)
        out->push_back({key.root, key.path, named.first, named.second.type, named.second.data});
      for (const auto& [lower, child] : key.children) Run(*child, out);
    }
  };
  Walk::Run(*hkcu_, &out);
  Walk::Run(*hklm_, &out);
  return out;
}

std::vector<std::string> MemoryRegistry::Keys() const {
  std::vector<std::string> out;
  struct Walk {
    static void Run(const Key& key, std::vector<std::string>* out) {
      if (!key.path.empty()) out->push_back(key.Display());
      for (const auto& [lower, child] : key.children) Run(*child, out);
    }
  };
  Walk::Run(*hkcu_, &out);
  Walk::Run(*hklm_, &out);
  return out;
}

std::vector<std::uint8_t> StringBytes(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace iz
