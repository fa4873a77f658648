// Undo's put-back: what the plan says goes back, but for what changed while
// the question was open; and a damaged record set aside.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "journal/detail.h"
#include "journal/history.h"
#include "journal/journal.h"
#include "journal/record_text.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz {

using namespace journal_detail;

namespace {

constexpr const char* kUnableToDelete = "Unable to delete %s";
constexpr const char* kUnableToSetAside = "Unable to set aside %s";
constexpr const char* kUnableToRemoveKey = "Unable to remove the key %s";

}  // namespace

UndoResult Journal::Undo(const UndoPlan& plan) {
  UndoResult result;
  result.found = plan.found;
  result.command = plan.command;
  result.time = plan.time;
  if (!plan.found) return result;
  if (!plan.failure.empty() || !plan.damage.empty()) {
    result.failures.push_back(plan.failure.empty() ? plan.damage : plan.failure);
    return result;
  }
  // Read again right before writing: what changed while the question was
  // open is kept, and named.
  std::vector<RegValueRecord> values;
  std::vector<std::size_t> portsBack;
  std::vector<TcpValue> tcpBack;
  try {
    const std::vector<RegValueRecord> now = CaptureValues(registry_, plan.left);
    for (std::size_t i = 0; i < plan.values.size(); ++i) {
      if (now[i] == plan.left[i]) {
        values.push_back(plan.values[i]);
      } else {
        result.keptSince.push_back(plan.valueNames[i]);
      }
    }
    const std::vector<PortEntry> portsNow = CapturePorts(profiles_);
    for (std::size_t index : plan.portsBack) {
      if (portsNow[index] == plan.portsAfter[index]) {
        portsBack.push_back(index);
      } else {
        result.keptSince.push_back(map::kComPorts[index]);
      }
    }
    if (!plan.tcpBack.empty()) {
      if (tcp_ == nullptr) Raise(kTcpNotHere, plan.command);
      const std::vector<TcpValue> tcpNow = ReadTcpNow(tcp_, plan.tcpLeft);
      for (std::size_t i = 0; i < plan.tcpLeft.size(); ++i) {
        if (std::find(tcpNow.begin(), tcpNow.end(), plan.tcpLeft[i]) != tcpNow.end()) {
          tcpBack.push_back(plan.tcpBack[i]);
        } else {
          result.keptSince.push_back(TcpName(plan.tcpLeft[i].name));
        }
      }
    }
  } catch (const Error& e) {
    result.failures.push_back(e.what());
    return result;
  }
  if (!tcpBack.empty()) {
    // All or nothing, in one run.
    std::string error;
    if (tcp_->Write(tcpBack, &error)) {
      result.written += tcpBack.size();
      result.tcpWritten = tcpBack;
    } else {
      result.failures.push_back(error);
    }
  }
  for (std::string& failure : PutBackValues(registry_, values))
    result.failures.push_back(std::move(failure));
  result.written += values.size() + portsBack.size();
  result.restart = !values.empty() || !portsBack.empty();
  const std::string winIni = WinIniPath(profiles_);
  {
    ProfileFile flushed(profiles_, winIni);
    const std::string section = map::kSectionPorts;
    bool written = true;
    for (std::size_t index : portsBack) {
      const PortEntry& port = plan.portsBefore[index];
      const std::string name = map::kComPorts[index];
      written &= port ? profiles_.WriteString(winIni, section, name, *port)
                      : profiles_.RemoveString(winIni, section, name);
    }
    if (plan.createdPortsSection && profiles_.KeyNames(winIni, section).empty()) {
      written &= profiles_.RemoveSection(winIni, section);
    }
    if (!written) result.failures.push_back(Say(kUnableToWrite, winIni));
  }
  // Deepest first: a key goes only once it is empty, and the 9x family would
  // take a key's subkeys with it.
  for (const KeyName& key : plan.createdKeys) {
    HKey handle = 0;
    if (registry_.OpenKey(key.root, key.path, kKeyQueryValue, &handle) != kRegOk) continue;
    std::uint32_t subKeys = 1, valueCount = 1;
    const long counted = registry_.QueryKeyCounts(handle, &subKeys, &valueCount);
    registry_.CloseKey(handle);
    if (counted != kRegOk || subKeys != 0 || valueCount != 0) continue;
    const long status = registry_.DeleteKey(key.root, key.path);
    if (status != kRegOk && status != kRegNotFound) {
      result.failures.push_back(Say(kUnableToRemoveKey, ShortKey(key.root, key.path)));
    }
  }
  if (!result.failures.empty()) return result;
  // A record that cannot be deleted (read-only) is set aside as a damaged
  // one is: the next Undo must reach the change before it.
  if (!platform_.DeleteFile(plan.record) &&
      !platform_.RenameFile(plan.record, plan.record + kSetAsideSuffix)) {
    result.failures.push_back(Say(kUnableToDelete, plan.record));
  }
  return result;
}

// By rename: a record that could not be set aside once is tried the same
// way again. One that was copied aside already (by an older version, whose
// delete failed) is the same file twice, and goes.
std::string Journal::SetAside(const UndoPlan& plan) {
  const auto setAside = [this](const std::string& path) {
    const std::string aside = path + kSetAsideSuffix;
    if (platform_.RenameFile(path, aside)) return true;
    std::string mine, theirs;
    return platform_.ReadFile(path, &mine, kMaxSavedFileBytes) == FileRead::Ok &&
           platform_.ReadFile(aside, &theirs, kMaxSavedFileBytes) == FileRead::Ok &&
           mine == theirs && platform_.DeleteFile(path);
  };
  if (!setAside(plan.record)) return Say(kUnableToSetAside, plan.record);
  // An older version's ports part goes with its record.
  const std::string ports =
      plan.record.substr(0, plan.record.size() - std::char_traits<char>::length(kRecordExtension)) +
      kOldPortsExtension;
  if (platform_.FileExists(ports)) setAside(ports);
  return std::string();
}

}  // namespace iz
