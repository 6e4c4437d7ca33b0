// The grid's event hooks, the deferred layout message, taking the focus, what happens when the window
// is made (button sizes) and the columns' own pop-up menus on a right click.

#include <cmath>

#include "dataedit/ToolCtrlsX.h"
#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFilterRow.h"
#include "platform/controls/menus.h"
#include "platform/win/windows.h"

// ---------------------------------------------------------------------------------------------------
// Event hooks

void TCustomDBGridX::CellClick(TColumnX* Column) {
  if (OnCellClick) OnCellClick(Column);
}

void TCustomDBGridX::TitleClick(TColumnX* Column) {
  if (OnTitleClick) OnTitleClick(Column);
}

void TCustomDBGridX::LeaveColumn() {
  if (OnLeaveColumn) OnLeaveColumn(this);
}

void TCustomDBGridX::EnterColumn() {
  UpdateIme();
  if (OnEnterColumn) OnEnterColumn(this);
}

void TCustomDBGridX::DrawColumnCell(const TRect& Rect, int DataCol, TColumnX* Column, TGridDrawState State) {
  if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridX::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
  if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TCustomDBGridX::EditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(this);
}

void TCustomDBGridX::DoGetCellParams(TColumnX* Column, TFont* AFont, TColor& Background, TGridDrawState State) {
  if (OnGetCellParams) OnGetCellParams(this, Column, AFont, Background, State);
}

void TCustomDBGridX::DoGetFooterParams(int DataCol, int Row, TColumnX* Column, TFont* AFont, TColor& Background,
                                       TAlignment& Alignment, TGridDrawState State, std::string& Text) {
  if (OnGetFooterParams) OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

void TCustomDBGridX::TitleBtnClick(int ACol, TColumnX* Column) {
  if (OnTitleBtnClick) OnTitleBtnClick(this, ACol, Column);
}

bool TCustomDBGridX::CheckTitleButton(int ACol, TColumnX* Column) {
  bool enabled = Column && Column->Title()->TitleButton();
  if (OnCheckTitleButton) OnCheckTitleButton(this, ACol, Column, enabled);
  return enabled;
}

// ---------------------------------------------------------------------------------------------------
// Deferred layout

bool TCustomDBGridX::DeferredLayoutQueued() {
  if (!HandleAllocated()) return false;
  MSG m;
  return PeekMessage(&m, Handle(), WM_DEFERLAYOUTX, WM_DEFERLAYOUTX, PM_NOREMOVE);
}

void TCustomDBGridX::DeferLayout() {
  bool posted = false;
  if (HandleAllocated()) {
    posted = true;
    if (!DeferredLayoutQueued()) PostMessage(Handle(), WM_DEFERLAYOUTX, 0, 0);
  }
  // Only a lock that is held is released (callers without one, such as Loaded, leave the counts alone).
  if (FLayoutLock > 0) ReleaseLayoutLock();
  // Without a window nothing can be posted: the layout runs now.
  if (!posted) LayoutChanged();
}

// ---------------------------------------------------------------------------------------------------
// Focus and window

bool TCustomDBGridX::GainFocus() {
  // A filter cell being edited holds the focus for the grid already.
  auto filterFocused = [this] { return FFilterEditing && FFilterEditor && FFilterEditor->Focused(); };
  if (FGrabFocus && !IsDesigning() && !HasFocusInside() && !filterFocused() && CanFocus()) SetFocus();
  return HasFocusInside() || filterFocused();
}

void TCustomDBGridX::CreateWnd() {
  BeginUpdate();
  struct End {
    TCustomDBGridX* G;
    ~End() { G->EndUpdate(); }
  } end{this};
  TCustomGrid::CreateWnd();
  // The grid's own input-method settings: a column without its own goes back to these.
  FOriginalImeName = ImeName();
  FOriginalImeMode = ImeMode();
  FButtonWidth = FFlat ? FlatButtonWidth + 1 : GetSystemMetrics(SM_CXVSCROLL);
  int rowH = DefaultRowHeight();
  FButtonHeight = rowH > static_cast<int>(std::lround(FButtonWidth * 3.0 / 2.0)) ? FButtonWidth : rowH;
}

void TCustomDBGridX::DefaultHandler(TMessage& Message) {
  if (Message.Msg == WM_DEFERLAYOUTX) {
    LayoutChanged();
    Message.Result = 0;
    return;
  }
  TCustomGrid::DefaultHandler(Message);
  if (Message.Msg != WM_RBUTTONUP) return;
  // A right click on a data cell pops up that column's own menu.
  int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  TGridCoord cell = MouseCoord(x, y);
  if (cell.X < FIndicatorOffset || cell.Y < 0) return;
  TColumnX* col = ColumnAt(RawToDataColumn(cell.X));
  TPopupMenu* menu = col ? col->PopupMenu() : nullptr;
  if (!menu || !menu->AutoPopup()) return;
  if (HandleAllocated()) SendMessage(Handle(), WM_CANCELMODE, 0, 0);
  TPoint p = ClientToScreen(TPoint(x, y));
  menu->SetPopupComponent(this);
  menu->Popup(p.X, p.Y);
  Message.Result = 1;
}

void TGridDataLinkX::FocusControl(TField*& Field) {
  if (!Field) return;
  TDBGridColumnsX* cols = FGrid->Columns();
  for (int i = 0; i < cols->Count(); ++i)
    if (cols->Items(i)->Field() == Field) {
      FGrid->SelectColumn(i, 0, false);
      break;
    }
  if (FGrid->GetSelectedField() == Field && FGrid->GainFocus()) {
    Field = nullptr;
    FGrid->ShowEditor();
  }
}
