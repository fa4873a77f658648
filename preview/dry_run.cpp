#include "preview/dry_run.h"

#include <algorithm>

#include "model/os_kind.h"
#include "model/title.h"
#include "optimize/apply.h"
#include "profiles/profile_table.h"
#include "restore/backup.h"
#include "store/error.h"
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

// Whether a Windows reads a value Optimize writes, as Microsoft documents
// it, and nothing more: "yes" needs a document, and every value without a
// rule here is "not documented for this Windows". Each rule names its
// source; the help's registry page lists them with their addresses.
constexpr const char* kReadYes = "yes";
constexpr const char* kNotDocumented = "not documented for this Windows";
constexpr const char* kNoWindowsKey = "no: no Windows reads this key";
constexpr const char* kOnly9xKey = "no: only Windows 95, 98 and Me read this key";
constexpr const char* kSizedBySystem = "no: Vista and later size the receive window themselves";
constexpr const char* kMisspeltOn98 =
    "no: Windows 98 reads the misspelt name GlobalMaxTcpWindoSize instead";
constexpr const char* kNoPrefix = "no: ";

// Where a rule holds: a key, every key below one, a network adapter's own
// key, or any key at all.
enum class Where { Key, Below, Adapter, AnyKey };
constexpr const char* kVxDKey = "System\\CurrentControlSet\\Services\\VxD";
constexpr const char* kClassKey = "System\\CurrentControlSet\\Services\\Class";

struct ReadRule {
  Where where;
  HKey root;
  const char* key;   // for Key and Below
  const char* name;  // nullptr: every value there
  int firstKind, lastKind;
  const char* text;
};
// Most particular first: the first rule that holds decides.
constexpr ReadRule kReadRules[] = {
    {Where::Key, kHKLM, map::kTcpipInterfaceKey, nullptr, kUnknown, kLastKind, kNoWindowsKey},
    // Virtual device drivers and the Services\Class tree are the 9x
    // family's; the NT family keeps neither.
    {Where::Below, kHKLM, kVxDKey, nullptr, kWinNT4, kLastKind, kOnly9xKey},
    {Where::Below, kHKLM, kClassKey, nullptr, kWinNT4, kLastKind, kOnly9xKey},
    // KB 239731, Unable to Set the TCP/IP GlobalMaxTcpWindowSize Parameter in
    // Windows 98: 98 and 98 SE read the name misspelt; Millennium is not
    // covered.
    {Where::Key, kHKLM, map::kMstcpParametersKey, map::kGlobalMaxTcpWindoSize, kWin98, kWin98SE,
     kReadYes},
    {Where::Key, kHKLM, map::kMstcpParametersKey, map::kGlobalMaxTcpWindowSize, kWin98, kWin98SE,
     kMisspeltOn98},
    // Performance tuning network adapters: TcpWindowSize in the parameters
    // key is among the deprecated TCP parameters. The adapters' own window
    // and GlobalMaxTcpWindowSize are not on its list.
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kTcpWindowSize, kWinVista, kLastKind,
     kSizedBySystem},
    // Description of Windows TCP features (Windows 10, Server 2012 R2).
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kTcp1323Opts, kWin81, kWin10, kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kSackOpts, kWin81, kWin10, kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kTcpMaxDupAcks, kWin81, kWin10, kReadYes},
    // The TCP/IP implementation details of 2000 and 2003 (XP), Appendix A;
    // NT 4.0's from the configuration parameters of 2000 and NT.
    {Where::Adapter, kHKLM, nullptr, map::kTcpWindowSize, kWin2000, kWinXP, kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, nullptr, kWin2000, kWinXP, kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kDefaultTTL, kWinNT4, kWinNT4, kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kEnablePMTUDiscovery, kWinNT4, kWinNT4,
     kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kEnablePMTUBHDetect, kWinNT4, kWinNT4,
     kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kTcpWindowSize, kWinNT4, kWinNT4, kReadYes},
    {Where::Key, kHKLM, map::kTcpipParametersKey, map::kTcpUseRFC1122UrgentPointer, kWinNT4,
     kWinNT4, kReadYes},
    {Where::Key, kHKLM, map::kNetbtParametersKey, map::kSessionKeepAlive, kWinNT4, kWinXP,
     kReadYes},
    // An adapter's MTU in the registry: documented for NT 4.0 to XP (the
    // same pages); from Vista on netsh's subinterface MTU, which Optimize
    // sets beside it, is the one documented.
    {Where::Adapter, kHKLM, nullptr, map::kMTU, kWinNT4, kWinXP, kReadYes},
    // KB 158474, Windows TCP/IP Registry Entries (MSTCP) and the NetTrans subkey.
    {Where::Key, kHKLM, map::kMstcpKey, nullptr, kWin95, kWinMe, kReadYes},
    {Where::Below, kHKLM, map::kNetTransKey, map::kMaxMTU, kWin95, kWinMe, kReadYes},
    // The browser's connection limits, on every Windows it runs on.
    {Where::Key, kHKCU, map::kInternetSettingsUpperKey, nullptr, kWin95, kLastKind, kReadYes},
};

