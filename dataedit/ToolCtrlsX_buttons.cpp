// The edit button control: painting through DrawEditButton, pressed parts and the auto-repeat timer.
#include "dataedit/ToolCtrlsX.h"

TEditButtonControlX::TEditButtonControlX(TComponent* AOwner) : TSpeedButton(AOwner) {
  SetBounds(0, 0, 10, 17);
}

TEditButtonControlX::~TEditButtonControlX() = default;

void TEditButtonControlX::SetStyle(TEditButtonStyleX Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

void TEditButtonControlX::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  Invalidate();
}

void TEditButtonControlX::SetStayDown(bool Value) {
  if (FStayDown == Value) return;
  FStayDown = Value;
  if (Value) {
    SetGroupIndex(1);
    SetDown(true);
    SetAllowAllUp(false);
  } else {
    SetAllowAllUp(true);
    SetDown(false);
    SetGroupIndex(0);
  }
  Invalidate();
}

void TEditButtonControlX::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R{0, 0, Width(), Height()};
  COLORREF ParentColor = Parent() ? static_cast<COLORREF>(ColorToRGB(Parent()->Color())) : GetSysColor(COLOR_BTNFACE);
  const bool IsDown = FHeld || Down();
  if (FStyle == ebsGlyphX) {
    // The speed button paints the glyph; a flat classic button keeps its outer pixel for the same
    // edge or parent-coloured frame the other flat buttons show.
    const bool FlatFrame = Flat() && !EditButtonThemesActive;
    if (!FlatFrame) {
      TSpeedButton::Paint();
      return;
    }
    const int Saved = SaveDC(DC);
    IntersectClipRect(DC, R.left + 1, R.top + 1, R.right - 1, R.bottom - 1);
    TSpeedButton::Paint();
    RestoreDC(DC, Saved);
    if (FActive) {
      DrawEdge(DC, &R, IsDown ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
      HBRUSH B = CreateSolidBrush(ParentColor);
      FrameRect(DC, &R, B);
      DeleteObject(B);
    }
    return;
  }
  DrawEditButton(DC, R, ParentColor, 0, Enabled(), FActive, Flat(), IsDown ? (FPressedPart ? FPressedPart : 1) : 0,
                 EditButtonStyleKinds[FStyle]);
}

void TEditButtonControlX::UpdatePressedPart(int Y) {
  int Part = 0;
  if (FHeld || Down()) {
    if (FStyle == ebsUpDownX) {
      const int H = Height();
      if (Y < H / 2) Part = 1;
      else if (Y > H - H / 2) Part = 2;
    } else {
      Part = 1;
    }
  }
  if (Part != FPressedPart) {
    FPressedPart = Part;
    Invalidate();
  }
}

void TEditButtonControlX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  FHeld = true;
  FSuppressClick = false;
  bool AutoRepeat = FStyle == ebsUpDownX;
  UpdatePressedPart(Y);
  if (FPressedPart != 0 && OnDown) {
    bool Handled = false;
    OnDown(this, FPressedPart == 1, AutoRepeat, Handled);
  }
  if (AutoRepeat) {
    if (!FTimer) {
      FTimer = new TTimer(this);
      FTimer->SetEnabled(false);
      FTimer->OnTimer = [this](TObject* Sender) { TimerTick(Sender); };
    }
    FTimer->SetInterval(400);
    FTimer->SetEnabled(true);
  }
}

void TEditButtonControlX::TimerTick(TObject*) {
  if (!FHeld || FPressedPart == 0) return;
  if (FTimer->Interval() == 400) FTimer->SetInterval(100);
  bool AutoRepeat = FStyle == ebsUpDownX;
  bool Handled = false;
  if (OnDown) OnDown(this, FPressedPart == 1, AutoRepeat, Handled);
  if (!AutoRepeat && FTimer) FTimer->SetEnabled(false);
}

void TEditButtonControlX::MouseMove(TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseMove(Shift, X, Y);
  if (FStyle == ebsUpDownX && FHeld && FPressedPart != 0) {
    const int H = Height();
    const bool InUpper = Y < H / 2, InLower = Y > H - H / 2;
    // Sliding onto the other half releases the button rather than pressing the other half.
    if ((FPressedPart == 1 && InLower) || (FPressedPart == 2 && InUpper)) {
      FHeld = false;
      FSuppressClick = true;
      FPressedPart = 0;
      if (FTimer) FTimer->SetEnabled(false);
      Invalidate();
    }
  }
}

void TEditButtonControlX::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) FHeld = false;
  TSpeedButton::MouseUp(Button, Shift, X, Y);
  FSuppressClick = false;
  UpdatePressedPart(Y);
  if (FTimer) FTimer->SetEnabled(false);
}

void TEditButtonControlX::Click() {
  if (FSuppressClick) return;
  TSpeedButton::Click();
}

void TEditButtonControlX::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CANCELMODE) {
    // Someone else takes over: let the mouse go and end a held press where no click can follow.
    if (GetCaptureControl() == this) {
      const bool Held = ControlState().Contains(csLButtonDown) || FHeld;
      SetMouseCapture(false);
      if (Held) Perform(WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-1), static_cast<WORD>(-1)));
    }
    return;
  }
  TSpeedButton::Dispatch(Message);
}
