// The two appliers on the in-memory registry: what they write, in which
// order, under which spelling, and what stays when they stop.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "native/optimize_fixture.h"
#include "optimize/apply_9x.h"
#include "optimize/apply_nt.h"
#include "store/error.h"

namespace iz::optimize_test {
namespace {

// The applier alone, without the journal's record before it: where a test
// makes keys fail, the record's reads would stop the command first.
void ApplyAlone(Rig& rig, bool nt) {
  if (nt) {
    ApplyNTSettings(rig.w, rig.recorder, rig.profiles, [] {});
  } else {
    Apply9xSettings(rig.w, rig.recorder, rig.profiles, GetOSKind(rig.platform), [] {});
  }
}

using Lines = std::vector<std::string>;

// "CABLE / DSL" with " Automatic Mode 1" on Windows XP: TTL 64, MTU 1500,
// cache "32", window 256960, keep-alive 600 s, 10 and 20 connections; Black
// Hole Detect, SlowNet, ComBuffer and VCache cleared, every other box ticked.
const Lines kCableDslNT = {
    "HKLM SYSTEM\\CCS\\Services\\Tcpip\\Parameters [DefaultTTL] = dword 64",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [EnablePMTUDiscovery] = dword 1",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [EnablePMTUBHDetect] = dword 0",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [Tcp1323Opts] = dword 1",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [SackOpts] = dword 1",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [TcpWindowSize] = dword 256960",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters\\Interfaces\\interface [TcpWindowSize] = dword "
    "256960",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [GlobalMaxTcpWindowSize] = dword 256960",
    "HKLM System\\CCS\\Services\\Netbt\\Parameters [SessionKeepAlive] = dword 600000",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize [] = sz \"32\"",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [TcpUseRFC1122UrgentPointer] = dword 1",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters [TcpMaxDupAcks] = dword 2",
    "HKLM System\\CCS\\Services\\Tcpip\\Parameters\\Interfaces\\interface [MTU] = dword 1500",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect [min] = dword 2",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect [max] = dword 128",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets [min] = dword 32",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets [max] = dword 1020",
    "HKLM System\\CCS\\Services\\Class\\Net\\0000 [SLOWNET] = bin 01",
    "HKLM System\\CCS\\Services\\VxD\\VCACHE [Start] = bin 00",
    "HKLM System\\CCS\\Services\\VxD\\COMBUFF [Start] = bin 00",
    "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
    "[MaxConnectionsPerServer] = dword 10",
    "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
    "[MaxConnectionsPer1_0Server] = dword 20",
};

// The same profile on Windows 98, which reads the MSTCP values as strings.
const Lines kCableDsl9x = {
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultTTL] = sz \"64\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [PMTUDiscovery] = sz \"1\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [PMTUBlackHoleDetect] = sz \"0\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [Tcp1323Opts] = sz \"1\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [SackOpts] = sz \"1\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultRcvWindow] = sz \"256960\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [SessionKeepAlive] = sz \"600\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP [BSDUrgent] = sz \"1\"",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [MaxDupAcks] = dword 2",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [Tcp1323Opts] = dword 1",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [SackOpts] = dword 1",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize [] = sz \"32\"",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect [min] = sz \"2\"",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect [max] = sz \"128\"",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets [min] = sz \"32\"",
    "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets [max] = sz \"1020\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0000 [MaxMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0000 [MaxMSS] = sz \"1460\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0000 [IPMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0001 [MaxMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0001 [MaxMSS] = sz \"1460\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0001 [IPMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0002 [MaxMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0002 [MaxMSS] = sz \"1460\"",
    "HKLM System\\CCS\\Services\\Class\\NetTrans\\0002 [IPMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0000 [MaxMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0000 [IPMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0000 [MaxMSS] = sz \"1460\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0001 [MaxMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0001 [IPMTU] = sz \"1500\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0001 [MaxMSS] = sz \"1460\"",
    "HKLM System\\CCS\\Services\\Class\\Net\\0000 [SLOWNET] = bin 01",
    "HKLM System\\CCS\\Services\\VxD\\VCACHE [Start] = bin 00",
    "HKLM System\\CCS\\Services\\VxD\\COMBUFF [Start] = bin 00",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [GlobalMaxTcpWindoSize] = dword 256960",
    "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [GlobalMaxTcpWindowSize] = dword 256960",
    "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
    "[MaxConnectionsPerServer] = dword 10",
    "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
    "[MaxConnectionsPer1_0Server] = dword 20",
};

TEST(OptimizeApply, EachFamilyWritesCableDslProfileInStepOrder) {
  for (const bool nt : {true, false}) {
    Rig rig(nt ? WinXP() : Win98());
    rig.Click(rig.w.cableDsl);
    nt ? rig.w.ApplySettings(GetOSKind(rig.platform)) : rig.w.ApplySettings(GetOSKind(rig.platform));
    EXPECT_EQ(rig.recorder.writes, nt ? kCableDslNT : kCableDsl9x);
    EXPECT_EQ(rig.WinIni(), kOptimizedPortsIni);
  }
}

// Custom Mode with every box cleared: the on/off values are 0, SLOWNET is
// 0x01, the start bytes 0x00, no NDI range is written and Win.ini is left
// alone. The fields keep the Custom Mode values given here.
TEST(OptimizeApply, AllBoxesClearedInCustomMode) {
  const std::map<std::string, std::string> fields = {
      {"customTtl", "32"},      {"customMtu", "1500"},       {"customCache", "0"},
      {"customRwin", "8760"},   {"customKeepAlive", "3600"}, {"maxConnections", "2"},
      {"maxConnections10", "4"}};
  const Lines expectedNT = {
      "HKLM SYSTEM\\CCS\\Services\\Tcpip\\Parameters [DefaultTTL] = dword 32",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [EnablePMTUDiscovery] = dword 0",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [EnablePMTUBHDetect] = dword 0",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [Tcp1323Opts] = dword 0",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [SackOpts] = dword 0",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [TcpWindowSize] = dword 8760",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters\\Interfaces\\interface [TcpWindowSize] = "
      "dword 8760",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [GlobalMaxTcpWindowSize] = dword 8760",
      "HKLM System\\CCS\\Services\\Netbt\\Parameters [SessionKeepAlive] = dword 3600000",
      "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize [] = sz \"0\"",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [TcpUseRFC1122UrgentPointer] = dword 0",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters [TcpMaxDupAcks] = dword 0",
      "HKLM System\\CCS\\Services\\Tcpip\\Parameters\\Interfaces\\interface [MTU] = dword 1500",
      "HKLM System\\CCS\\Services\\Class\\Net\\0000 [SLOWNET] = bin 01",
      "HKLM System\\CCS\\Services\\VxD\\VCACHE [Start] = bin 00",
      "HKLM System\\CCS\\Services\\VxD\\COMBUFF [Start] = bin 00",
      "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
      "[MaxConnectionsPerServer] = dword 2",
      "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
      "[MaxConnectionsPer1_0Server] = dword 4",
  };
  // The 9x list without its fifteen MTU strings, which do not depend on a box.
  const Lines expected9x = {
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultTTL] = sz \"32\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [PMTUDiscovery] = sz \"0\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [PMTUBlackHoleDetect] = sz \"0\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [Tcp1323Opts] = sz \"0\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [SackOpts] = sz \"0\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultRcvWindow] = sz \"8760\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [SessionKeepAlive] = sz \"3600\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP [BSDUrgent] = sz \"0\"",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [MaxDupAcks] = dword 0",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [Tcp1323Opts] = dword 0",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [SackOpts] = dword 0",
      "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize [] = sz \"0\"",
      "HKLM System\\CCS\\Services\\Class\\Net\\0000 [SLOWNET] = bin 01",
      "HKLM System\\CCS\\Services\\VxD\\VCACHE [Start] = bin 00",
      "HKLM System\\CCS\\Services\\VxD\\COMBUFF [Start] = bin 00",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [GlobalMaxTcpWindoSize] = dword 8760",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [GlobalMaxTcpWindowSize] = dword 8760",
      "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
      "[MaxConnectionsPerServer] = dword 2",
      "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings "
      "[MaxConnectionsPer1_0Server] = dword 4",
  };

