// The data-aware edit: value and text with their commit path, field-driven settings, keys, focus
// changes and the in-place protocol with its holder.
#include "dataedit/DBCtrlsX_edit.h"

#include <algorithm>
#include <cstdlib>

#include "dataedit/MRUListJudge.h"
#include "platform/classes/filer.h"
#include "platform/controls/actions.h"
#include "platform/controls/masks.h"
#include "platform/controls/menus.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"
#include "platform/rtl/sysutils.h"

namespace {
// Posted to the edit itself: take the focus back after leaving it for another window failed (that
// activation must end first).
constexpr UINT CM_DBEDITREFOCUSX = CM_BASE + 0x7A;
}  // namespace

TCustomDBEditX::TCustomDBEditX(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  FControlStyle.Include(csCaptureMouse);
  FControlStyle.Include(csReplicatable);
  RenewDataLink();
  FMRUList = std::make_unique<TMRUListX>(this);
  FMRUList->OnOpenList = [this](TObject*) { OpenMRUList(); };
  FMRUList->OnCloseList = [this](TObject*, bool Accept) { CloseMRUList(Accept); };
  RenewEditButton();
  FEditButtons = NewEditButtons();
  FEditButtons->OnInternalChange = [this](TCollectionItem*) { EditButtonChanged(); };
  FEditImage = NewEditImage();
  // The height follows the font unless AutoSize is switched off.
  TCustomMaskEdit::SetAutoSize(true);
  UpdateHeightStyle();
  RefreshReadOnlyState();
}

TCustomDBEditX::~TCustomDBEditX() = default;

std::unique_ptr<TFieldDataLinkX> TCustomDBEditX::NewDataLink() { return std::make_unique<TFieldDataLinkX>(); }

void TCustomDBEditX::RenewDataLink() {
  std::unique_ptr<TFieldDataLinkX> L = NewDataLink();
  L->SetControl(this);
  L->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
  L->OnEditingChange = [this](TObject*) { LinkEditingChanged(); };
  L->OnUpdateData = [this](TObject* Sender) { UpdateData(Sender); };
  L->OnActiveChange = [this](TObject*) { LinkActiveChanged(); };
  if (FDataLink) {
    // The old link's settings go over; it is let go of its source first.
    L->SetReadOnly(FDataLink->ReadOnly());
    L->SetFieldName(FDataLink->FieldName());
    TDataSource* S = FDataLink->DataSource();
    FDataLink->OnActiveChange = nullptr;
    FDataLink->OnDataChange = nullptr;
    FDataLink->SetDataSource(nullptr);
    FDataLink = std::move(L);
    FDataLink->SetDataSource(S);
    return;
  }
  FDataLink = std::move(L);
}

TField* TCustomDBEditX::Field() const { return FDataLink->Field(); }
bool TCustomDBEditX::IsDataIndependent() const { return FDataLink->DataIndependent(); }
std::string TCustomDBEditX::GetDataField() const { return FDataLink->FieldName(); }
TDataSource* TCustomDBEditX::GetDataSource() const { return FDataLink->DataSource(); }
bool TCustomDBEditX::EditButtonsEnabled() { return FEnabled && FDataLink->IsLinkActive(); }

// ---------------------------------------------------------------------------------------------------
// The button strip

TEditButtonX* TCustomDBEditX::NewEditButton() { return TEditButtonX::CreateForControl(this); }

void TCustomDBEditX::RenewEditButton() {
  std::unique_ptr<TEditButtonX> B(NewEditButton());
  B->OnInternalChange = [this](TObject*) { EditButtonChanged(); };
  FEditButton = std::move(B);
  EditButtonChanged();
}

TEditButtonControlX* TCustomDBEditX::NewEditButtonControl() {
  auto* C = new TEditButtonControlX(this);
  C->SetBounds(0, 0, 10, 17);
  C->SetParent(this);
  C->SetVisible(true);
  return C;
}

std::unique_ptr<TEditButtonsX> TCustomDBEditX::NewEditButtons() {
  return std::make_unique<TEditButtonsX>(this, TVisibleEditButtonX::StaticClass(),
                                         [](TCollection* C) -> TCollectionItem* { return new TVisibleEditButtonX(C); });
}

TEditButtonControlX* TCustomDBEditX::ButtonControl(int I) const {
  return I >= 0 && I < static_cast<int>(FButtonControls.size()) ? FButtonControls[I] : nullptr;
}

