// A stand-in for the system's msports.dll, whose COM port database
// routines Wine only stubs, put into the test prefix's system directory.
// The routines work on ComDB as the system's do, and lock as they do: for
// each call, not from open to close. ComDBOpen creates a missing value of
// 256 ports and returns holding no lock; a claim sets a number's bit,
// refusing one that is set already unless forced, and a release clears it,
// each reading, changing and writing the value under a named lock. Every
// call is recorded in msports.log as "PROGRAM|CALL|STATUS".
//
// So that a test can have another program claim numbers while one has the
// database open, msports-pause.txt, when it names this program, makes the
// program's first claim or release (before its lock) signal the event
// VarnickTestComDBPaused and wait, at most kPauseMilliseconds, for
// VarnickTestComDBGoOn; the file is removed then, so the pause comes once.
#include <windows.h>
#include <ddk/msports.h>

#include <string>
#include <vector>

#include "tests/tools/stand_in_log.h"

namespace {

const wchar_t kArbiter[] = L"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";
const wchar_t kPauseFile[] = L"C:\\varnick-test\\msports-pause.txt";
const DWORD kPauseMilliseconds = 20000;

struct Database {
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

// The lock each routine holds for its own read, change and write, as the
// system's routines do; an abandoned one is taken over.
HANDLE Lock() {
  HANDLE lock = CreateMutexW(nullptr, FALSE, L"VarnickTestComDBLock");
  if (lock != nullptr) WaitForSingleObject(lock, INFINITE);
  return lock;
}

void Unlock(HANDLE lock) {
  if (lock == nullptr) return;
  ReleaseMutex(lock);
  CloseHandle(lock);
}

// Whether msports-pause.txt names this program; the file goes once read.
bool PauseAsked() {
  HANDLE in = CreateFileW(kPauseFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  char text[MAX_PATH] = {};
  DWORD n = 0;
  ReadFile(in, text, sizeof text - 1, &n, nullptr);
  CloseHandle(in);
  std::wstring named = Widen(text);
  while (!named.empty() && (named.back() == L'\n' || named.back() == L'\r')) named.pop_back();
  if (lstrcmpiW(named.c_str(), ProgramName().c_str()) != 0) return false;
  DeleteFileW(kPauseFile);
  return true;
}

// Between a program's open and its first change, when the test asks.
void PauseIfAsked() {
  if (!PauseAsked()) return;
  HANDLE paused = CreateEventW(nullptr, FALSE, FALSE, L"VarnickTestComDBPaused");
  HANDLE goOn = CreateEventW(nullptr, FALSE, FALSE, L"VarnickTestComDBGoOn");
  if (paused != nullptr && goOn != nullptr) {
    SetEvent(paused);
    Record(L"paused", static_cast<LONG>(WaitForSingleObject(goOn, kPauseMilliseconds)));
  }
  if (paused != nullptr) CloseHandle(paused);
  if (goOn != nullptr) CloseHandle(goOn);
}

// Sets or clears one number's bit and writes the value back, all under the
// lock.
LONG ChangeBit(HCOMDB handle, DWORD port, bool reserve, BOOL force) {
  Database* database = Opened(handle);
  if (database == nullptr || port == 0 || port > COMDB_MAX_PORTS_ARBITRATED) {
    return ERROR_INVALID_PARAMETER;
  }
  PauseIfAsked();
  HANDLE lock = Lock();
  if (lock == nullptr) return static_cast<LONG>(GetLastError());
  std::vector<BYTE> bytes;
  LONG status = ReadValue(database->key, &bytes);
  if (status == ERROR_SUCCESS && (port - 1) / 8 >= bytes.size()) status = ERROR_INVALID_PARAMETER;
  BYTE bit = static_cast<BYTE>(1u << ((port - 1) % 8));
  if (status == ERROR_SUCCESS && reserve && (bytes[(port - 1) / 8] & bit) != 0 && !force) {
    status = ERROR_SHARING_VIOLATION;
  }
  if (status == ERROR_SUCCESS) {
    BYTE& byte = bytes[(port - 1) / 8];
    byte = static_cast<BYTE>(reserve ? byte | bit : byte & ~bit);
    status = RegSetValueExW(database->key, L"ComDB", 0, REG_BINARY, bytes.data(),
                            static_cast<DWORD>(bytes.size()));
  }
  Unlock(lock);
  return status;
}

}  // namespace

extern "C" __declspec(dllexport) LONG WINAPI ComDBOpen(HCOMDB* handle) {
  *handle = HCOMDB_INVALID_HANDLE_VALUE;
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kArbiter, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    HANDLE lock = Lock();  // only while a missing value is created
    DWORD size = 0;
    status = RegQueryValueExW(key, L"ComDB", nullptr, nullptr, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
      const BYTE empty[COMDB_MIN_PORTS_ARBITRATED / 8] = {};
      status = RegSetValueExW(key, L"ComDB", 0, REG_BINARY, empty, sizeof empty);
    }
    Unlock(lock);
  }
  if (status != ERROR_SUCCESS) {
    if (key != nullptr) RegCloseKey(key);
    return Record(L"open", status);
  }
  *handle = reinterpret_cast<HCOMDB>(new Database{key});
  return Record(L"open", ERROR_SUCCESS);
}

extern "C" __declspec(dllexport) LONG WINAPI ComDBClose(HCOMDB handle) {
  Database* database = Opened(handle);
  if (database == nullptr) return Record(L"close", ERROR_INVALID_PARAMETER);
  RegCloseKey(database->key);
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

// Grows the value with free numbers to cover `ports`, under the lock; it
// never shrinks.
extern "C" __declspec(dllexport) LONG WINAPI ComDBResizeDatabase(HCOMDB handle, DWORD ports) {
  Database* database = Opened(handle);
  if (database == nullptr) return Record(L"resize", ERROR_INVALID_PARAMETER);
  HANDLE lock = Lock();
  if (lock == nullptr) return Record(L"resize", static_cast<LONG>(GetLastError()));
  std::vector<BYTE> bytes;
  LONG status = ReadValue(database->key, &bytes);
  if (status == ERROR_SUCCESS && (ports % 1024 != 0 || ports > COMDB_MAX_PORTS_ARBITRATED ||
                                  ports / 8 <= bytes.size())) {
    status = ERROR_BAD_LENGTH;
  }
  if (status == ERROR_SUCCESS) {
    bytes.resize(ports / 8, 0);
    status = RegSetValueExW(database->key, L"ComDB", 0, REG_BINARY, bytes.data(),
                            static_cast<DWORD>(bytes.size()));
  }
  Unlock(lock);
  return Record(L"resize " + std::to_wstring(ports), status);
}
