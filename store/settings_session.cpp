#include "store/settings_session.h"

#include <algorithm>

namespace iz {

namespace {

// A key handle opened for one step of an operation and closed when the step
// ends, also when it ends by an error.
class ScopedKey {
 public:
  explicit ScopedKey(RawRegistry& registry) : registry_(registry) {}
  ~ScopedKey() {
    if (key_) registry_.CloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  HKey* Out() { return &key_; }
  HKey Get() const { return key_; }

 private:
  RawRegistry& registry_;
  HKey key_ = 0;
};

ValueKind KindOfType(std::uint32_t type) {
  switch (type) {
    case kRegSz:
      return ValueKind::String;
    case kRegExpandSz:
      return ValueKind::ExpandString;
    case kRegDword:
      return ValueKind::Dword;
    case kRegBinary:
      return ValueKind::Binary;
    default:
      return ValueKind::Unknown;
  }
}

}  // namespace

SettingsSession::SettingsSession(RawRegistry& registry) : registry_(registry) {}

SettingsSession::~SettingsSession() { ClosePath(); }

void SettingsSession::SetRoot(HKey root) {
  if (root == root_) return;
  ClosePath();
  root_ = root;
}

// A leading backslash resolves from the root; any other path below the open
// key if there is one. Only that one backslash is dropped.
SettingsSession::Resolved SettingsSession::Resolve(const std::string& path) const {
  if (!path.empty() && path[0] == '\\') return {root_, path.substr(1)};
  if (key_) return {key_, path};
  return {root_, path};
}

bool SettingsSession::EnsureKey(const std::string& path) {
  const Resolved r = Resolve(path);
  ScopedKey created(registry_);
  if (registry_.CreateKey(r.parent, r.subKey, kKeyAllAccess, created.Out()) != kRegOk)
    throw Error(FormatMessage(kFailedToCreateKey, path));
  return true;
}

bool SettingsSession::OpenPath(const std::string& path, bool create, long* statusOut) {
  const Resolved r = Resolve(path);
  HKey opened = 0;
  const long status = create && !r.subKey.empty()
                          ? registry_.CreateKey(r.parent, r.subKey, access_, &opened)
                          : registry_.OpenKey(r.parent, r.subKey, access_, &opened);
  if (statusOut) *statusOut = status;
  if (status != kRegOk) return false;
  ClosePath();
  key_ = opened;
  return true;
}

void SettingsSession::OpenPathForWriting(const std::string& path) {
  if (!OpenPath(path, true)) throw Error(FormatMessage(kFailedToCreateKey, path));
}

bool SettingsSession::OpenPathReadOnly(const std::string& path, long* status) {
  const Resolved r = Resolve(path);
  for (std::uint32_t rights : {kKeyRead, kKeyQueryEnum, kKeyQueryValue}) {
    HKey opened = 0;
    const long result = registry_.OpenKey(r.parent, r.subKey, rights, &opened);
    if (status) *status = result;
    if (result == kRegNotFound) return false;
    if (result != kRegOk) continue;
    ClosePath();
    key_ = opened;
    access_ = rights;
    return true;
  }
  return false;
}

void SettingsSession::ClosePath() {
  if (key_) registry_.CloseKey(key_);
  key_ = 0;
}

bool SettingsSession::RemoveValue(const std::string& name) {
  return key_ && registry_.DeleteValue(key_, name) == kRegOk;
}

void SettingsSession::EraseValue(const std::string& name) {
  const long status = key_ ? registry_.DeleteValue(key_, name) : kRegInvalidHandle;
  if (status != kRegOk && status != kRegNotFound) throw Error(FormatMessage(kFailedToRemove, name));
}

ValueKind SettingsSession::ValueKindOf(const std::string& name) {
  if (!key_) return ValueKind::Unknown;
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  if (registry_.QueryValue(key_, name, &type, nullptr, &size) != kRegOk) return ValueKind::Unknown;
  return KindOfType(type);
}

void SettingsSession::PutBinary(const std::string& name, const void* bytes, std::uint32_t count) {
  if (!key_ || registry_.SetValue(key_, name, kRegBinary, bytes, count) != kRegOk)
    throw Error(FormatMessage(kFailedToSetData, name));
}

std::uint32_t SettingsSession::GetBinary(const std::string& name, void* buffer,
                                         std::uint32_t capacity) {
  if (!key_) return 0;
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  if (registry_.QueryValue(key_, name, &type, nullptr, &size) != kRegOk) return 0;
  const ValueKind kind = KindOfType(type);
  if ((kind != ValueKind::Binary && kind != ValueKind::Unknown) || size > capacity)
    throw Error(FormatMessage(kInvalidDataType, name));
  std::uint32_t read = size;
  if (registry_.QueryValue(key_, name, &type, buffer, &read) != kRegOk)
    throw Error(FormatMessage(kFailedToGetData, name));
  return size;
}

void SettingsSession::PutSectionText(const std::string& section, const std::string& ident,
                                     const std::string& text) {
  EnsureKey(section);  // raises "Failed to create key %s" with the section
  const Resolved r = Resolve(section);
  ScopedKey sectionKey(registry_);
  // The key exists now; one that will not open leaves the text unwritten,
  // which must not pass for a write.
  if (registry_.OpenKey(r.parent, r.subKey, access_, sectionKey.Out()) != kRegOk)
    throw Error(FormatMessage(kFailedToSetData, ident));
  // A string value carries its terminating NUL.
  if (registry_.SetValue(sectionKey.Get(), ident, kRegSz, text.c_str(),
                         static_cast<std::uint32_t>(text.size() + 1)) != kRegOk)
    throw Error(FormatMessage(kFailedToSetData, ident));
}

std::string SettingsSession::GetSectionText(const std::string& section, const std::string& ident,
                                            const std::string& defaultText) {
  const Resolved r = Resolve(section);
  ScopedKey sectionKey(registry_);
  if (registry_.OpenKey(r.parent, r.subKey, access_, sectionKey.Out()) != kRegOk)
    return defaultText;
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  if (registry_.QueryValue(sectionKey.Get(), ident, &type, nullptr, &size) != kRegOk)
    return defaultText;
  if (size == 0) return std::string();
  std::vector<char> data(size);
  if (registry_.QueryValue(sectionKey.Get(), ident, &type, data.data(), &size) != kRegOk)
    throw Error(FormatMessage(kFailedToGetData, ident));
  if (type != kRegSz && type != kRegExpandSz) throw Error(FormatMessage(kInvalidDataType, ident));
  // Up to the first NUL; a string stored without one ends at its last byte.
  return std::string(data.begin(), std::find(data.begin(), data.end(), '\0'));
}

void SettingsSession::RemoveSectionValue(const std::string& section, const std::string& ident) {
  const Resolved r = Resolve(section);
  ScopedKey sectionKey(registry_);
  const long opened = registry_.OpenKey(r.parent, r.subKey, access_, sectionKey.Out());
  const long status = opened == kRegOk ? registry_.DeleteValue(sectionKey.Get(), ident) : opened;
  if (status != kRegOk && status != kRegNotFound)
    throw Error(FormatMessage(kFailedToRemove, ident));
}

bool SettingsSession::GetValue(const std::string& name, std::uint32_t* type,
                               std::vector<std::uint8_t>* data) {
  if (!key_) return false;
  std::uint32_t size = 0;
  if (registry_.QueryValue(key_, name, type, nullptr, &size) != kRegOk) return false;
  data->assign(size, 0);
  if (size == 0) return true;
  if (registry_.QueryValue(key_, name, type, data->data(), &size) != kRegOk)
    throw Error(FormatMessage(kFailedToGetData, name));
  data->resize(size);
  return true;
}

long SettingsSession::ReadValue(const std::string& name, std::uint32_t* type,
                                std::vector<std::uint8_t>* data) {
  if (!key_) return kRegNotFound;
  // One query into a buffer that holds most values reads them whole; a
  // larger value is reported with kRegMoreData and its size, and read again
  // at that size. Another program may rewrite the value between two queries,
  // so the size may change more than once.
  constexpr int kAttempts = 4;
  constexpr std::uint32_t kFirstBuffer = 64;
  std::uint32_t size = kFirstBuffer;
  long status = kRegMoreData;
  for (int attempt = 0; attempt < kAttempts && status == kRegMoreData; ++attempt) {
    data->assign(size, 0);
    std::uint32_t read = size;
    status = registry_.QueryValue(key_, name, type, data->data(), &read);
    if (status == kRegOk) {
      data->resize(std::min(read, size));
      return kRegOk;
    }
    // A size no larger than the buffer's with kRegMoreData would loop.
    size = read > size ? read : 2 * size;
  }
  data->clear();
  return status;
}

void SettingsSession::PutValue(const std::string& name, std::uint32_t type,
                               const std::vector<std::uint8_t>& data) {
  if (!key_ || registry_.SetValue(key_, name, type, data.data(),
                                  static_cast<std::uint32_t>(data.size())) != kRegOk)
    throw Error(FormatMessage(kFailedToSetData, name));
}

void WriteDwordAt(RawRegistry& registry, HKey root, const std::string& path,
                  const std::string& name, std::uint32_t value) {
  SettingsSession session(registry);
  session.SetRoot(root);
  session.OpenPath(path, false);  // never creates the key
  // With no key open this fails like any other write.
  session.PutValue(name, kRegDword, DwordBytes(value));
}

void PutByte(SettingsSession& session, const std::string& path, const std::string& name,
             std::uint8_t byte) {
  session.OpenPathForWriting(path);
  session.PutBinary(name, &byte, 1);
  session.ClosePath();
}

void RemoveValues(SettingsSession& session, const std::string& path,
                  std::initializer_list<const char*> names) {
  session.OpenPathForWriting(path);
  for (const char* name : names) session.EraseValue(name);
  session.ClosePath();
}

// Read rights are enough to read, so a user who may read but not write the
// key sees the value stored there.
std::int32_t ReadDwordAt(RawRegistry& registry, HKey root, const std::string& path,
                         const std::string& name) {
  SettingsSession session(registry);
  session.SetRoot(root);
  session.OpenPathReadOnly(path);
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
  if (!session.GetValue(name, &type, &data)) return 0;  // absent, or no key open
  if (data.size() > 4) throw Error(FormatMessage(kFailedToGetData, name));
  if (type != kRegDword) throw Error(FormatMessage(kInvalidDataType, name));
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < data.size(); ++i) value |= std::uint32_t{data[i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

}  // namespace iz
