// Connection types and methods: every profile as a whole panel state, loaded
// from either side, and the Custom method.
#include <string>
#include <vector>

#include "native/panel_fixture.h"

namespace iz::test {
namespace {

struct TypeRow {
  const char* box;
  const char* mtu;
  const char* ttl;
  const char* cache;
  const char* edit6;
  const char* edit7;
  std::set<std::string> marks;    // the choices the profile marks, receive window included
  std::set<std::string> options;  // the independent boxes it checks
  const char* rwin[3];            // by method
  int comboItem[3];               // by method, from a list with nothing picked
};

const std::set<std::string> kModemOptions = {"autoDiscovery", "slowNet",  "comPorts",
                                             "comBuffer",     "vcache",   "bsdUrgent",
                                             "maxConnect",    "maxSocket"};
const std::set<std::string> kIsdnOptions = {"autoDiscovery", "slowNet",    "sack",
                                            "comPorts",      "comBuffer",  "vcache",
                                            "bsdUrgent",     "maxConnect", "maxSocket"};
const std::set<std::string> kBroadbandOptions = {"autoDiscovery", "sack",         "maxDupAcks",
                                                 "comPorts",      "largeWindows", "bsdUrgent",
                                                 "maxConnect",    "maxSocket"};

const TypeRow kTypes[] = {
    {"modem",
     "576",
     "128",
     "16",
     "4",
     "8",
     {"mtu576", "ttl128", "cache16", "rwinMultiple", "keepAliveDefault"},
     kModemOptions,
     {"3216", "4288", "5360"},
     {1, 2, 3}},
    // ISDN marks " 128" and " 16", the choices its texts stand for; its
    // windows are standard, so the list follows while " Custom" stays marked.
    {"isdn",
     "1500",
     "128",
     "16",
     "8",
     "16",
     {"mtu1500", "ttl128", "cache16", "rwinCustom", "keepAliveDefault"},
     kIsdnOptions,
     {"11680", "8760", "14600"},
     {2, 1, 3}},
    {"cableDsl",
     "1500",
     "64",
     "32",
     "10",
     "20",
     {"mtu1500", "ttl64", "cache32", "rwinCustom", "keepAliveDefault"},
     kBroadbandOptions,
     {"256960", "372300", "178120"},
     {-1, -1, -1}},
    // PPPoE's MTU has no fixed choice: " Custom" is marked, the field locked.
    {"pppoe",
     "1492",
     "64",
     "32",
     "10",
     "20",
     {"mtuCustom", "ttl64", "cache32", "rwinCustom", "keepAliveDefault"},
     kBroadbandOptions,
     {"255552", "370260", "177144"},
     {-1, -1, -1}},
    {"extreme",
     "1500",
     "64",
     "32",
     "20",
     "40",
     {"mtu1500", "ttl64", "cache32", "rwinCustom", "keepAliveDefault"},
     kBroadbandOptions,
     {"432160", "584000", "664300"},
     {-1, -1, -1}},
};

const char* const kMethods[] = {"automatic1", "automatic2", "automatic3"};

PanelState Expected(const TypeRow& t, int method) {
  PanelState s;
  s.texts = {{"customTtl", t.ttl},         {"customMtu", t.mtu},
             {"customCache", t.cache},     {"customRwin", t.rwin[method]},
             {"customKeepAlive", "600"},   {"maxConnections", t.edit6},
             {"maxConnections10", t.edit7}};
  s.checked = t.marks;
  s.checked.insert(t.options.begin(), t.options.end());
  s.checked.insert(t.box);
  s.checked.insert(kMethods[method]);
  s.comboItem = t.comboItem[method];
  return s;  // every field and the list locked
}

TEST_F(PanelTest, EveryProfileFromTheTypeSide) {
  for (const TypeRow& t : kTypes) {
    for (int m = 0; m < 3; ++m) {
      TIZelvora fresh(registry, profiles, platform);
      fresh.Click(*fresh.FindBox(kMethods[m]));  // no type yet: loads nothing
      fresh.Click(*fresh.FindBox(t.box));
      EXPECT_EQ(Expected(t, m), Capture(fresh)) << t.box << " method " << m + 1;
    }
  }
}

TEST_F(PanelTest, EveryProfileOverEveryOtherAndOverCustomValues) {
  // From the method side, after any other type and values typed in Custom
  // Mode: a profile replaces every value it lists; only the list's pick may
  // differ where the profile does not set it.
  for (const TypeRow& before : kTypes) {
    for (const TypeRow& t : kTypes) {
      for (int m = 0; m < 3; ++m) {
        TIZelvora fresh(registry, profiles, platform);
        fresh.Click(*fresh.FindBox(before.box));
        fresh.Click(fresh.customMode);
        for (EditCtl* e : fresh.Edits()) fresh.SetText(*e, "99");
        for (CheckBoxCtl* b : fresh.Boxes()) {
          if (b->group == Group::kIndependent) fresh.SetChecked(*b, !b->checked);
        }
        fresh.Click(*fresh.FindBox(t.box));  // Custom Mode: only opens
        fresh.Click(*fresh.FindBox(kMethods[m]));
        PanelState expected = Expected(t, m);
        if (expected.comboItem < 0) expected.comboItem = fresh.rwinMultiples.itemIndex;
        EXPECT_EQ(expected, Capture(fresh)) << before.box << " then " << t.box << " " << m + 1;
      }
    }
  }
}

TEST_F(PanelTest, AProfileOverwritesTheWindowThatAPickedMultipleComputed) {
  Click("rwinMultiple");
  w.Pick(0);  // "x4"
  Click("cableDsl");
  EXPECT_EQ("256960", w.customRwin.text);
  EXPECT_EQ(0, w.rwinMultiples.itemIndex);
  EXPECT_TRUE(w.rwinCustom.checked);
}

TEST_F(PanelTest, ClickingTheCheckedTypeLoadsItsProfileAgain) {
  Click("modem");
  Click("ttlCustom");
  Put("customTtl", "99");
  Click("modem");
  EXPECT_EQ(Expected(kTypes[0], 0), Capture(w));
}

TEST_F(PanelTest, CustomModeKeepsTheProfileAndOpensAllSevenFields) {
  Click("isdn");
  Click("automatic2");
  Click("rwinMultiple");  // the list is open before Custom Mode locks it
  Click("customMode");
  PanelState expected = Expected(kTypes[1], 1);
  expected.checked.erase("automatic2");
  expected.checked.insert("customMode");
  for (const char* m :
       {"mtu1500", "ttl128", "cache16", "rwinCustom", "rwinMultiple", "keepAliveDefault"}) {
    expected.checked.erase(m);
  }
  expected.checked.insert(
      {"mtuCustom", "ttlCustom", "cacheCustom", "rwinCustom", "keepAliveCustom"});
  expected.open = {"customTtl",       "customMtu",      "customCache",     "customRwin",
                   "customKeepAlive", "maxConnections", "maxConnections10"};
  EXPECT_EQ(expected, Capture(w));
}

TEST_F(PanelTest, ATypeUnderCustomModeOpensTheFiveValueFieldsOnly) {
  w.SetChecked(w.customMode, true);  // Custom Mode with every field still locked
  w.SetChecked(w.vcache, true);
  PanelState expected = Capture(w);
  Click("extreme");
  expected.checked.insert(
      {"extreme", "mtuCustom", "ttlCustom", "cacheCustom", "rwinCustom", "keepAliveCustom"});
  expected.open = {"customTtl", "customMtu", "customCache", "customRwin", "customKeepAlive"};
  EXPECT_EQ(expected, Capture(w));
}

TEST_F(PanelTest, WithNoTypeAMethodChangesNothingButCustomModeStillOpens) {
  Click("automatic3");
  PanelState expected = Capture(Panel());
  expected.checked = {"automatic3"};
  EXPECT_EQ(expected, Capture(w));

  Click("customMode");
  expected.checked = {"customMode",  "mtuCustom",  "ttlCustom",
                      "cacheCustom", "rwinCustom", "keepAliveCustom"};
  expected.open = {"customTtl",       "customMtu",      "customCache",     "customRwin",
                   "customKeepAlive", "maxConnections", "maxConnections10"};
  EXPECT_EQ(expected, Capture(w));
}

}  // namespace
}  // namespace iz::test
