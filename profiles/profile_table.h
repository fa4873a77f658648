#pragma once
// The connection profiles: what each connection type and automatic method puts
// into the panel, as data, and the one routine that loads a profile.
#include <utility>

#include "app/panel.h"

namespace iz {

// In the order of the panel's type boxes glCheckBox1..glCheckBox5.
enum class ConnectionType { Modem, Isdn, CableDsl, Pppoe, Extreme };
// The three automatic methods; Custom Mode loads no profile.
enum class Method { Automatic1, Automatic2, Automatic3 };

inline constexpr int kConnectionTypeCount = 5;
inline constexpr int kAutomaticMethodCount = 3;

using BoxRef = CheckBoxCtl Panel::*;

// A value field's text and the choice that the profile marks for it.
struct MarkedText {
  const char* text;
  BoxRef mark;
};

// The twelve independent boxes a profile sets.
struct ProfileOptions {
  bool blackHole, autoDiscovery, slowNet, sack, dupAcks, comPorts, windowScaling, comBuffer, vcache,
      bsdUrgent, maxConnect, maxSockets;
};

struct Profile {
  MarkedText mtu;                           // Edit2
  const char* rwin[kAutomaticMethodCount];  // Edit4, by method
  BoxRef rwinMark;                          // marked after Edit4 is set
  MarkedText ttl;                           // Edit1
  MarkedText cache;                         // Edit3
  const char* maxConnectionsPerServer;      // Edit6
  const char* maxConnectionsPer1_0Server;   // Edit7
  ProfileOptions options;
};

// Every receive window is a whole multiple of its type's segment size
// (MTU - 40). The Modem and ISDN windows are also entries of the receive-window
// lookup, so loading them selects the matching multiple in the list.
//
// The ISDN profile marks " 128" and " 16", the choices that match its texts,
// as every other profile does, so the marks never contradict the values that
// Optimize writes.
inline constexpr Profile kProfiles[kConnectionTypeCount] = {
    // Modem: 536 x 6, x 8, x 10.
    {{"576", &Panel::RadioButton9},
     {"3216", "4288", "5360"},
     &Panel::RadioButton16,
     {"128", &Panel::RadioButton7},
     {"16", &Panel::RadioButton13},
     "4",
     "8",
     {false, true, true, false, false, true, false, true, true, true, true, true}},
    // ISDN: 1460 x 8, x 6, x 10 (mode 1 and 2 the other way round from Modem).
    {{"1500", &Panel::RadioButton10},
     {"11680", "8760", "14600"},
     &Panel::RadioButton17,
     {"128", &Panel::RadioButton7},
     {"16", &Panel::RadioButton13},
     "8",
     "16",
     {false, true, true, true, false, true, false, true, true, true, true, true}},
    // Cable/DSL: 1460 x 176, x 255, x 122.
    {{"1500", &Panel::RadioButton10},
     {"256960", "372300", "178120"},
     &Panel::RadioButton17,
     {"64", &Panel::RadioButton6},
     {"32", &Panel::RadioButton14},
     "10",
     "20",
     {false, true, false, true, true, true, true, false, false, true, true, true}},
    // DSL over PPPoE: 1452 x 176, x 255, x 122; its MTU has no fixed choice.
    {{"1492", &Panel::RadioButton11},
     {"255552", "370260", "177144"},
     &Panel::RadioButton17,
     {"64", &Panel::RadioButton6},
     {"32", &Panel::RadioButton14},
     "10",
     "20",
     {false, true, false, true, true, true, true, false, false, true, true, true}},
    // Extreme: 1460 x 296, x 400, x 455.
    {{"1500", &Panel::RadioButton10},
     {"432160", "584000", "664300"},
     &Panel::RadioButton17,
     {"64", &Panel::RadioButton6},
     {"32", &Panel::RadioButton14},
     "20",
     "40",
     {false, true, false, true, true, true, true, false, false, true, true, true}},
};

// Every profile keeps the sessions alive for the default 600 seconds.
inline constexpr MarkedText kKeepAlive = {"600", &Panel::RadioButton18};

// The independent boxes in the order a profile sets them.
inline constexpr std::pair<bool ProfileOptions::*, BoxRef> kOptionBoxes[] = {
    {&ProfileOptions::slowNet, &Panel::CheckBox3},
    {&ProfileOptions::blackHole, &Panel::CheckBox1},
    {&ProfileOptions::autoDiscovery, &Panel::CheckBox2},
    {&ProfileOptions::sack, &Panel::CheckBox4},
    {&ProfileOptions::dupAcks, &Panel::CheckBox5},
    {&ProfileOptions::comPorts, &Panel::CheckBox6},
    {&ProfileOptions::windowScaling, &Panel::CheckBox7},
    {&ProfileOptions::comBuffer, &Panel::CheckBox8},
    {&ProfileOptions::vcache, &Panel::CheckBox9},
    {&ProfileOptions::bsdUrgent, &Panel::glCheckBox6},
    {&ProfileOptions::maxConnect, &Panel::glCheckBox8},
    {&ProfileOptions::maxSockets, &Panel::glCheckBox9},
};

// The boxes that stand for the types and the automatic methods, in the order
// the handlers test them.
inline constexpr BoxRef kTypeBoxes[kConnectionTypeCount] = {
    &Panel::glCheckBox1, &Panel::glCheckBox2, &Panel::glCheckBox3, &Panel::glCheckBox4,
    &Panel::glCheckBox5};
inline constexpr BoxRef kMethodBoxes[kAutomaticMethodCount] = {
    &Panel::RadioButton3, &Panel::glCheckBox7, &Panel::glCheckBox12};

// Loads (type, method) into the panel and locks every value field. Each text
// is set before its choice is marked, so the change rules run first and the
// profile's mark wins over theirs.
void LoadProfile(Panel& panel, ConnectionType type, Method method);

}  // namespace iz
