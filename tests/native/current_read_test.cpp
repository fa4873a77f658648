// Reading the settings in force into the panel: the decodings with both
// encodings and the absent case, the order that lets the change rules
// recompute, the error that stops a reading, and the View dispatch.
#include <string>
#include <vector>

#include "native/current_fixture.h"

namespace iz::test {
namespace {

using namespace map;

struct ReadCase {
  std::vector<Seed> seeds;
  std::vector<std::string> expected;
};

// Before each reading every independent box is ticked and every field holds
// "7", so a control a reading leaves alone is told apart from one it sets.
void RunCases(WinFamily family, const std::vector<ReadCase>& cases) {
  for (const ReadCase& c : cases) {
    Rig rig;
    rig.SeedAll(c.seeds);
    for (CheckBoxCtl* box : rig.w.Boxes()) {
      if (box->group == Group::kIndependent) rig.w.SetChecked(*box, true);
    }
    for (EditCtl* edit : rig.w.Edits()) rig.w.SetText(*edit, "7");
    rig.w.ReadSettings(family);
    EXPECT_EQ(Observe(rig.w, c.expected), c.expected);
  }
}

const char* const kTcpip = kTcpipParametersKey;
const char* const kKeep = kNetbtParametersKey;
const char* const kIe = kInternetSettingsUpperKey;

TEST(ReadNT, DecodesNumbersStringsAndBytes) {
  RunCases(
      WinFamily::NT,
      {{{},
        {"customTtl=0", "customMtu=0", "customCache=0", "customKeepAlive=0", "maxConnections=7",
         "blackHoleDetect-", "autoDiscovery-", "slowNet-", "sack-", "maxDupAcks-", "largeWindows-",
         "comBuffer-", "vcache-", "bsdUrgent-", "maxConnect+", "ttlCustom+", "keepAliveCustom+"}},
       {{Dw(kTcpip, kEnablePMTUBHDetect, 1)}, {"blackHoleDetect+", "autoDiscovery-"}},
       {{Sz(kTcpip, kSackOpts, "1"), Dw(kTcpip, kTcpUseRFC1122UrgentPointer, 1)},
        {"sack+", "bsdUrgent+"}},
       {{Sz(kTcpip, kDefaultTTL, "64")}, {"customTtl=64", "ttl64+"}},
       {{Sz(kTcpip, kDefaultTTL, "abc")}, {"customTtl=0", "ttlCustom+"}},
       {{Dw(kKeep, kSessionKeepAlive, 3600000)}, {"customKeepAlive=3600", "keepAliveCustom+"}},
       {{Dw(kKeep, kSessionKeepAlive, 600000)}, {"customKeepAlive=600", "keepAliveDefault+"}},
       {{Dw(kKeep, kSessionKeepAlive, 1500)}, {"customKeepAlive=2"}},
       {{Dw(kKeep, kSessionKeepAlive, 2500)}, {"customKeepAlive=2"}},
       {{Sz(kKeep, kSessionKeepAlive, "2501")}, {"customKeepAlive=3"}},
       {{Dw(kKeep, kSessionKeepAlive, 0xFFFFFFFF)}, {"customKeepAlive=4294967"}},
       {{Dw(kTcpip, kTcpMaxDupAcks, 3), Dw(kTcpip, kTcp1323Opts, 3)},
        {"maxDupAcks+", "largeWindows-"}},
       {{Dw(kTcpip, kTcpMaxDupAcks, 1), Dw(kTcpip, kTcp1323Opts, 1)},
        {"maxDupAcks-", "largeWindows+"}},
       {{Sz(kTcpipInterfaceKey, kMTU, "-1")}, {"customMtu=4294967295", "mtuCustom+"}},
       {{Bin(kTcpipInterfaceKey, kMTU, {0xdc, 0x05})}, {"customMtu=0"}},
       {{Dw(kNdiCacheSizeKey, kDefaultValue, 32)}, {"customCache=32", "cache32+"}},
       {{Bin(kNetClass0000Key, kSlowNet, {0x00}), Bin(kComBuffKey, kStart, {0x01}),
         Bin(kVCacheKey, kStart, {0x01})},
        {"slowNet+", "comBuffer+", "vcache+"}},
       {{Bin(kNetClass0000Key, kSlowNet, {0x01})}, {"slowNet-"}},
       {{Dw(kNdiMaxConnectKey, kMin, 2), Dw(kNdiMaxConnectKey, kMax, 64),
         Sz(kNdiMaxSocketsKey, kMin, "32"), Sz(kNdiMaxSocketsKey, kMax, "1020")},
        {"maxConnect-", "maxSocket+"}},
       {{Sz(kNdiMaxConnectKey, kMin, "2"), Dw(kNdiMaxConnectKey, kMax, 128)}, {"maxConnect+"}},
       {{Dw(kIe, kMaxConnectionsPerServer, 10, kHKCU),
         Sz(kIe, kMaxConnectionsPer1_0Server, "abc", kHKCU)},
        {"maxConnections=10", "maxConnections10=abc"}}});
}

TEST(Read9x, DecodesStringsAndDwordsAndKeepsTheRest) {
  RunCases(WinFamily::Win9x,
           {{{},
             {"customTtl=7", "customMtu=7", "customCache=", "customRwin=7", "customKeepAlive=7",
              "maxConnections=7", "blackHoleDetect+", "autoDiscovery+", "slowNet-", "sack+",
              "maxDupAcks+", "comBuffer-", "bsdUrgent+", "maxConnect+", "cache0+"}},
            {{Sz(kMstcpKey, kPMTUDiscovery, "1"), Sz(kMstcpKey, kPMTUBlackHoleDetect, "yes"),
              Dw(kMstcpKey, kBSDUrgent, 0), Dw(kMstcpKey, kSackOpts, 1)},
             {"autoDiscovery+", "blackHoleDetect-", "bsdUrgent-", "sack+"}},
            {{Sz(kMstcpKey, kDefaultTTL, " 32")}, {"customTtl= 32", "ttl32+"}},
            {{Bin(kMstcpKey, kDefaultTTL, {64})}, {"customTtl=7"}},
            {{Sz(kMstcpParametersKey, kMaxDupAcks, "3")}, {"maxDupAcks+"}},
            {{Dw(kMstcpParametersKey, kMaxDupAcks, 4)}, {"maxDupAcks-"}},
            {{Dw(kMstcpKey, kDefaultRcvWindow, 8760), Sz(kMstcpKey, kSessionKeepAlive, "600")},
             {"customRwin=8760", "rwinMultiple+", "customKeepAlive=600", "keepAliveDefault+"}},
            {{Sz(kNetTrans0000Key, kMaxMTU, "1500"), Dw(kNdiCacheSizeKey, kDefaultValue, 16)},
             {"customMtu=1500", "customCache=16"}},
            {{Sz(kNdiMaxSocketsKey, kMin, "2"), Dw(kNdiMaxSocketsKey, kMax, 255)}, {"maxSocket+"}},
            {{Bin(kNetClass0000Key, kSlowNet, {0x00}), Dw(kIe, kMaxConnectionsPerServer, 4, kHKCU)},
             {"slowNet+", "maxConnections=4"}}});
}

TEST(ReadPorts, TheFourthPortDecides) {
  for (WinFamily family : {WinFamily::NT, WinFamily::Win9x}) {
    for (const char* ports : {"123", "4", "1234"}) {
      Rig rig;
      for (const char* p = ports; *p; ++p) {
        rig.SetPort(kComPorts[*p - '1'], kPortsOptimized);
      }
      rig.w.SetChecked(rig.w.comPorts, std::string(ports) == "123");
      rig.w.ReadSettings(family);
      EXPECT_EQ(rig.w.comPorts.checked, std::string(ports) != "123") << ports;
    }
  }
}

// A two-byte SLOWNET does not fit the one-byte buffer: the reading stops there
// with the store's error, keeping what it set before.
TEST(ReadErrors, LongSlowNetStopsTheReading) {
  for (WinFamily family : {WinFamily::NT, WinFamily::Win9x}) {
    Rig rig;
    rig.SeedAll({Sz(kTcpip, kDefaultTTL, "64"), Sz(kMstcpKey, kDefaultTTL, "64"),
                 Bin(kNetClass0000Key, kSlowNet, {0x00, 0x01}), Bin(kComBuffKey, kStart, {0x01})});
    rig.w.Open(rig.w.customTtl);  // the 9x locking comes later
    rig.w.Dispatch([&] { rig.w.ReadSettings(family); });
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, "Invalid data type for 'SLOWNET'");
    EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(Observe(rig.w, {"customTtl=64", "comBuffer-"}),
              (std::vector<std::string>{"customTtl=64", "comBuffer-"}));
    EXPECT_TRUE(rig.w.customTtl.enabled);
  }
}

// The window goes in before the MTU, so a stored 2144 (four dial-up segments)
// picks "x4", and the LAN MTU then recomputes four LAN segments.
TEST(ReadAtStartUp, WindowFollowsTheStoredMultipleOfTheMtu) {
  const std::pair<VersionInfo, std::vector<Seed>> families[] = {
      {WinXP(), {Dw(kTcpip, kTcpWindowSize, 2144), Dw(kTcpipInterfaceKey, kMTU, 1500)}},
      {Win98SE(),
       {Sz(kMstcpKey, kDefaultRcvWindow, "2144"), Sz(kNetTrans0000Key, kMaxMTU, "1500")}},
  };
  for (const auto& [version, seeds] : families) {
    Rig rig;
    rig.platform.version = version;
    rig.SeedAll(seeds);
    rig.w.Dispatch([&] { rig.w.OnCreate(); });
    EXPECT_EQ(rig.w.customRwin.text, "5840");
    EXPECT_EQ(rig.w.rwinMultiples.itemIndex, 0);
    EXPECT_TRUE(rig.w.rwinMultiple.checked && rig.w.mtu1500.checked);
  }
}

TEST_F(WindowTest, Read9xDisablesTheValueFieldsKeepingTheirColours) {
  w.Open(w.customTtl);
  w.Open(w.rwinMultiples);
  w.ReadSettings(WinFamily::Win9x);
  for (const EditCtl* e :
       {&w.customTtl, &w.customMtu, &w.customCache, &w.customRwin, &w.customKeepAlive}) {
    EXPECT_FALSE(e->enabled) << e->name;
  }
  EXPECT_FALSE(w.rwinMultiples.enabled);
  EXPECT_EQ(w.customTtl.color, clWindow);
  EXPECT_EQ(w.rwinMultiples.color, clWindow);
  EXPECT_EQ(w.customMtu.color, clBtnFace);
}

// Reading writes nothing; on the NT family it creates the two keys it opens
// with creation, never VCACHE.
TEST_F(WindowTest, ReadNTCreatesTwoEmptyKeysOnly) {
  w.ReadSettings(WinFamily::NT);
  EXPECT_TRUE(State().empty());
  EXPECT_TRUE(registry.KeyExists(kHKLM, kNetClass0000Key));
  EXPECT_TRUE(registry.KeyExists(kHKLM, kComBuffKey));
  EXPECT_FALSE(registry.KeyExists(kHKLM, kVCacheKey));
  EXPECT_EQ(registry.Keys().size(), 8u);  // those two and their parents
  EXPECT_EQ(registry.OpenHandles(), 0);
}

// Both View controls ask for the system afresh and run its family's reader
// (the 9x one disables the fields); an unrecognised system counts as 9x.
TEST(View, RunsTheReaderOfTheDetectedFamily) {
  const std::pair<VersionInfo, bool> rows[] = {
      {WinXP(), false}, {Win98SE(), true}, {{kVerPlatformWin32Windows, 5, 0, ""}, true}};
  for (auto handler : {&TIZelvora::OnViewCurrentSettings, &TIZelvora::OnViewCurrentSettings}) {
    for (const auto& [version, nine] : rows) {
      Rig rig;
      rig.platform.version = version;
      rig.SeedAll({Dw(kTcpip, kDefaultTTL, 64), Dw(kMstcpKey, kDefaultTTL, 32)});
      rig.w.Open(rig.w.customTtl);
      (rig.w.*handler)();
      EXPECT_EQ(rig.w.customTtl.text, nine ? "32" : "64");
      EXPECT_EQ(rig.w.customTtl.enabled, !nine);
    }
  }
}

}  // namespace
}  // namespace iz::test
