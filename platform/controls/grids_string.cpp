// TDrawGrid (cells drawn by an event) and TStringGrid (a text per cell, kept per row).
#include <algorithm>

#include "platform/controls/grids.h"

// ---------------------------------------------------------------------------------------------------
// TDrawGrid

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) { TCustomGrid::ColumnMoved(FromIndex, ToIndex); }
void TDrawGrid::RowMoved(int FromIndex, int ToIndex) { TCustomGrid::RowMoved(FromIndex, ToIndex); }

// ---------------------------------------------------------------------------------------------------
// TStringGrid

namespace {
// Moves the item at From to To; the items between shift by one place (a moved column or row).
template <typename It>
void MoveItem(It First, int From, int To) {
  if (From < To)
    std::rotate(First + From, First + From + 1, First + To + 1);
  else
    std::rotate(First + To, First + From, First + From + 1);
}
}  // namespace

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { FData.resize(static_cast<size_t>(RowCount())); }

TStringGrid::~TStringGrid() = default;

std::string TStringGrid::Cells(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return {};
  const auto& row = FData[static_cast<size_t>(ARow)];
  if (!row || static_cast<size_t>(ACol) >= row->size()) return {};
  return (*row)[static_cast<size_t>(ACol)];
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& Value) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
    throw EInvalidGridOperation("Grid index out of range");
  auto& row = FData[static_cast<size_t>(ARow)];
  if (!row) {
    if (Value.empty()) return;
    row = std::make_unique<std::vector<std::string>>();
  }
  if (row->size() <= static_cast<size_t>(ACol)) {
    if (Value.empty()) return;
    row->resize(static_cast<size_t>(ColCount()));
  }
  std::string& cell = (*row)[static_cast<size_t>(ACol)];
  if (cell == Value) return;
  cell = Value;
  InvalidateCell(ACol, ARow);
  // A cell changed by code while the editor shows it: the editor shows the new text.
  if (!FUpdatingCell && FInplaceEdit && FInplaceCol == ACol && FInplaceRow == ARow) InvalidateEditorText();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (DefaultDrawing()) {
    const auto& row = FData[static_cast<size_t>(ARow)];
    if (row && static_cast<size_t>(ACol) < row->size() && !(*row)[static_cast<size_t>(ACol)].empty()) {
      // The cell is filled already (DefaultDrawing): the text goes over it, clipped, without a second fill.
      const std::string& text = (*row)[static_cast<size_t>(ACol)];
      TCanvas* cv = Canvas();
      cv->RequiredState({csHandleValid, csFontValid, csBrushValid});
      HDC dc = cv->Handle();
      RECT r = ARect;
      int mode = SetBkMode(dc, TRANSPARENT);
      ExtTextOut(dc, ARect.Left + 2, ARect.Top + 2, ETO_CLIPPED, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
      SetBkMode(dc, mode);
    }
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

std::string TStringGrid::GetEditText(int ACol, int ARow) {
  if (OnGetEditText) return TDrawGrid::GetEditText(ACol, ARow);
  return Cells(ACol, ARow);
}

void TStringGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  FUpdatingCell = true;
  try {
    SetCells(ACol, ARow, Value);
  } catch (...) {
    FUpdatingCell = false;
    throw;
  }
  FUpdatingCell = false;
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  for (auto& row : FData) {
    if (!row) continue;
    size_t need = static_cast<size_t>(std::max(FromIndex, ToIndex)) + 1;
    if (row->size() < need) row->resize(need);
    MoveItem(row->begin(), FromIndex, ToIndex);
  }
  TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
  MoveItem(FData.begin(), FromIndex, ToIndex);
  TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  FData.resize(static_cast<size_t>(RowCount()));
  if (ColCount() < OldColCount)
    for (auto& row : FData)
      if (row && row->size() > static_cast<size_t>(ColCount())) row->resize(static_cast<size_t>(ColCount()));
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}
