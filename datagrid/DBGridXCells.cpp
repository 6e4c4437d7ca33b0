// Drawing one cell of the data grid: the record indicator, titles (images, pressed state, sort
// markers and their order numbers, the group bands of multi-level titles), data cells (text, images
// from key lists, check boxes, always-visible edit buttons, the hooks that change a cell's look, the
// focus frame) and the raised 3D frames.
#include <algorithm>
#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/DBCtrlsX.h"
#include "dataedit/ToolCtrlsX.h"

namespace {

// Keeps the link's active record (or, with rows by index, the data set's active index) on the drawn
// row and puts it back afterwards.
class TActiveRecordScope {
 public:
  TActiveRecordScope(TGridDataLinkX* Link, int Record, IRandomAccessDataSetX* Rows = nullptr)
      : FLink(Link), FRows(Rows), FOld(Rows ? Rows->GetCurrentIndex() : Link->ActiveRecord()) {
    if (FRows) FRows->SetActiveIndex(Record);
    else if (Record != FOld) Link->SetActiveRecord(Record);
  }
  ~TActiveRecordScope() {
    if (FRows) FRows->RestoreActiveIndex();
    else if (FLink->ActiveRecord() != FOld) FLink->SetActiveRecord(FOld);
  }
  int Old() const { return FOld; }

 private:
  TGridDataLinkX* FLink;
  IRandomAccessDataSetX* FRows;
  int FOld;
};

// Cells of one column share a font: assigning an equal font would only make the canvas build a new
// font handle for every cell.
void UseFont(TCanvas* C, TFont* F) {
  TFont* d = C->Font();
  if (d->Color() != F->Color()) d->SetColor(F->Color());
  if (d->Height() == F->Height() && d->Name() == F->Name() && d->Style() == F->Style() &&
      d->Charset() == F->Charset() && d->Pitch() == F->Pitch())
    return;
  d->Assign(F);
}

TCustomImageList* ImagesOf(TComponent* C) { return dynamic_cast<TCustomImageList*>(C); }

// The button an always-visible edit button shows for a column (-1: none).
int MainButtonKind(TColumnX* Column) {
  switch (Column->ButtonStyle()) {
    case cbsEllipsis: return bkEllipsisX;
    case cbsUpDown: return bkUpDownX;
    case cbsDropDown: return bkDropDownX;
    case cbsNone: return -1;
    case cbsAuto: break;
  }
  TColumnCellKindX k = Column->GetCellKind();
  return k == cckPickList || k == cckLookup || k == cckKeyPickList ? bkDropDownX : -1;
}

}  // namespace

// ---- in-cell buttons

int TCustomDBGridX::CellButtonWidth(TColumnX* Column) {
  if (!Column->AlwaysShowEditButton()) return 0;
  int w = 0;
  for (const TCellButtonX& b : CellButtons(Column)) w += b.Width;
  return w;
}

std::vector<TCustomDBGridX::TCellButtonX> TCustomDBGridX::CellButtons(TColumnX* Column) {
  std::vector<TCellButtonX> list;
  int bw = ButtonWidth() > 0 ? ButtonWidth() : (FFlat ? FlatButtonWidth + 1 : GetSystemMetrics(SM_CXVSCROLL));
  int main = MainButtonKind(Column);
  if (main >= 0) list.push_back({main, bw, nullptr, 1});
  // The column's own buttons follow the main one (not made just to be asked about).
  if (TEditButtonsX* eb = Column->FEditButtons.get())
    for (int i = 0; i < eb->Count(); ++i) {
      TEditButtonX* b = eb->Items(i);
      if (!b->Visible()) continue;
      int kind = bkDropDownX;
      switch (b->Style()) {
        case ebsDropDownX: kind = bkDropDownX; break;
        case ebsEllipsisX: kind = bkEllipsisX; break;
        case ebsGlyphX: kind = -1; break;
        case ebsUpDownX: kind = bkUpDownX; break;
        case ebsPlusX: kind = bkPlusX; break;
        case ebsMinusX: kind = bkMinusX; break;
      }
      TBitmap* glyph = b->Style() == ebsGlyphX ? b->Glyph() : nullptr;
      list.push_back({kind, (b->Width() < 1 ? bw : b->Width()) + (FFlat ? 1 : 0), glyph, b->NumGlyphs()});
    }
  return list;
}

