// The data-aware combo box: items and key items, the item index with its write path, typed search,
// stepping with the arrow keys and the wheel.
#include "dataedit/DBCtrlsX_combo.h"

#include <algorithm>
#include <vector>

#include "platform/controls/imglist.h"
#include "platform/controls/menus.h"
#include "platform/controls/stdctrls.h"
#include "platform/graphics/clipbrd.h"
#include "platform/rtl/sysutils.h"

void TDropDownBoxX::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TDropDownBoxX*>(Source)) {
    FAlign = S->FAlign;
    FRows = S->FRows;
    FWidth = S->FWidth;
    FSizable = S->FSizable;
    return;
  }
  TPersistent::Assign(Source);
}

TCustomDBComboBoxX::TCustomDBComboBoxX(TComponent* AOwner) : TCustomDBEditX(AOwner) {
  FItems = std::make_unique<TStringList>();
  FKeyItems = std::make_unique<TStringList>();
  FDropDownBox = std::make_unique<TDropDownBoxX>();
  FItems->OnChange = [this](TObject*) { ItemsChanged(false); };
  FKeyItems->OnChange = [this](TObject*) { ItemsChanged(true); };
  RenewEditButton();
}

TEditButtonX* TCustomDBComboBoxX::NewEditButton() { return TVisibleEditButtonX::CreateForControl(this); }

TCustomDBComboBoxX::~TCustomDBComboBoxX() {
  FItems->OnChange = nullptr;
  FKeyItems->OnChange = nullptr;
}

void TCustomDBComboBoxX::ItemsChanged(bool KeysChanged) {
  const bool WasKeyBased = FKeyBased;
  FKeyBased = FKeyItems->Count() > 0;
  FItemsCount = EffectiveItemCount(FItems->Count(), FKeyItems->Count());
  if (FKeyBased && !WasKeyBased) SetEditText("");
  RefreshReadOnlyState();
  UpdateItemIndex();
  ClearFieldMaxLength();
  if (KeysChanged) FieldDataChanged();
}

void TCustomDBComboBoxX::UpdateItemIndex() {
  FItemIndex = FItems->IndexOf(EditText());
  ItemIndexFollowers();
}

void TCustomDBComboBoxX::ItemIndexFollowers() {
  EditImage()->SetImageIndex(FItemIndex);
  if (FListVisible && FList) FList->SetItemIndex(FItemIndex);
}

void TCustomDBComboBoxX::RefreshReadOnlyState() {
  if (!FItems) {  // during the edit's construction
    TCustomDBEditX::RefreshReadOnlyState();
    return;
  }
  SetWindowReadOnly(!DataLink()->Editing() || ReadOnly() || FKeyBased);
}

void TCustomDBComboBoxX::ClearFieldMaxLength() {
  if (MaxLength() <= 0) return;
  if (FKeyBased)
    SetMaxLength(0);
  else
    TCustomDBEditX::ClearFieldMaxLength();
}

TAlignment TCustomDBComboBoxX::GetDefaultAlignment() const {
  return FKeyBased ? taLeftJustify : TCustomDBEditX::GetDefaultAlignment();
}

Variant TCustomDBComboBoxX::DoGetValue() { return FKeyBased ? FKeyValue : Variant(Text()); }

bool TCustomDBComboBoxX::IsValidInputChar(char32_t Ch) {
  return FKeyBased || TCustomDBEditX::IsValidInputChar(Ch);
}

void TCustomDBComboBoxX::SetItemIndexInternal(int Value) {
  if (Value == FItemIndex) return;
  if (Value < 0 || Value >= FItemsCount) {
    FItemIndex = -1;
    FKeyValue = Null;
    ItemIndexFollowers();
    SetEditText("");
    return;
  }
  FItemIndex = Value;
  if (FKeyBased) FKeyValue = Variant(FKeyItems->Strings(Value));
  ItemIndexFollowers();
  SetEditText(FItems->Strings(Value));
}

