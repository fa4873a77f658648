// The names of the journal's records, one per line of the input, as files of
// History: the record Undo takes is one whose name is a record's (a date and
// time that exist, "#" and a number of four digits or more, a command), the
// one with the highest number; a record made next takes a number above
// every other and is the one Undo takes then, however many digits it needs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/journal_rig.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

int Number(const std::string& s, std::size_t at, std::size_t n) {
  int v = 0;
  for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
  return v;
}

// "yyyy-mm-dd hh.mm.ss #nnnn command.reg" whose day exists, by a calendar
// of its own; the number's digits without leading zeros, or "" for none.
std::string SequenceOf(const std::string& name) {
  const std::string pattern = "dddd-dd-dd dd.dd.dd #";
  if (name.size() < pattern.size() + 4 + 2 + 4) return "";
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == 'd' ? !Digit(name[i]) : name[i] != pattern[i]) return "";
  }
  const int year = Number(name, 0, 4), month = Number(name, 5, 2), day = Number(name, 8, 2);
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year == 0 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return "";
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return "";
  if (Number(name, 11, 2) > 23 || Number(name, 14, 2) > 59 || Number(name, 17, 2) > 59) return "";
  std::size_t end = pattern.size();
  while (end < name.size() && Digit(name[end])) ++end;
  if (end - pattern.size() < 4 || end + 1 >= name.size() - 4 || name[end] != ' ') return "";
  std::string lower = name.substr(name.size() - 4);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower != ".reg") return "";
  const std::size_t first = name.find_first_not_of('0', pattern.size());
  return first >= end ? "" : name.substr(first, end - first);
}

bool Higher(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() > b.size() : a > b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Machine m(true, false);
  m.platform.directories.insert(fuzz::kHistory);
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string highest;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string name = text.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos)
      continue;
    m.platform.files[fuzz::kHistory + "\\" + name] = "REGEDIT4\r\n";
    const std::string sequence = SequenceOf(name);
    if (!sequence.empty() && Higher(sequence, highest)) highest = sequence;
  }
  iz::Journal journal(m.registry, m.profiles, m.platform);
  const iz::UndoPlan plan = journal.PlanUndo();
  if (highest.empty()) {
    fuzz::Check(plan.record.empty() || plan.damage.find("older version") != std::string::npos);
  } else {
    fuzz::Check(SequenceOf(plan.record.substr(fuzz::kHistory.size() + 1)) == highest);
  }
  if (!journal.Record(iz::kOptimizeCommand).empty()) return 0;
  fuzz::Check(journal.Finish().empty());
  const std::string made = journal.PlanUndo().record.substr(fuzz::kHistory.size() + 1);
  const std::string next = SequenceOf(made);
  fuzz::Check(!next.empty() && (highest.empty() || Higher(next, highest)));
  return 0;
}
