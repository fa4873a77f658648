/* The floor for the main window: the plainest C program (no C++ runtime)
 * that shows what the user sees of the program at start: the same caption,
 * client size, menu, accelerators, icons, toolbar (five buttons with their
 * icons), status bar, title labels, tooltips and the same number and classes
 * of child controls at the same places, filled before the window shows. It
 * does no registry or Win.ini work at start-up.
 *
 * Given the Optimize command it does what a user now requires of Optimize,
 * the least way it can be done straight through the API, and shows the
 * "Confirm" prompt: the floor of the Optimize round. Users asked for undo,
 * so Optimize keeps a journal in Backup\History beside the floor, one record
 * per command in the program's text (README, "The journal and Undo Last
 * Change"), written whole through a temporary file, flushed to disk and
 * renamed, twice:
 *  - before the first write: the NT family's mapped values and the MTU and
 *    receive window of every network adapter (each GUID below
 *    Tcpip\Parameters\Interfaces), each value or its absence read with one
 *    open per key and one query per value; Win.ini's COM1: to COM5: of
 *    [Ports], one read each (a second only for an entry that may be absent);
 *    the account; named with the next number after one listing of the
 *    folder, from which the records beyond the newest 20 are removed;
 *  - when the command has written: the same again with the ports and values
 *    as it left them, and the keys and the [Ports] section it created. A
 *    key's parents are looked at only when the key itself is missing, the
 *    section names only when no port is there.
 * The writes are those of an NT Optimize of "CABLE / DSL", one key handle per
 * key, then both adapter values into each adapter the user has not cleared
 * (HKEY_CURRENT_USER\Software\Internet Zelvora, "UntickedAdapters"). What it
 * leaves out is what only the program needs (a record that cannot be written
 * is not asked about, an older version's records are not known; the bench
 * meets neither). Nothing of the program's code is used; its resources are
 * (floor.rc). */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
/* After windows.h, which it needs. */
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "win32/resource_ids.h"

#define CLIENT_WIDTH 592
#define CLIENT_HEIGHT 323
#define TOOLBAR_HEIGHT 52
#define STATUS_HEIGHT 19
#define PANEL2_HEIGHT 252
#define PANEL1_WIDTH 325
#define PANEL1_HEIGHT 48
#define ICON_SIZE 24
#define BUTTON_WIDTH 47
#define COUNT(a) (sizeof(a) / sizeof((a)[0]))

static const char kCaption[] = "Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)";
static const DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

/* The panel as the program lays it out: G group box, R choice, C option,
 * E edit field, X drop-down list, L label. `on`: ticked, or an open field. */
struct Place {
  char kind;
  short x, y, w, h;
  const char* text;
  const char* hint;
  char on;
};

