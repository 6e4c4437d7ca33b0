// Painting the whole data grid: the lines of each band in its own colour (title lines stop under the
// group bands of multi-level titles, so no line crosses a group caption), the cells area by area, the
// focus frames, the empty space beyond the last column and row, and the raised or flat fixed-cell
// frames. Also the selection test a cell is drawn by, the filter-cell background, leaving the grid
// (DoExit) and the canvas mirroring for right-to-left reading.
#include <algorithm>
#include <vector>

#include "datagrid/DBGridX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/forms/forms.h"

namespace {

// Line rectangles of one colour, filled in one pass: grid lines are all horizontal or vertical.
struct TLineRects {
  std::vector<RECT> Rects;
  void Vert(int X, int Y0, int Y1, int W) {
    if (Y1 > Y0) Rects.push_back(RECT{X, Y0, X + W, Y1});
  }
  void Horz(int X0, int X1, int Y, int W) {
    if (X1 > X0) Rects.push_back(RECT{X0, Y, X1, Y + W});
  }
  void Fill(HDC DC, COLORREF Color) const {
    if (Rects.empty()) return;
    HBRUSH b = CreateSolidBrush(Color);
    for (const RECT& r : Rects) FillRect(DC, &r, b);
    DeleteObject(b);
  }
};

}  // namespace

// ---- settings

void TCustomDBGridX::SetShowCellContents(bool Value) {
  if (FShowCellContents == Value) return;
  FShowCellContents = Value;
  Invalidate();
}

void TCustomDBGridX::SetRowFocusFrame(bool Value) {
  if (FRowFocusFrame == Value) return;
  FRowFocusFrame = Value;
  Invalidate();
}

// ---- geometry and state

TGridRect TCustomDBGridX::DataAreaBox() {
  int footers = FooterRowCount();
  int bottom = footers > 0 ? RowCount() - footers - 2 : RowCount() - 1;
  return TGridRect{FIndicatorOffset, FTitleOffset, ColCount() - 1, bottom};
}

bool TCustomDBGridX::RowSelectFocusFrame() {
  return !ComponentState().Contains(csDesigning) && FDataOptions.Contains(gdoRowSelect) && FRowFocusFrame &&
         HasFocusInside();
}

bool TCustomDBGridX::IsFormActiveControl() {
  if (TCustomForm* f = GetParentForm(this)) return f->ActiveControl() == this;
  if (!HandleAllocated()) return false;
  for (HWND w = GetFocus(); w; w = GetParent(w))
    if (w == Handle()) return true;
  return false;
}

void TCustomDBGridX::SetCanvasMirror(bool RightToLeft) {
  HDC dc = Canvas()->Handle();
  int w = ClientWidth(), h = ClientHeight();
  SetMapMode(dc, MM_ANISOTROPIC);
  if (RightToLeft) {
    SetWindowOrgEx(dc, w, 0, nullptr);
    SetWindowExtEx(dc, -w, h, nullptr);
  } else {
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, w, h, nullptr);
  }
  SetViewportExtEx(dc, w, h, nullptr);
}

// ---- frames and fixed backgrounds

void TCustomDBGridX::DrawCellFrame(TCanvas* ACanvas, const TRect& Rect, bool Pressed, bool Down, bool WithLeftTop,
                                   bool WithRightBottom) {
  HDC dc = ACanvas->Handle();
  UINT edge = Pressed || Down ? BDR_SUNKENINNER : BDR_RAISEDINNER;
  UINT leftSide = FRightToLeft ? BF_RIGHT : BF_LEFT, rightSide = FRightToLeft ? BF_LEFT : BF_RIGHT;
  RECT r = Rect;
  if (!FFlat) {
    if (WithLeftTop && WithRightBottom) {
      DrawEdge(dc, &r, edge, BF_RECT);
      return;
    }
    RECT a = r;
    DrawEdge(dc, &a, edge, BF_TOP | (WithLeftTop ? leftSide : 0));
    RECT b = r;
    DrawEdge(dc, &b, edge, BF_BOTTOM | (WithRightBottom ? rightSide : 0));
    return;
  }
  // Flat: the right and bottom lines in the brush colour, the edge on the top (and left).
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(ACanvas->Brush()->Color())));
  RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
  FillRect(dc, &bottom, brush);
  if (WithRightBottom) {
    RECT right = FRightToLeft ? RECT{r.left, r.top, r.left + 1, r.bottom} : RECT{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &right, brush);
  }
  DeleteObject(brush);
  DrawEdge(dc, &r, edge, BF_TOP | (WithLeftTop ? leftSide : 0));
}

