#include "ui/win32/plan_dialog.h"

#include "base/process.h"
#include "res/resource.h"
#include "ui/win32/app_cursor.h"

namespace {

struct Preview {
  MainWindow* w;
  const char16_t* path;
  const NumberPlan* plan;
  PlanPreview lines;
  PlanConfirmation outcome;
  // While OK works: its boxes leave the dialog live, and a second OK or a
  // Cancel then would pull the plan and its lines away from under it.
  bool confirming;
};

// The lines into the list, wide enough to be scrolled to their ends; OK
// only where the plan may be applied.
void FillLines(HWND dialog, const PlanPreview& lines) {
  HWND list = GetDlgItem(dialog, IDC_PLAN_LINES);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(list);
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const char16_t* line = NextPreviewLine(lines, nullptr); line != nullptr;
       line = NextPreviewLine(lines, line)) {
    auto* text = reinterpret_cast<const wchar_t*>(line);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    if (size.cx > widest) widest = size.cx;
  }
  SelectObject(dc, font);
  ReleaseDC(list, dc);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  EnableWindow(GetDlgItem(dialog, IDOK), lines.mayApply);
  // Enter goes to the button that can be pressed.
  SendMessageW(dialog, DM_SETDEFID, lines.mayApply ? IDOK : IDCANCEL, 0);
}

void Confirm(HWND dialog, Preview* p) {
  p->confirming = true;
  HCURSOR arrow = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  p->outcome = ConfirmPlan(&p->w->ports, p->plan, p->path, &p->lines);
  SetCursor(arrow);
  p->confirming = false;
  if (p->outcome != kPlanChanged) {
    EndDialog(dialog, 1);
    return;
  }
  // Nothing was applied: the user sees first what applying does now.
  SetDlgItemTextW(dialog, IDC_PLAN_NOTE, L"The machine has changed. &What applying the plan does now:");
  FillLines(dialog, p->lines);
  SetFocus(GetDlgItem(dialog, IDC_PLAN_LINES));
}

INT_PTR CALLBACK PreviewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* p = reinterpret_cast<Preview*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      p = reinterpret_cast<Preview*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetDlgItemTextW(dialog, IDC_PLAN_FILE, reinterpret_cast<const wchar_t*>(p->path));
      FillLines(dialog, p->lines);
      SetFocus(GetDlgItem(dialog, IDC_PLAN_LINES));
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      int32_t id = LOWORD(wParam);
      if (id != IDOK && id != IDCANCEL) return TRUE;
      if (p->confirming || (id == IDOK && !p->lines.mayApply)) {
        MessageBeep(MB_OK);
      } else if (id == IDOK) {
        Confirm(dialog, p);
      } else {
        EndDialog(dialog, 0);
      }
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

PlanConfirmation PreviewAndApplyPlan(MainWindow& w, const char16_t* path, const NumberPlan* plan) {
  Preview p = {&w, path, plan, {}, kPlanNotApplied, false};
  SetAppCursor(w.window, IDC_WAIT, 0);
  PreviewPlan(plan, w.ports.administrator, &p.lines);
  SetAppCursor(w.window, IDC_ARROW, 0);
  DialogBoxParamW(reinterpret_cast<HINSTANCE>(programInstance), MAKEINTRESOURCEW(IDD_PLAN_PREVIEW),
                  w.window, PreviewProc, reinterpret_cast<LPARAM>(&p));
  ReleasePlanPreview(&p.lines);
  return p.outcome;
}
