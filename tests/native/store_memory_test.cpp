// What only the in-memory registry can show: rights that let a user read but
// not write, injected failures, handle bookkeeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "store/memory_registry.h"
#include "store/settings_session.h"

namespace iz {
namespace {

std::string Hex(std::uint32_t v) {
  const char* digits = "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[v & 15]);
  } while (v >>= 4);
  return "0x" + out;
}

constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(none)";
}

// A user who may read but not write the key sees the stored DWORD.
TEST(StoreMemory, ReadDwordAtNeedsOnlyReadRights) {
  MemoryRegistry reg;
  reg.SetDword(kHKLM, kMstcp, "DefaultRcvWindow", 8192);
  reg.SetKeyRights(kHKLM, kMstcp, kKeyRead);
  EXPECT_EQ(ReadDwordAt(reg, kHKLM, kMstcp, "DefaultRcvWindow"), 8192);
  EXPECT_EQ(ErrorOf([&] { WriteDwordAt(reg, kHKLM, kMstcp, "DefaultRcvWindow", 1); }),
            "Failed to set data for 'DefaultRcvWindow'");
  EXPECT_EQ(reg.Get(kHKLM, kMstcp, "DefaultRcvWindow")->data, DwordBytes(8192));
  EXPECT_EQ(reg.OpenHandles(), 0);
}

// OpenPathReadOnly falls back to lesser rights when KEY_READ is refused.
TEST(StoreMemory, OpenPathReadOnlyFallsBack) {
  const struct {
    std::uint32_t granted;
    std::uint32_t used;
  } cases[] = {
      {kKeyAllAccess, kKeyRead}, {kKeyQueryEnum, kKeyQueryEnum}, {kKeyQueryValue, kKeyQueryValue}};
  for (const auto& c : cases) {
    MemoryRegistry reg;
    reg.SetKeyRights(kHKLM, kMstcp, c.granted);
    SettingsSession session(reg);
    session.SetRoot(kHKLM);
    EXPECT_TRUE(session.OpenPathReadOnly(kMstcp));
    // The rights that opened it are the session's rights from now on.
    session.OpenPath(std::string("\\") + kMstcp, false);
    EXPECT_EQ(reg.CallLog().end()[-2],
              "OpenKey HKLM " + std::string(kMstcp) + " " + Hex(c.used) + " -> 0");
  }
  MemoryRegistry reg;
  reg.SetKeyRights(kHKLM, kMstcp, kKeySetValue);
  SettingsSession session(reg);
  session.SetRoot(kHKLM);
  EXPECT_FALSE(session.OpenPathReadOnly(kMstcp));
  session.OpenPath(std::string("\\") + kMstcp, false);
  EXPECT_EQ(reg.CallLog().back(), "OpenKey HKLM " + std::string(kMstcp) + " 0xf003f -> 5");
}

// Each raw call of a step failed in turn: the step either completes or
// raises its own error, and never leaves a key handle open.
TEST(StoreMemory, InjectedFailuresRaiseTheStepsErrorAndLeakNoHandle) {
  struct Case {
    const char* what;
    std::function<void(MemoryRegistry&)> step;
    std::vector<std::string> errors;  // texts the step may raise
  };
  const std::vector<Case> cases = {
      {"PutSectionText",
       [](MemoryRegistry& r) {
         SettingsSession s(r);
         s.SetRoot(kHKLM);
         s.OpenPath("\\VxD", true);
         s.PutSectionText("MSTCP", "DefaultTTL", "64");
       },
       {"Failed to create key MSTCP", "Failed to set data for 'DefaultTTL'"}},
      {"GetBinary",
       [](MemoryRegistry& r) {
         SettingsSession s(r);
         s.SetRoot(kHKLM);
         std::uint8_t b = 0;
         s.OpenPath("Net", false);
         s.GetBinary("SLOWNET", &b, 1);
       },
       {"Failed to get data for 'SLOWNET'"}},
      {"ReadDwordAt",
       [](MemoryRegistry& r) { ReadDwordAt(r, kHKLM, "Net", "Number"); },
       {"Failed to get data for 'Number'"}},
      {"WriteDwordAt",
       [](MemoryRegistry& r) { WriteDwordAt(r, kHKLM, "Net", "Number", 1); },
       {"Failed to set data for 'Number'"}},
  };
  for (const Case& c : cases) {
    for (int n = 1; n <= 8; ++n) {
      MemoryRegistry reg;
      reg.SetRaw(kHKLM, "Net", "SLOWNET", kRegBinary, {0});
      reg.SetDword(kHKLM, "Net", "Number", 5);
      reg.FailCall(n);
      const std::string error = ErrorOf([&] { c.step(reg); });
      if (error != "(none)") {
        EXPECT_NE(std::find(c.errors.begin(), c.errors.end(), error), c.errors.end())
            << c.what << " call " << n << ": " << error;
      }
      // A close that fails leaves its handle behind; nothing else may.
      const bool closeFailed = reg.CallLog().size() >= static_cast<std::size_t>(n) &&
                               reg.CallLog()[n - 1].rfind("CloseKey", 0) == 0;
      EXPECT_EQ(reg.OpenHandles(), closeFailed ? 1 : 0) << c.what << " call " << n;
    }
  }
}

