// The arithmetic and text rules of the data-aware controls: value lists, styles, heights, strip layout.
#include "dataedit/DBCtrlsXRules.h"

#include <algorithm>
#include <climits>

#include "dataedit/VarValuesX.h"
#include "platform/rtl/system.h"
#include "platform/rtl/sysutils.h"

namespace {

// Calls Fn with each ';'-separated entry of List, trimmed, until it answers true.
template <typename Fn>
bool ForEachEntry(const std::string& List, Fn&& F) {
  size_t Start = 0;
  for (;;) {
    size_t End = List.find(';', Start);
    std::string Entry = Trim(List.substr(Start, End == std::string::npos ? std::string::npos : End - Start));
    if (F(Entry)) return true;
    if (End == std::string::npos) return false;
    Start = End + 1;
  }
}

}  // namespace

bool ValueMatch(const std::string& List, const std::string& Text) {
  return ForEachEntry(List, [&](const std::string& Entry) { return AnsiCompareText(Entry, Text) == 0; });
}

std::string FirstValueEntry(const std::string& List) {
  std::string First;
  ForEachEntry(List, [&](const std::string& Entry) {
    First = Entry;
    return true;
  });
  return First;
}

TCheckBoxState CheckBoxStateOfText(const std::string& Text, const std::string& ValueChecked,
                                   const std::string& ValueUnchecked) {
  if (ValueMatch(ValueChecked, Text)) return cbChecked;
  if (ValueMatch(ValueUnchecked, Text)) return cbUnchecked;
  return cbGrayed;
}

TCheckBoxState CheckBoxStateOfValue(const Variant& Value) {
  if (VarIsNull(Value) || VarIsEmpty(Value)) return cbGrayed;
  if (VarValuesEqual(Value, Variant(true))) return cbChecked;
  if (VarValuesEqual(Value, Variant(false))) return cbUnchecked;
  return cbGrayed;
}

Variant CheckBoxValueOfState(TCheckBoxState State) {
  switch (State) {
    case cbChecked: return Variant(true);
    case cbUnchecked: return Variant(false);
    case cbGrayed: break;
  }
  return Null;
}

TCheckBoxState ToggledCheckBoxState(TCheckBoxState State, bool AllowGrayed) {
  switch (State) {
    case cbUnchecked: return AllowGrayed ? cbGrayed : cbChecked;
    case cbChecked: return cbUnchecked;
    case cbGrayed: break;
  }
  return cbChecked;
}

DWORD EditAlignmentStyle(bool WordWrap, bool RightToLeft, TAlignment Alignment) {
  if (!WordWrap) return RightToLeft ? ES_RIGHT : ES_LEFT;
  switch (Alignment) {
    case taLeftJustify: return RightToLeft ? ES_RIGHT : ES_LEFT;
    case taRightJustify: return RightToLeft ? ES_LEFT : ES_RIGHT;
    case taCenter: break;
  }
  return ES_CENTER;
}

DWORD DBEditWindowStyle(DWORD Inherited, bool WordWrap, bool HasPasswordChar, bool RightToLeft,
                        TAlignment Alignment) {
  DWORD Style = Inherited & ~(ES_LEFT | ES_RIGHT | ES_CENTER);
  if (WordWrap) Style &= ~ES_AUTOHSCROLL;
  if (!HasPasswordChar) Style |= ES_MULTILINE;
  return Style | EditAlignmentStyle(WordWrap, RightToLeft, Alignment);
}

int EditBorderAllowance(bool NewStyle, bool Ctl3D, bool Flat, int CyBorder, int SystemFontHeight,
                        int FontHeight) {
  if (NewStyle) return CyBorder * (6 + 2 * ((Flat ? 0 : 1) - (Ctl3D ? 0 : 1)));
  return 4 * CyBorder + std::min(SystemFontHeight, FontHeight) / 4;
}

int FitEditHeight(int Allowance, int FontHeight, bool HasImages, bool UseImageHeight, int ImageHeight) {
  int Content = FontHeight;
  if (HasImages && UseImageHeight && ImageHeight > Content) Content = ImageHeight;
  return Allowance + Content;
}

int StripButtonWidth(const TStripButtonX& Button, bool Flat, int FlatWidth, int ScrollBarWidth) {
  if (!Button.Visible) return 0;
  if (Button.Width > 0) return Button.Width;
  return Flat ? FlatWidth : ScrollBarWidth;
}

