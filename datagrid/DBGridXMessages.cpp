// The grid's answers to window-size changes, focus changes, the wheel and cancel-mode notices, and the
// footer font and title image list it shows. WndProc (DBGridXActions.cpp) routes the messages here.
//
// Gaining the focus, the grid takes the current column's input method (the column's own settings, else
// the grid's); leaving it, the grid and the keyboard go back to the defaults.
#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXInplace.h"
#include "platform/forms/forms.h"

// ---------------------------------------------------------------------------------------------------
// Size

void TCustomDBGridX::WMSize(TMessage& /*Message*/) {
  // The client area changed (the window's size, or a scroll bar came or went): as many records as
  // now fit are shown. Painting held by BeginUpdate leaves that to the code holding it.
  if (FUpdateLock > 0) {
    // The window being made (or other held painting) would otherwise keep the rows of the old client
    // area: the layout follows once the messages are pumped.
    // (Posted here: DeferLayout would also release a layout lock that is not ours.)
    if (HandleAllocated() && FDataLink->Active() && !DeferredLayoutQueued())
      PostMessage(Handle(), WM_DEFERLAYOUTX, 0, 0);
    UpdateHorzExtScrollBar();
    return;
  }
  // Rows and scroll bars can change the client area again; a nested size notice is not followed
  // further than one level (the second pass sees the final client area).
  if (FSizeDepth > 1) return;
  ++FSizeDepth;
  struct TDepth {
    int& D;
    ~TDepth() { --D; }
  } depth{FSizeDepth};
  if (!FAutoFitColWidths || IsDesigning()) {
    UpdateRowCount();
    UpdateVertScrollBar();
    // Only while a filter cell is edited: placing the editor otherwise ends filter editing, which
    // would hide the cell editor on every size change.
    if (FFilterEditing && FFilterEditor) PlaceFilterEditor(false);
  } else {
    // Auto-fit shares the new width among the columns.
    LayoutChanged();
    InvalidateEditor();
  }
  UpdateHorzExtScrollBar();
}

// ---------------------------------------------------------------------------------------------------
// Focus

void TCustomDBGridX::InvalidateRowSelectBox() {
  if (!HandleAllocated() || !FDataOptions.Contains(gdoRowSelect)) return;
  TGridRect r = Selection();
  r.Left = 0;
  r.Right = ColCount() - 1;
  InvalidateCellBox(r);
}

void TCustomDBGridX::UpdateSelectionActive() { ShowSelectionActive(HasFocusInside()); }

void TCustomDBGridX::FocusLeaving(HWND To) {
  // While the focus moves nothing holds it: where it goes decides.
  const bool inside = To && ((HandleAllocated() && To == Handle()) ||
                             (InplaceEditor() && InplaceEditor()->HandleAllocated() && To == InplaceEditor()->Handle()));
  ShowSelectionActive(inside);
}

void TCustomDBGridX::ShowSelectionActive(bool Active) {
  if (Active == FSelectionActiveShown) return;
  FSelectionActiveShown = Active;
  if (HandleAllocated()) RepaintSelection();
}

void TCustomDBGridX::UpdateIme() {
  if (!InputMethodPresent() || FColumns->Count() == 0) return;
  TImeName name = FOriginalImeName;
  TImeMode mode = FOriginalImeMode;
  if (TColumnX* c = ColumnAt(GetSelectedIndex())) {
    if (c->AssignedValues().Contains(cvImeMode)) mode = c->ImeMode();
    if (c->AssignedValues().Contains(cvImeName)) name = c->ImeName();
  }
  // Each window applies them at once while it has the focus, else when it gains it.
  SetImeName(name);
  SetImeMode(mode);
  if (TInplaceEdit* e = InplaceEditor()) {
    e->SetImeName(name);
    e->SetImeMode(mode);
  }
}

void TCustomDBGridX::WMSetFocus(TMessage& Message) {
  HWND from = reinterpret_cast<HWND>(Message.WParam);
  if (!InplaceEditor() || !InplaceEditor()->HandleAllocated() || from != InplaceEditor()->Handle()) UpdateIme();
  InvalidateRowSelectBox();
  TCustomGrid::WndProc(Message);
  // Filter editing goes on where it was: the focus passes to the filter editor (unless it came from
  // there, as when Esc or Enter hands it back to the grid).
  if (FFilterEditing && FFilterEditor && FFilterEditor->GetVisible() && FFilterEditor->HandleAllocated() &&
      from != FFilterEditor->Handle() && !IsChild(FFilterEditor->Handle(), from) && FFilterEditor->CanFocus())
    FFilterEditor->SetFocus();
  UpdateSelectionActive();
}

