#include "win32/toolbar.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "model/unpack.h"
#include "win32/controls.h"

namespace iz::win32 {

namespace {

constexpr int kIconSizeAt96 = 24;
constexpr int kButtonWidth = 47;
constexpr int kDividerWidth = 6;

const ToolButtonSpec* FindButton(UINT_PTR id) {
  for (const ToolButtonSpec& b : kToolButtons)
    if (b.id != 0 && static_cast<UINT_PTR>(b.id) == id) return &b;
  return nullptr;
}

std::uint32_t Read32(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | std::uint32_t{at[3]} << 24;
}

// The toolbar's icon id at size pixels. The toolbar's icons are stored
// packed (resources/make_icons.py); each unpacks to an icon file, whose image
// of that size becomes the icon, as LoadImage would make it of an icon
// resource.
HICON LoadToolIcon(HINSTANCE instance, int id, int size) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const void* packed = loaded ? LockResource(loaded) : nullptr;
  std::vector<std::uint8_t> file;
  if (!packed ||
      !Unpack(static_cast<const std::uint8_t*>(packed), SizeofResource(instance, found), &file))
    return nullptr;
  // The icon file: a 6-byte header ending in the count of images, then one
  // 16-byte entry each: width, height, 6 bytes, the image's length, offset.
  const std::size_t count = file.size() < 6 ? 0 : file[4] | file[5] << 8;
  for (std::size_t i = 0; i < count && 6 + 16 * (i + 1) <= file.size(); ++i) {
    const std::uint8_t* entry = file.data() + 6 + 16 * i;
    if (entry[0] != size) continue;
    const std::uint32_t length = Read32(entry + 8), offset = Read32(entry + 12);
    if (offset > file.size() || length > file.size() - offset) return nullptr;
    constexpr DWORD kIconFormat = 0x00030000;  // the format of Windows 3.0 and later
    return CreateIconFromResourceEx(file.data() + offset, length, TRUE, kIconFormat, size, size,
                                    LR_DEFAULTCOLOR);
  }
  return nullptr;
}

}  // namespace

ToolBar::~ToolBar() {
  if (images_) ImageList_Destroy(images_);
}

int ToolIconSize(int dpi) {
  const int wanted = Scale(kIconSizeAt96, dpi);
  int best = kToolIconSizes[0];
  for (int size : kToolIconSizes)
    if (std::abs(size - wanted) < std::abs(best - wanted)) best = size;
  return best;
}

HWND ToolBar::Create(HWND parent, int id, int width, int height, HFONT font, int dpi) {
  width_ = width;
  height_ = height;
  // CCS_NORESIZE keeps the toolbar at the height the window's layout gives it.
  // A tab stop and a group of its own: the panel's arrow keys never lead
  // into it, and Tab reaches it after the panel's last control.
  hwnd_ =
      CreateChild(Child(TOOLBARCLASSNAMEA)
                      .Style(WS_TABSTOP | WS_GROUP | WS_CLIPCHILDREN | TBSTYLE_FLAT |
                             TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER)
                      .At(0, 0, width, height)
                      .Dpi(dpi)
                      .In(parent)
                      .Id(id)
                      .Font(font));
  SendMessageA(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  AddButtons(dpi);
  return hwnd_;
}

void ToolBar::SetDpi(int dpi, HFONT font) {
  Window(hwnd_).SetFont(font);
  PlaceChild(hwnd_, 0, 0, width_, height_, dpi);
  // The dividers' widths are fixed when a button is added, and the first
  // common controls cannot change them by index: the buttons are added anew.
  while (SendMessageA(hwnd_, TB_DELETEBUTTON, 0, 0)) {
  }
  AddButtons(dpi);
}

void ToolBar::AddButtons(int dpi) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const int size = ToolIconSize(dpi);
  HIMAGELIST old = images_;
  images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0);
  TBBUTTON buttons[sizeof(kToolButtons) / sizeof(kToolButtons[0])] = {};
  int n = 0;
  for (const ToolButtonSpec& entry : kToolButtons) {
    TBBUTTON& b = buttons[n++];
    if (entry.id == 0) {
      b.iBitmap = Scale(kDividerWidth, dpi);
      b.fsStyle = BTNS_SEP;
      continue;
    }
    HICON icon = LoadToolIcon(instance, entry.icon, size);
    b.iBitmap = icon ? ImageList_AddIcon(images_, icon) : I_IMAGENONE;
    if (icon) DestroyIcon(icon);
    b.idCommand = entry.id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    b.iString = reinterpret_cast<INT_PTR>(entry.caption);
  }
  SendMessageA(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  if (old) ImageList_Destroy(old);
  SendMessageA(hwnd_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  const int buttonWidth = Scale(kButtonWidth, dpi);
  SendMessageA(hwnd_, TB_SETBUTTONWIDTH, 0, MAKELPARAM(buttonWidth, buttonWidth));
  SendMessageA(hwnd_, TB_ADDBUTTONSA, n, reinterpret_cast<LPARAM>(buttons));
  SendMessageA(hwnd_, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth, Scale(height_ - 4, dpi)));
}