bool TCustomDBGridX::DrawFixedCellBackground(int ACol, int ARow, const TRect& Rect, bool TitleColor) {
  TCanvas* c = Canvas();
  int dc = 0, dr = 0;
  int kind = GetCellType(ACol, ARow, dc, dr, true);
  int colKind = kind & 0xFF, rowKind = kind >> 8;
  TColumnX* col = colKind == 1 ? ColumnAt(dc) : nullptr;
  TColor back = TitleColor && col ? col->Title()->Color() : FixedColor();
  bool highlight = false;
  if (rowKind == 1 && col) {
    // A filter cell's background and font; its condition text is drawn over it with the cell.
    back = BrightenColor(FixedColor(), 8);
    c->Font()->Assign(Font());
    c->Font()->SetColor(static_cast<TColor>(0xFF0000));
  }
  if (CellSelected(ACol, ARow, TBookmark())) highlight = GetFixedCellColors(colKind, rowKind, c->Font(), back);
  c->Brush()->SetColor(back);
  c->FillRect(Rect);
  return highlight;
}

// ---- leaving the grid

void TCustomDBGridX::DoExit() {
  if (FDataLink->Active()) {
    try {
      TDataSet* ds = FDataLink->DataSet();
      if (FDataOptions.Contains(gdoCancelOnExit) && ds->State() == dsInsert && !ds->Modified() &&
          !FDataLink->EditorChanged())
        ds->Cancel();
      else
        FDataLink->UpdateRecord();
    } catch (...) {
      Invalidate();
      throw;
    }
  }
  TCustomGrid::DoExit();
}

// ---- painting

int TCustomDBGridX::TitleLineTop(int C) const {
  if (!FUseMultiTitle || C < 0 || C + 1 >= static_cast<int>(FTitleColumnNodes.size())) return 0;
  THeadTreeNode* a = FTitleColumnNodes[static_cast<size_t>(C)];
  THeadTreeNode* b = FTitleColumnNodes[static_cast<size_t>(C + 1)];
  if (!a || !b) return 0;
  int top = 0;
  for (THeadTreeNode* p = a->Parent; p && p != FTitleTree.get(); p = p->Parent) {
    bool shared = false;
    for (THeadTreeNode* q = b->Parent; q; q = q->Parent)
      if (q == p) shared = true;
    if (shared) top += p->Height;
  }
  return top;
}

void TCustomDBGridX::FitTitleRowToVerticalTitles() {
  TCanvas* c = Canvas();
  int need = 0;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnX* col = FColumns->Items(i);
    if (!col->Visible() || col->Title()->Orientation() != tohVertical) continue;
    c->Font()->Assign(col->Title()->Font());
    std::string text = col->Title()->Caption();
    int above = 0;
    if (FUseMultiTitle && i < static_cast<int>(FTitleColumnNodes.size()) && FTitleColumnNodes[static_cast<size_t>(i)]) {
      THeadTreeNode* leaf = FTitleColumnNodes[static_cast<size_t>(i)];
      text = leaf->Caption;
      for (THeadTreeNode* p = leaf->Parent; p && p != FTitleTree.get(); p = p->Parent) above += p->Height;
    }
    int length = DrawVerticalTextX(c, TRect(), false, 0, 0, text.empty() ? " " : text, 0, 0, false, true);
    need = std::max(need, above + length + 6);
  }
  if (need <= FTitleRowHeight) return;
  int delta = need - FTitleRowHeight;
  if (FUseMultiTitle)
    for (THeadTreeNode* leaf : FTitleColumnNodes)
      if (leaf) leaf->Height += delta;
  FTitleRowHeight = need;
}

