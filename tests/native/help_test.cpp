// The help, web and about entries: what each hands to the shell, and where
// the help file is looked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "help/help_file.h"
#include "help/links.h"
#include "native/fake_platform.h"
#include "native/panel_fixture.h"
#include "store/memory_registry.h"

namespace iz::test {
namespace {

std::string Open(const char* owner, const std::string& file) {
  return std::string("ShellOpen ") + owner + " open \"" + file + "\" \"\"";
}

class HelpTest : public ::testing::Test, public MemoryMachine {};

TEST_F(HelpTest, EveryEntryMakesExactlyItsOneCall) {
  platform.programPath = "C:\\Program Files\\Internet Zelvora\\InternetZelvora.exe";
  const std::string help = "C:\\Program Files\\Internet Zelvora\\Internet Zelvora.chm";
  struct Entry {
    const char* handler;
    void (TIZelvora::*run)();
    std::string call;
  };
  const std::vector<Entry> entries = {
      {"OnHelpContents", &TIZelvora::OnHelpContents, Open("main", help)},
      {"OnHelpContents", &TIZelvora::OnHelpContents, Open("main", help)},
      {"OnHomePage", &TIZelvora::OnHomePage, Open("main", kHomePage)},
      {"OnHomePage", &TIZelvora::OnHomePage, Open("main", kHomePage)},
      {"OnTitleLinkClick", &TIZelvora::OnTitleLinkClick, Open("main", kPublisherSite)},
      {"OnAboutLinkClick", &TIZelvora::OnAboutLinkClick, Open("about", kPublisherSite)},
      {"OnAbout", &TIZelvora::OnAbout, "ShowAboutBox"},
      {"OnAbout", &TIZelvora::OnAbout, "ShowAboutBox"},
  };
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.handler);
    platform.calls.clear();
    w.Dispatch([&] { (w.*e.run)(); });
    EXPECT_EQ(platform.calls, std::vector<std::string>{e.call});
  }
  // None of them touches the settings.
  EXPECT_EQ(registry.CallCount(), 0);
  EXPECT_TRUE(profiles.entries.empty());
}

TEST_F(HelpTest, AddressesAreTheProductPageUnderThePublishersSite) {
  const std::string site = kPublisherSite, home = kHomePage;
  EXPECT_EQ(site.rfind("http://", 0), 0u);
  EXPECT_EQ(home.rfind(site, 0), 0u) << home << " is not below " << site;
  EXPECT_NE(home, site);
}

// The menu's "&Contents" finds the file beside the program however the
// program was started, as the toolbar's "Help" does; the application object
// keeps the bare name.
TEST_F(HelpTest, ContentsOpensTheHelpFileBesideTheProgram) {
  platform.programPath = "E:\\Tools\\IZ\\InternetZelvora.exe";
  w.OnHelpContents();
  w.OnHelpContents();
  const std::string expected = Open("main", "E:\\Tools\\IZ\\Internet Zelvora.chm");
  EXPECT_EQ(platform.calls, (std::vector<std::string>{expected, expected}));
  EXPECT_STREQ(kHelpFileName, "Internet Zelvora.chm");
}

TEST(HelpFilePath, IsTheProgramsDirectoryWithOneBackslash) {
  struct Case {
    const char* program;
    const char* help;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Internet Zelvora\\InternetZelvora.exe",
       "C:\\Program Files\\Internet Zelvora\\Internet Zelvora.chm"},
      {"C:\\InternetZelvora.exe", "C:\\Internet Zelvora.chm"},
      {"\\\\server\\tools\\InternetZelvora.exe", "\\\\server\\tools\\Internet Zelvora.chm"},
      {"D:\\v2.19\\my tools\\iz.exe", "D:\\v2.19\\my tools\\Internet Zelvora.chm"},
      {"C:IZ.EXE", "C:Internet Zelvora.chm"},
      {"InternetZelvora.exe", "Internet Zelvora.chm"},
  };
  for (const Case& c : cases) EXPECT_EQ(HelpFilePath(c.program), c.help) << c.program;
}

}  // namespace
}  // namespace iz::test
