// The store's rules, checked on whatever registry and profile functions the
// build provides: the in-memory substitute natively, the real ones under
// Wine. The suite talks only RawRegistry, ProfileStrings and the store.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shared/conformance_registry.h"
#include "store/error.h"
#include "store/profile_file.h"
#include "store/settings_session.h"

namespace iz::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Stored {
  std::uint32_t type;
  Bytes data;
  bool operator==(const Stored& o) const { return type == o.type && data == o.data; }
};

Bytes Sz(const std::string& text) {
  Bytes b(text.begin(), text.end());
  b.push_back(0);
  return b;
}

Bytes Dw(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

const char* RootName(HKey root) { return root == kHKLM ? "HKLM" : "HKCU"; }

class StoreConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ =
        MakeConformanceTarget(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { target_.reset(); }

  RawRegistry& Reg() { return target_->Registry(); }

  // "@" stands for the scratch key path.
  std::string P(const std::string& pattern) const {
    std::string out;
    for (char c : pattern) out += c == '@' ? target_->Scratch() : std::string(1, c);
    return out;
  }

  bool KeyExists(HKey root, const std::string& path) {
    HKey key = 0;
    if (Reg().OpenKey(root, path, kKeyRead, &key) != kRegOk) return false;
    Reg().CloseKey(key);
    return true;
  }

  std::optional<Stored> Read(HKey root, const std::string& path, const std::string& name) {
    HKey key = 0;
    if (Reg().OpenKey(root, path, kKeyRead, &key) != kRegOk) return std::nullopt;
    std::uint32_t type = 0, size = 0;
    std::optional<Stored> out;
    if (Reg().QueryValue(key, name, &type, nullptr, &size) == kRegOk) {
      Bytes data(size);
      if (Reg().QueryValue(key, name, &type, data.data(), &size) == kRegOk) {
        data.resize(size);
        out = Stored{type, data};
      }
    }
    Reg().CloseKey(key);
    return out;
  }

  void MakeKey(HKey root, const std::string& path) {
    HKey key = 0;
    ASSERT_EQ(Reg().CreateKey(root, path, kKeyAllAccess, &key), kRegOk) << path;
    Reg().CloseKey(key);
  }

  void Seed(HKey root, const std::string& path, const std::string& name, std::uint32_t type,
            const Bytes& data) {
    HKey key = 0;
    ASSERT_EQ(Reg().CreateKey(root, path, kKeyAllAccess, &key), kRegOk) << path;
    EXPECT_EQ(Reg().SetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
              kRegOk);
    Reg().CloseKey(key);
  }

  // The store error an action raises, or "(none)".
  static std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& e) {
      return e.what();
    }
    return "(none)";
  }

  std::unique_ptr<ConformanceTarget> target_;
};

// The path rule: a leading backslash resolves from the root, any other path
// below the open key if one is open.
TEST_F(StoreConformance, PathRule) {
  struct Case {
    const char* openFirst;  // opened with creation before the step; nullptr: none
    bool closeFirst;        // ClosePath after opening it
    const char* path;       // OpenPath with creation
    const char* created;    // the key that must now exist, from the root
  };
  const Case cases[] = {
      {nullptr, false, "@\\A", "@\\A"},
      {nullptr, false, "\\@\\A", "@\\A"},
      {"\\@\\VxD", false, "System\\Class\\Net\\0000", "@\\VxD\\System\\Class\\Net\\0000"},
      {"@\\VxD", false, "MSTCP", "@\\VxD\\MSTCP"},
      {"\\@\\VxD", false, "\\@\\Class\\Net\\0000", "@\\Class\\Net\\0000"},
      {"\\@\\VxD", true, "@\\Class", "@\\Class"},
  };
  for (HKey root : {kHKCU, kHKLM}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(RootName(root)) + " " + c.path);
      target_.reset();
      target_ = MakeConformanceTarget(std::string("PathRule") + RootName(root));
      SettingsSession session(Reg());
      session.SetRoot(root);
      if (c.openFirst) {
        ASSERT_TRUE(session.OpenPath(P(c.openFirst), true));
        if (c.closeFirst) session.ClosePath();
      }
      EXPECT_TRUE(session.OpenPath(P(c.path), true));
      EXPECT_TRUE(KeyExists(root, P(c.created)));
      // The key is where the rule puts it, and only there.
      session.PutBinary("Here", "\x01", 1);
      EXPECT_TRUE(Read(root, P(c.created), "Here").has_value());
    }
  }
}

