#include "win32/icmp_probe.h"

#include <winsock.h>
// After <winsock.h>: its types, none of its calls.
#include <ipexport.h>

#include <cstring>
#include <vector>

#include "store/error.h"
#include "win32/controls.h"
#include "win32/late_bound.h"

namespace iz::win32 {

namespace {

using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE icmp, IPAddr to, LPVOID request, WORD requestSize,
                                      PIP_OPTION_INFORMATION options, LPVOID reply, DWORD replySize,
                                      DWORD timeout);
using WsaStartupFn = int(WINAPI*)(WORD version, LPWSADATA data);
using WsaCleanupFn = int(WINAPI*)();
using InetAddrFn = unsigned long(WINAPI*)(const char* text);
using GetHostByNameFn = hostent*(WINAPI*)(const char* name);

constexpr UCHAR kDontFragment = 0x2;  // IP_FLAG_DF
constexpr DWORD kAnswerMilliseconds = 1000;

struct EchoCalls {
  IcmpCreateFileFn create = nullptr;
  IcmpCloseHandleFn close = nullptr;
  IcmpSendEchoFn send = nullptr;
  WsaStartupFn startup = nullptr;
  WsaCleanupFn cleanup = nullptr;
  InetAddrFn inetAddr = nullptr;
  GetHostByNameFn hostByName = nullptr;
  const char* unavailable = nullptr;  // why not, or null
};

bool LookUpIcmp(EchoCalls& c, const char* dll) {
  c.create = SystemFunction<IcmpCreateFileFn>(dll, "IcmpCreateFile");
  c.close = SystemFunction<IcmpCloseHandleFn>(dll, "IcmpCloseHandle");
  c.send = SystemFunction<IcmpSendEchoFn>(dll, "IcmpSendEcho");
  return c.create && c.close && c.send;
}

EchoCalls LookUp() {
  EchoCalls c;
  // iphlpapi.dll from Windows 98 and NT 4.0 SP4 on (XP's icmp.dll only
  // forwards to it); icmp.dll on the systems before.
  if (!LookUpIcmp(c, "iphlpapi.dll") && !LookUpIcmp(c, "icmp.dll")) {
    c.unavailable =
        "Finding the largest MTU needs ICMP.DLL or IPHLPAPI.DLL, and this Windows has neither.";
    return c;
  }
  c.startup = SystemFunction<WsaStartupFn>("wsock32.dll", "WSAStartup");
  c.cleanup = SystemFunction<WsaCleanupFn>("wsock32.dll", "WSACleanup");
  c.inetAddr = SystemFunction<InetAddrFn>("wsock32.dll", "inet_addr");
  c.hostByName = SystemFunction<GetHostByNameFn>("wsock32.dll", "gethostbyname");
  if (!c.startup || !c.cleanup || !c.inetAddr || !c.hostByName) {
    c.unavailable =
        "Finding the largest MTU needs the Windows sockets library (WSOCK32.DLL), which this "
        "Windows lacks.";
  }
  return c;
}

// Looked up once, on the main thread (the program's statics have no locks);
// the search's thread only reads them.
const EchoCalls& Calls() {
  static const EchoCalls calls = LookUp();
  return calls;
}

class IcmpProbe : public mtu::EchoProbe {
 public:
  // Opened in steps, so that the destructor undoes whatever a failing step
  // left started.
  explicit IcmpProbe(const EchoCalls& calls) : calls_(calls) {}

  void Open(const std::string& host) {
    WSADATA data;
    if (const int error = calls_.startup(MAKEWORD(1, 1), &data))
      throw Error("The Windows sockets library did not start: " + SystemErrorText(error));
    started_ = true;
    to_ = calls_.inetAddr(host.c_str());
    if (to_ == INADDR_NONE) {
      const hostent* found = calls_.hostByName(host.c_str());
      if (!found || found->h_addrtype != AF_INET || !found->h_addr_list[0])
        throw Error(mtu::UnresolvedText(host));
      std::memcpy(&to_, found->h_addr_list[0], sizeof(to_));
    }
    // A name may stand for a broadcast or multicast address, and the reader
    // of dotted addresses leaves 255.255.255.255 to the name lookup.
    const auto* b = reinterpret_cast<const unsigned char*>(&to_);
    const std::uint32_t address =
        static_cast<std::uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
    if (const std::string refused = mtu::RefusedAddress(address, host); !refused.empty())
      throw Error(refused);
    icmp_ = calls_.create();
    if (icmp_ == INVALID_HANDLE_VALUE) throw Error(SystemErrorText(GetLastError()));
  }
  ~IcmpProbe() override {
    if (icmp_ != INVALID_HANDLE_VALUE) calls_.close(icmp_);
    if (started_) calls_.cleanup();
  }
  IcmpProbe(const IcmpProbe&) = delete;
  IcmpProbe& operator=(const IcmpProbe&) = delete;

