// Title heights of multi-level titles measured from captions wrapped to their widths, the footer band's
// extent in the draw information, the scrolling limit (MaxTopLeft), and images turned for
// right-to-left grids.

#include <memory>

#include "datagrid/DBGridXDraw.h"
#include "datagrid/DBGridXUnit.h"
#include "tests/datagrid/grid_fixture.h"
#include "tests/platform/win/surface.h"

namespace {


// Images whose left half is one colour and right half another (so a turned one is told apart).
std::unique_ptr<TImageList> HalfImages(TColor Left, TColor Right, int W = 12, int H = 8) {
  auto list = std::make_unique<TImageList>(nullptr);
  list->SetWidth(W);
  list->SetHeight(H);
  TBitmap b;
  b.SetSize(W, H);
  b.Canvas()->Brush()->SetColor(Left);
  b.Canvas()->FillRect(TRect(0, 0, W / 2, H));
  b.Canvas()->Brush()->SetColor(Right);
  b.Canvas()->FillRect(TRect(W / 2, 0, W, H));
  list->Add(&b);
  return list;
}

class DataGridTitlesTest : public DataGridTest {
 protected:
  void SetUp() override {
    DBGridXUnit::Initialize();
    DataGridTest::SetUp();
  }
  void TearDown() override {
    DataGridTest::TearDown();
    DBGridXUnit::Finalize();
  }
  void Paint() {
    grid->Invalidate();
    win::PumpMessages();
    grid->Repaint();
    win::PumpMessages();
  }
  void Relayout() {
    grid->LayoutChanged();
    win::PumpMessages();
  }
  COLORREF Pixel(int X, int Y) { return win::GetWindowPixel(grid->Handle(), X, Y); }
  static bool Dark(COLORREF P) { return GetRValue(P) < 0x70 && GetGValue(P) < 0x70 && GetBValue(P) < 0x70; }
  // Runs of rows holding ink inside R (text lines), counted top to bottom.
  int InkLines(const TRect& R, int& FirstInk, int& LastInk) {
    int lines = 0;
    bool inLine = false;
    FirstInk = -1;
    LastInk = -1;
    for (int y = R.Top; y < R.Bottom; ++y) {
      bool ink = false;
      for (int x = R.Left; x < R.Right && !ink; ++x) ink = Dark(Pixel(x, y));
      if (ink) {
        if (FirstInk < 0) FirstInk = y;
        LastInk = y;
        if (!inLine) ++lines;
      }
      inLine = ink;
    }
    return lines;
  }
  void AddColumns(std::initializer_list<std::pair<const char*, const char*>> Captions, int Width) {
    for (auto& c : Captions) {
      TColumnX* col = grid->Columns()->Add();
      col->SetFieldName(c.first);
      col->Title()->SetCaption(c.second);
      col->SetWidth(Width);
    }
  }
  // What the title row gives back of the measured height: 3 pixels, 1 with raised titles.
  int GivenBack() { return grid->OptionsX().Contains(gxoFixed3D) ? 1 : 3; }
  // Every column's bands from the top of the title row down to its bottom: the leaf with its ancestors
  // spans the row (plus what the row gives back as a whole).
  void ExpectEveryColumnSpansTheRow() {
    int GivenBack = this->GivenBack();
    for (int i = 0; i < grid->Columns()->Count(); ++i) {
      THeadTreeNode* leaf = grid->TitleColumnNode(i);
      ASSERT_NE(leaf, nullptr);
      int sum = 0;
      for (THeadTreeNode* n = leaf; n && n != grid->TitleTree(); n = n->Parent) sum += n->Height;
      EXPECT_EQ(sum, grid->TitleRowHeight() + GivenBack) << "column " << i;
    }
  }
};

}  // namespace

