// The resources of varnick.exe as the system loads them: the menu bar, the
// accelerators, the dialog, the icon sizes and the menu bitmaps.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

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
  EXPECT_EQ((std::vector<std::wstring>{L"11|65|40002", L"3|46|40001", L"3|116|40003",
                                       L"3|32|40004", L"3|13|40005"}),
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
  EXPECT_NE(nullptr, FindResourceW(module_, MAKEINTRESOURCEW(IDD_MAIN), RT_DIALOG));
}

}  // namespace
