// What Undo says: the question before, the statement on the command line,
// and what it tells once done.
#include <string>

#include "journal/journal.h"
#include "modern/in_force_text.h"
#include "store/error.h"

namespace iz {

namespace {

constexpr std::size_t kMostNamed = 5;

// A line of Undo's question: "\n2 values were ... kept: A, B, C, D, E and 3
// more." A port's name ends in a colon, which a full stop right after would
// seem to belong to.
// With account, the values belong to it: one or many, then "to the account
// ..." and "is kept" or "are kept".
void AddKept(std::string& text, const std::vector<std::string>& names, const char* one,
             const char* many, const std::string* account = nullptr) {
  if (names.empty()) return;
  text.append("\n").append(std::to_string(names.size())).append(names.size() == 1 ? one : many);
  if (account != nullptr) {
    text.append(" to the account ").append(*account).append(names.size() == 1 ? " and is kept: "
                                                                             : " and are kept: ");
  }
  for (std::size_t i = 0; i < names.size() && i < kMostNamed; ++i) {
    text.append(i == 0 ? "" : ", ").append(names[i]);
  }
  if (names.size() > kMostNamed) {
    text.append(" and ").append(std::to_string(names.size() - kMostNamed)).append(" more");
  }
  text.append(text.back() == ':' ? " ." : ".");
}

// lead, the command and its time, mark, then the lines of what Undo does.
std::string UndoLines(const UndoPlan& plan, const char* lead, const char* mark) {
  const std::size_t back = plan.values.size() + plan.portsBack.size() + plan.tcpBack.size();
  std::string text = lead;
  text.append(plan.command).append(" of ").append(plan.time).append(mark).append("\n");
  text.append(CountText(back, "value", "values")).append(" will be put back.");
  AddKept(text, plan.notHere, " value cannot be put back on this Windows and is kept: ",
          " values cannot be put back on this Windows and are kept: ");
  AddKept(text, plan.changedSince, " value was changed since and is kept: ",
          " values were changed since and are kept: ");
  AddKept(text, plan.otherAccount, " value belongs", " values belong", &plan.account);
  if (!plan.outsideKeys.empty()) {
    text.append("\nKeys beyond the parameter map that are changed: ");
    for (std::size_t i = 0; i < plan.outsideKeys.size(); ++i)
      text.append(i == 0 ? "" : ", ").append(plan.outsideKeys[i]);
    text.append(".");
  }
  return text;
}

}  // namespace

std::string UndoQuestion(const UndoPlan& plan) { return UndoLines(plan, "Undo ", "?"); }

std::string UndoStatement(const UndoPlan& plan) { return UndoLines(plan, "Undoing ", ":"); }

std::string SetAsideQuestion(const UndoPlan& plan) {
  std::string text = "The newest change cannot be undone:\n";
  return text.append(plan.damage)
      .append(".\n\nSet its record aside (it is kept as \"")
      .append(plan.record, plan.record.rfind('\\') + 1)
      .append(kSetAsideSuffix)
      .append("\") and undo the change before it?");
}

std::string UndoneText(const UndoResult& result) {
  if (result.written == 0) {
    std::string text = "Nothing was put back of the change made by ";
    return text.append(result.command).append(" on ").append(result.time).append(
        "; its record is removed.");
  }
  std::string text = "The change made by ";
  text.append(result.command)
      .append(" on ")
      .append(result.time)
      .append(" has been undone.");
  if (result.restart) {
    text += " Windows must be restarted before the restored settings take effect.";
  }
  AddKept(text, result.keptSince,
          " value was changed while the question was open and is kept: ",
          " values were changed while the question was open and are kept: ");
  if (const std::string now = InForceNowText(result.tcpWritten); !now.empty())
    text.append("\n\n").append(now);
  return text;
}

}  // namespace iz
