// vtool's commands on Varnick's main window, which lives in another process:
//
//   vtool window MILLISECONDS    wait for the main window; print
//                                "caption|clear enabled|remove enabled|pid"
//   vtool list                   the list: a line "count|top|perpage|selected|
//                                focused", a line of the two status texts, a
//                                line of header titles (each followed by ^ or
//                                v for its sort arrow), then one line per row:
//                                "index|checked|selected|focused|texts..."
//   vtool point ROW COLUMN       screen point of a cell (COLUMN -1: its check box)
//   vtool hpoint COLUMN          screen point of a column header
//   vtool hedge COLUMN           screen point of its right edge, where a
//                                drag changes the column's width
//   vtool rects                  screen rectangles of the window, its client
//                                area, the list, the status bar and the two
//                                buttons ("clear", "remove")
//   vtool menu                   the menu bar: "id|state|text" per item
//   vtool devchange EVENT GUID [TYPE [ROW [GAP...]]]  send WM_DEVICECHANGE
//                                (EVENT in hex) with a device-interface record
//                                of that class (TYPE: the record's device
//                                type, default 5); with ROW, send it again
//                                after each GAP (ms), then wait up to 10 s for
//                                the row's Device column to show text, and
//                                print when each later message went and when
//                                the refresh that filled the row began, in ms
//                                since the first went (-1: no refresh)
//   vtool post MESSAGE WPARAM    post a message to the main window
//   vtool commandbench ID        send the command ID once and print how long
//                                the window took to carry it out, in ms
//   vtool refreshbench TIMES     send the refresh command TIMES times and
//                                print the fastest and the median run in ms
//                                (the command returns once the list is
//                                rebuilt and repainted)
//   vtool keys KEY...            type keys through SendInput into the main
//                                window, made foreground first; each KEY is
//                                a name or modifiers and a name: "alt+F4"
//   vtool type KEY...            the same keys into whatever has the input
//                                now (an open menu), nothing made foreground
//   vtool keysto CAPTION KEY...  the same keys into the top-level window whose
//                                caption begins with CAPTION, made foreground
//   vtool textto CAPTION TEXT    TEXT typed into that window, character by
//                                character, as a keyboard's layout would
//   vtool columns                the list's column widths, space-separated
//   vtool placement              "showcmd left top right bottom topmost" of
//                                the main window (normal rectangle)
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <objbase.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/tools/vtool.h"

bool IsMainWindow(HWND window) {
  HWND list = GetDlgItem(window, 1000);
  wchar_t className[64] = {};
  return list != nullptr && GetClassNameW(list, className, 64) &&
         wcscmp(className, L"SysListView32") == 0;
}

namespace {

HWND FindMainWindow() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        if (IsWindowVisible(window) && IsMainWindow(window)) {
          *reinterpret_cast<HWND*>(param) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindWindowByCaption(const wchar_t* caption) {
  struct Search {
    const wchar_t* caption;
    HWND found;
  } search = {caption, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Search* s = reinterpret_cast<Search*>(param);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (IsWindowVisible(window) && wcsncmp(text, s->caption, wcslen(s->caption)) == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A block of memory in the window's process, for the messages whose
// arguments point to memory.
struct Remote {
  HANDLE process = nullptr;
  char* base = nullptr;
  explicit Remote(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process != nullptr) {
      base = static_cast<char*>(
          VirtualAllocEx(process, nullptr, 65536, MEM_COMMIT, PAGE_READWRITE));
    }
  }
  ~Remote() {
    if (base != nullptr) VirtualFreeEx(process, base, 0, MEM_RELEASE);
    if (process != nullptr) CloseHandle(process);
  }
  void Write(size_t offset, const void* data, size_t size) {
    WriteProcessMemory(process, base + offset, data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) {
    ReadProcessMemory(process, base + offset, data, size, nullptr);
  }
};

const size_t kTextOffset = 4096;

std::wstring ItemText(HWND list, Remote& remote, int row, int column) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.cchTextMax = 256;
  item.pszText = reinterpret_cast<wchar_t*>(remote.base + kTextOffset);
  remote.Write(0, &item, sizeof item);
  wchar_t empty[256] = {};
  remote.Write(kTextOffset, empty, sizeof empty);
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.base));
  wchar_t text[256] = {};
  remote.Read(kTextOffset, text, sizeof text);
  text[255] = 0;
  return text;
}

std::wstring StatusText(HWND status, Remote& remote, int part) {
  wchar_t empty[512] = {};
  remote.Write(kTextOffset, empty, sizeof empty);
  SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote.base + kTextOffset));
  wchar_t text[512] = {};
  remote.Read(kTextOffset, text, sizeof text);
  text[511] = 0;
  return text;
}