void TCustomDBEditX::LayoutEditButtons() {
  const size_t N = static_cast<size_t>(FEditButtons->Count()) + 1;
  while (FButtonControls.size() > N) {
    delete FButtonControls.back();
    FButtonControls.pop_back();
    delete FSeparators.back();
    FSeparators.pop_back();
  }
  while (FButtonControls.size() < N) {
    // Each button has a separator on its left, a line that shows only in a flat edit.
    auto* Sep = new TShape(this);
    Sep->SetParent(this);
    Sep->SetWidth(0);
    FSeparators.push_back(Sep);
    TEditButtonControlX* C = NewEditButtonControl();
    C->OnDown = [this, C](TObject*, bool Top, bool& AutoRepeat, bool& Handled) {
      ButtonControlDown(C, Top, AutoRepeat, Handled);
    };
    C->OnClick = [this, C](TObject*) { ButtonControlClick(C); };
    C->OnMouseMove = [this, C](TObject*, TShiftState Shift, int X, int Y) { ButtonControlMouseMove(C, Shift, X, Y); };
    C->OnMouseUp = [this, C](TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
      ButtonControlMouseUp(C, Button, Shift, X, Y);
    };
    FButtonControls.push_back(C);
  }
  std::vector<TStripButtonX> Strip(N);
  for (size_t I = 0; I < N; ++I) {
    TEditButtonX* B = I == 0 ? FEditButton.get() : FEditButtons->Items(static_cast<int>(I) - 1);
    Strip[I] = TStripButtonX{B->Visible(), B->Width()};
    TEditButtonControlX* C = FButtonControls[I];
    C->SetStyle(B->Style());
    C->SetVisible(B->Visible());
    C->SetFlat(FFlat);
    C->SetGlyph(B->Glyph());
    C->SetNumGlyphs(B->NumGlyphs());
    C->SetHint(B->Hint());
  }
  const TRect CR = ClientRect();
  // Inside a single border drawn in the client area the strip keeps one pixel off every edge.
  const int In = BorderInsideClient() ? 1 : 0;
  const int CW = CR.Right - CR.Left - 2 * In, CH = CR.Bottom - CR.Top - 2 * In;
  // The unit's start-up measures the flat width; a program without the start-up list measures it here.
  if (FlatButtonWidth <= 0) FlatButtonWidth = ComputeFlatButtonWidth();
  const TButtonStripLayoutX L = LayoutButtonStrip(Strip, CW, CH, FFlat, UseRightToLeftAlignment(), FlatButtonWidth,
                                                  GetSystemMetrics(SM_CXVSCROLL));
  for (size_t I = 0; I < N; ++I) {
    const RECT& R = L.Buttons[I];
    FButtonControls[I]->SetBounds(R.left + In, R.top + In, R.right - R.left, R.bottom - R.top);
    const RECT& S = L.Separators[I];
    FSeparators[I]->SetBounds(S.left + In, S.top + In, S.right - S.left, S.bottom - S.top);
    FSeparators[I]->SetVisible(S.right > S.left);
  }
  FStripWidth = L.StripWidth;
  FButtonHeight = L.ButtonHeight;
  UpdateTextRect();
  RefreshButtonControls();
}

void TCustomDBEditX::RefreshButtonControls() {
  const bool On = EditButtonsEnabled();
  for (TEditButtonControlX* C : FButtonControls) {
    C->SetEnabled(On);
    C->SetActive(FBorderActive);
  }
  for (TShape* S : FSeparators) {
    const TColor Line = FBorderActive ? clBtnFace : Color();
    S->Pen()->SetColor(Line);
    S->Brush()->SetColor(Line);
  }
}

void TCustomDBEditX::EditButtonChanged() {
  if (!HandleAllocated()) return;
  LayoutEditButtons();
  Invalidate();
}

void TCustomDBEditX::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  UpdateHeightStyle();
  RefreshBorderState();
  UpdateImageWidth();
  LayoutEditButtons();
}

void TCustomDBEditX::Resize() {
  TCustomMaskEdit::Resize();
  if (HandleAllocated()) LayoutEditButtons();
}

void TCustomDBEditX::EnabledChanged() {
  TCustomMaskEdit::EnabledChanged();
  RefreshButtonControls();
}

void TCustomDBEditX::ButtonControlDown(TEditButtonControlX* Sender, bool TopButton, bool& AutoRepeat,
                                       bool& Handled) {
  if (CanFocus() && !Focused()) SetFocus();
  Handled = false;
  // The click that closed this button's menu: swallowed, the menu does not pop up again.
  MSG Skip;
  if (HandleAllocated() && PeekMessage(&Skip, Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_NOREMOVE) &&
      Skip.wParam == reinterpret_cast<WPARAM>(Sender)) {
    PeekMessage(&Skip, Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_REMOVE);
    return;
  }
  if (Sender == ButtonControl(0)) {
    if (OnButtonDown) OnButtonDown(this, TopButton, AutoRepeat, Handled);
    if (!Handled && !PopupDropdownMenu(FEditButton.get(), Sender)) EditButtonPressed(!TopButton);
    return;
  }
  for (size_t I = 1; I < FButtonControls.size(); ++I)
    if (FButtonControls[I] == Sender) {
      TEditButtonX* B = FEditButtons->Items(static_cast<int>(I) - 1);
      if (B->OnDown) B->OnDown(B, TopButton, AutoRepeat, Handled);
      if (!Handled) PopupDropdownMenu(B, Sender);
      return;
    }
}