TEST_F(StoreConformance, FailedOpenKeepsTheSession) {
  SettingsSession session(Reg());
  ASSERT_TRUE(session.OpenPath(P("@\\Open"), true));
  EXPECT_FALSE(session.OpenPath(P("@\\Absent"), false));
  EXPECT_FALSE(session.OpenPathReadOnly(P("\\@\\Absent")));
  // Still the first key, with its rights.
  session.PutBinary("Still", "\x01", 1);
  EXPECT_TRUE(Read(kHKCU, P("@\\Open"), "Still").has_value());
  EXPECT_FALSE(KeyExists(kHKCU, P("@\\Absent")));
}

// The rights that opened a key read-only stay the session's rights: later
// opens cannot write either.
TEST_F(StoreConformance, ReadOnlyRightsStayWithTheSession) {
  Seed(kHKLM, P("@\\MSTCP"), "SackOpts", kRegSz, Sz("0"));
  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  ASSERT_TRUE(session.OpenPathReadOnly(P("@\\MSTCP")));
  EXPECT_FALSE(session.RemoveValue("SackOpts"));
  ASSERT_TRUE(session.OpenPath(P("\\@\\MSTCP"), true));
  EXPECT_EQ(ErrorOf([&] { session.PutBinary("Start", "\x01", 1); }),
            "Failed to set data for 'Start'");
  EXPECT_EQ(Read(kHKLM, P("@\\MSTCP"), "SackOpts"), (Stored{kRegSz, Sz("0")}));
}

TEST_F(StoreConformance, SpellingsOfAPathNameOneKey) {
  MakeKey(kHKLM, P("@\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"));
  const char* spellings[] = {
      "@\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
      "@\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters",
      "\\@\\system\\currentcontrolset\\services\\TCPIP\\parameters",
  };
  std::uint32_t value = 64;
  for (const char* spelling : spellings) {
    SCOPED_TRACE(spelling);
    WriteDwordAt(Reg(), kHKLM, P(spelling), "DefaultTTL", value);
    EXPECT_EQ(Read(kHKLM, P(spellings[0]), "DefaultTTL"), (Stored{kRegDword, Dw(value)}));
    for (const char* other : spellings) {
      EXPECT_EQ(ReadDwordAt(Reg(), kHKLM, P(other), "defaultttl"), static_cast<int>(value));
    }
    value *= 2;
  }
}

TEST_F(StoreConformance, WriteDwordAtNeverCreatesTheKey) {
  const std::string path = P("@\\Tcpip\\Parameters\\Interfaces\\interface");
  EXPECT_EQ(ErrorOf([&] { WriteDwordAt(Reg(), kHKLM, path, "TcpWindowSize", 65535); }),
            "Failed to set data for 'TcpWindowSize'");
  EXPECT_FALSE(KeyExists(kHKLM, P("@\\Tcpip")));

  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  EXPECT_TRUE(session.EnsureKey(path));
  // Nothing was left open: a relative path still starts at the root.
  session.PutSectionText(P("@\\Probe"), "x", "1");
  EXPECT_TRUE(KeyExists(kHKLM, P("@\\Probe")));
  WriteDwordAt(Reg(), kHKLM, path, "TcpWindowSize", 65535);
  EXPECT_EQ(Read(kHKLM, path, "TcpWindowSize"), (Stored{kRegDword, {0xFF, 0xFF, 0x00, 0x00}}));
}