std::wstring Number(long long n) { return std::to_wstring(n); }

int List(HWND window) {
  HWND list = GetDlgItem(window, 1000);
  HWND status = GetDlgItem(window, 1001);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  Remote remote(window);
  if (remote.base == nullptr) return 3;
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  std::wstring out =
      Number(count) + L"|" + Number(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)) + L"|" +
      Number(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)) + L"|" +
      Number(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) + L"|" +
      Number(static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED))) + L"\n";
  out += StatusText(status, remote, 0) + L"|" + StatusText(status, remote, 1) + L"\n";
  for (int i = 0; i < columns; i++) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_TEXT;
    item.cchTextMax = 256;
    item.pszText = reinterpret_cast<wchar_t*>(remote.base + kTextOffset);
    remote.Write(0, &item, sizeof item);
    SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(remote.base));
    remote.Read(0, &item, sizeof item);
    wchar_t text[256] = {};
    remote.Read(kTextOffset, text, sizeof text);
    text[255] = 0;
    out += std::wstring(i ? L"|" : L"") + text +
           (item.fmt & HDF_SORTUP ? L"^" : item.fmt & HDF_SORTDOWN ? L"v" : L"");
  }
  out += L"\n";
  for (int row = 0; row < count; row++) {
    UINT state = static_cast<UINT>(
        SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK | LVIS_SELECTED |
                                                      LVIS_FOCUSED));
    out += Number(row) + L"|" + Number(((state & LVIS_STATEIMAGEMASK) >> 12) == 2) + L"|" +
           Number((state & LVIS_SELECTED) != 0) + L"|" + Number((state & LVIS_FOCUSED) != 0);
    for (int column = 0; column < columns; column++) {
      out += L"|" + ItemText(list, remote, row, column);
    }
    out += L"\n";
  }
  PrintUtf8(out);
  return 0;
}

int Point(HWND window, int row, int column) {
  HWND list = GetDlgItem(window, 1000);
  Remote remote(window);
  RECT r = {};
  r.top = column < 0 ? 0 : column;
  r.left = column < 0 ? LVIR_BOUNDS : LVIR_LABEL;
  remote.Write(0, &r, sizeof r);
  BOOL ok = static_cast<BOOL>(SendMessageW(list, column < 0 ? LVM_GETITEMRECT : LVM_GETSUBITEMRECT,
                                           row, reinterpret_cast<LPARAM>(remote.base)));
  if (!ok) return 1;
  remote.Read(0, &r, sizeof r);
  POINT p = {column < 0 ? r.left + 8 : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list, &p);
  printf("%ld %ld\n", p.x, p.y);
  return 0;
}

int HeaderPoint(HWND window, int column, bool edge) {
  HWND list = GetDlgItem(window, 1000);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  Remote remote(window);
  if (!SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(remote.base))) {
    return 1;
  }
  RECT r;
  remote.Read(0, &r, sizeof r);
  POINT p = {edge ? r.right - 1 : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(header, &p);
  printf("%ld %ld\n", p.x, p.y);
  return 0;
}

