#include "mtu/mtu_search.h"

#include "profiles/profile_table.h"
#include "store/error.h"

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
  std::string text = "Trying ";
  text += std::to_string(step.payload);
  text += step.attempt > 1 ? " bytes again..." : " bytes...";
  if (step.answer) {
    text += *step.answer == EchoAnswer::Passed   ? " passed"
            : *step.answer == EchoAnswer::TooBig ? " too big"
            : step.attempt < kTries              ? " no answer, trying again"
                                                 : " no answer";
  }
  return text;
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
  // The texts name the smallest size tried and its MTU as written here.
  static_assert(kSmallestPayload == 548 && kSmallestPayload + kEchoOverhead == 576);
  switch (result.outcome) {
    case MtuOutcome::Found: {
      std::string text = "Largest packet that passes unsplit: ";
      text += std::to_string(result.payload);
      text += " bytes, so the MTU is ";
      text += std::to_string(result.Mtu());
      text += '.';
      return text;
    }
    case MtuOutcome::NoAnswer:
      return FormatMessage(
          "%s does not answer pings: it, or a firewall on the way, drops them. Try another "
          "host, such as your default gateway or a well-known server.",
          host);
    case MtuOutcome::BelowFloor:
      return FormatMessage(
          "Even 548 bytes do not pass unsplit: the MTU of the path to %s is below 576.", host);
    case MtuOutcome::Stopped:
      break;
  }
  return std::string();
}

std::optional<std::uint32_t> ParseIPv4(const std::string& host) {
  // One to four numbers between dots, each decimal, octal after a leading 0
  // or hexadecimal after 0x; the last fills the bytes the others leave.
  std::uint32_t parts[4] = {};
  int count = 0;
  std::size_t at = 0;
  for (;;) {
    if (count == 4 || at >= host.size()) return std::nullopt;
    std::uint32_t base = 10;
    if (host[at] == '0') {
      base = 8;
      if (at + 1 < host.size() && (host[at + 1] == 'x' || host[at + 1] == 'X')) {
        base = 16;
        at += 2;
      }
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; at < host.size() && host[at] != '.'; ++at, ++digits) {
      const char c = host[at];
      std::uint32_t digit;
      if (c >= '0' && c <= '9') {
        digit = static_cast<std::uint32_t>(c - '0');
      } else if (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
        digit = static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
      } else {
        return std::nullopt;
      }
      if (digit >= base) return std::nullopt;
      value = value * base + digit;
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    if (digits == 0 && base != 8) return std::nullopt;
    parts[count++] = static_cast<std::uint32_t>(value);
    if (at == host.size()) break;
    ++at;  // the dot
  }
  std::uint32_t address = 0;
  for (int i = 0; i + 1 < count; ++i) {
    if (parts[i] > 0xFF) return std::nullopt;
    address |= parts[i] << (24 - 8 * i);
  }
  const std::uint32_t last = parts[count - 1];
  if (count > 1 && last >> (8 * (5 - count)) != 0) return std::nullopt;
  return address | last;
}

std::string RefusedAddress(std::uint32_t address, const std::string& host) {
  std::string text;
  if (address == 0xFFFFFFFFu || address >> 28 == 0xE) {
    text = host;
    text += address == 0xFFFFFFFFu ? " is the broadcast address" : " is a multicast address";
    text += ": give the address or name of one host";
  }
  return text;
}

std::string RefusedHost(const std::string& host) {
  // No host name holds a colon; every IPv6 address does.
  if (host.find(':') != std::string::npos)
    return "IPv6 is not supported yet: give an IPv4 address or a host name";
  const std::optional<std::uint32_t> address = ParseIPv4(host);
  return address ? RefusedAddress(*address, host) : std::string();
}

std::string UnresolvedText(const std::string& host) {
  return FormatMessage("Cannot find the host \"%s\": the name gives no address.", host);
}

void UseAsCustomMtu(Panel& panel, int mtu) {
  PlaceMtu(panel, mtu);
  panel.measuredMtu = mtu;
}

std::string UsedText(const Panel& panel) {
  const CheckBoxCtl* choice = panel.CheckedIn(Group::kMtu);
  std::string text;
  if (!choice || choice == &panel.mtuCustom) {
    text = "Custom MTU ";
    text += panel.customMtu.text;
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