void TCustomDBComboBoxX::SetItemIndex(int Value) {
  // The posting flag is checked as by the other setters, so a call from OnUpdateData does not commit
  // again (and so recurse).
  WriteThrough([&] { SetItemIndexInternal(Value); });
}

void TCustomDBComboBoxX::ApplyText(const std::string& Text) {
  if (!FKeyBased) {
    TCustomDBEditX::ApplyText(Text);
    UpdateItemIndex();
    return;
  }
  const int I = FItems->IndexOf(Text);
  if (I < 0 || I >= FItemsCount) return;
  FItemIndex = I;
  FKeyValue = Variant(FKeyItems->Strings(I));
  ItemIndexFollowers();
  SetEditText(Text);
}

void TCustomDBComboBoxX::ApplyValue(const Variant& Value) {
  if (!FKeyBased) {
    TCustomDBEditX::ApplyValue(Value);
    UpdateItemIndex();
    return;
  }
  FKeyValue = Value;
  if (VarIsNull(Value)) {
    FItemIndex = -1;
    ItemIndexFollowers();
    SetEditText("");
    return;
  }
  FItemIndex = FKeyItems->IndexOf(SafeVarToStr(Value));
  if (FItemIndex >= 0 && FItemIndex < FItemsCount) {
    SetEditText(FItems->Strings(FItemIndex));
  } else {
    FItemIndex = -1;
    SetEditText("");
  }
  ItemIndexFollowers();
}

void TCustomDBComboBoxX::FieldDataChanged() {
  if (!FItems) return;  // during the edit's construction
  TField* F = Field();
  if (F) {
    ApplyFieldSettings(F, !FKeyBased);
    if ((FocusState() && DataLink()->CanModify()) || FKeyBased)
      ApplyValue(Variant(F->Text()));
    else {
      SetEditText(F->DisplayText());
      UpdateItemIndex();
    }
  } else {
    ClearAssignableMask();
    if (IsDataIndependent()) {
      if (FKeyBased)
        ApplyValue(DataLink()->DataIndependentValue());
      else {
        SetEditText(SafeVarToStr(DataLink()->DataIndependentValue()));
        UpdateItemIndex();
      }
    } else {
      SetEditText("");
      FItemIndex = -1;
    }
  }
  RefreshReadOnlyState();
  SetModified(false);
}

void TCustomDBComboBoxX::StoreTextInLink() {
  if (!IsDataIndependent() || FKeyBased)
    DataLink()->SetText(SafeVarToStr(Value()));
  else
    DataLink()->SetText(EditText());
}

void TCustomDBComboBoxX::CommitData() {
  if (OnNotInList && FItemIndex == -1) {
    bool Recheck = false;
    OnNotInList(this, EditText(), Recheck);
  }
  TCustomDBEditX::CommitData();
}

void TCustomDBComboBoxX::Clear() {
  if (FKeyBased)
    SetValue(Null);
  else
    TCustomDBEditX::Clear();
}

void TCustomDBComboBoxX::Change() {
  TCustomDBEditX::Change();
  UpdateItemIndex();
}

// ---------------------------------------------------------------------------------------------------
// Searching and stepping

bool TCustomDBComboBoxX::LocateItemText(const std::string& Text, bool Partial) {
  if (!EditCanModify()) return false;
  const int Old = FItemIndex;
  int Found = -1;
  try {
    std::vector<std::string> Items;
    for (int I = 0; I < FItemsCount; ++I) Items.push_back(FItems->Strings(I));
    Found = MatchItemText(Items, FItemsCount, Text, Partial);
    if (Found >= 0) {
      SetItemIndexInternal(Found);
      const size_t End = Chars().size();
      const size_t Typed = std::min<size_t>(Utf8Length(Text), End);
      SetSelection(End, Typed);  // the completed tail selected, the caret after the typed text
    } else if (!FKeyBased) {
      FItemIndex = -1;
    }
  } catch (...) {
    FItemIndex = Old;
    return false;
  }
  return Found != Old;
}

