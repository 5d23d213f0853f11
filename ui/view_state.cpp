#include "ui/view_state.h"

ViewState InitialViewState() {
  return {{16, 32, {}, -1, -1, 1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, 0, 0, 0, 0, -1, 0};
}

int32_t ColumnPlace(const ViewState& view, int32_t column) {
  if (column >= 0 && column < kFixedColumns) return column;
  if (column == kDeviceIdColumn) return view.showDeviceId ? kFixedColumns : -1;
  if (column == kLocationColumn) return view.showLocation ? kFixedColumns + (view.showDeviceId != 0) : -1;
  return -1;
}

int32_t ColumnAtPlace(const ViewState& view, int32_t place) {
  for (int32_t column = 0; column <= kLocationColumn; column++) {
    if (ColumnPlace(view, column) == place && place >= 0) return column;
  }
  return -1;
}

int32_t ShownColumnCount(const ViewState& view) {
  return kFixedColumns + (view.showDeviceId != 0) + (view.showLocation != 0);
}
