// The grid's edit actions, its cell and title tool tips and the window messages handled for them.
#include <algorithm>

#include "dataedit/ToolCtrlsX.h"
#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXCellParams.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXDraw.h"
#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/actions.h"
#include "platform/graphics/clipbrd.h"
#include "platform/graphics/graphics.h"

namespace {

bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Edit actions

bool TCustomDBGridX::CanCopy() {
  return FDataLink->Active() && GridClipSelection(this).Kind != selNoneX;
}

bool TCustomDBGridX::CanPaste() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds || ReadOnly() || !ds->CanModify()) return false;
  if (ds->State() != dsInsert && !FAllowedOperations.Contains(geoUpdate)) return false;
  return ClipboardHasGridPasteData();
}

bool TCustomDBGridX::CanCut() { return CanCopy() && CanDelete(); }

bool TCustomDBGridX::CanSelectAll() {
  TDataSet* ds = FDataLink->DataSet();
  return FDataLink->Active() && ds && !ds->IsEmpty() && FAllowedSelections.Contains(selAllX);
}

bool TCustomDBGridX::CanDelete() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds || ReadOnly() || ds->IsEmpty() || !ds->CanModify()) return false;
  switch (GridClipSelection(this).Kind) {
    case selRecordsX:
    case selAllX:
      return FAllowedOperations.Contains(geoDelete);
    case selRectangleX:
    case selColumnsX:
      return FAllowedOperations.Contains(geoUpdate);
    default:
      return false;
  }
}

bool TCustomDBGridX::CanSelectType(TGridXSelectionType Type) {
  if (Type == selNoneX) return true;
  if (!FDataOptions.Contains(gdoMultiSelect) || !FAllowedSelections.Contains(Type)) return false;
  if (Type == selRectangleX || Type == selColumnsX) return !FDataOptions.Contains(gdoRowSelect);
  return true;
}

namespace {

// The rows of the edit-action table: which action class, its permission bit, check and operation.
struct TEditActionRow {
  bool (*Is)(TBasicAction*);
  TGridXEditAction Permission;
  bool (TCustomDBGridX::*Check)();
  void (*Run)(TCustomDBGridX*);
};

template <typename T>
bool IsA(TBasicAction* A) {
  return dynamic_cast<T*>(A) != nullptr;
}

const TEditActionRow EditActionRows[] = {
    {&IsA<TEditCopy>, geaCopy, &TCustomDBGridX::CanCopy, [](TCustomDBGridX* G) { CopyGridToClipboard(G, false); }},
    {&IsA<TEditPaste>, geaPaste, &TCustomDBGridX::CanPaste,
     [](TCustomDBGridX* G) { PasteGridFromClipboard(G, false); }},
    {&IsA<TEditCut>, geaCut, &TCustomDBGridX::CanCut, [](TCustomDBGridX* G) { CutGridToClipboard(G, false); }},
    {&IsA<TEditSelectAll>, geaSelectAll, &TCustomDBGridX::CanSelectAll,
     [](TCustomDBGridX* G) { GridSelectEverything(G); }},
    {&IsA<TEditDelete>, geaDelete, &TCustomDBGridX::CanDelete, [](TCustomDBGridX* G) { ClearGridSelection(G, false); }},
};

}  // namespace

// Data-set actions come first: the data link offers them its data source, focused or not. The edit
// actions then act on the focused grid as its edit-action table says.
bool TCustomDBGridX::ExecuteAction(TBasicAction* Action) {
  if (ExecuteActionOn(Action, FDataLink->DataSource())) return true;
  if (!Action || !HasFocusInside()) return false;
  for (const TEditActionRow& row : EditActionRows) {
    if (!row.Is(Action)) continue;
    if (FEditActions.Contains(row.Permission) && (this->*row.Check)()) {
      row.Run(this);
      return true;
    }
    return false;
  }
  return false;
}

