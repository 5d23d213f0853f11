// The test tree's helper inside the Wine prefix: seeds and reads registry
// values, and deals with message boxes the way a user would.
//
//   vtool regset KEYPATH NAME TYPE HEX   set a value under HKLM (TYPE: decimal)
//   vtool regget KEYPATH NAME            print "TYPE HEX", or "missing"
//   vtool regdel KEYPATH                 delete a key under HKLM with its subkeys
//   vtool devadd CLASS NAME PORTNAME [FRIENDLY] [COUNT]
//                                        create COUNT (default 1) root devices
//                                        ROOT\VARNICKNAME\000N of class
//                                        ports|modem|mouse with that PortName
//                                        ("-" for none, "+" for COM1, COM2, ...,
//                                        "+N" for COMN, COMN+1, ...; "@COMN":
//                                        none, and AttachedTo=COMN in the
//                                        driver key, as a modem on a port has)
//   vtool attachedto NAME                print AttachedTo of the driver key of
//                                        ROOT\VARNICKNAME\0000, or "missing"
//   vtool devlocation NAME PATH          give ROOT\VARNICKNAME\0000 the location
//                                        path PATH (Wine computes none)
//   vtool keptfolder                     make C:\ProgramData\Varnick as the
//                                        program makes it (owned by the
//                                        Administrators, SYSTEM and they alone
//                                        admitted), where it is missing
//   vtool devclear                       remove every device devadd created
//   vtool devlist                        print the instance IDs of those devices
//   vtool msgbox MILLISECONDS [BUTTON]   wait for a message box, print
//                                        "caption|text|icon", press BUTTON
//                                        (an id, default 1 = OK)
//   vtool station MILLISECONDS PROGRAM [ARG...]
//                                        run PROGRAM on a window station of
//                                        its own, which nobody sees, with
//                                        vtool's standard output and error;
//                                        its exit code, or 255 when it had
//                                        to be ended after MILLISECONDS
//   vtool exec MILLISECONDS COMMANDLINE  run COMMANDLINE exactly as given
//                                        (Wine's loader would build one of its
//                                        own from the words) with vtool's
//                                        standard output and error; its exit code, or
//                                        255 when it had to be ended
//   vtool boxontop MILLISECONDS          wait for a message box and leave it
//                                        up; print 1 when it stays above the
//                                        main window (topmost, or owned by
//                                        it), else 0
//   vtool comdbclaim PORT MILLISECONDS   wait until another program has the
//                                        COM port database open and is held
//                                        there by the test's msports.dll
//                                        (msports-pause.txt), claim PORT
//                                        through the routines, then let it
//                                        go on; 1 when nobody was held within
//                                        MILLISECONDS
//   and the commands on Varnick's main window in vtool_window.cpp, on the
//   clipboard and the other windows in vtool_actions.cpp.
// Exit code 0 on success, 1 when nothing was found in time, 2 on bad usage.
#include <windows.h>

#include <sddl.h>
#include <ddk/msports.h>
#include <devguid.h>
#include <setupapi.h>
#include <stdio.h>
#include <wchar.h>

#include "tests/tools/vtool.h"

#include <string>
#include <vector>

static int Usage() {
  fwprintf(stderr, L"usage: vtool regset|regget|regdel|msgbox ...\n");
  return 2;
}

void PrintUtf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
  fputs(bytes.c_str(), stdout);
}

static int RegSet(const wchar_t* path, const wchar_t* name, const wchar_t* type,
                  const wchar_t* hex) {
  std::vector<BYTE> bytes;
  for (size_t i = 0; hex[i] != 0 && hex[i + 1] != 0; i += 2) {
    wchar_t pair[3] = {hex[i], hex[i + 1], 0};
    bytes.push_back(static_cast<BYTE>(wcstoul(pair, nullptr, 16)));
  }
  HKEY key;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExW(key, name, 0, wcstoul(type, nullptr, 10), bytes.data(),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) fwprintf(stderr, L"regset: error %ld\n", status);
  return status == ERROR_SUCCESS ? 0 : 1;
}

