#include "store/parameter_map.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace iz::map {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TEST(ParameterMap, RowsPerFamily) {
  std::map<Family, int> counts;
  for (const Location& l : kParameterMap) ++counts[l.family];
  const std::map<Family, int> expected = {{Family::NtTcpip, 12},
                                          {Family::Win9xTcpip, 13},
                                          {Family::Shared9x, 8},
                                          {Family::NetClass9x, 15},
                                          {Family::BrowserLimits, 2}};
  EXPECT_EQ(counts, expected);
}

TEST(ParameterMap, EveryLocationIsListedOnce) {
  std::set<std::string> seen;
  for (const Location& l : kParameterMap) {
    const std::string id = std::to_string(l.root) + "|" + Lower(l.key) + "|" + Lower(l.value);
    EXPECT_TRUE(seen.insert(id).second) << id;
    EXPECT_NE(l.key[0], '\\') << "canonical keys have no leading backslash: " << l.key;
    EXPECT_EQ(FindLocation(l.root, l.key, l.value), &l);
  }
}

// Which operations may touch a family: the NT family's TCP/IP is left alone
// by the 9x side and vice versa; the shared and browser rows are written by
// both appliers.
TEST(ParameterMap, FamiliesAreTouchedOnlyByTheirOperations) {
  const std::map<Family, std::set<Op>> allowed = {
      {Family::NtTcpip, {Op::ApplyNT, Op::RestoreNT, Op::ReadNT}},
      {Family::Win9xTcpip, {Op::Apply9x, Op::Restore95, Op::Restore98, Op::Read9x}},
      {Family::NetClass9x, {Op::Apply9x, Op::Restore95, Op::Restore98, Op::Read9x}},
  };
  for (const Location& l : kParameterMap) {
    auto it = allowed.find(l.family);
    if (it == allowed.end()) {
      EXPECT_NE(At(l, Op::ApplyNT).act, Act::None) << l.key << " " << l.value;
      EXPECT_NE(At(l, Op::Apply9x).act, Act::None) << l.key << " " << l.value;
      continue;
    }
    for (std::size_t op = 0; op < kOpCount; ++op) {
      if (it->second.count(static_cast<Op>(op))) continue;
      EXPECT_EQ(l.ops[op].act, Act::None) << l.key << " " << l.value << " op " << op;
    }
  }
}

// How many values each operation writes, removes and reads.
TEST(ParameterMap, WorkPerOperation) {
  struct Work {
    int writes = 0, removals = 0, reads = 0;
    bool operator==(const Work& o) const {
      return writes == o.writes && removals == o.removals && reads == o.reads;
    }
  };
  std::vector<Work> work(kOpCount);
  for (const Location& l : kParameterMap) {
    for (std::size_t op = 0; op < kOpCount; ++op) {
      switch (l.ops[op].act) {
        case Act::Dword:
        case Act::String:
        case Act::Binary:
          ++work[op].writes;
          break;
        case Act::Remove:
          ++work[op].removals;
          break;
        case Act::Read:
          ++work[op].reads;
          break;
        case Act::None:
          break;
      }
    }
  }
  const std::vector<Work> expected = {
      {22, 0, 0},   // Apply NT
      {38, 0, 0},   // Apply 9x
      {10, 7, 0},   // Restore NT: both receive windows removed
      {16, 18, 0},  // Restore 95
      {16, 22, 0},  // Restore 98
      {0, 0, 20},   // Read NT
      {0, 0, 20},   // Read 9x
  };
  for (std::size_t op = 0; op < kOpCount; ++op) {
    EXPECT_EQ(work[op].writes, expected[op].writes) << "op " << op;
    EXPECT_EQ(work[op].removals, expected[op].removals) << "op " << op;
    EXPECT_EQ(work[op].reads, expected[op].reads) << "op " << op;
  }
}

// A fixed value is plain decimal, a binary one a single 0 or 1; the appliers
// take everything but the NDI limits from the panel.
TEST(ParameterMap, FixedValuesArePlainDecimal) {
  for (const Location& l : kParameterMap) {
    for (std::size_t op = 0; op < kOpCount; ++op) {
      const Cell c = l.ops[op];
      if (!c.fixed) continue;
      const std::string v = c.fixed;
      ASSERT_FALSE(v.empty());
      for (char ch : v) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(ch))) << v;
      EXPECT_TRUE(v == "0" || v[0] != '0') << v;
      if (c.act == Act::Binary) {
        EXPECT_TRUE(v == "0" || v == "1") << l.key;
      }
      EXPECT_TRUE(c.act == Act::Dword || c.act == Act::String || c.act == Act::Binary);
    }
  }
}

