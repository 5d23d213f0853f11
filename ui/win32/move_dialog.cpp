#include "ui/win32/move_dialog.h"

#include "base/process.h"
#include "res/resource.h"
#include "ui/move_targets.h"
#include "ui/port_session.h"

namespace {

struct Choice {
  const MainWindow* w;
  const PortDevice* device;
  int32_t chosen;
};

// The entry's number, when it may be chosen; 0 otherwise.
int32_t ChoosableNumber(HWND list, LRESULT index) {
  if (index < 0) return 0;
  return static_cast<int32_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void FillTargets(HWND dialog, const Choice& choice) {
  HWND list = GetDlgItem(dialog, IDC_MOVE_TARGETS);
  const PortSession& ports = choice.w->ports;
  LRESULT first = -1;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  INT stop = 40;  // dialog units: room for "COM4096"
  SendMessageW(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
  for (int32_t port = 1; port <= ports.reservations->portCount; port++) {
    char16_t text[320];
    int32_t choosable = DescribeMoveTarget(port, IsPortReserved(&ports, port),
                                           ShownDevice(&ports, port), choice.device, text, 320);
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0) continue;
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), choosable ? port : 0);
    if (choosable && first < 0) first = index;
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(first < 0 ? 0 : first), 0);
  EnableWindow(GetDlgItem(dialog, IDOK), first >= 0);
}

INT_PTR CALLBACK ChangePortProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* choice = reinterpret_cast<Choice*>(GetWindowLongPtrW(dialog, DWLP_USER));
  HWND list = GetDlgItem(dialog, IDC_MOVE_TARGETS);
  switch (message) {
    case WM_INITDIALOG: {
      choice = reinterpret_cast<Choice*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const PortDevice* d = choice->device;
      SetDlgItemTextW(dialog, IDC_MOVE_DEVICE, reinterpret_cast<const wchar_t*>(
                                                   d->deviceText[0] != 0 ? d->deviceText : d->portName));
      SetDlgItemTextW(dialog, IDC_MOVE_ID, reinterpret_cast<const wchar_t*>(d->deviceInstanceId));
      FillTargets(dialog, *choice);
      SetFocus(list);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      int32_t number = ChoosableNumber(list, SendMessageW(list, LB_GETCURSEL, 0, 0));
      switch (LOWORD(wParam)) {
        case IDC_MOVE_TARGETS:
          if (HIWORD(wParam) == LBN_SELCHANGE) EnableWindow(GetDlgItem(dialog, IDOK), number != 0);
          if (HIWORD(wParam) != LBN_DBLCLK || number == 0) break;
          [[fallthrough]];
        case IDOK:
          // A used number can be selected, never chosen.
          if (number == 0) break;
          choice->chosen = number;
          EndDialog(dialog, 1);
          break;
        case IDCANCEL:
          EndDialog(dialog, 0);
          break;
      }
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

int32_t ChooseNewPortNumber(MainWindow& w, const PortDevice* device) {
  Choice choice = {&w, device, 0};
  DialogBoxParamW(reinterpret_cast<HINSTANCE>(programInstance), MAKEINTRESOURCEW(IDD_CHANGE_PORT),
                  w.window, ChangePortProc, reinterpret_cast<LPARAM>(&choice));
  return choice.chosen;
}
