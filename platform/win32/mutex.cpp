#include <windows.h>

#include <sddl.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

int32_t OsOpenNamedMutex(const char16_t* name, OsMutex* mutex) {
  // Made by a task of SYSTEM, the mutex would otherwise carry SYSTEM's
  // default access list, which lets the Administrators only look at it.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)",
                                                           SDDL_REVISION_1, &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  int32_t status = HandleOf(CreateMutexExW(&attributes, reinterpret_cast<const wchar_t*>(name), 0,
                                           SYNCHRONIZE | MUTEX_MODIFY_STATE),
                            mutex);
  if (descriptor != nullptr) LocalFree(descriptor);
  return status;
}

int32_t OsTakeMutex(OsMutex mutex, uint32_t milliseconds) {
  switch (WaitForSingleObject(reinterpret_cast<HANDLE>(mutex), milliseconds)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      return kOsErrorSuccess;
    case WAIT_TIMEOUT:
      return kOsErrorWaitTimeout;
    default:
      return LastErrorOfFailure();
  }
}

void OsReleaseMutex(OsMutex mutex) { ReleaseMutex(reinterpret_cast<HANDLE>(mutex)); }

void OsCloseMutex(OsMutex mutex) { CloseHandle(reinterpret_cast<HANDLE>(mutex)); }