void PrintRect(const wchar_t* name, const RECT& r) {
  wprintf(L"%ls %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

int Rects(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  PrintRect(L"window", r);
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  PrintRect(L"client", r);
  GetWindowRect(GetDlgItem(window, 1000), &r);
  PrintRect(L"list", r);
  GetWindowRect(GetDlgItem(window, 1001), &r);
  PrintRect(L"status", r);
  GetWindowRect(GetDlgItem(window, 1010), &r);
  PrintRect(L"clear", r);
  GetWindowRect(GetDlgItem(window, 1011), &r);
  PrintRect(L"remove", r);
  return 0;
}

void PrintMenu(HMENU menu, int depth) {
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; i++) {
    wchar_t text[256] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
    std::wstring line = std::wstring(depth * 2, L' ');
    if (info.fType & MFT_SEPARATOR) {
      line += L"-";
    } else {
      line += Number(info.hSubMenu ? 0 : info.wID) + L"|" + Number(info.fState) + L"|" + text;
    }
    PrintUtf8(line + L"\n");
    if (info.hSubMenu != nullptr) PrintMenu(info.hSubMenu, depth + 1);
  }
}

double Milliseconds(const LARGE_INTEGER& from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * (now.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// Timed in one process, so that no program's start-up enters the times.
int DeviceChange(HWND window, WPARAM event, const wchar_t* guidText, DWORD type, int row,
                 const std::vector<DWORD>& gaps) {
  DEV_BROADCAST_DEVICEINTERFACE_W record = {};
  record.dbcc_size = sizeof record;
  record.dbcc_devicetype = type;
  CLSIDFromString(guidText, &record.dbcc_classguid);
  LARGE_INTEGER first;
  QueryPerformanceCounter(&first);
  // Wine carries this message's record across processes itself, from the
  // sender's memory.
  SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&record));
  if (row < 0) return 0;
  std::string times;
  for (DWORD gap : gaps) {
    Sleep(gap);
    times += std::to_string(static_cast<long>(Milliseconds(first))) + " ";
    SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&record));
  }
  // The window's thread answers a question sent to it before it handles a
  // timer's expiry, and one sent while the refresh runs only after it: the
  // first question answered with text was asked after the refresh began,
  // about one pause later at most.
  HWND list = GetDlgItem(window, 1000);
  Remote remote(window);
  double refreshed = -1, limit = Milliseconds(first) + 10000;
  while (refreshed < 0) {
    double asked = Milliseconds(first);
    if (asked > limit) break;
    if (!ItemText(list, remote, row, 2).empty()) refreshed = asked;
    Sleep(5);
  }
  printf("%s%ld\n", times.c_str(), static_cast<long>(refreshed));
  return 0;
}

WORD KeyCode(const std::wstring& name) {
  static const struct {
    const wchar_t* name;
    WORD code;
  } keys[] = {{L"alt", VK_MENU},     {L"ctrl", VK_CONTROL},  {L"shift", VK_SHIFT}, {L"F2", VK_F2},
              {L"F4", VK_F4},        {L"F5", VK_F5},         {L"End", VK_END},
              {L"Home", VK_HOME},    {L"Page_Down", VK_NEXT}, {L"Page_Up", VK_PRIOR},
              {L"Down", VK_DOWN},    {L"Up", VK_UP},         {L"space", VK_SPACE},
              {L"Return", VK_RETURN}, {L"Delete", VK_DELETE}, {L"Escape", VK_ESCAPE},
              {L"Apps", VK_APPS},    {L"Tab", VK_TAB}};
  for (const auto& key : keys) {
    if (name == key.name) return key.code;
  }
  if (name.size() == 1) return static_cast<WORD>(towupper(name[0]));
  return 0;
}

void SendKey(WORD code, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
  Sleep(30);
}

int Keys(HWND window, int count, wchar_t** specs) {
  if (window != nullptr) {
    SetForegroundWindow(window);
    Sleep(100);
  }
  for (int i = 0; i < count; i++) {
    std::vector<WORD> codes;
    std::wstring spec = specs[i];
    size_t start = 0;
    for (;;) {
      size_t plus = spec.find(L'+', start);
      WORD code = KeyCode(spec.substr(start, plus == std::wstring::npos ? plus : plus - start));
      if (code == 0) return 2;
      codes.push_back(code);
      if (plus == std::wstring::npos) break;
      start = plus + 1;
    }
    for (WORD code : codes) SendKey(code, false);
    for (size_t k = codes.size(); k-- > 0;) SendKey(codes[k], true);
  }
  return 0;
}

// Each character as the input a layout gives for it (VK_PACKET).
int Text(HWND window, const wchar_t* text) {
  SetForegroundWindow(window);
  Sleep(100);
  for (const wchar_t* c = text; *c != 0; c++) {
    for (bool up : {false, true}) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = *c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      SendInput(1, &input, sizeof input);
    }
    Sleep(10);
  }
  return 0;
}

int Columns(HWND window) {
  HWND list = GetDlgItem(window, 1000);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < columns; i++) {
    printf("%s%d", i ? " " : "", static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0)));
  }
  printf("\n");
  return 0;
}

