#include "platform/cr_errors.h"

int32_t Win32ErrorOfCr(uint32_t result) {
  switch (result) {
    case 0: return 0;            // CR_SUCCESS
    case 2: return 8;            // CR_OUT_OF_MEMORY: NOT_ENOUGH_MEMORY
    case 3: return 1784;         // CR_INVALID_POINTER: INVALID_USER_BUFFER
    case 4: return 1004;         // CR_INVALID_FLAG: INVALID_FLAGS
    case 5:                      // CR_INVALID_DEVNODE
    case 30:                     // CR_INVALID_DEVICE_ID
    case 47:                     // CR_INVALID_MACHINENAME
    case 53:                     // CR_INVALID_PROPERTY
    case 61: return 13;          // CR_INVALID_REFERENCE_STRING: INVALID_DATA
    case 13:                     // CR_NO_SUCH_DEVNODE: a node not present
    case 37:                     // CR_NO_SUCH_VALUE
    case 46:                     // CR_NO_SUCH_REGISTRY_KEY
    case 59: return 1168;        // CR_NO_SUCH_DEVICE_INTERFACE: NOT_FOUND
    case 16: return 183;         // CR_ALREADY_SUCH_DEVNODE: ALREADY_EXISTS
    case 26: return 122;         // CR_BUFFER_SMALL: INSUFFICIENT_BUFFER
    case 20: return 6;           // CR_NO_REGISTRY_HANDLE: INVALID_HANDLE
    case 21: return 1015;        // CR_REGISTRY_ERROR: REGISTRY_CORRUPT
    case 48:                     // CR_REMOTE_COMM_FAILURE
    case 49:                     // CR_MACHINE_UNAVAILABLE
    case 50: return 1062;        // CR_NO_CM_SERVICES: SERVICE_NOT_ACTIVE
    case 51: return 5;           // CR_ACCESS_DENIED
    case 52: return 120;         // CR_CALL_NOT_IMPLEMENTED
  }
  return 31;                     // GEN_FAILURE
}
