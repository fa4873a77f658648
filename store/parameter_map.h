#pragma once
// Every registry location and Win.ini entry the program touches, written once.
//
// How to use it:
//  - Step code (appliers, readers, restores) takes its key paths from the
//    k...Key constants below. There is one constant per spelling, because the
//    operations spell some keys differently ("SYSTEM\..." vs "System\...",
//    with or without a leading backslash) and the leading backslash matters to
//    the path rule: it resolves from the root even while a key is open. Use
//    the spelling the step uses; the comment on each constant says who does.
//  - Value names, section names and fixed texts come from the constants of the
//    same name (kDefaultTTL, kSectionMstcp, kPortsOptimized ...).
//  - kParameterMap lists every mapped registry value once, with its canonical
//    key (no leading backslash), its value name, the panel control it stands
//    for and what each operation does with it. The registry backup iterates
//    over it; tests compare an operation's whole write list against it.
//  - Fixed values (the restores' defaults, the appliers' NDI ranges, the
//    pairs the readers recognise as optimized) are taken from the table with
//    FixedText / FixedNumber, never restated in the step: the table is the
//    one place that says "8192" or "3600".
#include <cstddef>
#include <cstdint>

#include "store/error.h"
#include "store/raw_registry.h"

namespace iz::map {

// --- Key paths, one constant per spelling -----------------------------------

// TCP/IP service key: Apply NT's EnsureKey.
inline constexpr const char* kTcpipServiceKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip";
// TCP/IP parameters key as Apply NT spells it for its EnsureKey and its
// "DefaultTTL", and Restore NT for its "DefaultTTL".
inline constexpr const char* kTcpipParametersUpperKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
// The same key as every other use spells it.
inline constexpr const char* kTcpipParametersKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr const char* kTcpipInterfacesKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
// One subkey literally named "interface"; no adapter is enumerated.
inline constexpr const char* kTcpipInterfaceKey =
    "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\interface";
// The network adapters' own TCP/IP keys, found by enumeration: on 2000 and
// later one subkey per adapter GUID below kTcpipInterfacesKey, named in the
// connections key; on NT 4.0 Services\<service>\Parameters\Tcpip of each
// network card; on the 9x family the NetTrans instance of each TCP/IP
// binding of Enum\Network\MSTCP, named by the device bound to it in Enum.
inline constexpr const char* kNetworkConnectionsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kConnectionSubkey = "Connection";
inline constexpr const char* kConnectionName = "Name";
inline constexpr const char* kNetworkCardsKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
inline constexpr const char* kServiceName = "ServiceName";
inline constexpr const char* kTitle = "Title";
inline constexpr const char* kDescription = "Description";
inline constexpr const char* kServicesKey = "System\\CurrentControlSet\\Services";
inline constexpr const char* kServiceTcpipSubkey = "Parameters\\Tcpip";
inline constexpr const char* kEnumKey = "Enum";
inline constexpr const char* kNetworkBus = "Network";
inline constexpr const char* kMstcpBindingsKey = "Enum\\Network\\MSTCP";
inline constexpr const char* kBindingsSubkey = "Bindings";
inline constexpr const char* kMstcpBindingPrefix = "MSTCP\\";
inline constexpr const char* kDriver = "Driver";
inline constexpr const char* kNetTransDriverPrefix = "NetTrans\\";
inline constexpr const char* kDeviceDesc = "DeviceDesc";

inline constexpr const char* kNetbtParametersKey =
    "System\\CurrentControlSet\\Services\\Netbt\\Parameters";

// The VxD key, opened absolute with creation so the MSTCP strings become
// section strings of the section "MSTCP".
inline constexpr const char* kVxDAbsKey = "\\System\\CurrentControlSet\\Services\\VxD";
// MSTCP: DWORD writes, reads and removals.
inline constexpr const char* kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr const char* kMstcpParametersKey =
    "System\\CurrentControlSet\\Services\\VxD\\MSTCP\\Parameters";
// The restores' DWORD write into the MSTCP parameters key.
inline constexpr const char* kMstcpParametersAbsKey =
    "\\System\\CurrentControlSet\\Services\\VxD\\MSTCP\\Parameters";

// NDI parameters: the writers open it absolute and write the sections
// "cachesize", "maxconnect", "maxsockets"; the restores use the relative form.
inline constexpr const char* kNdiParamsAbsKey =
    "\\System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params";
inline constexpr const char* kNdiParamsKey =
    "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params";
// The NDI subkeys by full path: the readers, Apply NT's EnsureKey and DWORDs.
inline constexpr const char* kNdiCacheSizeKey =
    "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
inline constexpr const char* kNdiMaxConnectKey =
    "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect";
inline constexpr const char* kNdiMaxSocketsKey =
    "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets";

// Transport class: the writers open the class key absolute and write the
// sections "0000".."0002"; the restores open it relative for the section
// "0000" and each instance by its full path.
inline constexpr const char* kNetTransAbsKey =
    "\\System\\CurrentControlSet\\Services\\Class\\NetTrans";
inline constexpr const char* kNetTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans";
inline constexpr const char* kNetTrans0000Key =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
inline constexpr const char* kNetTrans0001Key =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
inline constexpr const char* kNetTrans0002Key =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002";

// Network class: Apply 9x opens the class key absolute for the sections
// "0000" and "0001". "SLOWNET" is reached absolute by Apply 9x and Restore NT,
// relative by all others.
inline constexpr const char* kNetClassAbsKey = "\\System\\CurrentControlSet\\Services\\Class\\Net";
inline constexpr const char* kNetClass0000AbsKey =
    "\\System\\CurrentControlSet\\Services\\Class\\Net\\0000";
inline constexpr const char* kNetClass0000Key =
    "System\\CurrentControlSet\\Services\\Class\\Net\\0000";
inline constexpr const char* kNetClass0001Key =
    "System\\CurrentControlSet\\Services\\Class\\Net\\0001";

inline constexpr const char* kVCacheKey = "System\\CurrentControlSet\\Services\\VxD\\VCACHE";
inline constexpr const char* kComBuffKey = "System\\CurrentControlSet\\Services\\VxD\\COMBUFF";

// HKCU. The appliers, Restore NT and the readers spell it "SOFTWARE"; Restore
// 95 and Restore 98 spell it "Software". The appliers never create it.
inline constexpr const char* kInternetSettingsUpperKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// --- Section names (subkeys written as section strings) ---------------------

inline constexpr const char* kSectionMstcp = "MSTCP";
inline constexpr const char* kSectionCacheSize = "cachesize";
inline constexpr const char* kSectionMaxConnect = "maxconnect";
inline constexpr const char* kSectionMaxSockets = "maxsockets";
// The fixed class instances: written whether or not the machine has them.
inline constexpr const char* kInstance0000 = "0000";
inline constexpr const char* kInstance0001 = "0001";
inline constexpr const char* kInstance0002 = "0002";

// --- Value names -------------------------------------------------------------

inline constexpr const char* kDefaultValue = "";  // a key's unnamed value

// NT TCP/IP and NetBT.
inline constexpr const char* kDefaultTTL = "DefaultTTL";
inline constexpr const char* kEnablePMTUDiscovery = "EnablePMTUDiscovery";
inline constexpr const char* kEnablePMTUBHDetect = "EnablePMTUBHDetect";
inline constexpr const char* kTcp1323Opts = "Tcp1323Opts";
inline constexpr const char* kSackOpts = "SackOpts";
inline constexpr const char* kTcpWindowSize = "TcpWindowSize";
inline constexpr const char* kGlobalMaxTcpWindowSize = "GlobalMaxTcpWindowSize";
inline constexpr const char* kTcpUseRFC1122UrgentPointer = "TcpUseRFC1122UrgentPointer";
inline constexpr const char* kTcpMaxDupAcks = "TcpMaxDupAcks";
inline constexpr const char* kMTU = "MTU";
inline constexpr const char* kSessionKeepAlive = "SessionKeepAlive";

// 9x MSTCP (DefaultTTL, Tcp1323Opts, SackOpts, SessionKeepAlive as above).
inline constexpr const char* kPMTUDiscovery = "PMTUDiscovery";
inline constexpr const char* kPMTUBlackHoleDetect = "PMTUBlackHoleDetect";
inline constexpr const char* kDefaultRcvWindow = "DefaultRcvWindow";
inline constexpr const char* kBSDUrgent = "BSDUrgent";
inline constexpr const char* kMaxDupAcks = "MaxDupAcks";
// Two distinct values: the 9x applier writes both, Restore 98 removes both.
inline constexpr const char* kGlobalMaxTcpWindoSize = "GlobalMaxTcpWindoSize";

// NDI, class instances, VCACHE and COMBUFF.
inline constexpr const char* kMin = "min";
inline constexpr const char* kMax = "max";
inline constexpr const char* kSlowNet = "SLOWNET";
inline constexpr const char* kStart = "Start";
inline constexpr const char* kMaxMTU = "MaxMTU";
inline constexpr const char* kMaxMSS = "MaxMSS";
inline constexpr const char* kIPMTU = "IPMTU";

// Browser connection limits (HKCU).
inline constexpr const char* kMaxConnectionsPerServer = "MaxConnectionsPerServer";
inline constexpr const char* kMaxConnectionsPer1_0Server = "MaxConnectionsPer1_0Server";

// --- The program's own first-use flag ---------------------------------------
// HKCU; "\SOFTWARE" is opened without creation, the flag is a section string.
inline constexpr HKey kFirstUseRoot = kHKCU;
inline constexpr const char* kSoftwareAbsKey = "\\SOFTWARE";
inline constexpr const char* kSectionZelvora = "Internet Zelvora";
inline constexpr const char* kFirstUse = "FirstUse";
inline constexpr const char* kFirstUseDefault = "1";  // absent: not shown yet
inline constexpr const char* kFirstUseShown = "0";
// The adapters Optimize leaves alone, by id, in the same key: an adapter
// that appears later is tuned, and one that is gone drops out of the list
// the next time it is saved.
inline constexpr const char* kUntickedAdapters = "UntickedAdapters";
// The virtual adapters the user ticked: they are left unticked unless named here.
inline constexpr const char* kTickedAdapters = "TickedAdapters";
inline constexpr char kAdapterIdSeparator = ';';


// --- Win.ini -----------------------------------------------------------------
inline constexpr const char* kWinIniName = "\\Win.ini";  // appended to the Windows directory
inline constexpr const char* kSectionPorts = "Ports";
// Written in this order; the readers look at the first four only.
inline constexpr const char* kComPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "COM5:"};
inline constexpr std::size_t kComPortsWritten = 5;
inline constexpr std::size_t kComPortsRead = 4;
inline constexpr const char* kPortsOptimized = "921600,n,8,1,p";  // the appliers
inline constexpr const char* kPortsDefault = "9600,n,8,1,x";      // the restores
inline constexpr const char* kPortsReadDefault = "Error";         // the readers' default

