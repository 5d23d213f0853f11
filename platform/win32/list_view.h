// List-view calls that need more than one message on some systems.
#pragma once

#include <windows.h>
#include <commctrl.h>

// LVM_SORTITEMSEX: sorts the rows with a comparator given row indices.
// Wine's list view hands the comparator indices that no longer match the
// rows it reads while the sort moves them, so there the order is worked out
// first, with the same comparator over the unchanged list, and then applied.
BOOL SortListByIndex(HWND list, PFNLVCOMPARE compare, LPARAM param);
