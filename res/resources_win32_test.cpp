// The resources of varnick.exe as the system loads them: the menu bar, the
// accelerators, the dialogs' layout and the controls the program looks up,
// the icon sizes, the menu bitmaps, the version and the manifest; the
// version read as the program reads it.
#include <windows.h>
#include <commctrl.h>
#include <wchar.h>
#include <wctype.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/probes.h"
#include "res/resource.h"
#include "res/version.h"

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text = path;
  return text.substr(0, text.find_last_of(L'\\') + 1) + name;
}

class Resources : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(BesideThisProgram(L"varnick.exe").c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module_) << "cannot load varnick.exe beside the tests";
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

// "id|text" per item, "-" for a separator, a popup as its text then its items.
void Describe(HMENU menu, std::vector<std::wstring>* out) {
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = 127;
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
    if (info.fType & MFT_SEPARATOR) {
      out->push_back(L"-");
      continue;
    }
    // Every item starts enabled and unchecked; start-up sets the states.
    EXPECT_EQ(0u, info.fState & (MFS_GRAYED | MFS_CHECKED)) << text;
    if (info.hSubMenu != nullptr) {
      out->push_back(text);
      Describe(info.hSubMenu, out);
    } else {
      out->push_back(std::to_wstring(info.wID) + L"|" + text);
    }
  }
}

TEST_F(Resources, TheMenuBarHasEveryItem) {
  HMENU menu = LoadMenuW(module_, L"IDR_MENU");
  ASSERT_NE(nullptr, menu);
  std::vector<std::wstring> items;
  Describe(menu, &items);
  EXPECT_EQ((std::vector<std::wstring>{
                L"&File", L"40100|&Refresh\tF5", L"-", L"40101|Restart 'As &Administrator'", L"-",
                L"40102|&Create System Restore Point", L"-", L"40103|&Show Windows Device Manager",
                L"-", L"40105|&Export Number Plan...", L"40106|A&pply Number Plan...", L"-",
                L"40107|&Undo Last Change\tCtrl+Z", L"-", L"40104|E&xit\tAlt-F4", L"&Options",
                L"40202|Show Device &ID",
                L"40203|Show &Location", L"-",
                L"40210|Windows &Theme", L"-", L"40211|&Always On Top", L"&Help",
                L"40300|&About"}),
            items);
  DestroyMenu(menu);
}

// Alt and a letter choose one item of an open menu: no two items of one
// menu, nor two menus of the bar, share their letter.
void CheckMnemonics(HMENU menu, const std::wstring& name) {
  std::wstring letters;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = 127;
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
    if (info.fType & MFT_SEPARATOR) continue;
    const wchar_t* amp = wcschr(text, L'&');
    EXPECT_TRUE(amp != nullptr && amp[1] != 0) << "no mnemonic: " << text;
    if (amp == nullptr || amp[1] == 0) continue;
    wchar_t letter = static_cast<wchar_t>(towupper(amp[1]));
    EXPECT_EQ(std::wstring::npos, letters.find(letter)) << name << ": " << text;
    letters += letter;
    if (info.hSubMenu != nullptr) CheckMnemonics(info.hSubMenu, text);
  }
}

TEST_F(Resources, NoTwoItemsOfAMenuShareAMnemonic) {
  HMENU menu = LoadMenuW(module_, L"IDR_MENU");
  ASSERT_NE(nullptr, menu);
  CheckMnemonics(menu, L"the menu bar");
  DestroyMenu(menu);
}

TEST_F(Resources, TheAcceleratorsRaiseTheirCommands) {
  HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDA_MAIN));
  ASSERT_NE(nullptr, table);
  ACCEL entries[16];
  int n = CopyAcceleratorTableW(table, entries, 16);
  std::vector<std::wstring> found;
  for (int i = 0; i < n; i++) {
    found.push_back(std::to_wstring(entries[i].fVirt & ~0x80) + L"|" +
                    std::to_wstring(entries[i].key) + L"|" + std::to_wstring(entries[i].cmd));
  }
  // FVIRTKEY 1, FNOINVERT 2, FCONTROL 8.
  EXPECT_EQ((std::vector<std::wstring>{L"11|65|40002", L"11|67|40006", L"3|46|40001",
                                       L"3|116|40003", L"3|32|40004", L"3|13|40005",
                                       L"3|113|40007", L"11|90|40008"}),
            found);
  DestroyAcceleratorTable(table);
}

