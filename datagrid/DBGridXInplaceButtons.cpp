// The in-place editor's button strip, up-down stepping and most-recently-used list; the column's and
// grid's side of the editor (edit buttons, MRU list, drop-down box, editor creation).
#include <algorithm>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBPopupGridX.h"
#include "dataedit/DBCtrlsXRules.h"
#include "dataedit/MRUListJudge.h"
#include "dataedit/SpecRowX.h"
#include "platform/controls/masks.h"
#include "platform/controls/menus.h"

// ---------------------------------------------------------------------------------------------------
// Button strip

TEditButtonControlX* TDBGridInplaceEdit::ButtonControl(int I) const {
  return I >= 0 && I < ButtonControlCount() ? FButtonControls[static_cast<size_t>(I)].second : nullptr;
}

TEditButtonControlX* TDBGridInplaceEdit::NewEditButtonControl() {
  auto* c = new TEditButtonControlX(this);
  c->SetBounds(0, 0, 10, 17);
  c->SetParent(this);
  c->SetVisible(true);
  return c;
}

TShape* TDBGridInplaceEdit::ButtonSeparator(int I) const {
  return I >= 0 && I < ButtonControlCount() ? FButtonControls[static_cast<size_t>(I)].first : nullptr;
}

int TDBGridInplaceEdit::IndexOfControl(TObject* Sender) const {
  for (int i = 0; i < ButtonControlCount(); ++i)
    if (FButtonControls[static_cast<size_t>(i)].second == Sender) return i;
  return -1;
}

void TDBGridInplaceEdit::LayoutButtonControls() {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  TEditButtonsX* buttons = col ? col->EditButtons() : nullptr;
  size_t n = 1 + static_cast<size_t>(buttons ? buttons->Count() : 0);
  while (FButtonControls.size() > n) {
    TEditButtonControlX* c = FButtonControls.back().second;
    TShape* sep = FButtonControls.back().first;
    c->SetVisible(false);
    sep->SetVisible(false);
    delete c;
    delete sep;
    FButtonControls.pop_back();
  }
  while (FButtonControls.size() < n) {
    TEditButtonControlX* c = NewEditButtonControl();
    c->OnDown = [this, c](TObject*, bool Top, bool& AutoRepeat, bool& Handled) {
      ButtonControlDown(c, Top, AutoRepeat, Handled);
    };
    c->OnClick = [this, c](TObject*) { ButtonControlClick(c); };
    c->OnMouseUp = [this, c](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
      ButtonControlMouseUp(c, B, S, X, Y);
    };
    c->OnMouseMove = [this, c](TObject*, TShiftState S, int X, int Y) { ButtonControlMouseMove(c, S, X, Y); };
    auto* sep = new TShape(this);
    sep->SetVisible(false);
    sep->SetBounds(0, 0, 1, c->Height());
    sep->SetParent(this);
    FButtonControls.emplace_back(sep, c);
  }
  bool flat = g && g->Flat();
  std::vector<TStripButtonX> strip(n);
  TEditButtonControlX* mainButton = FButtonControls[0].second;
  strip[0] = TStripButtonX{FEditStyle != cesSimple, 0};
  switch (FEditStyle) {
    case cesEllipsis: mainButton->SetStyle(ebsEllipsisX); break;
    case cesUpDown: mainButton->SetStyle(ebsUpDownX); break;
    default: mainButton->SetStyle(ebsDropDownX); break;
  }
  mainButton->SetVisible(FEditStyle != cesSimple);
  mainButton->SetFlat(flat);
  for (size_t i = 1; i < n; ++i) {
    TEditButtonX* b = buttons->Items(static_cast<int>(i) - 1);
    TEditButtonControlX* c = FButtonControls[i].second;
    strip[i] = TStripButtonX{b->Visible(), b->Width()};
    c->SetVisible(b->Visible());
    c->SetStyle(b->Style());
    if (b->Glyph()) c->Glyph()->Assign(b->Glyph());
    c->SetNumGlyphs(b->NumGlyphs());
    c->SetHint(b->Hint());
    c->SetFlat(flat);
  }
  TRect cr = ClientRect();
  // The editor library's start-up measures the flat width; without it (a program that never ran it)
  // flat buttons would get no width at all.
  if (FlatButtonWidth <= 0) FlatButtonWidth = ComputeFlatButtonWidth();
  TButtonStripLayoutX l = LayoutButtonStrip(strip, cr.Width(), cr.Height(), flat, g && g->RightToLeft(),
                                            FlatButtonWidth, GetSystemMetrics(SM_CXVSCROLL));
  for (size_t i = 0; i < n; ++i) {
    const RECT& r = l.Buttons[i];
    FButtonControls[i].second->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    const RECT& s = l.Separators[i];
    TShape* sep = FButtonControls[i].first;
    bool shown = flat && strip[i].Visible && s.right > s.left;
    if (shown) sep->SetBounds(s.left, s.top, s.right - s.left, s.bottom - s.top);
    sep->SetVisible(shown);
  }
  FButtonStripWidth = l.StripWidth;
  FButtonControlHeight = l.ButtonHeight;
}

