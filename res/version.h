// The program's version, written here and nowhere else: the version
// resource, the manifest and the release archive's name take it from here.
#pragma once

#define VARNICK_VERSION_MAJOR 1
#define VARNICK_VERSION_MINOR 0
#define VARNICK_VERSION_BUILD 5
#define VARNICK_VERSION_REVISION 0

#define VARNICK_TEXT_OF_(x) #x
#define VARNICK_TEXT_OF(x) VARNICK_TEXT_OF_(x)
#define VARNICK_VERSION_TEXT                                                          \
  VARNICK_TEXT_OF(VARNICK_VERSION_MAJOR) "." VARNICK_TEXT_OF(VARNICK_VERSION_MINOR) "." \
  VARNICK_TEXT_OF(VARNICK_VERSION_BUILD) "." VARNICK_TEXT_OF(VARNICK_VERSION_REVISION)