TEST_F(Resources, TheIconHasEverySizeAndTheBitmapsTheirs) {
  HRSRC group = FindResourceW(module_, MAKEINTRESOURCEW(IDI_VARNICK), RT_GROUP_ICON);
  ASSERT_NE(nullptr, group);
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, group)));
  ASSERT_NE(nullptr, data);
  int count = data[4] | data[5] << 8;
  std::vector<int> sizes;
  for (int i = 0; i < count; i++) sizes.push_back(data[6 + 14 * i]);  // 14-byte entries
  EXPECT_EQ((std::vector<int>{16, 18, 20, 24, 32, 40, 48}), sizes);

  for (int id : {IDB_MENU_BITMAP_13, IDB_MENU_BITMAP_16}) {
    HBITMAP bitmap = LoadBitmapW(module_, MAKEINTRESOURCEW(id));
    ASSERT_NE(nullptr, bitmap) << id;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    int edge = id == IDB_MENU_BITMAP_13 ? 13 : 16;
    EXPECT_EQ(edge, info.bmWidth);
    EXPECT_EQ(edge, info.bmHeight);
    EXPECT_EQ(1, info.bmBitsPixel);
    DeleteObject(bitmap);
  }
}

// A dialog template (DLGTEMPLATEEX) read field by field.
struct TemplateReader {
  const BYTE* at;
  WORD Word() {
    WORD w = static_cast<WORD>(at[0] | at[1] << 8);
    at += 2;
    return w;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  // A text, or "#n" for an ordinal.
  std::wstring TextOrOrdinal() {
    if (at[0] == 0xFF && at[1] == 0xFF) {
      at += 2;
      return L"#" + std::to_wstring(Word());
    }
    std::wstring text;
    for (WORD c; (c = Word()) != 0;) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignToDword(const BYTE* start) {
    while ((at - start) % 4 != 0) at++;
  }
};

struct Control {
  int id;
  std::wstring windowClass;  // upper case
  DWORD style;
  RECT rect;  // dialog units
};

struct Dialog {
  int width, height;  // dialog units
  std::vector<Control> controls;
};

Dialog ReadDialog(HMODULE module, int id) {
  Dialog dialog = {};
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
  if (found == nullptr) return dialog;
  const BYTE* start = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  TemplateReader r = {start};
  EXPECT_EQ(1, r.Word());       // dlgVer
  EXPECT_EQ(0xFFFF, r.Word());  // signature: DLGTEMPLATEEX
  r.Dword();                    // helpID
  r.Dword();                    // exStyle
  r.Dword();                    // style
  int items = r.Word();
  r.Dword();  // x, y
  dialog.width = r.Word();
  dialog.height = r.Word();
  r.TextOrOrdinal();  // menu
  r.TextOrOrdinal();  // class
  r.TextOrOrdinal();  // caption
  r.Dword();          // points, weight
  r.at += 2;          // italic, charset
  r.TextOrOrdinal();  // font
  for (int i = 0; i < items; i++) {
    r.AlignToDword(start);
    Control c = {};
    r.Dword();  // helpID
    r.Dword();  // exStyle
    c.style = r.Dword();
    c.rect.left = static_cast<SHORT>(r.Word());
    c.rect.top = static_cast<SHORT>(r.Word());
    c.rect.right = c.rect.left + r.Word();
    c.rect.bottom = c.rect.top + r.Word();
    c.id = static_cast<int>(r.Dword());
    // Class names are matched without case; the system's own classes may
    // stand as ordinals.
    c.windowClass = r.TextOrOrdinal();
    if (c.windowClass == L"#128") c.windowClass = L"BUTTON";
    if (c.windowClass == L"#130") c.windowClass = L"STATIC";
    CharUpperW(&c.windowClass[0]);
    r.TextOrOrdinal();  // text
    r.at += r.Word();   // creation data
    dialog.controls.push_back(c);
  }
  return dialog;
}

// The program opens its dialogs by number: one named by text goes unchecked.
BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
  if (!IS_INTRESOURCE(name)) ADD_FAILURE() << "a dialog named by text";
  reinterpret_cast<std::vector<int>*>(list)->push_back(
      static_cast<int>(reinterpret_cast<uintptr_t>(name)));
  return TRUE;
}

// The dialogs as they are seen: the main window lays out its list and status
// bar itself whenever it is sized (the window tests hold that layout), the
// status bar along the bottom and the list from the top it has here down to
// it, across the whole width. A line one unit high runs past the right edge
// on purpose: the window cuts it off there, so it spans the window at any
// width.
struct Seen {
  int id;
  RECT rect;
};

std::vector<Seen> SeenRects(const Dialog& dialog, int dialogId) {
  std::vector<Seen> seen;
  for (const Control& c : dialog.controls) {
    RECT r = c.rect;
    if (dialogId == IDD_MAIN && c.id == IDC_STATUS_BAR) continue;
    if (dialogId == IDD_MAIN && c.id == IDC_PORT_LIST) r = {0, r.top, dialog.width, dialog.height};
    if (r.bottom - r.top <= 1 && r.right > dialog.width) r.right = dialog.width;
    seen.push_back({c.id, r});
  }
  return seen;
}

TEST_F(Resources, EveryControlLiesInsideItsDialogAndOverlapsNoOther) {
  std::vector<int> dialogs;
  EnumResourceNamesW(module_, RT_DIALOG, CollectName, reinterpret_cast<LONG_PTR>(&dialogs));
  ASSERT_FALSE(dialogs.empty());
  for (int id : dialogs) {
    Dialog dialog = ReadDialog(module_, id);
    std::vector<Seen> seen = SeenRects(dialog, id);
    ASSERT_FALSE(seen.empty()) << "dialog " << id;
    for (size_t i = 0; i < seen.size(); i++) {
      const RECT& a = seen[i].rect;
      SCOPED_TRACE(testing::Message() << "dialog " << id << ", control " << seen[i].id << " at "
                                      << a.left << "," << a.top << "," << a.right << ","
                                      << a.bottom);
      EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= dialog.width &&
                  a.bottom <= dialog.height)
          << "outside " << dialog.width << " x " << dialog.height;
      for (size_t j = i + 1; j < seen.size(); j++) {
        const RECT& b = seen[j].rect;
        EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
            << "overlaps control " << seen[j].id;
      }
    }
  }
}

