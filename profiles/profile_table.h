#pragma once
// The connection profiles: what each connection type and automatic method puts
// into the panel, as data, and the one routine that loads a profile.
#include <utility>

#include "model/panel.h"

namespace iz {

// In the order of the panel's type boxes modem..extreme.
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
  MarkedText mtu;                           // customMtu
  const char* rwin[kAutomaticMethodCount];  // customRwin, by method
  BoxRef rwinMark;                          // marked after customRwin is set
  MarkedText ttl;                           // customTtl
  MarkedText cache;                         // customCache
  const char* maxConnectionsPerServer;      // maxConnections
  const char* maxConnectionsPer1_0Server;   // maxConnections10
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
    {{"576", &Panel::mtu576},
     {"3216", "4288", "5360"},
     &Panel::rwinMultiple,
     {"128", &Panel::ttl128},
     {"16", &Panel::cache16},
     "4",
     "8",
     {false, true, true, false, false, true, false, true, true, true, true, true}},
    // ISDN: 1460 x 8, x 6, x 10 (mode 1 and 2 the other way round from Modem).
    {{"1500", &Panel::mtu1500},
     {"11680", "8760", "14600"},
     &Panel::rwinCustom,
     {"128", &Panel::ttl128},
     {"16", &Panel::cache16},
     "8",
     "16",
     {false, true, true, true, false, true, false, true, true, true, true, true}},
    // Cable/DSL: 1460 x 176, x 255, x 122.
    {{"1500", &Panel::mtu1500},
     {"256960", "372300", "178120"},
     &Panel::rwinCustom,
     {"64", &Panel::ttl64},
     {"32", &Panel::cache32},
     "10",
     "20",
     {false, true, false, true, true, true, true, false, false, true, true, true}},
    // DSL over PPPoE: 1452 x 176, x 255, x 122; its MTU has no fixed choice.
    {{"1492", &Panel::mtuCustom},
     {"255552", "370260", "177144"},
     &Panel::rwinCustom,
     {"64", &Panel::ttl64},
     {"32", &Panel::cache32},
     "10",
     "20",
     {false, true, false, true, true, true, true, false, false, true, true, true}},
    // Extreme: 1460 x 296, x 400, x 455.
    {{"1500", &Panel::mtu1500},
     {"432160", "584000", "664300"},
     &Panel::rwinCustom,
     {"64", &Panel::ttl64},
     {"32", &Panel::cache32},
     "20",
     "40",
     {false, true, false, true, true, true, true, false, false, true, true, true}},
};

// Every profile keeps the sessions alive for the default 600 seconds.
inline constexpr MarkedText kKeepAlive = {"600", &Panel::keepAliveDefault};

// The independent boxes in the order a profile sets them.
inline constexpr std::pair<bool ProfileOptions::*, BoxRef> kOptionBoxes[] = {
    {&ProfileOptions::slowNet, &Panel::slowNet},
    {&ProfileOptions::blackHole, &Panel::blackHoleDetect},
    {&ProfileOptions::autoDiscovery, &Panel::autoDiscovery},
    {&ProfileOptions::sack, &Panel::sack},
    {&ProfileOptions::dupAcks, &Panel::maxDupAcks},
    {&ProfileOptions::comPorts, &Panel::comPorts},
    {&ProfileOptions::windowScaling, &Panel::largeWindows},
    {&ProfileOptions::comBuffer, &Panel::comBuffer},
    {&ProfileOptions::vcache, &Panel::vcache},
    {&ProfileOptions::bsdUrgent, &Panel::bsdUrgent},
    {&ProfileOptions::maxConnect, &Panel::maxConnect},
    {&ProfileOptions::maxSockets, &Panel::maxSocket},
};

// The boxes that stand for the types and the automatic methods, in the order
// the handlers test them.
inline constexpr BoxRef kTypeBoxes[kConnectionTypeCount] = {
    &Panel::modem, &Panel::isdn, &Panel::cableDsl, &Panel::pppoe, &Panel::extreme};
inline constexpr BoxRef kMethodBoxes[kAutomaticMethodCount] = {
    &Panel::automatic1, &Panel::automatic2, &Panel::automatic3};

// Loads (type, method) into the panel and locks every value field. Each text
// is set before its choice is marked, so the change rules run first and the
// profile's mark wins over theirs. A measured MTU (Panel::measuredMtu) stands
// in for the profile's, placed as PlaceMtu places it.
void LoadProfile(Panel& panel, ConnectionType type, Method method);

// Puts an MTU into the panel as the user would: a number of a fixed choice
// ticks that choice and locks the field, as clicking " 1500 (LAN)" does; any
// other ticks " Custom" with the number in the open field.
void PlaceMtu(Panel& panel, int mtu);

}  // namespace iz
