// TInplaceEdit: the editor a grid shows over its current cell.
#include <algorithm>

#include "platform/controls/grids.h"

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TInplaceEditBase(AOwner) {
  FGrid = dynamic_cast<TCustomGrid*>(AOwner);
  FVisible = false;
  FTabStop = false;
  FParentColor = false;
  SetBorderStyle(0);  // the cell is the frame
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
  TInplaceEditBase::CreateParams(Params);
  Params.Style &= ~(WS_BORDER | WS_TABSTOP);
  Params.Style |= WS_CLIPSIBLINGS;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

bool TInplaceEdit::EditVisible() const { return FVisible && FHandle != nullptr; }

void TInplaceEdit::HideEditWindow() { SetVisible(false); }

void TInplaceEdit::VisibleChanging() {
  TInplaceEditBase::VisibleChanging();
  // Hidden while it has the focus (also by the inherited Hide): the grid takes the focus back.
  if (FVisible && FHandle && GetFocus() == FHandle && FGrid && FGrid->HandleAllocated()) ::SetFocus(FGrid->Handle());
}

void TInplaceEdit::Move(const TRect& Loc) {
  UpdateLoc(Loc);
  if (EditVisible() && FGrid && FGrid->IsActiveControl() && GetFocus() != FHandle) ::SetFocus(Handle());
}

void TInplaceEdit::UpdateLoc(const TRect& Loc) {
  if (Loc.IsEmpty()) {
    HideEditWindow();
    return;
  }
  SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
  BoundsChanged();
  if (!FVisible) {
    bool gridFocused = FGrid && FGrid->HandleAllocated() && GetFocus() == FGrid->Handle();
    SetVisible(true);
    if (gridFocused) ::SetFocus(Handle());
  }
  Invalidate();
}

void TInplaceEdit::Deselect() { SetSelStart(static_cast<int>(Text().size())); }

void TInplaceEdit::UpdateContents() {
  if (!FGrid || FCol < 0 || FRow < 0) return;
  FLoading = true;
  try {
    SetText(std::string());
    SetEditMask(FGrid->GetEditMask(FCol, FRow));
    SetText(FGrid->GetEditText(FCol, FRow));
    SetMaxLength(FGrid->GetEditLimit());
    SetColor(FGrid->Color());
  } catch (...) {
    FLoading = false;
    throw;
  }
  FLoading = false;
  FOriginal = Text();
  // A freshly loaded cell holds nothing typed. Setting a text equal to the one shown leaves the flag as
  // it was, so an editor emptied on one cell would otherwise come to an empty cell marked as changed.
  SetModified(false);
}

void TInplaceEdit::Reset() {
  if (Text() != FOriginal) SetText(FOriginal);
  SelectAll();
}

void TInplaceEdit::Change() {
  TInplaceEditBase::Change();
  if (!FLoading && FGrid && FCol >= 0 && FRow >= 0) FGrid->SetEditText(FCol, FRow, Text());
}

bool TInplaceEdit::WantsKey(WORD Key, TShiftState Shift) {
  if (Key == VK_RETURN || Key == VK_ESCAPE) return true;
  if (Key == VK_TAB) return FGrid && FGrid->Options().Contains(goTabs) && !Shift.Contains(ssAlt);
  return Key == VK_UP || Key == VK_DOWN || Key == VK_LEFT || Key == VK_RIGHT || Key == VK_PRIOR || Key == VK_NEXT;
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (!FGrid) {
    TInplaceEditBase::KeyDown(Key, Shift);
    return;
  }
  auto toGrid = [&] {
    FGrid->KeyDown(Key, Shift);
    Key = 0;
  };
  bool forward = FGrid->Options().Contains(goAlwaysShowEditor);
  bool ctrl = Shift.Contains(ssCtrl);
  int len = static_cast<int>(Text().size());
  bool atStart = SelStart() == 0 && SelLength() == 0;
  bool atEnd = SelStart() == len && SelLength() == 0;
  bool all = SelStart() == 0 && SelLength() == len;
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_ESCAPE: case VK_F2:
      toGrid();
      return;
    case VK_INSERT:
      if (Shift.Empty()) {
        toGrid();
        return;
      }
      break;
    case VK_LEFT:
    case VK_HOME:
      if (forward && (ctrl || atStart || all)) {
        toGrid();
        return;
      }
      break;
    case VK_RIGHT:
    case VK_END:
      if (forward && (ctrl || atEnd || all)) {
        toGrid();
        return;
      }
      break;
    case VK_TAB:
      if (!Shift.Contains(ssAlt)) {
        toGrid();
        return;
      }
      break;
    case VK_DELETE:
      if (ctrl) {
        toGrid();
        return;
      }
      [[fallthrough]];
    case VK_BACK:
      if (!FGrid->CanEditModify()) {
        Key = 0;
        return;
      }
      break;
    default:
      break;
  }
  TInplaceEditBase::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(WideChar& Key) {
  if (FGrid) {
    if (Key >= 32 && Key != 127 && !FGrid->CanEditAcceptKey(Key)) Key = 0;
    switch (Key) {
      case 9:
      case 27:
        Key = 0;
        break;
      case 13:
        FGrid->KeyPress(Key);
        Key = 0;
        break;
      case 8:
      case 22:  // Ctrl+V
      case 24:  // Ctrl+X
        if (!FGrid->CanEditModify()) Key = 0;
        break;
      default:
        if (Key >= 32 && !FGrid->CanEditModify()) Key = 0;
        break;
    }
  }
  if (Key) TInplaceEditBase::KeyPress(Key);
}

void TInplaceEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TInplaceEditBase::Dispatch(Message);
    Message.Result |= DLGC_WANTARROWS;
    if (FGrid && FGrid->Options().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
    return;
  }
  TInplaceEditBase::Dispatch(Message);
}

bool TInplaceEdit::EditCanModify() { return !FGrid || FGrid->CanEditModify(); }
