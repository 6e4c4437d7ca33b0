#include "platform/controls/stdctrls.h"

#include <algorithm>

#include "platform/controls/themes.h"

// ---------------------------------------------------------------------------------------------------
// Text helpers

void DrawControlText(HDC DC, const std::string& Text, RECT R, UINT Format, TFont* Font, bool Enabled) {
  HGDIOBJ old = SelectObject(DC, Font->Handle());
  int oldMode = SetBkMode(DC, TRANSPARENT);
  COLORREF oldColor;
  if (Enabled) {
    oldColor = SetTextColor(DC, ColorRef(Font->Color()));
    DrawText(DC, Text.c_str(), -1, &R, Format);
  } else {
    oldColor = SetTextColor(DC, GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT r2 = R;
    OffsetRect(&r2, 1, 1);
    DrawText(DC, Text.c_str(), -1, &r2, Format);
    SetTextColor(DC, GetSysColor(COLOR_BTNSHADOW));
    DrawText(DC, Text.c_str(), -1, &R, Format);
  }
  SetTextColor(DC, oldColor);
  SetBkMode(DC, oldMode);
  SelectObject(DC, old);
}

SIZE MeasureControlText(const std::string& Text, TFont* Font, int MaxWidth) {
  return MeasureControlText(Text, Font, MaxWidth, DT_NOPREFIX);
}

SIZE MeasureControlText(const std::string& Text, TFont* Font, int MaxWidth, UINT PrefixFlags) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  RECT r{0, 0, MaxWidth > 0 ? MaxWidth : 0, 0};
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | PrefixFlags | (MaxWidth > 0 ? DT_WORDBREAK : 0);
  std::string t = Text.empty() ? std::string(" ") : Text;
  DrawText(dc, t.c_str(), -1, &r, flags);
  if (Text.empty()) r.right = r.left;
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

namespace {
int FontLineHeight(TFont* Font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm.tmHeight > 0 ? tm.tmHeight : 13;
}
}  // namespace

// ---------------------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Include(csReplicatable);
  FWidth = 65;
  FHeight = 17;
  FAutoSize = true;
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustSize();
  Invalidate();
}

bool TLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
  SIZE s = MeasureControlText(FText, FFont.get(), FWordWrap ? FWidth : 0, FShowAccelChar ? 0 : DT_NOPREFIX);
  if (!FWordWrap) NewWidth = s.cx;
  NewHeight = s.cy;
  return true;
}

void TLabel::Paint() {
  HDC dc = FCanvas->Handle();
  RECT r{0, 0, FWidth, FHeight};
  if (!FTransparent) FillSolidRect(dc, r, ColorRef(FColor));
  UINT flags = DT_EXPANDTABS | (FShowAccelChar ? 0 : DT_NOPREFIX);
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  // Mirrored and read right to left as the label's BiDiMode says.
  flags = DrawTextBiDiModeFlags(flags);
  if (FLayout != tlTop) {
    SIZE s = MeasureControlText(FText, FFont.get(), FWordWrap ? FWidth : 0, flags & DT_NOPREFIX);
    int dy = FHeight - s.cy;
    r.top += FLayout == tlCenter ? dy / 2 : dy;
  }
  DrawControlText(dc, FText, r, flags, FFont.get(), FEnabled);
}

// ---------------------------------------------------------------------------------------------------
// TButtonControl

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  // Clicks are judged here (press and release on the control), not by the generic click logic.
  FControlStyle = TControlStyle{csSetCaption};
  FTabStop = true;
}

void TButtonControl::EraseBackground(HDC /*DC*/) {}

void TButtonControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FEnabled) {
        const bool asked = CanFocus() && !Focused();
        if (asked) ::SetFocus(Handle());
        FPressed = true;
        FMouseInside = true;
        SetCapture(FHandle);
        Invalidate();
        if (asked && !Focused()) {
          // The control being left kept the focus: the press goes on without asking for it again.
          TControl::WndProc(Message);
          return;
        }
      }
      break;
    case WM_MOUSEMOVE:
      if (FPressed && GetCapture() == FHandle) {
        int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
        bool inside = x >= 0 && y >= 0 && x < FWidth && y < FHeight;
        if (inside != FMouseInside) {
          FMouseInside = inside;
          Invalidate();
        }
      }
      break;
    case WM_LBUTTONUP:
      if (FPressed) {
        int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
        bool inside = x >= 0 && y >= 0 && x < FWidth && y < FHeight;
        FPressed = false;
        FMouseInside = false;
        if (GetCapture() == FHandle) ReleaseCapture();
        Invalidate();
        if (inside) {
          TWinControl::WndProc(Message);
          Click();
          return;
        }
      }
      break;
    case WM_CAPTURECHANGED:
      if (FPressed && !FSpaceDown) {
        FPressed = false;
        Invalidate();
      }
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

void TButtonControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      if (Message.LParam == reinterpret_cast<LPARAM>(this)) {
        FHot = true;
        Invalidate();
      }
      break;
    case CM_MOUSELEAVE:
      if (Message.LParam == reinterpret_cast<LPARAM>(this)) {
        FHot = false;
        Invalidate();
      }
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTCHARS;
      return;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

void TButtonControl::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && FEnabled) {
    FSpaceDown = true;
    FPressed = true;
    Invalidate();
    Key = 0;
  }
}

void TButtonControl::KeyUp(WORD& Key, TShiftState Shift) {
  TWinControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    FPressed = false;
    Invalidate();
    Key = 0;
    Click();
  }
}

// ---------------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
}

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  Invalidate();
}

void TButton::Click() {
  // The form takes the button's modal result first, so OnClick can still change it.
  if (TWinControl* form = ParentFormControl()) form->SetModalResultFromControl(FModalResult);
  TButtonControl::Click();
}

void TButton::PaintWindow(HDC DC) {
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(DC, r, ColorRef(FColor));
  TElementState s;
  s.Enabled = FEnabled;
  s.Hot = FHot;
  s.Pressed = FPressed && (FMouseInside || FSpaceDown);
  s.Focused = Focused();
  s.Default = FDefault;
  RECT content = r;
  ThemePainter().PushButton(DC, r, s, &content);
  // "&" marks the access key: underlined, "&&" draws one "&".
  DrawControlText(DC, FText, content, DT_CENTER | DT_VCENTER | DT_SINGLELINE, FFont.get(), FEnabled);
}

// ---------------------------------------------------------------------------------------------------
// Check boxes and radio buttons

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
}

void TCustomCheckBox::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  Invalidate();
  Click();
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomCheckBox::PaintWindow(HDC DC) {
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(DC, r, ColorRef(FColor));
  const int box = 13;
  int top = (FHeight - box) / 2;
  bool right = FAlignment == taRightJustify;
  RECT boxRect = right ? RECT{0, top, box, top + box} : RECT{FWidth - box, top, FWidth, top + box};
  TElementState s;
  s.Enabled = FEnabled;
  s.Hot = FHot;
  s.Pressed = FPressed && (FMouseInside || FSpaceDown);
  s.Checked = FChecked;
  if (IsRadio())
    ThemePainter().RadioButton(DC, boxRect, s);
  else
    ThemePainter().CheckBox(DC, boxRect, s);
  SIZE ts = MeasureControlText(FText, FFont.get());
  RECT text = right ? RECT{box + 4, 0, FWidth, FHeight} : RECT{0, 0, FWidth - box - 4, FHeight};
  DrawControlText(DC, FText, text, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | (right ? 0 : DT_RIGHT), FFont.get(),
                  FEnabled);
  if (Focused() && !FText.empty()) {
    int x = right ? text.left - 1 : text.right - ts.cx - 1;
    int y = (FHeight - ts.cy) / 2 - 1;
    RECT fr{x, std::max(0, y), std::min(FWidth, x + ts.cx + 3), std::min(FHeight, y + ts.cy + 2)};
    ThemePainter().FocusRect(DC, fr);
  }
}

TCheckBox::TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}

void TCheckBox::Click() {
  // A click by the user toggles; SetChecked calls back here once the state changed.
  TCustomCheckBox::Click();
  if (OnChange) OnChange(this);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TCustomCheckBox(AOwner) {
  FWidth = 113;
}

void TRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  Invalidate();
  if (!Value) return;
  if (FParent) {
    for (int i = 0; i < FParent->ControlCount(); ++i) {
      auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i));
      if (r && r != this && r->FChecked) {
        r->FChecked = false;
        r->Invalidate();
      }
    }
  }
  TCustomCheckBox::Click();
}