TEST_F(StoreConformance, ReadDwordAt) {
  struct Case {
    const char* name;
    std::uint32_t type;  // 0 with no bytes: the value is not stored
    Bytes data;
    std::int32_t result;
    const char* error;
  };
  const Case cases[] = {
      {"Absent", 0, {}, 0, nullptr},
      {"Window", kRegDword, Dw(65535), 65535, nullptr},
      {"AllOnes", kRegDword, Dw(0xFFFFFFFFu), -1, nullptr},
      {"Text5", kRegSz, Sz("1500"), 0, "Failed to get data for 'Text5'"},
      {"Text4", kRegSz, Sz("150"), 0, "Invalid data type for 'Text4'"},
      {"Text2", kRegSz, Sz("1"), 0, "Invalid data type for 'Text2'"},
      {"Bin4", kRegBinary, Dw(1), 0, "Invalid data type for 'Bin4'"},
  };
  MakeKey(kHKLM, P("@\\MSTCP"));
  for (const Case& c : cases) {
    if (c.type) Seed(kHKLM, P("@\\MSTCP"), c.name, c.type, c.data);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t result = 12345;
    const std::string error =
        ErrorOf([&] { result = ReadDwordAt(Reg(), kHKLM, P("@\\MSTCP"), c.name); });
    EXPECT_EQ(error, c.error ? c.error : "(none)");
    if (!c.error) {
      EXPECT_EQ(result, c.result);
    }
  }
  EXPECT_EQ(ReadDwordAt(Reg(), kHKLM, P("@\\NoSuchKey"), "Window"), 0);
}

TEST_F(StoreConformance, ValueKindOf) {
  struct Case {
    const char* name;
    std::uint32_t type;
    Bytes data;
    ValueKind kind;
  };
  const Case cases[] = {
      {"Str", kRegSz, Sz("1"), ValueKind::String},
      {"Exp", kRegExpandSz, Sz("%x%"), ValueKind::ExpandString},
      {"Dw", kRegDword, Dw(1), ValueKind::Dword},
      {"Bin", kRegBinary, {1}, ValueKind::Binary},
      {"Multi", 7, {'a', 0, 0}, ValueKind::Unknown},
      {"Absent", 0, {}, ValueKind::Unknown},
  };
  MakeKey(kHKLM, P("@\\K"));
  for (const Case& c : cases) {
    if (c.type) Seed(kHKLM, P("@\\K"), c.name, c.type, c.data);
  }
  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  EXPECT_EQ(session.ValueKindOf("Str"), ValueKind::Unknown);  // no key open
  ASSERT_TRUE(session.OpenPathReadOnly(P("@\\K")));
  for (const Case& c : cases) EXPECT_EQ(session.ValueKindOf(c.name), c.kind) << c.name;
}

