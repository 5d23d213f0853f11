#include "actions/clipboard.h"

#include <windows.h>

#include "base/memory.h"

int32_t TextBufferToClipboard(HWND owner, const char16_t* text) {
  int32_t n = lstrlenW(reinterpret_cast<const wchar_t*>(text));
  DWORD start = GetTickCount();
  // Opened for a window: opened for none, the clipboard gets no owner when
  // it is emptied, and Windows may then refuse the data.
  while (!OpenClipboard(owner)) {
    Sleep(100);
    if (GetTickCount() - start >= 1000) return 0;  // unsigned: survives the tick count wrapping
  }
  EmptyClipboard();
  SIZE_T bytes = 2 * static_cast<SIZE_T>(n) + 2;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  void* locked = memory == nullptr ? nullptr : GlobalLock(memory);
  if (locked == nullptr) {
    if (memory != nullptr) GlobalFree(memory);
    CloseClipboard();
    return 0;
  }
  MemCopy(locked, text, bytes);
  GlobalUnlock(memory);
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
    GlobalFree(memory);
    CloseClipboard();
    return 0;
  }
  CloseClipboard();  // the memory now belongs to the system
  return 1;
}
