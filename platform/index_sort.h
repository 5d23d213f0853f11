// A stable bottom-up merge sort of row indices, for the list's rows: the
// order a refresh fills them in, and on Wine the order of a header click.
// Portable: no system call, built for both platforms, so that the window's
// rules and the Win32 side sort with the one routine.
#pragma once

#include <stdint.h>

// Whether row x goes before row y, as the caller's context orders them.
typedef bool (*IndexBefore)(const void* context, int32_t x, int32_t y);

// Reorders rows[0..n) so that before(context, x, y) holds for no row x
// placed after y; rows that are not before one another keep their order.
// spare holds n.
void SortIndices(int32_t* rows, int32_t* spare, int32_t n, IndexBefore before, const void* context);