void TCustomDBGridX::PaintLines(const TGridDrawInfoX& Info) {
  const TGridAxisDrawInfo& h = Info.Horz;
  const TGridAxisDrawInfo& v = Info.Vert;
  int lw = GridLineWidth();
  if (lw <= 0 || (h.EffectiveLineWidth == 0 && v.EffectiveLineWidth == 0)) return;
  HDC dc = Canvas()->Handle();
  COLORREF fixedLine = FFlat ? RGB(0x80, 0x80, 0x80) : RGB(0, 0, 0);
  COLORREF dataLine = ColorToRGB(Color()) == RGB(0xC0, 0xC0, 0xC0) ? RGB(0x80, 0x80, 0x80) : RGB(0xC0, 0xC0, 0xC0);
  COLORREF fixedBack = static_cast<COLORREF>(ColorToRGB(FixedColor()));
  COLORREF dataBack = static_cast<COLORREF>(ColorToRGB(Color()));
  bool fv = FOptions.Contains(goFixedVertLine), fh = FOptions.Contains(goFixedHorzLine);
  bool dv = FOptions.Contains(goVertLine), dh = FOptions.Contains(goHorzLine);
  int cw = ClientWidth();
  int titleRows = TitleRowCount();
  auto mx = [&](int X, int W) { return FRightToLeft ? cw - X - W : X; };

  // One area: columns from C0 at X0 up to X1, rows from R0 at Y0 up to Y1.
  auto area = [&](int C0, int X0, int X1, int R0, int Y0, int Y1, bool VertOn, bool HorzOn, COLORREF On,
                  COLORREF Off) {
    if (X1 <= X0 || Y1 <= Y0) return;
    TLineRects vs, hs;
    if (h.EffectiveLineWidth > 0) {
      // Title rows inside the area get per-column tops (multi-level titles).
      int titleBottom = Y0;
      if (R0 == 0 && titleRows > 0 && FUseMultiTitle) titleBottom = std::min(Y1, Y0 + std::max(0, RowHeights(0)));
      int x = X0;
      for (int c = C0; c < ColCount() && x < X1; ++c) {
        int e = ColWidths(c);
        if (e < 0) continue;
        x += e;
        if (x < X1) {
          int top = Y0;
          if (titleBottom > Y0) {
            int t = c >= FIndicatorOffset ? TitleLineTop(c - FIndicatorOffset) : 0;
            top = std::min(titleBottom, Y0 + t);
          }
          vs.Vert(mx(x, lw), top, Y1, lw);
        }
        x += lw;
      }
    }
    if (v.EffectiveLineWidth > 0) {
      int y = Y0;
      for (int r = R0; r < RowCount() && y < Y1; ++r) {
        int e = RowHeights(r);
        if (e < 0) continue;
        y += e;
        if (y < Y1) {
          int a = mx(X0, 0), b = mx(X1, 0);
          hs.Horz(std::min(a, b), std::max(a, b), y, lw);
        }
        y += lw;
      }
    }
    vs.Fill(dc, VertOn ? On : Off);
    hs.Fill(dc, HorzOn ? On : Off);
  };

  // Frozen data columns sit inside the fixed columns: their data rows get the data-line colour.
  int indicatorEnd = 0;
  for (int c = 0; c < FIndicatorOffset && c < ColCount(); ++c) indicatorEnd += std::max(0, ColWidths(c)) + h.EffectiveLineWidth;
  indicatorEnd = std::min(indicatorEnd, h.FixedBoundary);
  bool frozen3D = FOptionsX.Contains(gxoFrozen3D);
  // The footer band: the last FooterExtent pixels above the grid boundary.
  int footerTop = v.GridBoundary - Info.FooterExtent, firstFooter = RowCount() - FooterRowCount();
  bool footerFixed = footerTop < v.GridBoundary &&
                     (FOptionsX.Contains(gxoFooter3D) || FooterColor() == clBtnFace);
  int dataBottom = footerFixed ? footerTop : v.GridBoundary;
  area(0, 0, h.FixedBoundary, 0, 0, v.FixedBoundary, fv, fh, fixedLine, fixedBack);
  area(LeftCol(), h.FixedBoundary, h.GridBoundary, 0, 0, v.FixedBoundary, fv, fh, fixedLine, fixedBack);
  area(0, 0, indicatorEnd, TopRow(), v.FixedBoundary, v.GridBoundary, fv, fh, fixedLine, fixedBack);
  if (indicatorEnd < h.FixedBoundary) {
    if (frozen3D)
      area(FIndicatorOffset, indicatorEnd, h.FixedBoundary, TopRow(), v.FixedBoundary, v.GridBoundary, fv, fh, fixedLine,
           fixedBack);
    else
      area(FIndicatorOffset, indicatorEnd, h.FixedBoundary, TopRow(), v.FixedBoundary, dataBottom, dv, dh, dataLine,
           dataBack);
  }
  area(LeftCol(), h.FixedBoundary, h.GridBoundary, TopRow(), v.FixedBoundary, dataBottom, dv, dh, dataLine, dataBack);
  if (footerFixed) {
    // A footer band drawn 3D or in the button face gets the fixed lines, and a line along its top.
    if (!frozen3D && indicatorEnd < h.FixedBoundary)
      area(FIndicatorOffset, indicatorEnd, h.FixedBoundary, firstFooter, footerTop, v.GridBoundary, dv, dh, fixedLine,
           dataBack);
    area(LeftCol(), h.FixedBoundary, h.GridBoundary, firstFooter, footerTop, v.GridBoundary, dv, dh, fixedLine,
         dataBack);
    if (dh && footerTop > v.FixedBoundary) {
      TLineRects top;
      int a = mx(indicatorEnd, 0), b = mx(h.GridBoundary, 0);
      top.Horz(std::min(a, b), std::max(a, b), footerTop - v.EffectiveLineWidth, lw);
      top.Fill(dc, fixedLine);
    }
  }
}

