#include "preview/dry_run.h"

#include <map>

#include "model/os_kind.h"
#include "model/title.h"
#include "optimize/apply.h"
#include "profiles/profile_table.h"
#include "restore/backup.h"
#include "store/memory_profile.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"
#include "store/settings_session.h"

namespace iz {

namespace {

constexpr const char* kAbsent = "(absent)";
constexpr const char* kRemoved = "(removed)";
constexpr const char* kDefaultValueName = "(Default)";
constexpr const char* kWinIniLocation = "Win.ini [Ports]";

// What a Windows does with a value Optimize writes, where Microsoft says it
// ignores the value or documents its reading only for older systems; every
// other value is read. The sources are named on the help's registry page.
constexpr const char* kReadYes = "yes";
enum class ValueClass { LiteralInterfaceKey, ReceiveWindow, AdapterMtu };
struct ReadMark {
  ValueClass what;
  int firstKind, lastKind;
  const char* text;
};
constexpr ReadMark kReadMarks[] = {
    {ValueClass::LiteralInterfaceKey, kUnknown, kLastKind, "no: no Windows reads this key"},
    {ValueClass::ReceiveWindow, kWinVista, kLastKind,
     "no: Vista and later size the receive window themselves"},
    {ValueClass::AdapterMtu, kWinVista, kLastKind, "not documented for this Windows"},
};

// Whether a value belongs to a class.
bool IsOf(ValueClass what, HKey root, const std::string& key, const std::string& name) {
  if (root != kHKLM) return false;
  const bool adapter = IsAdapterValue(root, key, name);
  switch (what) {
    case ValueClass::LiteralInterfaceKey:
      return map::SameKeyPath(key.c_str(), map::kTcpipInterfaceKey);
    case ValueClass::ReceiveWindow:
      return (map::SameName(name.c_str(), map::kTcpWindowSize) ||
              map::SameName(name.c_str(), map::kGlobalMaxTcpWindowSize)) &&
             (adapter || map::SameKeyPath(key.c_str(), map::kTcpipParametersKey));
    default:
      return adapter && map::SameName(name.c_str(), map::kMTU);
  }
}

const char* RootName(HKey root) {
  return root == kHKCU ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool SameValue(const RegValueRecord& a, const RegValueRecord& b) {
  return a.root == b.root && map::SameKeyPath(a.keyPath.c_str(), b.keyPath.c_str()) &&
         map::SameName(a.name.c_str(), b.name.c_str());
}

// Passes every call to the in-memory registry and keeps each value that was
// set or deleted, with the full path of the key it landed in.
class RecordingRegistry : public RawRegistry {
 public:
  explicit RecordingRegistry(MemoryRegistry& inner) : inner_(inner) {}
  std::vector<RegValueRecord> writes;

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access,
               HKey* result) override {
    return Track(parent, subKey, inner_.OpenKey(parent, subKey, access, result), result);
  }
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    return Track(parent, subKey, inner_.CreateKey(parent, subKey, access, result), result);
  }
  long CloseKey(HKey key) override {
    paths_.erase(key);
    return inner_.CloseKey(key);
  }
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const void* data,
                std::uint32_t size) override {
    const long status = inner_.SetValue(key, name, type, data, size);
    if (status == kRegOk) {
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      Record(key, name, true, type, std::vector<std::uint8_t>(bytes, bytes + size));
    }
    return status;
  }
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, void* data,
                  std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override {
    const long status = inner_.DeleteValue(key, name);
    if (status == kRegOk) Record(key, name, false, 0, {});
    return status;
  }
  long QueryKeyCounts(HKey key, std::uint32_t* subKeys, std::uint32_t* values) override {
    return inner_.QueryKeyCounts(key, subKeys, values);
  }
  long DeleteKey(HKey parent, const std::string& subKey) override {
    return inner_.DeleteKey(parent, subKey);
  }
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override {
    return inner_.EnumKey(key, index, name);
  }

 private:
  struct Where {
    HKey root;
    std::string path;
  };

  long Track(HKey parent, const std::string& subKey, long status, HKey* result) {
    if (status != kRegOk || result == nullptr) return status;
    Where where{parent, subKey};
    const auto open = paths_.find(parent);
    if (open != paths_.end()) {
      where.root = open->second.root;
      where.path = subKey.empty() ? open->second.path : open->second.path + "\\" + subKey;
    }
    paths_[*result] = where;
    return status;
  }

