// A stable bottom-up merge sort of row indices, for the list's rows: the
// order a refresh fills them in, and on Wine the order of a header click.
// Portable: included by the window's rules and by the Win32 side alike.
#pragma once

#include <stdint.h>

// Reorders rows[0..n) so that before(x, y) holds for no row x placed after
// y; rows that are not before one another keep their order. spare holds n.
template <typename Before>
void SortIndices(int32_t* rows, int32_t* spare, int32_t n, Before before) {
  for (int32_t width = 1; width < n; width *= 2) {
    for (int32_t left = 0; left < n; left += 2 * width) {
      int32_t middle = left + width < n ? left + width : n;
      int32_t right = middle + width < n ? middle + width : n;
      int32_t a = left, b = middle, out = left;
      while (a < middle && b < right) {
        spare[out++] = before(rows[b], rows[a]) ? rows[b++] : rows[a++];
      }
      while (a < middle) spare[out++] = rows[a++];
      while (b < right) spare[out++] = rows[b++];
    }
    for (int32_t i = 0; i < n; i++) rows[i] = spare[i];
  }
}