void TCustomDBEditX::EditButtonPressed(bool /*IsDownButton*/) {
  if (FEditButton->Style() == ebsUpDownX || FDroppedDown) return;
  DropDown();
  FIgnoreCloseUp = true;
}

void TCustomDBEditX::ButtonControlClick(TEditButtonControlX* Sender) {
  bool Handled = false;
  if (Sender == ButtonControl(0)) {
    if (OnButtonClick) OnButtonClick(this, Handled);
    if (!Handled && FDroppedDown && !FIgnoreCloseUp) CloseUp(false);
  } else {
    for (size_t I = 1; I < FButtonControls.size(); ++I)
      if (FButtonControls[I] == Sender) {
        TEditButtonX* B = FEditButtons->Items(static_cast<int>(I) - 1);
        if (B->OnClick) B->OnClick(B, Handled);
      }
  }
  FIgnoreCloseUp = false;
}

TAlignment TCustomDBEditX::GetDefaultAlignment() const {
  TField* F = Field();
  return F ? F->Alignment() : taLeftJustify;
}

std::string TCustomDBEditX::GetDefaultEditMask() const {
  TField* F = Field();
  return F ? F->EditMask() : std::string();
}

bool TCustomDBEditX::IsValidInputChar(char32_t Ch) {
  TField* F = Field();
  return F ? F->IsValidChar(Ch) : true;
}

// ---------------------------------------------------------------------------------------------------
// Value and text

void TCustomDBEditX::WriteThrough(const std::function<void()>& Change) {
  if (ComponentState().Contains(csDesigning) && !IsDataIndependent()) return;
  // A field name without a data source has no data set to put into edit state: the edit then takes
  // the value as an unbound control would, instead of reaching through a missing data set.
  if (!IsDataIndependent())
    if (TDataSet* DS = FDataLink->DataSet()) DS->Edit();
  Change();
  if (FPosting) return;
  try {
    CommitData();
  } catch (...) {
    FDataLink->ReloadRecord();
    throw;
  }
}

void TCustomDBEditX::SetText(const std::string& Value) {
  WriteThrough([&] { ApplyText(Value); });
}

void TCustomDBEditX::DoSetValue(const Variant& Value) {
  WriteThrough([&] { ApplyValue(Value); });
}

Variant TCustomDBEditX::DoGetValue() { return Variant(Text()); }

void TCustomDBEditX::ApplyText(const std::string& Text) { TCustomMaskEdit::SetText(Text); }
void TCustomDBEditX::ApplyValue(const Variant& Value) { ApplyText(SafeVarToStr(Value)); }

void TCustomDBEditX::DoUpdateData(bool& Handled) {
  Handled = false;
  if (!OnUpdateData) return;
  FPosting = true;
  try {
    OnUpdateData(this, Handled);
  } catch (...) {
    FPosting = false;
    throw;
  }
  FPosting = false;
}

void TCustomDBEditX::CommitData() {
  if (FFocused) ValidateEdit();
  bool Handled = false;
  DoUpdateData(Handled);
  if (!Handled) StoreTextInLink();
  SetModified(false);
  if (FMRUList->AutoAdd() && FMRUList->Active() && Showing()) FMRUList->AddEntry(Text());
}

void TCustomDBEditX::StoreTextInLink() {
  if (IsDataIndependent())
    FDataLink->SetText(EditText());
  else
    FDataLink->SetText(Text());
}

void TCustomDBEditX::UpdateData(TObject* /*Sender*/) { CommitData(); }

void TCustomDBEditX::DataChange(TObject* /*Sender*/) {
  FieldDataChanged();
  RefreshButtonControls();
}

void TCustomDBEditX::FieldDataChanged() {
  TField* F = Field();
  if (F) {
    ApplyFieldSettings(F, true);
    const bool Memo = dynamic_cast<TMemoField*>(F) != nullptr;
    if (FFocused && FDataLink->CanModify())
      ApplyText(Memo ? F->AsString() : F->Text());
    else
      SetEditText(Memo ? F->AsString() : F->DisplayText());
  } else {
    ClearAssignableMask();
    SetEditText(IsDataIndependent() ? SafeVarToStr(FDataLink->DataIndependentValue()) : std::string());
  }
  RefreshReadOnlyState();
  SetModified(false);
}

void TCustomDBEditX::ApplyFieldSettings(TField* F, bool TakeMaxLength) {
  if (!FAlignmentAssigned && F->Alignment() != FAlignment) {
    FAlignment = F->Alignment();
    Invalidate();
  }
  if (!FEditMaskAssigned) TCustomMaskEdit::SetEditMask(F->EditMask());
  if (TakeMaxLength && !ComponentState().Contains(csDesigning) &&
      (F->DataType() == ftString || F->DataType() == ftWideString) && MaxLength() == 0)
    SetMaxLength(F->Size());
}

