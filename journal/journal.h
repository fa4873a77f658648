#pragma once
// The journal of changes: around each command that writes settings, what it
// may change is recorded in Backup\History beside the program, as it stood
// before the command and as the command left it; Undo puts back what is
// still as the command left it and removes the record, so that each Undo
// steps further back. README, "The journal and Undo Last Change", gives the
// record's form.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/adapters.h"
#include "model/platform.h"
#include "modern/tcp_settings.h"
#include "snapshot/reg_file.h"
#include "store/before_writing.h"
#include "store/parameter_map.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

inline constexpr std::size_t kJournalSize = 20;  // the newest records kept

// The Backup folder + "\History".
std::string HistoryFolder(Platform& platform);

// A registry key by its root and path, for the keys a command created.
struct KeyName {
  HKey root = kHKLM;
  std::string path;
};

// What Undo of the newest record would do, worked out without writing.
struct UndoPlan {
  bool found = false;                  // false: there is no record, nothing to do
  std::string failure;                 // the folder cannot be used; nothing else is set
  std::string damage;                  // the newest record cannot be used (it may be set aside)
  std::string record;                  // the record's path
  std::string command;                 // the command that made it
  std::string time;                    // when: "2026-12-07 14:03:12"
  std::string account;                 // whose HKEY_CURRENT_USER it recorded
  std::vector<RegValueRecord> values;  // put back: as they were before the command
  std::vector<RegValueRecord> left;    // each of values as the command left it
  std::vector<std::string> valueNames;  // each of values as the question names it
  std::vector<std::size_t> portsBack;  // the ports put back, as portsBefore holds them
  std::vector<std::optional<std::string>> portsBefore, portsAfter;
  std::vector<TcpValue> tcpBack;          // the modern TCP settings put back, as they were
  std::vector<TcpValue> tcpLeft;          // each of tcpBack as the command left it
  std::vector<TcpValue> tcpHere;          // of the record's, those this Windows takes
  std::vector<std::string> notHere;       // kept: TCP settings this Windows does not take
  std::size_t unchanged = 0;              // put back already (a previous Undo that stopped)
  std::vector<std::string> changedSince;  // kept: changed since the command
  std::vector<std::string> otherAccount;  // kept: another account's values
  std::vector<KeyName> createdKeys;       // deepest first
  std::vector<std::string> outsideKeys;   // the keys written or removed that the map lacks
  bool createdPortsSection = false;
};

struct UndoResult {
  bool found = false;                 // false: there was no record, nothing changed
  std::string command;                // the command whose change was undone
  std::string time;                   // when it was made: "2026-12-07 14:03:12"
  std::vector<std::string> failures;  // empty: put back, and the record removed
  std::size_t written = 0;            // the values written back
  std::vector<std::string> keptSince;  // changed while the question was open, so kept
  bool restart = false;                // a registry value or a port was written
  std::vector<TcpValue> tcpWritten;    // the TCP settings and MTUs netsh put back
};

class Journal {
 public:
  // tcp reads and sets the modern TCP settings for Undo; without it a
  // record that changed them cannot be undone here.
  Journal(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
          TcpSettingsAccess* tcp = nullptr);
  ~Journal();

  // Before writing: records every value of the running family's map, the
  // extra values given (any the map lacks) and the five ports, then removes
  // all but the newest kJournalSize records. The empty text when recorded,
  // else why it was not (nothing of the record is left then).
  std::string Record(const std::string& command, const std::vector<RegValueRecord>& extra = {});
  // Before Record: the modern TCP settings the command is about to change,
  // as they stand; the record holds them, and Finish reads them again
  // through access, or takes what SetTcpAfter gave.
  void AddTcpValues(TcpSettingsAccess& access, std::vector<TcpValue> before);
  void SetTcpAfter(std::vector<TcpValue> after);
  // Removes the record Record made, for a command that changed nothing
  // after all (put back whole): false when it cannot be removed.
  bool Discard();
  // The adapters of a kind that the command writes to: those the user left
  // ticked. Found once for both: when kind is the running one, the next
  // Record takes every adapter's values from this finding instead of looking
  // again.
  std::vector<Adapter> TickedAdapters(int kind);
  // After writing, whether the command finished or stopped at a failure: adds
  // to the record that Record made what the command left, and the keys and
  // the [Ports] section that it created. The empty text when done.
  std::string Finish();

