#include <windows.h>

#include "tests/support/registry_fixture.h"

static const wchar_t* W(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool TestRegistryIsDisposable() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void TestRegSetValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                     const std::vector<uint8_t>& data) {
  if (!TestRegistryIsDisposable()) return;
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, W(name), 0, type, data.data(), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
}

void TestRegDeleteKey(const std::u16string& path) {
  if (!TestRegistryIsDisposable()) return;
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(path));
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, W(path));
}

bool TestRegGetValue(const std::u16string& path, const std::u16string& name, uint32_t* type,
                     std::vector<uint8_t>* data) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD storedType = 0, size = 0;
  LSTATUS status = RegQueryValueExW(key, W(name), nullptr, &storedType, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    data->assign(size, 0);
    status = RegQueryValueExW(key, W(name), nullptr, &storedType, data->data(), &size);
    data->resize(size);
  }
  RegCloseKey(key);
  *type = storedType;
  return status == ERROR_SUCCESS;
}
