#pragma once
// The record's text and the rows it holds. Private to journal/.
//
// A record is a REGEDIT4 file that regedit imports as the settings were
// before the command; the ";#" lines carry what regedit need not see, the
// ";>" lines the values as the command left them:
//   ;#record 2                      the form
//   ;#family NT | 9x                whose part of the map the rows are
//   ;#account "name"                whose HKEY_CURRENT_USER
//   ;#extra [key] "name"            a row beyond the map, each once
//   ;#windows 10.0.19045            the Windows that took the TCP settings, with them only
//   ;#tcp "name"="value"            a modern TCP setting as it was
//   ;#before "COM1:"="..." | =-     the five ports as they were
//   the values as they were, as regedit writes them
//   -- what follows only once the command finished --
//   ;#after "COM1:"=...             the five ports as the command left them
//   ;#tcp-after "name"="value"|=-   each modern TCP setting, in ;#tcp's order
//   ;#new-key [key]                 a key the command created, deepest first
//   ;#new-section [Ports]           the command created Win.ini's [Ports]
//   ;>the values as the command left them
//   ;#end
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "journal/journal.h"
#include "model/os_kind.h"
#include "snapshot/snapshot.h"

namespace iz::journal_detail {

// --- The rows: the values a record holds.

// A value's place as one text, compared as the registry compares (case
// aside, one leading backslash aside), so that rows are found by sorting
// rather than by comparing each with every other.
std::string PlaceKey(HKey root, const std::string& key, const std::string& name);

// The rows of a record by place: the index of each.
class RowIndex {
 public:
  explicit RowIndex(const std::vector<RegValueRecord>& rows);
  // The index of the row at r's place, or npos; of rows at one place, the first.
  std::size_t Find(const RegValueRecord& r) const;

 private:
  std::vector<std::pair<std::string, std::size_t>> places_;
};

// The values a record of the family holds: the family's part of the map,
// each once, then the extra values that the map lacks, each once; mapRows
// is set to how many of them are the map's.
std::vector<RegValueRecord> RowsOf(map::System family, const std::vector<RegValueRecord>& extra,
                                   std::size_t* mapRows = nullptr);
// Whether the key root\path is the key of the other, or one above it.
bool AtOrAbove(HKey root, const std::string& path, HKey otherRoot, const std::string& otherPath);
// Whether the journal records a value beside the map: one of the map's
// (of either family: a saved Registry.reg may hold both) or one the adapter
// step writes, as Backup's reader accepts.
bool RecordableExtra(const RegValueRecord& r);
// Whether a key's name holds what a key line cannot: "]" or a control
// character.
bool HoldsControlOrBracket(const std::string& text);
// "HKLM\path".
std::string ShortKey(HKey root, const std::string& path);

// --- Writing. Each line is read back by ParseRecord, in this order.

enum class Part { Before, After };

// Raises when the record could not be read back: an account or a modern
// TCP setting that a quoted text cannot hold or the running Windows does
// not take, a row beyond the map (rows[mapRows] on) that the journal never
// records or whose key a key line cannot hold.
void CheckRecordable(const std::string& account, const std::vector<RegValueRecord>& rows,
                     std::size_t mapRows, const std::vector<TcpValue>& tcp,
                     const RunningWindows& running);
// The head: REGEDIT4, the note for a reader, ;#record, ;#family, ;#account.
void WriteHead(std::string& out, const std::string& command, map::System family,
               const std::string& account);
void WriteExtra(std::string& out, const RegValueRecord& row);
// The Windows that took the TCP settings, before their lines.
void WriteWindows(std::string& out, const VersionInfo& version);
void WriteTcp(std::string& out, const TcpValue& v);
// ;#before or ;#after for each port; a port that the reader would refuse
// raises.
void WritePorts(std::string& out, Part part, const std::vector<PortEntry>& ports);
// A modern TCP setting as the command left it: value null for none.
// Raises when the reader would refuse the value.
void WriteTcpAfter(std::string& out, const std::string& name, const std::string* value);
void WriteNewKey(std::string& out, const KeyName& key);
void WriteNewSection(std::string& out);
// The values of a part: those before as regedit writes them, those after on
// ";>" lines.
void WriteValues(std::string& out, Part part, const std::vector<RegValueRecord>& values);
void WriteEnd(std::string& out);

// --- Reading.

// A record read whole.
struct ParsedRecord {
  map::System family = map::System::Win9x;
  std::string account;
  std::vector<RegValueRecord> rows, before, after;  // before and after in the order of rows
  std::vector<PortEntry> portsBefore, portsAfter;
  std::vector<TcpValue> tcpBefore;
  std::vector<std::optional<std::string>> tcpAfter;  // in the order of tcpBefore
  // The Windows the TCP settings were taken on; without a ;#windows line
  // the running one.
  RunningWindows windows;
  std::vector<KeyName> newKeys;
  bool newSection = false;
  bool finished = false;
};

// The record's text, strictly: every line understood, the parts in their
// order, and every value of the rows and every port there before and, once
// the command finished, after it. Extra values only of the kinds the
// journal records, new keys only those of its rows, TCP values only those
// the record's Windows takes. Raises the first thing wrong, naming the file.
void ParseRecord(const std::string& text, const std::string& path, const std::string& command,
                 const RunningWindows& running, ParsedRecord* out);
// The values of a part, before or after the command, in the order of rows,
// each once; part holds its lines at their own line numbers, the others
// blank, so that the REGEDIT4 reader names the file's lines.
std::vector<RegValueRecord> ReadPartValues(const std::vector<std::string>& part,
                                           const std::string& path, const std::string& when,
                                           const std::vector<RegValueRecord>& rows,
                                           const RowIndex& index);
// Raises "<path> is not complete: <what>".
[[noreturn]] void Incomplete(const std::string& path, const std::string& what);

}  // namespace iz::journal_detail