  void Record(HKey key, const std::string& name, bool present, std::uint32_t type,
              std::vector<std::uint8_t> data) {
    const auto open = paths_.find(key);
    RegValueRecord r;
    r.root = open == paths_.end() ? key : open->second.root;
    r.keyPath = open == paths_.end() ? std::string() : open->second.path;
    // The map's spelling, so that "SYSTEM\..." and "System\..." read as one key.
    if (const map::Location* l = map::FindLocation(r.root, r.keyPath.c_str(), name.c_str())) {
      r.keyPath = l->key;
    }
    r.name = name;
    r.present = present;
    r.type = type;
    r.data = std::move(data);
    for (RegValueRecord& earlier : writes) {
      if (SameValue(earlier, r)) {
        earlier = std::move(r);
        return;
      }
    }
    writes.push_back(std::move(r));
  }

  MemoryRegistry& inner_;
  std::map<HKey, Where> paths_;
};

// Keeps the [Ports] entries the applier writes, in order.
class RecordingProfiles : public MemoryProfileStrings {
 public:
  using MemoryProfileStrings::MemoryProfileStrings;
  std::vector<std::pair<std::string, std::string>> ports;

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    ports.emplace_back(key, value);
    (void)section;  // the appliers write [Ports] only
    return MemoryProfileStrings::WriteString(file, section, key, value);
  }
};

void RunApplier(int kind, const Panel& panel, const std::vector<Adapter>& adapters,
                RawRegistry& registry, ProfileStrings& profiles) {
  // The copy is thrown away afterwards: nothing to record for Undo.
  const BeforeWriting nothingToRecord = [] {};
  ApplySettings(kind, panel, adapters, registry, profiles, nothingToRecord);
}

// Copies every mapped value of the real registry into memory, with the
// adapters' keys and values, and the keys that exist without one: the
// appliers never create the browser's key nor an adapter's, and a copy
// without them would fail where the real run succeeds (or the reverse).
std::vector<RegValueRecord> SeedRegistry(RawRegistry& real, const std::vector<Adapter>& adapters,
                                         MemoryRegistry& copy) {
  std::vector<RegValueRecord> seed = CaptureMappedValues(real);
  for (RegValueRecord& r : CaptureAdapterValues(real, adapters)) seed.push_back(std::move(r));
  for (const Adapter& a : adapters) copy.CreateKeyPath(kHKLM, a.key);
  for (const RegValueRecord& r : seed) {
    if (r.present) copy.SetRaw(r.root, r.keyPath, r.name, r.type, r.data);
  }
  SettingsSession session(real);
  for (const map::Location& l : map::kParameterMap) {
    if (copy.KeyExists(l.root, l.key)) continue;
    session.ClosePath();
    session.SetRoot(l.root);
    if (session.OpenPathReadOnly(std::string("\\") + l.key)) copy.CreateKeyPath(l.root, l.key);
  }
  return seed;
}

// Upper-case hex digits, exactly `width` of them. Not snprintf: the C
// library's formatting engine would be a large part of the program.
std::string HexDigits(std::uint32_t value, int width) {
  std::string digits(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, value >>= 4) digits[i] = "0123456789ABCDEF"[value & 15];
  return digits;
}

std::string Hex32(std::uint32_t value) { return "0x" + HexDigits(value, 8); }

std::string ShownName(const std::string& name) { return name.empty() ? kDefaultValueName : name; }

std::string Trimmed(const char* caption) {
  std::string text = caption;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// File-name words for the types (in the order of kTypeBoxes) and methods.
constexpr const char* kTypeFileWords[kConnectionTypeCount] = {"Modem", "ISDN", "Cable-DSL",
                                                              "DSL-PPPoE", "Extreme"};
constexpr const char* kMethodFileWords[kAutomaticMethodCount] = {"Method 1", "Method 2",
                                                                 "Method 3"};

}  // namespace

std::string ProfileText(const Panel& panel) {
  const CheckBoxCtl* type = panel.CheckedIn(Group::kType);
  const CheckBoxCtl* method = panel.CheckedIn(Group::kMethod);
  std::string text = type ? Trimmed(type->caption) : std::string();
  if (method) text += (text.empty() ? "" : ", ") + Trimmed(method->caption);
  return text;
}

std::string DefaultExportFileName(const Panel& panel) {
  std::string name = "Zelvora";
  for (int i = 0; i < kConnectionTypeCount; ++i) {
    if ((panel.*kTypeBoxes[i]).checked) name += std::string(" ") + kTypeFileWords[i];
  }
  const char* method = "Custom";
  for (int i = 0; i < kAutomaticMethodCount; ++i) {
    if ((panel.*kMethodBoxes[i]).checked) method = kMethodFileWords[i];
  }
  return name + " " + method + ".reg";
}

