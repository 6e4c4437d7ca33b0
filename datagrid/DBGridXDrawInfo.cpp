// Where the grid's cells lie on screen: the grid base's draw information plus the extent of the footer
// band pinned to the bottom, and the largest top-left cell that still shows a given cell whole (the
// limit of scrolling towards the last column or row).
#include <algorithm>

#include "datagrid/DBGridX.h"

namespace {

// Walking back from Start, the cells that fit between the fixed cells and the client's far edge: the
// last one that fits wins. Hidden cells (no extent) at the start are stepped over, so that the result
// is a cell with something to show even when the one before them does not fit whole.
int MaxFirstCell(const TGridAxisDrawInfo& A, int Start) {
  if (A.GridCellCount <= 0) return A.FixedCellCount;
  Start = std::clamp(Start, 0, A.GridCellCount - 1);
  int result = Start;
  bool onlyHidden = true;  // every cell walked so far has no extent
  int space = A.GridExtent + A.EffectiveLineWidth;
  for (int i = Start; i >= A.FixedCellCount; --i) {
    space -= A.Span(i);
    if (space < A.FixedBoundary) {
      if (onlyHidden) result = i;
      break;
    }
    result = i;
    if (A.GetExtent(i) > 0) onlyHidden = false;
  }
  return std::max(result, A.FixedCellCount);
}

}  // namespace

void TCustomDBGridX::CalcDrawInfoX(TGridDrawInfoX& Info) {
  CalcDrawInfo(Info);
  Info.FooterExtent = 0;
  int footers = FooterRowCount();
  if (footers <= 0) return;
  const TGridAxisDrawInfo& v = Info.Vert;
  int firstFooter = RowCount() - footers;
  // The same walk that finds the grid boundary: from the first scrollable row until a row passes the
  // client's bottom.
  int y = v.FixedBoundary;
  for (int r = v.FirstGridCell; r < v.GridCellCount; ++r) {
    if (r == firstFooter) {
      Info.FooterExtent = std::max(0, v.GridBoundary - y);
      return;
    }
    int s = v.Span(r);
    if (y + s > v.GridExtent + v.EffectiveLineWidth) return;
    y += s;
  }
}

TGridCoord TCustomDBGridX::MaxTopLeft(const TGridCoord& Cell) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return TGridCoord{MaxFirstCell(info.Horz, Cell.X), MaxFirstCell(info.Vert, Cell.Y)};
}

TGridCoord TCustomDBGridX::CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) {
  return TGridCoord{MaxFirstCell(DrawInfo.Horz, Coord.X), MaxFirstCell(DrawInfo.Vert, Coord.Y)};
}
