// The tuning panel of the real window under Wine: where the controls are,
// which ones carry tooltips, and how the panel answers real clicks, picks and
// typing. One program instance serves the whole suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/ui_driver.h"

namespace e2e {
namespace {

// Group box captions, as the window shows them (trailing blanks included).
constexpr char kTypes[] = "Connection Type";
constexpr char kMethods[] = "Optimization Methods";
constexpr char kMtu[] = "Maximum Transmission Unit ";
constexpr char kTtl[] = "Time To Live (TTL) ";
constexpr char kCache[] = "Cache Size (NDI)";
constexpr char kRwin[] = "Receive Window (RWIN)";
constexpr char kSka[] = "Session Keep Alive (SKA) ";
constexpr char kPath[] = "Path to MTU";
constexpr char kExtra[] = "Extra Settings";
constexpr char kIe[] = "Internet Explorer Optimization";

class PanelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { program_ = new Program(StartOptions::OnWindows("winxp")); }
  static void TearDownTestSuite() {
    handles_.clear();
    delete program_;
    program_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(program_->Main(), nullptr); }

  static Program& P() { return *program_; }
  static HWND Box(const char* caption) {
    return Cached(caption, [caption] { return P().Find("Button", caption); });
  }
  static HWND BoxIn(const char* group, const char* caption) {
    return Cached(std::string(group) + "/" + caption,
                  [group, caption] { return P().InGroup(group, "Button", caption); });
  }
  static HWND EditIn(const char* group, size_t index = 0) {
    return Cached(std::string(group) + "/edit" + std::to_string(index),
                  [group, index] { return P().Edit(group, index); });
  }
  // The controls do not change while the program runs: each is looked up once.
  template <class F>
  static HWND Cached(const std::string& key, F find) {
    auto it = handles_.find(key);
    if (it == handles_.end()) it = handles_.emplace(key, find()).first;
    return it->second;
  }

  // The checked choices among the captions, joined by "+" ("" when none).
  template <class F>
  static std::string Marked(const std::vector<const char*>& captions, F box) {
    std::string marked;
    for (const char* c : captions)
      if (Program::Checked(box(c))) marked += (marked.empty() ? "" : "+") + std::string(c);
    return marked;
  }
  static std::string MarkedIn(const char* group, const std::vector<const char*>& captions) {
    return Marked(captions, [group](const char* c) { return BoxIn(group, c); });
  }
  static std::string Field(HWND edit) {
    return "\"" + Program::Text(edit) + "\"" + (Program::Enabled(edit) ? " open" : " locked");
  }

  // The whole panel as lines of text, so that a difference shows at once.
  static std::string Describe() {
    std::ostringstream s;
    s << "type: "
      << Marked({"MODEM (Dial -Up)", "ISDN", "CABLE / DSL", "DSL (PPPoE)", "EXTREME"}, Box) << "\n";
    s << "method: "
      << Marked({" Automatic Mode 1", " Automatic mode 2", " Automatic mode 3", " Custom Mode"},
                Box)
      << "\n";
    s << "MTU: " << MarkedIn(kMtu, {" 576 (Dial-UP)", " 1500 (LAN)", " Custom"}) << " "
      << Field(EditIn(kMtu)) << "\n";
    HWND combo = Cached("rwinMultiples", [] { return P().Combo(); });
    s << "RWIN: " << MarkedIn(kRwin, {" Multiple", " Custom"}) << " " << Field(EditIn(kRwin))
      << " list " << Program::ComboIndex(combo) << (Program::Enabled(combo) ? " open" : " locked")
      << "\n";
    s << "TTL: " << MarkedIn(kTtl, {" 32", " 64", " 128", " Custom"}) << " " << Field(EditIn(kTtl))
      << "\n";
    s << "cache: " << MarkedIn(kCache, {" 0", " 16", " 32", " Custom"}) << " "
      << Field(EditIn(kCache)) << "\n";
    s << "SKA: " << MarkedIn(kSka, {" Default (600 seconds)", " Custom:"}) << " "
      << Field(EditIn(kSka)) << "\n";
    s << "MCP: " << Field(EditIn(kIe, 0)) << " " << Field(EditIn(kIe, 1)) << "\n";
    // blackHoleDetect .. vcache, bsdUrgent, maxConnect, maxSocket.
    std::string options;
    for (const char* c :
         {" Black Hole Detect", " Auto Discovery", " SlowNet Option Enabled ",
          " SACK Options Enabled", " Max DupAcks Enabled", " Optimize  COM ports",
          " Large Window Scaling", " Optimize ComBuffer Value", " Optimize VCache Value",
          " BSD Urgent Data", " Optimize Max Connect Value", " Optimize the Max Socket Value"})
      options += Program::Checked(Box(c)) ? 'x' : '-';
    s << "options: " << options << "\n";
    return s.str();
  }

