// Grid painting: lines by area, cells through DrawCell, the focus rectangle, the sizing line and the
// drop marker of a moving column or row.
#include <algorithm>
#include <vector>

#include "platform/controls/grids.h"

namespace {

// Line segments of one colour, drawn in one call.
struct TSegments {
  std::vector<POINT> Points;
  std::vector<DWORD> Counts;
  void Add(int X1, int Y1, int X2, int Y2) {
    Points.push_back(POINT{X1, Y1});
    Points.push_back(POINT{X2, Y2});
    Counts.push_back(2);
  }
};

// Draws the segments as lines Width pixels wide. Grid lines are all horizontal or vertical, so each is
// filled as a rectangle (the pixels a flat-capped pen of that width covers): much cheaper than stroking.
void DrawSegments(HDC DC, const TSegments& S, int Width, COLORREF Color) {
  if (S.Counts.empty()) return;
  HBRUSH brush = CreateSolidBrush(Color);
  int before = Width / 2, after = Width - before;
  for (size_t i = 0; i + 1 < S.Points.size(); i += 2) {
    POINT a = S.Points[i], b = S.Points[i + 1];
    RECT r = a.x == b.x ? RECT{a.x - before, std::min(a.y, b.y), a.x + after, std::max(a.y, b.y)}
                        : RECT{std::min(a.x, b.x), a.y - before, std::max(a.x, b.x), a.y + after};
    FillRect(DC, &r, brush);
  }
  DeleteObject(brush);
}

}  // namespace

void TCustomGrid::Paint() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  HDC dc = Canvas()->Handle();
  DrawLines(dc, info);

  const TGridAxisDrawInfo& h = info.Horz;
  const TGridAxisDrawInfo& v = info.Vert;
  DrawCells(info, 0, 0, 0, 0, h.FixedBoundary, v.FixedBoundary, FFixedColor, TGridDrawState{gdFixed});
  DrawCells(info, LeftCol(), 0, h.FixedBoundary, 0, h.GridBoundary, v.FixedBoundary, FFixedColor, TGridDrawState{gdFixed});
  DrawCells(info, 0, TopRow(), 0, v.FixedBoundary, h.FixedBoundary, v.GridBoundary, FFixedColor, TGridDrawState{gdFixed});
  DrawCells(info, LeftCol(), TopRow(), h.FixedBoundary, v.FixedBoundary, h.GridBoundary, v.GridBoundary, FColor,
            TGridDrawState{});

  if (FOptions.Contains(goRowSelect) && FDefaultDrawing && IsActiveControl()) {
    TGridRect s = Selection();
    TRect r = BoxRect(s.Left, s.Top, s.Right, s.Bottom);
    if (!r.IsEmpty()) {
      RECT rc = r;
      ::DrawFocusRect(dc, &rc);
    }
  }

  // What lies beyond the last column and row.
  Canvas()->Brush()->SetColor(FColor);
  int w = ClientWidth(), ht = ClientHeight();
  if (h.GridBoundary < w) Canvas()->FillRect(MirrorRect(TRect(h.GridBoundary, 0, w, ht)));
  if (v.GridBoundary < ht) Canvas()->FillRect(MirrorRect(TRect(0, v.GridBoundary, h.GridBoundary, ht)));
  FSizingDrawn = false;
}