void TCustomDBEditX::ClearAssignableMask() {
  if (!FEditMaskAssigned) TCustomMaskEdit::SetEditMask("");
}

void TCustomDBEditX::ClearFieldMaxLength() {
  if (MaxLength() <= 0) return;
  TDataSource* DS = DataSource();
  if (!DS || !DS->DataSet() || DataField().empty()) return;
  TField* F = DS->DataSet()->FindField(DataField());
  if (F && (F->DataType() == ftString || F->DataType() == ftWideString) && F->Size() == MaxLength())
    SetMaxLength(0);
}

void TCustomDBEditX::LinkActiveChanged() {
  ClearFieldMaxLength();
  RefreshButtonControls();
}

void TCustomDBEditX::LinkEditingChanged() { RefreshReadOnlyState(); }

void TCustomDBEditX::RefreshReadOnlyState() {
  bool RO = FReadOnlyProp || (!FDataLink->Editing() && !OnUpdateData);
  if (FInplaceIntf && !FInplaceIntf->EditorCanModify(this)) RO = true;
  SetWindowReadOnly(RO);
}

void TCustomDBEditX::SetReadOnly(bool Value) {
  FReadOnlyProp = Value;
  FDataLink->SetReadOnly(Value);
  LinkEditingChanged();
}

void TCustomDBEditX::SetEditMask(const std::string& Value) {
  if (FEditMaskAssigned && Value == EditMask()) return;
  std::string Kept;
  const bool Loading = ComponentState().Contains(csLoading);
  if (Loading && IsDataIndependent()) Kept = Text();
  TCustomMaskEdit::SetEditMask(Value);
  FEditMaskAssigned = true;
  if (Loading && !Kept.empty()) ApplyText(Kept);
  if (IsDataIndependent())
    StoreTextInLink();
  else
    FieldDataChanged();
}

void TCustomDBEditX::SetAlignment(TAlignment Value) {
  if (FAlignmentAssigned && Value == FAlignment) return;
  FAlignment = Value;
  FAlignmentAssigned = true;
  if (FWordWrap)
    RecreateWnd();
  else
    Invalidate();
}

void TCustomDBEditX::SetAlwaysShowBorder(bool Value) {
  if (Value == FAlwaysShowBorder) return;
  FAlwaysShowBorder = Value;
  RefreshBorderState();
  Invalidate();
}

void TCustomDBEditX::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  RecreateWnd();
}

void TCustomDBEditX::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomDBEditX::SetDataSource(TDataSource* Value) {
  if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading))) FDataLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
  FieldDataChanged();
  Invalidate();
}

void TCustomDBEditX::SetDataField(const std::string& Value) {
  if (!ComponentState().Contains(csDesigning)) ClearFieldMaxLength();
  FDataLink->SetFieldName(Value);
  Invalidate();
}

void TCustomDBEditX::SetFocusState(bool Value) {
  if (Value == FFocused) return;
  FFocused = Value;
  RefreshBorderState();
  if (Alignment() != taLeftJustify && !IsMasked()) Invalidate();
  FDataLink->ReloadRecord();
}

bool TCustomDBEditX::EditCanModify() { return FDataLink->StartEdit(); }

void TCustomDBEditX::Change() {
  FUserTextChanged = true;
  FDataLink->MarkModified();
  SetModified(true);
  TCustomMaskEdit::Change();
}

void TCustomDBEditX::Reset() {
  FDataLink->ReloadRecord();
  SelectAll();
}

void TCustomDBEditX::Loaded() {
  TCustomMaskEdit::Loaded();
  ClearFieldMaxLength();
  if (ComponentState().Contains(csDesigning)) FieldDataChanged();
  RefreshBorderState();
}

void TCustomDBEditX::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomMaskEdit::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FDataLink && AComponent == DataSource()) {
    SetDataSource(nullptr);
    return;
  }
  // A drop-down menu freed elsewhere must not be popped up by the next press.
  if (FEditButton) FEditButton->ForgetDropdownMenu(AComponent);
  if (FEditButtons)
    for (int I = 0; I < FEditButtons->Count(); ++I) FEditButtons->Items(I)->ForgetDropdownMenu(AComponent);
}

void TCustomDBEditX::DefineProperties(TFiler* Filer) {
  TCustomMaskEdit::DefineProperties(Filer);
  // The mask is stored only once assigned: otherwise it is the field's and follows the field.
  Filer->DefineProperty(
      "EditMask", [this](TReader* R) { SetEditMask(R->ReadString()); },
      [this](TWriter* W) { W->WriteString(EditMask()); }, FEditMaskAssigned);
}

void TCustomDBEditX::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  Params.Style =
      DBEditWindowStyle(Params.Style, FWordWrap, PasswordChar() != 0, UseRightToLeftAlignment(), Alignment());
}

