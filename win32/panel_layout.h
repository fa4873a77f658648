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
    {CtlKind::Group, "typeGroup", 0, 0, 133, 252, "Connection Type", "Choose a connection type"},
    {CtlKind::Box, "modem", 8, 20, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "isdn", 8, 45, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "cableDsl", 8, 70, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "pppoe", 8, 95, 120, 17, nullptr, nullptr},
    {CtlKind::Box, "extreme", 8, 120, 120, 17, nullptr, nullptr},
    {CtlKind::Group, "methodGroup", 2, 160, 129, 90, "Optimization Methods",
     "Choose an optimization method"},
    {CtlKind::Box, "automatic1", 10, 176, 116, 17, nullptr, nullptr},
    {CtlKind::Box, "automatic2", 10, 193, 116, 17, nullptr, nullptr},
    {CtlKind::Box, "automatic3", 10, 210, 116, 17, nullptr, nullptr},
    {CtlKind::Box, "customMode", 10, 227, 116, 17, nullptr, nullptr},

    {CtlKind::Group, "mtuGroup", 137, 0, 146, 80, "Maximum Transmission Unit ",
     "Maximum Transmission Unit"},
    {CtlKind::Box, "mtu576", 145, 16, 130, 17, nullptr, nullptr},
    {CtlKind::Box, "mtu1500", 145, 35, 130, 17, nullptr, nullptr},
    {CtlKind::Box, "mtuCustom", 145, 56, 66, 17, nullptr, nullptr},
    {CtlKind::Name, "customMtuName", 215, 54, 60, 20, "Custom MTU:", nullptr},
    {CtlKind::Edit, "customMtu", 215, 54, 60, 20, nullptr, nullptr},

    {CtlKind::Group, "ttlGroup", 137, 84, 146, 74, "Time To Live (TTL) ", "Time to Live"},
    {CtlKind::Box, "ttl32", 145, 102, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "ttl64", 187, 102, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "ttl128", 229, 102, 48, 17, nullptr, nullptr},
    {CtlKind::Box, "ttlCustom", 145, 128, 66, 17, nullptr, nullptr},
    {CtlKind::Name, "customTtlName", 215, 126, 60, 20, "Custom TTL:", nullptr},
    {CtlKind::Edit, "customTtl", 215, 126, 60, 20, nullptr, nullptr},

    {CtlKind::Group, "cacheGroup", 137, 161, 146, 65, "Cache Size (NDI)", "Cache Size"},
    {CtlKind::Box, "cache0", 145, 178, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "cache16", 187, 178, 40, 17, nullptr, nullptr},
    {CtlKind::Box, "cache32", 229, 178, 48, 17, nullptr, nullptr},
    {CtlKind::Box, "cacheCustom", 145, 202, 66, 17, nullptr, nullptr},
    {CtlKind::Name, "customCacheName", 215, 200, 60, 20, "Custom cache size:", nullptr},
    {CtlKind::Edit, "customCache", 215, 200, 60, 20, nullptr, nullptr},

    {CtlKind::Group, "rwinGroup", 287, 0, 146, 80, "Receive Window (RWIN)", "Receive Window"},
    {CtlKind::Box, "rwinMultiple", 295, 20, 70, 17, nullptr, nullptr},
    {CtlKind::Box, "rwinCustom", 295, 50, 70, 17, nullptr, nullptr},
    {CtlKind::Name, "rwinMultiplesName", 367, 18, 58, 20,
     "Receive window, multiple of the segment size:", nullptr},
    {CtlKind::Combo, "rwinMultiples", 367, 18, 58, 160, nullptr, nullptr},
    {CtlKind::Name, "customRwinName", 367, 48, 58, 20, "Custom receive window:", nullptr},
    {CtlKind::Edit, "customRwin", 367, 48, 58, 20, nullptr, nullptr},

    {CtlKind::Group, "keepAliveGroup", 287, 84, 146, 74, "Session Keep Alive (SKA) ",
     "Session Keep Alive"},
    {CtlKind::Box, "keepAliveDefault", 295, 102, 134, 17, nullptr, nullptr},
    {CtlKind::Box, "keepAliveCustom", 295, 128, 70, 17, nullptr, nullptr},
    {CtlKind::Name, "customKeepAliveName", 367, 126, 58, 20,
     "Custom keep-alive in seconds:", nullptr},
    {CtlKind::Edit, "customKeepAlive", 367, 126, 58, 20, nullptr, nullptr},

    {CtlKind::Group, "pathMtuGroup", 287, 161, 146, 65, "Path to MTU", "Path to MTU"},
    {CtlKind::Box, "blackHoleDetect", 295, 180, 134, 17, nullptr, nullptr},
    {CtlKind::Box, "autoDiscovery", 295, 202, 134, 17, nullptr, nullptr},

    {CtlKind::Group, "extraGroup", 437, 0, 152, 158, "Extra Settings", nullptr},
    {CtlKind::Box, "slowNet", 443, 17, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "sack", 443, 36, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "maxDupAcks", 443, 55, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "comPorts", 443, 74, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "largeWindows", 443, 93, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "comBuffer", 443, 112, 142, 17, nullptr, nullptr, true},
    {CtlKind::Box, "vcache", 443, 131, 142, 17, nullptr, nullptr, true},

    {CtlKind::Group, "browserGroup", 437, 161, 152, 64, "Internet Explorer Optimization",
     "Internet Explorer Optimization"},
    {CtlKind::Label, "maxConnectionsLabel", 445, 182, 88, 13, "Optimize MCP", nullptr},
    {CtlKind::Edit, "maxConnections", 535, 178, 46, 20, nullptr, nullptr},
    {CtlKind::Label, "maxConnections10Label", 445, 204, 88, 13, "Optimize MCP 1.0", nullptr},
    {CtlKind::Edit, "maxConnections10", 535, 200, 46, 20, nullptr, nullptr},

    // The row below the middle columns, directly on Panel2.
    {CtlKind::Box, "bsdUrgent", 138, 229, 110, 17, nullptr, nullptr},
    {CtlKind::Box, "maxConnect", 251, 229, 160, 17, nullptr, nullptr},
    {CtlKind::Box, "maxSocket", 415, 229, 175, 17, nullptr, nullptr},
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
