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
void RunCases(void (TIZelvora::*read)(), const std::vector<ReadCase>& cases) {
  for (const ReadCase& c : cases) {
    Rig rig;
    rig.SeedAll(c.seeds);
    for (CheckBoxCtl* box : rig.w.Boxes()) {
      if (box->group == 0) rig.w.SetChecked(*box, true);
    }
    for (EditCtl* edit : rig.w.Edits()) rig.w.SetText(*edit, "7");
    (rig.w.*read)();
    EXPECT_EQ(Observe(rig.w, c.expected), c.expected);
  }
}

const char* const kTcpip = kTcpipParametersKey;
const char* const kKeep = kNetbtParametersKey;
const char* const kIe = kInternetSettingsUpperKey;

TEST(ReadNT, DecodesNumbersStringsAndBytes) {
  RunCases(
      &TIZelvora::ReadNTSettings,
      {{{},
        {"Edit1=0", "Edit2=0", "Edit3=0", "Edit5=0", "Edit6=7", "CheckBox1-", "CheckBox2-",
         "CheckBox3-", "CheckBox4-", "CheckBox5-", "CheckBox7-", "CheckBox8-", "CheckBox9-",
         "glCheckBox6-", "glCheckBox8+", "RadioButton8+", "RadioButton19+"}},
       {{Dw(kTcpip, kEnablePMTUBHDetect, 1)}, {"CheckBox1+", "CheckBox2-"}},
       {{Sz(kTcpip, kSackOpts, "1"), Dw(kTcpip, kTcpUseRFC1122UrgentPointer, 1)},
        {"CheckBox4+", "glCheckBox6+"}},
       {{Sz(kTcpip, kDefaultTTL, "64")}, {"Edit1=64", "RadioButton6+"}},
       {{Sz(kTcpip, kDefaultTTL, "abc")}, {"Edit1=0", "RadioButton8+"}},
       {{Dw(kKeep, kSessionKeepAlive, 3600000)}, {"Edit5=3600", "RadioButton19+"}},
       {{Dw(kKeep, kSessionKeepAlive, 600000)}, {"Edit5=600", "RadioButton18+"}},
       {{Dw(kKeep, kSessionKeepAlive, 1500)}, {"Edit5=2"}},
       {{Dw(kKeep, kSessionKeepAlive, 2500)}, {"Edit5=2"}},
       {{Sz(kKeep, kSessionKeepAlive, "2501")}, {"Edit5=3"}},
       {{Dw(kKeep, kSessionKeepAlive, 0xFFFFFFFF)}, {"Edit5=4294967"}},
       {{Dw(kTcpip, kTcpMaxDupAcks, 3), Dw(kTcpip, kTcp1323Opts, 3)}, {"CheckBox5+", "CheckBox7-"}},
       {{Dw(kTcpip, kTcpMaxDupAcks, 1), Dw(kTcpip, kTcp1323Opts, 1)}, {"CheckBox5-", "CheckBox7+"}},
       {{Sz(kTcpipInterfaceKey, kMTU, "-1")}, {"Edit2=4294967295", "RadioButton11+"}},
       {{Bin(kTcpipInterfaceKey, kMTU, {0xdc, 0x05})}, {"Edit2=0"}},
       {{Dw(kNdiCacheSizeKey, kDefaultValue, 32)}, {"Edit3=32", "RadioButton14+"}},
       {{Bin(kNetClass0000Key, kSlowNet, {0x00}), Bin(kComBuffKey, kStart, {0x01}),
         Bin(kVCacheKey, kStart, {0x01})},
        {"CheckBox3+", "CheckBox8+", "CheckBox9+"}},
       {{Bin(kNetClass0000Key, kSlowNet, {0x01})}, {"CheckBox3-"}},
       {{Dw(kNdiMaxConnectKey, kMin, 2), Dw(kNdiMaxConnectKey, kMax, 64),
         Sz(kNdiMaxSocketsKey, kMin, "32"), Sz(kNdiMaxSocketsKey, kMax, "1020")},
        {"glCheckBox8-", "glCheckBox9+"}},
       {{Sz(kNdiMaxConnectKey, kMin, "2"), Dw(kNdiMaxConnectKey, kMax, 128)}, {"glCheckBox8+"}},
       {{Dw(kIe, kMaxConnectionsPerServer, 10, kHKCU),
         Sz(kIe, kMaxConnectionsPer1_0Server, "abc", kHKCU)},
        {"Edit6=10", "Edit7=abc"}}});
}

TEST(Read9x, DecodesStringsAndDwordsAndKeepsTheRest) {
  RunCases(
      &TIZelvora::Read9xSettings,
      {{{},
        {"Edit1=7", "Edit2=7", "Edit3=", "Edit4=7", "Edit5=7", "Edit6=7", "CheckBox1+",
         "CheckBox2+", "CheckBox3-", "CheckBox4+", "CheckBox5+", "CheckBox8-", "glCheckBox6+",
         "glCheckBox8+", "RadioButton12+"}},
       {{Sz(kMstcpKey, kPMTUDiscovery, "1"), Sz(kMstcpKey, kPMTUBlackHoleDetect, "yes"),
         Dw(kMstcpKey, kBSDUrgent, 0), Dw(kMstcpKey, kSackOpts, 1)},
        {"CheckBox2+", "CheckBox1-", "glCheckBox6-", "CheckBox4+"}},
       {{Sz(kMstcpKey, kDefaultTTL, " 32")}, {"Edit1= 32", "RadioButton5+"}},
       {{Bin(kMstcpKey, kDefaultTTL, {64})}, {"Edit1=7"}},
       {{Sz(kMstcpParametersKey, kMaxDupAcks, "3")}, {"CheckBox5+"}},
       {{Dw(kMstcpParametersKey, kMaxDupAcks, 4)}, {"CheckBox5-"}},
       {{Dw(kMstcpKey, kDefaultRcvWindow, 8760), Sz(kMstcpKey, kSessionKeepAlive, "600")},
        {"Edit4=8760", "RadioButton16+", "Edit5=600", "RadioButton18+"}},
       {{Sz(kNetTrans0000Key, kMaxMTU, "1500"), Dw(kNdiCacheSizeKey, kDefaultValue, 16)},
        {"Edit2=1500", "Edit3=16"}},
       {{Sz(kNdiMaxSocketsKey, kMin, "2"), Dw(kNdiMaxSocketsKey, kMax, 255)}, {"glCheckBox9+"}},
       {{Bin(kNetClass0000Key, kSlowNet, {0x00}), Dw(kIe, kMaxConnectionsPerServer, 4, kHKCU)},
        {"CheckBox3+", "Edit6=4"}}});
}