int Placement(HWND window) {
  WINDOWPLACEMENT p = {};
  p.length = sizeof p;
  if (!GetWindowPlacement(window, &p)) return 1;
  const RECT& r = p.rcNormalPosition;
  printf("%u %ld %ld %ld %ld %d\n", p.showCmd, r.left, r.top, r.right, r.bottom,
         (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
  return 0;
}

int CommandBench(HWND window, int id) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  SendMessageW(window, WM_COMMAND, id, 0);
  QueryPerformanceCounter(&end);
  printf("%.1f ms\n", 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
  return 0;
}

int RefreshBench(HWND window, int times) {
  std::vector<double> ms;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < times; i++) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    SendMessageW(window, WM_COMMAND, 40003, 0);
    QueryPerformanceCounter(&end);
    ms.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
  if (ms.empty()) return 2;
  std::sort(ms.begin(), ms.end());
  printf("fastest %.1f ms, median %.1f ms\n", ms.front(), ms[ms.size() / 2]);
  return 0;
}

}  // namespace

int WindowCommand(int argc, wchar_t** argv) {
  std::wstring verb = argv[1];
  if (verb == L"window" && argc == 3) {
    DWORD limit = wcstoul(argv[2], nullptr, 10);
    DWORD start = GetTickCount();
    HWND window;
    while ((window = FindMainWindow()) == nullptr) {
      if (GetTickCount() - start > limit) return 1;
      Sleep(20);
    }
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    PrintUtf8(std::wstring(caption) + L"|" +
              Number(IsWindowEnabled(GetDlgItem(window, 1010)) != 0) + L"|" +
              Number(IsWindowEnabled(GetDlgItem(window, 1011)) != 0) + L"|" + Number(pid) +
              L"\n");
    return 0;
  }
  if (verb == L"type" && argc >= 3) return Keys(nullptr, argc - 2, argv + 2);
  if (verb == L"keysto" && argc >= 4) {
    HWND target = FindWindowByCaption(argv[2]);
    return target == nullptr ? 1 : Keys(target, argc - 3, argv + 3);
  }
  if (verb == L"textto" && argc == 4) {
    HWND target = FindWindowByCaption(argv[2]);
    return target == nullptr ? 1 : Text(target, argv[3]);
  }
  static const wchar_t* const verbs[] = {L"list",     L"point", L"hpoint",      L"rects", L"hedge",
                                         L"menu",     L"devchange", L"post",    L"keys",
                                         L"refreshbench", L"columns", L"placement",
                                         L"commandbench"};
  bool known = false;
  for (const wchar_t* v : verbs) known = known || verb == v;
  if (!known) return -1;
  HWND window = FindMainWindow();
  if (window == nullptr) return 1;
  if (verb == L"list") return List(window);
  if (verb == L"point" && argc == 4) {
    return Point(window, _wtoi(argv[2]), _wtoi(argv[3]));
  }
  if (verb == L"hpoint" && argc == 3) return HeaderPoint(window, _wtoi(argv[2]), false);
  if (verb == L"hedge" && argc == 3) return HeaderPoint(window, _wtoi(argv[2]), true);
  if (verb == L"rects") return Rects(window);
  if (verb == L"columns") return Columns(window);
  if (verb == L"placement") return Placement(window);
  if (verb == L"menu") {
    PrintMenu(GetMenu(window), 0);
    return 0;
  }
  if (verb == L"devchange" && argc >= 4) {
    std::vector<DWORD> gaps;
    for (int i = 6; i < argc; i++) gaps.push_back(wcstoul(argv[i], nullptr, 10));
    return DeviceChange(window, wcstoul(argv[2], nullptr, 16), argv[3],
                        argc > 4 ? wcstoul(argv[4], nullptr, 10) : DBT_DEVTYP_DEVICEINTERFACE,
                        argc > 5 ? _wtoi(argv[5]) : -1, gaps);
  }
  if (verb == L"refreshbench" && argc == 3) return RefreshBench(window, _wtoi(argv[2]));
  if (verb == L"commandbench" && argc == 3) return CommandBench(window, _wtoi(argv[2]));
  if (verb == L"keys" && argc >= 3) return Keys(window, argc - 2, argv + 2);
  if (verb == L"post" && argc == 4) {
    PostMessageW(window, wcstoul(argv[2], nullptr, 16), wcstoul(argv[3], nullptr, 16), 0);
    return 0;
  }
  return -1;
}