TEST_F(StoreConformance, GetBinary) {
  struct Case {
    const char* name;
    std::uint32_t type;  // 0: not stored
    Bytes data;
    std::uint32_t capacity;
    std::uint32_t count;
    Bytes buffer;  // the buffer afterwards (it starts as AB AB)
    const char* error;
  };
  const Case cases[] = {
      {"Absent", 0, {}, 1, 0, {0xAB, 0xAB}, nullptr},
      {"One", kRegBinary, {0x01}, 1, 1, {0x01, 0xAB}, nullptr},
      {"Zero", kRegBinary, {0x00}, 1, 1, {0x00, 0xAB}, nullptr},
      {"Two", kRegBinary, {0x00, 0x01}, 1, 0, {}, "Invalid data type for 'Two'"},
      {"TwoFit", kRegBinary, {0x00, 0x01}, 2, 2, {0x00, 0x01}, nullptr},
      {"Empty", kRegBinary, {}, 1, 0, {0xAB, 0xAB}, nullptr},
      {"Text", kRegSz, Sz(""), 1, 0, {}, "Invalid data type for 'Text'"},
      {"Number", kRegDword, Dw(1), 4, 0, {}, "Invalid data type for 'Number'"},
      {"Untyped", kRegNone, {0x01}, 1, 1, {0x01, 0xAB}, nullptr},
  };
  MakeKey(kHKLM, P("@\\Net\\0000"));
  for (const Case& c : cases) {
    if (c.type || !c.data.empty()) Seed(kHKLM, P("@\\Net\\0000"), c.name, c.type, c.data);
  }
  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  std::uint8_t buffer[2] = {0xAB, 0xAB};
  EXPECT_EQ(session.GetBinary("One", buffer, 1), 0u);  // no key open
  ASSERT_TRUE(session.OpenPath(P("@\\Net\\0000"), false));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t buf[2] = {0xAB, 0xAB};
    std::uint32_t count = 99;
    const std::string error = ErrorOf([&] { count = session.GetBinary(c.name, buf, c.capacity); });
    EXPECT_EQ(error, c.error ? c.error : "(none)");
    if (c.error) continue;
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(Bytes(buf, buf + 2), c.buffer);
  }
}

TEST_F(StoreConformance, GetSectionText) {
  struct Case {
    const char* section;
    const char* name;
    std::uint32_t type;  // 0: not stored
    Bytes data;
    const char* defaultText;
    const char* result;
    const char* error;
  };
  const Case cases[] = {
      {"", "Absent", 0, {}, "0", "0", nullptr},
      {"", "Blank", kRegSz, {}, "0", "", nullptr},
      {"", "Text", kRegSz, Sz("1500"), "0", "1500", nullptr},
      {"", "Expand", kRegExpandSz, Sz("%windir%"), "0", "%windir%", nullptr},
      {"", "TwoStrings", kRegSz, {'a', 'b', 0, 'c', 'd', 0}, "0", "ab", nullptr},
      {"", "Number", kRegDword, Dw(1), "0", nullptr, "Invalid data type for 'Number'"},
      {"", "Bytes", kRegBinary, {'1', 0}, "0", nullptr, "Invalid data type for 'Bytes'"},
      {"Internet Zelvora", "FirstUse", kRegSz, Sz("0"), "1", "0", nullptr},
      {"Internet Zelvora", "Other", 0, {}, "1", "1", nullptr},
      {"NoSuchSection", "FirstUse", 0, {}, "1", "1", nullptr},
  };
  MakeKey(kHKCU, P("@\\SOFTWARE"));
  for (const Case& c : cases) {
    if (c.type) {
      Seed(kHKCU, P("@\\SOFTWARE") + (*c.section ? std::string("\\") + c.section : ""), c.name,
           c.type, c.data);
    }
  }
  SettingsSession session(Reg());
  ASSERT_TRUE(session.OpenPath(P("\\@\\SOFTWARE"), false));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string result;
    const std::string error =
        ErrorOf([&] { result = session.GetSectionText(c.section, c.name, c.defaultText); });
    EXPECT_EQ(error, c.error ? c.error : "(none)");
    if (!c.error) {
      EXPECT_EQ(result, c.result);
    }
  }
  EXPECT_FALSE(KeyExists(kHKCU, P("@\\SOFTWARE\\NoSuchSection")));
}