TEST(ReadPorts, TheFourthPortDecides) {
  for (auto read : {&TIZelvora::ReadNTSettings, &TIZelvora::Read9xSettings}) {
    for (const char* ports : {"123", "4", "1234"}) {
      Rig rig;
      for (const char* p = ports; *p; ++p) {
        rig.SetPort(kComPorts[*p - '1'], kPortsOptimized);
      }
      rig.w.SetChecked(rig.w.CheckBox6, std::string(ports) == "123");
      (rig.w.*read)();
      EXPECT_EQ(rig.w.CheckBox6.checked, std::string(ports) != "123") << ports;
    }
  }
}

// A two-byte SLOWNET does not fit the one-byte buffer: the reading stops there
// with the store's error, keeping what it set before.
TEST(ReadErrors, LongSlowNetStopsTheReading) {
  for (auto read : {&TIZelvora::ReadNTSettings, &TIZelvora::Read9xSettings}) {
    Rig rig;
    rig.SeedAll({Sz(kTcpip, kDefaultTTL, "64"), Sz(kMstcpKey, kDefaultTTL, "64"),
                 Bin(kNetClass0000Key, kSlowNet, {0x00, 0x01}), Bin(kComBuffKey, kStart, {0x01})});
    rig.w.RadioButton8Click();  // opens Edit1: the 9x locking comes later
    rig.w.Dispatch([&] { (rig.w.*read)(); });
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages[0].text, "Invalid data type for 'SLOWNET'");
    EXPECT_EQ(rig.platform.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(Observe(rig.w, {"Edit1=64", "CheckBox8-"}),
              (std::vector<std::string>{"Edit1=64", "CheckBox8-"}));
    EXPECT_TRUE(rig.w.Edit1.enabled);
  }
}

// The window goes in before the MTU, so a stored 2144 (four dial-up segments)
// picks "x4", and the LAN MTU then recomputes four LAN segments.
TEST(ReadAtStartUp, WindowFollowsTheStoredMultipleOfTheMtu) {
  const std::pair<VersionInfo, std::vector<Seed>> families[] = {
      {WinXP(), {Dw(kTcpip, kTcpWindowSize, 2144), Dw(kTcpipInterfaceKey, kMTU, 1500)}},
      {Win98SE(), {Sz(kMstcpKey, kDefaultRcvWindow, "2144"), Sz(kNetTrans0000Key, kMaxMTU, "1500")}},
  };
  for (const auto& [version, seeds] : families) {
    Rig rig;
    rig.platform.version = version;
    rig.SeedAll(seeds);
    rig.w.Dispatch([&] { rig.w.FormCreate(); });
    EXPECT_EQ(rig.w.Edit4.text, "5840");
    EXPECT_EQ(rig.w.ComboBox1.itemIndex, 0);
    EXPECT_TRUE(rig.w.RadioButton16.checked && rig.w.RadioButton10.checked);
  }
}

TEST_F(WindowTest, Read9xDisablesTheValueFieldsKeepingTheirColours) {
  w.RadioButton8Click();   // opens Edit1
  w.RadioButton16Click();  // opens ComboBox1
  w.Read9xSettings();
  for (const EditCtl* e : {&w.Edit1, &w.Edit2, &w.Edit3, &w.Edit4, &w.Edit5}) {
    EXPECT_FALSE(e->enabled) << e->name;
  }
  EXPECT_FALSE(w.ComboBox1.enabled);
  EXPECT_EQ(w.Edit1.color, clWindow);
  EXPECT_EQ(w.ComboBox1.color, clWindow);
  EXPECT_EQ(w.Edit2.color, clBtnFace);
}

// Reading writes nothing; on the NT family it creates the two keys it opens
// with creation, never VCACHE.
TEST_F(WindowTest, ReadNTCreatesTwoEmptyKeysOnly) {
  w.ReadNTSettings();
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
  for (auto handler : {&TIZelvora::ViewCurentSettings1Click, &TIZelvora::ToolButton1Click}) {
    for (const auto& [version, nine] : rows) {
      Rig rig;
      rig.platform.version = version;
      rig.SeedAll({Dw(kTcpip, kDefaultTTL, 64), Dw(kMstcpKey, kDefaultTTL, 32)});
      rig.w.RadioButton8Click();
      (rig.w.*handler)();
      EXPECT_EQ(rig.w.Edit1.text, nine ? "32" : "64");
      EXPECT_EQ(rig.w.Edit1.enabled, !nine);
    }
  }
}

}  // namespace
}  // namespace iz::test