static const struct Place kPanel[] = {
    {'G', 0, 0, 133, 252, "Connection Type", "Choose a connection type", 0},
    {'R', 8, 20, 120, 17, "MODEM (Dial -Up)", "Select Modem (Dial-Up) connection for optimization", 0},
    {'R', 8, 45, 120, 17, "ISDN", "Select ISDN connection for optimization", 0},
    {'R', 8, 70, 120, 17, "CABLE / DSL", "Select CABLE / DSL  connection for optimization", 0},
    {'R', 8, 95, 120, 17, "DSL (PPPoE)", "Select DSL (PPPoE) connection for optimization", 0},
    {'R', 8, 120, 120, 17, "EXTREME", "Select Extreme (T1 or greater) connection for optimization", 0},
    {'G', 2, 160, 129, 90, "Optimization Methods", "Choose an optimization method", 0},
    {'R', 10, 176, 116, 17, " Automatic Mode 1", "Select Automatic optimization method (Recommended)", 1},
    {'R', 10, 193, 116, 17, " Automatic mode 2", 0, 0},
    {'R', 10, 210, 116, 17, " Automatic mode 3", 0, 0},
    {'R', 10, 227, 116, 17, " Custom Mode", "Select Custom optimization method", 0},
    {'G', 137, 0, 146, 80, "Maximum Transmission Unit ", "Maximum Transmission Unit", 0},
    {'R', 145, 16, 130, 17, " 576 (Dial-UP)", 0, 0},
    {'R', 145, 35, 130, 17, " 1500 (LAN)", 0, 0},
    {'R', 145, 56, 66, 17, " Custom", 0, 1},
    {'E', 215, 54, 60, 20, "1500", 0, 0},
    {'G', 137, 84, 146, 74, "Time To Live (TTL) ", "Time to Live", 0},
    {'R', 145, 102, 40, 17, " 32", 0, 0},
    {'R', 187, 102, 40, 17, " 64", 0, 0},
    {'R', 229, 102, 48, 17, " 128", 0, 1},
    {'R', 145, 128, 66, 17, " Custom", 0, 0},
    {'E', 215, 126, 60, 20, "128", 0, 0},
    {'G', 137, 161, 146, 65, "Cache Size (NDI)", "Cache Size", 0},
    {'R', 145, 178, 40, 17, " 0", 0, 0},
    {'R', 187, 178, 40, 17, " 16", 0, 0},
    {'R', 229, 178, 48, 17, " 32", 0, 0},
    {'R', 145, 202, 66, 17, " Custom", 0, 1},
    {'E', 215, 200, 60, 20, "0", 0, 0},
    {'G', 287, 0, 146, 80, "Receive Window (RWIN)", "Receive Window", 0},
    {'R', 295, 20, 70, 17, " Multiple", 0, 0},
    {'X', 367, 18, 58, 160, "", 0, 0},
    {'R', 295, 50, 70, 17, " Custom", 0, 1},
    {'E', 367, 48, 58, 20, "8760", 0, 0},
    {'G', 287, 84, 146, 74, "Session Keep Alive (SKA) ", "Session Keep Alive", 0},
    {'R', 295, 102, 134, 17, " Default (600 seconds)", 0, 1},
    {'R', 295, 128, 70, 17, " Custom:", 0, 0},
    {'E', 367, 126, 58, 20, "0", 0, 0},
    {'G', 287, 161, 146, 65, "Path to MTU", "Path to MTU", 0},
    {'C', 295, 180, 134, 17, " Black Hole Detect", 0, 0},
    {'C', 295, 202, 134, 17, " Auto Discovery", 0, 1},
    {'G', 437, 0, 152, 158, "Extra Settings", 0, 0},
    {'C', 443, 17, 142, 17, " SlowNet Option Enabled ",
     "This will reduce timeouts. Recommended checked for modems.", 0},
    {'C', 443, 36, 142, 17, " SACK Options Enabled",
     "Enable Selective Acknowledgements. Recommended always checked", 0},
    {'C', 443, 55, 142, 17, " Max DupAcks Enabled",
     "Reduce Duplicate Acknowledgement. Recommended unchecked for modem, checked for all others.",
     0},
    {'C', 443, 74, 142, 17, " Optimize  COM ports",
     "Increase the speed of communication ports. Recommended always checked.", 0},
    {'C', 443, 93, 142, 17, " Large Window Scaling",
     "Recommended unchecked for modems, checked for all others.", 0},
    {'C', 443, 112, 142, 17, " Optimize ComBuffer Value",
     "Optimize the buffer value of communication ports. Recommended checked for modems only.", 0},
    {'C', 443, 131, 142, 17, " Optimize VCache Value",
     "Optimize the Vcache value. Recommended checked for modems only.", 0},
    {'G', 437, 161, 152, 64, "Internet Explorer Optimization", "Internet Explorer Optimization", 0},
    {'L', 445, 182, 88, 13, "Optimize MCP", 0, 0},
    {'E', 535, 178, 46, 20, "0", 0, 0},
    {'L', 445, 204, 88, 13, "Optimize MCP 1.0", 0, 0},
    {'E', 535, 200, 46, 20, "0", 0, 0},
    {'C', 138, 229, 110, 17, " BSD Urgent Data", 0, 0},
    {'C', 251, 229, 160, 17, " Optimize Max Connect Value", 0, 0},
    {'C', 415, 229, 175, 17, " Optimize the Max Socket Value", 0, 0},
};

static const struct {
  int id, icon;
  const char* caption;
} kButtons[] = {
    /* The program's buttons send the menu's commands. */
    {IDM_OPTIMIZE_CONNECTION, IDI_TB_OPTIMIZE, "Optimize"},
    {IDM_RESTORE_WINDOWS_DEFAULTS, IDI_TB_RESTORE, "Restore"},
    {IDM_VIEW_CURRENT_SETTINGS, IDI_TB_VIEW, "View "},
    {IDM_CONTENTS, IDI_TB_HELP, "Help"},
    {IDM_EXIT, IDI_TB_EXIT, "Exit"},
};

static const char* const kComboItems[] = {"x4", "x6", "x8", "x10", "x12", "x14", "x16"};

struct Write {
  HKEY root;
  const char* key;
  const char* name;
  DWORD type;
  DWORD number;     /* REG_DWORD, or the one byte of REG_BINARY */
  const char* text; /* REG_SZ */
};

#define TCPIP "System\\CurrentControlSet\\Services\\Tcpip\\Parameters"
#define NDI "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\"
#define IE "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
#define HKLM HKEY_LOCAL_MACHINE

/* What an NT Optimize of "CABLE / DSL", " Automatic Mode 1", leaves in the
 * registry, grouped by key. */
static const struct Write kWrites[] = {
    {HKLM, TCPIP, "DefaultTTL", REG_DWORD, 64, 0},
    {HKLM, TCPIP, "EnablePMTUDiscovery", REG_DWORD, 1, 0},
    {HKLM, TCPIP, "EnablePMTUBHDetect", REG_DWORD, 0, 0},
    {HKLM, TCPIP, "Tcp1323Opts", REG_DWORD, 1, 0},
    {HKLM, TCPIP, "SackOpts", REG_DWORD, 1, 0},
    {HKLM, TCPIP, "TcpWindowSize", REG_DWORD, 256960, 0},
    {HKLM, TCPIP, "GlobalMaxTcpWindowSize", REG_DWORD, 256960, 0},
    {HKLM, TCPIP, "TcpUseRFC1122UrgentPointer", REG_DWORD, 1, 0},
    {HKLM, TCPIP, "TcpMaxDupAcks", REG_DWORD, 2, 0},
    {HKLM, TCPIP "\\Interfaces\\interface", "TcpWindowSize", REG_DWORD, 256960, 0},
    {HKLM, TCPIP "\\Interfaces\\interface", "MTU", REG_DWORD, 1500, 0},
    {HKLM, "System\\CurrentControlSet\\Services\\Netbt\\Parameters", "SessionKeepAlive", REG_DWORD,
     600000, 0},
    {HKLM, NDI "cachesize", "", REG_SZ, 0, "32"},
    {HKLM, NDI "maxconnect", "min", REG_DWORD, 2, 0},
    {HKLM, NDI "maxconnect", "max", REG_DWORD, 128, 0},
    {HKLM, NDI "maxsockets", "min", REG_DWORD, 32, 0},
    {HKLM, NDI "maxsockets", "max", REG_DWORD, 1020, 0},
    {HKLM, "System\\CurrentControlSet\\Services\\Class\\Net\\0000", "SLOWNET", REG_BINARY, 1, 0},
    {HKLM, "System\\CurrentControlSet\\Services\\VxD\\VCACHE", "Start", REG_BINARY, 0, 0},
    {HKLM, "System\\CurrentControlSet\\Services\\VxD\\COMBUFF", "Start", REG_BINARY, 0, 0},
    {HKEY_CURRENT_USER, IE, "MaxConnectionsPerServer", REG_DWORD, 10, 0},
    {HKEY_CURRENT_USER, IE, "MaxConnectionsPer1_0Server", REG_DWORD, 20, 0},
};

