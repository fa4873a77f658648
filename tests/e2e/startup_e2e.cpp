// Start-up of the real program under Wine: the operating-system line for
// three Windows versions, the three ways out, and the resources that
// another process cannot read from the running window (menu, accelerators,
// version record, manifest).
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "../../model/unpack.h"
#include "e2e/ui_driver.h"

namespace e2e {
namespace {

enum class Way { Exit1, ToolbarExit, CloseBox };

struct StartupCase {
  const char* version;
  const char* osName;
  Way way;
};

class StartupTest : public ::testing::TestWithParam<StartupCase> {};

TEST_P(StartupTest, StatusLineNamesTheSystemAndTheProgramEnds) {
  const StartupCase& c = GetParam();
  Program program(StartOptions::OnWindows(c.version));
  ASSERT_NE(program.Main(), nullptr);
  EXPECT_EQ(Program::Text(program.Main()), "Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)");
  EXPECT_EQ(program.StatusText(), std::string(" Operating System: ") + c.osName);

  switch (c.way) {
    case Way::Exit1:
      program.Command(IDM_EXIT);
      break;
    case Way::ToolbarExit:
      program.ToolButton(IDM_EXIT);
      break;
    case Way::CloseBox:
      program.Close();
      break;
  }
  std::optional<DWORD> code = program.WaitForExit(5000);
  ASSERT_TRUE(code.has_value()) << "the program did not end";
  EXPECT_EQ(*code, 0u);
}

// Wine's win98 reports the service-pack text " A ", so it is the Second
// Edition; win2003 and win2008 are servers by their product type; win10 is named though the manifest does not claim it, which only
// the version query of ntdll.dll tells.
INSTANTIATE_TEST_SUITE_P(Versions, StartupTest,
                         ::testing::Values(StartupCase{"win98", "Windows 98 Second Edition",
                                                       Way::Exit1},
                                           StartupCase{"winxp", "Windows XP", Way::ToolbarExit},
                                           // Wine reports these two as servers (product type 3).
                                           StartupCase{"win2003", "Windows Server 2003", Way::CloseBox},
                                           StartupCase{"win2008", "Windows Server 2008", Way::CloseBox},
                                           StartupCase{"win10", "Windows 10", Way::CloseBox}));

// ---- the program's resources, read from the file itself.

class ProgramFile : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << ProgramPath();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string Resource(LPCSTR name, LPCSTR type) const {
    HRSRC found = FindResourceA(module_, name, type);
    if (!found) return std::string();
    HGLOBAL loaded = LoadResource(module_, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return std::string(data, SizeofResource(module_, found));
  }
  HMODULE module_ = nullptr;
};

// Each item as "caption = id", popups as "caption {", their ends as "}".
void DescribeMenu(HMENU menu, std::vector<std::string>* lines) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    mii.dwTypeData = text;
    mii.cch = sizeof(text);
    ASSERT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &mii));
    if (mii.fType & MFT_SEPARATOR) {
      lines->push_back("-");
    } else if (mii.hSubMenu) {
      lines->push_back(std::string(text) + " {");
      DescribeMenu(mii.hSubMenu, lines);
      lines->push_back("}");
    } else {
      lines->push_back(std::string(text) + " = " + std::to_string(mii.wID));
    }
  }
}