void TCustomDBGridX::DrawCellButton(TCanvas* ACanvas, int Kind, const TRect& Rect, TColor AColor, bool Enabled,
                                    bool AFlat, const TRect& ClipRect, TBitmap* Glyph, int NumGlyphs) {
  TRect r = Rect;
  HDC dc = ACanvas->Handle();
  bool clipped = r.Left < ClipRect.Left || r.Right > ClipRect.Right;
  if (clipped) {
    SaveDC(dc);
    IntersectClipRect(dc, ClipRect.Left, ClipRect.Top, ClipRect.Right, ClipRect.Bottom);
  }
  if (Kind < 0) {
    // A picture button: a frame (flat) or a raised edge around the button face, the picture centred.
    if (AFlat) {
      ACanvas->Brush()->SetColor(AColor);
      ACanvas->FrameRect(r);
      r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
      ACanvas->Brush()->SetColor(clBtnFace);
      ACanvas->FillRect(r);
    } else {
      RECT e{r.Left, r.Top, r.Right, r.Bottom};
      DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
    if (Glyph && !Glyph->Empty()) {
      // A strip shows its first (up) image.
      const int w = Glyph->Width() / std::clamp(NumGlyphs, 1, std::max(1, Glyph->Width()));
      int x = r.Left + (r.Width() - w) / 2, y = r.Top + (r.Height() - Glyph->Height()) / 2;
      SaveDC(dc);
      IntersectClipRect(dc, std::max(r.Left, x), r.Top, std::min(r.Right, x + w), r.Bottom);
      ACanvas->Draw(x, y, Glyph);
      RestoreDC(dc, -1);
    }
  } else {
    if (AFlat) {
      ACanvas->Brush()->SetColor(AColor);
      ACanvas->FrameRect(r);
      r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    DrawEditButton(dc, r, static_cast<COLORREF>(ColorToRGB(AColor)), 0, Enabled, false, AFlat, 0, Kind);
  }
  if (clipped) RestoreDC(dc, -1);
}

// ---- one cell

void TCustomDBGridX::DrawCell(int ACol, int ARow, const TRect& ARectIn, TGridDrawState AState) {
  FCellParams->CellCol = ACol;
  FCellParams->CellRow = ARow;
  TRect ARect = ARectIn;
  if (ARect.Left >= ARect.Right) return;
  TCanvas* c = Canvas();
  if (ComponentState().Contains(csLoading)) {
    c->Brush()->SetColor(Color());
    c->FillRect(ARect);
    return;
  }
  bool raised = CellHas3DFrame(ACol, ARow, AState);
  int dataCol = 0, dataRow = 0;
  int kind = GetCellType(ACol, ARow, dataCol, dataRow, true);
  int colKind = kind & 0xFF, rowKind = kind >> 8;
  int imageMargin = 2;
  if (raised) {
    ARect = TRect(ARect.Left + 1, ARect.Top + 1, ARect.Right - 1, ARect.Bottom - 1);
    imageMargin = 1;
  }
  int textMargin = FFlat ? imageMargin - 1 : imageMargin;
  bool highlight = false, pressed = false;

  if (rowKind == 3 || rowKind == 4) {
    DrawFooterCell(c, ACol, ARow, ARect, AState);
  } else if (colKind == 0) {
    DrawIndicatorCell(ARow, dataRow, ARect, imageMargin, highlight);
  } else if (rowKind == 0) {
    DrawTitleCell(dataCol, ARect, pressed, highlight);
  } else if (rowKind == 1) {
    highlight = DrawFixedCellBackground(ACol, ARow, ARect, false);
    DrawFilterCell(ACol, dataCol, ARect);  // the condition text (filter row)
  } else {
    DrawDataRowCell(ACol, ARow, dataCol, dataRow, ARect, AState, textMargin, imageMargin, raised);
  }

  if (raised) {
    ARect = TRect(ARect.Left - 1, ARect.Top - 1, ARect.Right + 1, ARect.Bottom + 1);
    DrawCellFrame(c, ARect, pressed, false, true, true);
  }
  if (colKind == 1 && rowKind == 0 && FUseMultiTitle) {
    THeadTreeNode* leaf = TitleColumnNode(dataCol);
    if (leaf && leaf->Parent && leaf->Parent != FTitleTree.get()) {
      TColumnX* col = ColumnAt(dataCol);
      DrawTitleLevels(leaf, dataCol, ARect, col && col->Title()->EndEllipsis());
    }
  }
}

void TCustomDBGridX::DrawIndicatorCell(int ARow, int DataRow, const TRect& ARect, int ImageMargin, bool& Highlight) {
  TCanvas* c = Canvas();
  TColor back = FixedColor();
  UseFont(c, Font());
  bool link = FDataLink->Active();
  bool record = link && ARow >= FTitleOffset && DataRow >= 0 && DataRow < DrawnRecordCount();
  if (!record) {
    c->Brush()->SetColor(back);
    c->FillRect(ARect);
    return;
  }
  TActiveRecordScope scope(FDataLink.get(), DataRow, FRandomAccessData);
  bool current = DataRow == scope.Old();
  bool selected = false;
  TDBGridXSelection* sel = SelectionX();
  if (sel && sel->Kind() != selNoneX && (FDataOptions.Contains(gdoMultiSelect) || sel->Kind() == selAllX))
    selected = CellSelected(0, ARow, sel->Kind() == selAllX ? TBookmark() : FDataLink->DataSet()->Bookmark());
  if (selected) Highlight = GetFixedCellColors(0, 2, c->Font(), back);
  c->Brush()->SetColor(back);
  c->FillRect(ARect);
  if (current) FIndicatorRow = ARow;
  if (!(current || selected) || !IndicatorImages) return;
  int image = -1;
  switch (FDataLink->DataSet()->State()) {
    case dsBrowse: image = current ? (selected ? 5 : (FInSearch ? 6 : 0)) : -1; break;
    case dsEdit: image = 1; break;
    case dsInsert: image = 2; break;
    default: image = 0; break;
  }
  if (image < 0) return;
  int w = IndicatorImages->Width(), h = IndicatorImages->Height();
  int x = ARect.Right - w - ImageMargin;
  int y = (ARect.Top + ARect.Bottom - h) / 2;
  if (RightToLeft()) x = ARect.Left + ARect.Right - x - w;  // at the cell's inner edge, facing the data
  DrawGridImage(IndicatorImages, x, y, image);
}

void TCustomDBGridX::DrawTitleCell(int DataCol, const TRect& ARect, bool& Pressed, bool& Highlight) {
  TCanvas* c = Canvas();
  TColumnX* col = ColumnAt(DataCol);
  if (!col) {
    c->Brush()->SetColor(FixedColor());
    c->FillRect(ARect);
    return;
  }
  TColumnTitleX* title = col->Title();
  Pressed = TitleButtonDown() && PressedTitleColumn() == DataToRawColumn(DataCol);
  THeadTreeNode* leaf = FUseMultiTitle ? TitleColumnNode(DataCol) : nullptr;
  TRect textRect = ARect;
  std::string caption = title->Caption();
  if (leaf) {
    caption = leaf->Caption;
    // The leaf's height counts 3 pixels that the title row gave back as a whole.
    textRect.Top = std::max(ARect.Top, ARect.Bottom - leaf->Height + 3);
  }
  int imageIndex = FTitleImages ? title->ImageIndex() : -1;
  if (imageIndex != -1) caption.clear();
  TSortMarkerX marker = title->SortMarker();
  TColor back = title->Color();
  UseFont(c, title->Font());
  if (col->Field() && OnGetTitleParams) OnGetTitleParams(this, col, c->Font(), back, marker, Pressed);
  TDBGridXSelection* sel = SelectionX();
  if (sel && (sel->Kind() == selColumnsX || sel->Kind() == selAllX)) {
    // The title of a selected column is highlighted.
    if (CellSelected(DataToRawColumn(DataCol), 0, TBookmark())) Highlight = GetFixedCellColors(1, 0, c->Font(), back);
  }
  c->Brush()->SetColor(back);
  c->FillRect(ARect);

  int offset = 0;
  if (Pressed) offset = FUseMultiTitle || FTitleHeight > 0 || FTitleLineCount > 0 ? 2 : 1;
  int reserved = imageIndex != -1 && FTitleImages ? FTitleImages->Width() : 0;
  const int markerWidth = 16;
  int indexWidth = 0;
  std::string indexText;
  bool drawMarker = marker != smNoneX && SortMarkerImages;
  if (drawMarker) {
    textRect.Right -= markerWidth;
    if (static_cast<int>(FSortMarkedColumns.size()) >= 2 && title->SortIndex() > 0 && SortMarkerFont) {
      indexText = std::to_string(title->SortIndex());
      TFont keep;
      keep.Assign(c->Font());
      c->Font()->Assign(SortMarkerFont);
      indexWidth = c->TextWidth(indexText);
      c->Font()->Assign(&keep);
      textRect.Right -= indexWidth;
    }
    // Too narrow: the number goes first, then the marker.
    if (textRect.Right < textRect.Left + reserved && indexWidth > 0) {
      textRect.Right += indexWidth;
      indexWidth = 0;
      indexText.clear();
    }
    if (textRect.Right < textRect.Left + reserved) {
      textRect.Right += markerWidth;
      drawMarker = false;
    }
  }
  // Laid out left to right inside the cell; under right-to-left reading every piece is mirrored in it.
  bool rtl = RightToLeft();
  auto flip = [&](const TRect& R) {
    return rtl ? TRect(ARect.Left + ARect.Right - R.Right, R.Top, ARect.Left + ARect.Right - R.Left, R.Bottom) : R;
  };
  auto flipX = [&](int X, int W) { return rtl ? ARect.Left + ARect.Right - X - W : X; };
  TRect shifted(textRect.Left + offset, textRect.Top + offset, textRect.Right + offset, textRect.Bottom);
  if (imageIndex != -1 && FTitleImages) {
    HDC dc = c->Handle();
    SaveDC(dc);
    IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
    DrawImageClipped(FTitleImages, nullptr, c, flip(shifted), imageIndex, 0,
                     leaf ? taCenter : MirroredAlignment(title->Alignment(), rtl), rtl);
    RestoreDC(dc, -1);
  } else if (title->Orientation() == tohVertical) {
    TAlignment a = MirroredAlignment(title->Alignment(), rtl);
    DrawVerticalTextX(c, flip(shifted), true, 2, 2, caption, a == taRightJustify ? 1 : a == taCenter ? 2 : 0, 2,
                      title->EndEllipsis(), false);
  } else {
    // A multi-level leaf is centred in its height (beside a taller neighbour) and so always goes
    // through the wrapping path, which places it.
    bool wrap = leaf != nullptr || (FTitleLineCount > 1 && caption.find(' ') != std::string::npos);
    DrawCellTextX(c, flip(textRect), 2 + offset, 2 + offset, caption, MirroredAlignment(title->Alignment(), rtl),
                  leaf ? 1 : 0, wrap, title->EndEllipsis(), 0, 0, rtl);
  }
  if (drawMarker) {
    int mw = SortMarkerImages->Width(), mh = SortMarkerImages->Height();
    int mx = ARect.Right + offset - mw - indexWidth - 2;
    int my = textRect.Top + (textRect.Bottom - textRect.Top - mh) / 2 + offset;
    DrawGridImage(SortMarkerImages, flipX(mx, mw), my, marker == smDownX ? 0 : 1);
    if (!indexText.empty()) {
      c->Font()->Assign(SortMarkerFont);
      if (Highlight) c->Font()->SetColor(clWhite);
      int oldMode = SetBkMode(c->Handle(), TRANSPARENT);
      c->TextOut(flipX(ARect.Right + offset - indexWidth - 2, indexWidth), my + mh - c->TextHeight(indexText),
                 indexText);
      SetBkMode(c->Handle(), oldMode);
      UseFont(c, FTitleFont.get());
    }
  }
}

void TCustomDBGridX::DrawDataRowCell(int ACol, int ARow, int DataCol, int DataRow, const TRect& ARect,
                                     TGridDrawState AState, int TextMargin, int ImageMargin, bool Raised) {
  TCanvas* c = Canvas();
  TColumnX* col = ColumnAt(DataCol);
  if (!col || !FDataLink->Active() || DataRow < 0 || DataRow >= DrawnRecordCount()) {
    c->Brush()->SetColor(col ? col->Color() : Color());
    c->FillRect(ARect);
    return;
  }
  TActiveRecordScope scope(FDataLink.get(), DataRow, FRandomAccessData);
  bool currentRow = DataRow == scope.Old();
  AState.Exclude(gdSelected);  // the grid's own selection decides below
  bool rtl = RightToLeft();
  auto flip = [&](const TRect& R) {
    return rtl ? TRect(ARect.Left + ARect.Right - R.Right, R.Top, ARect.Left + ARect.Right - R.Left, R.Bottom) : R;
  };
  TRect textRect = ARect;
  std::vector<TCellButtonX> buttons;
  if (col->AlwaysShowEditButton()) buttons = CellButtons(col);
  int buttonWidth = 0;
  for (const TCellButtonX& b : buttons) buttonWidth += b.Width;
  textRect.Right = std::max(textRect.Left, textRect.Right - buttonWidth);

  TColCellParamsX& p = *FCellParams;
  UseFont(c, col->Font());
  p.State = AState;
  p.Font = c->Font();
  p.Alignment = col->Alignment();
  p.CellColor = col->Color();
  TColumnCellKindX kind = col->GetCellKind();
  p.ImageIndex = -1;
  p.CheckState = cbUnchecked;
  p.Text.clear();
  if (FShowCellContents) {
    if (kind == cckKeyImages)
      p.ImageIndex = col->GetImageIndex();
    else if (kind == cckCheckbox)
      p.CheckState = col->ReadCheckState();
    else
      p.Text = col->GetCellDisplayText();
  }
  p.CellRow = ARow;
  p.CellCol = ACol;
  p.ReadOnly = false;
  DoGetCellParams(col, c->Font(), p.CellColor, AState);
  col->GetCellParams(false, &p);
  bool selected = false;
  TDBGridXSelection* sel = SelectionX();
  if (sel && sel->Kind() != selNoneX)
    selected = CellSelected(ACol, ARow, sel->Kind() == selAllX ? TBookmark() : FDataLink->DataSet()->Bookmark());
  bool current = currentRow && ACol == Col();
  if (GetDataCellColors(ACol, ARow, c->Font(), p.CellColor, AState, selected, current, currentRow))
    AState.Include(gdSelected);
  p.State = AState;
  c->Brush()->SetColor(p.CellColor);

  if (FShowCellContents && !textRect.IsEmpty()) {
    if (kind == cckKeyImages) {
      c->FillRect(ARect);
      DrawImageClipped(ImagesOf(col->ImageList()), nullptr, c, flip(textRect), p.ImageIndex, 0, taCenter, rtl);
    } else if (kind == cckCheckbox) {
      c->FillRect(ARect);
      int bw = CheckBoxWidth > 0 ? CheckBoxWidth : 13, bh = CheckBoxHeight > 0 ? CheckBoxHeight : 13;
      int x = std::max(textRect.Left, textRect.Left + (textRect.Width() - bw) / 2);
      int y = textRect.Top + (textRect.Height() - bh) / 2;
      HDC dc = c->Handle();
      bool clip = bw > textRect.Width() || bh > textRect.Height();
      if (clip) {
        SaveDC(dc);
        TRect cr = flip(textRect);
        IntersectClipRect(dc, cr.Left, cr.Top, cr.Right, cr.Bottom);
      }
      DrawEditButton(dc, flip(TRect(x, y, x + bw, y + bh)), static_cast<COLORREF>(ColorToRGB(p.CellColor)),
                     static_cast<int>(p.CheckState), true, false, FFlat, 0, bkCheckBoxX);
      if (clip) RestoreDC(dc, -1);
    } else {
      bool wrap = col->WordWrap() && FRowLines > 1;
      if (buttonWidth > 0) {
        c->FillRect(ARect);
      }
      DrawCellTextX(c, flip(textRect), TextMargin, 2, p.Text, MirroredAlignment(p.Alignment, rtl), 0, wrap,
                    col->EndEllipsis(), 0, 0, rtl);
    }
  } else {
    c->FillRect(ARect);
  }

  if (buttonWidth > 0) {
    int bh = std::min(ButtonHeight() > 0 ? ButtonHeight() : DefaultRowHeight(), ARect.Height());
    int x = textRect.Right;
    for (const TCellButtonX& cb : buttons) {
      TRect b(x, ARect.Top, x + cb.Width, ARect.Top + bh);
      x += cb.Width;
      if (Raised) b = TRect(b.Left + 1, b.Top - 1, b.Right + 1, b.Bottom - 1);
      if (FFlat && Raised) {
        c->Brush()->SetColor(p.CellColor);
        c->FillRect(flip(TRect(b.Left - 1, ARect.Top, b.Left, ARect.Bottom)));
      }
      DrawCellButton(c, cb.Kind, flip(b), p.CellColor, true, FFlat, ARect, cb.Glyph, cb.NumGlyphs);
      if (bh < ARect.Height()) {
        c->Brush()->SetColor(p.CellColor);
        c->FillRect(flip(TRect(b.Left, b.Bottom, b.Right, ARect.Bottom)));
      }
    }
  }

  // The in-place search's text over the start of the current cell's text.
  if (FInSearch && current && AState.Contains(gdSelected) && FShowCellContents && kind != cckKeyImages &&
      kind != cckCheckbox && !FSearchText.empty() &&
      (FDataOptions.Contains(gdoAlwaysShowSelection) || HasFocusInside()) &&
      !ComponentState().Contains(csDesigning) && FUpdateLock == 0 && IsFormActiveControl()) {
    std::string found = p.Text.substr(0, std::min(p.Text.size(), FSearchText.size()));
    int fullWidth = c->TextWidth(p.Text), foundWidth = c->TextWidth(found);
    TAlignment a = MirroredAlignment(p.Alignment, rtl);
    int x = a == taLeftJustify    ? textRect.Left + TextMargin
            : a == taRightJustify ? textRect.Right - fullWidth - 3
                                  : textRect.Left + textRect.Width() / 2 - fullWidth / 2;
    if (rtl && a == taRightJustify) x = textRect.Right - foundWidth - 3;  // right-to-left text starts there
    TRect hl(std::max(x, textRect.Left), textRect.Top + 1, std::min(x + foundWidth, textRect.Right),
             textRect.Bottom - 1);
    if (!hl.IsEmpty()) {
      TColor keep = c->Font()->Color();
      c->Brush()->SetColor(SearchHighlightColor);
      c->Font()->SetColor(SearchHighlightTextColor);
      c->TextRect(hl, x, textRect.Top + 2, found);
      c->Font()->SetColor(keep);
      c->Brush()->SetColor(p.CellColor);
    }
  }

  if (col->DefaultColumn()) DrawDataCell(ARect, col->Field(), AState);
  DrawColumnCell(ARect, DataCol, col, AState);

  if (FShowCellContents && AState.Contains(gdFocused) && HasFocusInside() &&
      !ComponentState().Contains(csDesigning) && !FDataOptions.Contains(gdoRowSelect) && FUpdateLock == 0 &&
      IsFormActiveControl()) {
    c->DrawFocusRect(ARect);
  }
  (void)ImageMargin;
}

// ---- multi-level titles

void TCustomDBGridX::DrawTitleLevels(THeadTreeNode* Node, int DataCol, const TRect& Rect, bool EndEllipsis) {
  TCanvas* c = Canvas();
  // Ancestors from the top band down to the leaf's parent.
  std::vector<THeadTreeNode*> levels;
  for (THeadTreeNode* n = Node->Parent; n && n != FTitleTree.get(); n = n->Parent) levels.push_back(n);
  std::reverse(levels.begin(), levels.end());
  int colLine = FDataOptions.Contains(gdoColLines) ? GridLineWidth() : 0;
  bool rowLines = FDataOptions.Contains(gdoRowLines);
  TRect cell = MirrorRect(Rect);  // worked out left to right, mirrored when drawn
  int lastCol = static_cast<int>(FTitleColumnNodes.size()) - 1;
  int y = cell.Top;
  for (THeadTreeNode* g : levels) {
    // Leaves under g in column order: the band spans their columns.
    int first = -1, last = -1;
    for (int i = 0; i <= lastCol; ++i) {
      THeadTreeNode* leaf = FTitleColumnNodes[static_cast<size_t>(i)];
      bool inside = false;
      for (THeadTreeNode* p = leaf ? leaf->Parent : nullptr; p && !inside; p = p->Parent) inside = p == g;
      if (!inside) continue;
      if (first < 0) first = i;
      last = i;
    }
    if (first < 0) break;
    // Scrolled, the frozen columns no longer stand beside the first scrollable one: a group across the
    // fixed edge is two bands, its frozen part centred over the frozen columns.
    const int firstScrollable = RawToDataColumn(FixedCols());
    if (LeftCol() > FixedCols() && first < firstScrollable && last >= firstScrollable) {
      if (DataCol < firstScrollable) last = firstScrollable - 1;
      else first = firstScrollable;
    }
    int left = cell.Left, right = cell.Right;
    for (int i = DataCol - 1; i >= first; --i) left -= ColWidths(DataToRawColumn(i)) + colLine;
    for (int i = DataCol + 1; i <= last; ++i) right += colLine + ColWidths(DataToRawColumn(i));
    int height = g->Height - (rowLines ? 1 : 0);
    TRect band(left, y, right, y + height);
    bool endsHere = DataCol == last;
    TRect piece(std::max(band.Left, cell.Left), band.Top,
                std::min(band.Right, cell.Right + (endsHere ? 0 : colLine)), band.Bottom);
    if (OptionsX().Contains(gxoFixed3D)) {
      band.Bottom -= 1;
      piece.Bottom -= 1;
    }
    UseFont(c, FTitleFont.get());
    TColor back = FixedColor();
    c->Brush()->SetColor(back);
    TRect drawn = MirrorRect(piece);
    c->FillRect(drawn);
    // The caption wraps to the band's width (as the layout measured it) and stands centred on the
    // whole band; this cell draws the piece over its own column.
    {
      c->RequiredState({csHandleValid, csFontValid, csBrushValid});
      HDC dc = c->Handle();
      UINT fmt = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | (FRightToLeft ? DT_RTLREADING : 0) |
                 (EndEllipsis ? DT_END_ELLIPSIS : 0);
      RECT calc{0, 0, std::max(1, band.Width() - 4), 0};
      const std::string& text = g->Caption;
      DrawText(dc, text.c_str(), -1, &calc, fmt | DT_CALCRECT);
      int th = calc.bottom - calc.top;
      int top = band.Top + std::max(1, (band.Height() - th) / 2);
      RECT tr = MirrorRect(TRect(band.Left + 2, top, band.Right - 2, std::min(band.Bottom, top + th)));
      SaveDC(dc);
      IntersectClipRect(dc, drawn.Left, drawn.Top, drawn.Right, drawn.Bottom);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(c->Font()->Color())));
      DrawText(dc, text.c_str(), -1, &tr, fmt);
      RestoreDC(dc, -1);
    }
    g->Drawn = true;
    if (OptionsX().Contains(gxoFixed3D)) {
      bool startsHere = DataCol == first;
      UINT sides = BF_TOP | BF_BOTTOM;
      if (startsHere) sides |= FRightToLeft ? BF_RIGHT : BF_LEFT;
      if (endsHere) sides |= FRightToLeft ? BF_LEFT : BF_RIGHT;
      RECT e = MirrorRect(TRect(piece.Left, band.Top, piece.Right, band.Bottom + 1));
      DrawEdge(c->Handle(), &e, BDR_RAISEDINNER, sides);
    }
    if (rowLines) {
      c->Brush()->SetColor(FFlat ? static_cast<TColor>(0x808080) : clBlack);
      c->FillRect(MirrorRect(TRect(piece.Left, y + height, piece.Right, y + height + 1)));
    }
    y += g->Height;
  }
}