void TRadioButton::Click() {
  // A click of the user checks the button; OnClick runs only when that changed the state.
  if (!FChecked)
    SetChecked(true);
}

bool TRadioButton::WantsKey(WORD Key, TShiftState /*Shift*/) {
  return Key == VK_UP || Key == VK_DOWN || Key == VK_LEFT || Key == VK_RIGHT;
}

void TRadioButton::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomCheckBox::KeyDown(Key, Shift);
  if (!FParent || !(Key == VK_UP || Key == VK_DOWN || Key == VK_LEFT || Key == VK_RIGHT)) return;
  std::vector<TRadioButton*> group;
  for (int i = 0; i < FParent->ControlCount(); ++i)
    if (auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i)); r && r->CanFocus()) group.push_back(r);
  auto it = std::find(group.begin(), group.end(), this);
  if (it == group.end() || group.size() < 2) return;
  size_t i = static_cast<size_t>(it - group.begin());
  bool forward = Key == VK_DOWN || Key == VK_RIGHT;
  size_t next = forward ? (i + 1) % group.size() : (i + group.size() - 1) % group.size();
  Key = 0;
  group[next]->SetFocus();
  group[next]->SetChecked(true);
}

// ---------------------------------------------------------------------------------------------------
// TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FWidth = 185;
  FHeight = 105;
}

void TGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Rect.Top += FontLineHeight(FFont.get());
  Rect.Left += 2;
  Rect.Top += 2;
  Rect.Right -= 2;
  Rect.Bottom -= 2;
}

void TGroupBox::Paint() {
  HDC dc = FCanvas->Handle();
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(dc, r, ColorRef(FColor));
  int h = FontLineHeight(FFont.get());
  RECT frame{0, h / 2, FWidth, FHeight};
  ThemePainter().Frame(dc, frame, TFrameKind::Etched);
  if (!FText.empty()) {
    SIZE s = MeasureControlText(FText, FFont.get());
    RECT tr{8, 0, 8 + s.cx + 4, h};
    FillSolidRect(dc, tr, ColorRef(FColor));
    tr.left += 2;
    DrawControlText(dc, FText, tr, DT_SINGLELINE | DT_NOPREFIX, FFont.get(), FEnabled);
  }
}

// ---------------------------------------------------------------------------------------------------
// TComboBox and its pop-up list

class TComboListPopup : public TCustomControl {
  DECLARE_CLASS(TComboListPopup, TCustomControl)
  explicit TComboListPopup(TComboBox* ACombo) : TCustomControl(nullptr), FCombo(ACombo) {
    FControlStyle = TControlStyle{csOpaque};
    FVisible = false;
    FColor = clWindow;
    FParentColor = false;
  }

  int HotIndex = -1;
  int TopIndex = 0;