static const char* const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "COM5:"};

/* Every value the journal records of the NT family, by key in the order of
 * the program's parameter map; every adapter's two follow. Names end with an
 * empty one; "@" is the key's default value. */
#define NETBT "System\\CurrentControlSet\\Services\\Netbt\\Parameters"
#define VXD "System\\CurrentControlSet\\Services\\VxD\\"
static const struct {
  HKEY root;
  const char* key;
  const char* names;
} kRecorded[] = {
    {HKLM, TCPIP,
     "DefaultTTL\0EnablePMTUDiscovery\0EnablePMTUBHDetect\0Tcp1323Opts\0SackOpts\0"
     "TcpWindowSize\0GlobalMaxTcpWindowSize\0TcpUseRFC1122UrgentPointer\0TcpMaxDupAcks\0"},
    {HKLM, TCPIP "\\Interfaces\\interface", "TcpWindowSize\0MTU\0"},
    {HKLM, NETBT, "SessionKeepAlive\0"},
    {HKLM, NDI "cachesize", "@\0"},
    {HKLM, NDI "maxconnect", "min\0max\0"},
    {HKLM, NDI "maxsockets", "min\0max\0"},
    {HKLM, "System\\CurrentControlSet\\Services\\Class\\Net\\0000", "SLOWNET\0"},
    {HKLM, VXD "VCACHE", "Start\0"},
    {HKLM, VXD "COMBUFF", "Start\0"},
    {HKEY_CURRENT_USER, IE, "MaxConnectionsPerServer\0MaxConnectionsPer1_0Server\0"},
};
static const char kAdapterNames[] = "MTU\0TcpWindowSize\0";

/* The network adapters, as the last enumeration of the Interfaces key found
 * them. */
#define INTERFACES TCPIP "\\Interfaces"
#define MAX_ADAPTERS 32
static char g_adapters[MAX_ADAPTERS][40];
static size_t g_adapterCount;

/* "{8-4-4-4-12 hex digits}". */
static int IsGuid(const char* s) {
  int i;
  if (strlen(s) != 38 || s[0] != '{' || s[37] != '}') return 0;
  for (i = 1; i < 37; ++i) {
    const char c = s[i];
    const int dash = i == 9 || i == 14 || i == 19 || i == 24;
    const int hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (dash ? c != '-' : !hex) return 0;
  }
  return 1;
}

static void FindAdapters(void) {
  HKEY key;
  char name[256];
  DWORD i, n;
  g_adapterCount = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, INTERFACES, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (i = 0; n = sizeof(name), RegEnumKeyExA(key, i, name, &n, 0, 0, 0, 0) == ERROR_SUCCESS; ++i) {
    if (IsGuid(name) && g_adapterCount < MAX_ADAPTERS) lstrcpyA(g_adapters[g_adapterCount++], name);
  }
  RegCloseKey(key);
}

#define JOURNAL_SIZE 20
#define MAX_VALUE (64 * 1024) /* the largest value a record may hold */
#define MAX_RECORD (1024 * 1024)
#define MAX_NEW_KEYS 64

/* A record's text; a value that does not fit fails the record. */
struct Text {
  char* at;
  char* end;
};

static void Put(struct Text* t, const char* s, size_t n) {
  if (!t->at) return;
  if ((size_t)(t->end - t->at) < n) {
    t->at = 0;
    return;
  }
  memcpy(t->at, s, n);
  t->at += n;
}
static void PutZ(struct Text* t, const char* s) { Put(t, s, strlen(s)); }
static void PutQuoted(struct Text* t, const char* s, size_t n) {
  size_t i;
  Put(t, "\"", 1);
  for (i = 0; i < n; ++i) {
    if (s[i] == '\\' || s[i] == '"') Put(t, "\\", 1);
    Put(t, s + i, 1);
  }
  Put(t, "\"", 1);
}
static void PutHex(struct Text* t, DWORD v, int width) {
  char digits[9];
  int n = 0, i;
  do {
    digits[n++] = "0123456789abcdef"[v & 15];
    v >>= 4;
  } while (v || n < width);
  for (i = n - 1; i >= 0; --i) Put(t, digits + i, 1);
}
static void PutKey(struct Text* t, HKEY root, const char* path) {
  PutZ(t, root == HKLM ? "[HKEY_LOCAL_MACHINE\\" : "[HKEY_CURRENT_USER\\");
  PutZ(t, path);
  Put(t, "]", 1);
}