  for (const bool nt : {true, false}) {
    SCOPED_TRACE(nt ? "NT" : "9x");
    Rig rig(nt ? WinXP() : Win98());
    rig.Click(rig.w.cableDsl);
    rig.CustomClearedPanel();
    // Set directly: the panel's change rules would adjust the other fields.
    for (const auto& [name, text] : fields) rig.w.FindEdit(name)->text = text;

    if (nt) {
      rig.w.ApplySettings(GetOSKind(rig.platform));
      EXPECT_EQ(rig.recorder.writes, expectedNT);
    } else {
      rig.w.ApplySettings(GetOSKind(rig.platform));
      Lines withoutMtu;
      for (const std::string& line : rig.recorder.writes) {
        if (line.find("\\Class\\NetTrans\\") == std::string::npos &&
            line.find("MTU]") == std::string::npos && line.find("[MaxMSS]") == std::string::npos)
          withoutMtu.push_back(line);
      }
      EXPECT_EQ(withoutMtu, expected9x);
    }
    EXPECT_EQ(rig.WinIni(), "");
  }
}

// Every MTU string of the 9x family, counted by name and text: five of each.
// The segment size is MTU - 40 with its sign; the MTU texts are written as
// typed.
TEST(OptimizeApply, NineXSegmentSizeFollowsTheMtu) {
  struct Row {
    const char* mtu;
    std::map<std::string, int> strings;
  };
  const Row rows[] = {
      {"576",
       {{"[IPMTU] = sz \"576\"", 5}, {"[MaxMSS] = sz \"536\"", 5}, {"[MaxMTU] = sz \"576\"", 5}}},
      {"30",
       {{"[IPMTU] = sz \"30\"", 5}, {"[MaxMSS] = sz \"-10\"", 5}, {"[MaxMTU] = sz \"30\"", 5}}},
      {"$5DC",
       {{"[IPMTU] = sz \"$5DC\"", 5},
        {"[MaxMSS] = sz \"1460\"", 5},
        {"[MaxMTU] = sz \"$5DC\"", 5}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mtu);
    Rig rig(Win98());
    rig.Click(rig.w.modem);
    rig.w.customMtu.text = row.mtu;
    rig.w.ApplySettings(GetOSKind(rig.platform));
    std::map<std::string, int> strings;
    for (const std::string& line : rig.recorder.writes) {
      for (const char* name : {"[MaxMTU]", "[MaxMSS]", "[IPMTU]"}) {
        const auto at = line.find(name);
        if (at != std::string::npos) ++strings[line.substr(at)];
      }
    }
    EXPECT_EQ(strings, row.strings);
  }
}

// Windows 95 knows neither global window value; 98, Millennium and a system
// that is not recognised get both. 98, 98 SE and Millennium read the MSTCP
// values as strings (KB 158474), 95 and an unknown system get DWORDs.
TEST(OptimizeApply, NineXGlobalWindowPairAndMstcpTypesDependOnTheKind) {
  const Lines both = {
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [GlobalMaxTcpWindoSize] = dword 3216",
      "HKLM System\\CCS\\Services\\VxD\\MSTCP\\Parameters [GlobalMaxTcpWindowSize] = dword 3216",
  };
  const std::string dword = "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultRcvWindow] = dword 3216";
  const std::string text = "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultRcvWindow] = sz \"3216\"";
  const struct {
    VersionInfo version;
    Lines global;
    std::string window;
  } rows[] = {
      {Win95(), {}, dword}, {Win98(), both, text},      {Win98SE(), both, text},
      {WinMe(), both, text}, {Unknown9x(), both, dword},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version.major * 100 + row.version.minor);
    Rig rig(row.version);
    rig.Click(rig.w.modem);
    rig.w.ApplySettings(GetOSKind(rig.platform));
    Lines global;
    std::string window;
    for (const std::string& line : rig.recorder.writes) {
      if (line.find("[GlobalMax") != std::string::npos) global.push_back(line);
      if (line.find("MSTCP [DefaultRcvWindow]") != std::string::npos) window = line;
    }
    EXPECT_EQ(global, row.global);
    EXPECT_EQ(window, row.window);
  }
}

