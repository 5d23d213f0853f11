// vtool's commands for what Varnick hands to the system, and its other
// windows:
//
//   vtool clipboard              print the clipboard's Unicode text, or
//                                "(none)"; exit 1 when it cannot be opened
//   vtool holdclip MILLISECONDS  open the clipboard, print "held", keep it
//                                open that long, then close it
//   vtool about MILLISECONDS     wait for the About box; print its texts
//                                "title|notice|link|version", then the
//                                rectangles of the box, the link and the
//                                main window, one per line
//   vtool popup MILLISECONDS     wait for an open popup menu; print its
//                                rectangle
//   vtool popupink MILLISECONDS  wait for an open popup menu; print how many
//                                pixels of its first item are drawn dark,
//                                as enabled text is (a greyed item has none)
//   vtool windows TITLE          print "pid left top right bottom" of every
//                                visible top-level window whose caption
//                                begins with TITLE
//   vtool close TITLE            post WM_CLOSE to each of those windows
//   vtool listbox TITLE ID       of the dialog whose caption begins with
//                                TITLE: "OK 1" or "OK 0" as its OK button
//                                is enabled or not, then the items of its
//                                list box ID, one a line
//   vtool ping WINDOWTITLE TIMES send WM_NULL to that window TIMES times and
//                                print the slowest and the median answer in ms
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/tools/vtool.h"

namespace {

int Clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t* text = data == nullptr ? nullptr : static_cast<const wchar_t*>(GlobalLock(data));
  PrintUtf8(text == nullptr ? L"(none)\n" : std::wstring(text) + L"\n");
  if (text != nullptr) GlobalUnlock(data);
  CloseClipboard();
  return 0;
}

int HoldClipboard(DWORD milliseconds) {
  // Held for a window: Wine lets any number of openers without one share
  // the clipboard, where Windows lets only one task have it.
  HWND owner = CreateWindowW(L"STATIC", L"vtool clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                             nullptr, nullptr, nullptr);
  DWORD start = GetTickCount();
  while (!OpenClipboard(owner)) {
    if (GetTickCount() - start > 2000) return 1;
    Sleep(10);
  }
  printf("held\n");
  fflush(stdout);
  Sleep(milliseconds);
  CloseClipboard();
  DestroyWindow(owner);
  return 0;
}

// The first visible top-level window of that class whose caption begins
// with the text (any caption when it is empty).
struct Search {
  const wchar_t* className;
  std::wstring caption;
  HWND found;
};

BOOL CALLBACK FindWindowBy(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  wchar_t className[64] = {}, caption[256] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, caption, 256);
  if (IsWindowVisible(window) &&
      (search->className == nullptr || lstrcmpW(className, search->className) == 0) &&
      std::wstring(caption).compare(0, search->caption.size(), search->caption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForWindow(const wchar_t* className, const std::wstring& caption, DWORD milliseconds) {
  Search search = {className, caption, nullptr};
  DWORD start = GetTickCount();
  for (;;) {
    EnumWindows(FindWindowBy, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || GetTickCount() - start > milliseconds) return search.found;
    Sleep(20);
  }
}

std::wstring Text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

void PrintWindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
}

int About(DWORD milliseconds) {
  HWND box = WaitForWindow(L"#32770", L"About Varnick", milliseconds);
  if (box == nullptr) return 1;
  Sleep(100);
  HWND notice = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == 0xFFFF || GetDlgCtrlID(child) == -1) notice = child;
  }
  PrintUtf8(Text(GetDlgItem(box, 1003)) + L"|" + (notice ? Text(notice) : L"?") + L"|" +
            Text(GetDlgItem(box, 1005)) + L"|" + Text(GetDlgItem(box, 1004)) + L"\n");
  PrintWindowRect(box);
  PrintWindowRect(GetDlgItem(box, 1005));
  PrintWindowRect(GetWindow(box, GW_OWNER));
  return 0;
}

int Popup(DWORD milliseconds) {
  HWND menu = WaitForWindow(L"#32768", L"", milliseconds);
  if (menu == nullptr) return 1;
  PrintWindowRect(menu);
  return 0;
}

// Another process's menu items cannot be read here: their text is looked at
// on screen instead.
int PopupInk(DWORD milliseconds) {
  HWND menu = WaitForWindow(L"#32768", L"", milliseconds);
  if (menu == nullptr) return 1;
  Sleep(300);  // drawn
  RECT r;
  GetWindowRect(menu, &r);
  int top = r.top + 3, height = GetSystemMetrics(SM_CYMENUSIZE) - 4;
  HDC screen = GetDC(nullptr);
  int dark = 0;
  for (int y = top; y < top + height; y++) {
    for (int x = r.left + 3; x < r.right - 3; x++) {
      COLORREF c = GetPixel(screen, x, y);
      dark += GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80;
    }
  }
  ReleaseDC(nullptr, screen);
  printf("%d\n", dark);
  return 0;
}

struct Titled {
  const wchar_t* title;
  bool close;
};

BOOL CALLBACK EachTitled(HWND window, LPARAM param) {
  const Titled* t = reinterpret_cast<const Titled*>(param);
  std::wstring caption = Text(window);
  if (IsWindowVisible(window) && caption.compare(0, lstrlenW(t->title), t->title) == 0) {
    if (t->close) {
      PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      printf("%lu ", pid);
      PrintWindowRect(window);
    }
  }
  return TRUE;
}

int Ping(const wchar_t* title, int times) {
  HWND window = WaitForWindow(nullptr, title, 2000);
  if (window == nullptr || times <= 0) return 1;
  std::vector<double> ms;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < times; i++) {
    DWORD_PTR result;
    QueryPerformanceCounter(&start);
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) return 1;
    QueryPerformanceCounter(&end);
    ms.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
  std::sort(ms.begin(), ms.end());
  printf("slowest %.2f ms, median %.2f ms\n", ms.back(), ms[ms.size() / 2]);
  return 0;
}

int ListBox(const wchar_t* title, int id) {
  HWND dialog = WaitForWindow(L"#32770", title, 2000);
  HWND list = dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
  if (list == nullptr) return 1;
  printf("OK %d\n", IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0);
  int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; i++) {
    wchar_t text[1024] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024) {
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    }
    PrintUtf8(std::wstring(text) + L"\n");
  }
  return 0;
}

}  // namespace

int ActionCommand(int argc, wchar_t** argv) {
  std::wstring verb = argv[1];
  if (verb == L"clipboard" && argc == 2) return Clipboard();
  if (verb == L"holdclip" && argc == 3) return HoldClipboard(wcstoul(argv[2], nullptr, 10));
  if (verb == L"about" && argc == 3) return About(wcstoul(argv[2], nullptr, 10));
  if (verb == L"popup" && argc == 3) return Popup(wcstoul(argv[2], nullptr, 10));
  if (verb == L"popupink" && argc == 3) return PopupInk(wcstoul(argv[2], nullptr, 10));
  if ((verb == L"windows" || verb == L"close") && argc == 3) {
    Titled titled = {argv[2], verb == L"close"};
    EnumWindows(EachTitled, reinterpret_cast<LPARAM>(&titled));
    return 0;
  }
  if (verb == L"ping" && argc == 4) return Ping(argv[2], _wtoi(argv[3]));
  if (verb == L"listbox" && argc == 4) return ListBox(argv[2], _wtoi(argv[3]));
  return -1;
}