static int RegGet(const wchar_t* path, const wchar_t* name) {
  HKEY key;
  DWORD type = 0, size = 0;
  std::vector<BYTE> bytes;
  LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key);
  if (status == ERROR_SUCCESS) {
    status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    bytes.resize(size + 1);
    if (status == ERROR_SUCCESS) status = RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size);
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) {
    printf("missing\n");
    return 0;
  }
  printf("%lu ", type);
  for (DWORD i = 0; i < size; i++) printf("%02x", bytes[i]);
  printf("\n");
  return 0;
}

static int RegDel(const wchar_t* path) {
  LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, path);
  if (status == ERROR_SUCCESS) RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
  return 0;
}

// Fixture devices ------------------------------------------------------------

static const wchar_t kFixturePrefix[] = L"ROOT\\VARNICK";

static const GUID* ClassGuid(const std::wstring& name) {
  if (name == L"ports") return &GUID_DEVCLASS_PORTS;
  if (name == L"modem") return &GUID_DEVCLASS_MODEM;
  if (name == L"mouse") return &GUID_DEVCLASS_MOUSE;
  return nullptr;
}

// Wine has the Ports class key but not the Modem one; without it a modem
// has no class name.
static void EnsureModemClassKey() {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                      L"System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}",
                      0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, L"Class", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Modem"), 12);
    RegCloseKey(key);
  }
}

static int DevAdd(const wchar_t* className, const wchar_t* name, const wchar_t* portName,
                  const wchar_t* friendly, int count) {
  const GUID* guid = ClassGuid(className);
  if (guid == nullptr) return Usage();
  if (*guid == GUID_DEVCLASS_MODEM) EnsureModemClassKey();
  HDEVINFO set = SetupDiCreateDeviceInfoList(guid, nullptr);
  if (set == INVALID_HANDLE_VALUE) return 1;
  std::wstring deviceName = std::wstring(L"VARNICK") + name;
  int made = 0;
  for (int i = 0; i < count; i++) {
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    if (!SetupDiCreateDeviceInfoW(set, deviceName.c_str(), guid, L"Varnick test device", nullptr,
                                  DICD_GENERATE_ID, &data) ||
        !SetupDiRegisterDeviceInfo(set, &data, 0, nullptr, nullptr, nullptr)) {
      fwprintf(stderr, L"devadd: error %lu\n", GetLastError());
      break;
    }
    if (friendly != nullptr && *friendly != 0) {
      SetupDiSetDeviceRegistryPropertyW(set, &data, SPDRP_FRIENDLYNAME,
                                        reinterpret_cast<const BYTE*>(friendly),
                                        static_cast<DWORD>((wcslen(friendly) + 1) * 2));
    }
    std::wstring port = portName;
    if (!port.empty() && port[0] == L'+') {
      int first = port.size() > 1 ? _wtoi(port.c_str() + 1) : 1;
      port = L"COM" + std::to_wstring(first + i);
    }
    if (!port.empty() && port[0] == L'@') {
      HKEY key = SetupDiCreateDevRegKeyW(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr);
      if (key == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"devadd: no driver key, error %lu\n", GetLastError());
        break;
      }
      RegSetValueExW(key, L"AttachedTo", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str() + 1),
                     static_cast<DWORD>(port.size() * 2));
      RegCloseKey(key);
    } else if (port != L"-") {
      HKEY key = SetupDiCreateDevRegKeyW(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
      if (key != INVALID_HANDLE_VALUE) {
        RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                       static_cast<DWORD>((port.size() + 1) * 2));
        RegCloseKey(key);
      }
    }
    made++;
  }
  SetupDiDestroyDeviceInfoList(set);
  return made == count ? 0 : 1;
}

