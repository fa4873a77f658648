// The journal's record reader, through Undo, on mutations of records the
// writer made (fuzz/corpus/journal): a record is refused, and then nothing
// is written, or it is read, and then Undo writes only the values the
// record holds, each exactly as the record gives it, and sets through netsh
// only TCP settings the record holds, each a value the running Windows
// takes. The first byte picks the machine (family, adapters, and Windows 10
// with netsh); the rest is the newest record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/journal_rig.h"
#include "modern/tcp_table.h"

namespace {

bool Holds(const std::vector<iz::RegValueRecord>& values, const iz::MemoryRegistry::Entry& e) {
  for (const iz::RegValueRecord& v : values) {
    if (v.root == e.root && iz::map::SameKeyPath(v.keyPath.c_str(), e.key.c_str()) &&
        iz::map::SameName(v.name.c_str(), e.name.c_str())) {
      return true;
    }
  }
  return false;
}

// The entries of a that b lacks or holds otherwise.
std::vector<iz::MemoryRegistry::Entry> Changed(const std::vector<iz::MemoryRegistry::Entry>& a,
                                               const std::vector<iz::MemoryRegistry::Entry>& b) {
  std::vector<iz::MemoryRegistry::Entry> changed;
  for (const auto& e : a) {
    bool same = false;
    for (const auto& o : b) same = same || e == o;
    if (!same) changed.push_back(e);
  }
  return changed;
}

// netsh on a Windows 10 whose Wi-Fi adapter may be gone: it reports what it
// holds and takes what it is given.
struct MapNetsh : iz::TcpSettingsAccess {
  std::vector<iz::TcpValue> state = {{"rss", "enabled"},
                                     {"autotuninglevel", "disabled"},
                                     {"initialrto", "3000"},
                                     {"mtu@Ethernet 2", "1400"}};
  std::vector<iz::TcpValue> written;
  bool Read(const std::vector<std::string>& names, std::vector<iz::TcpValue>* values,
            std::string*) override {
    values->clear();
    for (const std::string& n : names)
      for (const iz::TcpValue& v : state)
        if (v.name == n) values->push_back(v);
    return true;
  }
  bool Write(const std::vector<iz::TcpValue>& values, std::string*) override {
    for (const iz::TcpValue& v : values) written.push_back(v);
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::Machine m((data[0] & 1) != 0, (data[0] & 2) != 0);
  const bool modern = (data[0] & 5) == 5;
  if (modern) m.platform.version = {iz::kVerPlatformWin32NT, 10, 0, "", 19045};
  MapNetsh netsh;
  m.platform.directories.insert(fuzz::kHistory);
  m.platform.files[fuzz::kHistory + "\\2026-12-07 14.03.12 #0001 Optimize.reg"] =
      std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto before = m.registry.Dump();
  const auto portsBefore = m.profiles.entries;
  iz::Journal journal(m.registry, m.profiles, m.platform, modern ? &netsh : nullptr);
  const iz::UndoPlan plan = journal.PlanUndo();
  fuzz::Check(plan.found);
  const iz::UndoResult undone = journal.Undo(plan);
  const auto after = m.registry.Dump();
  for (const iz::TcpValue& v : netsh.written) {
    fuzz::Check(iz::CheckTcpValue(iz::GetRunningWindows(m.platform), v).empty());
    bool held = false;
    for (const iz::TcpValue& b : plan.tcpBack) held = held || b == v;
    fuzz::Check(held);
  }
  if (!plan.damage.empty() || !plan.failure.empty()) {
    fuzz::Check(netsh.written.empty());
    fuzz::Check(after == before && m.profiles.entries == portsBefore);
    fuzz::Check(undone.written == 0 && !undone.failures.empty());
    return 0;
  }
  // Only the record's values, written or removed, and each as it says.
  for (const auto& e : Changed(after, before)) fuzz::Check(Holds(plan.values, e));
  for (const auto& e : Changed(before, after)) fuzz::Check(Holds(plan.values, e));
  if (undone.failures.empty()) {
    for (const iz::RegValueRecord& v : plan.values) {
      const auto now = m.registry.Get(v.root, v.keyPath, v.name);
      if (!m.registry.KeyExists(v.root, v.keyPath)) continue;  // an adapter that is gone
      fuzz::Check(v.present ? now && now->type == v.type && now->data == v.data : !now);
    }
  }
  return 0;
}