// --- The value table ---------------------------------------------------------

// Which table of locations a value belongs to.
enum class Family : std::uint8_t {
  NtTcpip,        // NT TCP/IP and NetBT (HKLM), touched by the NT operations only
  Win9xTcpip,     // MSTCP and MSTCP parameters (HKLM), 9x operations only
  Shared9x,       // NDI, SLOWNET, VCACHE, COMBUFF (HKLM), written by both families
  NetClass9x,     // transport and network class instances (HKLM), 9x operations only
  BrowserLimits,  // Internet Settings (HKCU), every operation
};
inline constexpr std::size_t kFamilyCount = 5;

// The operations, in the order of Cell arrays below.
enum class Op : std::uint8_t {
  ApplyNT,
  Apply9x,
  RestoreNT,
  Restore95,
  Restore98,
  ReadNT,
  Read9x,
};
inline constexpr std::size_t kOpCount = 7;

// What one operation does with one value.
enum class Act : std::uint8_t {
  None,    // not touched
  Dword,   // REG_DWORD
  String,  // REG_SZ (a section string where the key is reached through its parent)
  Binary,  // REG_BINARY, one byte
  Remove,  // deleted, silently when absent
  Read,    // read kind-directed (string or DWORD) or, for a binary, as one byte
};

struct Cell {
  Act act = Act::None;
  // The fixed value the operation writes, as decimal text ("128", "32", and
  // the byte "0"/"1" for a binary); nullptr when it comes from the panel.
  const char* fixed = nullptr;
};