/* One value as regedit reads it back: "text", dword:, hex: or hex(type):. */
static void PutValue(struct Text* t, DWORD type, const BYTE* data, DWORD size) {
  DWORD i;
  int text = type == REG_SZ && size > 0 && data[size - 1] == 0;
  for (i = 0; text && i + 1 < size; ++i) text = data[i] >= 0x20;
  if (text) {
    PutQuoted(t, (const char*)data, size - 1);
    return;
  }
  if (type == REG_DWORD && size == 4) {
    PutZ(t, "dword:");
    PutHex(t, data[0] | data[1] << 8 | data[2] << 16 | (DWORD)data[3] << 24, 8);
    return;
  }
  if (type == REG_BINARY) {
    PutZ(t, "hex:");
  } else {
    PutZ(t, "hex(");
    PutHex(t, type, 1);
    PutZ(t, "):");
  }
  for (i = 0; i < size; ++i) {
    if (i) Put(t, ",", 1);
    PutHex(t, data[i], 2);
  }
}

/* The keys that did not exist before the command, from the root down in the
 * order the record first names them: Undo removes those it created. */
static struct {
  HKEY root;
  char path[MAX_PATH];
} g_newKeys[MAX_NEW_KEYS];
static size_t g_newKeyCount;

static BOOL KeyExists(HKEY root, const char* path) {
  HKEY key;
  const LONG opened = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
  if (opened == ERROR_SUCCESS) RegCloseKey(key);
  return opened != ERROR_FILE_NOT_FOUND;
}

/* A key that is missing: it and the missing keys above it, each once. Only
 * a missing key costs a look at its parents. */
static void NoteMissing(HKEY root, const char* path) {
  char above[MAX_PATH];
  size_t end = strlen(path), top, i;
  lstrcpynA(above, path, MAX_PATH);
  /* Up to the highest missing key: `top` is where its name ends. */
  for (top = end; top > 0;) {
    size_t cut = top;
    while (cut > 0 && above[cut - 1] != '\\') --cut;
    if (cut == 0) break;
    above[cut - 1] = 0;
    if (KeyExists(root, above)) break;
    top = cut - 1;
  }
  lstrcpynA(above, path, MAX_PATH);
  for (end = top;; ++end) {
    if (above[end] == '\\' || above[end] == 0) {
      const char kept = above[end];
      above[end] = 0;
      for (i = 0; i < g_newKeyCount; ++i) {
        if (g_newKeys[i].root == root && lstrcmpiA(g_newKeys[i].path, above) == 0) break;
      }
      if (i == g_newKeyCount && g_newKeyCount < MAX_NEW_KEYS) {
        g_newKeys[g_newKeyCount].root = root;
        lstrcpyA(g_newKeys[g_newKeyCount++].path, above);
      }
      above[end] = kept;
      if (!kept) break;
    }
  }
}

/* One key's part of the record, each line led by `lead`: the key opened
 * once for reading, each value read with one query. FALSE when the key or
 * a value cannot be read. `before`: a missing key is noted. */
static BOOL RecordKey(struct Text* t, const char* lead, HKEY root, const char* path,
                      const char* names, BOOL before) {
  static BYTE data[MAX_VALUE];
  HKEY key = 0;
  const char* name;
  LONG opened = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
  if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) return FALSE;
  if (opened != ERROR_SUCCESS && before) NoteMissing(root, path);
  PutZ(t, lead);
  PutKey(t, root, path);
  Put(t, "\r\n", 2);
  for (name = names; *name; name += strlen(name) + 1) {
    const int isDefault = strcmp(name, "@") == 0;
    DWORD type = 0, size = sizeof(data);
    LONG read = opened == ERROR_SUCCESS
                    ? RegQueryValueExA(key, isDefault ? "" : name, 0, &type, data, &size)
                    : ERROR_FILE_NOT_FOUND;
    if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND) {
      RegCloseKey(key);
      return FALSE;
    }
    PutZ(t, lead);
    if (isDefault)
      Put(t, "@", 1);
    else
      PutQuoted(t, name, strlen(name));
    Put(t, "=", 1);
    if (read == ERROR_SUCCESS)
      PutValue(t, type, data, size);
    else
      Put(t, "-", 1);
    Put(t, "\r\n", 2);
  }
  PutZ(t, lead);
  Put(t, "\r\n", 2);
  if (key) RegCloseKey(key);
  return TRUE;
}

/* The registry part: every mapped key, then every adapter's. */
static BOOL RecordValues(struct Text* t, const char* lead, BOOL before) {
  char path[sizeof(INTERFACES) + 48];
  size_t k;
  for (k = 0; k < COUNT(kRecorded); ++k) {
    if (!RecordKey(t, lead, kRecorded[k].root, kRecorded[k].key, kRecorded[k].names, before))
      return FALSE;
  }
  for (k = 0; k < g_adapterCount; ++k) {
    wsprintfA(path, "%s\\%s", INTERFACES, g_adapters[k]);
    if (!RecordKey(t, lead, HKLM, path, kAdapterNames, before)) return FALSE;
  }
  return t->at != 0;
}

/* The five ports, each on a line led by `lead`: an entry that reads back as
 * the first default may be absent, or hold that text; a second default
 * tells. TRUE in *any when one is there. */