TButtonStripLayoutX LayoutButtonStrip(const std::vector<TStripButtonX>& Buttons, int ClientWidth,
                                      int ClientHeight, bool Flat, bool RightToLeft, int FlatWidth,
                                      int ScrollBarWidth) {
  TButtonStripLayoutX L;
  const size_t N = Buttons.size();
  L.Widths.resize(N);
  L.Buttons.resize(N);
  L.Separators.resize(N);
  int Height = INT_MAX;
  for (size_t I = 0; I < N; ++I) {
    L.Widths[I] = StripButtonWidth(Buttons[I], Flat, FlatWidth, ScrollBarWidth);
    if (!Buttons[I].Visible) continue;
    int Candidate = Round(L.Widths[I] * 3 / 2.0) < ClientHeight ? L.Widths[I] : ClientHeight;
    Height = std::min(Height, Candidate);
  }
  // With no visible button there is nothing to size: a height of 0, never the integer sentinel, goes
  // into the controls' bounds.
  L.ButtonHeight = Height == INT_MAX ? 0 : Height;
  int X = RightToLeft ? 0 : ClientWidth;
  for (size_t K = N; K-- > 0;) {
    const int W = L.Widths[K];
    const int SepW = Flat && Buttons[K].Visible ? 1 : 0;
    if (RightToLeft) {
      L.Buttons[K] = RECT{X, 0, X + W, L.ButtonHeight};
      X += W;
      L.Separators[K] = RECT{X, 0, X + SepW, L.ButtonHeight};
      X += SepW;
    } else {
      X -= W;
      L.Buttons[K] = RECT{X, 0, X + W, L.ButtonHeight};
      X -= SepW;
      L.Separators[K] = RECT{X, 0, X + SepW, L.ButtonHeight};
    }
  }
  L.StripWidth = RightToLeft ? X : ClientWidth - X;
  return L;
}

RECT EditButtonsRect(int ClientWidth, int ClientHeight, int StripWidth, bool Inset, bool RightToLeft) {
  RECT R = Inset ? RECT{ClientWidth - StripWidth - 1, 1, ClientWidth - 1, ClientHeight - 1}
                 : RECT{ClientWidth - StripWidth, 0, ClientWidth, ClientHeight};
  // Right to left the strip stands at the other edge, inside the border as well.
  if (RightToLeft) R = RECT{ClientWidth - R.right, R.top, ClientWidth - R.left, R.bottom};
  return R;
}

RECT EditImageRect(int ClientWidth, int ClientHeight, int ImageWidth, bool RightToLeft) {
  if (RightToLeft) return RECT{ClientWidth - ImageWidth, 0, ClientWidth, ClientHeight};
  return RECT{0, 0, ImageWidth, ClientHeight};
}

RECT EditFormatRect(int ClientWidth, int ClientHeight, int StripWidth, int ImageWidth, bool RightToLeft) {
  if (RightToLeft) return RECT{StripWidth, 0, ClientWidth - ImageWidth, ClientHeight};
  return RECT{ImageWidth, 0, ClientWidth - StripWidth, ClientHeight};
}

RECT EditPaintTextRect(int ClientWidth, int ClientHeight, int StripWidth, int ImageWidth, bool Inset,
                       bool RightToLeft) {
  RECT R = Inset ? RECT{ImageWidth + 1, 1, ClientWidth - StripWidth - 2, ClientHeight - 1}
                 : RECT{ImageWidth, 0, ClientWidth - StripWidth - 1, ClientHeight};
  if (RightToLeft) {
    const int Shift = StripWidth - ImageWidth;
    R.left += Shift;
    R.right += Shift;
  }
  return R;
}

int EditPaintTextX(TAlignment Alignment, const RECT& PaintRect, int TextWidth, int LeftMargin) {
  switch (Alignment) {
    case taLeftJustify: return LeftMargin;
    case taRightJustify: return PaintRect.right - TextWidth - LeftMargin;
    case taCenter: break;
  }
  return (PaintRect.right - TextWidth) / 2;
}

int EffectiveItemCount(int ItemCount, int KeyItemCount) {
  return KeyItemCount > 0 ? std::min(ItemCount, KeyItemCount) : ItemCount;
}

int SteppedItemIndex(int Index, int Count, bool Up) {
  if (Count <= 0) return -1;
  if (Index < 0 || Index >= Count) return Up ? Count - 1 : 0;
  if (Up) return Index > 0 ? Index - 1 : 0;
  return Index < Count - 1 ? Index + 1 : Count - 1;
}

int MatchItemText(const std::vector<std::string>& Items, int Count, const std::string& Text, bool Partial) {
  const int N = std::min<int>(Count, static_cast<int>(Items.size()));
  const int TextChars = Utf8Length(Text);
  for (int I = 0; I < N; ++I) {
    const std::string Item = Partial ? Utf8Left(Items[I], TextChars) : Items[I];
    if (AnsiCompareText(Item, Text) == 0) return I;
  }
  return -1;
}

int DropDownClientWidth(int BoxWidth, int ControlWidth, int WidestText, bool HasImages, int ImageWidth) {
  int W;
  if (BoxWidth == -1)
    W = WidestText + 5 + (HasImages ? ImageWidth + 4 : 0);
  else if (BoxWidth < 1)
    W = ControlWidth;
  else
    W = BoxWidth;
  return std::max(W, ControlWidth);
}