TEST_F(DataGridTitlesTest, LongCaptionsWrapAndTheTitleRowFollowsTheTallest) {
  AddColumns({{"ID", "No."}, {"Name", "Person|Name"}, {"Amount", "Figures|Amount paid in the year"},
              {"Born", "Figures|Born"}},
             70);
  grid->SetUseMultiTitle(true);
  Bind();
  int oneLine = grid->Canvas()->TextHeight("Wg");
  grid->Canvas()->Font()->Assign(grid->TitleFont());
  oneLine = grid->Canvas()->TextHeight("Wg");
  // "Amount paid in the year" in 70 pixels takes three lines or more; it decides the row's height.
  THeadTreeNode* amount = grid->TitleColumnNode(2);
  EXPECT_GE(amount->Height - grid->CellTextMargin() - 3, 3 * oneLine);
  EXPECT_EQ(grid->RowHeights(0), grid->TitleRowHeight());
  ExpectEveryColumnSpansTheRow();
  // The group band keeps one line; the short leaves beside the long one reach down to the bottom.
  EXPECT_LT(amount->Parent->Height, 2 * oneLine + grid->CellTextMargin() + 3);
  EXPECT_EQ(grid->TitleColumnNode(3)->Height, amount->Height);
  EXPECT_EQ(grid->TitleColumnNode(0)->Height, grid->TitleRowHeight() + GivenBack());

  Paint();
  // Painted: the wrapped caption shows its lines below the band, every one inside the cell.
  TRect cell = grid->CellRect(3, 0);
  int band = amount->Parent->Height;
  int first = 0, last = 0;
  int lines = InkLines(TRect(cell.Left + 1, cell.Top + band + 1, cell.Right - 1, cell.Bottom - 1), first, last);
  EXPECT_GE(lines, 3);
  EXPECT_LT(last, cell.Bottom - 1);  // the last line is not cut by the row's bottom
  // A one-line leaf beside it stands centred in the same height.
  TRect born = grid->CellRect(4, 0);
  TRect bornText(born.Left + 1, born.Top + band + 1, born.Right - 1, born.Bottom - 1);
  ASSERT_EQ(InkLines(bornText, first, last), 1);
  EXPECT_NEAR((first + last) / 2, (bornText.Top + bornText.Bottom) / 2, 3);
  // The group caption is drawn once over both of its columns, in the band.
  EXPECT_EQ(InkLines(TRect(cell.Left, cell.Top + 1, born.Right, cell.Top + band - 1), first, last), 1);
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_wrapped_titles.png")));
}

TEST_F(DataGridTitlesTest, GroupCaptionsWrapInTheirBand) {
  AddColumns({{"Amount", "Figures for the whole of the year|Amount"}, {"Born", "Figures for the whole of the year|Born"},
              {"Name", "Name"}},
             50);
  grid->SetUseMultiTitle(true);
  Bind();
  grid->Canvas()->Font()->Assign(grid->TitleFont());
  int oneLine = grid->Canvas()->TextHeight("Wg");
  THeadTreeNode* group = grid->TitleColumnNode(0)->Parent;
  ASSERT_NE(group, grid->TitleTree());
  // About 100 pixels for the group caption: two lines or more; the leaves stay one line.
  EXPECT_GE(group->Height - grid->CellTextMargin() - 3, 2 * oneLine);
  EXPECT_EQ(grid->TitleColumnNode(0)->Height, oneLine + grid->CellTextMargin() + 3);
  ExpectEveryColumnSpansTheRow();
  Paint();
  TRect a = grid->CellRect(1, 0), b = grid->CellRect(2, 0);
  int first = 0, last = 0;
  EXPECT_GE(InkLines(TRect(a.Left + 1, a.Top + 1, b.Right - 1, a.Top + group->Height - 2), first, last), 2);
}