  // Reads the newest record whole and compares it with the settings now. A
  // record whose changes are all put back already (an Undo that could not
  // remove it) is removed or set aside first, or else passed over.
  UndoPlan PlanUndo();
  // Puts back what the plan says, but for what changed while the question was
  // open (read again just before writing, kept and named), removes the keys
  // (and the [Ports] section) that the command created and that are empty
  // now, and removes the record when all of it went back. Every failure is
  // listed.
  UndoResult Undo(const UndoPlan& plan);
  // Renames a damaged record so that it is kept but no longer the newest:
  // the empty text when done.
  std::string SetAside(const UndoPlan& plan);

 private:
  struct Pending;
  // PlanUndo of the record `skip` places before the newest.
  UndoPlan PlanUndoOf(std::size_t skip);
  RawRegistry& registry_;
  ProfileStrings& profiles_;
  Platform& platform_;
  TcpSettingsAccess* tcp_;
  std::unique_ptr<Pending> pending_;
  // What AddTcpValues and SetTcpAfter gave, for Record and Finish.
  TcpSettingsAccess* tcpAccess_ = nullptr;
  std::vector<TcpValue> tcpBefore_;
  std::optional<std::vector<TcpValue>> tcpAfter_;
  // What TickedAdapters found, for Record: every adapter's values.
  bool adaptersFound_ = false;
  std::vector<RegValueRecord> adapterRows_;
};

// One writing command between the journal's two steps. Before() is the step
// the command takes right before its first write: the state is recorded;
// when it cannot be, the window asks whether to go on without a record (No
// stops the command), and the command line, where nobody can answer, stops
// with the reason. Finish(), once the command went well, adds what it left,
// and raises kLeftNotRecorded when it cannot; a command that stopped at a
// failure has it added as the run ends, quietly.
enum class WithoutRecord { Ask, Refuse };
class JournalRun {
 public:
  JournalRun(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
             const char* command, WithoutRecord without);
  ~JournalRun();
  JournalRun(const JournalRun&) = delete;
  JournalRun& operator=(const JournalRun&) = delete;

  BeforeWriting Before();
  // As Before, for a command that writes values it read from a file: they
  // join the record beside the map and the adapters.
  std::function<void(const std::vector<RegValueRecord>& values)> BeforeWritingValues();
  void Finish();
  // A command that left everything as it was (a refusal put back whole):
  // its record goes, so that the next Undo reaches the change before it.
  void Discard();
  // Called before Before(): the modern TCP settings the command is about to
  // change, as they stand now, and how to read them again once it is done
  // (unless SetTcpAfter gives them).
  void AddTcpValues(TcpSettingsAccess& access, std::vector<TcpValue> before) {
    journal_.AddTcpValues(access, std::move(before));
  }
  void SetTcpAfter(std::vector<TcpValue> after) { journal_.SetTcpAfter(std::move(after)); }
  // The journal's: the adapters are looked for once, for the record too.
  std::vector<Adapter> TickedAdapters(int kind) { return journal_.TickedAdapters(kind); }

 private:
  Journal journal_;
  Platform& platform_;
  const char* command_;
  WithoutRecord without_;
  bool recorded_ = false;
  // What Before and BeforeWritingValues run.
  void RecordOrAsk(const std::vector<RegValueRecord>& values);
};

// The question asked when a change is about to be made without a record.
std::string UnrecordedChangeQuestion(const std::string& command, const std::string& reason);
// What Undo is about to do: "Undo Optimize of 2026-12-07 14:03:12?", the
// values put back and those kept, one line each.
std::string UndoQuestion(const UndoPlan& plan);
// The same said without asking, as the command line does: "Undoing Optimize
// of 2026-12-07 14:03:12:" and the same lines.
std::string UndoStatement(const UndoPlan& plan);
// The question asked when the newest record cannot be used.
std::string SetAsideQuestion(const UndoPlan& plan);
// What Undo tells after it put a change back.
std::string UndoneText(const UndoResult& result);
// Raised when the command went well but what it left could not be recorded.
inline constexpr const char* kLeftNotRecorded =
    "The change was made, but what it left could not be recorded, so Undo cannot put it back: "
    "%s";
inline constexpr const char* kNothingToUndo = "There is no change to undo.";
inline constexpr const char* kSetAsideSuffix = ".damaged";
inline constexpr const char* kTcpNotHere =
    "%s changed the modern TCP settings, which cannot be read or set here; nothing was changed";

}  // namespace iz
