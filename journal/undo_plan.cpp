// Undo's plan: the newest record read whole and compared with the settings
// now, without writing.
#include <algorithm>
#include <iterator>
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

constexpr const char* kUnableToRead = "Unable to read %s";
constexpr const char* kTooLarge = "%s is larger than 1 MiB, far more than the journal writes";
constexpr const char* kOlderVersion =
    "%s was written by an older version of Internet Zelvora, which did not record what the "
    "change left";

// The last two names of a key path: "Tcpip\Parameters".
std::string KeyTail(const std::string& path) {
  std::size_t cut = path.rfind('\\');
  if (cut != std::string::npos && cut > 0) cut = path.rfind('\\', cut - 1);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// What a value is called in Undo's question, once among all: its name and
// where it is, "TcpWindowSize (Tcpip\Parameters)", an adapter's by the
// adapter's name, "MTU (Local Area Connection)"; a key's default value by
// the key's own name.
std::string LongName(const RegValueRecord& r, const std::vector<Adapter>& adapters) {
  for (const Adapter& a : adapters) {
    if (map::SameKeyPath(a.key.c_str(), r.keyPath.c_str()) && r.root == kHKLM)
      return r.name + " (" + a.name + ")";
  }
  if (!r.name.empty()) return r.name + " (" + KeyTail(r.keyPath) + ")";
  const std::size_t cut = r.keyPath.rfind('\\');
  if (cut == std::string::npos) return r.keyPath;
  return r.keyPath.substr(cut + 1) + " (" + KeyTail(r.keyPath.substr(0, cut)) + ")";
}

// A key where the map's values are, or one above such a key.
bool MapKey(HKey root, const std::string& path) {
  return std::any_of(std::begin(map::kParameterMap), std::end(map::kParameterMap),
                     [&](const map::Location& l) { return AtOrAbove(root, path, l.root, l.key); });
}

// A key beyond the map added to keys, once: an adapter's by the adapter's
// connection name, as the user knows it, any other by its path.
void AddOutside(std::vector<std::string>* keys, HKey root, const std::string& path,
                const std::vector<Adapter>& adapters) {
  if (MapKey(root, path)) return;
  const Adapter* adapter = root == kHKLM ? NamedAdapterAt(adapters, path) : nullptr;
  const std::string name =
      adapter != nullptr ? "the adapter " + adapter->name : ShortKey(root, path);
  if (std::find(keys->begin(), keys->end(), name) == keys->end()) keys->push_back(name);
}

}  // namespace

UndoPlan Journal::PlanUndo() {
  // A record whose changes are all back already is one an Undo put back
  // and could not remove (read-only): it goes now, or is passed over.
  for (std::size_t skip = 0;;) {
    UndoPlan plan = PlanUndoOf(skip);
    const bool spent = plan.found && plan.failure.empty() && plan.damage.empty() &&
                       plan.unchanged > 0 && plan.values.empty() && plan.portsBack.empty() &&
                       plan.tcpBack.empty() && plan.changedSince.empty() &&
                       plan.otherAccount.empty() && plan.notHere.empty();
    if (!spent) return plan;
    // Gone, the next one is the newest; kept, it is passed over.
    if (!platform_.DeleteFile(plan.record) &&
        !platform_.RenameFile(plan.record, plan.record + kSetAsideSuffix))
      ++skip;
  }
}