// The NDI cache size: the default value of the subkey "cachesize" of the
// open key, a two-byte string for "0"; the open key stays open.
TEST_F(StoreConformance, PutSectionTextIntoSubkeyOfTheOpenKey) {
  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  ASSERT_TRUE(session.OpenPath(P("\\@\\VxD\\NWLink\\Ndi\\params"), true));
  session.PutSectionText("cachesize", "", "0");
  session.PutSectionText("", "Own", "x");
  session.PutSectionText("MSTCP\\Deep", "DefaultTTL", "128");
  EXPECT_EQ(Read(kHKLM, P("@\\VxD\\NWLink\\Ndi\\params\\cachesize"), ""),
            (Stored{kRegSz, {'0', 0}}));
  EXPECT_EQ(Read(kHKLM, P("@\\VxD\\NWLink\\Ndi\\params"), "Own"), (Stored{kRegSz, Sz("x")}));
  EXPECT_EQ(Read(kHKLM, P("@\\VxD\\NWLink\\Ndi\\params\\MSTCP\\Deep"), "DefaultTTL"),
            (Stored{kRegSz, Sz("128")}));
  // Still open and usable.
  session.PutBinary("Start", "\x00", 1);
  EXPECT_EQ(Read(kHKLM, P("@\\VxD\\NWLink\\Ndi\\params"), "Start"), (Stored{kRegBinary, {0}}));
}

TEST_F(StoreConformance, PutSectionTextWithoutOpenKeyResolvesFromTheRoot) {
  SettingsSession session(Reg());
  session.PutSectionText(P("@\\SOFTWARE\\Internet Zelvora"), "FirstUse", "0");
  session.PutSectionText(P("@\\Probe"), "x", "1");
  EXPECT_TRUE(KeyExists(kHKCU, P("@\\Probe"))) << "nothing was left open";
  EXPECT_EQ(Read(kHKCU, P("@\\SOFTWARE\\Internet Zelvora"), "FirstUse"), (Stored{kRegSz, Sz("0")}));
}

TEST_F(StoreConformance, RemovalsAreSilent) {
  Seed(kHKLM, P("@\\MSTCP"), "Tcp1323Opts", kRegDword, Dw(1));
  Seed(kHKLM, P("@\\NetTrans\\0001"), "MaxMTU", kRegSz, Sz("1500"));
  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  EXPECT_FALSE(session.RemoveValue("Tcp1323Opts"));  // no key open
  ASSERT_TRUE(session.OpenPath(P("@\\MSTCP"), true));
  EXPECT_FALSE(session.RemoveValue("BSDUrgent"));
  EXPECT_TRUE(session.RemoveValue("TCP1323OPTS"));
  EXPECT_FALSE(Read(kHKLM, P("@\\MSTCP"), "Tcp1323Opts").has_value());
  session.ClosePath();
  ASSERT_TRUE(session.OpenPath(P("@\\NetTrans"), false));
  session.RemoveSectionValue("0001", "maxmtu");
  session.RemoveSectionValue("0001", "IPMTU");
  session.RemoveSectionValue("0002", "MaxMTU");
  EXPECT_FALSE(Read(kHKLM, P("@\\NetTrans\\0001"), "MaxMTU").has_value());
  EXPECT_FALSE(KeyExists(kHKLM, P("@\\NetTrans\\0002")));
}

TEST_F(StoreConformance, SetRootClosesTheOpenKeyOnlyOnAChange) {
  SettingsSession session(Reg());
  EXPECT_EQ(session.Root(), kHKCU);
  ASSERT_TRUE(session.OpenPath(P("@\\Internet Settings"), true));
  session.SetRoot(kHKCU);
  session.PutSectionText("Kept", "x", "1");  // still below the open key
  EXPECT_TRUE(KeyExists(kHKCU, P("@\\Internet Settings\\Kept")));
  session.SetRoot(kHKLM);
  EXPECT_EQ(session.Root(), kHKLM);
  EXPECT_TRUE(session.OpenPath(P("@\\Internet Settings"), true));
  EXPECT_TRUE(KeyExists(kHKLM, P("@\\Internet Settings")));
}

TEST_F(StoreConformance, BinaryAndRawValuesRoundTrip) {
  SettingsSession session(Reg());
  session.SetRoot(kHKLM);
  ASSERT_TRUE(session.OpenPath(P("@\\VCACHE"), true));
  session.PutBinary("Start", "\x01", 1);
  session.PutValue("Raw", kRegExpandSz, Sz("%x%"));
  EXPECT_EQ(Read(kHKLM, P("@\\VCACHE"), "Start"), (Stored{kRegBinary, {1}}));
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_TRUE(session.GetValue("raw", &type, &data));
  EXPECT_EQ((Stored{type, data}), (Stored{kRegExpandSz, Sz("%x%")}));
  EXPECT_FALSE(session.GetValue("Absent", &type, &data));
}

