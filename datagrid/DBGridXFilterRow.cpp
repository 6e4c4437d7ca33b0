#include "datagrid/DBGridXFilterRow.h"

#include <algorithm>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXSelection.h"
#include "datagrid/DBGridXStyle.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/DBCtrlsX.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------------------------------
// Condition texts

std::string FormatConditionValue(const Variant& Value) {
  if (Value.VarType() == varDouble) return FloatToStr(Value.AsDouble());
  if (Value.VarType() == varDate) return FormatDateTime(FormatSettings.ShortDateFormat, Value.AsDouble());
  // Quoted, embedded quotes doubled: the parser reads '' inside quotes as one quote.
  std::string s = VarToStr(Value);
  std::string out = "'";
  for (char c : s) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string FormatCondition(TSTFilterOperatorX Operator, const Variant& Value) {
  if (Operator == stoIsNull) return std::string("=") + STFilterOperatorTexts[stoIsNull];
  if (Operator == stoIsNotNull) return std::string("<>") + STFilterOperatorTexts[stoIsNotNull];
  if (Operator == stoIn || Operator == stoNotIn) {
    std::string s = std::string(STFilterOperatorTexts[Operator]) + " (";
    if (Value.IsArray()) {
      for (int i = Value.ArrayLowBound(); i <= Value.ArrayHighBound(); ++i) s += FormatConditionValue(Value[i]) + ",";
    } else {
      s += FormatConditionValue(Value) + ",";
    }
    // An empty list keeps its "(": the text is "In ()".
    if (s.back() == ',') s.pop_back();
    return s + ")";
  }
  return std::string(STFilterOperatorTexts[Operator]) + " " + FormatConditionValue(Value);
}

std::string BuildSTFilterText(const TSTFilterExpressionX& C) {
  if (C.ValueKind == stvkOther || C.Operator1 == stoNone) return {};
  std::string s = FormatCondition(C.Operator1, C.Operand1);
  // A link word without a second condition ("> 10 AND") is written alone: a blank value after it
  // would not read back.
  if (C.Link != stoNone) s += std::string(" ") + STFilterOperatorTexts[C.Link];
  if (C.Link != stoNone && C.Operator2 != stoNone) s += " " + FormatCondition(C.Operator2, C.Operand2);
  return s;
}

// ---------------------------------------------------------------------------------------------------
// Grid settings

void TSTDBGridXFilter::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSTDBGridXFilter*>(Source)) {
    SetVisible(s->Visible());
    FLocal = s->Local();
    return;
  }
  TPersistent::Assign(Source);
}

void TSTDBGridXFilter::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (!Value) FGrid->EndFilterEdit();
  FGrid->LayoutChanged();
  if (FGrid->EditorMode()) FGrid->InvalidateEditor();
}

// ---------------------------------------------------------------------------------------------------
// Column condition

TSTColumnFilterX::TSTColumnFilterX(TColumnX* AColumn) : FColumn(AColumn) {
  FListKeys = std::make_unique<TStringList>();
  FListItems = std::make_unique<TStringList>();
  FListLink = std::make_unique<TFieldDataLink>();
  FListLink->OnActiveChange = [this](TObject*) { ReloadListItems(); };
  ResetSTFilterExpression(FCondition);
}

TSTColumnFilterX::~TSTColumnFilterX() {
  FListLink->OnActiveChange = nullptr;
  FListLink->SetDataSource(nullptr);
}

void TSTColumnFilterX::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSTColumnFilterX*>(Source)) {
    FDataField = s->DataField();
    SetVisible(s->Visible());
    FKeyField = s->KeyField();
    FListField = s->ListField();
    SetListSource(s->ListSource());
    return;
  }
  TPersistent::Assign(Source);
}

void TSTColumnFilterX::DeclarePublished(TPublished<TSTColumnFilterX>& P) {
  using C = TSTColumnFilterX;
  P.String("DataField", &C::DataField, &C::SetDataField);
  P.String("KeyField", &C::KeyField, &C::SetKeyField);
  P.String("ListField", &C::ListField, &C::SetListField);
  P.Component("ListSource", &C::ListSource, &C::SetListSource);
  P.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
}