UndoPlan Journal::PlanUndoOf(std::size_t skip) {
  UndoPlan plan;
  const std::string history = HistoryFolder(platform_);
  if (!platform_.DirectoryExists(history)) return plan;
  plan.found = true;
  std::vector<std::string> files;
  plan.failure = OpenHistory(platform_, BackupFolder(platform_), history, false, &files);
  if (!plan.failure.empty()) return plan;
  const std::vector<RecordName> records = RecordsIn(files, kRecordExtension);
  if (records.size() <= skip) {
    plan.found = false;
    return plan;
  }
  const RecordName& newest = records[records.size() - 1 - skip];
  plan.command = newest.base.substr(newest.commandAt);
  plan.time = ShownTime(newest.base.substr(0, kStampLength));
  plan.record = InFolder(history, newest.base, kRecordExtension);
  // What is wrong with the record itself can be set aside; what is wrong
  // with reading it, or the settings now, cannot.
  bool damaged = true;
  ParsedRecord r;
  std::vector<RegValueRecord> now;
  std::vector<PortEntry> portsNow;
  std::vector<TcpValue> tcpNow;
  const RunningWindows running = GetRunningWindows(platform_);
  try {
    if (newest.sequence.empty()) Raise(kOlderVersion, plan.record);
    damaged = false;
    if (std::string link = LinkFailure(platform_, plan.record); !link.empty()) throw Error(link);
    std::string text;
    const FileRead read = platform_.ReadFile(plan.record, &text, kMaxSavedFileBytes);
    damaged = read == FileRead::TooLarge;
    if (read != FileRead::Ok) {
      Raise(damaged ? kTooLarge : kUnableToRead, plan.record);
    }
    damaged = true;
    ParseRecord(text, plan.record, plan.command, running, &r);
    if (!r.finished) {
      Incomplete(plan.record, plan.command + " did not finish, so what it left was not recorded");
    }
    damaged = false;
    now = CaptureValues(registry_, r.rows);
    portsNow = CapturePorts(profiles_);
    // Only what this Windows takes is read and put back; before Vista
    // netsh is not run at all.
    for (const TcpValue& v : r.tcpBefore) {
      if (tcp_ != nullptr && CheckTcpValue(running, v).empty()) plan.tcpHere.push_back(v);
    }
    if (!plan.tcpHere.empty()) tcpNow = ReadTcpNow(tcp_, plan.tcpHere);
  } catch (const Error& e) {
    (damaged ? plan.damage : plan.failure) = e.what();
    return plan;
  }
  plan.account = r.account;
  const bool sameAccount = r.account == platform_.UserName();
  // Names unique among all: an adapter's by the adapter's name, looked up
  // only when one is to be named.
  std::vector<Adapter> adapters;
  // Only what the command changed is looked at; of that, what is still as it
  // left it goes back, and what changed since stays, whoever changed it.
  for (std::size_t i = 0; i < r.rows.size(); ++i) {
    if (r.after[i] == r.before[i]) continue;
    std::vector<std::string>* named = &plan.changedSince;
    if (r.rows[i].root == kHKCU && !sameAccount) {
      named = &plan.otherAccount;
    } else if (now[i] == r.before[i]) {
      ++plan.unchanged;
      continue;
    } else if (now[i] == r.after[i]) {
      plan.values.push_back(r.before[i]);
      plan.left.push_back(r.after[i]);
      named = &plan.valueNames;
    }
    const RegValueRecord& row = r.rows[i];
    if (adapters.empty() && IsAdapterValue(row.root, row.keyPath, row.name)) {
      try {
        adapters = FindAdapters(registry_, GetOSKind(platform_), true);
      } catch (const Error&) {
        // Named by its key instead.
      }
    }
    named->push_back(LongName(row, adapters));
  }
  for (std::size_t i = 0; i < map::kComPortsWritten; ++i) {
    if (r.portsAfter[i] == r.portsBefore[i]) continue;
    if (portsNow[i] == r.portsBefore[i]) {
      ++plan.unchanged;
    } else if (portsNow[i] == r.portsAfter[i]) {
      plan.portsBack.push_back(i);
    } else {
      plan.changedSince.push_back(map::kComPorts[i]);
    }
  }
  for (std::size_t i = 0; i < r.tcpBefore.size(); ++i) {
    const TcpValue& before = r.tcpBefore[i];
    const std::optional<std::string>& after = r.tcpAfter[i];
    if (after == before.value) continue;
    if (std::find(plan.tcpHere.begin(), plan.tcpHere.end(), before) == plan.tcpHere.end()) {
      plan.notHere.push_back(TcpName(before.name));
      continue;
    }
    const auto found = std::find_if(tcpNow.begin(), tcpNow.end(),
                                    [&](const TcpValue& v) { return v.name == before.name; });
    const std::string* current = found == tcpNow.end() ? nullptr : &found->value;
    if (current != nullptr && *current == before.value) {
      ++plan.unchanged;
    } else if (current != nullptr && after == *current) {
      plan.tcpBack.push_back(before);
      plan.tcpLeft.push_back({before.name, *after});
    } else if (current == nullptr && !after) {
      // Gone after the command and gone now: there is nothing to set.
      ++plan.unchanged;
    } else {
      plan.changedSince.push_back(TcpName(before.name));
    }
  }
  for (const KeyName& key : r.newKeys) {
    if (key.root != kHKCU || sameAccount) plan.createdKeys.push_back(key);
  }
  // The keys beyond the map that Undo writes to or may remove, each once.
  for (const RegValueRecord& v : plan.values)
    AddOutside(&plan.outsideKeys, v.root, v.keyPath, adapters);
  for (const KeyName& key : plan.createdKeys)
    AddOutside(&plan.outsideKeys, key.root, key.path, adapters);
  plan.createdPortsSection = r.newSection;
  plan.portsBefore = std::move(r.portsBefore);
  plan.portsAfter = std::move(r.portsAfter);
  return plan;
}

}  // namespace iz
