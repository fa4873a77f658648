#pragma once
// The search for the largest packet that crosses the path to a host without
// being split: ICMP echoes with don't-fragment set, halving the range of
// sizes between the smallest every IPv4 path must carry (576 bytes) and the
// Ethernet frame's (1500). The echoes themselves go through a seam, so the
// search runs the same against the network and against a test's script.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/panel.h"

namespace iz::mtu {

// The IP header (20 bytes) and the ICMP header (8) around an echo's payload.
inline constexpr int kEchoOverhead = 28;
inline constexpr int kSmallestPayload = 576 - kEchoOverhead;
inline constexpr int kLargestPayload = 1500 - kEchoOverhead;
// An echo without answer may be lost rather than too big: so many tries
// before a size counts as too big.
inline constexpr int kTries = 3;

enum class EchoAnswer { Passed, TooBig, NoAnswer };

// One host's echoes: each sends payloadBytes bytes with don't-fragment set
// and waits (a bounded time of the implementation's choosing) for the answer.
class EchoProbe {
 public:
  virtual ~EchoProbe() = default;
  virtual EchoAnswer Echo(int payloadBytes) = 0;
};

// Opens a probe to a host given by name or dotted address. Raises Error with
// UnresolvedText when the name gives no address, and with the reason when
// this system cannot send echoes at all.
using OpenProbe = std::function<std::unique_ptr<EchoProbe>(const std::string& host)>;

// One echo of the search, reported before it is sent (no answer yet) and
// again with its answer.
struct MtuStep {
  int payload = 0;
  int attempt = 1;  // 1 to kTries
  std::optional<EchoAnswer> answer;
};

// "Trying 1010 bytes..." before the echo, "Trying 1010 bytes... passed" after.
std::string StepText(const MtuStep& step);

// Called for every step; returning false stops the search at once.
using MtuProgress = std::function<bool(const MtuStep& step)>;

enum class MtuOutcome {
  Found,       // payload is the largest size that passed
  NoAnswer,    // not even the smallest size was answered
  BelowFloor,  // the smallest size was answered, as too big
  Stopped,     // the progress callback stopped it
};

struct MtuResult {
  MtuOutcome outcome = MtuOutcome::Stopped;
  int payload = 0;  // Found only
  int echoes = 0;   // echoes sent
  int Mtu() const { return payload + kEchoOverhead; }
};

// The largest payload below kLargestPayload that passes. The largest size is
// tried first, as most paths carry it whole, then the smallest, so that a
// host that answers nothing is known after a few echoes rather than after
// the whole halving.
MtuResult FindLargestPayload(EchoProbe& probe, const MtuProgress& progress);

// The result as one line for the user; empty when the search was stopped.
std::string ResultText(const MtuResult& result, const std::string& host);
// The error for a host name that gives no address.
std::string UnresolvedText(const std::string& host);

// Why host must not be pinged, or "" when it may. The echoes are IPv4's, so
// an IPv6 address is refused; so are the broadcast address 255.255.255.255
// and the multicast ones (224.0.0.0 to 239.255.255.255), which many hosts
// would answer at once, so that the answers say nothing about one path. An
// address is read in every form the system's own reader takes ("0xE0.1",
// "4294967295"). A subnet's broadcast address cannot be known from here;
// its answers come from that subnet's hosts alone.
std::string RefusedHost(const std::string& host);
// The same for the address a name gave, its first number in the top byte.
std::string RefusedAddress(std::uint32_t address, const std::string& host);
// The host as an IPv4 address when it is written as one, else nullopt.
std::optional<std::uint32_t> ParseIPv4(const std::string& host);

// "&Use as Custom MTU": puts the MTU into the panel as the user would
// (PlaceMtu: 576 and 1500 tick their own choices, any other number " Custom"
// with the number typed), and keeps it over any profile loaded after it.
void UseAsCustomMtu(Panel& panel, int mtu);
// What the window says once the MTU is in the panel: the panel's MTU as it
// now stands, since the window may cover it, and while no connection type
// is ticked that the MTU is kept and Optimize needs one first.
std::string UsedText(const Panel& panel);

}  // namespace iz::mtu