bool TCustomDBGridX::UpdateAction(TBasicAction* Action) {
  if (UpdateActionOn(Action, FDataLink->DataSource())) return true;
  if (!Action || !HasFocusInside()) return false;
  for (const TEditActionRow& row : EditActionRows) {
    if (!row.Is(Action) || !FEditActions.Contains(row.Permission)) continue;
    if (auto* a = dynamic_cast<TAction*>(Action)) a->SetEnabled((this->*row.Check)());
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------------
// Keys

bool TCustomDBGridX::HandleEditShortCut(WORD& Key, TShiftState Shift) {
  if (!FDataLink->Active()) return false;
  const TShortCut sc = ShortCut(Key, Shift);
  auto take = [&Key] {
    Key = 0;
    return true;
  };
  if (CopyFromPriorRecordShortCut && sc == CopyFromPriorRecordShortCut) {
    CopyFromPriorRecord();
    return take();
  }
  if (FindDialogShortCut && sc == FindDialogShortCut && FOptionsX.Contains(gxoFindDialog)) {
    ShowGridFindDialog(this, "", false);
    return take();
  }
  const bool ctrlOnly = Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt);
  const bool shiftOnly = Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  const bool selected = GridClipSelection(this).Kind != selNoneX;
  if (ctrlOnly && (Key == VK_INSERT || Key == 'C')) {
    if (selected && FEditActions.Contains(geaCopy)) CopyGridToClipboard(this, false);
    return take();
  }
  if (ctrlOnly && Key == VK_DELETE) {
    // A selection that may be cleared is cleared; otherwise the record delete of the keyboard.
    if (!FEditActions.Contains(geaDelete) || !selected || !CanDelete()) return false;
    ClearGridSelection(this, false);
    return take();
  }
  if (ctrlOnly && Key == 'A') {
    if (CanSelectAll() && FEditActions.Contains(geaSelectAll)) GridSelectEverything(this);
    return take();
  }
  if (ctrlOnly && Key == 'X') {
    if (selected && CanDelete() && FEditActions.Contains(geaCut)) CutGridToClipboard(this, false);
    return take();
  }
  if ((ctrlOnly && Key == 'V') || (shiftOnly && Key == VK_INSERT)) {
    if (InSearch()) {
      // While searching, pasted text goes on the search text.
      InplaceSearch(Clipboard()->AsText(), SearchTimeout(), 0);
    } else if (FEditActions.Contains(geaPaste) && CanPaste()) {
      PasteGridFromClipboard(this, false);
    }
    return take();
  }
  return false;
}

// ---------------------------------------------------------------------------------------------------
// Tool tips

std::string TCustomDBGridX::CellHintText(TColumnX* Column) {
  if (!Column) return {};
  TColumnCellKindX kind = Column->GetCellKind();
  if (kind == cckKeyImages || kind == cckCheckbox) {
    int index = -1;
    if (kind == cckKeyImages) {
      TField* f = Column->Field();
      index = f && Column->HasKeyList() ? Column->KeyList()->IndexOf(f->Text()) : -1;
    } else {
      index = static_cast<int>(Column->ReadCheckState());
    }
    if (Column->HasPickList() && index >= 0 && index < Column->PickList()->Count())
      return Column->PickList()->Strings(index);
    return {};
  }
  return Column->Field() ? Column->GetCellDisplayText() : std::string();
}

TFont* TCustomDBGridX::HintFont() {
  if (!FHintFont) FHintFont = std::make_unique<TFont>();
  return FHintFont.get();
}

void TCustomDBGridX::CMHintShowPause(TMessage& Message) {
  auto* pause = reinterpret_cast<int*>(Message.LParam);
  if (!pause) return;
  POINT p{};
  GetCursorPos(&p);
  TPoint c = ScreenToClient(TPoint(p.x, p.y));
  TGridCoord cell = MouseCoord(c.X, c.Y);
  int dataCol = 0, dataRow = 0;
  bool quick = false;
  if (cell.X >= FIndicatorOffset && cell.Y >= 0 && cell.X < ColCount() && cell.Y < RowCount()) {
    int type = GetCellType(cell.X, cell.Y, dataCol, dataRow, true);
    TColumnX* col = ColumnAt(RawToDataColumn(cell.X));
    if (col && (type >> 8) == 2 && col->ToolTips() && FDataLink->Active()) quick = true;
    if (col && (type >> 8) == 0 && col->Title()->ToolTips() && col->Title()->Hint().empty()) quick = true;
  }
  *pause = quick ? 0 : Hints::HintPause();
}

void TCustomDBGridX::CMHintShow(TMessage& Message) {
  TCustomGrid::WndProc(Message);
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (Message.Result != 0 || !info) return;
  TGridCoord cell = MouseCoord(info->CursorPos.X, info->CursorPos.Y);
  if (cell.X < FIndicatorOffset || cell.Y < 0 || cell.X >= ColCount() || cell.Y >= RowCount()) return;
  int dataCol = 0, dataRow = 0;
  const int band = GetCellType(cell.X, cell.Y, dataCol, dataRow, true) >> 8;
  TColumnX* col = ColumnAt(RawToDataColumn(cell.X));
  if (!col) return;
  const bool title = band == 0;
  const bool data = band == 2;
  TRect rect = CellRect(cell.X, cell.Y);

  if (title && !col->Title()->Hint().empty()) {
    info->HintStr = GetShortHint(col->Title()->Hint());
    info->CursorRect = rect;
    return;
  }
  info->HintStr.clear();
  if (!((title && col->Title()->ToolTips()) || (data && FDataLink->Active() && col->ToolTips()))) return;
  if (GetCapture() || CtrlDown()) return;

  int right = rect.Left + col->Width();
  const int fullRight = right;  // the column's end before an edit button takes its part
  std::string text;
  TAlignment alignment = taLeftJustify;
  bool wrap = false;
  bool always = false;
  bool vertical = false;
  if (title) {
    TColumnTitleX* t = col->Title();
    // The title image or the sort marker (with its number) takes the right end of the cell.
    int area = 0;
    if (FTitleImages && t->ImageIndex() != -1) area = FTitleImages->Width();
    if (t->SortMarker() != smNoneX && SortMarkerImages) {
      int marker = 16;
      if (FSortMarkedColumns.size() >= 2 && t->SortIndex() > 0 && SortMarkerFont) {
        Canvas()->Font()->Assign(SortMarkerFont);
        marker += Canvas()->TextWidth(std::to_string(t->SortIndex()));
      }
      area = std::max(area, marker);
    }
    if (area > 2) {
      right -= area - 2;
      rect.Right -= area - 2;
    }
    THeadTreeNode* node = FUseMultiTitle ? TitleColumnNode(RawToDataColumn(cell.X)) : nullptr;
    if (node) {
      // Only the column's own (lowest) title part: the bands above belong to several columns.
      rect.Top = std::max(rect.Top, rect.Bottom - node->Height);
      if (info->CursorPos.Y < rect.Top) return;
    }
    text = node ? node->Caption : t->Caption();
    alignment = t->Alignment();
    wrap = FUseMultiTitle || FTitleLineCount > 0;
    HintFont()->Assign(t->Font());
    // A vertical caption runs along the cell's height and is never wrapped.
    vertical = t->Orientation() == tohVertical;
    if (vertical) wrap = false;
  } else {
    TColumnCellKindX kind = col->GetCellKind();
    always = kind == cckKeyImages || kind == cckCheckbox;
    if (int button = CellButtonWidth(col); button > 0) {
      // The always-visible edit button takes the right end of the cell.
      right -= button;
      rect.Right = std::min(rect.Right, right);
      if (info->CursorPos.X > right) return;
    }
    alignment = always ? taLeftJustify : col->Alignment();
    HintFont()->Assign(col->Font());
    if (col->WordWrap()) {
      Canvas()->Font()->Assign(HintFont());
      wrap = DefaultRowHeight() > Canvas()->TextHeight("Wg") + FCellTextMargin;
    }
    // The record under the mouse, for its text and its cell parameters.
    const int saved = FDataLink->ActiveRecord();
    FDataLink->SetActiveRecord(DataRowOf(cell.Y));
    try {
      text = CellHintText(col);
      TColor background = col->Color();
      DoGetCellParams(col, HintFont(), background, TGridDrawState{});
      if (col->OnGetCellParams()) {
        // The column's own hook may change the text and its alignment as it does for the cell.
        TColCellParamsX p;
        p.Font = HintFont();
        p.CellColor = background;
        p.Alignment = alignment;
        p.Text = text;
        p.ReadOnly = col->ReadOnly();
        col->GetCellParams(false, &p);
        if (p.Font && p.Font != HintFont()) HintFont()->Assign(p.Font);
        text = std::move(p.Text);
        if (!always) alignment = p.Alignment;
      }
    } catch (...) {
      FDataLink->SetActiveRecord(saved);
      throw;
    }
    FDataLink->SetActiveRecord(saved);
  }
  Canvas()->Font()->Assign(HintFont());
  int w = 0, h = 0;
  const TRect measure = vertical ? TRect(rect.Left, rect.Top, rect.Left + rect.Height(), rect.Top + rect.Width()) : rect;
  const bool cut = TextFitsCell(this, 2, 2, text, measure, wrap, w, h);  // true: the text needs more room
  const bool show = always || cut || (alignment == taRightJustify && rect.Right < fullRight - 2);
  if (!show || text.empty()) return;

  const int m = FFlat ? 2 : 1;
  TPoint pos;
  switch (alignment) {
    case taRightJustify:
      pos = TPoint(right - w - 6, rect.Top - m);
      break;
    case taCenter:
      pos = TPoint(right + w / 2 - w - (right - rect.Left - 4) / 2 - 5, rect.Top - m);
      break;
    default:
      pos = TPoint(rect.Left - 1, rect.Top - m);
      break;
  }
  info->HintStr = text;
  info->CursorRect = rect;
  info->HintPos = ClientToScreen(pos);
  info->HintWindowClass = HintWindowClassOf<TToolTipsWindow>();
  info->HintData = HintFont();
  if (wrap) info->HintMaxWidth = rect.Width() - 4;
}

// ---------------------------------------------------------------------------------------------------
// Window messages

bool TCustomDBGridX::DesignedWithoutColumns() const {
  return !FDataLink ||
         (!FColumns->Customised() && (!FDataLink->Active() || FDataLink->UsesDefaultFields()));
}

void TCustomDBGridX::CMDesignHitTest(TMessage& Message) {
  TCustomGrid::WndProc(Message);
  if (Message.Result == 0) {
    // The frozen columns are sized through the grid's own zone, which the base grid does not know.
    int index = 0, pos = 0, ofs = 0;
    if (FrozenSizingHit(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam), index, pos, ofs))
      Message.Result = -1;
  } else if (Message.Result == 1 && DesignedWithoutColumns()) {
    // Default columns are not stored: sizing them on the form would be lost.
    Message.Result = 0;
  }
}