void TCustomDBComboBoxX::ProcessSearchText(const std::string& S) {
  if (!(IsDataIndependent() || Field())) return;
  if (!EditCanModify()) return;
  if (S == "\b") {
    const size_t End = Chars().size();
    if (End == 0) return;
    if (static_cast<size_t>(SelLength()) >= End || (Anchor() == 0 && Caret() == End))
      SetSelection(End, End - 1);
    else if (Caret() > 0)
      SetSelection(Anchor(), Caret() - 1);
    return;
  }
  const std::string Before = Utf32ToUtf8(Chars().substr(0, std::min(Anchor(), Caret())));
  LocateItemText(Before + S, true);
}

void TCustomDBComboBoxX::StepListValue(bool Up) {
  if (!EditCanModify()) return;
  const int Next = SteppedItemIndex(FItemIndex, FItemsCount, Up);
  if (Next == FItemIndex) return;
  SetItemIndexInternal(Next);
  SelectAll();
}

// ---------------------------------------------------------------------------------------------------
// Keys

void TCustomDBComboBoxX::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomDBEditX::KeyDown(Key, Shift);
  if (Key == VK_UP || Key == VK_DOWN) {
    const bool AllSelected = static_cast<size_t>(SelLength()) >= Chars().size();
    if (!ReadOnly() && !FDroppedDown && (!WordWrap() || AllSelected) && EditCanModify()) {
      StepListValue(Key == VK_UP);
      Key = 0;
    }
  } else if (Key == VK_DELETE && FKeyBased) {
    TField* F = Field();
    if ((IsDataIndependent() || (F && !F->Required())) && !ReadOnly() && EditCanModify()) {
      ApplyValue(Null);
      DataLink()->MarkModified();
      Key = 0;
    }
  }
}

void TCustomDBComboBoxX::KeyPress(WideChar& Key) {
  TCustomDBEditX::KeyPress(Key);
  FCharLeftByKeyPress = Key;
  // With AutoDrop a typed character opens the list first.
  if (Key >= 32 && FDropDownBox->AutoDrop() && !FListVisible) DropDown();
  if (Key == 0 || !FKeyBased || ReadOnly()) return;
  if (Key == 8) {
    FTypedChar.Clear();
    ProcessSearchText("\b");
    Key = 0;
  } else if (Key >= 32) {
    // A character beyond the BMP searches once both of its halves are in.
    if (const char32_t Typed = FTypedChar.Join(Key)) {
      std::string S;
      Utf8Append(S, Typed);
      ProcessSearchText(S);
    }
    Key = 0;
  }
}

// ---------------------------------------------------------------------------------------------------
// The drop-down list

void TCustomDBComboBoxX::DropDown() {
  if (FListVisible) return;
  TCustomDBEditX::DropDown();
  if (OnDropDown) OnDropDown(this);
  if (!FList) {
    FList = new TPopupListboxX(this);
    FList->SizeGrip()->OnParentResized = [this](TObject*) { FListResized = true; };
    FList->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
      if (Button != mbLeft) return;
      CloseUp(X >= 0 && Y >= 0 && X < FList->ClientWidth() && Y < FList->ClientHeight());
    };
  }
  FList->SetColor(Color());
  FList->Font()->Assign(Font());
  // The list has no parent to follow: it reads as the combo box does.
  FList->SetBiDiMode(BiDiMode());
  TCustomImageList* IL = Images();
  FList->AssignImageList(IL);
  {
    // Rows as high as the text, or as the images when they are at least as high.
    const int TextH = MeasureControlText("Wg", Font()).cy;
    FList->SetItemHeight(IL && EditImage()->UseImageHeight() && TextH <= IL->Height() ? IL->Height() : TextH);
  }
  FList->Items()->Clear();
  int Widest = 0;
  for (int I = 0; I < FItemsCount; ++I) {
    FList->Items()->Add(FItems->Strings(I));
    Widest = std::max<int>(Widest, MeasureControlText(FItems->Strings(I), Font()).cx);
  }
  FList->SetItemIndex(FItemIndex);
  const int Rows = std::max(1, std::min(FDropDownBox->Rows(), FItemsCount));
  FList->SetWidth(DropDownClientWidth(FDropDownBox->Width(), Width(), Widest, IL != nullptr, IL ? IL->Width() : 0) +
                  FList->BorderHeight());
  FList->SetVisibleRows(Rows);
  POINT Pos{0, 0};
  PositionDropDownWindow(this, FList, FDropDownBox->Align(), Pos, FList->ItemHeight());
  SetWindowPos(FList->Handle(), HWND_TOP, Pos.x, Pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  FList->SetVisible(true);
  FList->SizeGrip()->SetGripVisible(FDropDownBox->Sizable());
  FListVisible = true;
  FListResized = false;
  FDroppedDown = true;
}

