// The floor under Varnick's scan, for the benchmarks: the least a program
// must do to list the serial devices and the port numbers. One read of
// ComDB, one enumeration of every device of every class, and for each
// device of the Ports or Modem class its instance ID, its PortName, its
// friendly name and the kernel name of its port, each by the plainest call
// that gives it.
//
//   bare_scanner [TIMES]   scans TIMES times (default 1) and prints the
//                          number of serial devices and the fastest and
//                          the median scan, in ms, as "N devices, F ms, M ms"
#include <windows.h>
#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

static int Scan() {
  HKEY arbiter;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter", 0,
                    KEY_QUERY_VALUE, &arbiter) == ERROR_SUCCESS) {
    BYTE comDb[512];
    DWORD size = sizeof comDb;
    RegQueryValueExW(arbiter, L"ComDB", nullptr, nullptr, comDb, &size);
    RegCloseKey(arbiter);
  }
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return -1;
  int serial = 0;
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  for (DWORD member = 0; SetupDiEnumDeviceInfo(set, member, &data); member++) {
    if (data.ClassGuid != GUID_DEVCLASS_PORTS && data.ClassGuid != GUID_DEVCLASS_MODEM) continue;
    wchar_t id[MAX_DEVICE_ID_LEN] = {};
    if (CM_Get_Device_IDW(data.DevInst, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) continue;
    std::wstring path = std::wstring(L"System\\CurrentControlSet\\Enum\\") + id + L"\\Device Parameters";
    HKEY parameters;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &parameters) != ERROR_SUCCESS) {
      continue;
    }
    wchar_t port[64] = {};
    DWORD size = sizeof port - sizeof port[0];
    LSTATUS read = RegQueryValueExW(parameters, L"PortName", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(port), &size);
    RegCloseKey(parameters);
    if (read != ERROR_SUCCESS || wcsncmp(port, L"COM", 3) != 0) continue;
    wchar_t name[256] = {};
    SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_FRIENDLYNAME, nullptr,
                                      reinterpret_cast<BYTE*>(name), sizeof name, nullptr);
    wchar_t kernel[MAX_PATH] = {};
    QueryDosDeviceW(port, kernel, MAX_PATH);
    serial++;
  }
  SetupDiDestroyDeviceInfoList(set);
  return serial;
}

int wmain(int argc, wchar_t** argv) {
  int times = argc > 1 ? _wtoi(argv[1]) : 1;
  if (times < 1) times = 1;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  int serial = 0;
  for (int i = 0; i < times; i++) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    serial = Scan();
    QueryPerformanceCounter(&end);
    ms.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
  std::sort(ms.begin(), ms.end());
  printf("%d devices, %.1f ms, %.1f ms\n", serial, ms.front(), ms[ms.size() / 2]);
  return serial < 0;
}
