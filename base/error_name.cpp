#include "base/error_name.h"

#include "base/text.h"

namespace {

struct ErrorEntry {
  uint32_t code;
  const char* name;
};

const ErrorEntry kErrorNames[] = {
    {0, "ok"},
    {1, "INVALID_FUNCTION"},
    {2, "FILE_NOT_FOUND"},
    {3, "PATH_NOT_FOUND"},
    {5, "ACCESS_DENIED"},
    {6, "INVALID_HANDLE"},
    {8, "NOT_ENOUGH_MEMORY"},
    {10, "BAD_ENVIRONMENT"},
    {13, "INVALID_DATA"},
    {18, "NO_MORE_FILES"},
    {19, "WRITE_PROTECT"},
    {21, "NOT_READY"},
    {24, "BAD_LENGTH"},
    {31, "GEN_FAILURE"},
    {32, "SHARING_VIOLATION"},
    {50, "NOT_SUPPORTED"},
    {53, "BAD_NETPATH"},
    {87, "INVALID_PARAMETER"},
    {112, "DISK_FULL"},
    {120, "CALL_NOT_IMPLEMENTED"},
    {121, "SEM_TIMEOUT"},
    {122, "INSUFFICIENT_BUFFER"},
    {123, "INVALID_NAME"},
    {126, "MOD_NOT_FOUND"},
    {127, "PROC_NOT_FOUND"},
    {161, "BAD_PATHNAME"},
    {170, "BUSY"},
    {183, "ALREADY_EXISTS"},
    {223, "FILE_TOO_LARGE"},
    {230, "BAD_PIPE"},
    {231, "PIPE_BUSY"},
    {232, "NO_DATA"},
    {233, "PIPE_NOT_CONNECTED"},
    {234, "MORE_DATA"},
    {258, "WAIT_TIMEOUT"},
    {433, "NO_SUCH_DEVICE"},
    {535, "PIPE_CONNECTED"},
    {536, "PIPE_LISTENING"},
    {995, "OPERATION_ABORTED"},
    {997, "IO_PENDING"},
    {1004, "INVALID_FLAGS"},
    {1005, "UNRECOGNIZED_VOLUME"},
    {1006, "FILE_INVALID"},
    {1007, "FULLSCREEN_MODE"},
    {1008, "NO_TOKEN"},
    {1015, "REGISTRY_CORRUPT"},
    {1052, "INVALID_SERVICE_CONTROL"},
    {1053, "SERVICE_REQUEST_TIMEOUT"},
    {1055, "SERVICE_DATABASE_LOCKED"},
    {1056, "SERVICE_ALREADY_RUNNING"},
    {1057, "INVALID_SERVICE_ACCOUNT"},
    {1058, "SERVICE_DISABLED"},
    {1060, "SERVICE_DOES_NOT_EXIST"},
    {1061, "SERVICE_CANNOT_ACCEPT_CTRL"},
    {1062, "SERVICE_NOT_ACTIVE"},
    {1117, "IO_DEVICE"},
    {1167, "DEVICE_NOT_CONNECTED"},
    {1168, "NOT_FOUND"},
    {1212, "INVALID_DOMAINNAME"},
    {1245, "NOT_LOGGED_ON"},
    {1307, "INVALID_OWNER"},
    {1312, "NO_SUCH_LOGON_SESSION"},
    {1313, "NO_SUCH_PRIVILEGE"},
    {1314, "PRIVILEGE_NOT_HELD"},
    {1355, "NO_SUCH_DOMAIN"},
    {1359, "INTERNAL_ERROR"},
    {1460, "TIMEOUT"},
    {1784, "INVALID_USER_BUFFER"},
    {1920, "CANT_ACCESS_FILE"},
    {0xE0000235, "IN_WOW64"},
};

char errorNameText[32];

}  // namespace

const char* ErrorName(uint32_t code) {
  for (const ErrorEntry& entry : kErrorNames) {
    if (entry.code == code) return entry.name;
  }
  // Codes from 0x10000000 up are customer or facility codes (SetupAPI's
  // 0xE000xxxx among them), which read best in hexadecimal.
  const bool hexadecimal = code >= 0x10000000u;
  char* out = errorNameText;
  for (const char* prefix = hexadecimal ? "ERROR_0x" : "ERROR_"; *prefix != 0;) *out++ = *prefix++;
  AsciiDigits(code, hexadecimal ? 16 : 10, out);
  return errorNameText;
}