TEST_F(DataGridTitlesTest, RowHeightFollowsWidthsFramesAndHiddenColumns) {
  AddColumns({{"Name", "Person|Name"}, {"Amount", "Figures|Amount paid in the year"}, {"Born", "Figures|Born"}}, 70);
  grid->SetUseMultiTitle(true);
  Bind();
  int narrow = grid->TitleRowHeight();
  // Wider: the caption takes one line, the row shrinks.
  grid->Columns()->Items(1)->SetWidth(300);
  win::PumpMessages();
  int wide = grid->TitleRowHeight();
  EXPECT_LT(wide, narrow);
  EXPECT_EQ(grid->TitleColumnNode(1)->Width, 300);
  // Raised titles give back 1 pixel instead of 3: the row is 2 pixels taller for the same text.
  auto saved = grid->OptionsX();
  ASSERT_TRUE(saved.Contains(gxoFixed3D));
  auto o = saved;
  o.Exclude(gxoFixed3D);
  grid->SetOptionsX(o);
  win::PumpMessages();
  EXPECT_EQ(grid->TitleRowHeight(), wide - 2);
  ExpectEveryColumnSpansTheRow();
  grid->SetOptionsX(saved);
  // A hidden column's caption takes no room, however long.
  grid->Columns()->Items(1)->SetWidth(70);
  grid->Columns()->Items(2)->Title()->SetCaption("Figures|Born on this day in some year long ago");
  grid->Columns()->Items(2)->SetVisible(false);
  win::PumpMessages();
  EXPECT_EQ(grid->TitleRowHeight(), narrow);
  // An empty caption counts as one line.
  grid->Columns()->Items(0)->Title()->SetCaption("");
  grid->Columns()->Items(1)->Title()->SetCaption("");
  win::PumpMessages();
  grid->Canvas()->Font()->Assign(grid->TitleFont());
  EXPECT_EQ(grid->TitleRowHeight(), grid->Canvas()->TextHeight("Wg") + grid->CellTextMargin() + 3 - GivenBack());
}

TEST_F(DataGridTitlesTest, AutoFitWidthsAreTheOnesTheCaptionsWrapTo) {
  AddColumns({{"Name", "Person|Name"}, {"Amount", "Figures|Amount paid in the year"}}, 70);
  grid->SetUseMultiTitle(true);
  grid->SetAutoFitColWidths(true);
  Bind();
  win::PumpMessages();
  for (int i = 0; i < 2; ++i) EXPECT_EQ(grid->TitleColumnNode(i)->Width, grid->Columns()->Items(i)->Width());
  // Half the grid each: the long caption fits on one line.
  grid->Canvas()->Font()->Assign(grid->TitleFont());
  int oneLine = grid->Canvas()->TextHeight("Wg");
  EXPECT_EQ(grid->TitleColumnNode(1)->Height, oneLine + grid->CellTextMargin() + 3);
}

TEST_F(DataGridTitlesTest, RightToLeftWrappedTitlesAndScreenshot) {
  AddColumns({{"ID", "No."}, {"Name", "Person|Name"}, {"Amount", "Figures|Amount paid in the year"},
              {"Born", "Figures|Born"}},
             70);
  grid->SetUseMultiTitle(true);
  auto o = grid->Options();
  o.Include(gdoMultiSelect);
  grid->SetOptions(o);
  Bind();
  grid->SetRightToLeft(true);
  Paint();
  THeadTreeNode* amount = grid->TitleColumnNode(2);
  TRect cell = grid->CellRect(3, 0);
  TRect born = grid->CellRect(4, 0);
  EXPECT_LT(born.Right, cell.Left + 2);  // Born stands left of Amount
  int first = 0, last = 0;
  EXPECT_GE(InkLines(TRect(cell.Left + 1, cell.Top + amount->Parent->Height + 1, cell.Right - 1, cell.Bottom - 1),
                     first, last),
            3);
  EXPECT_LT(last, cell.Bottom - 1);
  // The group caption: one line across both columns.
  EXPECT_EQ(InkLines(TRect(born.Left, cell.Top + 1, cell.Right, cell.Top + amount->Parent->Height - 1), first, last),
            1);
  ds->First();
  ds->Next();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  Paint();
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_wrapped_titles_rtl.png")));
}

// ---- draw information