void TCustomDBGridX::WMSetCursor(TMessage& Message) {
  if (IsDesigning() && DesignedWithoutColumns()) {
    ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
    Message.Result = 1;
    return;
  }
  if (FrozenSizingCursor(Message)) return;  // the frozen columns' sizing zone
  if (LOWORD(Message.LParam) != HTCLIENT || !FDataLink->Active() || !FDataOptions.Contains(gdoMultiSelect) ||
      IsDesigning()) {
    TCustomGrid::WndProc(Message);
    return;
  }
  POINT p{};
  GetCursorPos(&p);
  TPoint c = ScreenToClient(TPoint(p.x, p.y));
  TGridCoord cell = MouseCoord(c.X, c.Y);
  HCURSOR cursor = nullptr;
  TDataSet* ds = FDataLink->DataSet();
  if (cell.X >= 0 && cell.X < FIndicatorOffset && cell.Y >= FTitleOffset && ds && !(ds->Bof() && ds->Eof()) &&
      FAllowedSelections.Contains(selRecordsX)) {
    cursor = RightToLeft() ? RowSelectCursorRTL : RowSelectCursor;
  } else if (cell.X >= FIndicatorOffset && cell.Y == 0 && FDataOptions.Contains(gdoTitles) &&
             !FDataOptions.Contains(gdoRowSelect) && FAllowedSelections.Contains(selColumnsX)) {
    TRect r = CellRect(cell.X, cell.Y);
    if (c.Y >= std::max(r.Top, r.Bottom - 7)) cursor = ColumnSelectCursor;
  }
  if (cursor) {
    ::SetCursor(cursor);
    Message.Result = 1;
    return;
  }
  TCustomGrid::WndProc(Message);
}

