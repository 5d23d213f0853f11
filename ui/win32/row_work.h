// The window's side of the guard over rows (see port_session.h): what came
// due while a command held the rows runs once it is done.
#pragma once

#include "ui/win32/window_state.h"

// Ends row work begun with BeginRowWork and runs what it held back, from
// the message loop: the close, or else the refresh.
void EndRowWorkAndCatchUp(MainWindow& w);
