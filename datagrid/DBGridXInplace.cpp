// The in-place editor: edit styles, drop-downs, their keys and close-up, completion while typing.
#include "datagrid/DBGridXInplace.h"

#include <algorithm>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBPopupGridX.h"
#include "dataedit/SpecRowX.h"
#include "platform/controls/masks.h"
#include "platform/controls/menus.h"
#include "platform/forms/forms.h"
#include "platform/rtl/sysutils.h"

namespace {

size_t Utf8Length(const std::string& S) {
  size_t n = 0;
  for (unsigned char c : S)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// The first Chars characters of S.
std::string Utf8Prefix(const std::string& S, int Chars) {
  size_t i = 0;
  int n = 0;
  while (i < S.size()) {
    if ((static_cast<unsigned char>(S[i]) & 0xC0) != 0x80) {
      if (n == Chars) break;
      ++n;
    }
    ++i;
  }
  return S.substr(0, i);
}

// The first item whose beginning equals Text ignoring case; -1 when none.
int LocateInStrings(TStrings* List, const std::string& Text) {
  size_t n = Utf8Length(Text);
  for (int i = 0; i < List->Count(); ++i)
    if (AnsiCompareText(Utf8Prefix(List->Strings(i), static_cast<int>(n)), Text) == 0) return i;
  return -1;
}

bool IsNumericField(TField* F) {
  if (!F) return false;
  switch (F->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
    case ftLargeint: case ftFMTBcd:
      return true;
    default:
      return false;
  }
}

TShiftState KeyShiftState(UINT Msg) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (Msg == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

bool IsWindowOrChild(TWinControl* Control, HWND Wnd) {
  if (!Control || !Control->HandleAllocated() || !Wnd) return false;
  return Wnd == Control->Handle() || IsChild(Control->Handle(), Wnd);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Creation and styles

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {
  FLookupSource = new TDataSource(this);
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() {
  if (FLookupList) {
    FLookupList->OnPickByMouse = nullptr;
    FLookupList->OnKeyValueChangedByUser = nullptr;
    FLookupList->OnColumnMoved = nullptr;
  }
  if (FMRUList) FMRUList->OnCloseList = nullptr;
}

TColumnX* TDBGridInplaceEdit::CurrentColumn() const {
  TCustomDBGridX* g = DBGrid();
  if (!g) return nullptr;
  return g->ColumnAt(g->GetSelectedIndex());
}

TColumnEditStyleX TDBGridInplaceEdit::StyleFor(TColumnX* Column, bool ForContents) const {
  if (!Column) return cesSimple;
  switch (Column->ButtonStyle()) {
    case cbsEllipsis: return cesEllipsis;
    case cbsUpDown: return cesUpDown;
    case cbsDropDown: return cesDropDown;
    case cbsNone: return cesSimple;
    case cbsAuto: break;
  }
  TCustomDBGridX* g = DBGrid();
  TField* f = Column->Field();
  if (!f || !g) return cesSimple;
  if (f->Lookup()) {
    bool keys = false;
    if (!f->KeyFields().empty()) {
      std::vector<TField*> list;
      try {
        f->DataSet()->GetFieldList(list, f->KeyFields());
      } catch (EDatabaseError&) {
        list.clear();
      }
      keys = !list.empty();
      for (TField* k : list)
        if (!k->CanModify() && !(g->IsDesigning() && !ForContents)) keys = false;
    }
    bool columnReadOnly = Column->AssignedValues().Contains(cvReadOnly) && Column->ReadOnly();
    if (keys && !columnReadOnly && !g->ReadOnly() && g->DataLink()->Active() && !g->DataLink()->ReadOnly())
      return cesLookupList;
    return cesSimple;
  }
  if (Column->HasPickList() && Column->PickList()->Count() > 0 && !f->ReadOnly() &&
      (ForContents || !Column->ImageList()))
    return cesPickList;
  if ((f->DataType() == ftDate || f->DataType() == ftDateTime || f->DataType() == ftTimeStamp) && !f->ReadOnly())
    return cesCalendar;
  return cesSimple;
}

TColumnEditStyleX TDBGridInplaceEdit::GetColumnEditStyle(TColumnX* Column) const { return StyleFor(Column, false); }

bool TDBGridInplaceEdit::CalculatorApplies() {
  TColumnX* c = CurrentColumn();
  return FEditStyle == cesDropDown && c && IsNumericField(c->Field());
}

TPopupCalculatorX* TDBGridInplaceEdit::GetCalculatorControl() {
  if (!FCalculatorControl) {
    FCalculatorControl = new TPopupCalculatorX(this);
    FCalculatorControl->SetVisible(false);
    if (HandleAllocated()) FCalculatorControl->HandleNeeded();
  }
  return FCalculatorControl;
}

void TDBGridInplaceEdit::SetEditStyle(TColumnEditStyleX Value) {
  FEditStyle = Value;
  TColumnX* col = CurrentColumn();
  FDropDownControl = nullptr;
  switch (Value) {
    case cesPickList:
      if (!FPickListControl) {
        FPickListControl = new TPopupListboxX(this);
        FPickListControl->SetVisible(false);
        // The user's drag of the size grip: the column keeps the new rows and width at close-up.
        FPickListControl->SizeGrip()->OnParentResized = [this](TObject*) { FPickListResized = true; };
        FPickListControl->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
          if (Button != mbLeft) return;
          TRect r = FPickListControl->ClientRect();
          CloseUp(X >= 0 && Y >= 0 && X < r.Width() && Y < r.Height());
        };
      }
      FDropDownControl = FPickListControl;
      break;
    case cesLookupList:
      if (col) {
        TPopupDataGridX* l = col->DropDownGrid();
        if (l != FLookupList) {
          if (FLookupList) {
            FLookupList->OnPickByMouse = nullptr;
            FLookupList->OnColumnMoved = nullptr;
          }
          FLookupList = l;
          FLookupList->SetVisible(false);
          FLookupList->SetCtl3D(true);
          FLookupList->FreeNotification(this);
          FLookupList->OnPickByMouse = [this](TObject* Sender, bool Accept) { LookupListPick(Sender, Accept); };
          FLookupList->OnKeyValueChangedByUser = [this](TObject*) {
            if (FListShown && FLookupList) SetTextKeepEdit(FLookupList->SelectedText());
          };
        }
        FDropDownControl = FLookupList;
      }
      break;
    case cesCalendar:
      if (!FCalendarControl) {
        FCalendarControl = new TPopupMonthCalendarX(this);
        FCalendarControl->SetVisible(false);
      }
      FDropDownControl = FCalendarControl;
      break;
    case cesDropDown:
      if (CalculatorApplies()) FDropDownControl = GetCalculatorControl();
      break;
    default:
      break;
  }
  if (col) SetReadOnly(col->ReadOnly());
  Invalidate();
}

void TDBGridInplaceEdit::UpdateContents() {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (FListShown && !KeepListOpen) CloseUp(false);
  SetEditStyle(col ? StyleFor(col, true) : cesSimple);
  if (col) Font()->Assign(col->Font());
  FInternalText = true;
  try {
    TInplaceEdit::UpdateContents();
  } catch (...) {
    FInternalText = false;
    throw;
  }
  FInternalText = false;
  if (col && g) {
    // The cell's parameters as the grid's and the column's cell-parameter events leave them: colour,
    // text and the read-only state (an event that changes it overrides the column's answer).
    TColCellParamsX p;
    col->FillCellParams(&p);
    p.CellColor = col->Color();
    p.Font = Font();
    p.State = TGridDrawState{gdFocused};
    p.Text = Text();
    bool ro = !col->CanModify(false);
    p.ReadOnly = ro;
    g->DoGetCellParams(col, p.Font, p.CellColor, p.State);
    col->GetCellParams(true, &p);
    SetColor(p.CellColor);
    FReadOnlyOverridden = p.ReadOnly != ro;
    SetReadOnly(p.ReadOnly);
    // Several lines only where the grid's rows have room for them.
    SetWordWrap(col->WordWrap() && g->FitRowHeight());
    if (p.Text != Text()) {
      FInternalText = true;
      try {
        SetText(p.Text);
      } catch (...) {
        FInternalText = false;
        throw;
      }
      FInternalText = false;
    }
  }
  if (FMRUList && FMRUList != (col ? col->MRUList() : nullptr)) FMRUList->OnCloseList = nullptr;
  FMRUList = col ? col->MRUList() : nullptr;
  if (FMRUList) FMRUList->OnCloseList = [this](TObject*, bool Accept) { CloseMRUList(Accept); };
  LayoutButtonControls();
}

void TDBGridInplaceEdit::ReloadKeepingTypedText() {
  TCustomDBGridX* g = DBGrid();
  std::string typed = Text();
  int start = SelStart(), length = SelLength();
  bool keep = g && g->DataLink()->EditorChanged();
  UpdateContents();
  if (keep && Text() != typed) {
    SetTextKeepEdit(typed);  // and so the grid's edit text, which the link stores
    SetSelStart(start);
    SetSelLength(length);
  }
}

void TDBGridInplaceEdit::KeepTypedText(const std::string& Text, int SelStart, int SelLength) {
  SetTextKeepEdit(Text);
  SetSelStart(SelStart);
  SetSelLength(SelLength);
}

void TDBGridInplaceEdit::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  if (!HandleAllocated()) return;
  // An open editor changed by its column keeps the focus through its new window.
  bool focused = Focused();
  RecreateWnd();
  if (focused && CanFocus()) SetFocus();
}

void TDBGridInplaceEdit::CreateParams(TCreateParams& Params) {
  TInplaceEdit::CreateParams(Params);
  if (FWordWrap) Params.Style = (Params.Style & ~ES_AUTOHSCROLL) | ES_MULTILINE;
  TCustomDBGridX* g = DBGrid();
  if (FlatButtonWidth <= 0) FlatButtonWidth = ComputeFlatButtonWidth();
  FButtonStripWidth = g && g->Flat() ? FlatButtonWidth + 1 : GetSystemMetrics(SM_CXVSCROLL);
}

void TDBGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TInplaceEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupList) {
    if (FDropDownControl == FLookupList) FDropDownControl = nullptr;
    FLookupList = nullptr;
    FListShown = false;
    FEditStyle = cesSimple;
  }
}

void TDBGridInplaceEdit::SetTextKeepEdit(const std::string& Value) {
  FInternalText = true;
  try {
    SetText(Value);
  } catch (...) {
    FInternalText = false;
    throw;
  }
  FInternalText = false;
}

void TDBGridInplaceEdit::Change() {
  TInplaceEdit::Change();
  if (!FLoading && !FInternalText) UserTextChanged();
}

// ---------------------------------------------------------------------------------------------------
// Drop-down and close-up

TRect TDBGridInplaceEdit::TextRectOnScreen() {
  POINT tl{0, 0}, br{Width(), Height()};
  if (HandleAllocated()) {
    ::ClientToScreen(Handle(), &tl);
    ::ClientToScreen(Handle(), &br);
  }
  return TRect(tl.x, tl.y, br.x, br.y);
}

void TDBGridInplaceEdit::PlaceDropDown(TWinControl* List) {
  TRect r = TextRectOnScreen();
  RECT own{r.Left, r.Top, r.Right, r.Bottom};
  POINT pos{0, 0};
  int minHeight = 1;
  if (List == FPickListControl) minHeight = FPickListControl->ItemHeight();
  PositionDropDownAtRect(own, List, daLeft, pos, minHeight);
  SetWindowPos(List->Handle(), HWND_TOP, pos.x, pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
}

void TDBGridInplaceEdit::DropDown() {
  if (FListShown || !FDropDownControl) return;
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (!g || !col) return;
  // The drop-down has no parent to follow: it reads as the editor (and so the grid) does.
  FDropDownControl->SetBiDiMode(BiDiMode());
  FDropDownControl->SetWidth(Width());
  if (FDropDownControl == FLookupList) {
    TDataSet* lds = col->GetListDataSet();
    TField* f = col->Field();
    if (!lds || !f) return;
    // The list keeps its width still while it is set up.
    FLookupList->SetLookupAutoFitColWidths(false);
    FLookupList->SetColor(Color());
    FLookupList->Font()->Assign(Font());
    FLookupList->SetSpecRow(col->DropDownSpecRow());
    int rows = static_cast<int>(col->DropDownRows());
    if (lds->IsSequenced() && lds->RecordCount() >= 1 && lds->RecordCount() < rows) rows = lds->RecordCount();
    FLookupList->SetShowTitles(col->DropDownShowTitles());
    FLookupList->SetLookupUseMultiTitle(col->DropDownBox()->UseMultiTitle());
    FLookupSource->SetDataSet(lds);
    FLookupList->SetKeyField(f->LookupKeyFields());
    FLookupList->SetListField(col->LookupDisplayFields());
    FLookupList->SetListSource(FLookupSource);
    FLookupList->HandleNeeded();
    FLookupList->SetDisplayRowCount(rows);
    int w = col->DropDownWidth();
    if (w == -1) w = FLookupList->WidthForColumns();
    else if (w <= 0) w = Width();
    // With the drop-down box's auto-fit the columns share the list's width (no horizontal bar, and a
    // list widened by its grip widens them); switched on before the width is set, so that the list
    // still opens at least as wide as the cell.
    FLookupList->SetLookupAutoFitColWidths(col->DropDownBox()->AutoFitColWidths());
    FLookupList->SetWidth(std::max(w, Width()));
    FLookupList->SetKeyValue(g->EditValue());
    FListColumnsMoved = false;
    // The user may drag the list's columns about while it is shown; the special row's cell texts
    // follow them and go back to the column at close-up.
    FLookupList->OnColumnMoved = [this](TObject*, int, int) { FListColumnsMoved = true; };
    FLookupList->SetWasResized(false);
  } else if (FDropDownControl == FCalendarControl) {
    FCalendarControl->SetColor(Color());
    FCalendarControl->Font()->Assign(Font());
    TDateTime d = 0;
    if (Text().empty()) {
      d = Date();
    } else if (!TryStrToDate(Text(), d)) {
      TField* f = col->Field();
      d = f && !f->IsNull() && f->AsDateTime() != 0 ? f->AsDateTime() : Date();
    }
    FCalendarControl->SetDate(d);
    FCalendarControl->HandleNeeded();
    TRect m = FCalendarControl->MinReqRect();
    int frame = 2 * FCalendarControl->FrameSize();
    FCalendarControl->SetBounds(FCalendarControl->Left(), FCalendarControl->Top(), m.Width() + frame,
                                m.Height() + frame);
  } else if (FDropDownControl == FCalculatorControl) {
    double v = 0;
    if (!Text().empty() && !TryStrToFloat(Text(), v)) v = 0;
    FCalculatorControl->SetValue(Variant(v));
    FCalculatorControl->SetFlat(g->Flat());
    FCalculatorControl->HandleNeeded();
    // The calculator takes the typing: no caret or selection in the cell meanwhile.
    if (HandleAllocated()) HideCaret(Handle());
    SetSelLength(0);
  } else if (FDropDownControl == FPickListControl) {
    FPickListControl->SetColor(Color());
    FPickListControl->Font()->Assign(Font());
    TStrings* pick = col->PickList();
    TStrings* items = FPickListControl->Items();
    items->Clear();
    int n = pick->Count();
    bool keys = col->HasKeyList() && col->KeyList()->Count() > 0;
    if (keys) n = std::min(n, col->KeyList()->Count());
    for (int i = 0; i < n; ++i) items->AddObject(pick->Strings(i), pick->Objects(i));
    FPickListControl->HandleNeeded();
    int rows = std::max(1, std::min<int>(n, static_cast<int>(col->DropDownRows())));
    TField* f = col->Field();
    int index = -1;
    if (f && !f->IsNull()) index = keys ? pick->IndexOf(Text()) : items->IndexOf(Text());
    FPickListControl->SetVisibleRows(rows);
    FPickListControl->SetItemIndex(index);
    // The client area (beside a scroll bar the rows call for) takes the widest entry.
    int widest = FPickListControl->ClientWidth();
    for (int i = 0; i < n; ++i)
      widest = std::max<int>(widest, MeasureControlText(items->Strings(i), FPickListControl->Font()).cx);
    FPickListControl->SetClientWidth(widest + 4);
  }
  if (FMRUList && FMRUList->DroppedDown) FMRUList->CloseList(false);
  FTextBeforeDropDown = g->EditText();
  FDropDownControl->HandleNeeded();
  PlaceDropDown(FDropDownControl);
  FDropDownControl->SetVisible(true);
  if (FDropDownControl == FLookupList) {
    FLookupList->SizeGrip()->SetGripVisible(col->DropDownSizing());
    FLookupList->SetWasResized(false);
  } else if (FDropDownControl == FPickListControl) {
    FPickListControl->SizeGrip()->SetGripVisible(col->DropDownSizing());
    FPickListResized = false;
  }
  FListShown = true;
  Invalidate();
  if (HandleAllocated() && GetFocus() != Handle() && IsWindowVisible(Handle())) ::SetFocus(Handle());
  if (TEditButtonControlX* b = ButtonControl(0)) b->SetStayDown(true);
}

std::string TDBGridInplaceEdit::TextWithoutBrowsedItem() const {
  bool list = FListShown && FDropDownControl &&
              (FDropDownControl == FPickListControl || FDropDownControl == FLookupList);
  return list ? FTextBeforeDropDown : Text();
}

void TDBGridInplaceEdit::LookupListPick(TObject*, bool Accept) { CloseUp(Accept); }

void TDBGridInplaceEdit::CloseUp(bool Accept) {
  HWND focus = GetFocus();
  if (FDropDownControl && IsWindowOrChild(FDropDownControl, focus) && HandleAllocated()) ::SetFocus(Handle());
  if (!FListShown) return;
  if (TEditButtonControlX* b = ButtonControl(0)) b->SetStayDown(false);
  if (KeepListOpen) return;
  if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  TWinControl* list = FDropDownControl;
  Variant value = Variant::Null();
  std::string listText;
  if (list && list == FLookupList) {
    value = FLookupList->KeyValue();
    listText = FLookupList->SelectedText();
    if (col && FLookupList->WasResized()) {
      col->SetDropDownRows(static_cast<unsigned>(FLookupList->DisplayRows()));
      col->SetDropDownWidth(FLookupList->Width());
    }
    if (col && FListColumnsMoved) col->DropDownSpecRow()->SetCellsText(FLookupList->SpecRow()->CellsText());
    FListColumnsMoved = false;
  } else if (list && list == FPickListControl) {
    int i = FPickListControl->ItemIndex();
    if (i >= 0 && col) {
      bool keys = col->HasKeyList() && col->KeyList()->Count() > 0;
      value = Variant(keys ? col->KeyList()->Strings(i) : FPickListControl->Items()->Strings(i));
    }
    if (col && FPickListResized) {
      int h = std::max(1, FPickListControl->ItemHeight());
      col->SetDropDownRows(static_cast<unsigned>(std::max(1, FPickListControl->ClientRect().Height() / h)));
      col->SetDropDownWidth(FPickListControl->Width());
    }
  }
  if (list) {
    if (list->HandleAllocated())
      SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    list->SetVisible(false);
  }
  FListShown = false;
  if (list && list == FLookupList) {
    FLookupList->SetLookupAutoFitColWidths(false);
    FLookupList->SetListSource(nullptr);
    FLookupSource->SetDataSet(nullptr);
  }
  if (list && list == FCalculatorControl && HandleAllocated()) ShowCaret(Handle());
  Invalidate();
  if (!g || !col) return;
  if (!Accept) {
    // Back to the text the cell had when the list opened (browsing the list changed the editor's text).
    if (list == FLookupList || list == FPickListControl) {
      SetTextKeepEdit(FTextBeforeDropDown);
      g->SetEditTextX(FTextBeforeDropDown);
    }
    return;
  }
  TField* f = col->Field();
  if (list && list == FLookupList) {
    if (!f || !TCustomDBGridX::FieldModifiable(f)) return;
    bool stored = false;
    try {
      if (g->EnsureEditing() && col->CanModify(true)) {
        g->DataLink()->Edit();
        if (g->DataLink()->Editing()) {
          g->DataLink()->MarkEditorChanged();
          g->SetEditValue(value);
          g->SetEditTextX(listText);
          stored = true;
        }
      }
    } catch (...) {
      // The editor goes back to the field's own text, with nothing appended that a later commit could
      // store.
      SetTextKeepEdit(f->Text());
      throw;
    }
    if (stored) {
      SetTextKeepEdit(listText);
      g->SetEditTextX(listText);
      SelectAll();
    }
  } else if (list && list == FCalendarControl) {
    if (col->CanModify(true) && g->EnsureEditing()) {
      TDateTime d = FCalendarControl->Date();
      col->UpdateDataValue(DateToStr(d), Variant::FromDateTime(d), false);
      SetTextKeepEdit(g->CurrentEditText());
      SelectAll();
    }
  } else if (list && list == FCalculatorControl) {
    if (col->CanModify(true) && g->EnsureEditing()) {
      Variant v;
      FCalculatorControl->GetValue(v);
      switch (v.VarType()) {
        case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: {
          std::string t = FloatToStr(v.AsDouble());
          SetTextKeepEdit(t);
          g->SetEditTextX(t);
          SelectAll();
          break;
        }
        default:
          break;
      }
    }
  } else if (list && list == FPickListControl) {
    if (!value.IsNull() && g->EnsureEditing()) {
      std::string t;
      if (col->HasKeyList() && col->KeyList()->Count() > 0) {
        int i = FPickListControl->ItemIndex();
        if (i >= 0) t = FPickListControl->Items()->Strings(i);
      } else {
        t = VarToStr(value);
      }
      SetTextKeepEdit(t);
      g->SetEditTextX(t);
      SelectAll();
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Window procedure and keys

bool TDBGridInplaceEdit::HandleListKey(TMessage& M) {
  bool keyDown = M.Msg == WM_KEYDOWN || M.Msg == WM_SYSKEYDOWN;
  WORD key = static_cast<WORD>(M.WParam);
  TShiftState shift = KeyShiftState(M.Msg);
  bool calc = FDropDownControl && FDropDownControl == FCalculatorControl;
  if (keyDown) {
    if ((key == VK_RETURN || key == VK_ESCAPE) && FListShown && !shift.Contains(ssAlt) && !calc) {
      CloseUp(key == VK_RETURN);
      // Taken whole: no character follows to the grid once the drop-down is gone.
      M.Result = 1;
      return true;
    }
    if (key == VK_RETURN && shift.Contains(ssCtrl) && !FListShown) {
      DropDown();
      return true;
    }
    if ((key == VK_UP || key == VK_DOWN) && shift.Contains(ssAlt)) {
      if (FListShown) CloseUp(true);
      else DropDown();
      return true;
    }
  } else if (M.Msg == WM_CHAR && key >= 32 && !FListShown) {
    TColumnX* col = CurrentColumn();
    if (col && col->AutoDropDown()) DropDown();
  }
  if (!FListShown || !FDropDownControl) return false;
  if (calc) {
    // Esc closes the calculator from its key-down; Enter works as its character ("=" or "Ok"), so its
    // key-down goes nowhere else.
    if (keyDown && (key == VK_RETURN || key == VK_ESCAPE)) {
      if (key == VK_ESCAPE) SendMessage(FCalculatorControl->Handle(), WM_KEYDOWN, key, 0);
      return true;
    }
    if (M.Msg == WM_CHAR && (key == 13 || key == 27 || (key >= 32 && key <= 126))) {
      if (key != 27) SendMessage(FCalculatorControl->Handle(), WM_CHAR, key, 0);
      return true;
    }
    return false;
  }
  // Only key-down messages navigate: a character code that equals a virtual-key code ('!' is VK_PRIOR)
  // is typed, not taken for a key.
  if (!keyDown) return false;
  bool nav = ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !shift.Contains(ssShift)) ||
             ((key == VK_HOME || key == VK_END) && shift.Contains(ssCtrl)) ||
             ((key == VK_LEFT || key == VK_RIGHT) && FDropDownControl == FCalendarControl);
  if (!nav) return false;
  if (FDropDownControl == FLookupList) {
    WORD k = key;
    FLookupList->UserKeyDown(k, shift);
  } else {
    SendMessage(FDropDownControl->Handle(), M.Msg, M.WParam, M.LParam);
  }
  if (FDropDownControl == FLookupList) {
    SetTextKeepEdit(FLookupList->SelectedText());
  } else if (FDropDownControl == FPickListControl) {
    int i = FPickListControl->ItemIndex();
    if (i >= 0 && FPickListControl->Items()->Strings(i) != Text())
      SetTextKeepEdit(FPickListControl->Items()->Strings(i));
  }
  return true;
}

bool TDBGridInplaceEdit::InButtonStrip(int X) const {
  TCustomDBGridX* g = DBGrid();
  bool rtl = g && g->RightToLeft();
  return rtl ? X < FButtonStripWidth : X >= Width() - FButtonStripWidth;
}

void TDBGridInplaceEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
      if (FMRUList && FMRUList->DroppedDown && HandleMRUKey(M)) return;
      if ((FEditStyle == cesPickList || FEditStyle == cesLookupList || FEditStyle == cesCalendar ||
           CalculatorApplies()) &&
          HandleListKey(M))
        return;
      break;
    case WM_KILLFOCUS: {
      HWND to = reinterpret_cast<HWND>(M.WParam);
      TCustomDBGridX* grid = DBGrid();
      if (InputMethodPresent()) {
        SetImeName(DefaultImeName());
        SetImeMode(imDontCare);
      }
      TInplaceEdit::WndProc(M);
      if (InputMethodPresent() && Screen && !(grid && grid->HandleAllocated() && to == grid->Handle()))
        ActivateKeyboardLayout(Screen->DefaultKbLayout(), KLF_ACTIVATE);
      if (TCustomDBGridX* g = DBGrid()) g->FocusLeaving(to);  // the grid's selection may turn inactive
      if (FListShown) {
        if (!IsWindowOrChild(FDropDownControl, to)) CloseUp(false);
      } else if (FMRUList && FMRUList->DroppedDown && !IsWindowOrChild(FMRUListControl, to)) {
        CloseMRUList(false);
      }
      return;
    }
    case WM_SETFOCUS:
      // Coming from outside the grid: the grid has the focus inside again (its selection repaints), and
      // the editor takes the column's input method (the grid passes it on when the focus came by it).
      if (TCustomDBGridX* g = DBGrid()) {
        g->UpdateSelectionActive();
        if (!g->HandleAllocated() || reinterpret_cast<HWND>(M.WParam) != g->Handle()) g->UpdateIme();
      }
      break;
    case WM_SETCURSOR:
      if (FEditStyle != cesSimple || ButtonControlCount() > 1) {
        POINT p{0, 0};
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        if (InButtonStrip(p.x)) {
          ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
          M.Result = 1;
          return;
        }
      }
      break;
    case WM_MOUSEWHEEL:
      if (FListShown) {
        M.Result = 1;
        return;
      }
      break;
    case WM_SKIPBUTTONDOWN:
      return;
    case CM_CANCELMODE: {
      // Another control was pressed: a drop-down (or the MRU list) that the press was outside of closes.
      TInplaceEdit::WndProc(M);
      auto* sender = reinterpret_cast<TControl*>(M.LParam);
      auto within = [sender](TControl* Root) {
        for (TControl* c = sender; c; c = c->Parent())
          if (c == Root) return true;
        return false;
      };
      if (!sender || within(this)) return;
      if (FListShown) {
        if (!within(FDropDownControl)) CloseUp(false);
      } else if (FMRUList && FMRUList->DroppedDown && !within(FMRUListControl)) {
        CloseMRUList(false);
      }
      return;
    }
    case WM_PASTE:
      if (HandlePaste()) return;
      break;
    default:
      break;
  }
  TInplaceEdit::WndProc(M);
  if (FTextChangedByUser) {
    FTextChangedByUser = false;
    // Text the user typed with the list open is his: a list closed without a pick goes back to it, not
    // to the text from before he typed.
    if (FListShown) FTextBeforeDropDown = Text();
    DriveMRUList();
  }
}

void TDBGridInplaceEdit::DefaultHandler(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
      // Over the button strip (between or beside the buttons) the edit itself takes no click.
      if (FEditStyle != cesSimple && !GetCapture() && InButtonStrip(GET_X_LPARAM(M.LParam))) return;
      break;
    default:
      break;
  }
  TInplaceEdit::DefaultHandler(M);
}

void TDBGridInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (!g || !col) {
    TInplaceEdit::KeyDown(Key, Shift);
    return;
  }
  if ((FEditStyle == cesEllipsis || FEditStyle == cesDropDown) && Key == VK_RETURN && Shift.Contains(ssCtrl)) {
    MSG m;
    if (HandleAllocated()) PeekMessage(&m, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    g->EditButtonClick();
    Key = 0;
    return;
  }
  TColumnCellKindX kind = col->GetCellKind();
  bool listCell = kind == cckLookup || kind == cckKeyPickList;
  if (listCell && (Key == VK_DELETE || Key == VK_BACK) && Shift.Empty() && col->CanModify(false)) {
    DeleteInListCell(Key == VK_BACK);
    Key = 0;
    return;
  }
  // A wrapping editor that always shows keeps Up and Down for its own lines; the grid moves only from
  // the first line up, from the last line down, or when the whole text is selected.
  if ((Key == VK_UP || Key == VK_DOWN) && FWordWrap && g->Options().Contains(gdoAlwaysShowEditor) &&
      HandleAllocated()) {
    int lines = static_cast<int>(Perform(EM_GETLINECOUNT, 0, 0));
    int line = static_cast<int>(Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
    bool all = SelStart() == 0 && SelLength() == static_cast<int>(Utf8Length(Text()));
    bool edge = Key == VK_UP ? line <= 0 : line >= lines - 1;
    if (all || edge) TInplaceEdit::KeyDown(Key, Shift);
    return;
  }
  // Enter as Tab and copying from the prior record are the grid's.
  TShortCut sc = ShortCut(Key, Shift);
  if ((Key == VK_RETURN && g->OptionsX().Contains(gxoEnterAsTab)) || (sc != 0 && sc == CopyFromPriorRecordShortCut)) {
    g->EditorKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  // The grid's in-place search, or the find dialog, which starts with the editor's selected text (also
  // when it takes over from a running search on the same short-cut).
  if (sc != 0 && sc == SearchShortCut && g->OptionsX().Contains(gxoIncSearch)) {
    if (g->InSearch() && FindDialogShortCut == SearchShortCut) {
      std::string selected = SelText();
      g->StopInplaceSearch();
      ShowGridFindDialog(g, selected, false);
    } else {
      g->InplaceSearch({}, -1, 0);
    }
    Key = 0;
    return;
  }
  if (sc != 0 && sc == FindDialogShortCut && g->OptionsX().Contains(gxoFindDialog)) {
    ShowGridFindDialog(g, SelText(), false);
    Key = 0;
    return;
  }
  if (FEditStyle == cesLookupList) {
    TSpecRowX* specRow = col->DropDownSpecRow();
    if (specRow && specRow->Visible() && specRow->ShortCut() != 0 && specRow->ShortCut() == ShortCut(Key, Shift) &&
        col->CanModify(false)) {
      if (col->CanModify(true)) {
        std::string t = specRow->GetColumnText(0);
        SetTextKeepEdit(t);
        g->SetEditTextX(t);
        g->SetEditValue(specRow->Value());
        if (FListShown && FLookupList) FLookupList->SetKeyValue(specRow->Value());
        SelectAll();
      }
      Key = 0;
      return;
    }
  }
  if (Key != 0) {
    if (TEditButtonX* b = FindButtonByShortCut(ShortCut(Key, Shift))) {
      for (int i = 1; i < ButtonControlCount(); ++i) {
        if (col->EditButtons()->Items(i - 1) == b) {
          bool autoRepeat = false, handled = false;
          ButtonControlDown(FButtonControls[i].second, true, autoRepeat, handled);
          ButtonControlClick(FButtonControls[i].second);
          break;
        }
      }
      Key = 0;
      return;
    }
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) {
  WORD key = Key;
  TInplaceEdit::KeyUp(Key, Shift);
  // The shown lookup list never has the focus: letting Ctrl go reaches it from here (it sorts by the
  // titles Ctrl-clicked meanwhile).
  if (key == VK_CONTROL && FEditStyle == cesLookupList && FListShown && FLookupList && FLookupList->HandleAllocated())
    SendMessage(FLookupList->Handle(), WM_KEYUP, VK_CONTROL, 0);
  // A title click gives the focus back to this editor, so letting Ctrl go after Ctrl-clicking titles
  // arrives here: the grid sorts by them then, as it does when it has the focus itself.
  TCustomDBGridX* g = DBGrid();
  if (key == VK_CONTROL && g && g->SortMarkAdding() && g->HandleAllocated())
    SendMessage(g->Handle(), WM_KEYUP, VK_CONTROL, 0);
}

void TDBGridInplaceEdit::DeleteInListCell(bool Backspace) {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  int len = static_cast<int>(Utf8Length(Text()));
  bool all = SelStart() == 0 && SelLength() == len;
  if (!Backspace && all && col->CanModify(true)) {
    if (FEditStyle == cesLookupList) {
      if (TCustomDBGridX::FieldModifiable(col->Field())) {
        g->DataLink()->Edit();
        g->DataLink()->MarkEditorChanged();
        g->SetEditValue(Variant::Null());
        SetTextKeepEdit({});
        g->SetEditTextX({});
        if (FListShown && FLookupList) FLookupList->SetKeyValue(Variant::Null());
      }
    } else if (col->GetCellKind() == cckKeyPickList) {
      SetTextKeepEdit({});
      g->SetEditTextX({});
      if (FListShown && FPickListControl) FPickListControl->SetItemIndex(-1);
    }
    return;
  }
  if (col->OnNotInList) {
    if (!col->CanModify(true)) return;
    std::string t = Text();
    int start = SelStart(), sel = SelLength();
    std::string before = Utf8Prefix(t, start), after = t.substr(Utf8Prefix(t, start + sel).size());
    if (Backspace && sel == 0 && start > 0) {
      before = Utf8Prefix(t, start - 1);
      --start;
    } else if (!Backspace && sel == 0 && start < len) {
      after = t.substr(Utf8Prefix(t, start + 1).size());
    }
    SetTextKeepEdit(before + after);
    SetSelStart(start);
    UpdateLookupValue();
    // A shown pick list follows the text (the lookup list follows the value in UpdateLookupValue).
    if (FListShown && FDropDownControl == FPickListControl && FPickListControl)
      FPickListControl->SetItemIndex(FPickListControl->Items()->IndexOf(g->EditText()));
    return;
  }
  // Without a not-in-list handler a list cell only moves the caret on Backspace.
  if (Backspace) SetSelStart(std::max(0, SelStart() - 1));
}

void TDBGridInplaceEdit::UpdateLookupValue() {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (!col || !col->CanModify(true)) return;
  g->SetEditTextX(Text());
  if (FEditStyle != cesLookupList) return;
  TField* f = col->Field();
  TDataSet* lds = col->GetListDataSet();
  Variant key = Variant::Null();
  // The whole text names a list record, whatever its case.
  if (f && lds && !Text().empty() && lds->Locate(f->LookupResultField(), Variant(Text()), {loCaseInsensitive}))
    key = lds->FieldValues(f->LookupKeyFields());
  g->SetEditValue(key);
  if (FListShown && FLookupList) FLookupList->SetKeyValue(key);
}

bool TDBGridInplaceEdit::HandlePaste() {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (!g || !col) return false;
  if (!g->CanEditData() || !col->CanModify(false)) return true;
  bool keyPick = col->GetCellKind() == cckKeyPickList;
  if (FEditStyle != cesLookupList && !keyPick) return false;
  std::string clip;
  if (!ClipboardText(clip)) return true;
  std::string t = Text();
  std::string before = Utf8Prefix(t, SelStart());
  std::string after = t.substr(Utf8Prefix(t, SelStart() + SelLength()).size());
  std::string candidate = before + clip + after;
  int typed = static_cast<int>(Utf8Length(before + clip));
  std::string text;
  bool found = false;
  if (FEditStyle == cesLookupList) {
    TField* f = col->Field();
    TDataSet* lds = col->GetListDataSet();
    if (!f || !lds) return true;
    Variant key = Variant::Null();
    if (lds->Locate(f->LookupResultField(), Variant(candidate), {loCaseInsensitive, loPartialKey})) {
      found = true;
      text = lds->FieldByName(f->LookupResultField())->Text();
      key = lds->FieldValues(f->LookupKeyFields());
    } else if (col->OnNotInList) {
      text = candidate;
    } else {
      return true;
    }
    g->DataLink()->Edit();
    if (!g->DataLink()->Editing()) return true;
    g->DataLink()->MarkEditorChanged();
    g->SetEditValue(key);
    if (FListShown && FLookupList) FLookupList->SetKeyValue(key);
  } else {
    int i = LocateInStrings(col->PickList(), candidate);
    if (!g->EnsureEditing()) return true;
    if (i >= 0) {
      found = true;
      text = col->PickList()->Strings(i);
    } else if (col->OnNotInList) {
      text = candidate;
    } else {
      return true;
    }
    g->DataLink()->MarkEditorChanged();
    if (FListShown && FPickListControl) FPickListControl->SetItemIndex(i);
  }
  SetTextKeepEdit(text);
  g->SetEditTextX(text);
  if (found) {
    SetSelStart(typed);
    SetSelLength(static_cast<int>(Utf8Length(text)) - typed);
  } else {
    SetSelStart(static_cast<int>(Utf8Length(text)));
  }
  return true;
}

void TDBGridInplaceEdit::KeyPress(WideChar& Key) {
  // A character beyond 16 bits comes as two halves: completion waits for the whole character, and
  // the first half goes on to the edit, which holds it until its second comes.
  const char32_t typed = FTypedChar.Join(static_cast<char16_t>(Key));
  if (typed == 0) {
    TInplaceEdit::KeyPress(Key);
    return;
  }
  FKeyText.clear();
  Utf8Append(FKeyText, typed);
  ProcessKeyText(FKeyText);
  if (FKeyText.empty()) {
    Key = 0;
    return;
  }
  if (Key == 10 && !FWordWrap) {
    Key = 0;
    return;
  }
  TInplaceEdit::KeyPress(Key);
}

void TDBGridInplaceEdit::ProcessKeyText(std::string& KeyText) {
  if (KeyText.size() == 1 && static_cast<unsigned char>(KeyText[0]) < 32 && KeyText[0] != 8) return;
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (!g || !col) return;
  bool backspace = KeyText == "\b";
  TField* f = col->Field();
  if (FEditStyle == cesLookupList) {
    TDataSet* lds = col->GetListDataSet();
    // CanEditData puts the record into editing, and refuses while the grid's in-place search runs.
    if (!f || !lds || !g->CanEditData()) return;
    if (!backspace) {
      std::string candidate = Utf8Prefix(Text(), SelStart()) + KeyText;
      int n = static_cast<int>(Utf8Length(candidate));
      if (lds->Locate(f->LookupResultField(), Variant(candidate), {loCaseInsensitive, loPartialKey})) {
        g->DataLink()->Edit();
        if (g->DataLink()->Editing()) {
          g->DataLink()->MarkEditorChanged();
          std::string t = lds->FieldByName(f->LookupResultField())->Text();
          SetTextKeepEdit(t);
          SetSelStart(n);
          SetSelLength(static_cast<int>(Utf8Length(t)) - n);
          g->SetEditValue(lds->FieldValues(f->LookupKeyFields()));
          g->SetEditTextX(t);
          if (FListShown && FLookupList) FLookupList->SetKeyValue(g->EditValue());
        }
      } else if (col->OnNotInList) {
        g->DataLink()->Edit();
        SetTextKeepEdit(candidate);
        SetSelStart(n);
        g->SetEditValue(Variant::Null());
        g->SetEditTextX(candidate);
        if (FListShown && FLookupList) FLookupList->SetKeyValue(Variant::Null());
      }
    }
    KeyText.clear();
    return;
  }
  bool keyPick = col->GetCellKind() == cckKeyPickList;
  if (!keyPick && FEditStyle != cesPickList) return;
  if (!g->EnsureEditing()) return;
  if (!backspace) {
    std::string candidate = Utf8Prefix(Text(), SelStart()) + KeyText;
    int n = static_cast<int>(Utf8Length(candidate));
    int i = LocateInStrings(col->PickList(), candidate);
    if (i >= 0) {
      KeyText.clear();
      g->DataLink()->MarkEditorChanged();
      std::string t = col->PickList()->Strings(i);
      SetTextKeepEdit(t);
      SetSelStart(n);
      SetSelLength(static_cast<int>(Utf8Length(t)) - n);
      g->SetEditTextX(t);
      if (FListShown && FPickListControl) FPickListControl->SetItemIndex(i);
    } else if (keyPick && col->OnNotInList) {
      SetTextKeepEdit(candidate);
      SetSelStart(n);
      g->SetEditValue(Variant::Null());
      g->SetEditTextX(candidate);
      if (FListShown && FPickListControl) FPickListControl->SetItemIndex(-1);
    }
  }
  if (keyPick) KeyText.clear();
}

void TDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
  TColumnX* col = CurrentColumn();
  if (Button == mbLeft && Shift.Contains(ssDouble) && col && col->DblClickNextVal()) {
    col->StepValue(Shift.Contains(ssShift) ? -1 : 1);
    if (TCustomDBGridX* g = DBGrid()) SetTextKeepEdit(g->CurrentEditText());
  }
}
