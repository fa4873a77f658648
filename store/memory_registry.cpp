#include "store/memory_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

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
  std::string path;   // from the root, names as first created; "" for the root
  std::string lower;  // its own name in lower case
  std::uint32_t rights = kKeyAllAccess;
  struct Slot {
    std::string lower;  // the value's name in lower case
    std::string name;   // as first set
    Value value;
  };
  // Subkeys ordered by lower-case name, as the platform lists them; values
  // in the order they were first set (Dump orders them). Vectors, not maps:
  // a preview's copy holds a few dozen keys, and a tree's code would cost
  // more than the scans.
  std::vector<std::unique_ptr<Key>> children;
  std::vector<Slot> values;

  std::string Display() const {
    std::string text = RootName(root);
    if (!path.empty()) text += "\\" + path;
    return text;
  }

  // Where a subkey's name stands or would stand in order; *found when it is there.
  std::size_t Place(const std::string& lowerName, bool* found) const {
    std::size_t i = 0;
    while (i < children.size() && children[i]->lower < lowerName) ++i;
    *found = i < children.size() && children[i]->lower == lowerName;
    return i;
  }

  Key* Child(const std::string& name) const {
    bool found;
    const std::size_t i = Place(Lower(name), &found);
    return found ? children[i].get() : nullptr;
  }
  Key* AddChild(const std::string& name) {
    auto key = std::make_unique<Key>();
    key->root = root;
    key->path = path.empty() ? name : path + "\\" + name;
    key->lower = Lower(name);
    Key* raw = key.get();
    bool found;
    const std::size_t i = Place(key->lower, &found);
    children.insert(children.begin() + i, std::move(key));
    return raw;
  }
  Slot* FindValue(const std::string& name) {
    const std::string lowerName = Lower(name);
    for (Slot& slot : values) {
      if (slot.lower == lowerName) return &slot;
    }
    return nullptr;
  }
  void Put(const std::string& name, Value value) {
    if (Slot* slot = FindValue(name))
      slot->value = std::move(value);
    else
      values.push_back(Slot{Lower(name), name, std::move(value)});
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

MemoryRegistry::Handle MemoryRegistry::Lookup(HKey key) const {
  // The predefined roots are always open, with the rights the user holds.
  if (Key* root = RootKey(key)) return Handle{key, root, root->rights};
  for (const Handle& h : handles_) {
    if (h.id == key) return h;
  }
  return Handle{key, nullptr, 0};
}

MemoryRegistry::Key* MemoryRegistry::Checked(const Handle& h, std::uint32_t right, long* status) {
  if (TakeInjectedFailure(status)) return nullptr;
  if (!h.key) {
    *status = kRegInvalidHandle;
  } else if (!(h.access & right)) {
    *status = kRegAccessDenied;
  } else {
    return h.key;
  }
  return nullptr;
}

bool MemoryRegistry::TakeInjectedFailure(long* status) {
  ++calls_;
  if (failAt_ == 0 || calls_ != failAt_) return false;
  failAt_ = 0;
  *status = failStatus_;
  return true;
}

void MemoryRegistry::Log(const char* op, const Handle* h, std::initializer_list<const char*> rest,
                         long status) {
  std::string line = op;
  if (h) {
    line += ' ';
    line += h->key ? h->key->Display() : "?";
  }
  for (const char* piece : rest) line += piece;
  line += " -> ";
  line += std::to_string(status);
  log_.push_back(std::move(line));
}

long MemoryRegistry::Open(HKey parent, const std::string& subKey, std::uint32_t access, bool create,
                          HKey* result) {
  const Handle from = Lookup(parent);
  if (!from.key) return kRegInvalidHandle;
  if (!result) return kRegInvalidParam;
  std::vector<std::string> names;
  if (!SplitPath(subKey, &names)) return kRegBadPathname;

  std::string target = Lower(from.key->path);
  for (const std::string& name : names) {
    if (!target.empty()) target += '\\';
    target += Lower(name);
  }
  for (const FailingKey& f : failingKeys_) {
    if (f.root != from.key->root) continue;
    if (target == f.path || target.rfind(f.path + "\\", 0) == 0) return f.status;
  }

  Key* key = from.key;
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
  handles_.push_back(Handle{handle, key, wanted});
  *result = handle;
  return kRegOk;
}

long MemoryRegistry::OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
                             HKey* result) {
  long status = kRegOk;
  if (!TakeInjectedFailure(&status)) status = Open(parent, subKey, access, false, result);
  const Handle from = Lookup(parent);
  Log("OpenKey", &from, {" ", subKey.c_str(), " ", Hex(access).c_str()}, status);
  return status;
}

long MemoryRegistry::CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                               HKey* result) {
  long status = kRegOk;
  if (!TakeInjectedFailure(&status)) status = Open(parent, subKey, access, true, result);
  const Handle from = Lookup(parent);
  Log("CreateKey", &from, {" ", subKey.c_str(), " ", Hex(access).c_str()}, status);
  return status;
}

long MemoryRegistry::CloseKey(HKey key) {
  long status = kRegOk;
  if (!TakeInjectedFailure(&status) && !RootKey(key)) {
    status = kRegInvalidHandle;
    for (std::size_t i = 0; i < handles_.size(); ++i) {
      if (handles_[i].id != key) continue;
      handles_.erase(handles_.begin() + static_cast<std::ptrdiff_t>(i));
      status = kRegOk;
      break;
    }
  }
  Log("CloseKey", nullptr, {" ", Hex(static_cast<std::uint32_t>(key)).c_str()}, status);
  return status;
}