bool TCustomDBEditX::UseRightToLeftAlignment() const { return DBUseRightToLeftAlignment(this, Field()); }

void TCustomDBEditX::CorrectBiDiExStyle(TAlignment Alignment) {
  if (!HandleAllocated() || !IsRightToLeft()) return;
  const DWORD Ex = static_cast<DWORD>(GetWindowLong(Handle(), GWL_EXSTYLE));
  DWORD Want = Ex & ~(WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR);
  if (UseRightToLeftReading()) Want |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) Want |= WS_EX_LEFTSCROLLBAR;
  const bool Rtl = UseRightToLeftAlignment();
  if ((Alignment == taRightJustify && !Rtl) || (Alignment == taLeftJustify && Rtl)) Want |= WS_EX_RIGHT;
  if (Want == Ex) return;
  SetWindowLong(Handle(), GWL_EXSTYLE, static_cast<LONG>(Want));
  UpdateCaret();
}

// ---------------------------------------------------------------------------------------------------
// Focus

void TCustomDBEditX::DoEnter() {
  SetFocusState(true);
  TCustomMaskEdit::DoEnter();
  if (AutoSelect() && !(GetKeyState(VK_LBUTTON) & 0x8000)) SelectAll();
}

void TCustomDBEditX::DoExit() {
  // The mask edit checks the mask (keeping the focus when it fails) and fires OnExit.
  TCustomMaskEdit::DoExit();
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    SelectAll();
    // Within the window taken back at once, so the control the focus was going to never holds it;
    // towards another window once that activation is over.
    if (HandleAllocated()) {
      if (CanFocus() && GetActiveWindow() == GetAncestor(Handle(), GA_ROOT)) TWinControl::SetFocus();
      else PostMessage(Handle(), CM_DBEDITREFOCUSX, 0, 0);
    }
    throw;
  }
  SetFocusState(false);
}

// ---------------------------------------------------------------------------------------------------
// Keys

void TCustomDBEditX::KeyDown(WORD& Key, TShiftState Shift) {
  if (FInplaceIntf) {
    FInplaceIntf->EditorKeyDown(this, Key, Shift);
    if (Key == 0) return;
  }
  TCustomMaskEdit::KeyDown(Key, Shift);
  PushShortCutButton(Key, Shift);
  if (Key == 'A' && Shift == TShiftState{ssCtrl}) {
    SelectAll();
    Key = 0;
  }
  if ((Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) && !FReadOnlyProp)
    FDataLink->StartEdit();
}

void TCustomDBEditX::PushShortCutButton(WORD& Key, TShiftState Shift) {
  if (Key == 0) return;
  const TShortCut SC = ::ShortCut(Key, Shift);
  // The main button first, then the others in order; a disabled button is pushed all the same.
  for (int I = 0; I <= FEditButtons->Count(); ++I) {
    TEditButtonX* B = I == 0 ? FEditButton.get() : FEditButtons->Items(I - 1);
    if (B->ShortCut() != 0 && B->ShortCut() == SC) {
      Key = 0;
      PushEditButton(I);
      return;
    }
  }
}

void TCustomDBEditX::KeyUp(WORD& Key, TShiftState Shift) {
  if (FInplaceIntf) {
    FInplaceIntf->EditorKeyUp(this, Key, Shift);
    if (Key == 0) return;
  }
  TCustomMaskEdit::KeyUp(Key, Shift);
}

void TCustomDBEditX::KeyPress(WideChar& Key) {
  if (FInplaceIntf) {
    FInplaceIntf->EditorKeyPress(this, Key);
    if (Key == 0) return;
  }
  if (!IsDataIndependent() && Field() && Key >= 32 && !IsValidInputChar(Key)) {
    MessageBeep(0);
    Key = 0;
    return;
  }
  // Editing starts before the mask edit types the key: it refuses keys while the window is read-only.
  if (Key == 8 || Key == 22 || Key == 24 || Key >= 32) {
    if (!FReadOnlyProp) FDataLink->StartEdit();
  } else if (Key == 27) {
    FDataLink->ReloadRecord();
    SelectAll();
    Key = 0;
    return;
  }
  TCustomMaskEdit::KeyPress(Key);
}

bool TCustomDBEditX::WantsKey(WORD Key, TShiftState Shift) {
  // Return and Esc belong to an open MRU list with a selected entry.
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && FMRUList->DroppedDown && FMRUListBox && FMRUListBox->ItemIndex() >= 0)
    return true;
  if (Key == VK_TAB) return FWantTabs;
  if (Key == VK_RETURN) return FWantReturns;
  if (Key == VK_ESCAPE) return Modified();
  return TCustomMaskEdit::WantsKey(Key, Shift);
}

