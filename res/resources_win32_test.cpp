// The resources of varnick.exe as the system loads them: the menu bar, the
// accelerators, both dialogs, the icon sizes, the menu bitmaps, the
// version and the manifest; the version read as the program reads it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/probes.h"
#include "res/project.h"
#include "res/resource.h"
#include "res/version.h"

#define VARNICK_LINK_TEXT_W L"" VARNICK_LINK_TEXT

namespace {

class Resources : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program = path;
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"varnick.exe";
    module_ = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
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
                L"-", L"40104|E&xit\tAlt-F4", L"&Options", L"40202|Show Device &ID", L"-",
                L"40210|Windows &Theme", L"-", L"40211|&Always On Top", L"&Help",
                L"40300|&About"}),
            items);
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
                                       L"3|113|40007"}),
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

// The dialog as lines: its header, then one line per control, each
// "id|class|text|style|x,y,cx,cy".
std::vector<std::wstring> DescribeDialog(HMODULE module, int id) {
  std::vector<std::wstring> lines;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
  if (found == nullptr) return lines;
  const BYTE* start = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  TemplateReader r = {start};
  EXPECT_EQ(1, r.Word());       // dlgVer
  EXPECT_EQ(0xFFFF, r.Word());  // signature: DLGTEMPLATEEX
  r.Dword();                    // helpID
  r.Dword();                    // exStyle
  DWORD style = r.Dword();
  int items = r.Word();
  int x = static_cast<SHORT>(r.Word()), y = static_cast<SHORT>(r.Word());
  int cx = r.Word(), cy = r.Word();
  std::wstring menu = r.TextOrOrdinal();
  std::wstring windowClass = r.TextOrOrdinal();
  std::wstring caption = r.TextOrOrdinal();
  int points = r.Word();
  r.Word();  // weight
  r.at += 2;  // italic, charset
  std::wstring font = r.TextOrOrdinal();
  wchar_t header[256];
  wsprintfW(header, L"%08lx|%d,%d,%d,%d|%s|%s|%s|%d %s", style, x, y, cx, cy, menu.c_str(),
            windowClass.c_str(), caption.c_str(), points, font.c_str());
  lines.push_back(header);
  for (int i = 0; i < items; i++) {
    r.AlignToDword(start);
    r.Dword();  // helpID
    DWORD exStyle = r.Dword();
    DWORD itemStyle = r.Dword();
    int ix = static_cast<SHORT>(r.Word()), iy = static_cast<SHORT>(r.Word());
    int icx = r.Word(), icy = r.Word();
    int itemId = static_cast<int>(r.Dword());
    // Class names are matched without case; the system's own classes may
    // stand as ordinals.
    std::wstring itemClass = r.TextOrOrdinal();
    if (itemClass == L"#128") itemClass = L"BUTTON";
    if (itemClass == L"#130") itemClass = L"STATIC";
    CharUpperW(&itemClass[0]);
    std::wstring text = r.TextOrOrdinal();
    r.at += r.Word();  // creation data
    wchar_t line[512];
    wsprintfW(line, L"%d|%s|%s|%08lx|%lx|%d,%d,%d,%d", itemId, itemClass.c_str(), text.c_str(),
              itemStyle, exStyle, ix, iy, icx, icy);
    lines.push_back(line);
  }
  return lines;
}

std::wstring Hex(DWORD value) {
  wchar_t text[16];
  wsprintfW(text, L"%08lx", value);
  return text;
}

