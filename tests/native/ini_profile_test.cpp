#include "store/ini_profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/error.h"

namespace iz {
namespace {

TEST(IniText, WriteKeepsEveryOtherLine) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    const char* after;
  };
  const Case cases[] = {
      // A new file: the section and the entry, with the platform's line breaks.
      {"", "Ports", "COM1:", "[Ports]\r\nCOM1:=v\r\n"},
      // Replaced in place; the key keeps the spelling it has in the file.
      {"[windows]\r\nload=\r\n\r\n[ports]\r\ncom1:=9600,n,8,1,x\r\nCOM2:=x\r\n", "Ports",
       "COM1:", "[windows]\r\nload=\r\n\r\n[ports]\r\ncom1:=v\r\nCOM2:=x\r\n"},
      // A new key goes after the section's last entry, before the blank line.
      {"[Ports]\nCOM1:=a\n\n[x]\ny=1\n", "PORTS",
       "COM2:", "[Ports]\nCOM1:=a\nCOM2:=v\n\n[x]\ny=1\n"},
      // A new section goes at the end; a missing last line break is added.
      {"[a]\nk=1", "Ports", "COM1:", "[a]\nk=1\n[Ports]\nCOM1:=v\n"},
      // Comments are lines like any other, never entries.
      {"; ports\n[ Ports ]\n;COM1:=old\nCOM1: = a \n", "Ports",
       "COM1:", "; ports\n[ Ports ]\n;COM1:=old\nCOM1:=v\n"},
      // Only the first section of that name is written.
      {"[P]\nk=1\n[P]\nk=2\n", "p", "K", "[P]\nk=v\n[P]\nk=2\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IniWrite(c.before, c.section, c.key, "v"), c.after) << c.before;
  }
}

TEST(IniText, Read) {
  const std::string text =
      "top=0\r\n[Ports]\r\n  COM1: =  921600,n,8,1,p  \r\nCOM2:=\"9600\"\r\nCOM3:=\r\n"
      "COM4:=a\r\nCOM4:=b\r\n;COM5:=c\r\n[Other]\r\nCOM5:=d\r\n";
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"ports", "com1:", "921600,n,8,1,p"},
      {"Ports", "COM2:", "9600"},
      {"Ports", "COM3:", ""},
      {"Ports", "COM4:", "a"},
      {"Ports", "COM5:", std::nullopt},
      {"Other", "COM5:", "d"},
      {"Devices", "COM1:", std::nullopt},
      {"Ports", "top", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(IniRead(text, c.section, c.key), c.value) << c.key;
}

class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvora-ini-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Content(const std::string& name) {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::string dir_;
};

TEST_F(IniFiles, WindowsDirectoryMapsToTheRealOne) {
  IniProfileStrings profiles(dir_, "C:\\WINDOWS");
  EXPECT_EQ(WinIniPath(profiles), "C:\\WINDOWS\\Win.ini");
  std::ofstream(dir_ + "/WIN.INI") << "[Ports]\r\nCOM1:=9600,n,8,1,x\r\n";
  EXPECT_TRUE(profiles.WriteString("c:\\windows\\win.ini", "Ports", "COM2:", "x"));
  EXPECT_EQ(Content("WIN.INI"), "[Ports]\r\nCOM1:=9600,n,8,1,x\r\nCOM2:=x\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}

TEST_F(IniFiles, ReadOnlyFileRefusesTheWrite) {
  IniProfileStrings profiles(dir_);
  const std::string before = "[Ports]\r\nCOM1:=9600,n,8,1,x\r\n";
  std::ofstream(dir_ + "/Win.ini") << before;
  chmod((dir_ + "/Win.ini").c_str(), 0444);
  ProfileFile file(profiles, WinIniPath(profiles));
  EXPECT_THROW(file.PutProfileText("Ports", "COM1:", "921600,n,8,1,p"), Error);
  EXPECT_EQ(Content("Win.ini"), before);
  EXPECT_EQ(file.GetProfileText("Ports", "COM1:", "Error"), "9600,n,8,1,x");
}

}  // namespace
}  // namespace iz