void TSTColumnFilterX::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  FColumn->Changed(false);
}

std::string TSTColumnFilterX::ListFilterFieldName() const {
  if (ListSource() || !FDataField.empty()) return FDataField;
  return FColumn->FieldName();
}

Variant TSTColumnFilterX::FirstOperandValue() const {
  return FKeyField.empty() ? FCondition.Operand1 : FSelectedKeyValues;
}

void TSTColumnFilterX::AssignCondition(const TSTFilterExpressionX& Record) {
  FCondition = Record;
  FConditionText = BuildConditionText();
}

std::string TSTColumnFilterX::ParseConditionText(const std::string& Text) {
  if (TField* f = FColumn->Field()) FCondition.ValueKind = FieldTypeValueKinds[f->DataType()];
  ParseSTFilterText(Text, FCondition);
  return BuildConditionText();
}

void TSTColumnFilterX::AssignConditionText(const std::string& Text) {
  ParseConditionText(Text);
  FConditionText = Text;
}

void TSTColumnFilterX::ApplyConditionText(const std::string& Text) {
  AssignConditionText(Text);
  TCustomDBGridX* g = FColumn->OwnerGrid();
  if (!g) return;
  g->Invalidate();
  if (g->FilterEditor() && g->FilterEditor()->GetVisible()) g->PlaceFilterEditor(true);
}

void TSTColumnFilterX::SetKeyListSelection(const std::string& Text, const Variant& KeyValues) {
  ApplyConditionText("");
  if (KeyValues.IsNull() || KeyValues.IsEmpty()) {
    FSelectedKeyValues = Null;
    return;
  }
  FCondition.ValueKind = stvkString;
  FCondition.Operator1 = stoIn;
  FCondition.Operand1 = Variant(Text);
  AssignCondition(FCondition);
  FSelectedKeyValues = KeyValues;
}

std::string TSTColumnFilterX::BuildConditionText() const {
  if (FCondition.ValueKind == stvkOther || FCondition.Operator1 == stoNone) return {};
  // A list's values as a comma text, each quoted; a single value (the chosen list text) as it is.
  if (ListSource()) return VarArrayToQuotedText(FCondition.Operand1);
  return BuildSTFilterText(FCondition);
}

