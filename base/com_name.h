// A COM port's name: "COM" and its number.
#pragma once

#include <stdint.h>

// The highest number a port can have: ComDB holds at most 4,096.
const int32_t kHighestPortNumber = 4096;

// "COMn" into text (units, always terminated).
void ComName(int32_t port, char16_t* text, uint32_t units);
// The number of a "COMn" text, "COM" in any case and up to five digits; 0
// for any other text.
int32_t PortNumberOfName(const char16_t* name);
