#pragma once
// Where every control of Panel2 sits, in Panel2's client coordinates at 96
// DPI, in creation (and so tab and z) order: each group box comes before the
// controls it holds, and the choices of one group follow each other, so that
// they form one run that the arrow keys move through. Captions and hints of
// the model's own controls come from the model; the group boxes and the
// labels carry theirs here.
//
// A Name is a hidden label right before a field that a choice (" Custom")
// labels: screen readers name a field after the label before it in the z
// order, and a choice's caption does not say what the field holds.

namespace iz::win32 {

enum class CtlKind { Group, Box, Edit, Combo, Label, Name };

struct CtlPlace {
  CtlKind kind;
  const char* name;  // component name; the model's name for Box/Edit/Combo
  int x, y, w, h;
  const char* text;  // group boxes, labels and names only
  const char* hint;  // group boxes only; nullptr: no tooltip
  // Away from 96 DPI the system font's widths do not scale exactly: the
  // control reaches to the inner edge of the group box it sits in, so that
  // a caption made to fit at 96 DPI still fits.
  bool fill = false;
};

inline constexpr CtlPlace kPanelLayout[] = {
    {CtlKind::Group, "glGroupBox1", 0, 0, 133, 252, "Connection Type", "Choose a connection type"},
    {CtlKind::Box, "glCheckBox1", 8, 20, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox2", 8, 45, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox3", 8, 70, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox4", 8, 95, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox5", 8, 120, 120, 17, nullptr, nullptr},
    {CtlKind::Group, "glGroupBox2", 2, 160, 129, 90, "Optimization Methods",
     "Choose an optimization method"},
    {CtlKind::Box, "RadioButton3", 10, 176, 116, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox7", 10, 193, 116, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox12", 10, 210, 116, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton4", 10, 227, 116, 17, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox3", 137, 0, 146, 80, "Maximum Transmission Unit ",
     "Maximum Transmission Unit"},
    {CtlKind::Box, "RadioButton9", 145, 16, 130, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton10", 145, 35, 130, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton11", 145, 56, 66, 17, nullptr, nullptr},
    {CtlKind::Name, "Edit2Name", 215, 54, 60, 20, "Custom MTU:", nullptr},
    {CtlKind::Edit, "Edit2", 215, 54, 60, 20, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox6", 137, 84, 146, 74, "Time To Live (TTL) ", "Time to Live"},
    {CtlKind::Box, "RadioButton5", 145, 102, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton6", 187, 102, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton7", 229, 102, 48, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton8", 145, 128, 66, 17, nullptr, nullptr},
    {CtlKind::Name, "Edit1Name", 215, 126, 60, 20, "Custom TTL:", nullptr},
    {CtlKind::Edit, "Edit1", 215, 126, 60, 20, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox5", 137, 161, 146, 65, "Cache Size (NDI)", "Cache Size"},
    {CtlKind::Box, "RadioButton12", 145, 178, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton13", 187, 178, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton14", 229, 178, 48, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton15", 145, 202, 66, 17, nullptr, nullptr},
    {CtlKind::Name, "Edit3Name", 215, 200, 60, 20, "Custom cache size:", nullptr},
    {CtlKind::Edit, "Edit3", 215, 200, 60, 20, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox4", 287, 0, 146, 80, "Receive Window (RWIN)", "Receive Window"},
    {CtlKind::Box, "RadioButton16", 295, 20, 70, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton17", 295, 50, 70, 17, nullptr, nullptr},
    {CtlKind::Name, "ComboBox1Name", 367, 18, 58, 20,
     "Receive window, multiple of the segment size:", nullptr},
    {CtlKind::Combo, "ComboBox1", 367, 18, 58, 160, nullptr, nullptr},
    {CtlKind::Name, "Edit4Name", 367, 48, 58, 20, "Custom receive window:", nullptr},
    {CtlKind::Edit, "Edit4", 367, 48, 58, 20, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox7", 287, 84, 146, 74, "Session Keep Alive (SKA) ",
     "Session Keep Alive"},
    {CtlKind::Box, "RadioButton18", 295, 102, 134, 17, nullptr, nullptr},
    {CtlKind::Box, "RadioButton19", 295, 128, 70, 17, nullptr, nullptr},
    {CtlKind::Name, "Edit5Name", 367, 126, 58, 20, "Custom keep-alive in seconds:", nullptr},
    {CtlKind::Edit, "Edit5", 367, 126, 58, 20, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox8", 287, 161, 146, 65, "Path to MTU", "Path to MTU"},
    {CtlKind::Box, "CheckBox1", 295, 180, 134, 17, nullptr, nullptr},
    {CtlKind::Box, "CheckBox2", 295, 202, 134, 17, nullptr, nullptr},

    {CtlKind::Group, "glGroupBox9", 437, 0, 152, 158, "Extra Settings", nullptr},
    {CtlKind::Box, "CheckBox3", 443, 17, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "CheckBox4", 443, 36, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "CheckBox5", 443, 55, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "CheckBox6", 443, 74, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "CheckBox7", 443, 93, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "CheckBox8", 443, 112, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "CheckBox9", 443, 131, 142, 17, nullptr, nullptr, true},

    {CtlKind::Group, "glGroupBox10", 437, 161, 152, 64, "Internet Explorer Optimization",
     "Internet Explorer Optimization"},
    {CtlKind::Label, "Label9", 445, 182, 88, 13, "Optimize MCP", nullptr},
    {CtlKind::Edit, "Edit6", 535, 178, 46, 20, nullptr, nullptr},
    {CtlKind::Label, "Label10", 445, 204, 88, 13, "Optimize MCP 1.0", nullptr},
    {CtlKind::Edit, "Edit7", 535, 200, 46, 20, nullptr, nullptr},

    // The row below the middle columns, directly on Panel2.
    {CtlKind::Box, "glCheckBox6", 138, 229, 110, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox8", 251, 229, 160, 17, nullptr, nullptr},
    {CtlKind::Box, "glCheckBox9", 415, 229, 175, 17, nullptr, nullptr},
};

// The main window's client area, top to bottom.
inline constexpr int kClientWidth = 592;
inline constexpr int kClientHeight = 323;
inline constexpr int kToolBarHeight = 52;
inline constexpr int kPanel2Height = 252;
inline constexpr int kStatusBarHeight = 19;
static_assert(kToolBarHeight + kPanel2Height + kStatusBarHeight == kClientHeight);
inline constexpr int kPanel1Width = 325;
inline constexpr int kPanel1Height = 48;

}  // namespace iz::win32
