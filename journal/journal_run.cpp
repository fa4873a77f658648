// The run that brackets a writing command with the journal's two steps.
#include <utility>

#include "journal/detail.h"
#include "journal/journal.h"
#include "model/title.h"
#include "store/error.h"

namespace iz {

using namespace journal_detail;

JournalRun::JournalRun(RawRegistry& registry, ProfileStrings& profiles, Platform& platform,
                       const char* command, WithoutRecord without)
    : journal_(registry, profiles, platform),
      platform_(platform),
      command_(command),
      without_(without) {}

JournalRun::~JournalRun() {
  if (!recorded_) return;
  try {
    journal_.Finish();
  } catch (...) {
    // The command's own failure is the one reported.
  }
}

BeforeWriting JournalRun::Before() {
  return [this] { RecordOrAsk({}); };
}

std::function<void(const std::vector<RegValueRecord>&)> JournalRun::BeforeWritingValues() {
  return [this](const std::vector<RegValueRecord>& values) { RecordOrAsk(values); };
}

void JournalRun::RecordOrAsk(const std::vector<RegValueRecord>& values) {
  const std::string reason = journal_.Record(command_, values);
  recorded_ = reason.empty();
  if (recorded_) return;
  if (without_ == WithoutRecord::Refuse) {
    Raise("Nothing was written: the change could not be recorded for Undo. %s", reason);
  }
  if (platform_.MessageBox(UnrecordedChangeQuestion(command_, reason), kAppTitle,
                           MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
    throw CommandStopped();
  }
}

void JournalRun::Discard() {
  // A record that cannot be removed is finished instead: it then says that
  // nothing changed.
  if (recorded_ && journal_.Discard()) recorded_ = false;
}

void JournalRun::Finish() {
  if (!recorded_) return;
  recorded_ = false;
  if (const std::string reason = journal_.Finish(); !reason.empty()) {
    Raise(kLeftNotRecorded, reason);
  }
}

std::string UnrecordedChangeQuestion(const std::string& command, const std::string& reason) {
  std::string text = "The settings as they are now could not be recorded before ";
  return text.append(command).append(":\n").append(reason).append(
      "\n\nThis change could not be undone. Do you want to go on?");
}

}  // namespace iz