static BOOL RecordPorts(struct Text* t, const char* lead, const char* winIni, BOOL* any) {
  char value[2048];
  size_t i;
  *any = FALSE;
  for (i = 0; i < COUNT(kPorts); ++i) {
    DWORD n = GetPrivateProfileStringA("Ports", kPorts[i], "\1", value, sizeof(value), winIni);
    int absent =
        n == 1 && value[0] == '\1' &&
        GetPrivateProfileStringA("Ports", kPorts[i], "\2", value, sizeof(value), winIni) == 1 &&
        value[0] == '\2';
    PutZ(t, lead);
    PutQuoted(t, kPorts[i], strlen(kPorts[i]));
    Put(t, "=", 1);
    if (absent) {
      Put(t, "-", 1);
    } else {
      PutQuoted(t, value, n);
      *any = TRUE;
    }
    Put(t, "\r\n", 2);
  }
  return t->at != 0;
}

static BOOL HasPortsSection(const char* winIni) {
  static char names[16 * 1024];
  const char* name;
  DWORD n = GetPrivateProfileSectionNamesA(names, sizeof(names), winIni);
  names[n < sizeof(names) ? n : sizeof(names) - 1] = 0;
  for (name = names; *name; name += strlen(name) + 1) {
    if (lstrcmpiA(name, "Ports") == 0) return TRUE;
  }
  return FALSE;
}

/* A whole file or none: a new temporary file beside it, flushed to disk,
 * then renamed over it. */
static BOOL WriteAtomically(const char* path, const char* text, DWORD size) {
  char temp[2 * MAX_PATH + 32];
  DWORD written = 0;
  BOOL ok;
  HANDLE file;
  wsprintfA(temp, "%s.%lx.%lx.tmp", path, GetCurrentProcessId(), GetTickCount());
  file = CreateFileA(temp, GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  ok = WriteFile(file, text, size, &written, 0) && written == size && FlushFileBuffers(file);
  CloseHandle(file);
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temp);
  return ok;
}

/* A record's number from its name, "2026-12-07 14.03.12 #0042 Optimize.reg"
 * (".damaged" after it when set aside, which still holds its number); 0 for
 * any other name. */
static long NumberOf(const char* name, BOOL* setAside) {
  static const char kForm[] = "dddd-dd-dd dd.dd.dd #dddd";
  const size_t n = strlen(name);
  long number = 0;
  size_t i;
  *setAside = n > 12 && lstrcmpiA(name + n - 12, ".reg.damaged") == 0;
  if (n < 31 || (!*setAside && lstrcmpiA(name + n - 4, ".reg") != 0)) return 0;
  for (i = 0; kForm[i]; ++i) {
    if (kForm[i] == 'd' ? name[i] < '0' || name[i] > '9' : name[i] != kForm[i]) return 0;
  }
  for (i = 21; i < 30 && name[i] >= '0' && name[i] <= '9'; ++i)
    number = number * 10 + name[i] - '0';
  return name[i] == ' ' ? number : 0;
}

/* What the second write of the record needs. */
static char g_history[MAX_PATH + 32];
static char g_recordPath[2 * MAX_PATH];
static char g_record[MAX_RECORD];
static struct Text g_recordText; /* its end: without the end line */
static BOOL g_portsSection, g_recording;

/* The journal's records, from one listing of the folder: the highest number
 * and the records themselves, to keep the newest JOURNAL_SIZE. */
static struct {
  long number;
  char name[MAX_PATH];
} g_listed[4 * JOURNAL_SIZE];
static size_t g_listedCount;