void TSTColumnFilterX::ReloadListItems() {
  // Both lists are rebuilt, not appended to: a reactivation must not double them.
  FListItems->Clear();
  FListKeys->Clear();
  if (!FListLink->Active() || FListField.empty() || FKeyField.empty()) return;
  TDataSet* ds = FListLink->DataSet();
  ds->DisableControls();
  try {
    ds->First();
    for (; !ds->Eof(); ds->Next()) {
      FListItems->Add(SafeVarToStr(ds->FieldValues(FListField)));
      FListKeys->Add(SafeVarToStr(ds->FieldValues(FKeyField)));
    }
    ds->First();
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
}

// ---------------------------------------------------------------------------------------------------
// The editor

TInplaceFilterEditX::TInplaceFilterEditX(TComponent* AOwner) : TDBLookupComboboxX(AOwner) {}

void TInplaceFilterEditX::ApplyValue(const Variant& Value) {
  Variant copy = Value;
  TDBLookupComboboxX::ApplyValue(copy);
}

void TInplaceFilterEditX::SelectAllText() {
  if (HandleAllocated()) SendMessage(Handle(), EM_SETSEL, 0, static_cast<LPARAM>(-1));
}

void TInplaceFilterEditX::ShowKeyWithText(const Variant& Value, const std::string& AText) {
  SetValue(Value);
  SetDisplayText(AText);
}

RECT TInplaceFilterEditX::CalcTextRect() {
  // One pixel lower: the text stands where the filter cell drew it.
  RECT r = TDBLookupComboboxX::CalcTextRect();
  r.top += 1;
  return r;
}

bool TInplaceFilterEditX::WantsKey(WORD Key, TShiftState Shift) {
  if (Key == VK_RETURN || Key == VK_TAB) return true;
  return TDBLookupComboboxX::WantsKey(Key, Shift);
}

// ---------------------------------------------------------------------------------------------------
// Grid side

TSTDBGridXFilter* TCustomDBGridX::STFilter() {
  if (!FSTFilter) FSTFilter = std::make_shared<TSTDBGridXFilter>(this);
  return FSTFilter.get();
}

int TCustomDBGridX::FilterRowShown() { return FSTFilter && FSTFilter->Visible() ? 1 : 0; }

TSTColumnFilterX* TColumnX::STFilter() {
  if (!FSTFilter) FSTFilter = std::make_shared<TSTColumnFilterX>(this);
  return FSTFilter.get();
}

TInplaceFilterEditX* TCustomDBGridX::NewFilterEditor() { return new TInplaceFilterEditX(this); }

bool TCustomDBGridX::FilterEditorAllowed() {
  // A selection in force keeps the editor out of sight.
  TDBGridXSelection* sel = SelectionX();
  return FFilterEditing && (!sel || sel->Kind() == selNoneX);
}

bool TCustomDBGridX::ColumnHasFilterCell(int DataCol) {
  TColumnX* c = ColumnAt(DataCol);
  return c && c->Visible() && c->STFilter()->Visible();
}

std::string TCustomDBGridX::FilterCellText(int DataCol) {
  TColumnX* c = ColumnAt(DataCol);
  if (!c || c->FieldName().empty()) return {};
  return c->STFilter()->ConditionText();
}

int TCustomDBGridX::FilterGridRow() { return TitleRowCount(); }

void TCustomDBGridX::DrawFilterCell(int ACol, int DataCol, const TRect& ARect) {
  // Over the cell's background (the fixed-cell painting, whose brush it keeps): the condition text in
  // the filter colour and, for a column with a value list, its drop-down button.
  TCanvas* c = Canvas();
  TColumnX* col = ACol >= IndicatorOffset() ? ColumnAt(DataCol) : nullptr;
  if (!col || !ColumnHasFilterCell(DataCol)) return;
  c->Font()->Assign(col->Font());
  c->Font()->SetColor(static_cast<TColor>(0xFF0000));
  TRect r = ARect;
  if (col->STFilter()->HasListSource()) {
    int w = std::min<int>(FlatButtonWidth > 0 ? FlatButtonWidth : 11, r.Right - r.Left);
    RECT b{r.Right - w, r.Top, r.Right, r.Bottom};
    DrawEditButton(c->Handle(), b, static_cast<COLORREF>(ColorToRGB(clBtnFace)), 0, true, false, true, 0,
                   bkDropDownX);
    r.Right -= w;
  }
  DrawCellTextX(c, r, 2, 2, FilterCellText(DataCol), taLeftJustify, 0, false, true);
}

void TCustomDBGridX::BeginFilterEdit(int DataCol) {
  if (!FilterRowShown() || !ColumnHasFilterCell(DataCol)) return;
  if (FDataLink->Active()) FDataLink->DataSet()->CheckBrowseMode();
  if (!FFilterEditor) {
    FFilterEditor = NewFilterEditor();
    FFilterEditor->SetVisible(false);
    FFilterEditor->SetParent(this);
    FFilterEditor->SetOwnerGrid(this);
    FFilterEditor->SetBorderStyle(0);
    FFilterEditor->Font()->Assign(Font());
    FFilterEditor->Font()->SetColor(static_cast<TColor>(0xFF0000));
    FFilterEditor->SetColor(BrightenColor(FixedColor(), 8));
    FFilterEditor->OnKeyPress = [this](TObject*, WideChar& Key) { FilterEditorKeyPress(Key); };
    FFilterEditor->SetFlat(FFlat);
    // The grid holds it in place: its keys come here first and the cell decides its size.
    FFilterEditor->SetInplaceEditHolder(this);
  }
  int raw = DataToRawColumn(DataCol);
  if (FFilterEditor->GetVisible() && FFilterColumnIndex != DataCol) {
    StoreFilterEditorText(FFilterColumnIndex);
    InvalidateCell(DataToRawColumn(FFilterColumnIndex), FilterGridRow());
  }
  FFilterColumnIndex = DataCol;
  FFilterEditing = true;
  HideEditor();
  if (Options().Contains(gdoRowSelect)) {
    // Row-select grids have no current column: the view is moved until the column is whole in it.
    if (raw < LeftCol()) {
      SetLeftCol(std::max(FixedCols(), raw));
    } else {
      TGridDrawInfo info;
      CalcDrawInfo(info);
      while (raw > info.Horz.LastFullVisibleCell && LeftCol() < raw) {
        int before = LeftCol();
        SetLeftCol(before + 1);
        if (LeftCol() == before) break;  // as far as the grid scrolls
        CalcDrawInfo(info);
      }
    }
  } else if (raw != Col() && raw >= FixedCols() && raw < ColCount()) {
    // (A frozen column is always in view and is never the current one.)
    MoveColRow(raw, Row(), true, true);
  }
  InvalidateCell(raw, FilterGridRow());
  PlaceFilterEditor(true);
}

void TCustomDBGridX::PlaceFilterEditor(bool Reload) {
  if (FSTFilter && FSTFilter->UpdateCount() > 0) return;
  if (!FFilterEditor) return;
  if (!FilterRowShown() || !ColumnHasFilterCell(FFilterColumnIndex) || !FFilterEditing) {
    EndFilterEdit();
    return;
  }
  TRect r = CellRect(DataToRawColumn(FFilterColumnIndex), FilterGridRow());
  r.Left += 1;
  if (!FilterEditorAllowed() || r.Right <= r.Left) {
    FFilterEditor->SetVisible(false);
    return;
  }
  // Placed again (a scroll, a layout, a sizing) it takes the focus only from within the grid: the
  // user may have gone on to another control meanwhile.
  HWND focus = GetFocus();
  bool focusInside = Reload || (HandleAllocated() && focus && (focus == Handle() || IsChild(Handle(), focus)));
  if (Reload) {
    // Out of sight while it loads.
    FFilterEditor->MoveTo(RECT{r.Left, r.Top, r.Left, r.Top});
    FFilterEditor->SetFocus();
    LoadFilterEditor(FFilterColumnIndex);
    FFilterEditor->SelectAll();
  } else if (focusInside) {
    FFilterEditor->SetFocus();
  }
  FFilterEditor->MoveTo(RECT{r.Left, r.Top, r.Right, r.Bottom});
  FFilterEditor->SetVisible(true);
  // A hidden window could not take the focus above.
  if (focusInside && !FFilterEditor->Focused() && FFilterEditor->CanFocus()) FFilterEditor->SetFocus();
  if (FFilterEditor->HandleAllocated()) SendMessage(FFilterEditor->Handle(), EM_SCROLLCARET, 0, 0);
}

void TCustomDBGridX::LoadFilterEditor(int DataCol) {
  TColumnX* col = ColumnAt(DataCol);
  if (!col || !FFilterEditor) return;
  TSTColumnFilterX* f = col->STFilter();
  TInplaceFilterEditX* e = FFilterEditor;
  if (f->HasListSource()) {
    e->OnCloseUp = [this](TObject*, bool Accept) {
      if (Accept && FStyle && FStyle->ApplyFilterOnCloseUp) ApplyFilterRow();
    };
    e->ClearText();
    e->SetListSource(nullptr);
    e->SetKeyValue(Null);
    e->SetOnButtonClick(nullptr);
    e->SetListField(f->ListField());
    if (!f->KeyField().empty()) {
      e->SetStyle(csDropDownListX);
      e->SetKeyField(f->KeyField());
    } else {
      e->SetStyle(csDropDownX);
      e->SetKeyField(f->ListField());
    }
    e->SetListSource(f->ListSource());
    e->EditButton()->SetVisible(true);
    e->DropDownBox()->SetSizable(true);
    if (!f->KeyField().empty()) e->ShowKeyWithText(f->SelectedKeyValues(), f->ConditionText());
    else e->SetText(f->ConditionText());
  } else {
    e->OnCloseUp = nullptr;
    e->SetListSource(nullptr);
    e->SetListField("");
    e->SetKeyField("");
    e->SetStyle(csDropDownX);
    e->SetOnButtonClick([](TObject*, bool&) {});
    e->EditButton()->SetVisible(false);
    e->SetValue(Null);
    e->SetText(FilterCellText(DataCol));
  }
}

void TCustomDBGridX::StoreFilterEditorText(int DataCol) {
  TColumnX* col = ColumnAt(DataCol);
  if (!col || col->FieldName().empty() || !FFilterEditor) return;
  TSTColumnFilterX* f = col->STFilter();
  if (!f->KeyField().empty() && f->HasListSource())
    f->SetKeyListSelection(FFilterEditor->Text(), FFilterEditor->Value());
  else
    f->AssignConditionText(FFilterEditor->Text());
}

void TCustomDBGridX::ShowCellEditor() {
  if (FFilterEditing) EndFilterEdit();
  ShowEditor();
}

void TCustomDBGridX::ApplyFilter() {
  if (DBGridXDataService) DBGridXDataService->ApplyFilter(this);
}

void TCustomDBGridX::ApplyFilterRow() {
  if (FFilterEditor && FFilterEditor->GetVisible()) StoreFilterEditorText(FFilterColumnIndex);
  int left = LeftCol();
  auto after = [&] {
    if (left < ColCount()) SetLeftCol(left);
    PlaceFilterEditor(true);
    if (FSumList && FSumList->Active()) FSumList->RecomputeAll();  // the footers follow the filtered data
    Invalidate();
  };
  try {
    if (OnApplyFilterRow) OnApplyFilterRow(this);
    else ApplyFilter();
  } catch (...) {
    after();
    throw;
  }
  after();
}

void TCustomDBGridX::EndFilterEdit() {
  if (FSTFilter && FSTFilter->UpdateCount() > 0) return;
  auto ended = [this] {
    FFilterEditing = false;
    if (FDataOptions.Contains(gdoAlwaysShowEditor)) ShowCellEditor();
    else HideEditor();
  };
  if (FFilterEditor && FFilterEditor->GetVisible()) {
    if (FFilterEditor->Focused() && CanFocus()) SetFocus();
    FFilterEditor->SetVisible(false);
    InvalidateCell(DataToRawColumn(FFilterColumnIndex), FilterGridRow());
    try {
      StoreFilterEditorText(FFilterColumnIndex);
    } catch (...) {
      // A condition the column cannot take is told to the user, but the editor is gone already: the
      // edit has ended all the same, or the grid would go on sending typed keys to a hidden editor.
      ended();
      throw;
    }
  }
  ended();
}

void TCustomDBGridX::FilterEditorKeyPress(WideChar& Key) {
  if (Key == 13) {
    Key = 0;
    ApplyFilterRow();
  }
}

int TCustomDBGridX::NextFilterColumn(int From, int Step, bool Wrap) {
  int n = FColumns->Count();
  if (n == 0) return -1;
  int c = From;
  for (int i = 0; i < n; ++i) {
    c += Step;
    if (c < 0 || c >= n) {
      if (!Wrap) return -1;
      c = c < 0 ? n - 1 : 0;
    }
    if (ColumnHasFilterCell(c)) return c;
  }
  return -1;
}

void TCustomDBGridX::FilterEditorKeyDown(TWinControl* Editor, WORD& Key, TShiftState Shift) {
  auto* e = dynamic_cast<TCustomEdit*>(Editor);
  if (!e) return;
  int len = Utf8Length(e->Text());
  int ss = e->SelStart(), sl = e->SelLength();
  bool atEnd = (sl == 0 && ss == len) || sl == len;
  bool atStart = ss == 0 && (sl == 0 || sl == len);
  bool ctrl = Shift.Contains(ssCtrl);
  int go = -2;
  int cur = FFilterColumnIndex;
  switch (Key) {
    case VK_TAB:
      if (!FDataOptions.Contains(gdoTabs)) return;
      go = NextFilterColumn(cur, Shift.Contains(ssShift) ? -1 : 1, true);
      break;
    case VK_END:
      if (atEnd || ctrl) go = NextFilterColumn(FColumns->Count(), -1, false);
      break;
    case VK_HOME:
      if (atStart || ctrl) go = NextFilterColumn(-1, 1, false);
      break;
    case VK_RIGHT:
      if (atEnd) go = ctrl ? NextFilterColumn(FColumns->Count(), -1, false) : NextFilterColumn(cur, 1, true);
      break;
    case VK_LEFT:
      if (atStart) go = ctrl ? NextFilterColumn(-1, 1, false) : NextFilterColumn(cur, -1, true);
      break;
    case VK_DOWN:
      if (Shift.Empty() || Shift == TShiftState{ssCtrl}) {
        if (FDataLink->Active()) {
          int raw = DataToRawColumn(cur);
          if (raw >= FixedCols() && raw < ColCount()) MoveColRow(raw, Row(), true, true);
          if (Shift.Empty()) FDataLink->DataSet()->MoveBy(-FDataLink->ActiveRecord());
        }
        EndFilterEdit();
        Key = 0;
      }
      return;
    case VK_F2:
      if (Editor->HandleAllocated()) SendMessage(Editor->Handle(), EM_SETSEL, 0x7FFFFFFF, static_cast<LPARAM>(-1));
      Key = 0;
      return;
    default:
      return;
  }
  if (go == -2) return;  // the key stays with the editor
  Key = 0;
  if (go >= 0) BeginFilterEdit(go);
}

bool TCustomDBGridX::FilterRowMouseDown(TMouseButton Button, int X, int Y) {
  if (!FilterRowShown() || (Button != mbLeft && Button != mbRight)) return false;
  int c = 0, r = -1;
  MouseToCell(X, Y, c, r);
  if (r != FilterGridRow() || c < IndicatorOffset()) return false;
  int dataCol = RawToDataColumn(c);
  if (!ColumnHasFilterCell(dataCol)) return false;
  // As a click does: the selection goes.
  FSelectedRows->Clear();
  if (TDBGridXSelection* sel = SelectionX()) sel->Clear();
  TPoint sp = ClientToScreen(TPoint(X, Y));
  FFilterMousePos = POINT{sp.X, sp.Y};
  FFilterMouseTime = static_cast<int>(GetMessageTime());
  BeginFilterEdit(dataCol);
  if (Button == mbLeft && FFilterEditor && FFilterEditor->GetVisible() && FFilterEditor->HandleAllocated())
    SendMessage(FFilterEditor->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                MAKELPARAM(X - FFilterEditor->Left(), Y - FFilterEditor->Top()));
  return true;
}

bool TCustomDBGridX::TakeFilterMouseDown(POINT& ScreenPos, int& Time) {
  ScreenPos = FFilterMousePos;
  Time = FFilterMouseTime;
  FFilterMouseTime = 0;
  return false;
}

void TCustomDBGridX::FilterColumnMoved(int From, int To) {
  // Its text must go to the column it was typed for, not to whichever column took its place.
  int i = FFilterColumnIndex;
  if (i == From) i = To;
  else if (From < i && To >= i) --i;
  else if (From > i && To <= i) ++i;
  FFilterColumnIndex = i;
  if (FFilterEditing && FFilterEditor && FFilterEditor->GetVisible()) PlaceFilterEditor(false);
}

// ---------------------------------------------------------------------------------------------------
// The grid as the filter editor's holder

bool TCustomDBGridX::EditorCanModify(TWinControl*) { return true; }

bool TCustomDBGridX::TakePendingMouseDown(POINT& ScreenPos, int& Time) { return TakeFilterMouseDown(ScreenPos, Time); }

void TCustomDBGridX::EditorWndProc(TWinControl*, TMessage&) {}

void TCustomDBGridX::EditorKeyDown(TWinControl* Editor, WORD& Key, TShiftState Shift) {
  // An open list keeps its keys.
  if (!FFilterEditor || Editor != FFilterEditor || FFilterEditor->ListVisible()) return;
  FilterEditorKeyDown(Editor, Key, Shift);
}

void TCustomDBGridX::EditorKeyPress(TWinControl*, WideChar&) {}

void TCustomDBGridX::EditorKeyUp(TWinControl*, WORD&, TShiftState) {}