  static inline std::map<std::string, HWND> handles_;
  static Program* program_;
};

Program* PanelTest::program_ = nullptr;

TEST_F(PanelTest, WindowAndGroupBoxesSitWhereTheLayoutSays) {
  RECT client;
  GetClientRect(P().Main(), &client);
  EXPECT_EQ(client.right, 592);
  EXPECT_EQ(client.bottom, 323);
  const LONG style = GetWindowLongA(P().Main(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  auto rect = [](HWND hwnd) {
    RECT r = Program::RectInParent(hwnd);
    std::ostringstream s;
    s << r.left << "," << r.top << " " << (r.right - r.left) << "x" << (r.bottom - r.top);
    return s.str();
  };
  std::map<std::string, std::string> got;
  for (const char* g : {kTypes, kMethods, kMtu, kTtl, kCache, kRwin, kSka, kPath, kExtra, kIe})
    got[g] = rect(P().GroupBox(g));
  for (const char* b :
       {" BSD Urgent Data", " Optimize Max Connect Value", " Optimize the Max Socket Value"}) {
    RECT r = Program::RectInParent(Box(b));
    got[b] = std::to_string(r.left) + "," + std::to_string(r.top);
  }
  HWND panel2 = GetParent(P().GroupBox(kTypes));
  got["Panel2"] = rect(panel2);
  got["StatusBar1"] = rect(P().StatusBar());
  got["ToolBar1"] = rect(P().ToolBar());
  RECT title;
  GetWindowRect(GetParent(P().Find("Static", "Internet Zelvora")), &title);
  got["Panel1"] =
      std::to_string(title.right - title.left) + "x" + std::to_string(title.bottom - title.top);

  const std::map<std::string, std::string> expected = {
      {kTypes, "0,0 133x252"},
      {kMethods, "2,160 129x90"},
      {kMtu, "137,0 146x80"},
      {kTtl, "137,84 146x74"},
      {kCache, "137,161 146x65"},
      {kRwin, "287,0 146x80"},
      {kSka, "287,84 146x74"},
      {kPath, "287,161 146x65"},
      {kExtra, "437,0 152x158"},
      {kIe, "437,161 152x64"},
      {" BSD Urgent Data", "138,229"},
      {" Optimize Max Connect Value", "251,229"},
      {" Optimize the Max Socket Value", "415,229"},
      {"Panel2", "0,52 592x252"},
      {"StatusBar1", "0,304 592x19"},
      {"ToolBar1", "0,0 592x52"},
      {"Panel1", "325x48"},
  };
  EXPECT_EQ(got, expected);
}

TEST_F(PanelTest, ToolbarHoldsTheFiveButtonsEachFollowedByADivider) {
  std::vector<std::string> got;
  std::vector<int> images;  // each button shows its own icon
  for (const ToolButtonInfo& b : P().ToolButtons()) {
    got.push_back(b.separator ? "|" : b.text + "=" + std::to_string(b.id));
    if (!b.separator) images.push_back(b.image);
  }
  auto button = [](const char* text, int id) {
    return std::string(text) + "=" + std::to_string(id);
  };
  const std::vector<std::string> expected = {button("Optimize", IDM_OPTIMIZE_CONNECTION),
                                             "|",
                                             button("Restore", IDM_RESTORE_WINDOWS_DEFAULTS),
                                             "|",
                                             button("View ", IDM_VIEW_CURRENT_SETTINGS),
                                             "|",
                                             button("Help", IDM_CONTENTS),
                                             "|",
                                             button("Exit", IDM_EXIT),
                                             "|"};
  EXPECT_EQ(got, expected);
  EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(PanelTest, TooltipsAreExactlyWhereAHintExists) {
  // Name each tool by what it covers: a control by its caption, a rectangle
  // by the group box that it matches.
  std::map<std::string, std::string> groupsByRect;
  for (const char* g : {kTypes, kMethods, kMtu, kTtl, kCache, kRwin, kSka, kPath, kExtra, kIe}) {
    RECT r = Program::RectInParent(P().GroupBox(g));
    groupsByRect[std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                 std::to_string(r.right) + "," + std::to_string(r.bottom)] = g;
  }
  std::multimap<std::string, std::string> got;
  for (const TooltipInfo& t : P().Tooltips()) {
    if (t.text == "<callback>") continue;  // the toolbar's own tips
    if (t.idIsHwnd) {
      got.emplace("box " + Program::Text(reinterpret_cast<HWND>(t.id)), t.text);
    } else {
      const std::string key = std::to_string(t.rect.left) + "," + std::to_string(t.rect.top) + "," +
                              std::to_string(t.rect.right) + "," + std::to_string(t.rect.bottom);
      auto g = groupsByRect.find(key);
      got.emplace("group " + (g == groupsByRect.end() ? key : g->second), t.text);
    }
  }
  std::multimap<std::string, std::string> expected = {
      {"group Connection Type", "Choose a connection type"},
      {"group Optimization Methods", "Choose an optimization method"},
      {"group Maximum Transmission Unit ", "Maximum Transmission Unit"},
      {"group Time To Live (TTL) ", "Time to Live"},
      {"group Cache Size (NDI)", "Cache Size"},
      {"group Receive Window (RWIN)", "Receive Window"},
      {"group Session Keep Alive (SKA) ", "Session Keep Alive"},
      {"group Path to MTU", "Path to MTU"},
      {"group Internet Explorer Optimization", "Internet Explorer Optimization"},
      {"box MODEM (Dial -Up)", "Select Modem (Dial-Up) connection for optimization"},
      {"box ISDN", "Select ISDN connection for optimization"},
      {"box CABLE / DSL", "Select CABLE / DSL  connection for optimization"},
      {"box DSL (PPPoE)", "Select DSL (PPPoE) connection for optimization"},
      {"box EXTREME", "Select Extreme (T1 or greater) connection for optimization"},
      {"box  Automatic Mode 1", "Select Automatic optimization method (Recommended)"},
      {"box  Custom Mode", "Select Custom optimization method"},
      {"box  SlowNet Option Enabled ",
       "This will reduce timeouts. Recommended checked for modems."},
      {"box  SACK Options Enabled",
       "Enable Selective Acknowledgements. Recommended always checked"},
      {"box  Max DupAcks Enabled",
       "Reduce Duplicate Acknowledgement. Recommended unchecked for modem, checked for all "
       "others."},
      {"box  Optimize  COM ports",
       "Increase the speed of communication ports. Recommended always checked."},
      {"box  Large Window Scaling", "Recommended unchecked for modems, checked for all others."},
      {"box  Optimize ComBuffer Value",
       "Optimize the buffer value of communication ports. Recommended checked for modems only."},
      {"box  Optimize VCache Value",
       "Optimize the Vcache value. Recommended checked for modems only."},
  };
  // A tooltip hands out at most 80 characters of a text to another program
  // (TTM_ENUMTOOLSA), although it shows all of it.
  for (auto& tool : expected) tool.second.resize(std::min<size_t>(tool.second.size(), 80));
  EXPECT_EQ(got, expected);
}

// The mouse resting on a box shows the box's hint; on a group box, clear of
// its controls, the group's; on a group without a hint, nothing.
TEST_F(PanelTest, RestingTheMouseShowsTheHint) {
  HWND cable = P().InGroup(kTypes, "Button", "CABLE / DSL");
  EXPECT_EQ(P().HoverTip(cable, {20, 8}), "Select CABLE / DSL  connection for optimization");
  const RECT path = Program::RectInParent(P().GroupBox(kPath));
  HWND panel = GetParent(P().GroupBox(kPath));
  EXPECT_EQ(P().HoverTip(panel, {path.right - 4, path.bottom - 4}), "Path to MTU");
  const RECT extra = Program::RectInParent(P().GroupBox(kExtra));
  EXPECT_EQ(P().HoverTip(panel, {extra.right - 4, extra.bottom - 4}, 1500), "");
}

// A radio-style button reports a click when the keyboard focus lands on it
// unchecked; that is no choice of the user's and must change nothing.
TEST_F(PanelTest, TabbingThroughThePanelChoosesNothing) {
  const std::string before = Describe();
  P().Key(VK_TAB, 70);
  EXPECT_EQ(Describe(), before);
}

// One user session through the real window: each step is a click, a pick or
// typing, followed by the whole panel it must leave.
struct Step {
  const char* what;
  std::function<void()> act;
  const char* panel;
};

TEST_F(PanelTest, PanelFollowsClicksPicksAndTyping) {
  // F2 runs Optimize, which first wants a connection type.
  P().Key(VK_F2);
  std::optional<Dialog> info = P().WaitDialog();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->caption, "Information");
  EXPECT_EQ(info->text, "You must choose a connection type first.");
  P().Answer(*info, IDOK);

  auto click = [](const char* caption) { return [caption] { P().Click(Box(caption)); }; };
  const Step steps[] = {
      {"Modem, mode 1", click("MODEM (Dial -Up)"),
       "type: MODEM (Dial -Up)\n"
       "method:  Automatic Mode 1\n"
       "MTU:  576 (Dial-UP) \"576\" locked\n"
       "RWIN:  Multiple \"3216\" locked list 1 locked\n"
       "TTL:  128 \"128\" locked\n"
       "cache:  16 \"16\" locked\n"
       "SKA:  Default (600 seconds) \"600\" locked\n"
       "MCP: \"4\" locked \"8\" locked\n"
       "options: -xx--x-xxxxx\n"},
      {"Modem, mode 2", click(" Automatic mode 2"),
       "type: MODEM (Dial -Up)\n"
       "method:  Automatic mode 2\n"
       "MTU:  576 (Dial-UP) \"576\" locked\n"
       "RWIN:  Multiple \"4288\" locked list 2 locked\n"
       "TTL:  128 \"128\" locked\n"
       "cache:  16 \"16\" locked\n"
       "SKA:  Default (600 seconds) \"600\" locked\n"
       "MCP: \"4\" locked \"8\" locked\n"
       "options: -xx--x-xxxxx\n"},
      // ISDN's multiples are swapped against the modem's, and its receive
      // window stays " Custom" while the list shows the multiple.
      {"ISDN, mode 2", click("ISDN"),
       "type: ISDN\n"
       "method:  Automatic mode 2\n"
       "MTU:  1500 (LAN) \"1500\" locked\n"
       "RWIN:  Custom \"8760\" locked list 1 locked\n"
       "TTL:  128 \"128\" locked\n"
       "cache:  16 \"16\" locked\n"
       "SKA:  Default (600 seconds) \"600\" locked\n"
       "MCP: \"8\" locked \"16\" locked\n"
       "options: -xxx-x-xxxxx\n"},
      {"Cable/DSL keeps the list", click("CABLE / DSL"),
       "type: CABLE / DSL\n"
       "method:  Automatic mode 2\n"
       "MTU:  1500 (LAN) \"1500\" locked\n"
       "RWIN:  Custom \"372300\" locked list 1 locked\n"
       "TTL:  64 \"64\" locked\n"
       "cache:  32 \"32\" locked\n"
       "SKA:  Default (600 seconds) \"600\" locked\n"
       "MCP: \"10\" locked \"20\" locked\n"
       "options: -x-xxxx--xxx\n"},
      {"PPPoE marks a locked custom MTU", click("DSL (PPPoE)"),
       "type: DSL (PPPoE)\n"
       "method:  Automatic mode 2\n"
       "MTU:  Custom \"1492\" locked\n"
       "RWIN:  Custom \"370260\" locked list 1 locked\n"
       "TTL:  64 \"64\" locked\n"
       "cache:  32 \"32\" locked\n"
       "SKA:  Default (600 seconds) \"600\" locked\n"
       "MCP: \"10\" locked \"20\" locked\n"
       "options: -x-xxxx--xxx\n"},
      {"Custom Mode opens the fields", click(" Custom Mode"),
       "type: DSL (PPPoE)\n"
       "method:  Custom Mode\n"
       "MTU:  Custom \"1492\" open\n"
       "RWIN:  Custom \"370260\" open list 1 locked\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: -x-xxxx--xxx\n"},
      {"a type in Custom Mode loads nothing", click("EXTREME"),
       "type: EXTREME\n"
       "method:  Custom Mode\n"
       "MTU:  Custom \"1492\" open\n"
       "RWIN:  Custom \"370260\" open list 1 locked\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: -x-xxxx--xxx\n"},
      {"Multiple opens the list", [] { P().Click(BoxIn(kRwin, " Multiple")); },
       "type: EXTREME\n"
       "method:  Custom Mode\n"
       "MTU:  Custom \"1492\" open\n"
       "RWIN:  Multiple \"370260\" locked list 1 open\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: -x-xxxx--xxx\n"},
      // 1452 x 10 is no standard product, so the receive window is " Custom".
      {"picking x10", [] { P().Pick(Cached("rwinMultiples", [] { return P().Combo(); }), 3); },
       "type: EXTREME\n"
       "method:  Custom Mode\n"
       "MTU:  Custom \"1492\" open\n"
       "RWIN:  Custom \"14520\" locked list 3 open\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: -x-xxxx--xxx\n"},
      {"typing 1500 into the MTU", [] { P().Type(EditIn(kMtu), "1500"); },
       "type: EXTREME\n"
       "method:  Custom Mode\n"
       "MTU:  1500 (LAN) \"1500\" open\n"
       "RWIN:  Multiple \"14600\" locked list 3 open\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: -x-xxxx--xxx\n"},
      // The MTU field drops lower-case letters; an upper-case one makes the
      // text no number, which counts as 0.
      {"the MTU key filter", [] { P().Type(EditIn(kMtu), "1q2Q"); },
       "type: EXTREME\n"
       "method:  Custom Mode\n"
       "MTU:  Custom \"12Q\" open\n"
       "RWIN:  Custom \"0\" locked list 3 open\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: -x-xxxx--xxx\n"},
      {"an independent box toggles", [] { P().Click(Box(" Black Hole Detect")); },
       "type: EXTREME\n"
       "method:  Custom Mode\n"
       "MTU:  Custom \"12Q\" open\n"
       "RWIN:  Custom \"0\" locked list 3 open\n"
       "TTL:  Custom \"64\" open\n"
       "cache:  Custom \"32\" open\n"
       "SKA:  Custom: \"600\" open\n"
       "MCP: \"10\" open \"20\" open\n"
       "options: xx-xxxx--xxx\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_EQ(Describe(), step.panel);
  }
  EXPECT_FALSE(P().WaitDialog(0).has_value()) << "no step reports anything";
}

}  // namespace
}  // namespace e2e