void TCustomDBGridX::CreateParams(TCreateParams& Params) {
  TCustomGrid::CreateParams(Params);
  if (FFlat && Ctl3D()) {
    // The flat look draws its own one-pixel border instead of the sunken edge (without Ctl3D the
    // border is the single line already).
    Params.Style &= ~WS_BORDER;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    FFlatBorderWidth = BorderStyle() == TBorderStyle::bsSingle ? 1 : 0;
  } else {
    FFlatBorderWidth = 0;
  }
}

void TCustomDBGridX::PaintFlatBorder() {
  if (!FFlat || FFlatBorderWidth == 0 || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  RECT r{};
  GetWindowRect(Handle(), &r);
  OffsetRect(&r, -r.left, -r.top);
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  ReleaseDC(Handle(), dc);
}

void TCustomDBGridX::CopyFromPriorRecord() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds || FDataLink->ActiveRecord() <= 0) return;
  TColumnX* col = ColumnAt(GetSelectedIndex());
  TField* field = col ? col->Field() : nullptr;
  if (!field || !col->CanModify(false)) return;
  // A lookup cell copies the key behind the looked-up text.
  TField* target = field->FieldKind() == fkLookup ? ds->FindField(field->KeyFields()) : field;
  if (!target) return;
  const int record = FDataLink->ActiveRecord();
  Variant value;
  FDataLink->SetActiveRecord(record - 1);
  try {
    value = target->AsVariant();
  } catch (...) {
    FDataLink->SetActiveRecord(record);
    throw;
  }
  FDataLink->SetActiveRecord(record);
  FSelectedRows->Clear();
  if (!col->CanModify(true)) return;
  target->SetAsVariant(value);
  ShowEditor();
  if (InplaceEditor() && InplaceEditor()->Visible()) InplaceEditor()->SelectAll();
}