bool StartsWithKey(const std::string& key, const char* top) {
  const std::string path = !key.empty() && key[0] == '\\' ? key.substr(1) : key;
  const std::size_t n = std::char_traits<char>::length(top);
  return path.size() > n && path[n] == '\\' && map::SameKeyPath(path.substr(0, n).c_str(), top);
}

bool Holds(const ReadRule& rule, HKey root, const std::string& key, const std::string& name) {
  if (root != rule.root || (rule.name && !map::SameName(name.c_str(), rule.name))) return false;
  switch (rule.where) {
    case Where::Key:
      return map::SameKeyPath(key.c_str(), rule.key);
    case Where::Below:
      return StartsWithKey(key, rule.key);
    case Where::Adapter:
      return IsAdapterValue(root, key, name);
    default:
      return true;
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
    if (Where* open = Opened(key)) {
      *open = paths_.back();
      paths_.pop_back();
    }
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
  // An open handle, the root it lies under and its path from there. A few
  // at a time are open: a scan beats a tree.
  struct Where {
    HKey handle;
    HKey root;
    std::string path;
  };

  Where* Opened(HKey key) {
    for (Where& w : paths_) {
      if (w.handle == key) return &w;
    }
    return nullptr;
  }

  long Track(HKey parent, const std::string& subKey, long status, HKey* result) {
    if (status != kRegOk || result == nullptr) return status;
    Where where{*result, parent, subKey};
    if (const Where* open = Opened(parent)) {
      where.root = open->root;
      where.path = open->path;
      if (!subKey.empty()) where.path.append("\\").append(subKey);
    }
    if (Where* same = Opened(*result))
      *same = std::move(where);
    else
      paths_.push_back(std::move(where));
    return status;
  }

  void Record(HKey key, const std::string& name, bool present, std::uint32_t type,
              std::vector<std::uint8_t> data) {
    const Where* open = Opened(key);
    RegValueRecord r;
    r.root = open ? open->root : key;
    if (open) r.keyPath = open->path;
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
  std::vector<Where> paths_;
};

// Keeps the [Ports] entries the applier writes, in order.
class RecordingProfiles : public MemoryProfileStrings {
 public:
  using MemoryProfileStrings::MemoryProfileStrings;
  std::vector<std::pair<std::string, std::string>> ports;

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    ports.push_back({key, value});
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

// Why a Windows does not read a value, as a comment line of the export
// ("; Not read: only Windows 95, 98 and Me read this key"); empty where it
// reads it or no document says.
std::string NotReadComment(int kind, const RegValueRecord& r) {
  const std::string mark = ReadByText(kind, r.root, r.keyPath, r.name);
  if (mark.compare(0, std::char_traits<char>::length(kNoPrefix), kNoPrefix) != 0) return {};
  return "; Not read: " + mark.substr(std::char_traits<char>::length(kNoPrefix)) + "\r\n";
}

// The REGEDIT4 text with a comment line above each block that kind does not
// read at all, for one reason; in a block it reads in part, above each value
// it does not read. regedit passes over comment lines wherever they stand.
std::string CommentUnread(const std::string& body, const std::vector<RegValueRecord>& values,
                          int kind) {
  std::string out;
  std::vector<std::string> comments;  // the current block's, a value each
  std::size_t next = 0;               // its value the next line holds
  for (std::size_t at = 0; at < body.size();) {
    const std::size_t end = std::min(body.find('\n', at), body.size() - 1) + 1;
    const std::string line = body.substr(at, end - at);
    at = end;
    if (line[0] == '[') {
      const std::size_t slash = line.find('\\');
      const std::string key = line.substr(slash + 1, line.rfind(']') - slash - 1);
      comments.clear();
      next = 0;
      for (const RegValueRecord& r : values) {
        if (line.compare(1, slash - 1, RootName(r.root)) == 0 &&
            map::SameKeyPath(r.keyPath.c_str(), key.c_str()))
          comments.push_back(NotReadComment(kind, r));
      }
      bool whole = !comments.empty();
      for (const std::string& c : comments) whole = whole && c == comments.front() && !c.empty();
      if (whole) {
        out += comments.front();
        comments.assign(comments.size(), std::string());
      }
    } else if (line[0] != '\r' && next < comments.size()) {
      out += comments[next++];
    }
    out += line;
  }
  return out;
}

// Upper-case hex digits, exactly `width` of them. Not snprintf: the C
// library's formatting engine would be a large part of the program.
std::string HexDigits(std::uint32_t value, int width) {
  std::string digits(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, value >>= 4) digits[i] = "0123456789ABCDEF"[value & 15];
  return digits;
}

std::string Hex32(std::uint32_t value) { return "0x" + HexDigits(value, 8); }

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
  const std::vector<PortEntry> ports = CapturePorts(profiles);
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (!ports[i]) continue;
    iniCopy.MemoryProfileStrings::WriteString(winIni, map::kSectionPorts, map::kComPorts[i],
                                              *ports[i]);
  }

  RecordingRegistry recorder(copy);
  RunApplier(kind, panel, adapters, recorder, iniCopy);

  PreviewReport report;
  // An adapter's value is named by the adapter's connection name, which the
  // user knows; its GUID is the location's alone. Looked up once, and only
  // when an adapter's value changes.
  std::vector<Adapter> named;
  bool namesLooked = false;
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
    // Filled field by field: a braced line of five temporaries costs a
    // clean-up each.
    PreviewLine line;
    line.location = RootName(after.root);
    line.location += '\\';
    line.location += after.keyPath;
    line.value = after.name;
    if (after.name.empty()) line.value = kDefaultValueName;
    if (after.root == kHKLM && IsAdapterValue(after.root, after.keyPath, after.name)) {
      if (!namesLooked) {
        namesLooked = true;
        try {
          named = FindAdapters(registry, kind, true);
        } catch (const Error&) {
          // Named by its location alone.
        }
      }
      if (const Adapter* a = NamedAdapterAt(named, after.keyPath))
        line.value.append(" (").append(a->name).append(")");
    }
    if (wasPresent)
      line.now = ValueDisplayText(before->type, before->data);
    else
      line.now = kAbsent;
    if (after.present)
      line.after = ValueDisplayText(after.type, after.data);
    else
      line.after = kRemoved;
    line.readBy = ReadByText(kind, after.root, after.keyPath, after.name);
    report.changes.push_back(std::move(line));
  }
  for (const auto& [port, value] : iniCopy.ports) {
    ++report.written;
    const std::string* now = nullptr;  // the entry as it stands
    for (std::size_t i = 0; i < ports.size(); ++i) {
      if (ports[i] && port == map::kComPorts[i]) now = &*ports[i];
    }
    if (now && *now == value) continue;
    PreviewLine line;
    line.location = kWinIniLocation;
    line.value = port;
    if (now)
      line.now = *now;
    else
      line.now = kAbsent;
    line.after = value;
    line.readBy = kReadYes;
    report.changes.push_back(std::move(line));
  }
  return report;
}