// Every store error, with the name or path the caller gave.
TEST_F(StoreConformance, ErrorTexts) {
  target_->MakeUncreatable(kHKLM, P("@\\Locked"));
  Seed(kHKLM, P("@\\Values"), "Text5", kRegSz, Sz("1500"));
  Seed(kHKLM, P("@\\Values"), "Two", kRegBinary, {0, 1});
  Seed(kHKLM, P("@\\Values"), "Number", kRegDword, Dw(7));
  const std::string unwritable = target_->UnwritableFile();

  struct Case {
    const char* what;
    std::function<void(SettingsSession&)> action;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"EnsureKey", [&](SettingsSession& s) { s.EnsureKey(P("@\\Locked\\Tcpip")); },
       "Failed to create key " + P("@\\Locked\\Tcpip")},
      {"PutSectionText creating",
       [&](SettingsSession& s) { s.PutSectionText(P("@\\Locked\\MSTCP"), "DefaultTTL", "128"); },
       "Failed to create key " + P("@\\Locked\\MSTCP")},
      {"PutBinary without a key", [&](SettingsSession& s) { s.PutBinary("SLOWNET", "\x01", 1); },
       "Failed to set data for 'SLOWNET'"},
      {"PutSectionText writing",
       [&](SettingsSession& s) {
         s.OpenPathReadOnly(P("@\\Values"));
         s.PutSectionText("MSTCP", "DefaultTTL", "128");
       },
       "Failed to set data for 'DefaultTTL'"},
      {"WriteDwordAt",
       [&](SettingsSession&) { WriteDwordAt(Reg(), kHKLM, P("@\\Absent"), "TcpWindowSize", 1); },
       "Failed to set data for 'TcpWindowSize'"},
      {"ReadDwordAt", [&](SettingsSession&) { ReadDwordAt(Reg(), kHKLM, P("@\\Values"), "Text5"); },
       "Failed to get data for 'Text5'"},
      {"GetBinary",
       [&](SettingsSession& s) {
         std::uint8_t b = 0;
         s.OpenPath(P("@\\Values"), false);
         s.GetBinary("Two", &b, 1);
       },
       "Invalid data type for 'Two'"},
      {"GetSectionText",
       [&](SettingsSession& s) {
         s.OpenPath(P("@\\Values"), false);
         s.GetSectionText("", "Number", "0");
       },
       "Invalid data type for 'Number'"},
      {"PutProfileText",
       [&](SettingsSession&) {
         ProfileFile file(target_->Profiles(), unwritable);
         file.PutProfileText("Ports", "COM1:", "9600,n,8,1,x");
       },
       "Unable to write to " + unwritable},
  };
  for (const Case& c : cases) {
    SettingsSession session(Reg());
    session.SetRoot(kHKLM);
    EXPECT_EQ(ErrorOf([&] { c.action(session); }), c.text) << c.what;
  }
  EXPECT_FALSE(KeyExists(kHKLM, P("@\\Locked\\Tcpip")));
  EXPECT_FALSE(KeyExists(kHKLM, P("@\\Absent")));
}

// The profile functions: file and section created as needed, an entry
// replaced, the others kept, names matched without regard to case.
TEST_F(StoreConformance, ProfileEntries) {
  const std::string path = target_->ScratchDirectory() + "\\Win.ini";
  ProfileFile file(target_->Profiles(), path);
  EXPECT_EQ(file.GetProfileText("Ports", "COM1:", "Error"), "Error");

  file.PutProfileText("Ports", "COM1:", "9600,n,8,1,x");
  file.PutProfileText("Ports", "COM2:", "9600,n,8,1,x");
  file.PutProfileText("windows", "load", "");
  file.PutProfileText("PORTS", "com1:", "921600,n,8,1,p");

  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"Ports", "COM1:", "921600,n,8,1,p"}, {"ports", "COM2:", "9600,n,8,1,x"},
      {"Ports", "COM3:", "Error"},          {"windows", "LOAD", ""},
      {"Devices", "COM1:", "Error"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(file.GetProfileText(c.section, c.key, "Error"), c.value) << c.section << c.key;
  }
}