RecordedRun RecordOptimize(const Panel& panel, int kind) {
  MemoryRegistry empty;
  // Every installed Windows has the browser's key; the appliers rely on it.
  empty.CreateKeyPath(kHKCU, map::kInternetSettingsUpperKey);
  RecordingRegistry registry(empty);
  RecordingProfiles profiles;
  RunApplier(kind, panel, {}, registry, profiles);
  return RecordedRun{std::move(registry.writes), std::move(profiles.ports)};
}

PreviewReport PreviewOptimize(const Panel& panel, const std::vector<Adapter>& adapters,
                              RawRegistry& registry, ProfileStrings& profiles, int kind) {
  MemoryRegistry copy;
  const std::vector<RegValueRecord> seed = SeedRegistry(registry, adapters, copy);

  // Read through the interface itself, not a ProfileFile: releasing one
  // flushes, and the real Win.ini is only to be read here.
  const std::string winIni = WinIniPath(profiles);
  RecordingProfiles iniCopy(WindowsDirectory(profiles));
  std::map<std::string, std::string> portsNow;
  const std::vector<PortEntry> ports = CapturePorts(profiles);
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (!ports[i]) continue;
    portsNow[map::kComPorts[i]] = *ports[i];
    iniCopy.MemoryProfileStrings::WriteString(winIni, map::kSectionPorts, map::kComPorts[i],
                                              *ports[i]);
  }

  RecordingRegistry recorder(copy);
  RunApplier(kind, panel, adapters, recorder, iniCopy);

  PreviewReport report;
  for (const RegValueRecord& after : recorder.writes) {
    ++report.written;
    const RegValueRecord* before = nullptr;
    for (const RegValueRecord& s : seed) {
      if (SameValue(s, after)) before = &s;
    }
    const bool wasPresent = before != nullptr && before->present;
    if (wasPresent == after.present &&
        (!after.present || (before->type == after.type && before->data == after.data))) {
      continue;
    }
    report.changes.push_back({std::string(RootName(after.root)) + "\\" + after.keyPath,
                              ShownName(after.name),
                              wasPresent ? ValueDisplayText(before->type, before->data) : kAbsent,
                              after.present ? ValueDisplayText(after.type, after.data) : kRemoved,
                              ReadByText(kind, after.root, after.keyPath, after.name)});
  }
  for (const auto& [port, value] : iniCopy.ports) {
    ++report.written;
    const auto now = portsNow.find(port);
    if (now != portsNow.end() && now->second == value) continue;
    report.changes.push_back({kWinIniLocation, port, now == portsNow.end() ? kAbsent : now->second,
                              value, kReadYes});
  }
  return report;
}

const char* ReadByText(int kind, HKey root, const std::string& key, const std::string& name) {
  // The marks are in the order of their classes, most particular first.
  for (const ReadMark& mark : kReadMarks) {
    if (kind >= mark.firstKind && kind <= mark.lastKind && IsOf(mark.what, root, key, name))
      return mark.text;
  }
  return kReadYes;
}

std::string PreviewReport::Summary() const {
  return std::to_string(changes.size()) + " of " + std::to_string(written) +
         " values would change.";
}

std::string ValueDisplayText(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (type == kRegDword && data.size() == 4) {
    const std::uint32_t value = DwordOf(data);
    return std::to_string(value) + " (" + Hex32(value) + ")";
  }
  if (type == kRegSz || type == kRegExpandSz) {
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
  }
  std::string text;
  for (std::uint8_t b : data) {
    if (!text.empty()) text += ' ';
    text += HexDigits(b, 2);
  }
  return text;
}

std::string ExportRegText(const RecordedRun& run, int kind, const ExportHeading& heading) {
  constexpr const char* kEol = "\r\n";
  const std::string body = WriteRegFile(run.values);
  // regedit wants its header on the very first line; the heading follows it.
  const std::size_t headerEnd = body.find(kEol) + 2;
  std::string text = body.substr(0, headerEnd);
  text += std::string("; ") + kAppTitle + ": the values Optimize writes" + kEol;
  text += "; Exported " + heading.date + " for " + SystemsLike(kind) + kEol;
  text += "; Profile: " + heading.profile + kEol;
  text += std::string(
              "; Import with \"regedit /s\". HKEY_CURRENT_USER values land in the profile "
              "of the account that imports the file.") +
          kEol;
  text += std::string(
              "; The network adapters' own MTU values are left out: their keys belong to one "
              "machine. To set them, run \"InternetZelvora.exe /optimize\" on each machine.") +
          kEol;
  text += body.substr(headerEnd);
  if (!run.ports.empty()) {
    text += std::string(
                "; Win.ini is not part of the registry. Set these entries by hand in the "
                "[Ports] section of Win.ini in the Windows folder:") +
            kEol;
    for (const auto& [port, value] : run.ports) text += "; " + port + "=" + value + kEol;
  }
  return text;
}

}  // namespace iz