TEST_F(DataGridTitlesTest, ScrolledToTheEndTheFootersStayAtTheBottom) {
  for (int i = 0; i < 40; ++i) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(100 + i);
    ds->FieldByName("Name")->SetAsString("R" + std::to_string(i));
    ds->Post();
  }
  for (const char* f : {"ID", "Name", "Amount"}) grid->Columns()->Add()->SetFieldName(f);
  auto o = grid->OptionsX();
  o.Include(gxoFooter3D);
  grid->SetOptionsX(o);
  grid->SetFooterRowCount(2);
  Bind();
  ds->Last();
  win::PumpMessages();
  Paint();
  TGridDrawInfoX info;
  grid->CalcDrawInfoX(info);
  int line = info.Vert.EffectiveLineWidth;
  int firstFooter = grid->RowCount() - 2;
  int footerRows = grid->RowHeights(firstFooter) + grid->RowHeights(firstFooter + 1) + 2 * line;
  EXPECT_EQ(info.FooterExtent, footerRows);
  EXPECT_EQ(info.Vert.GridBoundary, grid->ClientHeight());
  // The band is the last FooterExtent pixels: the first footer row starts there, the last ends at the
  // client's bottom.
  EXPECT_EQ(grid->CellRect(1, firstFooter).Top, info.Vert.GridBoundary - info.FooterExtent);
  EXPECT_GE(grid->CellRect(1, firstFooter + 1).Bottom, grid->ClientHeight() - line);
  // The last record is current and shown whole above the gap; no grid row scrolled away.
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(grid->Row(), grid->RowCount() - 4);
  EXPECT_LE(grid->CellRect(1, grid->Row()).Bottom, grid->CellRect(1, firstFooter).Top);
  EXPECT_EQ(grid->TopRow(), grid->FixedRows());
  EXPECT_EQ(grid->MaxTopLeft(TGridCoord{grid->ColCount() - 1, grid->RowCount() - 1}).Y, grid->FixedRows());
  // The footer band's top line is drawn in the fixed-line colour there.
  TRect foot = grid->CellRect(1, firstFooter);
  EXPECT_EQ(Pixel(foot.Left + 3, foot.Top - 1), RGB(0, 0, 0));
  // The current record's indicator arrow is on its row.
  TRect ind = grid->CellRect(0, grid->Row());
  bool ink = false;
  for (int y = ind.Top + 1; y < ind.Bottom - 1; ++y)
    for (int x = ind.Left; x < ind.Right; ++x) ink |= Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(ink);
  // Without footers there is no band.
  grid->SetFooterRowCount(0);
  win::PumpMessages();
  grid->CalcDrawInfoX(info);
  EXPECT_EQ(info.FooterExtent, 0);
}

TEST_F(DataGridTitlesTest, MaxTopLeftStepsOverHiddenColumnsAtTheEnd) {
  grid->SetBounds(0, 0, 300, 200);
  for (const char* f : {"ID", "Name", "Amount", "Born"}) grid->Columns()->Add()->SetFieldName(f);
  Bind();
  grid->Columns()->Items(0)->SetWidth(60);
  grid->Columns()->Items(1)->SetWidth(60);
  grid->Columns()->Items(2)->SetWidth(60);
  grid->Columns()->Items(3)->SetWidth(60);
  win::PumpMessages();
  TGridDrawInfo info;
  grid->CalcDrawInfo(info);
  // Everything fits: no column needs to scroll away.
  EXPECT_EQ(grid->MaxTopLeft(TGridCoord{4, 0}).X, grid->FixedCols());
  // A last visible column wider than the room, then a hidden one: the limit is the wide column, not
  // the hidden one after it (that would scroll to an empty area).
  grid->Columns()->Items(2)->SetWidth(400);
  grid->Columns()->Items(3)->SetVisible(false);
  win::PumpMessages();
  EXPECT_EQ(grid->MaxTopLeft(TGridCoord{4, 0}).X, 3);
  // Scrolling to the end stops there (the grid base's scroll limits ask the grid).
  grid->Perform(WM_HSCROLL, SB_BOTTOM, 0);
  win::PumpMessages();
  EXPECT_EQ(grid->LeftCol(), 3);
  grid->Perform(WM_HSCROLL, SB_TOP, 0);
  win::PumpMessages();
  // Visible narrow columns before the end: the last one that still fits wins.
  grid->Columns()->Items(2)->SetWidth(60);
  grid->Columns()->Items(3)->SetVisible(true);
  grid->Columns()->Items(3)->SetWidth(200);
  win::PumpMessages();
  grid->CalcDrawInfo(info);
  int room = info.Horz.GridExtent - info.Horz.FixedBoundary + info.Horz.EffectiveLineWidth;
  int need = 200 + info.Horz.EffectiveLineWidth;
  int expect = 4;
  for (int c = 3; c >= grid->FixedCols() && need + grid->ColWidths(c) + info.Horz.EffectiveLineWidth <= room; --c) {
    need += grid->ColWidths(c) + info.Horz.EffectiveLineWidth;
    expect = c;
  }
  EXPECT_EQ(grid->MaxTopLeft(TGridCoord{4, 0}).X, expect);
  EXPECT_GT(expect, grid->FixedCols());
}

