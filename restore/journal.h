#pragma once
// The journal of changes: before a command writes settings, the state it may
// change is recorded in Backup\History beside the program; Undo puts the
// newest record back and removes it, so that each Undo steps further back.
//
// A record is two files with one name:
//  - "<stamp> <command>.reg": every mapped registry value or its absence, in
//    the REGEDIT4 form of the backup's Registry.reg (regedit imports it too);
//  - "<stamp> <command>.ini": Win.ini's "COM1:" to "COM5:" of [Ports], one
//    line each, "COM1:"="value" or "COM1:"=- for an entry that was absent.
// The stamp is the local time, "2026-12-07 14.03.12", followed by ".01" to
// ".99" when a record of that second (or of a later one, after the clock was
// set back) exists, so that the names sort in the order the records were
// made. The .reg file is written last: without it there is no record.
#include <cstddef>
#include <string>
#include <vector>

#include "model/platform.h"
#include "store/before_writing.h"
#include "store/profile_file.h"
#include "store/raw_registry.h"

namespace iz {

inline constexpr std::size_t kJournalSize = 20;  // the newest records kept

// The Backup folder + "\History".
std::string HistoryFolder(Platform& platform);

struct UndoResult {
  bool found = false;                 // false: there was no record, nothing changed
  std::string command;                // the command whose change was undone
  std::string time;                   // when it was made: "2026-12-07 14:03:12"
  std::vector<std::string> failures;  // empty: put back, and the record removed
};

class Journal {
 public:
  Journal(RawRegistry& registry, ProfileStrings& profiles, Platform& platform);

  // Records what command may change, then removes all but the newest
  // kJournalSize records. The empty text when recorded, else why it was not
  // (nothing of the record is left then).
  std::string Record(const std::string& command);

  // Reads the whole newest record first (a record that is not fully
  // understood changes nothing), puts back every value and entry, and removes
  // the record only when all of them went back. Every failure is listed.
  UndoResult UndoLast();

 private:
  RawRegistry& registry_;
  ProfileStrings& profiles_;
  Platform& platform_;
};

// The question asked when a change is about to be made without a record.
std::string UnrecordedChangeQuestion(const std::string& command, const std::string& reason);
// What Undo tells after it put a change back.
std::string UndoneText(const UndoResult& result);
inline constexpr const char* kNothingToUndo = "There is no change to undo.";

}  // namespace iz