void TCustomDBGridX::WMKillFocus(TMessage& Message) {
  HWND to = reinterpret_cast<HWND>(Message.WParam);
  bool toEditor = InplaceEditor() && InplaceEditor()->HandleAllocated() && to == InplaceEditor()->Handle();
  // Ctrl-clicked titles are sorted by when the grid is left (not for its own cell editor).
  if (FSortMarkAdding && !toEditor) {
    FSortMarkAdding = false;
    ApplySortMarking();
  }
  InvalidateRowSelectBox();
  if (InputMethodPresent()) {
    SetImeName(DefaultImeName());
    SetImeMode(imDontCare);
  }
  TCustomGrid::WndProc(Message);
  if (InputMethodPresent() && !toEditor && Screen) ActivateKeyboardLayout(Screen->DefaultKbLayout(), KLF_ACTIVATE);
  FocusLeaving(to);
}

// ---------------------------------------------------------------------------------------------------
// Wheel and cancel mode

bool TCustomDBGridX::WheelToEditors(TMessage& Message) {
  TWinControl* target = nullptr;
  bool list = false;
  if (TDBGridInplaceEdit* ed = InplaceEditX(); ed && ed->ListShown() && ed->DropDownControl()) {
    target = ed->DropDownControl();
    list = true;
  } else if (FFilterEditing && FFilterEditor && FFilterEditor->GetVisible()) {
    target = FFilterEditor;
  }
  if (!target) return false;
  // A window wheel that reached the grid from the focused editor has been offered to it already.
  if (Message.Msg == WM_MOUSEWHEEL && target->HandleAllocated()) {
    HWND focus = GetFocus();
    if (focus && (focus == target->Handle() || IsChild(target->Handle(), focus))) {
      Message.Result = 0;
      return true;
    }
  }
  // What the target does not take comes back up to the grid as its parent's wheel: that is not
  // passed on again (the grid does not scroll under an open list or a filter edit either).
  FWheelForwarding = true;
  LRESULT r = 0;
  try {
    r = target->Perform(WM_MOUSEWHEEL, Message.WParam, Message.LParam);
  } catch (...) {
    FWheelForwarding = false;
    throw;
  }
  FWheelForwarding = false;
  Message.Result = list ? (r != 0 ? 1 : 0) : r;
  return true;
}

void TCustomDBGridX::CMMouseWheel(TMessage& Message) {
  if (FWheelForwarding) {
    Message.Result = 0;
    return;
  }
  if (WheelToEditors(Message)) return;
  // The grid's own wheel: the records move.
  TShiftState shift = KeysToShiftState(static_cast<WPARAM>(GET_KEYSTATE_WPARAM(Message.WParam)));
  TPoint pos(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
  Message.Result = DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(Message.WParam), pos) ? 1 : 0;
}

void TCustomDBGridX::CMCancelMode(TMessage& Message) {
  TCustomGrid::WndProc(Message);
  // The filter editor closes its drop-down unless the press was inside it.
  if (FFilterEditor && FFilterEditor->HandleAllocated())
    FFilterEditor->Perform(CM_CANCELMODE, Message.WParam, Message.LParam);
}

// ---------------------------------------------------------------------------------------------------
// Footer font and title images

void TCustomDBGridX::RebuildSortMarkedColumns() {
  FSortMarkedColumns.clear();
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnX* col = FColumns->Items(i);
    const int index = col->Title()->SortIndex();
    if (index <= 0) continue;
    if (FSortMarkedColumns.size() < static_cast<size_t>(index)) FSortMarkedColumns.resize(static_cast<size_t>(index), nullptr);
    FSortMarkedColumns[static_cast<size_t>(index) - 1] = col;
  }
}

void TCustomDBGridX::SetVTitleMargin(int Value) {
  FVTitleMargin = Value;
  LayoutChanged();
}

void TCustomDBGridX::FooterFontChanged() {
  if (!IsLoading()) SetParentFont(false);
  if (FFooterRowCount > 0) LayoutChanged();
}

void TCustomDBGridX::SetTitleImages(TCustomImageList* Value) {
  if (FTitleImages == Value) return;
  if (!FTitleImageChangeLink) {
    FTitleImageChangeLink = std::make_unique<TChangeLink>();
    FTitleImageChangeLink->OnChange = [this](TObject*) { TitleImagesChanged(); };
  }
  if (FTitleImages) {
    FTitleImages->UnRegisterChanges(FTitleImageChangeLink.get());
    FTitleImages->RemoveFreeNotification(this);
  }
  FTitleImages = Value;
  if (FTitleImages) {
    FTitleImages->RegisterChanges(FTitleImageChangeLink.get());
    FTitleImages->FreeNotification(this);
  }
  LayoutChanged();
}

void TCustomDBGridX::TitleImagesChanged() { Invalidate(); }

void TCustomDBGridX::TitleImagesNotification(TComponent* AComponent, TOperation Operation) {
  if (Operation != opRemove || !FTitleImages || AComponent != static_cast<TComponent*>(FTitleImages)) return;
  // The list is being destroyed: it forgets the change link itself.
  FTitleImages = nullptr;
  if (FTitleImageChangeLink) FTitleImageChangeLink->SetSender(nullptr);
  if (!IsDestroying()) LayoutChanged();
}