void TCustomGrid::DrawLines(HDC DC, const TGridDrawInfo& Info) {
  const TGridAxisDrawInfo& h = Info.Horz;
  const TGridAxisDrawInfo& v = Info.Vert;
  int lw = FGridLineWidth;
  if (lw <= 0 || (h.EffectiveLineWidth == 0 && v.EffectiveLineWidth == 0)) return;
  int cw = ClientWidth();
  COLORREF fixedLine = RGB(0, 0, 0);
  COLORREF dataLine = ColorRef(FColor) == RGB(0xC0, 0xC0, 0xC0) ? RGB(0x80, 0x80, 0x80) : RGB(0xC0, 0xC0, 0xC0);
  // Pixel column [A, A + lw) of a vertical line, mirrored, as the pen's centre.
  auto vx = [&](int A) { return (FRightToLeft ? cw - (A + lw) : A) + lw / 2; };
  auto hx = [&](int X) { return FRightToLeft ? cw - X : X; };

  // One area: columns from C0 at X0 up to X1, rows from R0 at Y0 up to Y1.
  auto area = [&](int C0, int X0, int X1, int R0, int Y0, int Y1, bool VertOn, bool HorzOn, COLORREF On,
                  COLORREF Off) {
    if (X1 <= X0 || Y1 <= Y0) return;
    TSegments vs, hs;
    if (h.EffectiveLineWidth > 0) {
      int x = X0;
      for (int c = C0; c < ColCount() && x < X1; ++c) {
        int e = FCols.Extent(c);
        if (e < 0) continue;
        x += e;
        if (x < X1) vs.Add(vx(x), Y0, vx(x), Y1);
        x += lw;
      }
    }
    if (v.EffectiveLineWidth > 0) {
      int y = Y0;
      for (int r = R0; r < RowCount() && y < Y1; ++r) {
        int e = FRows.Extent(r);
        if (e < 0) continue;
        y += e;
        if (y < Y1) {
          int yc = y + lw / 2;
          int a = hx(X0), b = hx(X1);
          hs.Add(std::min(a, b), yc, std::max(a, b), yc);
        }
        y += lw;
      }
    }
    auto draw = [&](const TSegments& s, bool on) { DrawSegments(DC, s, lw, on ? On : Off); };
    draw(vs, VertOn);
    draw(hs, HorzOn);
  };

  COLORREF fixedBack = ColorRef(FFixedColor), dataBack = ColorRef(FColor);
  bool fv = FOptions.Contains(goFixedVertLine), fh = FOptions.Contains(goFixedHorzLine);
  bool dv = FOptions.Contains(goVertLine), dh = FOptions.Contains(goHorzLine);
  area(0, 0, h.FixedBoundary, 0, 0, v.FixedBoundary, fv, fh, fixedLine, fixedBack);
  area(LeftCol(), h.FixedBoundary, h.GridBoundary, 0, 0, v.FixedBoundary, fv, fh, fixedLine, fixedBack);
  area(0, 0, h.FixedBoundary, TopRow(), v.FixedBoundary, v.GridBoundary, fv, fh, fixedLine, fixedBack);
  area(LeftCol(), h.FixedBoundary, h.GridBoundary, TopRow(), v.FixedBoundary, v.GridBoundary, dv, dh, dataLine, dataBack);
}

