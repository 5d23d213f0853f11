// Opening a document or web address as the signed-in user, from a process
// that may run with an administrator's token.
#pragma once

#include <stdint.h>

// Hands the address to the desktop's own shell, which opens it as the
// signed-in user does (through that user's associations, with that user's
// token); 1 when the shell took it.
int32_t OpenInDesktopShell(const char16_t* address);