void TCustomDBGridX::WndProc(TMessage& Message) {
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && DragMode() == dmAutomatic &&
      FDataOptions.Contains(gdoMultiSelect) && !IsDesigning()) {
    // A press selects rows rather than dragging the grid at once; a press on a selected row drags
    // those rows once the mouse moves (MouseDown, MouseMove).
    struct TRestore {
      TCustomDBGridX* G;
      ~TRestore() {
        G->FAutoDragPress = false;
        G->SetDragMode(dmAutomatic);
      }
    } restore{this};
    SetDragMode(dmManual);
    FAutoDragPress = true;
    WndProc(Message);
    return;
  }
  switch (Message.Msg) {
    case WM_KEYUP:
      // Ctrl-clicked titles are sorted by once Ctrl is let go.
      if (Message.WParam == VK_CONTROL && FSortMarkAdding) {
        FSortMarkAdding = false;
        ApplySortMarking();
      }
      TCustomGrid::WndProc(Message);
      return;
    case WM_KILLFOCUS:
      WMKillFocus(Message);
      return;
    case WM_SETFOCUS:
      WMSetFocus(Message);
      return;
    case WM_SIZE:
      TCustomGrid::WndProc(Message);
      WMSize(Message);
      return;
    case CM_MOUSEWHEEL:
      CMMouseWheel(Message);
      return;
    case WM_MOUSEWHEEL:
      // A wheel the cell editor's list or the filter editor passed up is not handed back to them.
      if (FWheelForwarding) {
        Message.Result = 0;
        return;
      }
      if (WheelToEditors(Message)) return;
      TCustomGrid::WndProc(Message);
      return;
    case CM_CANCELMODE:
      CMCancelMode(Message);
      return;
    case WM_ERASEBKGND:
      // Painting covers every pixel (cells and the space after them).
      Message.Result = 1;
      return;
    case WM_NCCALCSIZE:
      TCustomGrid::WndProc(Message);
      if (auto* r = reinterpret_cast<RECT*>(Message.LParam); r && FFlatBorderWidth > 0)
        InflateRect(r, -FFlatBorderWidth, -FFlatBorderWidth);
      return;
    case WM_NCPAINT:
      TCustomGrid::WndProc(Message);
      PaintFlatBorder();
      return;
    case CM_FONTCHANGED: {
      TCustomGrid::WndProc(Message);
      // The columns take the new default font under one layout lock, whose end lays the grid out for
      // it (row heights, title row).
      BeginLayout();
      try {
        for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->RefreshDefaultFont();
      } catch (...) {
        EndLayout();
        throw;
      }
      EndLayout();
      return;
    }
    case CM_PARENTFONTCHANGED:
      TCustomGrid::WndProc(Message);
      if (ParentFont()) {
        // Copied without giving up ParentFont (the title font's change handler would).
        auto titleChange = std::move(FTitleFont->OnChange);
        FTitleFont->OnChange = nullptr;
        FTitleFont->Assign(Font());
        FTitleFont->OnChange = std::move(titleChange);
        auto footerChange = std::move(FFooterFont->OnChange);
        FFooterFont->OnChange = nullptr;
        FFooterFont->Assign(Font());
        FFooterFont->OnChange = std::move(footerChange);
        LayoutChanged();
      }
      return;
    case CM_PARENTCOLORCHANGED:
      TCustomGrid::WndProc(Message);
      if (ParentColor()) {
        FFooterColor = Color();
        Invalidate();
      }
      return;
    case CM_SYSCOLORCHANGE:
      TCustomGrid::WndProc(Message);
      ResetButtonsBitmapCache();
      return;
    case CM_HINTSHOWPAUSE:
      CMHintShowPause(Message);
      return;
    case CM_HINTSHOW:
      CMHintShow(Message);
      return;
    case CM_ACTIONEXECUTE:
      Message.Result = ExecuteAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      return;
    case CM_ACTIONUPDATE:
      Message.Result = UpdateAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      return;
    case WM_SETCURSOR:
      WMSetCursor(Message);
      return;
    case CM_DESIGNHITTEST:
      CMDesignHitTest(Message);
      return;
    case WM_IME_STARTCOMPOSITION:
      // Text composed by an input method goes into the cell: the editor takes the focus before the
      // composed characters arrive.
      TCustomGrid::WndProc(Message);
      if (FFilterEditing) EndFilterEdit();
      ShowEditor();
      return;
    case WM_GETDLGCODE:
      TCustomGrid::WndProc(Message);
      if (FOptionsX.Contains(gxoPreferIncSearch)) Message.Result |= DLGC_WANTCHARS;
      return;
    default:
      TCustomGrid::WndProc(Message);
  }
}
