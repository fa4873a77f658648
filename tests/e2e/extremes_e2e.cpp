// Edit fields at their extremes in the real window: very long texts, numbers
// beyond 64 bits, negative values, hexadecimal with and without its prefix.
// The panel's rules count them, and Optimize either writes them or refuses
// the whole run with the conversion error, writing nothing.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ui_driver.h"

namespace e2e {
namespace {

constexpr char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kInterface[] =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\interface";
constexpr char kNetbt[] = "SYSTEM\\CurrentControlSet\\Services\\Netbt\\Parameters";
constexpr char kMtuGroup[] = "Maximum Transmission Unit ";
constexpr char kTtlGroup[] = "Time To Live (TTL) ";
constexpr char kRwinGroup[] = "Receive Window (RWIN)";
constexpr char kSkaGroup[] = "Session Keep Alive (SKA) ";

// One field's text: where it goes, the choice its rule marks, and what
// Optimize makes of it (a DWORD written, or the error naming the text).
struct Case {
  const char* name;
  const char* group;
  std::string text;
  const char* marked;     // caption of the choice the rule marks
  const char* key;        // where the applier writes the field
  const char* value;
  bool written;           // false: Optimize refuses with the conversion error
  DWORD dword;            // the DWORD written
};

const std::string kLong(5000, '9');

const Case kCases[] = {
    {"LongDigits", kMtuGroup, kLong, " Custom", kInterface, "MTU", false, 0},
    {"BeyondSixtyFourBits", kMtuGroup, "18446744073709551616", " Custom", kInterface, "MTU",
     false, 0},
    {"HexWithPrefix", kMtuGroup, "0x5DC", " 1500 (LAN)", kInterface, "MTU", true, 1500},
    {"DollarHex", kMtuGroup, "$240", " 576 (Dial-UP)", kInterface, "MTU", true, 576},
    {"Negative", kTtlGroup, "-1", " Custom", kTcpip, "DefaultTTL", true, 0xFFFFFFFFu},
    {"LowestInteger", kTtlGroup, "-9223372036854775808", " Custom", kTcpip, "DefaultTTL", true,
     0},
    {"HexWithoutPrefix", kSkaGroup, "5DC", " Custom:", kNetbt, "SessionKeepAlive", false, 0},
    {"LargeWindow", kRwinGroup, "$FFFFFFFFF", " Custom", kTcpip, "TcpWindowSize", true,
     0xFFFFFFFFu},
};

// Puts a value of the prefix back as it was, so that later suites start from
// the same state.
class KeepValue {
 public:
  KeepValue(const char* key, const char* name)
      : key_(key), name_(name), saved_(RegRead(HKEY_LOCAL_MACHINE, key, name)) {}
  ~KeepValue() {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    if (saved_.exists)
      RegSetValueExA(k, name_, 0, saved_.type, saved_.data.data(),
                     static_cast<DWORD>(saved_.data.size()));
    else
      RegDeleteValueA(k, name_);
    RegCloseKey(k);
  }

 private:
  const char* key_;
  const char* name_;
  RegValue saved_;
};

class ExtremesE2E : public ::testing::TestWithParam<Case> {};

TEST_P(ExtremesE2E, RulesCountTheTextAndOptimizeWritesItOrNothing) {
  const Case& c = GetParam();
  Program program(StartOptions::OnWindows("winxp"));
  // Custom Mode with a type ticked: the five value fields are open.
  program.Click(program.Find("Button", " Custom Mode"));
  program.Click(program.Find("Button", "CABLE / DSL"));

  const HWND edit = program.Edit(c.group);
  ASSERT_TRUE(Program::Enabled(edit));
  // The long text in one go: typing 5,000 characters one by one would only
  // slow the test down, the change rule runs the same way.
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
  program.WaitIdle();
  EXPECT_EQ(Program::Text(edit).size(), c.text.size());
  EXPECT_TRUE(Program::Checked(program.InGroup(c.group, "Button", c.marked))) << c.marked;

  KeepValue keep(c.key, c.value);
  RegSetDword(HKEY_LOCAL_MACHINE, c.key, c.value, 12345);
  program.Command(IDM_OPTIMIZE_CONNECTION);
  const auto dialog = program.WaitDialog();
  ASSERT_TRUE(dialog.has_value());
  if (c.written) {
    EXPECT_EQ(dialog->caption, "Confirm");
    program.Answer(*dialog, IDNO);
    EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, c.key, c.value).AsDword(), c.dword);
  } else {
    EXPECT_EQ(dialog->caption, "Internet Zelvora 2.19");
    EXPECT_EQ(dialog->text, "'" + c.text + "' is not a valid integer value.");
    program.Answer(*dialog, IDOK);
    EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, c.key, c.value).AsDword(), 12345u)
        << "a refused run must write nothing";
    EXPECT_FALSE(program.WaitDialog(300).has_value()) << "no restart prompt after the error";
  }
  EXPECT_TRUE(program.Running());
}

INSTANTIATE_TEST_SUITE_P(Fields, ExtremesE2E, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