struct Location {
  HKey root;
  const char* key;    // canonical path, no leading backslash
  const char* value;  // "" is the key's default value
  Family family;
  const char* control;  // panel control ("customRwin", "slowNet"), nullptr for none
  Cell ops[kOpCount];   // indexed by Op
};

constexpr Cell At(const Location& l, Op op) { return l.ops[static_cast<std::size_t>(op)]; }

namespace detail {
inline constexpr Cell _{};
inline constexpr Cell D{Act::Dword};
inline constexpr Cell S{Act::String};
inline constexpr Cell B{Act::Binary};
inline constexpr Cell Del{Act::Remove};
inline constexpr Cell R{Act::Read};
constexpr Cell DV(const char* v) { return Cell{Act::Dword, v}; }
constexpr Cell SV(const char* v) { return Cell{Act::String, v}; }
constexpr Cell BV(const char* v) { return Cell{Act::Binary, v}; }
}  // namespace detail

// Cells in the order ApplyNT, Apply9x, RestoreNT, Restore95, Restore98,
// ReadNT, Read9x.
// clang-format off
inline constexpr Location kParameterMap[] = {
  // NT family TCP/IP.
  {kHKLM, kTcpipParametersKey, kDefaultTTL, Family::NtTcpip, "customTtl",
   {detail::D, detail::_, detail::DV("128"), detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kEnablePMTUDiscovery, Family::NtTcpip, "autoDiscovery",
   {detail::D, detail::_, detail::DV("1"), detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kEnablePMTUBHDetect, Family::NtTcpip, "blackHoleDetect",
   {detail::D, detail::_, detail::DV("0"), detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kTcp1323Opts, Family::NtTcpip, "largeWindows",
   {detail::D, detail::_, detail::Del, detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kSackOpts, Family::NtTcpip, "sack",
   {detail::D, detail::_, detail::DV("1"), detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kTcpWindowSize, Family::NtTcpip, "customRwin",
   {detail::D, detail::_, detail::Del, detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kGlobalMaxTcpWindowSize, Family::NtTcpip, "customRwin",
   {detail::D, detail::_, detail::Del, detail::_, detail::_, detail::_, detail::_}},
  {kHKLM, kTcpipParametersKey, kTcpUseRFC1122UrgentPointer, Family::NtTcpip, "bsdUrgent",
   {detail::D, detail::_, detail::DV("0"), detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipParametersKey, kTcpMaxDupAcks, Family::NtTcpip, "maxDupAcks",
   {detail::D, detail::_, detail::DV("2"), detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kTcpipInterfaceKey, kTcpWindowSize, Family::NtTcpip, "customRwin",
   {detail::D, detail::_, detail::Del, detail::_, detail::_, detail::_, detail::_}},
  {kHKLM, kTcpipInterfaceKey, kMTU, Family::NtTcpip, "customMtu",
   {detail::D, detail::_, detail::Del, detail::_, detail::_, detail::R, detail::_}},
  {kHKLM, kNetbtParametersKey, kSessionKeepAlive, Family::NtTcpip, "customKeepAlive",
   {detail::D, detail::_, detail::DV("3600000"), detail::_, detail::_, detail::R, detail::_}},

  // 9x family TCP/IP. The Apply9x cells of the MSTCP key give Windows 95's
  // type: 98, 98 SE and Millennium read these values as strings, and the
  // applier writes the same numbers as decimal text there (KB 158474).
  {kHKLM, kMstcpKey, kDefaultTTL, Family::Win9xTcpip, "customTtl",
   {detail::_, detail::S, detail::_, detail::SV("32"), detail::SV("32"), detail::_, detail::R}},
  {kHKLM, kMstcpKey, kPMTUDiscovery, Family::Win9xTcpip, "autoDiscovery",
   {detail::_, detail::D, detail::_, detail::SV("1"), detail::SV("1"), detail::_, detail::R}},
  {kHKLM, kMstcpKey, kPMTUBlackHoleDetect, Family::Win9xTcpip, "blackHoleDetect",
   {detail::_, detail::D, detail::_, detail::SV("1"), detail::SV("1"), detail::_, detail::R}},
  {kHKLM, kMstcpKey, kTcp1323Opts, Family::Win9xTcpip, "largeWindows",
   {detail::_, detail::D, detail::_, detail::Del, detail::Del, detail::_, detail::R}},
  {kHKLM, kMstcpKey, kSackOpts, Family::Win9xTcpip, "sack",
   {detail::_, detail::D, detail::_, detail::SV("0"), detail::SV("0"), detail::_, detail::R}},
  {kHKLM, kMstcpKey, kDefaultRcvWindow, Family::Win9xTcpip, "customRwin",
   {detail::_, detail::D, detail::_, detail::SV("8192"), detail::SV("8192"), detail::_, detail::R}},
  {kHKLM, kMstcpKey, kSessionKeepAlive, Family::Win9xTcpip, "customKeepAlive",
   {detail::_, detail::D, detail::_, detail::SV("3600"), detail::SV("3600"), detail::_, detail::R}},
  {kHKLM, kMstcpKey, kBSDUrgent, Family::Win9xTcpip, "bsdUrgent",
   {detail::_, detail::D, detail::_, detail::_, detail::Del, detail::_, detail::R}},
  {kHKLM, kMstcpParametersKey, kMaxDupAcks, Family::Win9xTcpip, "maxDupAcks",
   {detail::_, detail::D, detail::_, detail::DV("3"), detail::DV("3"), detail::_, detail::R}},
  {kHKLM, kMstcpParametersKey, kTcp1323Opts, Family::Win9xTcpip, "largeWindows",
   {detail::_, detail::D, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kMstcpParametersKey, kSackOpts, Family::Win9xTcpip, "sack",
   {detail::_, detail::D, detail::_, detail::_, detail::Del, detail::_, detail::_}},
  {kHKLM, kMstcpParametersKey, kGlobalMaxTcpWindoSize, Family::Win9xTcpip, "customRwin",
   {detail::_, detail::D, detail::_, detail::_, detail::Del, detail::_, detail::_}},
  {kHKLM, kMstcpParametersKey, kGlobalMaxTcpWindowSize, Family::Win9xTcpip, "customRwin",
   {detail::_, detail::D, detail::_, detail::_, detail::Del, detail::_, detail::_}},

  // 9x locations written by both families.
  {kHKLM, kNdiCacheSizeKey, kDefaultValue, Family::Shared9x, "customCache",
   {detail::S, detail::S, detail::_, detail::SV("0"), detail::SV("0"), detail::R, detail::R}},
  {kHKLM, kNdiMaxConnectKey, kMin, Family::Shared9x, "maxConnect",
   {detail::DV("2"), detail::SV("2"), detail::_, detail::SV("1"), detail::SV("1"), detail::R, detail::R}},
  {kHKLM, kNdiMaxConnectKey, kMax, Family::Shared9x, "maxConnect",
   {detail::DV("128"), detail::SV("128"), detail::_, detail::SV("64"), detail::SV("64"), detail::R, detail::R}},
  {kHKLM, kNdiMaxSocketsKey, kMin, Family::Shared9x, "maxSocket",
   {detail::DV("32"), detail::SV("32"), detail::_, detail::SV("2"), detail::SV("2"), detail::R, detail::R}},
  {kHKLM, kNdiMaxSocketsKey, kMax, Family::Shared9x, "maxSocket",
   {detail::DV("1020"), detail::SV("1020"), detail::_, detail::SV("255"), detail::SV("255"), detail::R, detail::R}},
  {kHKLM, kNetClass0000Key, kSlowNet, Family::Shared9x, "slowNet",
   {detail::B, detail::B, detail::BV("1"), detail::BV("1"), detail::BV("1"), detail::R, detail::R}},
  {kHKLM, kVCacheKey, kStart, Family::Shared9x, "vcache",
   {detail::B, detail::B, detail::BV("1"), detail::BV("0"), detail::BV("0"), detail::R, detail::R}},
  {kHKLM, kComBuffKey, kStart, Family::Shared9x, "comBuffer",
   {detail::B, detail::B, detail::BV("1"), detail::BV("0"), detail::BV("0"), detail::R, detail::R}},

  // 9x network class values (m - 40 for MaxMSS is the applier's arithmetic).
  {kHKLM, kNetTrans0000Key, kMaxMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::R}},
  {kHKLM, kNetTrans0000Key, kMaxMSS, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetTrans0000Key, kIPMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::SV("1500"), detail::SV("1500"), detail::_, detail::_}},
  {kHKLM, kNetTrans0001Key, kMaxMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetTrans0001Key, kMaxMSS, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetTrans0001Key, kIPMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetTrans0002Key, kMaxMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetTrans0002Key, kMaxMSS, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetTrans0002Key, kIPMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetClass0000Key, kMaxMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetClass0000Key, kMaxMSS, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetClass0000Key, kIPMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetClass0001Key, kMaxMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetClass0001Key, kMaxMSS, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},
  {kHKLM, kNetClass0001Key, kIPMTU, Family::NetClass9x, "customMtu",
   {detail::_, detail::S, detail::_, detail::Del, detail::Del, detail::_, detail::_}},

  // Browser connection limits.
  {kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPerServer, Family::BrowserLimits, "maxConnections",
   {detail::D, detail::D, detail::Del, detail::Del, detail::Del, detail::R, detail::R}},
  {kHKCU, kInternetSettingsUpperKey, kMaxConnectionsPer1_0Server, Family::BrowserLimits, "maxConnections10",
   {detail::D, detail::D, detail::Del, detail::Del, detail::Del, detail::R, detail::R}},
};
// clang-format on

inline constexpr std::size_t kParameterCount = sizeof(kParameterMap) / sizeof(kParameterMap[0]);

namespace detail {
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr bool EqualNoCase(const char* a, const char* b) {
  for (; *a != '\0' && LowerAscii(*a) == LowerAscii(*b); ++a, ++b) {
  }
  return LowerAscii(*a) == LowerAscii(*b);
}
}  // namespace detail

// Case-insensitive ASCII comparison of key paths and value names, ignoring
// one leading backslash of either path: the registry's own rule.
constexpr bool SameKeyPath(const char* a, const char* b) {
  return detail::EqualNoCase(*a == '\\' ? a + 1 : a, *b == '\\' ? b + 1 : b);
}
constexpr bool SameName(const char* a, const char* b) { return detail::EqualNoCase(a, b); }

// The fixed text an operation writes to a mapped value, the key in any of
// its spellings: "128" for the maxconnect
// "max" of Apply 9x. A value the table gives none for stops the build where
// the call is a constant expression and throws otherwise.
constexpr const char* FixedText(const char* key, const char* value, Op op) {
  for (const Location& l : kParameterMap) {
    if (SameKeyPath(l.key, key) && SameName(l.value, value) && At(l, op).fixed != nullptr) {
      return At(l, op).fixed;
    }
  }
  throw Error("no fixed value in the parameter map");
}
// The same text as a number, for a DWORD or a byte.
constexpr std::uint32_t FixedNumber(const char* key, const char* value, Op op) {
  std::uint32_t n = 0;
  for (const char* text = FixedText(key, value, op); *text != '\0'; ++text) {
    n = n * 10 + static_cast<std::uint32_t>(*text - '0');
  }
  return n;
}

// The two families of Windows, each with operations of its own.
enum class System : std::uint8_t { Win9x, NT };
// Whether an operation of the family (its Optimize, restores or reader)
// touches the value: the values a journal record of that family holds.
constexpr bool OfSystem(const Location& l, System system) {
  const auto touches = [&l](Op op) { return At(l, op).act != Act::None; };
  return system == System::NT
             ? touches(Op::ApplyNT) || touches(Op::RestoreNT) || touches(Op::ReadNT)
             : touches(Op::Apply9x) || touches(Op::Restore95) || touches(Op::Restore98) ||
                   touches(Op::Read9x);
}

// The entry of a key and value name (any spelling of the key), or nullptr.
const Location* FindLocation(HKey root, const char* key, const char* value);

}  // namespace iz::map
