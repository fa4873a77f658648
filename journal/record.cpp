// Making a record: before the command writes, what it may change as it
// stands; once it is done, what it left.
#include <algorithm>
#include <utility>

#include "journal/detail.h"
#include "journal/history.h"
#include "journal/journal.h"
#include "journal/record_text.h"
#include "model/os_kind.h"
#include "modern/tcp_table.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz {

using namespace journal_detail;

namespace {

bool KeyExists(RawRegistry& registry, const KeyName& key) {
  HKey handle = 0;
  const long status = registry.OpenKey(key.root, key.path, kKeyQueryValue, &handle);
  if (status == kRegOk) registry.CloseKey(handle);
  return status != kRegNotFound;
}

// The keys that a command may create: each missing key of the rows (missing
// holds the index of a row of each, as CaptureValues found them) and the
// missing keys above it, from the root down in the order the rows name them,
// each once. Only a missing key's parents are looked at: a key that opened
// has all of its own.
std::vector<KeyName> MissingKeys(RawRegistry& registry, const std::vector<RegValueRecord>& rows,
                                 const std::vector<std::size_t>& missing) {
  std::vector<KeyName> keys;
  for (std::size_t i : missing) {
    const RegValueRecord& r = rows[i];
    // Up the path while the key above is missing too: top is where the
    // highest missing key's name ends.
    std::size_t top = r.keyPath.size();
    for (std::size_t cut = r.keyPath.rfind('\\', top - 1);
         cut != std::string::npos && cut > 0 &&
         !KeyExists(registry, {r.root, r.keyPath.substr(0, cut)});
         cut = r.keyPath.rfind('\\', cut - 1)) {
      top = cut;
    }
    for (std::size_t end = top;; end = std::min(r.keyPath.find('\\', end + 1), r.keyPath.size())) {
      KeyName key{r.root, r.keyPath.substr(0, end)};
      if (std::none_of(keys.begin(), keys.end(), [&](const KeyName& k) {
            return k.root == key.root && map::SameKeyPath(k.path.c_str(), key.path.c_str());
          })) {
        keys.push_back(std::move(key));
      }
      if (end == r.keyPath.size()) break;
    }
  }
  return keys;
}

bool HasSection(ProfileStrings& profiles, const std::string& file, const std::string& section) {
  const std::vector<std::string> names = profiles.SectionNames(file);
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
    return map::SameName(n.c_str(), section.c_str());
  });
}

// Whether Win.ini has a [Ports] section, the ports as they stand given: an
// entry there is its section there, so the names are read only without one.
bool PortsSectionThere(ProfileStrings& profiles, const std::vector<PortEntry>& ports) {
  for (const PortEntry& p : ports) {
    if (p) return true;
  }
  return HasSection(profiles, WinIniPath(profiles), map::kSectionPorts);
}

std::size_t Depth(const KeyName& key) {
  return static_cast<std::size_t>(std::count(key.path.begin(), key.path.end(), '\\'));
}

}  // namespace

// What Record holds for Finish: the record's file and text, and what the
// command may create.
struct Journal::Pending {
  std::string path;
  std::string text;  // without its end line
  std::vector<RegValueRecord> rows;
  std::vector<KeyName> absentKeys;
  bool portsSectionExisted = true;
  TcpSettingsAccess* tcpAccess = nullptr;
  std::vector<TcpValue> tcpBefore;
  std::optional<std::vector<TcpValue>> tcpAfter;
};

Journal::Journal(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                 TcpSettingsAccess* tcp)
    : registry_(registry), profiles_(profiles), platform_(platform), tcp_(tcp) {}

Journal::~Journal() = default;

void Journal::AddTcpValues(TcpSettingsAccess& access, std::vector<TcpValue> before) {
  tcpAccess_ = &access;
  tcpBefore_ = std::move(before);
}

void Journal::SetTcpAfter(std::vector<TcpValue> after) {
  if (pending_) {
    pending_->tcpAfter = std::move(after);
  } else {
    tcpAfter_ = std::move(after);
  }
}