void TCustomDBComboBoxX::CloseUp(bool Accept) {
  if (!FListVisible) {
    TCustomDBEditX::CloseUp(Accept);
    return;
  }
  HideDropDownWindow(FList, this);
  // A list the user resized opens at that size next time.
  if (FListResized) {
    FDropDownBox->SetRows(FList->RowsShown());
    FDropDownBox->SetWidth(FList->Width());
    FListResized = false;
  }
  FListVisible = false;
  TCustomDBEditX::CloseUp(Accept);
  FDroppedDown = false;
  if (Accept && !ReadOnly() && DataLink()->StartEdit()) {
    SetItemIndexInternal(FList->ItemIndex());
    DataLink()->MarkModified();
    if (Focused()) SelectAll();
  }
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBComboBoxX::WndProc(TMessage& Message) {
  if (FListVisible) {
    switch (Message.Msg) {
      case WM_KEYDOWN:
        // An edit button's short cut takes the normal path.
        if (IsEditButtonShortCut(static_cast<WORD>(Message.WParam), KeyboardStateToShiftState())) break;
        switch (Message.WParam) {
          case VK_PRIOR: case VK_NEXT: case VK_UP: case VK_DOWN:
            SendMessage(FList->Handle(), Message.Msg, Message.WParam, Message.LParam);
            return;
          case VK_END: case VK_HOME:
            if (GetKeyState(VK_CONTROL) >= 0) break;
            SendMessage(FList->Handle(), Message.Msg, Message.WParam, Message.LParam);
            return;
          case VK_RETURN: case VK_ESCAPE:
            CloseUp(Message.WParam == VK_RETURN);
            // Taken whole: no character follows into the edit once the list is gone.
            Message.Result = 1;
            return;
          default:
            break;
        }
        break;
      case WM_CHAR:
        if (Message.WParam == 13 || Message.WParam == 27) return;  // consumed with the key-down
        break;
      case WM_KILLFOCUS:
        // The focus going to the list itself leaves it open.
        if (!FList->HandleAllocated() || reinterpret_cast<HWND>(Message.WParam) != FList->Handle()) CloseUp(false);
        break;
      default:
        break;
    }
  }
  if (Message.Msg == WM_CHAR && !FKeyBased) {
    const WPARAM Ch = Message.WParam;
    FCharLeftByKeyPress = 0;
    TCustomDBEditX::WndProc(Message);
    if (FCharLeftByKeyPress != 0) TextBasedCompletion(Ch);
    return;
  }
  TCustomDBEditX::WndProc(Message);
}

void TCustomDBComboBoxX::TextBasedCompletion(WPARAM Ch) {
  if (Ch == 0 || Ch == 46 || GetKeyState(VK_CONTROL) < 0) return;
  const size_t End = Chars().size();
  const size_t OldCaret = Caret();
  if (OldCaret != End || SelLength() != 0 || Ch == 8) {
    if (LocateItemText(Text(), false)) SetSelection(Chars().size(), OldCaret);
  } else {
    // Typing at the end completes the text with the first item it begins.
    ProcessSearchText("");
  }
}

bool TCustomDBComboBoxX::IsEditButtonShortCut(WORD Key, TShiftState Shift) const {
  const TShortCut SC = ::ShortCut(Key, Shift);
  if (EditButton()->ShortCut() != 0 && EditButton()->ShortCut() == SC) return true;
  for (int I = 0; I < EditButtons()->Count(); ++I)
    if (EditButtons()->Items(I)->ShortCut() != 0 && EditButtons()->Items(I)->ShortCut() == SC) return true;
  return false;
}

TCustomImageList* TCustomDBComboBoxX::Images() const { return EditImage()->Images(); }

void TCustomDBComboBoxX::SetImages(TCustomImageList* Value) {
  EditImage()->SetImages(Value);
  EditImage()->SetVisible(true);
  EditImage()->SetImageIndex(FItemIndex);
}

std::string TCustomDBComboBoxX::GetPaintCopyText() {
  TField* F = Field();
  if (!(FKeyBased && F && ControlState().Contains(csPaintCopy))) return TCustomDBEditX::GetPaintCopyText();
  const int I = FKeyItems->IndexOf(F->Text());
  std::string T = I >= 0 && I < FItemsCount ? FItems->Strings(I) : std::string();
  if (CharCase() == ecUpperCase) return AnsiUpperCase(T);
  if (CharCase() == ecLowerCase) return AnsiLowerCase(T);
  return T;
}

bool TCustomDBComboBoxX::WantsKey(WORD Key, TShiftState Shift) {
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && FListVisible) return true;
  return TCustomDBEditX::WantsKey(Key, Shift);
}