  mtu::EchoAnswer Echo(int payloadBytes) override {
    const std::vector<char> request(static_cast<std::size_t>(payloadBytes), 'z');
    // One reply with the echoed data, or an ICMP error with the 8 bytes it
    // quotes, and room to spare.
    std::vector<char> reply(sizeof(ICMP_ECHO_REPLY) + request.size() + 8 + 64);
    IP_OPTION_INFORMATION options{};
    options.Ttl = 128;
    options.Flags = kDontFragment;
    const DWORD replies = calls_.send(icmp_, to_, const_cast<char*>(request.data()),
                                      static_cast<WORD>(request.size()), &options, reply.data(),
                                      static_cast<DWORD>(reply.size()), kAnswerMilliseconds);
    // Without a reply the status is the last error: a packet too big for
    // this computer's own link never leaves it.
    const ULONG status =
        replies ? reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data())->Status : GetLastError();
    if (status == IP_SUCCESS && replies) return mtu::EchoAnswer::Passed;
    if (status == IP_PACKET_TOO_BIG) return mtu::EchoAnswer::TooBig;
    return mtu::EchoAnswer::NoAnswer;  // timed out, unreachable, and the rest
  }

 private:
  const EchoCalls& calls_;
  bool started_ = false;
  IPAddr to_ = INADDR_NONE;
  HANDLE icmp_ = INVALID_HANDLE_VALUE;
};

// MIB_IPFORWARDROW and MIB_IPFORWARDTABLE as iphlpapi.dll fills them.
struct ForwardRow {
  DWORD dest, mask, policy, nextHop, ifIndex, type, proto, age, nextHopAS;
  DWORD metric[5];
};
struct ForwardTable {
  DWORD count;
  ForwardRow rows[1];
};
using GetIpForwardTableFn = DWORD(WINAPI*)(ForwardTable* table, ULONG* size, BOOL sorted);

std::string Dotted(DWORD address) {
  // In network order: the first byte in memory is the first number.
  // wsprintfA: the C library's formatting engine would be far larger.
  const auto* b = reinterpret_cast<const unsigned char*>(&address);
  char text[16];
  wsprintfA(text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

}  // namespace

std::string EchoUnavailable() {
  const char* why = Calls().unavailable;
  return why ? why : "";
}

std::unique_ptr<mtu::EchoProbe> OpenEchoProbe(const std::string& host) {
  const EchoCalls& calls = Calls();
  if (calls.unavailable) throw Error(calls.unavailable);
  auto probe = std::make_unique<IcmpProbe>(calls);
  probe->Open(host);
  return probe;
}

std::string DefaultGateway() {
  const auto getTable = SystemFunction<GetIpForwardTableFn>("iphlpapi.dll", "GetIpForwardTable");
  if (!getTable) return std::string();
  ULONG size = 0;
  if (getTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size < sizeof(DWORD))
    return std::string();
  // DWORDs, for the table's alignment.
  std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
  auto* table = reinterpret_cast<ForwardTable*>(buffer.data());
  size = static_cast<ULONG>(buffer.size() * sizeof(DWORD));
  if (getTable(table, &size, FALSE) != NO_ERROR) return std::string();
  const ForwardRow* best = nullptr;
  for (DWORD i = 0; i < table->count; ++i) {
    const ForwardRow& row = table->rows[i];
    if (row.dest != 0 || row.mask != 0 || row.nextHop == 0) continue;
    if (!best || row.metric[0] < best->metric[0]) best = &row;
  }
  return best ? Dotted(best->nextHop) : std::string();
}

}  // namespace iz::win32