// AttachedTo in a fixture device's driver key, read as Varnick reads it.
static int AttachedTo(const wchar_t* name) {
  std::wstring id = std::wstring(kFixturePrefix) + name + L"\\0000";
  HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  wchar_t value[64] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  LSTATUS status = ERROR_FILE_NOT_FOUND;
  if (SetupDiOpenDeviceInfoW(set, id.c_str(), nullptr, 0, &data)) {
    HKEY key = SetupDiOpenDevRegKey(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_QUERY_VALUE);
    if (key != INVALID_HANDLE_VALUE) {
      status = RegQueryValueExW(key, L"AttachedTo", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
      RegCloseKey(key);
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  PrintUtf8(status == ERROR_SUCCESS ? std::wstring(value) + L"\n" : L"missing\n");
  return 0;
}

// setupapi.dll has it; mingw-w64's header does not declare it.
extern "C" WINSETUPAPI WINBOOL WINAPI SetupDiSetDevicePropertyW(HDEVINFO, PSP_DEVINFO_DATA,
                                                               const DEVPROPKEY*, DEVPROPTYPE,
                                                               const BYTE*, DWORD, DWORD);

// A fixture device's location path, which a real bus driver would report:
// Wine keeps the property as it is set.
static int DevLocation(const wchar_t* name, const wchar_t* path) {
  static const DEVPROPKEY locationPaths = {
      {0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 37};
  std::wstring id = std::wstring(kFixturePrefix) + name + L"\\0000";
  std::wstring list = std::wstring(path) + L'\0';  // a list: each ended, then an empty one
  HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  BOOL done = SetupDiOpenDeviceInfoW(set, id.c_str(), nullptr, 0, &data) &&
              SetupDiSetDevicePropertyW(set, &data, &locationPaths, DEVPROP_TYPE_STRING_LIST,
                                        reinterpret_cast<const BYTE*>(list.c_str()),
                                        static_cast<DWORD>((list.size() + 1) * sizeof(wchar_t)), 0);
  if (!done) fwprintf(stderr, L"devlocation: error %lu\n", GetLastError());
  SetupDiDestroyDeviceInfoList(set);
  return done ? 0 : 1;
}

// Removes (or lists) every fixture device.
static int EachFixtureDevice(bool remove) {
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return 1;
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); i++) {
    wchar_t id[260] = {};
    if (SetupDiGetDeviceInstanceIdW(set, &data, id, 260, nullptr) &&
        _wcsnicmp(id, kFixturePrefix, wcslen(kFixturePrefix)) == 0) {
      if (remove) {
        SetupDiCallClassInstaller(DIF_REMOVE, set, &data);
      } else {
        PrintUtf8(std::wstring(id) + L"\n");
      }
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return 0;
}

// Message boxes -----------------------------------------------------------

struct Found {
  DWORD ownProcess;
  HWND box;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  Found* found = reinterpret_cast<Found*>(param);
  wchar_t className[64];
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != found->ownProcess && IsWindowVisible(window) &&
      GetClassNameW(window, className, 64) && wcscmp(className, L"#32770") == 0 &&
      !IsMainWindow(window)) {
    found->box = window;
    return FALSE;
  }
  return TRUE;
}

// The two statics of a message box: its icon and its text (id 0xFFFF on
// Windows; Wine numbers it differently, so it is found by its style).
struct Statics {
  HWND icon;
  HWND text;
};

static BOOL CALLBACK FindStatics(HWND child, LPARAM param) {
  Statics* statics = reinterpret_cast<Statics*>(param);
  wchar_t className[64];
  if (GetClassNameW(child, className, 64) && _wcsicmp(className, L"Static") == 0) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      statics->icon = child;
    } else if (statics->text == nullptr) {
      statics->text = child;
    }
  }
  return TRUE;
}

// The icon belongs to the other process, so its handle cannot be examined
// here: compare what the control shows on screen with each system icon drawn
// on the same background.
static const wchar_t* IconName(HWND iconControl) {
  if (iconControl == nullptr || !IsWindowVisible(iconControl)) return L"none";
  RECT r;
  GetWindowRect(iconControl, &r);
  int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
  HDC screen = GetDC(nullptr);
  HDC shot = CreateCompatibleDC(screen);
  HBITMAP shotBitmap = CreateCompatibleBitmap(screen, w, h);
  SelectObject(shot, shotBitmap);
  BitBlt(shot, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  COLORREF background = GetPixel(shot, 0, 0);
  struct {
    LPCWSTR id;
    const wchar_t* name;
  } icons[] = {{IDI_HAND, L"error"},
               {IDI_EXCLAMATION, L"warning"},
               {IDI_ASTERISK, L"information"},
               {IDI_QUESTION, L"question"}};
  const wchar_t* best = L"unknown";
  long bestDiff = -1;
  HDC drawn = CreateCompatibleDC(screen);
  HBITMAP drawnBitmap = CreateCompatibleBitmap(screen, w, h);
  SelectObject(drawn, drawnBitmap);
  HBRUSH brush = CreateSolidBrush(background);
  for (auto& icon : icons) {
    RECT all = {0, 0, w, h};
    FillRect(drawn, &all, brush);
    DrawIcon(drawn, 0, 0, LoadIconW(nullptr, icon.id));
    long diff = 0;
    for (int y = 0; y < h; y++) {
      for (int x = 0; x < w; x++) diff += GetPixel(drawn, x, y) != GetPixel(shot, x, y);
    }
    if (bestDiff < 0 || diff < bestDiff) {
      bestDiff = diff;
      best = icon.name;
    }
  }
  DeleteObject(brush);
  DeleteDC(drawn);
  DeleteObject(drawnBitmap);
  DeleteDC(shot);
  DeleteObject(shotBitmap);
  ReleaseDC(nullptr, screen);
  return bestDiff >= 0 && bestDiff < w * h / 8 ? best : L"unknown";
}

static std::wstring WindowText(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return text;
}

static HWND WaitForBox(DWORD milliseconds) {
  Found found = {GetCurrentProcessId(), nullptr};
  DWORD start = GetTickCount();
  while (found.box == nullptr) {
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&found));
    if (found.box != nullptr) break;
    if (GetTickCount() - start > milliseconds) return nullptr;
    Sleep(20);
  }
  return found.box;
}