const char* ReadByText(int kind, HKey root, const std::string& key, const std::string& name) {
  for (const ReadRule& rule : kReadRules) {
    if (kind >= rule.firstKind && kind <= rule.lastKind && Holds(rule, root, key, name))
      return rule.text;
  }
  return kNotDocumented;
}

std::string PreviewReport::Summary() const {
  return std::to_string(changes.size()) + " of " + CountText(written, "value", "values") +
         " would change.";
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
  const std::string body = CommentUnread(WriteRegFile(run.values), run.values, kind);
  // regedit wants its header on the very first line; the heading follows it.
  const std::size_t headerEnd = body.find(kEol) + 2;
  std::string text = body.substr(0, headerEnd);
  // Appended piece by piece: a chain of + would build a temporary each.
  for (const char* piece :
       {"; ", kAppTitle, ": the values Optimize writes\r\n; Exported ", heading.date.c_str(),
        " for ", SystemsLike(kind), "\r\n; Profile: ", heading.profile.c_str(),
        "\r\n; Import with \"regedit /s\". HKEY_CURRENT_USER values land in the profile "
        "of the account that imports the file.\r\n"
        "; The network adapters' own MTU values are left out: their keys belong to one "
        "machine. To set them, run \"InternetZelvora.exe /optimize\" on each machine.\r\n"})
    text += piece;
  text.append(body, headerEnd, std::string::npos);
  if (!run.ports.empty()) {
    text +=
        "; Win.ini is not part of the registry. Set these entries by hand in the "
        "[Ports] section of Win.ini in the Windows folder:\r\n";
    for (const auto& [port, value] : run.ports) {
      text += "; ";
      text += port;
      text += '=';
      text += value;
      text += kEol;
    }
  }
  return text;
}

}  // namespace iz
