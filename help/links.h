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

// The about window's lines on the journal. Undo records nothing (undoing it
// would only redo the change), and the user may let a command go on when its
// record cannot be written: the text says so rather than promise more.
inline constexpr const char* kAboutUndoLine =
    "Each change is recorded before it is made, unless you agree to go on without a record; "
    "Settings, Undo Last Change (Ctrl+Z) puts it back. Undo makes no record.";

}  // namespace iz
