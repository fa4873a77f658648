#include "mtu/mtu_search.h"

#include "profiles/profile_table.h"

namespace iz::mtu {

namespace {

// The search's state; Send returns nullopt once the caller has stopped it.
class Search {
 public:
  Search(EchoProbe& probe, const MtuProgress& progress) : probe_(probe), progress_(progress) {}

  // The answer for a size: a lost echo is sent again, up to kTries in all;
  // "too big" counts at once.
  std::optional<EchoAnswer> Try(int payload) {
    for (int attempt = 1; attempt <= kTries; ++attempt) {
      MtuStep step{payload, attempt, std::nullopt};
      if (!Report(step)) return std::nullopt;
      step.answer = probe_.Echo(payload);
      ++echoes_;
      if (!Report(step)) return std::nullopt;
      if (*step.answer != EchoAnswer::NoAnswer) return step.answer;
    }
    return EchoAnswer::NoAnswer;
  }

  MtuResult Result(MtuOutcome outcome, int payload = 0) const {
    return MtuResult{outcome, payload, echoes_};
  }

 private:
  bool Report(const MtuStep& step) { return !progress_ || progress_(step); }

  EchoProbe& probe_;
  const MtuProgress& progress_;
  int echoes_ = 0;
};

}  // namespace

std::string StepText(const MtuStep& step) {
  std::string text = "Trying " + std::to_string(step.payload) + " bytes";
  if (step.attempt > 1) text += " again";
  text += "...";
  if (!step.answer) return text;
  switch (*step.answer) {
    case EchoAnswer::Passed:
      return text + " passed";
    case EchoAnswer::TooBig:
      return text + " too big";
    case EchoAnswer::NoAnswer:
      break;
  }
  return text + (step.attempt < kTries ? " no answer, trying again" : " no answer");
}

MtuResult FindLargestPayload(EchoProbe& probe, const MtuProgress& progress) {
  Search search(probe, progress);
  std::optional<EchoAnswer> answer = search.Try(kLargestPayload);
  if (!answer) return search.Result(MtuOutcome::Stopped);
  if (*answer == EchoAnswer::Passed) return search.Result(MtuOutcome::Found, kLargestPayload);
  answer = search.Try(kSmallestPayload);
  if (!answer) return search.Result(MtuOutcome::Stopped);
  if (*answer == EchoAnswer::NoAnswer) return search.Result(MtuOutcome::NoAnswer);
  if (*answer == EchoAnswer::TooBig) return search.Result(MtuOutcome::BelowFloor);
  // passes always passed, fails never did.
  int passes = kSmallestPayload, fails = kLargestPayload;
  while (fails - passes > 1) {
    const int middle = passes + (fails - passes) / 2;
    answer = search.Try(middle);
    if (!answer) return search.Result(MtuOutcome::Stopped);
    (*answer == EchoAnswer::Passed ? passes : fails) = middle;
  }
  return search.Result(MtuOutcome::Found, passes);
}

std::string ResultText(const MtuResult& result, const std::string& host) {
  switch (result.outcome) {
    case MtuOutcome::Found:
      return "Largest packet that passes unsplit: " + std::to_string(result.payload) +
             " bytes, so the MTU is " + std::to_string(result.Mtu()) + ".";
    case MtuOutcome::NoAnswer:
      return host +
             " does not answer pings: it, or a firewall on the way, drops them. Try another "
             "host, such as your default gateway or a well-known server.";
    case MtuOutcome::BelowFloor:
      return "Even " + std::to_string(kSmallestPayload) + " bytes do not pass unsplit: the MTU " +
             "of the path to " + host + " is below " +
             std::to_string(kSmallestPayload + kEchoOverhead) + ".";
    case MtuOutcome::Stopped:
      break;
  }
  return std::string();
}

std::string UnresolvedText(const std::string& host) {
  return "Cannot find the host \"" + host + "\": the name gives no address.";
}

void UseAsCustomMtu(Panel& panel, int mtu) {
  PlaceMtu(panel, mtu);
  panel.measuredMtu = mtu;
}

std::string UsedText(const Panel& panel) {
  const CheckBoxCtl* choice = panel.CheckedIn(Group::kMtu);
  std::string text;
  if (!choice || choice == &panel.mtuCustom) {
    text = "Custom MTU " + panel.customMtu.text;
  } else {
    // The caption without its leading blank: "1500 (LAN)".
    text = choice->caption;
    text.erase(0, text.find_first_not_of(' '));
  }
  text += " ticked in the panel.";
  if (!panel.CheckedIn(Group::kType))
    text += " It is kept when you choose a connection type, which Optimize needs first.";
  return text;
}

}  // namespace iz::mtu
