// "&Modern TCP Settings...": netsh is read when the window opens, and its
// Apply is the one that `/tcp` runs too.
#include <memory>
#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "commands/modern_tcp.h"
#include "modern/tcp_table.h"
#include "store/error.h"

namespace iz {

namespace {

constexpr const char* kModernTcpRead =
    "Read from netsh just now. Apply sets the new values at once, with no restart; Undo Last "
    "Change puts them back.";

// The window's rows: every setting this Windows accepts, as it stands now.
std::vector<TcpSettingRow> RowsOf(const RunningWindows& windows,
                                  const std::vector<TcpValue>& inForce) {
  std::vector<TcpSettingRow> rows;
  for (const TcpSettingInfo& s : TcpSettingsFor(windows)) {
    TcpSettingRow row{s.name,  "",    s.defaultValue, s.values, s.hurts,
                      s.effect, "", false,           0,        0,       s.source};
    if (s.values.empty()) row.minimum = s.minimum, row.maximum = s.maximum;
    if (s.name == "autotuninglevel") row.effect += HeuristicsNote(windows, inForce);
    for (const TcpValue& v : inForce)
      if (v.name == s.name) row.inForce = row.chosen = v.value, row.reported = true;
    // A setting netsh leaves out cannot be changed: no new value is offered.
    if (!row.reported) {
      row.values.clear();
      row.hurts.clear();
      rows.push_back(std::move(row));
      continue;
    }
    // A number is typed; the values in force and by default are there to pick.
    if (row.values.empty()) {
      if (!row.inForce.empty()) row.values.push_back(row.inForce);
      if (s.defaultValue != kNotDocumented && s.defaultValue != row.inForce)
        row.values.push_back(s.defaultValue);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::string TIZelvora::ModernTcpUnavailable() {
  return HasModernTcpSettings(GetRunningWindows(platform_)) ? std::string() : kNeedsVista;
}

void TIZelvora::OnModernTcp() {
  const RunningWindows windows = GetRunningWindows(platform_);
  const std::unique_ptr<NetshAccess> netsh = OpenNetsh(platform_, windows);
  // Shown at once; what is in force comes with the reading.
  std::vector<TcpSettingRow> rows = RowsOf(windows, {});
  const auto read = [&](std::vector<TcpSettingRow>* shown) {
    std::string note;
    Dispatch([&] {
      *shown = RowsOf(windows, ReadTcpSettings(*netsh, windows));
      // A netsh that reports nothing offers nothing to change: Apply is off.
      note = NoneReported(*shown) ? kNetshReportedNothing : kModernTcpRead;
    });
    return note;
  };
  platform_.ShowModernTcp(&rows, read, [&](std::vector<TcpSettingRow>* shown) {
    std::string note;
    Dispatch([&] {
      std::vector<TcpValue> wanted;
      // Only what the user changed: a value in force that this version
      // does not take is shown as it is, and left so.
      for (const TcpSettingRow& r : *shown)
        if (!r.chosen.empty() && r.chosen != r.inForce) wanted.push_back({r.name, r.chosen});
      const TcpApplied applied = ApplyTcpSettings(registry_, profiles_, platform_, *netsh, windows,
                                                  wanted, WithoutRecord::Ask);
      *shown = RowsOf(windows, applied.inForce);
      note = CountText(applied.changed, "setting", "settings") +
             " changed. They take effect now; Undo Last Change puts them back.";
    });
    return note;
  });
}

}  // namespace iz
