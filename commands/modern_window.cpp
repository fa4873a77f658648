// "&Modern TCP Settings...": netsh is read when the window opens, and its
// Apply is the one that `/tcp` runs too.
#include <memory>
#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "commands/modern_tcp.h"
#include "modern/tcp_table.h"

namespace iz {

namespace {

// The window's rows: every setting this Windows accepts, as it stands now.
std::vector<TcpSettingRow> RowsOf(int kind, const std::vector<TcpValue>& inForce) {
  std::vector<TcpSettingRow> rows;
  for (const TcpSettingInfo& s : TcpSettingsFor(kind)) {
    TcpSettingRow row{s.name, "", s.defaultValue, s.values, s.hurts, s.effect, ""};
    row.reported = false;
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
  return HasModernTcpSettings(RunningKind()) ? std::string() : kNeedsVista;
}

void TIZelvora::OnModernTcp() {
  const int kind = RunningKind();
  const std::unique_ptr<NetshAccess> netsh = OpenNetsh(platform_, kind);
  std::vector<TcpSettingRow> rows = RowsOf(kind, ReadTcpSettings(*netsh, kind));
  platform_.ShowModernTcp(&rows, [&](std::vector<TcpSettingRow>* shown) {
    std::string note;
    Dispatch([&] {
      std::vector<TcpValue> wanted;
      // Only what the user changed: a value in force that this version
      // does not take is shown as it is, and left so.
      for (const TcpSettingRow& r : *shown)
        if (!r.chosen.empty() && r.chosen != r.inForce) wanted.push_back({r.name, r.chosen});
      const TcpApplied applied = ApplyTcpSettings(registry_, profiles_, platform_, *netsh, kind,
                                                  wanted, WithoutRecord::Ask);
      *shown = RowsOf(kind, applied.inForce);
      note = std::to_string(applied.changed) +
             " settings changed. They take effect now; Undo Last Change puts them back.";
    });
    return note;
  });
}

}  // namespace iz
