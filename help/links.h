#pragma once
// The publisher's web addresses, written once: every menu item, label and
// link that opens a web page takes its address from here; and the about
// window's texts that its test reads too.
namespace iz {

// The publisher's site, its root page: the two title labels of the toolbar
// and the link of the about window open it.
inline constexpr const char* kPublisherSite = "http://www.zelvora-soft.example/";

// The product's own page on that site: "Check for a new version" and
// "Internet Zelvora &Home Page" open it.
inline constexpr const char* kHomePage = "http://www.zelvora-soft.example/internet-zelvora/";

// The about window's line on the journal, which every change goes through.
inline constexpr const char* kAboutUndoLine =
    "Every change is recorded first, and Settings, Undo Last Change (Ctrl+Z) puts it back.";

}  // namespace iz