long MemoryRegistry::SetValue(HKey key, const std::string& name, std::uint32_t type,
                              const void* data, std::uint32_t size) {
  long status = kRegOk;
  const Handle h = Lookup(key);
  if (Key* k = Checked(h, kKeySetValue, &status)) {
    if (size && !data) {
      status = kRegInvalidParam;
    } else {
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      k->Put(name, Value{type, std::vector<std::uint8_t>(bytes, bytes + size)});
    }
  }
  Log("SetValue", &h,
      {" [", name.c_str(), "] ", std::to_string(type).c_str(), " ", std::to_string(size).c_str()},
      status);
  return status;
}

long MemoryRegistry::QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                                std::uint32_t* size) {
  long status = kRegOk;
  const Handle h = Lookup(key);
  if (growAt_ != 0 && calls_ + 1 == growAt_ && h.key) {
    growAt_ = 0;
    if (Key::Slot* grown = h.key->FindValue(name)) grown->value.data.push_back(0x5A);
  }
  if (Key* k = Checked(h, kKeyQueryValue, &status)) {
    const Key::Slot* slot = k->FindValue(name);
    if (data && !size) {
      status = kRegInvalidParam;
    } else if (!slot) {
      status = kRegNotFound;
    } else {
      const Value& v = slot->value;
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
  Log("QueryValue", &h, {" [", name.c_str(), "]"}, status);
  return status;
}

long MemoryRegistry::DeleteValue(HKey key, const std::string& name) {
  long status = kRegOk;
  const Handle h = Lookup(key);
  if (Key* k = Checked(h, kKeySetValue, &status)) {
    status = kRegNotFound;
    if (Key::Slot* slot = k->FindValue(name)) {
      // Values keep no order: the last one fills the gap.
      if (slot != &k->values.back()) *slot = std::move(k->values.back());
      k->values.pop_back();
      status = kRegOk;
    }
  }
  Log("DeleteValue", &h, {" [", name.c_str(), "]"}, status);
  return status;
}

long MemoryRegistry::QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  long status = kRegOk;
  const Handle h = Lookup(key);
  if (Key* k = Checked(h, kKeyQueryValue, &status)) {
    *subKeys = static_cast<std::uint32_t>(k->children.size());
    *values = static_cast<std::uint32_t>(k->values.size());
  }
  Log("QueryKeyCounts", &h, {}, status);
  return status;
}

long MemoryRegistry::DeleteKey(HKey parent, const std::string& subKey) {
  long status = kRegOk;
  const Handle from = Lookup(parent);
  if (!TakeInjectedFailure(&status)) {
    const std::size_t slash = subKey.rfind('\\');
    Key* owner = from.key;
    if (owner != nullptr && slash != std::string::npos) {
      owner = Find(owner->root,
                   (owner->path.empty() ? "" : owner->path + "\\") + subKey.substr(0, slash));
    }
    const std::string name = slash == std::string::npos ? subKey : subKey.substr(slash + 1);
    Key* key = owner != nullptr ? owner->Child(name) : nullptr;
    if (!from.key) {
      status = kRegInvalidHandle;
    } else if (key == nullptr) {
      status = kRegNotFound;
    } else if (!key->children.empty() || !(key->rights & kKeyDelete)) {
      status = kRegAccessDenied;
    } else {
      std::size_t kept = 0;
      for (const Handle& h : handles_) {
        if (h.key != key) handles_[kept++] = h;
      }
      handles_.erase(handles_.begin() + static_cast<std::ptrdiff_t>(kept), handles_.end());
      for (std::size_t i = 0; i < owner->children.size(); ++i) {
        if (owner->children[i].get() == key) {
          owner->children.erase(owner->children.begin() + static_cast<std::ptrdiff_t>(i));
          break;
        }
      }
    }
  }
  Log("DeleteKey", nullptr, {" ", subKey.c_str()}, status);
  return status;
}

// Subkeys come in the order of their names without regard to case, as the
// platform lists them.
long MemoryRegistry::EnumKey(HKey key, std::uint32_t index, std::string* name) {
  long status = kRegOk;
  const Handle h = Lookup(key);
  if (Key* k = Checked(h, kKeyEnumerateSubKeys, &status)) {
    if (index >= k->children.size()) {
      status = kRegNoMoreItems;
    } else {
      const std::string& path = k->children[index]->path;
      *name = path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1);
    }
  }
  Log("EnumKey", &h, {" ", std::to_string(index).c_str()}, status);
  return status;
}

void MemoryRegistry::CreateKeyPath(HKey root, const std::string& path) { Make(root, path); }

void MemoryRegistry::SetRaw(HKey root, const std::string& path, const std::string& name,
                            std::uint32_t type, std::vector<std::uint8_t> data) {
  if (Key* key = Make(root, path)) key->Put(name, Value{type, std::move(data)});
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
  Key* key = Find(root, path);
  const Key::Slot* slot = key ? key->FindValue(name) : nullptr;
  if (!slot) return std::nullopt;
  return slot->value;
}

std::vector<MemoryRegistry::Entry> MemoryRegistry::Dump() const {
  std::vector<Entry> out;
  struct Walk {
    static void Run(const Key& key, std::vector<Entry>* out) {
      std::vector<const Key::Slot*> byName;
      for (const Key::Slot& v : key.values) byName.push_back(&v);
      std::sort(byName.begin(), byName.end(),
                [](const Key::Slot* a, const Key::Slot* b) { return a->lower < b->lower; });
      for (const Key::Slot* v : byName)
        out->push_back({key.root, key.path, v->name, v->value.type, v->value.data});
      for (const auto& child : key.children) Run(*child, out);
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
      for (const auto& child : key.children) Run(*child, out);
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
