#pragma once
// The TCP settings of Windows Vista and later as data: which Windows accepts
// each, the values it takes, its default on each version, what it does and
// where that is written. Pure code on top turns chosen values into netsh's
// command lines and reads netsh's answers back into values; nothing here
// runs netsh (modern/netsh.h does).
#include <cstdint>
#include <string>
#include <vector>

#include "model/os_kind.h"
#include "modern/tcp_settings.h"

namespace iz {

// The default of a setting that Microsoft does not document for a version.
inline constexpr const char* kNotDocumented = "not documented";
inline constexpr const char* kNeedsVista = "The modern TCP settings need Windows Vista or later.";

// One setting as a Windows offers it. The table's rows are keyed by kind,
// build and edition: a server's defaults are not its client's (Compound TCP
// on Server 2008, ECN on Server 2012), and Windows 10's change with its
// builds (cubic accepted from 1703 on and the default from 1709 on).
struct TcpSettingInfo {
  std::string name;                        // netsh's: "autotuninglevel"
  std::vector<std::string> values;         // the words it takes; empty: a number
  std::uint32_t minimum = 0, maximum = 0;  // a number's range
  std::string defaultValue;                // this version's default, or kNotDocumented
  std::vector<std::string> hurts;          // values that hurt in common use
  std::string effect;                      // one line: what it does, what hurts, what is disputed
  std::string source;  // where the effect, the default and the range are documented: a
                       // page's title and address, or "reported:" and the reports
};

// Vista and later: the systems whose stack netsh tunes.
bool HasModernTcpSettings(const RunningWindows& windows);
// The settings a Windows accepts, in the table's order; none before Vista.
std::vector<TcpSettingInfo> TcpSettingsFor(const RunningWindows& windows);
// What the auto-tuning row adds when Windows Scaling heuristics are on where
// they can override its level (Vista to 8): the level in force may then be
// theirs. Empty otherwise.
std::string HeuristicsNote(const RunningWindows& windows, const std::vector<TcpValue>& inForce);
// Their names alone.
std::vector<std::string> TcpSettingNames(const RunningWindows& windows);

// The empty text when the Windows accepts the value, else why not:
// "Windows 7 has no TCP setting \"rsc\"" or "\"autotuninglevel\" takes
// disabled, highlyrestricted, restricted, normal or experimental on Windows
// 7, not \"fast\"". An interface MTU ("mtu@" + connection name) takes 576 to
// 65535, its IPv6 MTU ("mtu6@" + connection name) 1280 to 65535.
std::string CheckTcpValue(const RunningWindows& windows, const TcpValue& value);

// The netsh command that sets one value, without "netsh" in front:
// "interface tcp set global autotuninglevel=normal"; the congestion provider
// is a global setting on Vista and 7 and the "internet" template's from 8
// on; the heuristics are "interface tcp set heuristics disabled"; an MTU is
// "interface ipv4 set subinterface "NAME" mtu=N store=persistent", and the
// IPv6 MTU the same with ipv6.
std::string NetshCommand(const RunningWindows& windows, const TcpValue& value);
// A script for `netsh -f`: the commands one a line, in the order given.
// The builds at which a kind's rows begin or end, ascending: between two
// of them every build of the kind takes the same settings and values (the
// startup script has a section for each such stretch).
std::vector<std::uint32_t> BuildsWhereRowsChange(int kind);
std::string NetshScript(const RunningWindows& windows, const std::vector<TcpValue>& values);
// The startup script for every Windows is modern/startup_script.h's.

// The values in `netsh interface tcp dump` output, whose `set global` and
// `set supplemental` lines are the same in every display language; the
// "internet" template's congestion provider comes as "congestionprovider",
// and a `set heuristics` line's word (or its wsh=) as "heuristics".
// Names and values in lower case, in the order found, a later line winning.
std::vector<TcpValue> ReadTcpDump(const std::string& output);
// The MTU of each interface in `netsh interface ipv4 show subinterfaces`
// output, as "mtu@" + the interface's name: the lines of four numbers and a
// name, which are not translated.
std::vector<TcpValue> ReadSubinterfaces(const std::string& output,
                                        const char* prefix = kInterfaceMtuPrefix);
// Several such tables one after the other, as a script that shows IPv4's and
// then IPv6's subinterfaces prints them: the rows below the Nth rule of
// dashes (the same in every language) are named with the Nth prefix. With
// byRule false, every row is the first prefix's.
std::vector<TcpValue> ReadSubinterfaceTables(const std::string& output,
                                             const std::vector<const char*>& prefixes,
                                             bool byRule);

}  // namespace iz