TEST(ParameterMap, TwoGlobalWindowNamesAreDistinctValues) {
  EXPECT_STREQ(kGlobalMaxTcpWindoSize, "GlobalMaxTcpWindoSize");
  EXPECT_STREQ(kGlobalMaxTcpWindowSize, "GlobalMaxTcpWindowSize");
  for (const char* name : {kGlobalMaxTcpWindoSize, kGlobalMaxTcpWindowSize}) {
    const Location* l = FindLocation(kHKLM, kMstcpParametersKey, name);
    ASSERT_NE(l, nullptr) << name;
    EXPECT_EQ(At(*l, Op::Apply9x).act, Act::Dword);
    EXPECT_EQ(At(*l, Op::Restore98).act, Act::Remove);
    EXPECT_EQ(At(*l, Op::Restore95).act, Act::None);
  }
  EXPECT_EQ(FindLocation(kHKLM, kTcpipParametersKey, kGlobalMaxTcpWindoSize), nullptr);
  EXPECT_NE(FindLocation(kHKLM, kTcpipParametersKey, kGlobalMaxTcpWindowSize), nullptr);
}

TEST(ParameterMap, InterfaceKeyIsTheLiteralName) {
  EXPECT_STREQ(kTcpipInterfaceKey,
               "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\interface");
  EXPECT_EQ(std::string(kTcpipInterfaceKey), std::string(kTcpipInterfacesKey) + "\\interface");
  int rows = 0;
  for (const Location& l : kParameterMap) rows += SameKeyPath(l.key, kTcpipInterfaceKey);
  EXPECT_EQ(rows, 2);  // TcpWindowSize and MTU
}

// The operations spell some keys differently; the spellings matter to the
// path rule (a leading backslash) but all name the same key.
TEST(ParameterMap, SpellingsOfOneKey) {
  struct Spelling {
    const char* a;
    const char* b;
  };
  const Spelling same[] = {
      {kTcpipParametersUpperKey, kTcpipParametersKey},
      {kMstcpParametersAbsKey, kMstcpParametersKey},
      {kNdiParamsAbsKey, kNdiParamsKey},
      {kNetTransAbsKey, kNetTransKey},
      {kNetClass0000AbsKey, kNetClass0000Key},
      {kInternetSettingsUpperKey, kInternetSettingsKey},
  };
  for (const Spelling& s : same) {
    EXPECT_TRUE(SameKeyPath(s.a, s.b)) << s.a;
    EXPECT_STRNE(s.a, s.b);
  }
  EXPECT_EQ(std::string(kTcpipParametersUpperKey).rfind("SYSTEM\\", 0), 0u);
  EXPECT_EQ(std::string(kTcpipServiceKey).rfind("SYSTEM\\", 0), 0u);
  EXPECT_EQ(std::string(kTcpipParametersKey).rfind("System\\", 0), 0u);
  EXPECT_EQ(std::string(kInternetSettingsUpperKey).rfind("SOFTWARE\\", 0), 0u);
  EXPECT_EQ(std::string(kInternetSettingsKey).rfind("Software\\", 0), 0u);
  EXPECT_EQ(std::string(kVxDAbsKey) + "\\" + kSectionMstcp, "\\" + std::string(kMstcpKey));
  EXPECT_EQ(std::string(kNdiParamsKey) + "\\" + kSectionCacheSize, kNdiCacheSizeKey);
  EXPECT_EQ(std::string(kNdiParamsKey) + "\\" + kSectionMaxConnect, kNdiMaxConnectKey);
  EXPECT_EQ(std::string(kNdiParamsKey) + "\\" + kSectionMaxSockets, kNdiMaxSocketsKey);
  EXPECT_EQ(std::string(kNetTransKey) + "\\" + kInstance0002, kNetTrans0002Key);
  EXPECT_EQ(std::string(kNetClassAbsKey) + "\\" + kInstance0001,
            "\\" + std::string(kNetClass0001Key));
  EXPECT_FALSE(SameKeyPath(kNetClass0000Key, kNetTrans0000Key));
}

TEST(ParameterMap, ComPortEntries) {
  const std::vector<std::string> ports(kComPorts, kComPorts + kComPortsWritten);
  EXPECT_EQ(ports, (std::vector<std::string>{"COM1:", "COM2:", "COM3:", "COM4:", "COM5:"}));
  EXPECT_EQ(kComPortsRead, 4u);
  EXPECT_STREQ(kPortsOptimized, "921600,n,8,1,p");
  EXPECT_STREQ(kPortsDefault, "9600,n,8,1,x");
}

}  // namespace
}  // namespace iz::map