void TCustomDBEditX::DefaultHandler(TMessage& Message) {
  // A press on the button strip or the image is not the text's (unless the edit already held the
  // mouse when it came, as while selecting text).
  if (Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK && !FHadCaptureAtMouse) {
    const POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (PointOnButtonsOrImage(P)) return;
  }
  if (Message.Msg == WM_CHAR) {
    const WPARAM Ch = Message.WParam;
    if ((Ch == 13 && !FWantReturns) || (Ch == 9 && !FWantTabs) || Ch == 10) return;
  }
  if (Message.Msg == WM_CHAR || Message.Msg == WM_KEYDOWN) {
    FUserTextChanged = false;
    TCustomMaskEdit::DefaultHandler(Message);
    if (FUserTextChanged) {
      FUserTextChanged = false;
      UserTextChanged();
    }
    return;
  }
  TCustomMaskEdit::DefaultHandler(Message);
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TCustomDBEditX::WndProc(TMessage& Message) {
  if (FInplaceIntf) {
    FInplaceIntf->EditorWndProc(this, Message);
    if (Message.Result != 0) return;
    if (Message.Msg == WM_LBUTTONDOWN) {
      POINT Pending{0, 0};
      int Time = 0;
      if (FInplaceIntf->TakePendingMouseDown(Pending, Time) && Time != 0) {
        POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        ::ClientToScreen(Handle(), &P);
        if (static_cast<UINT>(GetMessageTime() - Time) <= GetDoubleClickTime() &&
            std::abs(P.x - Pending.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
            std::abs(P.y - Pending.y) <= GetSystemMetrics(SM_CYDOUBLECLK))
          Message.Msg = WM_LBUTTONDBLCLK;
      }
    }
  }
  if (FMRUList->DroppedDown && FMRUListBox) {
    if (Message.Msg == WM_KEYDOWN) {
      const bool Ctrl = GetKeyState(VK_CONTROL) < 0, Alt = GetKeyState(VK_MENU) < 0;
      switch (Message.WParam) {
        case VK_PRIOR: case VK_NEXT: case VK_UP: case VK_DOWN:
          if (Alt) break;
          SendMessage(FMRUListBox->Handle(), Message.Msg, Message.WParam, Message.LParam);
          return;
        case VK_END: case VK_HOME:
          if (!Ctrl) break;
          SendMessage(FMRUListBox->Handle(), Message.Msg, Message.WParam, Message.LParam);
          return;
        case VK_RETURN: case VK_ESCAPE:
          FMRUList->CloseList(Message.WParam == VK_RETURN);
          // Taken whole: no Esc character follows to reload the field, no Return to move the caret.
          Message.Result = 1;
          return;
        default:
          break;
      }
    } else if (Message.Msg == WM_CHAR && (Message.WParam == 13 || Message.WParam == 27)) {
      return;
    } else if (Message.Msg == WM_KILLFOCUS) {
      // The focus going to the list itself leaves it open.
      if (!FMRUListBox->HandleAllocated() || reinterpret_cast<HWND>(Message.WParam) != FMRUListBox->Handle())
        FMRUList->CloseList(false);
    }
  }
  switch (Message.Msg) {
    case WM_UNDO:
    case WM_PASTE:
    case WM_CUT:
      FDataLink->StartEdit();
      break;
    case WM_CLEAR:
      // Deleting the selection (the delete action) starts editing as the Delete key does.
      if (!ReadOnly()) FDataLink->StartEdit();
      break;
    default:
      break;
  }
  if (Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK) FHadCaptureAtMouse = MouseCapture();
  TCustomMaskEdit::WndProc(Message);
  if (Message.Msg == WM_KILLFOCUS) {
    // A button held while the focus leaves lets the mouse go.
    if (TControl* C = GetCaptureControl(); C && C != this && C->Parent() == this) C->Perform(WM_CANCELMODE, 0, 0);
    RefreshBorderState();
  }
}

void TCustomDBEditX::Dispatch(TMessage& Message) {
  if (DispatchStripMessage(Message)) return;
  switch (Message.Msg) {
    case CM_GETDATALINK:
      Message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
      return;
    case CM_ACTIONEXECUTE:
      Message.Result = ExecuteAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      return;
    case CM_ACTIONUPDATE:
      Message.Result = UpdateAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      return;
    case CM_DBEDITREFOCUSX:
      if (CanFocus()) TWinControl::SetFocus();
      return;
    case WM_GETDLGCODE: {
      LRESULT R = DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
      if (FWantTabs) R |= DLGC_WANTTAB;
      if (FWantReturns) R |= DLGC_WANTALLKEYS;
      if (FInplaceHolder && FInplaceHolder->HandleAllocated() &&
          (SendMessage(FInplaceHolder->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB))
        R |= DLGC_WANTTAB;
      Message.Result = R;
      return;
    }
    default:
      TCustomMaskEdit::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------------------------------
// In-place mode

void TCustomDBEditX::SetInplaceEditHolder(TWinControl* Holder) {
  if (Holder == FInplaceHolder) return;
  FInplaceHolder = nullptr;
  FInplaceIntf = nullptr;
  if (!Holder) return;
  auto* Intf = dynamic_cast<IInplaceEditHolderX*>(Holder);
  if (!Intf) throw Exception("InplaceEditHolder have to support IInplaceEditHolderX interface");
  FInplaceHolder = Holder;
  FInplaceIntf = Intf;
}

void TCustomDBEditX::MoveTo(const RECT& Rect) {
  if (InplaceMode())
    MoveInplace(Rect, true);
  else
    SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
}

void TCustomDBEditX::MoveInplace(const RECT& Rect, bool Redraw) {
  if (Rect.right <= Rect.left || Rect.bottom <= Rect.top) {
    HideInplace();
    return;
  }
  HWND W = Handle();
  const bool WasVisible = IsWindowVisible(W);
  Invalidate();
  Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(FInplaceHolder));
  SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
  SetWindowPos(W, nullptr, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top,
               SWP_SHOWWINDOW | SWP_NOREDRAW);
  if (Redraw || !WasVisible) Invalidate();
  if (FInplaceHolder && FInplaceHolder->Focused()) ::SetFocus(W);
}

void TCustomDBEditX::HideInplace() {
  if (!InplaceMode()) {
    TCustomMaskEdit::SetVisible(false);
    return;
  }
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  const bool HadFocus = Focused();
  Invalidate();
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOZORDER);
  if (HadFocus && FInplaceHolder) ::SetFocus(FInplaceHolder->Handle());
}

bool TCustomDBEditX::GetVisible() const {
  if (InplaceMode()) return FHandle && IsWindowVisible(FHandle);
  return Visible();
}

void TCustomDBEditX::SetVisible(bool Value) {
  if (InplaceMode() && !Value)
    HideInplace();
  else
    TCustomMaskEdit::SetVisible(Value);
}

void TCustomDBEditX::SetFocus() {
  if (!InplaceMode()) {
    TCustomMaskEdit::SetFocus();
    return;
  }
  if (HandleAllocated() && IsWindowVisible(Handle())) ::SetFocus(Handle());
}

// ---------------------------------------------------------------------------------------------------
// Drop-down protocol and painting

void TCustomDBEditX::DropDown() {
  if (!FButtonControls.empty()) FButtonControls[0]->SetStayDown(true);
  if (FMRUList->DroppedDown) FMRUList->CloseList(false);
}

void TCustomDBEditX::CloseUp(bool /*Accept*/) {
  if (!FButtonControls.empty()) FButtonControls[0]->SetStayDown(false);
}

std::string TCustomDBEditX::GetPaintCopyText() {
  if (ComponentState().Contains(csDesigning) && !FDataLink->Active()) return Name();
  TField* F = Field();
  if (ControlState().Contains(csPaintCopy) && F) {
    std::string T = F->DisplayText();
    if (CharCase() == ecUpperCase) return AnsiUpperCase(T);
    if (CharCase() == ecLowerCase) return AnsiLowerCase(T);
    return T;
  }
  return EditText();
}

void TCustomDBEditX::PaintWindow(HDC DC) {
  // The alignment as it shows: mirrored under right-to-left alignment.
  const TAlignment A = MirroredAlignment(Alignment(), UseRightToLeftAlignment());
  if ((A == taLeftJustify || FFocused || FWordWrap) && !ControlState().Contains(csPaintCopy)) {
    CorrectBiDiExStyle(Alignment());
    TCustomMaskEdit::PaintWindow(DC);
    PaintEditImage(DC);
    return;
  }
  // Unfocused right or centred text: the window only aligns to the left, so the edit paints it.
  const TRect CR = ClientRect();
  RECT R{0, 0, CR.Right - CR.Left, CR.Bottom - CR.Top};
  FillSolidRect(DC, R, ColorRef(FEnabled ? FColor : clBtnFace));
  if (BorderInsideClient()) FrameRect(DC, &R, GetSysColorBrush(COLOR_WINDOWFRAME));
  PaintEditImage(DC);
  std::string T = GetPaintCopyText();
  if (PasswordChar()) {
    std::string P;
    Utf8Append(P, PasswordChar());
    std::string Masked;
    for (int I = Utf8Length(T); I > 0; --I) Masked += P;
    T = Masked;
  }
  // Beside the image and the button strip (at the right and left under right-to-left alignment).
  const RECT PR =
      EditPaintTextRect(R.right, R.bottom, FStripWidth, FImageWidth, BorderInsideClient(), UseRightToLeftAlignment());
  const SIZE S = MeasureControlText(T, FFont.get());
  const int Margin = 1;
  int X = EditPaintTextX(A, PR, S.cx, Margin);
  if (A == taLeftJustify) X += PR.left;
  RECT TR{std::max<int>(X, PR.left), (R.bottom - S.cy) / 2, std::min<int>(X + S.cx, PR.right), (R.bottom - S.cy) / 2 + S.cy};
  DrawControlText(DC, T, TR, DT_SINGLELINE | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly(), FFont.get(), FEnabled);
}

void TCustomDBEditX::PaintEditImage(HDC DC) {
  if (!FEditImage->Visible() || !FEditImage->Images() || FEditImage->ImageIndex() < 0 || FImageWidth <= 0) return;
  RECT IR = GetImageRect();
  InflateRect(&IR, -2, -1);
  DrawImageCentered(DC, IR, FEditImage->Images(), false, FEditImage->ImageIndex());
}

// ---------------------------------------------------------------------------------------------------
// The MRU drop-down

void TCustomDBEditX::UserTextChanged() {
  const std::string Empty = IsMasked() ? FormatMaskText(EditMask(), "") : std::string();
  const std::string T = IsMasked() ? EditText() : Text();
  if (FMRUList->DroppedDown && T == Empty) {
    FMRUList->CloseList(false);
    return;
  }
  if (FMRUList->Active() && Showing() && !FDroppedDown && T != Empty) FMRUList->OpenList();
}

TMRUListboxX* TCustomDBEditX::NewMRUListControl() {
  auto* L = new TMRUListboxX(this);
  L->SetVisible(false);
  L->SetCtl3D(false);
  L->SetSorted(true);
  L->HandleNeeded();
  ShowWindow(L->Handle(), SW_HIDE);
  return L;
}

void TCustomDBEditX::AcceptMRUItem(const std::string& Text, bool& Accept) {
  const std::string T = this->Text();
  const std::string Head = Utf8Left(Text, Utf8Length(T));
  Accept = FMRUList->CaseSensitive() ? AnsiCompareStr(Head, T) == 0 : AnsiCompareText(Head, T) == 0;
  if (FMRUItemFilter) FMRUItemFilter(this, Text, Accept);
}

void TCustomDBEditX::OpenMRUList() {
  if (!FMRUListBox) {
    FMRUListBox = NewMRUListControl();
    FMRUListBox->SizeGrip()->OnParentResized = [this](TObject*) { MRUListBoxResized(); };
    // A release of the left button in the list picks the entry under it; elsewhere it only closes.
    FMRUListBox->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
      if (Button != mbLeft) return;
      FMRUList->CloseList(X >= 0 && Y >= 0 && X < FMRUListBox->ClientWidth() && Y < FMRUListBox->ClientHeight());
    };
  }
  // Each entry is judged by AcceptMRUItem, which hands the list's own filter on.
  const auto Judge = [this](const std::string& Item, bool& Accept) { AcceptMRUItem(Item, Accept); };
  const bool Complete = GetMatchingItemsJudgedBy(FMRUList.get(), FMRUListBox->Items(), Text(), FMRUItemFilter, Judge);
  if (!Complete && FMRUList->DroppedDown) FMRUList->CloseList(false);
  const int Count = FMRUListBox->Items()->Count();
  if (FMRUList->DroppedDown && Count == 0) {
    FMRUList->CloseList(false);
    return;
  }
  if (Count == 0) return;
  RECT FR{0, 0, 0, 0};
  Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&FR));
  POINT TL{FR.left, FR.top}, BR{FR.right, FR.bottom};
  ::ClientToScreen(Handle(), &TL);
  ::ClientToScreen(Handle(), &BR);
  const RECT Screen{TL.x, TL.y, BR.x, BR.y};
  if (!FMRUList->DroppedDown) {
    FMRUListBox->SetColor(Color());
    FMRUListBox->Font()->Assign(Font());
    FMRUListBox->SetBiDiMode(BiDiMode());
    FMRUListBox->SetItemIndex(-1);
    FMRUListBox->SetWidth(Screen.right - Screen.left);
  }
  FMRUListBox->SetVisibleRows(std::min(Count, FMRUList->Rows()));
  POINT Pos{0, 0};
  PositionDropDownAtRect(Screen, FMRUListBox, daLeft, Pos, FMRUListBox->ItemHeight());
  SetWindowPos(FMRUListBox->Handle(), HWND_TOP, Pos.x, Pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  FMRUListBox->SetVisible(true);
  FMRUList->DroppedDown = true;
}

void TCustomDBEditX::CloseMRUList(bool Accept) {
  if (!FMRUList->DroppedDown || !FMRUListBox) return;
  HideDropDownWindow(FMRUListBox, this);
  FMRUList->DroppedDown = false;
  const int I = FMRUListBox->ItemIndex();
  if (Accept && !FReadOnlyProp && FDataLink->StartEdit() && I >= 0) {
    ApplyText(FMRUListBox->Items()->Strings(I));
    FDataLink->MarkModified();
    if (Focused()) SelectAll();
  }
}