  HWND Wnd() const { return FHandle; }
  bool Shown() const { return FHandle && IsWindowVisible(FHandle); }
  void ShowAt(int X, int Y, int W, int H) {
    SetBounds(X, Y, W, H);
    HandleNeeded();
    FVisible = true;
    SetWindowPos(FHandle, HWND_TOPMOST, X, Y, W, H, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
    SetCapture(FHandle);
  }
  void HideList() {
    FVisible = false;
    if (!FHandle) return;
    if (GetCapture() == FHandle) ReleaseCapture();
    ShowWindow(FHandle, SW_HIDE);
  }

  int VisibleCount() const {
    return std::max(1, std::min(FCombo->FItems->Count(), FCombo->FDropDownCount));
  }
  void EnsureVisible(int Index) {
    if (Index < 0) return;
    if (Index < TopIndex) TopIndex = Index;
    if (Index >= TopIndex + VisibleCount()) TopIndex = Index - VisibleCount() + 1;
    TopIndex = std::clamp(TopIndex, 0, std::max(0, FCombo->FItems->Count() - VisibleCount()));
  }
  void SetHot(int Index) {
    Index = std::clamp(Index, 0, std::max(0, FCombo->FItems->Count() - 1));
    if (FCombo->FItems->Count() == 0) Index = -1;
    if (Index == HotIndex) return;
    HotIndex = Index;
    EnsureVisible(Index);
    Invalidate();
  }
  int IndexAt(int Y) const {
    int h = FCombo->ItemHeight();
    if (Y < 1) return -1;
    int i = TopIndex + (Y - 1) / h;
    return (i >= 0 && i < FCombo->FItems->Count() && i < TopIndex + VisibleCount()) ? i : -1;
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_CLIPCHILDREN;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    TWinControl* form = FCombo->ParentFormControl();
    Params.WndParent = form ? form->Handle() : nullptr;
  }

  void WndProc(TMessage& Message) override {
    int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
    bool inside = x >= 0 && y >= 0 && x < FWidth && y < FHeight;
    switch (Message.Msg) {
      case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
      case WM_MOUSEMOVE:
        if (inside) {
          int i = IndexAt(y);
          if (i >= 0) SetHot(i);
        }
        return;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        // A press outside the list closes it without a choice; inside, the release chooses.
        if (!inside) FCombo->CloseUp(false);
        return;
      case WM_LBUTTONUP:
        if (inside && IndexAt(y) >= 0) {
          HotIndex = IndexAt(y);
          FCombo->CloseUp(true);
        }
        return;
      case WM_MOUSEWHEEL: {
        int d = GET_WHEEL_DELTA_WPARAM(Message.WParam);
        TopIndex = std::clamp(TopIndex + (d > 0 ? -3 : 3), 0, std::max(0, FCombo->FItems->Count() - VisibleCount()));
        Invalidate();
        Message.Result = 1;
        return;
      }
      default:
        break;
    }
    TCustomControl::WndProc(Message);
  }

  void Paint() override {
    HDC dc = FCanvas->Handle();
    RECT r{0, 0, FWidth, FHeight};
    FillSolidRect(dc, r, GetSysColor(COLOR_WINDOW));
    HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
    FrameRect(dc, &r, frame);
    DeleteObject(frame);
    int h = FCombo->ItemHeight();
    for (int k = 0; k < VisibleCount(); ++k) {
      int i = TopIndex + k;
      if (i >= FCombo->FItems->Count()) break;
      RECT ir{1, 1 + k * h, FWidth - 1, 1 + (k + 1) * h};
      bool hot = i == HotIndex;
      if (hot) FillSolidRect(dc, ir, GetSysColor(COLOR_HIGHLIGHT));
      RECT tr = ir;
      tr.left += 3;
      TFont f;
      f.Assign(FCombo->Font());
      if (hot) f.SetColor(clHighlightText);
      DrawControlText(dc, FCombo->FItems->Strings(i), tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, &f, true);
    }
  }

 private:
  TComboBox* FCombo;
};

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
  FControlStyle = TControlStyle{csSetCaption};
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FItems->OnChange = [this](TObject*) {
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    Invalidate();
  };
}

TComboBox::~TComboBox() {
  FItems->OnChange = nullptr;
  if (FPopup) {
    FPopup->HideList();
    FPopup.reset();
  }
}

int TComboBox::ItemHeight() const { return FontLineHeight(FFont.get()) + 3; }

void TComboBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  if (Value == FItemIndex) return;
  FItemIndex = Value;
  Invalidate();
}

std::string TComboBox::Text() const {
  return (FItemIndex >= 0 && FItemIndex < FItems->Count()) ? FItems->Strings(FItemIndex) : std::string();
}