void TCustomGrid::DrawCells(const TGridDrawInfo& Info, int ACol, int ARow, int StartX, int StartY, int StopX, int StopY,
                            TColor AColor, TGridDrawState IncludeDrawState) {
  TCanvas* cv = Canvas();
  HDC dc = cv->Handle();
  int hl = Info.Horz.EffectiveLineWidth, vl = Info.Vert.EffectiveLineWidth;
  bool active = IsActiveControl();
  bool fixedArea = IncludeDrawState.Contains(gdFixed);
  TGridRect sel = Selection();
  // While designing no editor shows and cells always get their default drawing.
  bool designing = ComponentState().Contains(csDesigning);
  bool editorShown =
      FOptions.Contains(goEditing) && FEditorMode && FInplaceEdit && FInplaceEdit->EditVisible() && !designing;
  bool focusFrame = !(FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor)) && !FOptions.Contains(goRowSelect);
  bool defaultDrawing = FDefaultDrawing || designing;
  TColor fontColor = FFont->Color();
  UINT frame1 = 0, frame2 = 0;
  if (FOptions.Contains(goFixedVertLine)) frame1 |= BF_RIGHT, frame2 |= BF_LEFT;
  if (FOptions.Contains(goFixedHorzLine)) frame1 |= BF_BOTTOM, frame2 |= BF_TOP;

  int top = StartY;
  for (int r = ARow; r < RowCount() && top < StopY; ++r) {
    int rh = FRows.Extent(r);
    if (rh < 0) continue;
    int bottom = top + rh;
    int left = StartX;
    for (int c = ACol; c < ColCount() && left < StopX; ++c) {
      int cw = FCols.Extent(c);
      if (cw < 0) continue;
      TRect where(left, top, left + cw, bottom);
      left = where.Right + hl;
      if (where.IsEmpty()) continue;
      TRect rc = MirrorRect(where);
      RECT wr = rc;
      if (!RectVisible(dc, &wr)) continue;
      TGridDrawState state = IncludeDrawState;
      bool isCurrent = c == FCurrent.X && r == FCurrent.Y;
      if (isCurrent && active) state.Include(gdFocused);
      if (!fixedArea && sel.Contains(c, r)) state.Include(gdSelected);
      if (isCurrent && editorShown && !fixedArea) continue;
      if (defaultDrawing) {
        if (state.Contains(gdSelected) &&
            (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect))) {
          cv->Brush()->SetColor(clHighlight);
          cv->Font()->SetColor(clHighlightText);
        } else {
          cv->Brush()->SetColor(AColor);
          cv->Font()->SetColor(fontColor);
        }
        cv->FillRect(rc);
      }
      DrawCell(c, r, rc, state);
      if (defaultDrawing && fixedArea && FCtl3D && (frame1 | frame2)) {
        RECT e = wr;
        DrawEdge(dc, &e, BDR_RAISEDINNER, FRightToLeft ? ((frame1 & ~BF_RIGHT) | ((frame1 & BF_RIGHT) ? BF_LEFT : 0)) : frame1);
        e = wr;
        DrawEdge(dc, &e, BDR_RAISEDINNER, FRightToLeft ? ((frame2 & ~BF_LEFT) | ((frame2 & BF_LEFT) ? BF_RIGHT : 0)) : frame2);
      }
      if (defaultDrawing && state.Contains(gdFocused) && focusFrame && !fixedArea) ::DrawFocusRect(dc, &wr);
    }
    top = bottom + vl;
  }
}

void TCustomGrid::DrawSizingLine(const TGridDrawInfo& Info) {
  if (!HandleAllocated()) return;
  HDC dc = GetDC(Handle());
  RECT r;
  if (FGridState == gsColSizing) {
    int x = MirrorX(FSizingPos);
    r = RECT{x, 0, x + 1, Info.Vert.GridBoundary};
  } else {
    int a = MirrorX(0), b = MirrorX(Info.Horz.GridBoundary);
    r = RECT{std::min(a, b), FSizingPos, std::max(a, b), FSizingPos + 1};
  }
  InvertRect(dc, &r);
  ReleaseDC(Handle(), dc);
  FSizingDrawn = !FSizingDrawn;
}

void TCustomGrid::DrawMoveMarker() {
  if (!HandleAllocated()) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  RECT r{};
  if (FGridState == gsColMoving) {
    TRect cell = CellRect(FMovePos, 0);
    if (cell.IsEmpty()) return;
    // Dropped to the right of the target when it moves right, to its left otherwise.
    bool after = FMovePos > FMoveIndex;
    int x = (after != FRightToLeft) ? cell.Right : cell.Left;
    r = RECT{x - 1, 0, x + 2, info.Vert.GridBoundary};
  } else if (FGridState == gsRowMoving) {
    TRect cell = CellRect(0, FMovePos);
    if (cell.IsEmpty()) return;
    int y = FMovePos > FMoveIndex ? cell.Bottom : cell.Top;
    int a = MirrorX(0), b = MirrorX(info.Horz.GridBoundary);
    r = RECT{std::min(a, b), y - 1, std::max(a, b), y + 2};
  } else {
    return;
  }
  HDC dc = GetDC(Handle());
  InvertRect(dc, &r);
  ReleaseDC(Handle(), dc);
  FSizingDrawn = !FSizingDrawn;
}
