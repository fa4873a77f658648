#pragma once
// The TCP settings of Windows Vista and later as data: which Windows accepts
// each, the values it takes, its default on each version, what it does and
// where that is written. Pure code on top turns chosen values into netsh's
// command lines and reads netsh's answers back into values; nothing here
// runs netsh (modern/netsh.h does).
#include <cstdint>
#include <string>
#include <vector>

#include "modern/tcp_settings.h"

namespace iz {

// The default of a setting that Microsoft does not document for a version.
inline constexpr const char* kNotDocumented = "not documented";
inline constexpr const char* kNeedsVista = "The modern TCP settings need Windows Vista or later.";

// One setting as a kind of Windows offers it.
struct TcpSettingInfo {
  std::string name;                        // netsh's: "autotuninglevel"
  std::vector<std::string> values;         // the words it takes; empty: a number
  std::uint32_t minimum = 0, maximum = 0;  // a number's range
  std::string defaultValue;                // this version's default, or kNotDocumented
  std::vector<std::string> hurts;          // values that hurt in common use
  std::string effect;                      // one line: what it does, what hurts, what is disputed
  std::string source;                      // where the effect and the default are documented
};

// Vista and later: the systems whose stack netsh tunes.
bool HasModernTcpSettings(int kind);
// The settings a kind accepts, in the table's order; none before Vista.
std::vector<TcpSettingInfo> TcpSettingsFor(int kind);
// Their names alone.
std::vector<std::string> TcpSettingNames(int kind);

// The empty text when the kind accepts the value, else why not:
// "Windows 7 has no TCP setting \"rsc\"" or "\"autotuninglevel\" takes
// disabled, highlyrestricted, restricted, normal or experimental on Windows
// 7, not \"fast\"". An interface MTU ("mtu@" + connection name) takes 576 to
// 65535.
std::string CheckTcpValue(int kind, const TcpValue& value);

// The netsh command that sets one value, without "netsh" in front:
// "interface tcp set global autotuninglevel=normal"; the congestion provider
// is a global setting on Vista and 7 and the "internet" template's from 8
// on; an MTU is "interface ipv4 set subinterface "NAME" mtu=N store=persistent".
std::string NetshCommand(int kind, const TcpValue& value);
// A script for `netsh -f`: the commands one a line, in the order given.
std::string NetshScript(int kind, const std::vector<TcpValue>& values);
// The startup script for every Windows is modern/startup_script.h's.

// The values in `netsh interface tcp dump` output, whose `set global` and
// `set supplemental` lines are the same in every display language; the
// "internet" template's congestion provider comes as "congestionprovider".
// Names and values in lower case, in the order found, a later line winning.
std::vector<TcpValue> ReadTcpDump(const std::string& output);
// The MTU of each interface in `netsh interface ipv4 show subinterfaces`
// output, as "mtu@" + the interface's name: the lines of four numbers and a
// name, which are not translated.
std::vector<TcpValue> ReadSubinterfaces(const std::string& output);

}  // namespace iz