static long ListRecords(void) {
  char pattern[MAX_PATH + 32];
  WIN32_FIND_DATAA found;
  HANDLE find;
  long highest = 0;
  g_listedCount = 0;
  wsprintfA(pattern, "%s\\*", g_history);
  find = FindFirstFileA(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    BOOL setAside;
    const long number = NumberOf(found.cFileName, &setAside);
    if (number > highest) highest = number;
    if (number && !setAside && g_listedCount < COUNT(g_listed)) {
      g_listed[g_listedCount].number = number;
      lstrcpynA(g_listed[g_listedCount++].name, found.cFileName, MAX_PATH);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return highest;
}

/* The oldest records beyond the newest JOURNAL_SIZE go; the one just written
 * is the newest and not in the listing. */
static void Prune(void) {
  char path[2 * MAX_PATH];
  size_t i, oldest;
  for (; g_listedCount + 1 > JOURNAL_SIZE; --g_listedCount) {
    for (oldest = 0, i = 1; i < g_listedCount; ++i) {
      if (g_listed[i].number < g_listed[oldest].number) oldest = i;
    }
    wsprintfA(path, "%s\\%s", g_history, g_listed[oldest].name);
    DeleteFileA(path);
    g_listed[oldest] = g_listed[g_listedCount - 1];
  }
}

/* The record of what Optimize is about to change, in Backup\History beside
 * the floor, written whole before the first write; FALSE when it could not
 * be made. */
static BOOL Record(const char* winIni) {
  struct Text* t = &g_recordText;
  char account[257];
  SYSTEMTIME now;
  DWORD n = GetModuleFileNameA(0, g_history, MAX_PATH), attributes;
  long number;
  size_t i;
  g_recording = FALSE;
  g_newKeyCount = 0;
  while (n > 0 && g_history[n - 1] != '\\') --n;
  lstrcpyA(g_history + n, "Backup");
  /* The folders are made when missing and must not be links: the program
   * refuses those, and one look at each tells both. */
  attributes = GetFileAttributesA(g_history);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    CreateDirectoryA(g_history, 0);
  else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return FALSE;
  lstrcatA(g_history, "\\History");
  attributes = GetFileAttributesA(g_history);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    CreateDirectoryA(g_history, 0);
  else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return FALSE;
  number = ListRecords() + 1;

  n = sizeof(account);
  if (!GetUserNameA(account, &n)) account[0] = 0;
  t->at = g_record;
  t->end = g_record + sizeof(g_record);
  PutZ(t,
       "REGEDIT4\r\n\r\n; Internet Zelvora journal: the settings before Optimize, which "
       "regedit\r\n; imports as they are. The lines \";#\" and \";>\" are for Undo.\r\n"
       ";#record 2\r\n;#family NT\r\n;#account ");
  PutQuoted(t, account, strlen(account));
  Put(t, "\r\n", 2);
  for (i = 0; i < g_adapterCount; ++i) {
    const char* name;
    char path[sizeof(INTERFACES) + 48];
    wsprintfA(path, "%s\\%s", INTERFACES, g_adapters[i]);
    for (name = kAdapterNames; *name; name += strlen(name) + 1) {
      PutZ(t, ";#extra ");
      PutKey(t, HKLM, path);
      Put(t, " ", 1);
      PutQuoted(t, name, strlen(name));
      Put(t, "\r\n", 2);
    }
  }
  if (!RecordPorts(t, ";#before ", winIni, &g_portsSection) || !RecordValues(t, "", TRUE))
    return FALSE;
  /* An entry there is its section there: the names are read only without. */
  if (!g_portsSection) g_portsSection = HasPortsSection(winIni);

  GetLocalTime(&now);
  wsprintfA(g_recordPath, "%s\\%04u-%02u-%02u %02u.%02u.%02u #%04ld Optimize.reg", g_history,
            now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, number);
  {
    struct Text whole = *t;
    PutZ(&whole, ";#end\r\n");
    if (!whole.at || !WriteAtomically(g_recordPath, g_record, (DWORD)(whole.at - g_record)))
      return FALSE;
  }
  Prune();
  g_recording = TRUE;
  return TRUE;
}

/* When the command has written: the record again, whole, with what it left:
 * the ports, the keys and the section it created, the values. */
static void FinishRecord(const char* winIni) {
  struct Text* t = &g_recordText;
  size_t i, depth, deepest = 0;
  BOOL any;
  if (!g_recording) return;
  g_recording = FALSE;
  if (!RecordPorts(t, ";#after ", winIni, &any)) return;
  /* Deepest first, as Undo removes them. */
  for (i = 0; i < g_newKeyCount; ++i) {
    const char* c;
    for (depth = 0, c = g_newKeys[i].path; *c; ++c) depth += *c == '\\';
    if (depth > deepest) deepest = depth;
  }
  for (depth = deepest + 1; depth-- > 0;) {
    for (i = 0; i < g_newKeyCount; ++i) {
      const char* c;
      size_t d = 0;
      for (c = g_newKeys[i].path; *c; ++c) d += *c == '\\';
      if (d != depth || !KeyExists(g_newKeys[i].root, g_newKeys[i].path)) continue;
      PutZ(t, ";#new-key ");
      PutKey(t, g_newKeys[i].root, g_newKeys[i].path);
      Put(t, "\r\n", 2);
    }
  }
  if (!g_portsSection && (any || HasPortsSection(winIni))) PutZ(t, ";#new-section [Ports]\r\n");
  if (!RecordValues(t, ";>", FALSE)) return;
  PutZ(t, ";#end\r\n");
  if (t->at) WriteAtomically(g_recordPath, g_record, (DWORD)(t->at - g_record));
}

/* MTU and receive window into each adapter the user has not cleared, one
 * handle per adapter; a key that is gone is not made again. */
static void WriteAdapters(void) {
  static const DWORD kMtu = 1500, kWindow = 256960;
  char unticked[1024] = "", path[sizeof(INTERFACES) + 48];
  DWORD type, size = sizeof(unticked) - 1;
  HKEY key;
  size_t i;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Internet Zelvora", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    if (RegQueryValueExA(key, "UntickedAdapters", 0, &type, (BYTE*)unticked, &size) != ERROR_SUCCESS)
      unticked[0] = 0;
    RegCloseKey(key);
  }
  for (i = 0; i < g_adapterCount; ++i) {
    if (strstr(unticked, g_adapters[i])) continue;
    wsprintfA(path, "%s\\%s", INTERFACES, g_adapters[i]);
    if (RegOpenKeyExA(HKLM, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
    RegSetValueExA(key, "MTU", 0, REG_DWORD, (const BYTE*)&kMtu, 4);
    RegSetValueExA(key, "TcpWindowSize", 0, REG_DWORD, (const BYTE*)&kWindow, 4);
    RegCloseKey(key);
  }
}

static HFONT g_normal, g_bold, g_title;
static HWND g_labels[2];
static HWND g_tip, g_panel2;

static void Optimize(HWND hwnd) {
  HKEY key = 0;
  const struct Write* open = 0;
  char winIni[MAX_PATH + 16];
  UINT n;
  size_t i;
  n = GetWindowsDirectoryA(winIni, MAX_PATH);
  lstrcpyA(winIni + (n < MAX_PATH ? n : 0), "\\Win.ini");
  FindAdapters();
  Record(winIni);
  for (i = 0; i < COUNT(kWrites); ++i) {
    const struct Write* w = &kWrites[i];
    BYTE byte = (BYTE)w->number;
    if (!open || open->root != w->root || strcmp(open->key, w->key) != 0) {
      if (key) RegCloseKey(key);
      key = 0;
      RegCreateKeyExA(w->root, w->key, 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0);
      open = w;
    }
    if (w->type == REG_SZ)
      RegSetValueExA(key, w->name, 0, REG_SZ, (const BYTE*)w->text, (DWORD)strlen(w->text) + 1);
    else if (w->type == REG_BINARY)
      RegSetValueExA(key, w->name, 0, REG_BINARY, &byte, 1);
    else
      RegSetValueExA(key, w->name, 0, REG_DWORD, (const BYTE*)&w->number, 4);
  }
  if (key) RegCloseKey(key);

  for (i = 0; i < COUNT(kPorts); ++i)
    WritePrivateProfileStringA("Ports", kPorts[i], "921600,n,8,1,p", winIni);
  WriteAdapters();
  FinishRecord(winIni);
  MessageBoxA(hwnd,
              "Your CABLE / DSL connection has been Optimized. Before using the new settings you "
              "must restart your computer. Do you wish to reboot now? ",
              "Confirm", MB_YESNO | MB_ICONQUESTION);
}

/* The program's panel container: the button face, a bevel when asked, and
 * its children's notifications passed to the main window. */
static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return SendMessageA(GetAncestor(hwnd, GA_ROOT), msg, wp, lp);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (GetWindowLongPtrA(hwnd, 0)) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

static HWND Child(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, int x,
                  int y, int w, int h, HFONT font) {
  HWND hwnd = CreateWindowExA(exStyle, cls, text, style | WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                              0, GetModuleHandleA(0), 0);
  SendMessageA(hwnd, WM_SETFONT, (WPARAM)font, FALSE);
  return hwnd;
}

static HWND Panel(HWND parent, int x, int y, int w, int h, int bevel) {
  HWND panel = CreateWindowExA(WS_EX_CONTROLPARENT, "IzFloorPanel", "",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent, 0,
                               GetModuleHandleA(0), 0);
  SetWindowLongPtrA(panel, 0, bevel);
  return panel;
}

static void AddTip(HWND tip, HWND owner, UINT flags, UINT_PTR id, const RECT* rc, const char* text) {
  TOOLINFOA info;
  memset(&info, 0, sizeof(info));
  info.cbSize = sizeof(info);
  info.uFlags = flags;
  info.hwnd = owner;
  info.uId = id;
  if (rc) info.rect = *rc;
  info.lpszText = (char*)text;
  SendMessageA(tip, TTM_ADDTOOLA, 0, (LPARAM)&info);
}

static HWND CreateToolBar(HWND hwnd) {
  HINSTANCE instance = GetModuleHandleA(0);
  TBBUTTON buttons[2 * COUNT(kButtons)];
  HIMAGELIST images = ImageList_Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, 5, 0);
  HWND toolbar = CreateWindowExA(
      0, TOOLBARCLASSNAMEA, 0,
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
          CCS_NOPARENTALIGN | CCS_NODIVIDER,
      0, 0, CLIENT_WIDTH, TOOLBAR_HEIGHT, hwnd, (HMENU)IDC_TOOLBAR, instance, 0);
  size_t i;
  memset(buttons, 0, sizeof(buttons));
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolbar, WM_SETFONT, (WPARAM)g_normal, FALSE);
  for (i = 0; i < COUNT(kButtons); ++i) {
    HICON icon = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(kButtons[i].icon), IMAGE_ICON,
                                   ICON_SIZE, ICON_SIZE, LR_DEFAULTCOLOR);
    TBBUTTON* b = &buttons[2 * i];
    b->iBitmap = ImageList_AddIcon(images, icon);
    DestroyIcon(icon);
    b->idCommand = kButtons[i].id;
    b->fsState = TBSTATE_ENABLED;
    b->fsStyle = BTNS_BUTTON;
    b->iString = (INT_PTR)kButtons[i].caption;
    buttons[2 * i + 1].iBitmap = 6;
    buttons[2 * i + 1].fsStyle = BTNS_SEP;
  }
  SendMessageA(toolbar, TB_SETIMAGELIST, 0, (LPARAM)images);
  SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(ICON_SIZE, ICON_SIZE));
  SendMessageA(toolbar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(BUTTON_WIDTH, BUTTON_WIDTH));
  SendMessageA(toolbar, TB_ADDBUTTONSA, COUNT(buttons), (LPARAM)buttons);
  SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(BUTTON_WIDTH, TOOLBAR_HEIGHT - 4));
  return toolbar;
}

