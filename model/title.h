#pragma once
// The program's names as the user sees them: message box captions, the main
// window's caption and the help file beside the program. Kept apart from the
// main window's class so that a subsystem can name the program without
// depending on the window.
namespace iz {

inline constexpr const char* kAppTitle = "Internet Zelvora 2.19";
inline constexpr const char* kHelpFileName = "Internet Zelvora.chm";
inline constexpr const char* kMainCaption = "Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)";

}  // namespace iz