// ---- right-to-left images

TEST_F(DataGridTitlesTest, FlippedImagesTurnOnlyThePicture) {
  auto images = HalfImages(clRed, clBlue);
  Surface s(40, 20, kWhite);
  // Half the background green, so that a turned background would show.
  RECT g{0, 0, 20, 20};
  HBRUSH b = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(s.dc, &g, b);
  DeleteObject(b);
  TCanvas c;
  c.SetHandle(s.dc);
  DrawImageFlipped(images.get(), &c, 14, 6, 0);  // across the green/white edge
  // Turned: blue on the left half of the picture, red on the right.
  EXPECT_EQ(s.At(14, 8), kBlue);
  EXPECT_EQ(s.At(19, 8), kBlue);
  EXPECT_EQ(s.At(20, 8), kRed);
  EXPECT_EQ(s.At(25, 8), kRed);
  // Around it the background is as it was.
  EXPECT_EQ(s.At(13, 8), RGB(0, 255, 0));
  EXPECT_EQ(s.At(26, 8), kWhite);
  EXPECT_EQ(s.At(16, 5), RGB(0, 255, 0));
  EXPECT_EQ(s.At(22, 5), kWhite);
  // Upright through the clipped routine without the switch; turned with it.
  s.Fill(kWhite);
  DrawImageClipped(images.get(), nullptr, &c, TRect(0, 0, 12, 8), 0, 0, taLeftJustify);
  EXPECT_EQ(s.At(1, 4), kRed);
  DrawImageClipped(images.get(), nullptr, &c, TRect(20, 0, 32, 8), 0, 0, taLeftJustify, true);
  EXPECT_EQ(s.At(21, 4), kBlue);
  EXPECT_EQ(s.At(30, 4), kRed);
  c.SetHandle(nullptr);
}

TEST_F(DataGridTitlesTest, RightToLeftGridsTurnTheIndicatorAndCellImages) {
  auto images = HalfImages(clRed, clBlue);
  for (const char* f : {"ID", "Code"}) grid->Columns()->Add()->SetFieldName(f);
  TColumnX* pic = grid->Columns()->Items(1);
  pic->KeyList()->Add("Y");
  pic->KeyList()->Add("N");
  pic->SetImageList(images.get());
  Bind();
  ds->First();
  ds->Next();
  ds->Next();  // record 3: code Y
  Paint();
  auto grab = [&](const TRect& R) {
    std::vector<std::vector<COLORREF>> rows;
    for (int y = R.Top; y < R.Bottom; ++y) {
      std::vector<COLORREF> row;
      for (int x = R.Left; x < R.Right; ++x) row.push_back(Pixel(x, y));
      rows.push_back(row);
    }
    return rows;
  };
  TRect ind = grid->CellRect(0, 3);
  // Inside the raised frame (the frame keeps its light from the top left either way).
  ind = TRect(ind.Left + 1, ind.Top + 1, ind.Right - 1, ind.Bottom - 1);
  auto ltr = grab(ind);
  // The arrow is not the same both ways round (else turning it would prove nothing).
  bool asymmetric = false;
  for (auto& row : ltr)
    for (size_t x = 0; x < row.size(); ++x) asymmetric |= row[x] != row[row.size() - 1 - x];
  ASSERT_TRUE(asymmetric);
  TRect code = grid->CellRect(2, 3);
  int cy = (code.Top + code.Bottom) / 2, cx = (code.Left + code.Right) / 2;
  EXPECT_EQ(Pixel(cx - 3, cy), RGB(255, 0, 0));  // upright: red left, blue right
  EXPECT_EQ(Pixel(cx + 3, cy), RGB(0, 0, 255));

  grid->SetRightToLeft(true);
  Paint();
  TRect rind = grid->CellRect(0, 3);
  rind = TRect(rind.Left + 1, rind.Top + 1, rind.Right - 1, rind.Bottom - 1);
  ASSERT_EQ(rind.Width(), ind.Width());
  auto rtl = grab(rind);
  // The whole indicator cell is the left-to-right one turned: the arrow faces the data, on the
  // cell's inner edge.
  ASSERT_EQ(rtl.size(), ltr.size());
  for (size_t y = 0; y < ltr.size(); ++y)
    for (size_t x = 0; x < ltr[y].size(); ++x)
      EXPECT_EQ(rtl[y][ltr[y].size() - 1 - x], ltr[y][x]) << "at " << x << "," << y;
  TRect rcode = grid->CellRect(2, 3);
  cy = (rcode.Top + rcode.Bottom) / 2, cx = (rcode.Left + rcode.Right) / 2;
  EXPECT_EQ(Pixel(cx - 3, cy), RGB(0, 0, 255));  // turned: blue left, red right
  EXPECT_EQ(Pixel(cx + 3, cy), RGB(255, 0, 0));
}

