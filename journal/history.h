#pragma once
// The journal's folder: the records' names, the listing, and which records
// go once there are more than kJournalSize. Private to journal/.
#include <cstddef>
#include <string>
#include <vector>

#include "model/platform.h"

namespace iz::journal_detail {

inline constexpr const char* kRecordExtension = ".reg";
// An older version kept the ports in a second file of the record's name.
inline constexpr const char* kOldPortsExtension = ".ini";
inline constexpr std::size_t kStampLength = 19;  // "2026-12-07 14.03.12"

// A record's name taken apart: "<stamp> #<sequence> <command>.reg", or an
// older version's "<stamp>[.NN] <command>.reg"; ".damaged" after either when
// set aside. The sequence has as many digits as it needs: compared as
// digits, it has no highest number.
struct RecordName {
  std::string base;  // the file name without extension: the stamp first
  std::size_t commandAt = 0;
  std::string sequence;  // its digits, no leading zero; empty: an older version's record
  int oldSequence = 0;   // its ".NN"
  bool setAside = false;

  bool operator<(const RecordName& o) const {
    if (sequence.size() != o.sequence.size()) return sequence.size() < o.sequence.size();
    if (sequence != o.sequence) return sequence < o.sequence;
    const int stamps = base.compare(0, kStampLength, o.base, 0, kStampLength);
    return stamps != 0 ? stamps < 0 : oldSequence < o.oldSequence;
  }
};

// Only files of exactly the journal's form count; anything else a user put
// into the folder is left alone.
bool ParseRecordName(const std::string& file, const std::string& extension, RecordName* r);
// The number after sequence ("" for none yet), at least four digits.
std::string NextSequence(std::string digits);
// The records in the order they were made; set-aside ones only when asked.
std::vector<RecordName> RecordsIn(const std::vector<std::string>& files, const char* extension,
                                  bool withSetAside = false);
// The highest sequence among the records of files, set-aside ones too.
std::string HighestSequence(const std::vector<std::string>& files);

// "2026-12-07 14.03.12": the stamp a record's name starts with.
std::string StampOf(const DateTime& t);
// "2026-12-07 14.03.12" as people write it: "2026-12-07 14:03:12".
std::string ShownTime(const std::string& stamp);
// A file of folder: folder\name then the extension.
std::string InFolder(const std::string& folder, const std::string& name,
                     const char* extension = "");

// The folders checked, History made first when create is set, and listed:
// the empty text, else why they cannot be used.
std::string OpenHistory(Platform& platform, const std::string& backup, const std::string& history,
                        bool create, std::vector<std::string>* files);
// Removes all but the newest kJournalSize records of files (the folder's
// listing with the new record added), and an older version's ports part
// whose record is gone.
void PruneHistory(Platform& platform, const std::string& history,
                  const std::vector<std::string>& files);

}  // namespace iz::journal_detail