static void CreateControls(HWND hwnd) {
  HWND toolbar = CreateToolBar(hwnd), panel1, panel2, status, tip;
  RECT last;
  size_t i;
  int id = IDC_PANEL_FIRST;
  SendMessageA(toolbar, TB_GETITEMRECT, 2 * COUNT(kButtons) - 1, (LPARAM)&last);
  panel1 = Panel(toolbar, last.right, (TOOLBAR_HEIGHT - PANEL1_HEIGHT) / 2, PANEL1_WIDTH,
                 PANEL1_HEIGHT, 1);
  g_labels[0] = Child(panel1, 0, "STATIC", "Internet Zelvora", SS_CENTER | SS_NOTIFY, 4, 3,
                      PANEL1_WIDTH - 8, 25, g_title);
  g_labels[1] = Child(panel1, 0, "STATIC", "for Win9x / ME / NT / XP/ 7/ 8", SS_CENTER | SS_NOTIFY,
                      4, 29, PANEL1_WIDTH - 8, 15, g_normal);

  panel2 = Panel(hwnd, 0, TOOLBAR_HEIGHT, CLIENT_WIDTH, PANEL2_HEIGHT, 0);
  g_panel2 = panel2;
  g_tip = tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, 0, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, 0,
                        GetModuleHandleA(0), 0);
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 320);
  for (i = 0; i < COUNT(kPanel); ++i, ++id) {
    const struct Place* p = &kPanel[i];
    HWND c;
    RECT rc;
    size_t k;
    switch (p->kind) {
      case 'G':
        Child(panel2, 0, "BUTTON", p->text, BS_GROUPBOX, p->x, p->y, p->w, p->h, g_normal);
        SetRect(&rc, p->x, p->y, p->x + p->w, p->y + p->h);
        if (p->hint) AddTip(tip, panel2, 0, i, &rc, p->hint);
        break;
      case 'L':
        Child(panel2, 0, "STATIC", p->text, SS_LEFT, p->x, p->y, p->w, p->h, g_normal);
        break;
      case 'R':
      case 'C':
        c = Child(panel2, 0, "BUTTON", p->text,
                  (p->kind == 'R' ? BS_RADIOBUTTON : BS_CHECKBOX) | WS_TABSTOP, p->x, p->y, p->w,
                  p->h, g_normal);
        if (p->on) SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
        if (p->hint) AddTip(tip, panel2, TTF_IDISHWND, (UINT_PTR)c, 0, p->hint);
        break;
      case 'E':
        c = Child(panel2, WS_EX_CLIENTEDGE, "EDIT", p->text, ES_AUTOHSCROLL | WS_TABSTOP, p->x,
                  p->y, p->w, p->h, g_normal);
        EnableWindow(c, FALSE);
        break;
      case 'X':
        c = Child(panel2, 0, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, p->x, p->y,
                  p->w, p->h, g_normal);
        for (k = 0; k < COUNT(kComboItems); ++k)
          SendMessageA(c, CB_ADDSTRING, 0, (LPARAM)kComboItems[k]);
        SendMessageA(c, CB_SETCURSEL, 0, 0);
        EnableWindow(c, FALSE);
        break;
    }
  }

  status = Child(hwnd, 0, STATUSCLASSNAMEA, "", CCS_NOPARENTALIGN | CCS_NORESIZE, 0,
                 CLIENT_HEIGHT - STATUS_HEIGHT, CLIENT_WIDTH, STATUS_HEIGHT, g_bold);
  SendMessageA(status, SB_SIMPLE, TRUE, 0);
  SendMessageA(status, SB_SETTEXTA, SB_SIMPLEID, (LPARAM) " Operating System: Windows XP");
}

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      SendMessageA(hwnd, WM_SETFONT, (WPARAM)g_normal, FALSE);
      CreateControls(hwnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == IDM_OPTIMIZE_CONNECTION && lp == 0) Optimize(hwnd);
      return 0;
    case WM_CTLCOLORSTATIC:
      if ((HWND)lp == g_labels[0] || (HWND)lp == g_labels[1]) {
        SetBkColor((HDC)wp, GetSysColor(COLOR_BTNFACE));
        SetTextColor((HDC)wp, RGB(0, 0, 128));
        return (LRESULT)GetSysColorBrush(COLOR_BTNFACE);
      }
      break;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

