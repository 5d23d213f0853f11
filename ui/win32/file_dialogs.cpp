#include "ui/win32/file_dialogs.h"

#include <commdlg.h>

// Two zeros end the list of filters: the literal's own, and one more.
static const wchar_t kPlanFilter[] = L"Number plans (*.txt)\0*.txt\0";

static OPENFILENAMEW Request(HWND owner, const char16_t* title, char16_t* path, uint32_t units) {
  OPENFILENAMEW request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = kPlanFilter;
  request.lpstrFile = reinterpret_cast<wchar_t*>(path);
  request.nMaxFile = units;
  request.lpstrTitle = reinterpret_cast<const wchar_t*>(title);
  request.lpstrDefExt = L"txt";
  // The process's current directory stays where it was.
  request.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return request;
}

int32_t ChooseFileToSave(HWND owner, const char16_t* title, char16_t* path, uint32_t units) {
  OPENFILENAMEW request = Request(owner, title, path, units);
  request.Flags |= OFN_OVERWRITEPROMPT;
  return GetSaveFileNameW(&request) != 0;
}

int32_t ChooseFileToOpen(HWND owner, const char16_t* title, char16_t* path, uint32_t units) {
  OPENFILENAMEW request = Request(owner, title, path, units);
  request.Flags |= OFN_FILEMUSTEXIST;
  return GetOpenFileNameW(&request) != 0;
}