// A field that is not a whole number stops the run before the first write,
// and the error names the first such field in the applier's own reading
// order. Raw-text fields of the 9x family are never parsed.
TEST(OptimizeApply, BadNumberStopsBeforeAnyWrite) {
  struct Row {
    bool nt;
    std::map<std::string, std::string> bad;
    const char* error;  // nullptr: the run completes
  };
  const Row rows[] = {
      {true, {{"customTtl", "abc"}}, "'abc' is not a valid integer value"},
      {true, {{"customRwin", ""}}, "'' is not a valid integer value"},
      {true, {{"customKeepAlive", "6OO"}}, "'6OO' is not a valid integer value"},
      {true, {{"customMtu", "1500 "}}, "'1500 ' is not a valid integer value"},
      {true, {{"maxConnections", "x"}}, "'x' is not a valid integer value"},
      {true,
       {{"maxConnections10", "99999999999999999999"}},
       "'99999999999999999999' is not a valid integer value"},
      {true, {{"customMtu", "m"}, {"customKeepAlive", "k"}}, "'k' is not a valid integer value"},
      {true, {{"maxConnections10", "b"}, {"customTtl", "a"}}, "'a' is not a valid integer value"},
      {false, {{"customRwin", "-"}}, "'-' is not a valid integer value"},
      {false, {{"customKeepAlive", ""}}, "'' is not a valid integer value"},
      {false, {{"customMtu", "mtu"}}, "'mtu' is not a valid integer value"},
      {false, {{"maxConnections", "0x"}}, "'0x' is not a valid integer value"},
      {false, {{"maxConnections10", "seven"}}, "'seven' is not a valid integer value"},
      {false, {{"customMtu", "m"}, {"customKeepAlive", "k"}}, "'k' is not a valid integer value"},
      {false, {{"customTtl", "ttl"}, {"customCache", "big"}}, nullptr},
  };
  for (const Row& row : rows) {
    std::string trace = row.nt ? "NT" : "9x";
    for (const auto& [name, text] : row.bad) trace += " " + name + "='" + text + "'";
    SCOPED_TRACE(trace);
    Rig rig(row.nt ? WinXP() : Win98());
    rig.Click(rig.w.cableDsl);
    for (const auto& [name, text] : row.bad) rig.w.FindEdit(name)->text = text;
    const std::vector<std::string> keysBefore = rig.registry.Keys();

    std::string error;
    try {
      row.nt ? rig.w.ApplySettings(GetOSKind(rig.platform)) : rig.w.ApplySettings(GetOSKind(rig.platform));
    } catch (const Error& e) {
      error = e.what();
    }
    if (row.error == nullptr) {
      EXPECT_EQ(error, "");
      ASSERT_EQ(rig.recorder.writes.size(), kCableDsl9x.size());
      EXPECT_EQ(rig.recorder.writes[0],
                "HKLM System\\CCS\\Services\\VxD\\MSTCP [DefaultTTL] = sz \"ttl\"");
      EXPECT_EQ(rig.recorder.writes[11],
                "HKLM System\\CCS\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize [] = sz \"big\"");
      continue;
    }
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(rig.recorder.writes, Lines{});
    EXPECT_EQ(rig.registry.Keys(), keysBefore);
    EXPECT_EQ(rig.WinIni(), "");
  }
}