// The program finds these controls by their ids and sends them the messages
// of their class.
TEST_F(Resources, TheControlsTheProgramLooksUpAreThere) {
  const struct {
    int dialog, id;
    const wchar_t* windowClass;
  } expected[] = {
      {IDD_MAIN, IDC_CLEAR_BUTTON, L"BUTTON"},
      {IDD_MAIN, IDC_REMOVE_BUTTON, L"BUTTON"},
      {IDD_MAIN, IDC_PORT_LIST, L"SYSLISTVIEW32"},
      {IDD_MAIN, IDC_STATUS_BAR, L"MSCTLS_STATUSBAR32"},
      {IDD_ABOUT, IDC_ABOUT_ICON, L"STATIC"},
      {IDD_ABOUT, IDC_ABOUT_TITLE, L"STATIC"},
      {IDD_ABOUT, IDC_ABOUT_VERSION, L"STATIC"},
      {IDD_ABOUT, IDC_ABOUT_LINK, L"STATIC"},
      {IDD_ABOUT, IDOK, L"BUTTON"},
      {IDD_CHANGE_PORT, IDC_MOVE_DEVICE, L"STATIC"},
      {IDD_CHANGE_PORT, IDC_MOVE_ID, L"STATIC"},
      {IDD_CHANGE_PORT, IDC_MOVE_TARGETS, L"LISTBOX"},
      {IDD_CHANGE_PORT, IDOK, L"BUTTON"},
      {IDD_CHANGE_PORT, IDCANCEL, L"BUTTON"},
      {IDD_PLAN_PREVIEW, IDC_PLAN_FILE, L"STATIC"},
      {IDD_PLAN_PREVIEW, IDC_PLAN_NOTE, L"STATIC"},
      {IDD_PLAN_PREVIEW, IDC_PLAN_LINES, L"LISTBOX"},
      {IDD_PLAN_PREVIEW, IDOK, L"BUTTON"},
      {IDD_PLAN_PREVIEW, IDCANCEL, L"BUTTON"},
  };
  for (const auto& e : expected) {
    Dialog dialog = ReadDialog(module_, e.dialog);
    int found = 0;
    for (const Control& c : dialog.controls) {
      if (c.id != e.id) continue;
      found++;
      EXPECT_EQ(std::wstring(e.windowClass), c.windowClass) << e.dialog << " " << e.id;
      // The link has no SS_NOTIFY, so that the box sees the mouse over it.
      if (e.id == IDC_ABOUT_LINK) {
        EXPECT_EQ(0u, c.style & SS_NOTIFY);
      }
    }
    EXPECT_EQ(1, found) << "dialog " << e.dialog << ", control " << e.id;
  }
}