// Runs the command line with vtool's standard output and error, on the desktop
// given (null: vtool's own); its exit code, or 255 when it had to be ended
// after that many milliseconds; 2 when it could not be started.
static int RunAndWait(std::wstring commandLine, const wchar_t* desktop, DWORD milliseconds) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.lpDesktop = const_cast<wchar_t*>(desktop);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  SetHandleInformation(startup.hStdOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(startup.hStdError, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 2;
  }
  DWORD code = 255;
  if (WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 255);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// As a service or a task run whether a user is signed in or not runs.
static int OnHiddenStation(DWORD milliseconds, int argc, wchar_t** argv) {
  HWINSTA own = GetProcessWindowStation();
  HWINSTA station = CreateWindowStationW(L"VarnickHidden", 0, WINSTA_ALL_ACCESS, nullptr);
  if (station == nullptr || !SetProcessWindowStation(station)) return 2;
  HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  SetProcessWindowStation(own);
  if (desktop == nullptr) return 2;
  std::wstring commandLine;
  for (int i = 0; i < argc; i++) commandLine += (i ? L" " : L"\"") + std::wstring(argv[i]) + (i ? L"" : L"\"");
  return RunAndWait(commandLine, L"VarnickHidden\\Default", milliseconds);
}

static int BoxOnTop(DWORD milliseconds) {
  HWND box = WaitForBox(milliseconds);
  if (box == nullptr) return 1;
  HWND owner = GetWindow(box, GW_OWNER);
  bool onTop = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ||
               (owner != nullptr && IsMainWindow(owner));
  printf("%d\n", onTop ? 1 : 0);
  return 0;
}

static int MessageBoxAction(DWORD milliseconds, int button) {
  Found found = {GetCurrentProcessId(), WaitForBox(milliseconds)};
  if (found.box == nullptr) return 1;
  Sleep(150);  // let it finish painting before the icon is compared
  Statics statics = {nullptr, GetDlgItem(found.box, 0xFFFF)};
  EnumChildWindows(found.box, FindStatics, reinterpret_cast<LPARAM>(&statics));
  PrintUtf8(WindowText(found.box) + L"|" + (statics.text ? WindowText(statics.text) : L"") +
            L"|" + IconName(statics.icon) + L"\n");
  fflush(stdout);
  if (button != 0) {
    HWND control = GetDlgItem(found.box, button);
    if (control != nullptr) {
      SendMessageW(control, BM_CLICK, 0, 0);
    } else {
      PostMessageW(found.box, WM_COMMAND, button, 0);
    }
  }
  return 0;
}

// The COM port database ------------------------------------------------------

// Claims a number through the system directory's msports.dll while the
// stand-in holds another program between its ComDBOpen and its first
// change.
static int ClaimWhileAnotherHasItOpen(DWORD port, DWORD milliseconds) {
  HANDLE paused = CreateEventW(nullptr, FALSE, FALSE, L"VarnickTestComDBPaused");
  HANDLE goOn = CreateEventW(nullptr, FALSE, FALSE, L"VarnickTestComDBGoOn");
  if (paused == nullptr || goOn == nullptr) return 2;
  if (WaitForSingleObject(paused, milliseconds) != WAIT_OBJECT_0) return 1;
  wchar_t path[MAX_PATH + 16] = {};
  GetSystemDirectoryW(path, MAX_PATH);
  lstrcatW(path, L"\\msports.dll");
  HMODULE library = LoadLibraryW(path);
  auto open = reinterpret_cast<decltype(&ComDBOpen)>(
      reinterpret_cast<void*>(GetProcAddress(library, "ComDBOpen")));
  auto claim = reinterpret_cast<decltype(&ComDBClaimPort)>(
      reinterpret_cast<void*>(GetProcAddress(library, "ComDBClaimPort")));
  auto close = reinterpret_cast<decltype(&ComDBClose)>(
      reinterpret_cast<void*>(GetProcAddress(library, "ComDBClose")));
  HCOMDB database;
  LONG status = ERROR_INVALID_FUNCTION;
  if (open != nullptr && claim != nullptr && close != nullptr && open(&database) == ERROR_SUCCESS) {
    BOOL forced = FALSE;
    status = claim(database, port, FALSE, &forced);
    close(database);
  }
  SetEvent(goOn);
  if (status != ERROR_SUCCESS) fwprintf(stderr, L"comdbclaim: %ld\n", status);
  return status == ERROR_SUCCESS ? 0 : 2;
}

// The program's folder under ProgramData, as the program makes it.
static int KeptFolder() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr)) {
    return 1;
  }
  SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
  BOOL made = CreateDirectoryW(L"C:\\ProgramData\\Varnick", &security);
  DWORD error = GetLastError();
  LocalFree(descriptor);
  return made || error == ERROR_ALREADY_EXISTS ? 0 : 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  std::wstring verb = argv[1];
  if (verb == L"regset" && argc == 6) return RegSet(argv[2], argv[3], argv[4], argv[5]);
  if (verb == L"regget" && argc == 4) return RegGet(argv[2], argv[3]);
  if (verb == L"regdel" && argc == 3) return RegDel(argv[2]);
  if (verb == L"devadd" && argc >= 5) {
    return DevAdd(argv[2], argv[3], argv[4], argc > 5 ? argv[5] : nullptr,
                  argc > 6 ? static_cast<int>(wcstol(argv[6], nullptr, 10)) : 1);
  }
  if (verb == L"devclear" && argc == 2) return EachFixtureDevice(true);
  if (verb == L"keptfolder" && argc == 2) return KeptFolder();
  if (verb == L"devlocation" && argc == 4) return DevLocation(argv[2], argv[3]);
  if (verb == L"attachedto" && argc == 3) return AttachedTo(argv[2]);
  if (verb == L"devlist" && argc == 2) return EachFixtureDevice(false);
  if (verb == L"msgbox" && argc >= 3) {
    return MessageBoxAction(wcstoul(argv[2], nullptr, 10),
                            argc > 3 ? static_cast<int>(wcstol(argv[3], nullptr, 10)) : IDOK);
  }
  if (verb == L"exec" && argc == 4) {
    return RunAndWait(argv[3], nullptr, wcstoul(argv[2], nullptr, 10));
  }
  if (verb == L"boxontop" && argc == 3) return BoxOnTop(wcstoul(argv[2], nullptr, 10));
  if (verb == L"station" && argc >= 4) {
    return OnHiddenStation(wcstoul(argv[2], nullptr, 10), argc - 3, argv + 3);
  }
  if (verb == L"comdbclaim" && argc == 4) {
    return ClaimWhileAnotherHasItOpen(wcstoul(argv[2], nullptr, 10), wcstoul(argv[3], nullptr, 10));
  }
  int result = ActionCommand(argc, argv);
  if (result < 0) result = WindowCommand(argc, argv);
  return result >= 0 ? result : Usage();
}