TEST_F(Resources, TheMainDialogIsAsDesigned) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  EXPECT_EQ((std::vector<std::wstring>{
                Hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                    WS_MAXIMIZEBOX | WS_CLIPCHILDREN | DS_SETFONT) +
                    L"|0,0,464,287|IDR_MENU||Varnick|9 MS Shell Dlg",
                L"-1|STATIC||" + Hex(child | SS_BLACKFRAME) + L"|20000|0,0,2000,1",
                L"1010|BUTTON|&Clear unused reservations|" +
                    Hex(child | BS_PUSHBUTTON | BS_VCENTER | WS_TABSTOP) + L"|0|5,4,114,17",
                L"1011|BUTTON|&Remove non-present devices|" +
                    Hex(child | BS_PUSHBUTTON | BS_VCENTER | WS_TABSTOP) + L"|0|130,4,114,17",
                L"1000|SYSLISTVIEW32|DevListView|" +
                    Hex(child | LVS_REPORT | LVS_SORTDESCENDING | LVS_NOLABELWRAP | WS_BORDER |
                        WS_TABSTOP) +
                    L"|0|2,25,460,249",
                L"1001|MSCTLS_STATUSBAR32||" + Hex(child | SBARS_SIZEGRIP) + L"|0|2,262,456,8"}),
            DescribeDialog(module_, IDD_MAIN));
}

TEST_F(Resources, TheAboutBoxIsAsDesigned) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  const std::wstring text = Hex(child | SS_LEFT | WS_GROUP);
  std::vector<std::wstring> lines = DescribeDialog(module_, IDD_ABOUT);
  ASSERT_EQ(7u, lines.size());
  EXPECT_EQ(Hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT) +
                L"|0,0,306,82|||About Varnick|9 MS Shell Dlg",
            lines[0]);
  EXPECT_EQ(L"1006|STATIC|#100|" + Hex(child | SS_ICON) + L"|0|15,15,21,20", lines[1]);
  EXPECT_EQ(L"1|BUTTON|OK|" + Hex(child | BS_DEFPUSHBUTTON | WS_TABSTOP) + L"|0|127,61,50,16",
            lines[2]);
  EXPECT_EQ(L"1003|STATIC|-|" + text + L"|0|49,9,150,8", lines[3]);
  // The notice line (its wording is the program's own), the version, then
  // the link, which has no SS_NOTIFY, so that the box sees the mouse over it.
  std::wstring notice = lines[4].substr(0, lines[4].find(L'|', 10));
  EXPECT_EQ(L"-1|STATIC|", notice.substr(0, 10));
  EXPECT_EQ(notice + L"|" + text + L"|0|49,21,192,8", lines[4]);
  EXPECT_EQ(L"1004|STATIC|Version x.y|" + text + L"|0|49,43,95,8", lines[5]);
  EXPECT_EQ(L"1005|STATIC|" VARNICK_LINK_TEXT_W L"|" + text + L"|0|49,32,192,8", lines[6]);
}

TEST_F(Resources, TheVersionIsOneZeroFiveZero) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_VERSION);
  ASSERT_NE(nullptr, found);
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
  DWORD size = SizeofResource(module_, found);
  // VS_FIXEDFILEINFO follows its signature.
  const VS_FIXEDFILEINFO* fixed = nullptr;
  for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4) {
    if (*reinterpret_cast<const DWORD*>(data + i) == 0xFEEF04BD) {
      fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + i);
      break;
    }
  }
  ASSERT_NE(nullptr, fixed);
  EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
  EXPECT_EQ(0x00050000u, fixed->dwFileVersionLS);
  EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
  EXPECT_EQ(0x00050000u, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
}

TEST_F(Resources, TheManifestAsksForTheCommonControlsAndNothingElse) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(nullptr, found);
  const char* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
  std::string manifest(data, SizeofResource(module_, found));
  EXPECT_NE(std::string::npos,
            manifest.find("name=\"Varnick\" version=\"" VARNICK_VERSION_TEXT "\""));
  EXPECT_STREQ("1.0.5.0", VARNICK_VERSION_TEXT);
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
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string text(reinterpret_cast<char16_t*>(path));
  return text.substr(0, text.rfind(u'\\') + 1) + name;
}

TEST(ReadProgramVersion, ReadsTheVersionResourceOfVarnick) {
  ProgramVersion v = {};
  ASSERT_EQ(1, ReadProgramVersion(BesideThisProgram(u"varnick.exe").c_str(), &v));
  EXPECT_EQ(std::u16string(u"1.0.5.0"), v.fullText);
  EXPECT_EQ(std::u16string(u"1.0.5"), v.shortText);
  EXPECT_EQ(0x00010000u, v.versionMS);
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