// What a file's properties show: the fixed version and the texts of its
// first language.
TEST_F(Resources, TheVersionResourceCarriesTheVersionOfVersionH) {
  std::wstring program = BesideThisProgram(L"varnick.exe");
  DWORD size = GetFileVersionInfoSizeW(program.c_str(), nullptr);
  ASSERT_NE(0u, size);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD ms = VARNICK_VERSION_MAJOR << 16 | VARNICK_VERSION_MINOR;
  const DWORD ls = VARNICK_VERSION_BUILD << 16 | VARNICK_VERSION_REVISION;
  EXPECT_EQ(ms, fixed->dwFileVersionMS);
  EXPECT_EQ(ls, fixed->dwFileVersionLS);
  EXPECT_EQ(ms, fixed->dwProductVersionMS);
  EXPECT_EQ(ls, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
    wchar_t path[64];
    wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &length))
        << name;
    EXPECT_EQ(std::wstring(L"" VARNICK_VERSION_TEXT), text) << name;
  }
}

TEST_F(Resources, TheManifestAsksForTheCommonControlsAndNothingElse) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(nullptr, found);
  const char* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
  std::string manifest(data, SizeofResource(module_, found));
  EXPECT_NE(std::string::npos,
            manifest.find("name=\"Varnick\" version=\"" VARNICK_VERSION_TEXT "\""));
  EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                         "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                         "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
    EXPECT_NE(std::string::npos, manifest.find(os)) << os;
  }
  EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
  EXPECT_EQ(std::string::npos, manifest.find("dpiAware"));
  EXPECT_EQ(std::string::npos, manifest.find("requireAdministrator"));
}

// The program reads its version as the system gives it.
std::u16string BesideThisProgram(const char16_t* name) {
  std::wstring path = BesideThisProgram(reinterpret_cast<const wchar_t*>(name));
  return reinterpret_cast<const char16_t*>(path.c_str());
}

TEST(ReadProgramVersion, ReadsTheVersionResourceOfVarnick) {
  ProgramVersion v = {};
  ASSERT_EQ(1, ReadProgramVersion(BesideThisProgram(u"varnick.exe").c_str(), &v));
  EXPECT_EQ(std::u16string(u"" VARNICK_VERSION_TEXT), v.fullText);
  EXPECT_EQ(static_cast<uint32_t>(VARNICK_VERSION_MAJOR << 16 | VARNICK_VERSION_MINOR),
            v.versionMS);
}

TEST(ReadProgramVersion, FileWithoutVersionResourceGivesAnEmptyRecord) {
  ProgramVersion v;
  DescribeProgramVersion(0x00010000, 0x00050000, &v);
  EXPECT_EQ(0, ReadProgramVersion(BesideThisProgram(u"unit_tests.exe").c_str(), &v));
  EXPECT_EQ(std::u16string(u""), v.fullText);
  EXPECT_EQ(0, v.major + v.minor + v.build + v.revision);
  EXPECT_EQ(0, ReadProgramVersion(u"C:\\no such folder\\x.exe", &v));
}

}  // namespace