static HFONT Font(int height, int weight, const char* face) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  WNDCLASSEXA wc;
  RECT rc = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
  HMENU menu;
  HACCEL accelerators;
  HWND hwnd;
  MSG msg;
  int w, h;
  (void)previous;
  (void)command;
  InitCommonControlsEx(&icc);
  g_normal = Font(-11, FW_NORMAL, "MS Sans Serif");
  g_bold = Font(-11, FW_BOLD, "MS Sans Serif");
  g_title = Font(-21, FW_BOLD, "Arial");

  memset(&wc, 0, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = PanelProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(0, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = "IzFloorPanel";
  RegisterClassExA(&wc);
  wc.lpfnWndProc = WindowProc;
  wc.cbWndExtra = 0;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON));
  wc.hIconSm = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAINICON), IMAGE_ICON, 16, 16, 0);
  wc.lpszClassName = "IzFloor";
  RegisterClassExA(&wc);

  menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
  AdjustWindowRectEx(&rc, kWindowStyle, TRUE, 0);
  w = rc.right - rc.left;
  h = rc.bottom - rc.top;
  hwnd = CreateWindowExA(0, "IzFloor", kCaption, kWindowStyle,
                         (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, 0, menu, instance, 0);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  while (GetMessageA(&msg, 0, 0, 0) > 0) {
    /* The tooltips see the panel's mouse messages here, not by subclassing. */
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST &&
        (msg.hwnd == g_panel2 || GetParent(msg.hwnd) == g_panel2))
      SendMessageA(g_tip, TTM_RELAYEVENT, 0, (LPARAM)&msg);
    if (TranslateAcceleratorA(hwnd, accelerators, &msg)) continue;
    if (IsDialogMessageA(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}
