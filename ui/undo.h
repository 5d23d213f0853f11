// The window's face of the undo (core/undo.h): Undo Last Change takes back
// the window's own last command that changed something, as /undo takes
// back a run, with boxes for what went wrong, for a refusal, and for what
// the user must know (a removed device that cannot be brought back, a
// restart of Windows first). The undo itself is the one both faces share.
#pragma once

#include <stdint.h>

#include "ui/port_session.h"

// Whether the window offers Undo Last Change: the process may change the
// system, and a command of this window changed something that no undo has
// taken back since (the journal's undoable run). Reads no journal, so the
// menu may ask it each time it opens.
bool MayUndoLastChange(const PortSession* session);

// Undo Last Change, while the session's rows are held: that run undone on
// the session's models, read afresh. 0 when it is not offered, and nothing
// was done or shown; otherwise 1, and text holds the status bar's words,
// *movedTo the number the last serial port moved back now has (0 none).
// The list then needs a refresh.
int32_t UndoLastChange(PortSession* session, char16_t* text, uint32_t units, int32_t* movedTo);
