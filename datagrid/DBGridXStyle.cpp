#include "datagrid/DBGridXStyle.h"

#include <algorithm>
#include <cmath>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXSelection.h"
#include "platform/controls/controls.h"
#include "platform/rtl/system.h"

TDBGridXStyle* DefaultGridStyle = nullptr;

namespace {

int TintChannel(int C, int Glass, bool Ungray) {
  double c = C;
  c = c + (Glass - c) * 0.5;
  c = c + (225 - c) * 0.6;
  if (Ungray) c = c - (122 - c) * 0.25;
  int64_t r = Round(c);
  return static_cast<int>(std::clamp<int64_t>(r, 0, 255));
}

// Byte length of the UTF-8 character starting at S[I].
size_t CharLen(const std::string& S, size_t I) {
  unsigned char c = static_cast<unsigned char>(S[I]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return std::min(n, S.size() - I);
}

}  // namespace

TColor TintColor(TColor Color, TColor GlassColor, bool Ungray) {
  int32_t c = ColorToRGB(Color), g = ColorToRGB(GlassColor);
  int r = TintChannel(c & 0xFF, g & 0xFF, Ungray);
  int gr = TintChannel((c >> 8) & 0xFF, (g >> 8) & 0xFF, Ungray);
  int b = TintChannel((c >> 16) & 0xFF, (g >> 16) & 0xFF, Ungray);
  return static_cast<TColor>(r | (gr << 8) | (b << 16));
}

std::string EllipsizeText(const std::string& Text, const std::function<int(const std::string&)>& Measure,
                          int MaxWidth) {
  if (Measure(Text) <= MaxWidth) return Text;
  std::vector<size_t> starts;  // byte offset of each character
  for (size_t i = 0; i < Text.size(); i += CharLen(Text, i)) starts.push_back(i);
  const int len = static_cast<int>(starts.size());
  std::string r = Text;
  for (int i = 1; i <= len && Measure(r) > MaxWidth; ++i) {
    int keep = std::max(0, len - i - 1);
    size_t bytes = keep < len ? starts[static_cast<size_t>(keep)] : Text.size();
    r = Text.substr(0, bytes) + "...";
  }
  if (Measure(r) > MaxWidth) r = "...";
  return r;
}

std::string EllipsizeText(const std::string& Text, TCanvas* Canvas, int MaxWidth) {
  return EllipsizeText(Text, [Canvas](const std::string& S) { return Canvas->TextWidth(S); }, MaxWidth);
}

TColor BrightenColor(TColor Color, double Divisor) {
  int32_t c = ColorToRGB(Color);
  int r = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int v = (c >> shift) & 0xFF;
    v = std::min(255, v + static_cast<int>(std::trunc(v / Divisor)));
    r |= v << shift;
  }
  return static_cast<TColor>(r);
}

void RotateRect(TRect& R) {
  int w = R.Right - R.Left, h = R.Bottom - R.Top;
  R.Right = R.Left + h;
  R.Bottom = R.Top + w;
}

bool PointInGridRect(int ACol, int ARow, const TGridRect& R) { return R.Contains(ACol, ARow); }

void GridFail(const std::string& Message) { throw EInvalidGridOperation(Message); }

// ---------------------------------------------------------------------------------------------------

TDBGridXStyle::TDBGridXStyle() {
  FNotifyWindow = AllocateHWnd([this](TMessage& M) { StyleWindowProc(M); });
  ColorsChanged();
}

void TDBGridXStyle::StyleWindowProc(TMessage& Message) {
  if (Message.Msg == WM_SYSCOLORCHANGE) {
    try {
      ColorsChanged();
    } catch (...) {
      HandleControlException(std::current_exception());
    }
    return;
  }
  Message.Result = DefWindowProc(FNotifyWindow, Message.Msg, Message.WParam, Message.LParam);
}

TDBGridXStyle::~TDBGridXStyle() {
  if (FNotifyWindow) DeallocateHWnd(FNotifyWindow);
  FNotifyWindow = nullptr;
  if (DefaultGridStyle == this) DefaultGridStyle = nullptr;
  while (!FGrids.empty()) {
    TCustomDBGridX* g = FGrids.back();
    FGrids.pop_back();
    g->StyleGone(this);
  }
}

void TDBGridXStyle::AttachGrid(TCustomDBGridX* Grid) {
  if (!HasGrid(Grid)) FGrids.push_back(Grid);
}

void TDBGridXStyle::DetachGrid(TCustomDBGridX* Grid) {
  FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

bool TDBGridXStyle::HasGrid(TCustomDBGridX* Grid) const {
  return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

void TDBGridXStyle::ColorsChanged() {
  HDC dc = GetDC(nullptr);
  FScreenColorCount = GetDeviceCaps(dc, NUMCOLORS);
  ReleaseDC(nullptr, dc);
}

bool TDBGridXStyle::GetDataCellColors(TCustomDBGridX* Grid, int, int, TFont* Font, TColor& Background,
                                      TGridDrawState, bool Selected, bool Current, bool CurrentRow) {
  bool focused = Grid->HasFocusInside();
  bool focusHighlight = focused && Grid->OptionsX().Contains(gxoHighlightFocus);
  bool rowSelect = Grid->Options().Contains(gdoRowSelect);
  bool highlighted = Selected;
  bool currentCell = Current || (rowSelect && CurrentRow);
  if (!highlighted && currentCell && (Grid->Options().Contains(gdoAlwaysShowSelection) || focusHighlight) &&
      (Grid->UpdateLock() == 0 || rowSelect))
    highlighted = true;
  // Row highlight: the other cells of the current row, when nothing is selected (a rectangle,
  // columns or everything count as a selection as much as rows do).
  if (!highlighted && Grid->OptionsX().Contains(gxoRowHighlight) && CurrentRow && !Current &&
      Grid->SelectedRows()->Count() == 0 && (!Grid->SelectionX() || Grid->SelectionX()->Kind() == selNoneX) && (focusHighlight || Grid->Options().Contains(gdoAlwaysShowSelection)))
    highlighted = true;
  if (!highlighted) return false;
  if (!focused) {
    if (currentCell && !Selected) {
      Background = clBtnShadow;
      Font->SetColor(clHighlightText);
    } else {
      Background = TrueColor() ? TintColor(Background, clBtnShadow, false) : clBtnFace;
    }
  } else if (FTintSelection && TrueColor()) {
    if (currentCell && !Selected) {
      Background = clHighlight;
      Font->SetColor(clHighlightText);
    } else {
      Background = TintColor(Background, clHighlight, true);
    }
  } else {
    Background = clHighlight;
    Font->SetColor(clHighlightText);
  }
  return true;
}

bool TDBGridXStyle::GetFixedCellColors(TCustomDBGridX* Grid, int ColKind, int RowKind, TFont* Font,
                                       TColor& Background) {
  if ((ColKind == 0 && RowKind != 3) || (ColKind == 1 && RowKind < 2)) {
    Background = static_cast<TColor>(RGB(64, 64, 64));
    Font->SetColor(clWhite);
  } else if (Grid->HasFocusInside()) {
    if (FTintSelection && TrueColor()) {
      Background = TintColor(Background, clHighlight, true);
    } else {
      Background = clHighlight;
      Font->SetColor(clHighlightText);
    }
  } else {
    Background = TrueColor() ? TintColor(Background, clBtnShadow, false) : clBtnFace;
  }
  return true;
}