TEST_F(DataGridTitlesTest, ASortMarkerTakesItsRoomFromTheCaption) {
  AddColumns({{"Name", "Person|Name"}, {"Amount", "Figures|Amount paid"}}, 60);
  grid->SetUseMultiTitle(true);
  Bind();
  grid->Canvas()->Font()->Assign(grid->TitleFont());
  int oneLine = grid->Canvas()->TextHeight("Wg");
  int textW = grid->Canvas()->TextWidth("Amount paid");
  // Just wide enough for one line.
  grid->Columns()->Items(1)->SetWidth(textW + 4 + 2 + 4);
  win::PumpMessages();
  THeadTreeNode* leaf = grid->TitleColumnNode(1);
  EXPECT_EQ(leaf->Height, oneLine + grid->CellTextMargin() + 3);
  // The marker takes 16 pixels: two lines now, and the row grows with them.
  int before = grid->TitleRowHeight();
  grid->Columns()->Items(1)->Title()->SetSortMarker(smDownX);
  win::PumpMessages();
  leaf = grid->TitleColumnNode(1);
  EXPECT_EQ(leaf->SortIndent, 16);
  EXPECT_GE(leaf->Height - grid->CellTextMargin() - 3, 2 * oneLine);
  EXPECT_GT(grid->TitleRowHeight(), before);
  Paint();
  TRect cell = grid->CellRect(2, 0);
  int first = 0, last = 0;
  int band = leaf->Parent->Height;
  EXPECT_GE(InkLines(TRect(cell.Left + 1, cell.Top + band + 1, cell.Right - 17, cell.Bottom - 1), first, last), 2);
  EXPECT_LT(last, cell.Bottom - 1);
}

// Multi-level titles are measured in the title font: a larger title font makes every band as tall as
// a line of that font, and the title row holds both bands whole.
TEST_F(DataGridTitlesTest, MultiLevelTitlesAreMeasuredInTheTitleFont) {
  AddColumns({{"Name", "Sales|Q1"}, {"Amount", "Sales|Q2"}, {"Born", "Cost"}}, 150);
  grid->SetUseMultiTitle(true);
  Bind();
  for (int size : {24, 8, 16}) {
    SCOPED_TRACE(size);
    grid->TitleFont()->SetSize(size);
    win::PumpMessages();
    TFont f;
    f.Assign(grid->TitleFont());
    grid->Canvas()->Font()->Assign(&f);
    const int band = grid->Canvas()->TextHeight("Wg") + grid->CellTextMargin() + 3;
    THeadTreeNode* q1 = grid->TitleColumnNode(0);
    ASSERT_NE(q1->Parent, grid->TitleTree());
    EXPECT_EQ(q1->Parent->Height, band);  // "Sales"
    EXPECT_EQ(q1->Height, band);          // "Q1"
    EXPECT_EQ(grid->TitleRowHeight(), 2 * band - GivenBack());
    EXPECT_EQ(grid->RowHeights(0), grid->TitleRowHeight());
  }
}