void TDBGridInplaceEdit::RefreshButtonStates() {
  for (auto& p : FButtonControls) {
    p.second->SetEnabled(true);
    p.second->SetActive(true);
    p.first->Pen()->SetColor(clBtnFace);
  }
}

void TDBGridInplaceEdit::BoundsChanged() {
  MSG m;
  if (HandleAllocated())
    while (PeekMessage(&m, Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_REMOVE)) {
    }
  LayoutButtonControls();
  RefreshButtonStates();
  TCustomDBGridX* g = DBGrid();
  bool flat = g && g->Flat();
  bool rtl = g && g->RightToLeft();
  RECT r = flat ? RECT{2, 1, Width() - 2, Height() - 1} : RECT{2, 2, Width() - 2, Height()};
  if (rtl) r.left += FButtonStripWidth;
  else r.right -= FButtonStripWidth;
  if (HandleAllocated()) {
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    Perform(EM_SCROLLCARET, 0, 0);
    // Text being composed shows where the typed text goes.
    if (InputMethodPresent()) {
      COMPOSITIONFORM form;
      form.dwStyle = CFS_RECT;
      form.ptCurrentPos = POINT{r.left, r.top};
      form.rcArea = r;
      HIMC ime = ImmGetContext(Handle());
      ImmSetCompositionWindow(ime, &form);
      ImmReleaseContext(Handle(), ime);
    }
  }
}

TEditButtonX* TDBGridInplaceEdit::FindButtonByShortCut(TShortCut Short) {
  TColumnX* col = CurrentColumn();
  if (!col || Short == 0) return nullptr;
  TEditButtonsX* b = col->EditButtons();
  for (int i = 0; i < b->Count(); ++i)
    if (b->Items(i)->ShortCut() == Short) return b->Items(i);
  return nullptr;
}

void TDBGridInplaceEdit::EditButtonPressed(bool Down) {
  if (FEditStyle == cesUpDown) {
    StepValue(Down);
  } else if (!FListShown) {
    DropDown();
    FIgnoreNextClickCloseUp = true;
  }
}