// A key that cannot be created or opened stops the run at its step with the
// store's text; everything written before stays, nothing after is written.
TEST(OptimizeApply, StoreFailureKeepsWhatWasWritten) {
  struct Row {
    bool nt;
    HKey root;
    const char* failingKey;
    const char* error;
    std::size_t kept;  // leading lines of the profile's full write list
  };
  const Row rows[] = {
      // Created in step 1, before any value.
      {true, kHKLM, "System\\CurrentControlSet\\Services\\VxD\\COMBUFF",
       "Failed to create key System\\CurrentControlSet\\Services\\VxD\\COMBUFF", 0},
      // The browser's key is never created by the applier.
      {true, kHKCU, map::kInternetSettingsKey, "Failed to set data for 'MaxConnectionsPerServer'",
       20},
      {false, kHKLM, "System\\CurrentControlSet\\Services\\VxD\\MSTCP",
       "Failed to create key System\\CurrentControlSet\\Services\\VxD\\MSTCP\\Parameters", 0},
      {false, kHKLM, "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect",
       "Failed to create key maxconnect", 12},
      {false, kHKLM, "System\\CurrentControlSet\\Services\\Class\\Net\\0000",
       "Failed to create key 0000", 25},
      // Opened with creation: a key that cannot be opened stops the run
      // rather than let the write land elsewhere.
      {false, kHKLM, "System\\CurrentControlSet\\Services\\VxD\\VCACHE",
       "Failed to create key System\\CurrentControlSet\\Services\\VxD\\VCACHE", 32},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.failingKey);
    Rig rig(row.nt ? WinXP() : Win98());
    rig.Click(rig.w.cableDsl);
    rig.registry.FailKey(row.root, row.failingKey);
    std::string error;
    try {
      ApplyAlone(rig, row.nt);
    } catch (const Error& e) {
      error = e.what();
    }
    EXPECT_EQ(error, row.error);
    const Lines& full = row.nt ? kCableDslNT : kCableDsl9x;
    EXPECT_EQ(rig.recorder.writes, Lines(full.begin(), full.begin() + row.kept));
    EXPECT_EQ(rig.WinIni(), "");
    EXPECT_EQ(rig.registry.OpenHandles(), 0);
  }
}