void TComboBox::SetText(const std::string& Value) {
  // A drop-down list shows only its items: the text selects the item that has it.
  SetItemIndex(FItems->IndexOf(Value));
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::UserSelect(int Index) {
  if (FItems->Count() == 0) return;
  Index = std::clamp(Index, 0, FItems->Count() - 1);
  if (Index == FItemIndex) return;
  FItemIndex = Index;
  Invalidate();
  Change();
}

bool TComboBox::DroppedDown() const { return FPopup && FPopup->Shown(); }

HWND TComboBox::ListHandle() const { return DroppedDown() ? FPopup->Wnd() : nullptr; }

void TComboBox::SetDroppedDown(bool Value) {
  if (Value == DroppedDown()) return;
  if (!Value) {
    CloseUp(false);
    return;
  }
  if (OnDropDown) OnDropDown(this);
  if (!FPopup) FPopup = std::make_unique<TComboListPopup>(this);
  FPopup->Font()->Assign(FFont.get());
  FPopup->HotIndex = FItemIndex;
  FPopup->TopIndex = 0;
  int h = ItemHeight() * FPopup->VisibleCount() + 2;
  TPoint p = ClientToScreen(TPoint(0, FHeight));
  // Below the combo box, or above it when the screen ends first.
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  if (p.Y + h > work.bottom && p.Y - FHeight - h >= work.top) p.Y = p.Y - FHeight - h;
  FPopup->EnsureVisible(FItemIndex);
  FPopup->ShowAt(p.X, p.Y, FWidth, h);
  Invalidate();
}

void TComboBox::CloseUp(bool Accept) {
  if (!DroppedDown()) return;
  int choice = FPopup->HotIndex;
  FPopup->HideList();
  Invalidate();
  if (Accept && choice >= 0) UserSelect(choice);
  if (OnCloseUp) OnCloseUp(this);
}

bool TComboBox::WantsKey(WORD Key, TShiftState /*Shift*/) {
  return DroppedDown() && (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_TAB);
}

void TComboBox::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  int count = FItems->Count();
  if (DroppedDown()) {
    int hot = FPopup->HotIndex;
    switch (Key) {
      case VK_UP: case VK_LEFT: FPopup->SetHot(hot - 1); break;
      case VK_DOWN: case VK_RIGHT: FPopup->SetHot(hot + 1); break;
      case VK_PRIOR: FPopup->SetHot(hot - FPopup->VisibleCount() + 1); break;
      case VK_NEXT: FPopup->SetHot(hot + FPopup->VisibleCount() - 1); break;
      case VK_HOME: FPopup->SetHot(0); break;
      case VK_END: FPopup->SetHot(count - 1); break;
      case VK_RETURN: case VK_TAB: CloseUp(true); break;
      case VK_ESCAPE: case VK_F4: CloseUp(false); break;
      default: return;
    }
    Key = 0;
    return;
  }
  if ((Key == VK_DOWN && Shift.Contains(ssAlt)) || Key == VK_F4) {
    SetDroppedDown(true);
    Key = 0;
    return;
  }
  switch (Key) {
    case VK_UP: case VK_LEFT: UserSelect(FItemIndex < 0 ? 0 : FItemIndex - 1); break;
    case VK_DOWN: case VK_RIGHT: UserSelect(FItemIndex + 1); break;
    case VK_PRIOR: UserSelect(FItemIndex - FDropDownCount + 1); break;
    case VK_NEXT: UserSelect(FItemIndex + FDropDownCount - 1); break;
    case VK_HOME: UserSelect(0); break;
    case VK_END: UserSelect(count - 1); break;
    default: return;
  }
  Key = 0;
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FEnabled) {
    if (CanFocus() && !Focused()) ::SetFocus(Handle());
    SetDroppedDown(!DroppedDown());
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

bool TComboBox::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (DroppedDown()) {
    FPopup->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<DWORD>(WheelDelta)), 0);
    return true;
  }
  if (WheelDelta > 0)
    UserSelect(FItemIndex < 0 ? 0 : FItemIndex - 1);
  else if (WheelDelta < 0)
    UserSelect(FItemIndex + 1);
  return true;
}

void TComboBox::DoExit() {
  CloseUp(false);
  TWinControl::DoExit();
}

void TComboBox::EraseBackground(HDC /*DC*/) {}

void TComboBox::PaintWindow(HDC DC) {
  RECT r{0, 0, FWidth, FHeight};
  if (FParent) FillSolidRect(DC, r, ColorRef(FParent->Color()));
  TElementState s;
  s.Enabled = FEnabled;
  s.Hot = false;
  s.Pressed = DroppedDown();
  s.Focused = Focused();
  RECT text;
  int bw = std::max(15, GetSystemMetrics(SM_CXVSCROLL));
  ThemePainter().ComboBox(DC, r, bw, s, &text);
  bool highlight = s.Focused && !s.Pressed;
  if (highlight) FillSolidRect(DC, text, GetSysColor(COLOR_HIGHLIGHT));
  RECT tr = text;
  tr.left += 2;
  TFont f;
  f.Assign(FFont.get());
  if (highlight) f.SetColor(clHighlightText);
  DrawControlText(DC, Text(), tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS, &f, FEnabled);
  if (highlight) ThemePainter().FocusRect(DC, text);
}
