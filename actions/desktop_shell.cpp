#include "actions/desktop_shell.h"

#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

// Spelled out here: the system's GUID library would bring a table of
// hundreds with them.
static const CLSID kShellWindows = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
static const GUID kTopLevelBrowser = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};

// The desktop window's folder view runs in the shell's process; its
// automation object starts programs there. Every step may be missing (no
// shell running, another shell): each failure ends the attempt.
static IShellDispatch2* DesktopShellDispatch() {
  IShellWindows* windows = nullptr;
  if (FAILED(CoCreateInstance(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                              IID_PPV_ARGS(&windows)))) {
    return nullptr;
  }
  VARIANT none;
  VariantInit(&none);
  long window = 0;
  IDispatch* desktop = nullptr;
  HRESULT found = windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                        &desktop);
  windows->Release();
  if (found != S_OK || desktop == nullptr) return nullptr;

  IShellDispatch2* shell = nullptr;
  IServiceProvider* services = nullptr;
  IShellBrowser* browser = nullptr;
  IShellView* view = nullptr;
  IDispatch* background = nullptr;
  IShellFolderViewDual* folderView = nullptr;
  IDispatch* application = nullptr;
  if (SUCCEEDED(desktop->QueryInterface(IID_PPV_ARGS(&services))) &&
      SUCCEEDED(services->QueryService(kTopLevelBrowser, IID_PPV_ARGS(&browser))) &&
      SUCCEEDED(browser->QueryActiveShellView(&view)) &&
      SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background))) &&
      SUCCEEDED(background->QueryInterface(IID_PPV_ARGS(&folderView))) &&
      SUCCEEDED(folderView->get_Application(&application))) {
    application->QueryInterface(IID_PPV_ARGS(&shell));
  }
  IUnknown* const steps[] = {application, folderView, background, view, browser, services, desktop};
  for (IUnknown* step : steps) {
    if (step != nullptr) step->Release();
  }
  return shell;
}

int32_t OpenInDesktopShell(const char16_t* address) {
  // Joins the thread's apartment when it has none; a thread already in one
  // (S_FALSE, or another model) uses that.
  HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  int32_t opened = 0;
  IShellDispatch2* shell = DesktopShellDispatch();
  if (shell != nullptr) {
    BSTR file = SysAllocString(reinterpret_cast<const wchar_t*>(address));
    VARIANT none, verb, show;
    VariantInit(&none);
    VariantInit(&verb);
    verb.vt = VT_BSTR;
    verb.bstrVal = SysAllocString(L"open");
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWMAXIMIZED;
    opened = file != nullptr && verb.bstrVal != nullptr &&
             SUCCEEDED(shell->ShellExecute(file, none, none, verb, show));
    SysFreeString(verb.bstrVal);
    SysFreeString(file);
    shell->Release();
  }
  if (SUCCEEDED(initialised)) CoUninitialize();
  return opened;
}
