#include "actions/about_box.h"

#include <shellapi.h>

#include "actions/clipboard.h"
#include "actions/desktop_shell.h"
#include "base/process.h"
#include "base/window_geometry.h"
#include "platform/os.h"
#include "res/project.h"
#include "res/resource.h"

static RECT linkRect;  // screen coordinates
static HFONT linkFont;
static const AboutBoxOwner* opener;  // while the box is open

#define VARNICK_PAGE_URL_U u"" VARNICK_PAGE_URL
static const wchar_t kPageUrl[] = L"" VARNICK_PAGE_URL;
static const wchar_t kLinkText[] = L"" VARNICK_LINK_TEXT;

void DeleteAboutLinkFont() {
  if (linkFont != nullptr) DeleteObject(linkFont);
  linkFont = nullptr;
}

static SIZE MeasureLink(HDC dc) {
  SIZE size = {};
  GetTextExtentPoint32W(dc, kLinkText, lstrlenW(kLinkText), &size);
  return size;
}

// Brought back onto the primary screen when it lies (nearly) off it.
static BOOL ClampWindowToScreen(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  int32_t x, y;
  ClampedPosition({r.left, r.top, r.right, r.bottom}, GetSystemMetrics(SM_CXSCREEN),
                  GetSystemMetrics(SM_CYSCREEN), &x, &y);
  return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The monitor a corner of the window (30 pixels in) lies on; when none
// does, the window is clamped to the primary screen.
static HMONITOR KeepWindowOnMonitor(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return nullptr;
  const POINT corners[4] = {{r.left + 30, r.top + 30},
                            {r.right - 30, r.top + 30},
                            {r.left + 30, r.bottom - 30},
                            {r.right - 30, r.bottom - 30}};
  for (const POINT& p : corners) {
    HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONULL);
    if (monitor != nullptr) return monitor;
  }
  return reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(ClampWindowToScreen(window)));
}

static void CentreOnOwner(HWND dialog) {
  RECT o, d;
  GetWindowRect(GetWindow(dialog, GW_OWNER), &o);
  GetWindowRect(dialog, &d);
  int left = o.left + ((o.right - o.left) - (d.right - d.left)) / 2;
  int top = o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2;
  MoveWindow(dialog, left, top, d.right - d.left, d.bottom - d.top, FALSE);
}

static void OnInitAboutBox(HWND dialog) {
  CentreOnOwner(dialog);
  KeepWindowOnMonitor(dialog);
  wchar_t text[64];
  wsprintfW(text, L"Varnick - (%s)", reinterpret_cast<const wchar_t*>(osVersion.platformName));
  SetDlgItemTextW(dialog, IDC_ABOUT_TITLE, text);
  wsprintfW(text, L"Version %s", reinterpret_cast<const wchar_t*>(programVersion.fullText));
  SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, text);

  HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
  HDC dc = GetDC(link);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
  SIZE size = MeasureLink(dc);
  SelectObject(dc, oldFont);
  ReleaseDC(link, dc);
  SetWindowPos(link, nullptr, 0, 0, size.cx, size.cy + 1,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(link, &linkRect);

  HWND icon = GetDlgItem(dialog, IDC_ABOUT_ICON);
  SetWindowPos(icon, nullptr, 0, 0, opener->largeIconSize, opener->largeIconSize,
               SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(opener->largeIcon), 0);
}

// The address goes to the browser the user chose in their own part of the
// registry, which any program they run may change: with an administrator's
// token it is handed to the desktop's shell, which runs as the signed-in
// user, or else only put on the clipboard.
static void OpenPage(HWND dialog) {
  if (!isAdmin && !OsRunsElevated()) {
    ShellExecuteW(nullptr, L"open", kPageUrl, nullptr, nullptr, SW_SHOWMAXIMIZED);
    return;
  }
  const char16_t* address = reinterpret_cast<const char16_t*>(kPageUrl);
  if (OpenInDesktopShell(address)) return;
  // Owned by the box, so that no second click opens a second one.
  OsMessageBox(reinterpret_cast<OsWindow>(dialog),
               TextBufferToClipboard(dialog, address)
                   ? u"Varnick runs with administrator rights and opens no web page itself. "
                     u"The page's address is on the clipboard:\n" VARNICK_PAGE_URL_U
                   : u"Varnick runs with administrator rights and opens no web page itself. "
                     u"The page's address:\n" VARNICK_PAGE_URL_U,
               u"Varnick", MB_OK | MB_ICONINFORMATION);
}

// Blue and underlined, on no background of its own.
static INT_PTR ColourLink(HDC dc) {
  linkRect.right = linkRect.left + MeasureLink(dc).cx;
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  if (linkFont == nullptr) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    LOGFONTW font = {};
    font.lfHeight = metrics.tmHeight;
    font.lfWeight = metrics.tmWeight;
    font.lfItalic = metrics.tmItalic;
    font.lfUnderline = 1;
    font.lfStrikeOut = metrics.tmStruckOut;
    font.lfCharSet = metrics.tmCharSet;
    font.lfPitchAndFamily = metrics.tmPitchAndFamily;
    GetTextFaceW(dc, LF_FACESIZE, font.lfFaceName);
    linkFont = CreateFontIndirectW(&font);
  }
  SelectObject(dc, linkFont);
  return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

static INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitAboutBox(dialog);
      return FALSE;  // no initial focus
    case WM_CTLCOLORSTATIC:
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_ABOUT_LINK) {
        return ColourLink(reinterpret_cast<HDC>(wParam));
      }
      return FALSE;
    case WM_MOUSEMOVE: {
      POINT p = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
      ClientToScreen(dialog, &p);
      opener->setCursor(opener->window, PtInRect(&linkRect, p) ? IDC_HAND : IDC_ARROW, 0);
      return FALSE;
    }
    case WM_LBUTTONDOWN:
      opener->setCursor(opener->window, IDC_APPSTARTING, 0);
      OpenPage(dialog);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        opener->setCursor(opener->window, IDC_ARROW, 0);
        EndDialog(dialog, 0);
      }
      return FALSE;  // Escape (IDCANCEL) leaves the box open
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return FALSE;
    case WM_ENDSESSION:
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      return FALSE;
  }
  return FALSE;
}

void ShowAboutBox(const AboutBoxOwner& owner) {
  opener = &owner;
  DialogBoxParamW(reinterpret_cast<HINSTANCE>(programInstance), MAKEINTRESOURCEW(IDD_ABOUT),
                  owner.window, AboutDialogProc, 0);
  opener = nullptr;
}