TEST_F(ProgramFile, MenuBarHasEveryItemWithItsMarksAndShortcutTexts) {
  HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_MAINMENU));
  ASSERT_NE(menu, nullptr);
  std::vector<std::string> lines;
  DescribeMenu(menu, &lines);
  DestroyMenu(menu);
  auto item = [](const char* caption, int id) {
    return std::string(caption) + " = " + std::to_string(id);
  };
  // "Check for &Update" is hidden: it has no item at all.
  const std::vector<std::string> expected = {
      "&Settings {",
      item("&Optimize Connection\tF2", IDM_OPTIMIZE_CONNECTION),
      item("&View Curent Settings \tF3", IDM_VIEW_CURRENT_SETTINGS),
      item("P&review Changes...\tF7", IDM_PREVIEW_CHANGES),
      item("&Export as .reg File...\tCtrl+E", IDM_EXPORT_REG_FILE),
      item("Network &Adapters...", IDM_NETWORK_ADAPTERS),
      item("&Find Largest MTU...", IDM_FIND_MTU),
      item("&Modern TCP Settings...", IDM_MODERN_TCP),
      "-",
      item("&Backup your settings\tF5", IDM_BACKUP),
      item("Restore &previous settings\tF6", IDM_RESTORE_PREVIOUS),
      item("&Undo Last Change\tCtrl+Z", IDM_UNDO_LAST_CHANGE),
      "-",
      item("Restore &Windows Defaults\tF4", IDM_RESTORE_WINDOWS_DEFAULTS),
      "-",
      item("E&xit", IDM_EXIT),
      "}",
      "&Help {",
      item("&Contents\tF1", IDM_CONTENTS),
      "-",
      item("Check for a new version", IDM_CHECK_NEW_VERSION),
      item("Internet Zelvora &Home Page", IDM_HOME_PAGE),
      "-",
      item("&About Internet Zelvora", IDM_ABOUT_INTERNET_ZELVORA),
      "}",
      item("&About", IDM_ABOUT),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(ProgramFile, AcceleratorsAreF1ToF7AndCtrlEAndCtrlZAndNothingElse) {
  HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[16];
  const int n = CopyAcceleratorTableA(table, entries, 16);
  std::vector<std::string> got;
  for (int i = 0; i < n; ++i) {
    got.push_back("vk " + std::to_string(entries[i].key) + " flags " +
                  std::to_string(entries[i].fVirt & ~0x80) + " -> " +
                  std::to_string(entries[i].cmd));
  }
  auto f = [](int vk, int cmd) {
    return "vk " + std::to_string(vk) + " flags " + std::to_string(FVIRTKEY) + " -> " +
           std::to_string(cmd);
  };
  // No Ctrl+U: "Check for &Update" does nothing. F1 is Help > Contents.
  const std::vector<std::string> expected = {
      f(VK_F1, IDM_CONTENTS),
      f(VK_F2, IDM_OPTIMIZE_CONNECTION),
      f(VK_F3, IDM_VIEW_CURRENT_SETTINGS),
      f(VK_F4, IDM_RESTORE_WINDOWS_DEFAULTS),
      f(VK_F5, IDM_BACKUP),
      f(VK_F6, IDM_RESTORE_PREVIOUS),
      f(VK_F7, IDM_PREVIEW_CHANGES),
      "vk " + std::to_string('E') + " flags " + std::to_string(FVIRTKEY | FCONTROL) + " -> " +
          std::to_string(IDM_EXPORT_REG_FILE),
      "vk " + std::to_string('Z') + " flags " + std::to_string(FVIRTKEY | FCONTROL) + " -> " +
          std::to_string(IDM_UNDO_LAST_CHANGE)};
  EXPECT_EQ(got, expected);
}

// Each toolbar icon is drawn at every size the toolbar picks from, so that
// no DPI gets a stretched one.
TEST_F(ProgramFile, ToolbarIconsComeIn16To48Pixels) {
  for (int id : {IDI_TB_OPTIMIZE, IDI_TB_RESTORE, IDI_TB_VIEW, IDI_TB_HELP, IDI_TB_EXIT}) {
    // Packed: an icon file, a 6-byte header, then 16-byte entries led by width.
    const std::string packed = Resource(MAKEINTRESOURCEA(id), RT_RCDATA);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(
        iz::Unpack(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size(), &file))
        << "icon " << id;
    std::vector<int> sizes;
    for (size_t at = 6; at + 16 <= file.size() && sizes.size() < file[4]; at += 16)
      sizes.push_back(file[at]);
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48})) << "icon " << id;
  }
}

TEST_F(ProgramFile, VersionRecordSays219) {
  const std::string data = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
  ASSERT_FALSE(data.empty());
  const std::string signature("\xBD\x04\xEF\xFE", 4);  // VS_FIXEDFILEINFO
  const size_t at = data.find(signature);
  ASSERT_NE(at, std::string::npos);
  VS_FIXEDFILEINFO info;
  ASSERT_LE(at + sizeof(info), data.size());
  std::memcpy(&info, data.data() + at, sizeof(info));
  EXPECT_EQ(info.dwFileVersionMS, (2u << 16) | 19u);
  EXPECT_EQ(info.dwProductVersionMS, (2u << 16) | 19u);
}

TEST_F(ProgramFile, ManifestAsksForVisualStylesAndAdministratorButNoNewerWindows) {
  const std::string manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("requireAdministrator"), std::string::npos);
  // The window scales itself: the system must not stretch it.
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  // No claim of Windows 8.1 or 10: the name comes from ntdll.dll's version
  // query, which needs none, and a claim would change other behaviour.
  EXPECT_EQ(manifest.find("1f676c76-80e1-4239-95bb-83d0f6d0da78"), std::string::npos);
  EXPECT_EQ(manifest.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos);
}

}  // namespace
}  // namespace e2e
