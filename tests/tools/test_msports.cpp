// A stand-in for the system's msports.dll, whose COM port database
// routines Wine only stubs, put into the test prefix's system directory.
// The routines work on ComDB as the system's do: ComDBOpen takes a named
// lock that it holds until ComDBClose, creating a missing value of 256
// ports; a claim sets a number's bit, refusing one that is set already
// unless forced, and a release clears it, each written at once. Every call
// is recorded in msports.log as "PROGRAM|CALL|STATUS"; ComDBOpen also
// records "PROGRAM|waits" before it waits for the lock.
#include <windows.h>
#include <ddk/msports.h>

#include <string>
#include <vector>

#include "tests/tools/stand_in_log.h"

namespace {

const wchar_t kArbiter[] = L"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";

struct Database {
  HANDLE lock;
  HKEY key;
};

std::wstring ProgramName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const wchar_t* name = path;
  for (const wchar_t* c = path; *c != 0; c++) {
    if (*c == L'\\' || *c == L'/') name = c + 1;
  }
  return name;
}

LONG Record(const std::wstring& call, LONG status) {
  AppendStandInLog(L"msports.log", ProgramName() + L"|" + call + L"|" + std::to_wstring(status));
  return status;
}

Database* Opened(HCOMDB handle) {
  return handle == nullptr || handle == HCOMDB_INVALID_HANDLE_VALUE ? nullptr
                                                                    : reinterpret_cast<Database*>(handle);
}

LONG ReadValue(HKEY key, std::vector<BYTE>* bytes) {
  DWORD size = 0;
  LONG status = RegQueryValueExW(key, L"ComDB", nullptr, nullptr, nullptr, &size);
  if (status != ERROR_SUCCESS) return status;
  bytes->assign(size, 0);
  return RegQueryValueExW(key, L"ComDB", nullptr, nullptr, bytes->data(), &size);
}

// Sets or clears one number's bit and writes the value back.
LONG ChangeBit(HCOMDB handle, DWORD port, bool reserve, BOOL force) {
  Database* database = Opened(handle);
  if (database == nullptr || port == 0 || port > COMDB_MAX_PORTS_ARBITRATED) {
    return ERROR_INVALID_PARAMETER;
  }
  std::vector<BYTE> bytes;
  LONG status = ReadValue(database->key, &bytes);
  if (status != ERROR_SUCCESS) return status;
  if ((port - 1) / 8 >= bytes.size()) return ERROR_INVALID_PARAMETER;
  BYTE bit = static_cast<BYTE>(1u << ((port - 1) % 8));
  BYTE& byte = bytes[(port - 1) / 8];
  if (reserve && (byte & bit) != 0 && !force) return ERROR_SHARING_VIOLATION;
  byte = static_cast<BYTE>(reserve ? byte | bit : byte & ~bit);
  return RegSetValueExW(database->key, L"ComDB", 0, REG_BINARY, bytes.data(),
                        static_cast<DWORD>(bytes.size()));
}

}  // namespace

extern "C" __declspec(dllexport) LONG WINAPI ComDBOpen(HCOMDB* handle) {
  *handle = HCOMDB_INVALID_HANDLE_VALUE;
  AppendStandInLog(L"msports.log", ProgramName() + L"|waits");
  HANDLE lock = CreateMutexW(nullptr, FALSE, L"VarnickTestComDBLock");
  if (lock == nullptr) return Record(L"open", static_cast<LONG>(GetLastError()));
  WaitForSingleObject(lock, INFINITE);  // an abandoned lock is taken over
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kArbiter, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    DWORD size = 0;
    status = RegQueryValueExW(key, L"ComDB", nullptr, nullptr, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
      const BYTE empty[COMDB_MIN_PORTS_ARBITRATED / 8] = {};
      status = RegSetValueExW(key, L"ComDB", 0, REG_BINARY, empty, sizeof empty);
    }
  }
  if (status != ERROR_SUCCESS) {
    if (key != nullptr) RegCloseKey(key);
    ReleaseMutex(lock);
    CloseHandle(lock);
    return Record(L"open", status);
  }
  *handle = reinterpret_cast<HCOMDB>(new Database{lock, key});
  return Record(L"open", ERROR_SUCCESS);
}

extern "C" __declspec(dllexport) LONG WINAPI ComDBClose(HCOMDB handle) {
  Database* database = Opened(handle);
  if (database == nullptr) return Record(L"close", ERROR_INVALID_PARAMETER);
  RegCloseKey(database->key);
  ReleaseMutex(database->lock);
  CloseHandle(database->lock);
  delete database;
  return Record(L"close", ERROR_SUCCESS);
}

extern "C" __declspec(dllexport) LONG WINAPI ComDBClaimPort(HCOMDB handle, DWORD port,
                                                           BOOL force, PBOOL forced) {
  if (forced != nullptr) *forced = FALSE;
  return Record(L"claim " + std::to_wstring(port), ChangeBit(handle, port, true, force));
}

extern "C" __declspec(dllexport) LONG WINAPI ComDBReleasePort(HCOMDB handle, DWORD port) {
  return Record(L"release " + std::to_wstring(port), ChangeBit(handle, port, false, FALSE));
}
