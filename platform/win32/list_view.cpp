#include "platform/win32/list_view.h"

#include "platform/index_sort.h"
#include "platform/win32/wine.h"

static int CALLBACK CompareRanks(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : a > b; }

static void SetItemData(HWND list, int row, LPARAM data) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = data;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// The list's comparison and its parameter.
struct ListOrder {
  PFNLVCOMPARE compare;
  LPARAM param;
};

static bool ListBefore(const void* context, int32_t x, int32_t y) {
  auto* order = static_cast<const ListOrder*>(context);
  return order->compare(x, y, order->param) < 0;
}

BOOL SortListByIndex(HWND list, PFNLVCOMPARE compare, LPARAM param) {
  if (!RunningOnWine()) {
    return static_cast<BOOL>(
        SendMessageW(list, LVM_SORTITEMSEX, param, reinterpret_cast<LPARAM>(compare)));
  }
  int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  if (n < 2) return TRUE;
  HANDLE heap = GetProcessHeap();
  SIZE_T bytes = static_cast<SIZE_T>(n) * (2 * sizeof(int32_t) + sizeof(LPARAM));
  char* block = static_cast<char*>(HeapAlloc(heap, 0, bytes));
  if (block == nullptr) return FALSE;
  LPARAM* data = reinterpret_cast<LPARAM*>(block);
  int32_t* order = reinterpret_cast<int32_t*>(data + n);
  int32_t* spare = order + n;
  for (int i = 0; i < n; i++) {
    order[i] = i;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = i;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    data[i] = item.lParam;
  }
  const ListOrder listOrder = {compare, param};
  SortIndices(order, spare, n, ListBefore, &listOrder);
  // Each row carries its rank while the list sorts by item data, which
  // travels with the row; then the rows get their own data back.
  for (int rank = 0; rank < n; rank++) SetItemData(list, order[rank], rank);
  SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareRanks));
  for (int rank = 0; rank < n; rank++) SetItemData(list, rank, data[order[rank]]);
  HeapFree(heap, 0, block);
  return TRUE;
}
