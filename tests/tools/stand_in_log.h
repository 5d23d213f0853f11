// The stand-ins that the tests put into the Wine prefix in place of what
// Wine lacks record what they were handed as lines of UTF-8 text in files
// under C:\varnick-test, which the tests read from the Linux side.
#pragma once

#include <windows.h>

#include <string>

inline void AppendStandInLog(const wchar_t* file, const std::wstring& line) {
  CreateDirectoryW(L"C:\\varnick-test", nullptr);
  std::wstring path = std::wstring(L"C:\\varnick-test\\") + file;
  HANDLE out = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  std::wstring text = line + L"\n";
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size() - 1), &written, nullptr);
  CloseHandle(out);
}

inline std::wstring Widen(const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  wide.resize(n > 0 ? n - 1 : 0);
  return wide;
}