std::string Journal::Record(const std::string& command, const std::vector<RegValueRecord>& extra) {
  pending_.reset();
  const std::string backup = BackupFolder(platform_);
  const std::string history = HistoryFolder(platform_);
  std::vector<std::string> files;
  if (std::string failure = OpenHistory(platform_, backup, history, true, &files); !failure.empty())
    return failure;

  auto pending = std::make_unique<Pending>();
  pending->tcpAccess = tcpAccess_;
  pending->tcpBefore = std::move(tcpBefore_);
  pending->tcpAfter = std::move(tcpAfter_);
  tcpAccess_ = nullptr;
  tcpBefore_.clear();
  tcpAfter_.reset();
  const map::System family =
      IsNTFamily(GetOSKind(platform_)) ? map::System::NT : map::System::Win9x;
  std::size_t mapRows = 0;
  // Every adapter's values join the record beside the map, whichever
  // adapters the command writes.
  std::vector<RegValueRecord> rows = extra;
  try {
    if (!adaptersFound_)
      adapterRows_ = AdapterRows(FindAdapters(registry_, GetOSKind(platform_), false));
    adaptersFound_ = false;
    for (const RegValueRecord& r : adapterRows_) rows.push_back(r);
  } catch (const Error& e) {
    return e.what();
  }
  pending->rows = RowsOf(family, rows, &mapRows);
  const std::string account = platform_.UserName();
  try {
    // What Undo could not read is not written.
    CheckRecordable(account, pending->rows, mapRows, pending->tcpBefore,
                    GetRunningWindows(platform_));
    std::vector<std::size_t> missing;
    const std::vector<RegValueRecord> before = CaptureValues(registry_, pending->rows, &missing);
    pending->absentKeys = MissingKeys(registry_, pending->rows, missing);
    const std::vector<PortEntry> ports = CapturePorts(profiles_);
    pending->portsSectionExisted = PortsSectionThere(profiles_, ports);
    std::string& text = pending->text;
    WriteHead(text, command, family, account);
    for (std::size_t i = mapRows; i < pending->rows.size(); ++i) WriteExtra(text, pending->rows[i]);
    // A record of the TCP settings names the Windows that took them.
    VersionInfo version;
    if (!pending->tcpBefore.empty() && platform_.GetVersion(version)) WriteWindows(text, version);
    for (const TcpValue& v : pending->tcpBefore) WriteTcp(text, v);
    WritePorts(text, Part::Before, ports);
    WriteValues(text, Part::Before, before);
  } catch (const Error& e) {
    return e.what();
  }

  // The newest record is the one with the highest number. A number another
  // copy took meanwhile is passed over: a record is only ever made new,
  // never over another.
  std::string sequence = HighestSequence(files);
  std::string whole = pending->text;
  WriteEnd(whole);
  if (whole.size() > kMaxSavedFileBytes) return kSavedFileTooLarge;
  const std::string stamp = StampOf(platform_.Now());
  for (int tries = 0;; ++tries) {
    sequence = NextSequence(sequence);
    pending->path = InFolder(history, stamp);
    pending->path.append(" #").append(sequence).append(" ").append(command).append(kRecordExtension);
    if (platform_.WriteNewFileAtomically(pending->path, whole)) break;
    if (tries == 99 || !platform_.FileExists(pending->path)) {
      return UnableToWriteText(platform_, pending->path);
    }
  }

  // The oldest records go.
  files.push_back(pending->path.substr(history.size() + 1));
  pending_ = std::move(pending);
  PruneHistory(platform_, history, files);
  return std::string();
}

bool Journal::Discard() {
  if (!pending_) return true;
  if (!platform_.DeleteFile(pending_->path)) return false;
  pending_.reset();
  return true;
}

std::vector<Adapter> Journal::TickedAdapters(int kind) {
  std::vector<Adapter> adapters = FindAdapters(registry_, kind, false);
  LoadAdapterChoice(registry_, &adapters);
  adaptersFound_ = kind == GetOSKind(platform_);
  if (adaptersFound_) adapterRows_ = AdapterRows(adapters);
  return OnlyTicked(std::move(adapters));
}

std::string Journal::Finish() {
  if (!pending_) return std::string();
  const std::unique_ptr<Pending> pending = std::move(pending_);
  std::string text = pending->text;
  try {
    const std::vector<RegValueRecord> after = CaptureValues(registry_, pending->rows);
    const std::vector<PortEntry> ports = CapturePorts(profiles_);
    WritePorts(text, Part::After, ports);
    if (!pending->tcpBefore.empty()) {
      const std::vector<TcpValue> tcpAfter =
          pending->tcpAfter ? *pending->tcpAfter : ReadTcpNow(pending->tcpAccess, pending->tcpBefore);
      const RunningWindows running = GetRunningWindows(platform_);
      for (const TcpValue& v : pending->tcpBefore) {
        const auto now = std::find_if(tcpAfter.begin(), tcpAfter.end(),
                                      [&](const TcpValue& a) { return a.name == v.name; });
        const std::string* value = now == tcpAfter.end() ? nullptr : &now->value;
        // What Undo would refuse is recorded as gone: it is never put back.
        if (value && !CheckTcpValue(running, {v.name, *value}).empty()) value = nullptr;
        WriteTcpAfter(text, v.name, value);
      }
    }
    // Deepest first, as Undo removes them.
    std::size_t deepest = 0;
    for (const KeyName& key : pending->absentKeys) deepest = std::max(deepest, Depth(key));
    for (std::size_t depth = deepest + 1; depth-- > 0;) {
      for (const KeyName& key : pending->absentKeys) {
        // A key that will not open now is left out: Undo could not look
        // into it either, and a key it leaves is empty and harmless.
        HKey handle = 0;
        if (Depth(key) != depth ||
            registry_.OpenKey(key.root, key.path, kKeyQueryValue, &handle) != kRegOk) {
          continue;
        }
        registry_.CloseKey(handle);
        WriteNewKey(text, key);
      }
    }
    if (!pending->portsSectionExisted && PortsSectionThere(profiles_, ports)) {
      WriteNewSection(text);
    }
    WriteValues(text, Part::After, after);
    WriteEnd(text);
    if (text.size() > kMaxSavedFileBytes) throw Error(kSavedFileTooLarge);
  } catch (const Error& e) {
    return e.what();
  }
  if (!platform_.WriteFileAtomically(pending->path, text)) {
    return UnableToWriteText(platform_, pending->path);
  }
  return std::string();
}

}  // namespace iz