// The keys of step 1 are created in their order and stay when a later one
// cannot be created.
TEST(OptimizeApply, NTKeysCreatedBeforeAFailureStay) {
  Rig rig(WinXP());
  rig.Click(rig.w.cableDsl);
  rig.registry.FailKey(kHKLM, "System\\CurrentControlSet\\Services\\VxD\\COMBUFF");
  EXPECT_THROW(ApplyAlone(rig, true), Error);
  const Lines expected = {
      "HKCU\\Software",
      "HKCU\\Software\\Microsoft",
      "HKCU\\Software\\Microsoft\\Windows",
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion",
      "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
      "HKLM\\SYSTEM",
      "HKLM\\SYSTEM\\CurrentControlSet",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\interface",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VxD",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxconnect",
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\maxsockets",
  };
  EXPECT_EQ(rig.registry.Keys(), expected);
}

// The NT applier makes exactly the registry calls its steps imply: every
// key of step 1 created once, one open per DWORD, no reads or removals, and
// every handle closed.
TEST(OptimizeApply, NTMakesOnlyTheCallsItsStepsImply) {
  Rig rig(WinXP());
  rig.Click(rig.w.cableDsl);
  const std::size_t before = rig.registry.CallLog().size();
  // The applier alone, without the journal's reads before it.
  ApplyNTSettings(rig.w, rig.registry, rig.profiles, [] {});
  std::map<std::string, int> calls;
  const auto& log = rig.registry.CallLog();
  for (std::size_t i = before; i < log.size(); ++i) ++calls[log[i].substr(0, log[i].find(' '))];
  // 10 keys of step 1; 18 DWORDs; the cache size (open the NDI key, ensure and
  // open its section); three one-byte values (open each key).
  const std::map<std::string, int> expected = {
      {"CreateKey", 10 + 1 + 1 + 3},
      {"OpenKey", 18 + 1},
      {"SetValue", 18 + 1 + 3},
      {"CloseKey", 10 + 18 + 2 + 1 + 3},
  };
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(rig.registry.OpenHandles(), 0);
}

}  // namespace
}  // namespace iz::optimize_test