void TDBGridInplaceEdit::ButtonControlDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
  if (HandleAllocated() && GetFocus() != Handle() && IsWindowVisible(Handle())) ::SetFocus(Handle());
  Handled = false;
  MSG m;
  if (HandleAllocated() && PeekMessage(&m, Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_NOREMOVE) &&
      m.wParam == reinterpret_cast<WPARAM>(Sender)) {
    PeekMessage(&m, Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_REMOVE);
    return;
  }
  TColumnX* col = CurrentColumn();
  int i = IndexOfControl(Sender);
  if (!col || i < 0) return;
  if (i == 0) {
    if (col->OnEditButtonDown) col->OnEditButtonDown(Sender, TopButton, AutoRepeat, Handled);
    if (!Handled) EditButtonPressed(!TopButton);
    return;
  }
  TEditButtonX* b = col->EditButtons()->Items(i - 1);
  if (b->OnDown) b->OnDown(Sender, TopButton, AutoRepeat, Handled);
  if (!Handled && b->DropdownMenu()) {
    auto* c = static_cast<TEditButtonControlX*>(Sender);
    POINT p{0, c->Height()};
    if (b->DropdownMenu()->Alignment() == paRight) p.x = c->Width();
    if (c->Parent() && c->Parent()->HandleAllocated()) {
      p.x += c->Left();
      p.y += c->Top();
      ::ClientToScreen(c->Parent()->Handle(), &p);
    }
    b->DropdownMenu()->Popup(p.x, p.y);
    if (HandleAllocated()) PostMessage(Handle(), WM_SKIPBUTTONDOWN, reinterpret_cast<WPARAM>(Sender), 0);
    c->Perform(WM_LBUTTONUP, 0, 0);
  }
}

void TDBGridInplaceEdit::ButtonControlClick(TObject* Sender) {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  int i = IndexOfControl(Sender);
  if (!g || !col || i < 0) return;
  bool handled = false;
  if (i == 0 && (FEditStyle == cesEllipsis || FEditStyle == cesDropDown)) g->EditButtonClick();
  if (i == 0) {
    if (col->OnEditButtonClick) col->OnEditButtonClick(Sender, handled);
  } else {
    TEditButtonX* b = col->EditButtons()->Items(i - 1);
    if (b->OnClick) b->OnClick(Sender, handled);
  }
  if (!handled && i == 0 && FListShown && !FIgnoreNextClickCloseUp) CloseUp(false);
  FIgnoreNextClickCloseUp = false;
}

void TDBGridInplaceEdit::ButtonControlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
  if (IndexOfControl(Sender) == 0) TrackListMouseMove(static_cast<TEditButtonControlX*>(Sender), Shift, X, Y);
}

void TDBGridInplaceEdit::TrackListMouseMove(TControl* Button, TShiftState Shift, int X, int Y) {
  if (!FListShown || !FDropDownControl || !FDropDownControl->HandleAllocated() || !Shift.Contains(ssLeft)) return;
  // The button holds the mouse through the editor's window (it has none of its own).
  if (!HandleAllocated() || GetCapture() != Handle()) return;
  TPoint screen = Button->ClientToScreen(TPoint(X, Y));
  TPoint p = FDropDownControl->ScreenToClient(screen);
  TRect area = FDropDownControl->ClientRect();
  if (FDropDownControl == FLookupList) {
    int top = FLookupList->TitleOffset() > 0 ? FLookupList->CellRect(0, FLookupList->TitleOffset()).Top : 0;
    area.Top = std::max(area.Top, top);
  }
  if (p.X < area.Left || p.Y < area.Top || p.X >= area.Right || p.Y >= area.Bottom) return;
  Perform(WM_CANCELMODE, 0, 0);
  SendMessage(FDropDownControl->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
}

void TDBGridInplaceEdit::ButtonControlMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  auto* c = dynamic_cast<TControl*>(Sender);
  if (c && (X < 0 || Y < 0 || X >= c->Width() || Y >= c->Height())) FIgnoreNextClickCloseUp = false;
}

// ---------------------------------------------------------------------------------------------------
// Up-down stepping

void TDBGridInplaceEdit::StepValue(bool Down) {
  TCustomDBGridX* g = DBGrid();
  TColumnX* col = CurrentColumn();
  if (!g || !col || !col->CanModify(true)) return;
  if (g->EditText() != Text()) {
    g->SetEditTextX(Text());
    g->CommitEditText();
  }
  // List cells go forward on Down; the step's sign (never its size) picks the direction.
  double factor = col->GetCellKind() == cckText ? 1.0 : -1.0;
  double inc = col->Increment();
  col->StepValue(Down ? -inc * factor : inc * factor);
  SetTextKeepEdit(g->CurrentEditText());
  SelectAll();
}

