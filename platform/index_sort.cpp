#include "platform/index_sort.h"

void SortIndices(int32_t* rows, int32_t* spare, int32_t n, IndexBefore before, const void* context) {
  for (int32_t width = 1; width < n; width *= 2) {
    for (int32_t left = 0; left < n; left += 2 * width) {
      int32_t middle = left + width < n ? left + width : n;
      int32_t right = middle + width < n ? middle + width : n;
      int32_t a = left, b = middle, out = left;
      while (a < middle && b < right) {
        spare[out++] = before(context, rows[b], rows[a]) ? rows[b++] : rows[a++];
      }
      while (a < middle) spare[out++] = rows[a++];
      while (b < right) spare[out++] = rows[b++];
    }
    for (int32_t i = 0; i < n; i++) rows[i] = spare[i];
  }
}
