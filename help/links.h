#pragma once
// The publisher's web addresses, written once: every menu item, label and
// link that opens a web page takes its address from here.
namespace iz {

// The publisher's site, its root page: the two title labels of the toolbar
// and the link of the about window open it.
inline constexpr const char* kPublisherSite = "http://www.zelvora-soft.example/";

// The product's own page on that site: "Check for a new version" and
// "Internet Zelvora &Home Page" open it.
inline constexpr const char* kHomePage = "http://www.zelvora-soft.example/internet-zelvora/";

}  // namespace iz