// ---------------------------------------------------------------------------------------------------
// MRU list

TMRUListboxX* TDBGridInplaceEdit::NewMRUListControl() {
  auto* l = new TMRUListboxX(this);
  l->SetVisible(false);
  l->SetCtl3D(false);
  l->SetSorted(true);
  l->OnMouseUp = [this, l](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || !FMRUList) return;
    TRect r = l->ClientRect();
    FMRUList->CloseList(X >= 0 && Y >= 0 && X < r.Width() && Y < r.Height());
  };
  // Only the user's drag of the grip is a choice of size; the list's own fitting to fewer matches
  // while typing is not.
  l->SizeGrip()->OnParentResized = [this, l](TObject*) { MRUListBoxResized(l); };
  return l;
}

namespace {

// The first Chars characters of a UTF-8 text.
std::string FirstChars(const std::string& S, size_t Chars) {
  size_t i = 0, n = 0;
  for (; i < S.size(); ++i)
    if ((static_cast<unsigned char>(S[i]) & 0xC0) != 0x80 && n++ == Chars) break;
  return S.substr(0, i);
}

size_t CharCount(const std::string& S) {
  size_t n = 0;
  for (unsigned char c : S)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

void TDBGridInplaceEdit::AcceptMRUItem(const std::string& Item, bool& Accept) {
  std::string t = Text();
  std::string head = FirstChars(Item, CharCount(t));
  Accept = FMRUList && FMRUList->CaseSensitive() ? AnsiCompareStr(head, t) == 0 : AnsiCompareText(head, t) == 0;
  // The list's own filter has the last word, told which column asks.
  if (FMRUItemFilter) FMRUItemFilter(CurrentColumn(), Item, Accept);
}

void TDBGridInplaceEdit::MRUListBoxResized(TObject*) {
  if (!FMRUList || !FMRUList->DroppedDown || !FMRUListControl) return;
  int h = std::max(1, FMRUListControl->ItemHeight());
  FMRUList->SetRows(std::max(1, FMRUListControl->ClientRect().Height() / h));
  FMRUList->Width = FMRUListControl->Width();
}

void TDBGridInplaceEdit::DriveMRUList() {
  if (!FMRUList) return;
  std::string empty = EditMask().empty() ? std::string() : FormatMaskText(EditMask(), std::string());
  if (FMRUList->DroppedDown && Text() == empty) {
    FMRUList->CloseList(false);
    return;
  }
  if (FMRUList->Active() && IsWindowVisible(Handle()) && !FListShown && Text() != empty) OpenMRUList();
}

void TDBGridInplaceEdit::OpenMRUList() {
  if (!FMRUList) return;
  if (!FMRUListControl) FMRUListControl = NewMRUListControl();
  TStrings* items = FMRUListControl->Items();
  // Each entry is judged by AcceptMRUItem (which hands the list's own filter the column as sender).
  const auto Judge = [this](const std::string& Item, bool& Accept) { AcceptMRUItem(Item, Accept); };
  const bool complete = GetMatchingItemsJudgedBy(FMRUList, items, Text(), FMRUItemFilter, Judge);
  if (!complete) FMRUList->CloseList(false);
  int count = items->Count();
  if (FMRUList->DroppedDown && count == 0) {
    CloseMRUList(false);
    return;
  }
  if (count == 0) return;
  RECT fr{0, 0, 0, 0};
  Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  POINT tl{fr.left, fr.top}, br{fr.right, fr.bottom};
  ::ClientToScreen(Handle(), &tl);
  ::ClientToScreen(Handle(), &br);
  RECT screen{tl.x, tl.y, br.x, br.y};
  bool wasOpen = FMRUList->DroppedDown;
  if (!wasOpen) {
    FMRUListControl->SetColor(Color());
    FMRUListControl->Font()->Assign(Font());
    FMRUListControl->SetBiDiMode(BiDiMode());
    FMRUListControl->SetItemIndex(-1);
    // The width the user gave the list last time, when wider than the text.
    int w = screen.right - screen.left;
    if (FMRUList->Width > w) w = FMRUList->Width;
    FMRUListControl->SetWidth(w);
  }
  FMRUListControl->SetVisibleRows(std::min(count, FMRUList->Rows()));
  POINT pos{0, 0};
  PositionDropDownAtRect(screen, FMRUListControl, daLeft, pos, FMRUListControl->ItemHeight());
  SetWindowPos(FMRUListControl->Handle(), HWND_TOP, pos.x, pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  FMRUListControl->SetVisible(true);
  if (!wasOpen) FMRUList->DroppedDown = true;
}

void TDBGridInplaceEdit::CloseMRUList(bool Accept) {
  if (!FMRUList || !FMRUList->DroppedDown || !FMRUListControl) return;
  HideDropDownWindow(FMRUListControl, this);
  FMRUList->DroppedDown = false;
  TCustomDBGridX* g = DBGrid();
  int i = FMRUListControl->ItemIndex();
  if (Accept && !ReadOnly() && g && i >= 0) {
    g->DataLink()->Edit();
    if (g->DataLink()->Editing()) {
      g->DataLink()->MarkEditorChanged();
      std::string t = FMRUListControl->Items()->Strings(i);
      SetTextKeepEdit(t);
      g->SetEditTextX(t);
      if (HandleAllocated() && GetFocus() == Handle()) SelectAll();
    }
  }
}

bool TDBGridInplaceEdit::HandleMRUKey(TMessage& M) {
  WORD key = static_cast<WORD>(M.WParam);
  if (M.Msg == WM_CHAR) {
    if (key == 13 || key == 27) {
      FMRUList->CloseList(key == 13);
      return true;
    }
    return false;
  }
  bool alt = M.Msg == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool nav = ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !alt) ||
             ((key == VK_HOME || key == VK_END) && ctrl);
  if (!nav || !FMRUListControl) return false;
  SendMessage(FMRUListControl->Handle(), WM_KEYDOWN, M.WParam, M.LParam);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Column side

TEditButtonsX* TColumnX::EditButtons() {
  // A button the user adds shows at once (visible, Alt+Down), as the edit controls' own buttons do.
  if (!FEditButtons)
    FEditButtons = std::make_shared<TEditButtonsX>(this, TVisibleEditButtonX::StaticClass(),
                                                   MakeItemFactory<TVisibleEditButtonX>());
  return FEditButtons.get();
}

TMRUListX* TColumnX::MRUList() {
  if (!FMRUList) FMRUList = std::make_shared<TMRUListX>(this);
  return FMRUList.get();
}

void TColumnX::RememberEditText(const std::string& Text) {
  if (!FMRUList || !FMRUList->Active() || !FMRUList->AutoAdd()) return;
  TCustomDBGridX* g = OwnerGrid();
  TInplaceEdit* e = g ? g->InplaceEditor() : nullptr;
  // Only what goes through the shown editor; values the program sets are not the user's entries.
  if (e && e->Visible() && e->HandleAllocated() && IsWindowVisible(e->Handle())) FMRUList->AddEntry(Text);
}

TColumnDropDownOwnerX* TColumnX::DropDownBoxOwner() {
  if (!FDropDownOwner) FDropDownOwner = std::make_shared<TColumnDropDownOwnerX>(this);
  return FDropDownOwner.get();
}

TColumnDropDownBoxX* TColumnX::DropDownBox() {
  if (!FDropDownBox) FDropDownBox = std::make_shared<TColumnDropDownBoxX>(this);
  return FDropDownBox.get();
}

TPopupDataGridX* TColumnX::DropDownGrid() { return DropDownBoxOwner()->GetDropDownGrid(); }

TSpecRowX* TColumnX::DropDownSpecRow() { return DropDownBox()->SpecRow(); }

TPopupDataGridX* TColumnX::DropDownGridIfMade() const {
  return FDropDownOwner ? FDropDownOwner->DropDownGridIfMade() : nullptr;
}

// Each event lives on the drop-down grid; clearing one on a grid never made makes none.
#define COLUMN_DROPDOWN_EVENT(Name, Type, GridEvent)                     \
  TColumnX::Type TColumnX::Name() const {                                \
    TPopupDataGridX* g = DropDownGridIfMade();                           \
    return g ? g->GridEvent : Type();                                    \
  }                                                                      \
  void TColumnX::Set##Name(Type Value) {                                 \
    if (!Value && !DropDownGridIfMade()) return;                         \
    DropDownGrid()->GridEvent = std::move(Value);                        \
  }
COLUMN_DROPDOWN_EVENT(OnDropDownBoxCheckButton, TDropDownBoxCheckButtonEventX, OnCheckTitleButton)
COLUMN_DROPDOWN_EVENT(OnDropDownBoxDrawColumnCell, TDropDownBoxDrawColumnCellEventX, OnDrawColumnCell)
COLUMN_DROPDOWN_EVENT(OnDropDownBoxGetCellParams, TDropDownBoxGetCellParamsEventX, OnGetCellParams)
COLUMN_DROPDOWN_EVENT(OnDropDownBoxTitleBtnClick, TDropDownBoxTitleBtnClickEventX, OnTitleBtnClick)
#undef COLUMN_DROPDOWN_EVENT

TNotifyEvent TColumnX::OnDropDownBoxSortMarkingChanged() const {
  TPopupDataGridX* g = DropDownGridIfMade();
  return g ? g->OnSortMarkingChanged : TNotifyEvent();
}

void TColumnX::SetOnDropDownBoxSortMarkingChanged(TNotifyEvent Value) {
  if (!Value && !DropDownGridIfMade()) return;
  DropDownGrid()->OnSortMarkingChanged = std::move(Value);
}

void TColumnX::ListSourceGone(TComponent* AComponent) {
  if (FDropDownBox) FDropDownBox->ListSourceGone(AComponent);
}

TDataSet* TColumnX::GetListDataSet() {
  if (FDropDownBox && FDropDownBox->ListSource() && FDropDownBox->ListSource()->DataSet())
    return FDropDownBox->ListSource()->DataSet();
  TField* f = Field();
  return f && f->Lookup() ? f->LookupDataSet() : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Grid side

TInplaceEdit* TCustomDBGridX::CreateEditor() { return new TDBGridInplaceEdit(this); }

TDBGridInplaceEdit* TCustomDBGridX::InplaceEditX() const { return dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor()); }

void TCustomDBGridX::MRUListGone(TMRUListX* List) {
  if (TDBGridInplaceEdit* e = InplaceEditX()) e->ForgetMRUList(List);
}

void TDBGridInplaceEdit::ForgetMRUList(TMRUListX* List) {
  if (!List || FMRUList != List) return;
  FMRUList->OnCloseList = nullptr;  // the list is still whole here
  FMRUList = nullptr;
}

void TCustomDBGridX::ReleaseEditorMRUList() {
  if (TDBGridInplaceEdit* e = InplaceEditX()) e->ForgetMRUList(e->MRUList());
}

void TCustomDBGridX::InvalidateEditorX() {
  TDBGridInplaceEdit* e = InplaceEditX();
  if (e) e->KeepListOpen = true;
  struct Release {
    TDBGridInplaceEdit* E;
    ~Release() {
      if (E) E->KeepListOpen = false;
    }
  } release{e};
  // An editor shown on the current cell takes what changed in its column.
  if (e && EditorMode() && e->EditCol() == Col() && e->EditRow() == Row() && e->EditCol() < ColCount() &&
      e->EditRow() < RowCount())
    e->ReloadKeepingTypedText();
  InvalidateEditor();
  if (FFilterEditing && FFilterEditor) FFilterEditor->Invalidate();
}