bool TCustomDBComboBoxX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (FListVisible && FList && FList->HandleAllocated()) {
    const WPARAM W = MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(WheelDelta)));
    if (SendMessage(FList->Handle(), WM_MOUSEWHEEL, W, MAKELPARAM(MousePos.X, MousePos.Y)) != 0) return true;
  }
  if (TCustomDBEditX::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !ReadOnly() &&
      DataLink()->StartEdit()) {
    StepListValue(WheelDelta > 0);
    return true;
  }
  return false;
}

void TCustomDBComboBoxX::ButtonControlMouseMove(TEditButtonControlX* Sender, TShiftState Shift, int X, int Y) {
  TCustomDBEditX::ButtonControlMouseMove(Sender, Shift, X, Y);
  if (Sender == ButtonControl(0)) ForwardPressToList(Sender, X, Y);
}

void TCustomDBComboBoxX::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomDBEditX::MouseMove(Shift, X, Y);
  ForwardPressToList(this, X, Y);
}

void TCustomDBComboBoxX::ForwardPressToList(TControl* From, int X, int Y) {
  // Dragging from the control into the open list hands the press over to the list.
  if (!FListVisible || !FList || !FList->HandleAllocated() || GetCaptureControl() != From) return;
  const TPoint S = From->ClientToScreen(TPoint(X, Y));
  const TPoint L = FList->ScreenToClient(S);
  const TRect CR = FList->ClientRect();
  if (L.X < 0 || L.Y < 0 || L.X >= CR.Right || L.Y >= CR.Bottom) return;
  From->Perform(WM_CANCELMODE, 0, 0);
  SendMessage(FList->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(L.X, L.Y));
}

void TCustomDBComboBoxX::DefaultHandler(TMessage& Message) {
  if (FKeyBased && Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK) {
    // The text of a key-based control is not selected with the mouse; a right click asks for the menu.
    if (Message.Msg == WM_RBUTTONUP && HandleAllocated()) {
      POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      ::ClientToScreen(Handle(), &P);
      Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(P.x, P.y));
    }
    return;
  }
  TCustomDBEditX::DefaultHandler(Message);
}

