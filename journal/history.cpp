#include "journal/history.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "journal/detail.h"
#include "journal/journal.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz {

namespace journal_detail {

namespace {

constexpr const char* kHistoryFolderName = "\\History";
constexpr std::size_t kSequenceDigits = 4;
constexpr const char* kNewTmp = ".new.tmp";
constexpr const char* kOldTmp = ".old.tmp";

constexpr const char* kUnableToCreateFolder = "Unable to create the folder %s";
constexpr const char* kUnableToList = "Unable to read the folder %s";
constexpr const char* kUnableToFinish = "Unable to finish %s, which was cut while it was written";

bool Digits(const std::string& s, std::size_t at, std::size_t count) {
  if (at + count > s.size()) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

int Number(const std::string& s, std::size_t at, std::size_t count) {
  int n = 0;
  for (std::size_t i = at; i < at + count; ++i) n = n * 10 + (s[i] - '0');
  return n;
}

// "2026-12-07 14.03.12" naming a moment that exists.
bool ValidStamp(const std::string& b) {
  const char* const pattern = "dddd-dd-dd dd.dd.dd";
  if (b.size() < kStampLength) return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    if (pattern[i] == 'd' ? !Digits(b, i, 1) : b[i] != pattern[i]) return false;
  }
  const int year = Number(b, 0, 4), month = Number(b, 5, 2), day = Number(b, 8, 2);
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year == 0 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  return Number(b, 11, 2) < 24 && Number(b, 14, 2) < 60 && Number(b, 17, 2) < 60;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) {
      return false;
    }
  }
  return true;
}

// The journal's listing of its folder, with each record that a replace by
// renames (the 9x family's) left cut finished the way that replace's mend
// finishes any file: X missing and X.new.tmp there, it moves in; X there,
// X.new.tmp is older and goes; X.old.tmp always goes. So a cut record is
// never silently passed over for the one before. The empty text when
// listed, else why not.
std::string ListHistory(Platform& platform, const std::string& history,
                        std::vector<std::string>* files) {
  if (!platform.ListFiles(history, files)) return Say(kUnableToList, history);
  // Left by a cut only: the listing is gone through once, and each leftover
  // looked for in it.
  const std::vector<std::string> names = *files;
  RecordName unused;
  const std::size_t tail = std::char_traits<char>::length(kNewTmp);
  for (const std::string& f : names) {
    const bool finished = EndsWithNoCase(f, kNewTmp), aside = EndsWithNoCase(f, kOldTmp);
    if (!finished && !aside) continue;
    const std::string target = f.substr(0, f.size() - tail);
    if (!ParseRecordName(target, kRecordExtension, &unused)) continue;
    const std::string path = InFolder(history, f);
    if (aside || std::find(names.begin(), names.end(), target) != names.end()) {
      platform.DeleteFile(path);
    } else if (platform.RenameFile(path, InFolder(history, target))) {
      files->push_back(target);
    } else {
      return Say(kUnableToFinish, InFolder(history, target));
    }
  }
  return std::string();
}

}  // namespace

bool ParseRecordName(const std::string& file, const std::string& extension, RecordName* r) {
  std::size_t cut = extension.size();
  r->setAside = EndsWithNoCase(file, extension + kSetAsideSuffix);
  if (r->setAside) {
    cut += std::char_traits<char>::length(kSetAsideSuffix);
  } else if (!EndsWithNoCase(file, extension)) {
    return false;
  }
  r->base = file.substr(0, file.size() - cut);
  const std::string& b = r->base;
  if (!ValidStamp(b)) return false;
  std::size_t at = kStampLength;
  r->sequence.clear();
  r->oldSequence = 0;
  if (b.compare(at, 2, " #") == 0) {
    std::size_t digits = 0;
    while (Digits(b, at + 2 + digits, 1)) ++digits;
    if (digits < kSequenceDigits) return false;
    const std::size_t first = b.find_first_not_of('0', at + 2);
    if (first >= at + 2 + digits) return false;  // #0000 is none
    r->sequence = b.substr(first, at + 2 + digits - first);
    at += 2 + digits;
  } else if (at < b.size() && b[at] == '.') {
    r->oldSequence = Digits(b, at + 1, 2) ? Number(b, at + 1, 2) : 0;
    if (r->oldSequence == 0) return false;
    at += 3;
  }
  r->commandAt = at + 1;
  return at + 1 < b.size() && b[at] == ' ';
}