int ToolBar::ButtonsRight() const {
  int count = static_cast<int>(SendMessageA(hwnd_, TB_BUTTONCOUNT, 0, 0));
  RECT rc{};
  if (count > 0) SendMessageA(hwnd_, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&rc));
  return rc.right;
}

bool ToolBar::OnNotify(NMHDR* header) {
  // The toolbar's own tooltip asks for the text; it may ask in either
  // character set depending on how the common controls negotiated.
  const bool wide = header->code == TTN_GETDISPINFOW;
  if (!wide && header->code != TTN_GETDISPINFOA) return false;
  const ToolButtonSpec* b = FindButton(header->idFrom);
  if (!b) return false;
  if (wide) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    MultiByteToWideChar(CP_ACP, 0, b->hint, -1, info->szText,
                        sizeof(info->szText) / sizeof(info->szText[0]));
    info->lpszText = info->szText;
    info->hinst = nullptr;
  } else {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    info->lpszText = const_cast<char*>(b->hint);
    info->hinst = nullptr;
  }
  return true;
}

int ToolBar::HotItem() const { return static_cast<int>(SendMessageA(hwnd_, TB_GETHOTITEM, 0, 0)); }

bool ToolBar::OnKey(WPARAM key, int* command) {
  *command = 0;
  const int count = static_cast<int>(SendMessageA(hwnd_, TB_BUTTONCOUNT, 0, 0));
  // The buttons by index, dividers left out: no more than this toolbar adds.
  int buttons[std::size(kToolButtons)];
  int n = 0;
  for (int i = 0; i < count && n < static_cast<int>(std::size(buttons)); ++i) {
    TBBUTTON b{};
    if (SendMessageA(hwnd_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b)) &&
        !(b.fsStyle & BTNS_SEP))
      buttons[n++] = i;
  }
  if (n == 0) return false;
  const int hot = HotItem();
  int at = -1;
  for (int i = 0; i < n; ++i)
    if (buttons[i] == hot) at = i;
  const int last = n - 1;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      at = at <= 0 ? last : at - 1;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      at = at < 0 || at == last ? 0 : at + 1;
      break;
    case VK_HOME:
      at = 0;
      break;
    case VK_END:
      at = last;
      break;
    case VK_RETURN:
    case VK_SPACE:
      if (at >= 0) {
        TBBUTTON b{};
        SendMessageA(hwnd_, TB_GETBUTTON, buttons[at], reinterpret_cast<LPARAM>(&b));
        *command = b.idCommand;
      }
      return true;
    default:
      return false;
  }
  SendMessageA(hwnd_, TB_SETHOTITEM, buttons[at], 0);
  return true;
}

void ToolBar::ShowFocus(bool focused) {
  if (focused == focused_) return;
  focused_ = focused;
  if (!focused) {
    DropHighlight();
  } else if (HotItem() < 0) {
    SendMessageA(hwnd_, TB_SETHOTITEM, 0, 0);
  }
}

void ToolBar::DropHighlight() {
  if (HotItem() >= 0) SendMessageA(hwnd_, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
}

}  // namespace iz::win32