TEST(StoreMemory, RawRegistryBehavesLikeThePlatform) {
  MemoryRegistry reg;
  HKey key = 0;
  EXPECT_EQ(reg.OpenKey(kHKLM, "A", kKeyRead, &key), kRegNotFound);
  ASSERT_EQ(reg.CreateKey(kHKLM, "A\\B", kKeyAllAccess, &key), kRegOk);
  HKey again = 0;
  ASSERT_EQ(reg.OpenKey(kHKLM, "a\\b", kKeyRead, &again), kRegOk);
  EXPECT_NE(key, again);  // a fresh handle each time

  const char text[] = "1500";
  EXPECT_EQ(reg.SetValue(key, "MaxMTU", kRegSz, text, 5), kRegOk);
  EXPECT_EQ(reg.SetValue(again, "MaxMTU", kRegSz, text, 5), kRegAccessDenied);  // read-only handle
  std::uint32_t type = 0, size = 4;
  char buffer[8] = {};
  EXPECT_EQ(reg.QueryValue(again, "maxmtu", &type, buffer, &size), kRegMoreData);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(reg.QueryValue(again, "maxmtu", &type, buffer, &size), kRegOk);
  EXPECT_STREQ(buffer, "1500");
  EXPECT_EQ(type, kRegSz);

  EXPECT_EQ(reg.CloseKey(again), kRegOk);
  EXPECT_EQ(reg.CloseKey(again), kRegInvalidHandle);
  EXPECT_EQ(reg.QueryValue(again, "MaxMTU", &type, nullptr, &size), kRegInvalidHandle);
  EXPECT_EQ(reg.DeleteValue(key, "Absent"), kRegNotFound);
  EXPECT_EQ(reg.CloseKey(key), kRegOk);

  reg.SetKeyRights(kHKLM, "A", kKeyRead);
  EXPECT_EQ(reg.CreateKey(kHKLM, "A\\C", kKeyAllAccess, &key), kRegAccessDenied);
  EXPECT_EQ(reg.CreateKey(kHKLM, "A", kKeyAllAccess, &key), kRegAccessDenied);
  reg.FailKey(kHKLM, "A\\B");
  EXPECT_EQ(reg.OpenKey(kHKLM, "A\\B", kKeyRead, &key), kRegAccessDenied);
  EXPECT_EQ(reg.OpenKey(kHKCU, "A\\B", kKeyRead, &key), kRegNotFound);  // other root
  EXPECT_EQ(reg.CallCount(), 16);
  EXPECT_FALSE(reg.KeyExists(kHKLM, "A\\C"));
}

TEST(StoreMemory, DumpListsEveryValueInAStableOrder) {
  MemoryRegistry reg;
  reg.SetDword(kHKLM, "SYSTEM\\Tcpip", "b", 2);
  reg.SetString(kHKLM, "System\\tcpip", "A", "x");
  reg.SetString(kHKCU, "Software", "", "d");
  reg.CreateKeyPath(kHKLM, "System\\Empty");
  const std::vector<MemoryRegistry::Entry> expected = {
      {kHKCU, "Software", "", kRegSz, StringBytes("d")},
      {kHKLM, "system\\TCPIP", "a", kRegSz, StringBytes("x")},
      {kHKLM, "SYSTEM\\Tcpip", "B", kRegDword, DwordBytes(2)},
  };
  EXPECT_EQ(reg.Dump(), expected);
  EXPECT_EQ(reg.Keys(), (std::vector<std::string>{"HKCU\\Software", "HKLM\\SYSTEM",
                                                  "HKLM\\SYSTEM\\Empty", "HKLM\\SYSTEM\\Tcpip"}));

  // Removing a value in the middle, setting one again under another case:
  // the rest keep their data, the first spelling stays, the order holds.
  reg.SetDword(kHKLM, "System\\Tcpip", "c", 3);
  HKey key = 0;
  ASSERT_EQ(reg.OpenKey(kHKLM, "System\\Tcpip", kKeyAllAccess, &key), kRegOk);
  EXPECT_EQ(reg.DeleteValue(key, "a"), kRegOk);
  EXPECT_EQ(reg.SetValue(key, "C", kRegDword, DwordBytes(4).data(), 4), kRegOk);
  std::uint32_t subKeys = 0, values = 0;
  EXPECT_EQ(reg.QueryKeyCounts(key, &subKeys, &values), kRegOk);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(reg.Get(kHKLM, "SYSTEM\\TCPIP", "B")->data, DwordBytes(2));
  EXPECT_EQ(reg.CloseKey(key), kRegOk);
  const std::vector<MemoryRegistry::Entry> after = {
      {kHKCU, "Software", "", kRegSz, StringBytes("d")},
      {kHKLM, "SYSTEM\\Tcpip", "b", kRegDword, DwordBytes(2)},
      {kHKLM, "SYSTEM\\Tcpip", "c", kRegDword, DwordBytes(4)},
  };
  EXPECT_EQ(reg.Dump(), after);
  EXPECT_EQ(reg.Dump().back().name, "c");  // Entry compares names without case

  // Subkeys list by name whatever order they were made in.
  reg.CreateKeyPath(kHKLM, "SYSTEM\\b");
  std::string name;
  ASSERT_EQ(reg.OpenKey(kHKLM, "SYSTEM", kKeyRead, &key), kRegOk);
  std::vector<std::string> names;
  for (std::uint32_t i = 0; reg.EnumKey(key, i, &name) == kRegOk; ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"b", "Empty", "Tcpip"}));
  EXPECT_EQ(reg.CloseKey(key), kRegOk);
}

}  // namespace
}  // namespace iz