void TCustomDBComboBoxX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PASTE:
      if (FKeyBased) {
        // Pasting into a key-based control searches the items for the clipboard's text.
        if (Clipboard()->HasFormat(CF_TEXT)) ProcessSearchText(Clipboard()->AsText());
        return;
      }
      break;
    case WM_SETCURSOR:
      if (FKeyBased) {
        ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
        Message.Result = 1;
        return;
      }
      break;
    case CM_CANCELMODE: {
      TCustomDBEditX::Dispatch(Message);
      auto* Other = reinterpret_cast<TControl*>(Message.LParam);
      bool Ours = false;
      for (TControl* C = Other; C && !Ours; C = C->Parent())
        if (C == this || (FList && C == FList)) Ours = true;
      if (FListVisible && !Ours) CloseUp(false);
      return;
    }
    default:
      break;
  }
  TCustomDBEditX::Dispatch(Message);
}

void TCustomDBComboBoxX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomDBEditX::MouseDown(Button, Shift, X, Y);
  if (!FKeyBased || Button != mbLeft || Shift.Contains(ssDouble)) return;
  if (X >= ClientWidth() - ButtonsStripWidth() || !EditButtonsEnabled() || FDroppedDown) return;
  if (CanFocus() && !Focused()) SetFocus();
  FIgnoreCloseUp = true;
  DropDown();
}

void TCustomDBComboBoxX::Click() {
  TCustomDBEditX::Click();
  if (FKeyBased && FDroppedDown && EditButtonsEnabled() && !FIgnoreCloseUp) CloseUp(false);
  FIgnoreCloseUp = false;
}

// ---------------------------------------------------------------------------------------------------
// Published properties

void TDBComboBoxX::DeclarePublished(TPublished<TDBComboBoxX>& P) {
  using C = TDBComboBoxX;
  P.Enum("Alignment", &C::Alignment, &C::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
      .NoDefault()
      .Stored(&C::AlignmentStored);
  P.Boolean("AlwaysShowBorder", &C::AlwaysShowBorder, &C::SetAlwaysShowBorder).Default(false);
  P.Boolean("AutoSelect", &C::AutoSelect, &C::SetAutoSelect).Default(true);
  P.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
  P.Enum("CharCase", &C::CharCase, &C::SetCharCase, {"ecNormal", "ecUpperCase", "ecLowerCase"}).Default(ecNormal);
  P.String("DataField", &C::DataField, &C::SetDataField);
  P.Component("DataSource", &C::DataSource, &C::SetDataSource);
  P.Object("DropDownBox", &C::DropDownBox);
  P.Object("EditButton", &C::EditButton);
  P.Collection("EditButtons", &C::EditButtons);
  P.Boolean("Flat", &C::Flat, &C::SetFlat).Default(false);
  P.Enum("ImeMode", &C::ImeMode, &C::SetImeMode, {"imDisable", "imClose", "imOpen", "imDontCare"}).Default(imDontCare);
  P.String("ImeName", &C::ImeName, &C::SetImeName).StoredWhen([](TObject* O) {
    return !static_cast<C*>(O)->ImeName().empty();
  });
  P.Component("Images", &C::Images, &C::SetImages);
  P.Strings("Items", &C::Items, &C::SetItems);
  P.Strings("KeyItems", &C::KeyItems, &C::SetKeyItems);
  P.Integer("MaxLength", &C::MaxLength, &C::SetMaxLength).Default(0);
  P.Object("MRUList", &C::MRUList);
  P.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
  P.String("Text", [](C* E) { return E->Text(); }, [](C* E, const std::string& V) { E->SetText(V); })
      .Stored(&C::TextStored);
  P.Boolean("WantReturns", &C::WantReturns, &C::SetWantReturns).Default(false);
  P.Boolean("WantTabs", &C::WantTabs, &C::SetWantTabs).Default(false);
  P.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
  for (const char* E : {"OnButtonClick", "OnButtonDown", "OnChange", "OnCloseUp", "OnDropDown", "OnNotInList",
                        "OnUpdateData"})
    P.Event(E);
}