std::string NextSequence(std::string digits) {
  std::size_t i = digits.size();
  for (; i > 0 && digits[i - 1] == '9'; --i) digits[i - 1] = '0';
  if (i == 0) {
    digits.insert(digits.begin(), '1');
  } else {
    ++digits[i - 1];
  }
  if (digits.size() < kSequenceDigits) digits.insert(0, kSequenceDigits - digits.size(), '0');
  return digits;
}

// A few dozen names at most: sorted by insertion.
std::vector<RecordName> RecordsIn(const std::vector<std::string>& files, const char* extension,
                                  bool withSetAside) {
  std::vector<RecordName> records;
  RecordName r;
  for (const std::string& f : files) {
    if (!ParseRecordName(f, extension, &r) || (r.setAside && !withSetAside)) continue;
    records.push_back(r);
    for (std::size_t at = records.size() - 1; at > 0 && records[at] < records[at - 1]; --at) {
      std::swap(records[at], records[at - 1]);
    }
  }
  return records;
}

// The newest record is the one with the highest number, whatever the clock
// said when each was made.
std::string HighestSequence(const std::vector<std::string>& files) {
  std::string sequence;
  for (const RecordName& r : RecordsIn(files, kRecordExtension, true)) {
    if (r.sequence.size() > sequence.size() ||
        (r.sequence.size() == sequence.size() && r.sequence > sequence)) {
      sequence = r.sequence;
    }
  }
  return sequence;
}

std::string StampOf(const DateTime& t) {
  std::string stamp = DateText(t);
  char separator = ' ';
  for (const int part : {t.hour, t.minute, t.second}) {
    stamp += separator;
    stamp += Decimal(part, 2);
    separator = '.';
  }
  return stamp;
}

std::string ShownTime(const std::string& stamp) {
  std::string shown = stamp;
  shown[13] = shown[16] = ':';
  return shown;
}

std::string InFolder(const std::string& folder, const std::string& name, const char* extension) {
  std::string path = folder;
  path.append("\\").append(name).append(extension);
  return path;
}

// Backup is checked before History is made in it: through a link, it would
// be made wherever the link leads. The Backup folder is made only when
// History cannot be made without it; both so that only the administrators
// may write in them.
std::string OpenHistory(Platform& platform, const std::string& backup, const std::string& history,
                        bool create, std::vector<std::string>* files) {
  std::string failure = LinkFailure(platform, backup);
  if (failure.empty() && create && !platform.DirectoryExists(history) &&
      !platform.CreateAdminsOnlyFolder(history) &&
      !(platform.CreateAdminsOnlyFolder(backup) && platform.CreateAdminsOnlyFolder(history))) {
    failure = Say(kUnableToCreateFolder, history);
  }
  if (failure.empty()) failure = LinkFailure(platform, history);
  if (failure.empty()) failure = FolderSafetyFailure(platform, backup);
  if (failure.empty()) failure = FolderSafetyFailure(platform, history);
  if (failure.empty()) failure = ListHistory(platform, history, files);
  return failure;
}

// The folder was listed before the new record was written; with it added
// that listing is what the folder holds now, but for what another instance
// wrote meanwhile, which the next record sees. A file that cannot be
// removed now is tried again next time.
void PruneHistory(Platform& platform, const std::string& history,
                  const std::vector<std::string>& files) {
  const std::vector<RecordName> records = RecordsIn(files, kRecordExtension);
  const std::size_t excess = records.size() > kJournalSize ? records.size() - kJournalSize : 0;
  for (std::size_t i = 0; i < excess; ++i) {
    platform.DeleteFile(InFolder(history, records[i].base, kRecordExtension));
  }
  for (const RecordName& p : RecordsIn(files, kOldPortsExtension)) {
    const bool kept =
        p.sequence.empty() &&
        std::any_of(records.begin() + static_cast<std::ptrdiff_t>(excess), records.end(),
                    [&](const RecordName& r) { return r.base == p.base; });
    if (!kept) platform.DeleteFile(InFolder(history, p.base, kOldPortsExtension));
  }
}

}  // namespace journal_detail

std::string HistoryFolder(Platform& platform) {
  return BackupFolder(platform) + journal_detail::kHistoryFolderName;
}

}  // namespace iz
