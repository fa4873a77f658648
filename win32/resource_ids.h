#pragma once
// Resource and command identifiers, shared by InternetZelvora.rc, the main
// window and the end-to-end UI driver (which sends these commands to the
// program because another process's menu cannot be read under Wine). Plain
// #defines so that the resource compiler can read this file too.

// Icons: the program's own first, so that the shell picks it.
#define IDI_MAINICON 1
#define IDI_TB_OPTIMIZE 101
#define IDI_TB_RESTORE 102
#define IDI_TB_VIEW 103
#define IDI_TB_HELP 104
#define IDI_TB_EXIT 105

#define IDR_MAINMENU 200
#define IDR_ACCELERATORS 201

// "&Settings" menu. Ids stay above IDOK/IDCANCEL so that a dialog-style
// Enter or Escape never reaches a command.
#define IDM_OPTIMIZE_CONNECTION 1001       // F2
#define IDM_VIEW_CURRENT_SETTINGS 1002     // F3
#define IDM_BACKUP 1003                    // F5
#define IDM_RESTORE_PREVIOUS 1004          // F6
#define IDM_RESTORE_WINDOWS_DEFAULTS 1005  // F4
#define IDM_UNDO_LAST_CHANGE 1007          // Ctrl+Z
#define IDM_EXIT 1006
#define IDM_PREVIEW_CHANGES 1008   // F7
#define IDM_EXPORT_REG_FILE 1009   // Ctrl+E
#define IDM_NETWORK_ADAPTERS 1010  // "Network &Adapters..."
#define IDM_FIND_MTU 1020          // "&Find Largest MTU..."
#define IDM_MODERN_TCP 1021        // "&Modern TCP Settings..."
// "&Help" menu and the menu bar.
#define IDM_CONTENTS 1011                // F1
#define IDM_CHECK_NEW_VERSION 1012       // "Check for a new version"
#define IDM_HOME_PAGE 1013               // "Internet Zelvora &Home Page"
#define IDM_ABOUT_INTERNET_ZELVORA 1014  // "&About Internet Zelvora"
#define IDM_ABOUT 1015                   // "&About", on the menu bar itself

// Child windows of the main window.
#define IDC_TOOLBAR 1200
#define IDC_STATUSBAR 1201
#define IDC_PANEL1 1202
#define IDC_PANEL2 1203
#define IDC_GLLABEL2 1204
#define IDC_GLLABEL1 1205
// The controls of Panel2 take IDC_PANEL_FIRST + their place in the layout.
#define IDC_PANEL_FIRST 2000

// 3000-3099: the about window's pictures (see the marked block at the end of
// InternetZelvora.rc).
