#include "ui/view_state.h"

ViewState InitialViewState() {
  return {{16, 32, {}, -1, -1, 1, -1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, 0, 0, 0, -1, 0};
}
