// The text of a profile (INI) file, edited as the system's profile
// functions edit it, for a write that cannot go through them (the settings
// file of an elevated run, see settings_rules.cpp). Portable: bytes in,
// bytes out, in the ANSI code page the file is kept in.
#pragma once

#include <stdint.h>

#include "platform/profile_struct.h"

struct ProfileValue {
  const char* key;    // ASCII, no '=' and no line break
  const char* value;  // ASCII, no line break
};
const uint32_t kMaxProfileValues = 32;

// The text with the keys of one section set, as the system's profile
// functions read it: lines end at CR LF, LF or CR; a section starts at a
// line "[name]" (blanks around it ignored, the name up to the line's last
// ']'); a key's name is what stands before the line's first '=' (or the
// whole line without one), blanks around it ignored; names compare without
// regard to the case of ASCII letters; a leading UTF-8 byte-order mark is
// no part of the first line. Only the first section of that name counts,
// and in it only the first line of each key: that line keeps what stands
// up to its '=' and its line end, and gets the new value after the '='. A
// key the section lacks is added as "key=value" CR LF behind its last line
// that is not blank; a missing section is added at the end, on a line of
// its own. Every other byte stays as it was.
//
// At most `capacity` bytes go to out (which may be null); *mergedLength
// gets the length of the whole result. 0, and nothing written, for a text
// in UTF-16 (it begins with a byte-order mark), which the profile
// functions would edit in UTF-16, or for more than kMaxProfileValues keys.
int32_t MergeProfileSection(const char* text, uint64_t length, const char* section,
                            const ProfileValue* values, uint32_t count, char* out,
                            uint64_t capacity, uint64_t* mergedLength);