// Undo removes only a key it finds empty, deepest first: the count tells,
// and a key with a subkey is refused (the NT family's rule, which the
// program never relies on the 9x family to share).
TEST_F(StoreConformance, KeyCountsAndDeletingAKey) {
  Seed(kHKLM, P("@\\Made\\Deep"), "Start", kRegBinary, {1});
  HKey key = 0;
  ASSERT_EQ(Reg().OpenKey(kHKLM, P("@\\Made"), kKeyQueryValue, &key), kRegOk);
  std::uint32_t subKeys = 9, values = 9;
  EXPECT_EQ(Reg().QueryKeyCounts(key, &subKeys, &values), kRegOk);
  EXPECT_EQ(subKeys, 1u);
  EXPECT_EQ(values, 0u);
  Reg().CloseKey(key);
  EXPECT_NE(Reg().DeleteKey(kHKLM, P("@\\Made")), kRegOk);
  EXPECT_TRUE(KeyExists(kHKLM, P("@\\Made\\Deep")));
  EXPECT_EQ(Reg().DeleteKey(kHKLM, P("@\\Made\\Deep")), kRegOk);
  EXPECT_EQ(Reg().DeleteKey(kHKLM, P("@\\Made")), kRegOk);
  EXPECT_FALSE(KeyExists(kHKLM, P("@\\Made")));
  EXPECT_EQ(Reg().DeleteKey(kHKLM, P("@\\Made")), kRegNotFound);
}

// A section is listed while it exists, even empty, and goes whole.
TEST_F(StoreConformance, ProfileSections) {
  const std::string path = target_->ScratchDirectory() + "\\Sections.ini";
  ProfileStrings& profiles = target_->Profiles();
  EXPECT_EQ(profiles.SectionNames(path), std::vector<std::string>{});
  ASSERT_TRUE(profiles.WriteString(path, "windows", "load", "x"));
  ASSERT_TRUE(profiles.WriteString(path, "Ports", "COM1:", "9600,n,8,1,x"));
  ASSERT_TRUE(profiles.WriteString(path, "Ports", "COM2:", "x"));
  EXPECT_EQ(profiles.KeyNames(path, "PORTS"), (std::vector<std::string>{"COM1:", "COM2:"}));
  ASSERT_TRUE(profiles.RemoveString(path, "Ports", "COM1:"));
  ASSERT_TRUE(profiles.RemoveString(path, "Ports", "COM2:"));
  profiles.Flush(path);
  EXPECT_EQ(profiles.SectionNames(path), (std::vector<std::string>{"windows", "Ports"}));
  EXPECT_EQ(profiles.KeyNames(path, "Ports"), std::vector<std::string>{});
  ASSERT_TRUE(profiles.RemoveSection(path, "ports"));
  profiles.Flush(path);
  EXPECT_EQ(profiles.SectionNames(path), std::vector<std::string>{"windows"});
  EXPECT_EQ(profiles.ReadString(path, "windows", "load", ""), "x");
}

TEST_F(StoreConformance, ProfileReadsAtMost2047Characters) {
  const std::string path = target_->ScratchDirectory() + "\\Long.ini";
  ProfileFile file(target_->Profiles(), path);
  file.PutProfileText("Ports", "COM1:", std::string(3000, 'x'));
  EXPECT_EQ(file.GetProfileText("Ports", "COM1:", ""), std::string(2047, 'x'));
}

}  // namespace
}  // namespace iz::test