void TCustomDBGridX::Paint() {
  if (FPaintSuppressed) return;
  TGridDrawInfoX info;
  CalcDrawInfoX(info);
  const TGridAxisDrawInfo& h = info.Horz;
  const TGridAxisDrawInfo& v = info.Vert;
  HDC dc = Canvas()->Handle();
  FIndicatorRow = -1;
  PaintLines(info);

  DrawCells(info, 0, 0, 0, 0, h.FixedBoundary, v.FixedBoundary, FixedColor(), TGridDrawState{gdFixed});
  DrawCells(info, LeftCol(), 0, h.FixedBoundary, 0, h.GridBoundary, v.FixedBoundary, FixedColor(),
             TGridDrawState{gdFixed});
  DrawCells(info, 0, TopRow(), 0, v.FixedBoundary, h.FixedBoundary, v.GridBoundary, FixedColor(),
             TGridDrawState{gdFixed});
  DrawCells(info, LeftCol(), TopRow(), h.FixedBoundary, v.FixedBoundary, h.GridBoundary, v.GridBoundary, Color(),
             TGridDrawState{});

  bool designing = ComponentState().Contains(csDesigning);
  if (FOptions.Contains(goRowSelect) && DefaultDrawing() && !designing && IsActiveControl()) {
    TGridRect s = Selection();
    RECT r = BoxRect(s.Left, s.Top, s.Right, s.Bottom);
    if (r.right > r.left) ::DrawFocusRect(dc, &r);
  }

  // What lies beyond the last column and row.
  Canvas()->Brush()->SetColor(Color());
  int w = ClientWidth(), ht = ClientHeight();
  if (h.GridBoundary < w) Canvas()->FillRect(MirrorRect(TRect(h.GridBoundary, 0, w, ht)));
  if (v.GridBoundary < ht) Canvas()->FillRect(MirrorRect(TRect(0, v.GridBoundary, h.GridBoundary, ht)));

  if (TitleRowCount() > 0 && FUseMultiTitle && FTitleTree)
    FTitleTree->ForEachNode([](THeadTreeNode* N) { N->Drawn = false; });

  if (RowSelectFocusFrame()) {
    Canvas()->Font()->SetColor(clWindowText);
    Canvas()->Brush()->SetColor(clWindow);
    TGridRect s = Selection();
    TRect box = BoxRect(std::min(s.Left, FIndicatorOffset), s.Top, s.Right, s.Bottom);
    if (!box.IsEmpty()) Canvas()->DrawFocusRect(box);
  }
  FSizingDrawn = false;
}
