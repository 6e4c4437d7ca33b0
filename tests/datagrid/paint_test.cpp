// Painting the data grid: frames by band, line colours, title lines under group bands, selection
// and current-cell colours, indicator images, check boxes, images from key lists, the cell hooks, and
// the shared text routines drawn onto a memory surface.

#include <memory>

#include "datagrid/DBGridXDraw.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/ToolCtrlsX.h"
#include "tests/datagrid/grid_fixture.h"
#include "tests/platform/win/surface.h"

namespace {

COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

// A list of solid square images, one per colour.
std::unique_ptr<TImageList> SolidImages(std::initializer_list<TColor> Colors, int Size = 10) {
  auto list = std::make_unique<TImageList>(nullptr);
  list->SetWidth(Size);
  list->SetHeight(Size);
  for (TColor c : Colors) {
    TBitmap b;
    b.SetSize(Size, Size);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(TRect(0, 0, Size, Size));
    list->Add(&b);
  }
  return list;
}

class DataGridPaintTest : public DataGridTest {
 protected:
  void SetUp() override {
    DBGridXUnit::Initialize();  // first, so that the fixture's grid joins the default style
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
  COLORREF Pixel(int X, int Y) { return win::GetWindowPixel(grid->Handle(), X, Y); }
  // A point inside cell (C, R) Dx pixels from its right edge, vertically centred.
  COLORREF RightOf(int C, int R, int Dx = 3) {
    TRect r = grid->CellRect(C, R);
    return Pixel(r.Right - Dx, (r.Top + r.Bottom) / 2);
  }
  // Whether any pixel of the rectangle is dark (text ink, smoothed or not).
  bool HasDark(const TRect& R) {
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) {
        COLORREF p = Pixel(x, y);
        if (GetRValue(p) < 0x70 && GetGValue(p) < 0x70 && GetBValue(p) < 0x70) return true;
      }
    return false;
  }
  // Whether any pixel of the rectangle has colour Cl.
  bool Has(const TRect& R, COLORREF Cl) {
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (Pixel(x, y) == Cl) return true;
    return false;
  }
};

}  // namespace

TEST_F(DataGridPaintTest, FramesByBandFollowThe3DOptions) {
  Bind();
  grid->SetFrozenCols(1);
  struct Case {
    TGridXExtOptions Options;
    int Col, Row;
    TGridDrawState State;
    bool Raised;
  } cases[] = {
      {{gxoFixed3D}, 0, 0, {gdFixed}, true},    // indicator title
      {{gxoFixed3D}, 2, 0, {gdFixed}, true},    // column title
      {{gxoFixed3D}, 0, 2, {gdFixed}, true},    // indicator beside a record
      {{gxoFixed3D}, 1, 2, {gdFixed}, false},   // frozen data cell: only with gxoFrozen3D
      {{gxoFrozen3D}, 1, 2, {gdFixed}, true},
      {{gxoFrozen3D}, 1, 0, {gdFixed}, false},  // a frozen column's title is no data row
      {{gxoData3D}, 3, 2, {}, true},
      {{gxoData3D}, 3, 0, {gdFixed}, false},
      {{}, 0, 0, {gdFixed}, false},
      {{}, 3, 2, {}, false},
  };
  for (const Case& c : cases) {
    grid->SetOptionsX(c.Options);
    EXPECT_EQ(grid->CellHas3DFrame(c.Col, c.Row, c.State), c.Raised) << c.Col << "," << c.Row;
  }
  // Drawn: a raised data cell is light on its top-left and shadowed on its bottom-right.
  grid->SetOptionsX({gxoData3D});
  Paint();
  TRect r = grid->CellRect(3, 3);
  EXPECT_EQ(Pixel(r.Left, (r.Top + r.Bottom) / 2), Rgb(clBtnHighlight));
  EXPECT_EQ(Pixel(r.Right - 1, (r.Top + r.Bottom) / 2), Rgb(clBtnShadow));
}

TEST_F(DataGridPaintTest, LineColoursByBand) {
  Bind();
  Paint();
  TRect a = grid->CellRect(2, 2);
  TRect t = grid->CellRect(2, 0);
  EXPECT_EQ(Pixel(a.Right, (a.Top + a.Bottom) / 2), RGB(0xC0, 0xC0, 0xC0));  // data lines silver
  EXPECT_EQ(Pixel(t.Right, (t.Top + t.Bottom) / 2), RGB(0, 0, 0));           // fixed lines black
  grid->SetColor(clSilver);
  grid->SetFlat(true);
  Paint();
  EXPECT_EQ(Pixel(a.Right, (a.Top + a.Bottom) / 2), RGB(0x80, 0x80, 0x80));  // on silver: grey
  EXPECT_EQ(Pixel(t.Right, (t.Top + t.Bottom) / 2), RGB(0x80, 0x80, 0x80));  // flat fixed lines grey
  // Below the last record and right of the last column: the grid's colour.
  EXPECT_EQ(Pixel(5, grid->ClientHeight() - 3), RGB(0xC0, 0xC0, 0xC0));
}

TEST_F(DataGridPaintTest, GroupBandHasNoLineBetweenItsColumns) {
  const char* caps[][2] = {{"ID", "No."}, {"Name", "Person|Name"}, {"Amount", "Figures|Amount"},
                           {"Born", "Figures|Born"}, {"Active", "Active"}};
  for (auto& cp : caps) {
    TColumnX* col = grid->Columns()->Add();
    col->SetFieldName(cp[0]);
    col->Title()->SetCaption(cp[1]);
  }
  grid->SetUseMultiTitle(true);
  Bind();
  Paint();
  THeadTreeNode* leaf = grid->TitleColumnNode(2);
  ASSERT_TRUE(leaf && leaf->Parent);
  int band = leaf->Parent->Height;
  TRect amount = grid->CellRect(3, 0);  // "Amount", under "Figures" with "Born"
  TRect born = grid->CellRect(4, 0);
  COLORREF face = Rgb(grid->FixedColor());
  // Inside the band the line between Amount and Born is not drawn (the band's caption may cross that
  // pixel column, a line would fill it); under the band it is.
  EXPECT_EQ(Pixel(amount.Right, 2), face);
  int black = 0;
  for (int y = 2; y < band - 2; ++y) black += Pixel(amount.Right, y) == RGB(0, 0, 0);
  EXPECT_LT(black, band - 4);
  EXPECT_EQ(Pixel(amount.Right, band + 4), RGB(0, 0, 0));
  // The band's outer edges keep their lines over the full title height.
  EXPECT_EQ(Pixel(born.Right, 3), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(amount.Left - 1, 3), RGB(0, 0, 0));
  // A line closes the band at the bottom (row lines on).
  EXPECT_EQ(Pixel(amount.Left + 3, band - 1), RGB(0, 0, 0));
}

TEST_F(DataGridPaintTest, SelectionAndCurrentCellColours) {
  Bind();
  auto o = grid->Options();
  o.Include(gdoMultiSelect);
  grid->SetOptions(o);
  ds->First();
  ds->Next();
  ds->Next();
  grid->SelectedRows()->SetCurrentRowSelected(true);  // third record selected
  ds->First();
  TCustomDBGridX* g = grid;
  ASSERT_FALSE(g->HasFocusInside());
  Paint();
  // Not focused, with the default style on a true-colour screen: selected cells tinted with the
  // shadow colour, unselected cells in the window colour.
  COLORREF tinted = Rgb(TintColor(clWindow, clBtnShadow, false));
  EXPECT_EQ(RightOf(2, 3), tinted);
  EXPECT_EQ(RightOf(2, 2), Rgb(clWindow));
  // The selected row's indicator is highlighted as a fixed selected cell: dark grey.
  EXPECT_EQ(RightOf(0, 3, 3), RGB(64, 64, 64));

  // Without a style the fall-backs apply: a selected cell of an unfocused grid is button face.
  DefaultGridStyle->DetachGrid(grid);
  grid->StyleGone(DefaultGridStyle);
  Paint();
  EXPECT_EQ(RightOf(2, 3), Rgb(clBtnFace));

  // Focused: the current cell in the highlight colour.
  grid->SetFocus();
  win::PumpMessages();
  if (grid->HasFocusInside()) {
    Paint();
    EXPECT_EQ(RightOf(grid->Col(), grid->Row()), Rgb(clHighlight));
    EXPECT_EQ(RightOf(2, 3), Rgb(clHighlight));  // fall-back: selected cells too
  }
}

TEST_F(DataGridPaintTest, IndicatorShowsTheStateOfTheCurrentRecord) {
  Bind();
  Paint();
  TRect cur = grid->CellRect(0, 1), other = grid->CellRect(0, 2);
  EXPECT_TRUE(Has(cur, RGB(0, 0, 0)));      // the arrow
  EXPECT_FALSE(Has(other, RGB(0, 0, 0)));   // no image on other rows
  EXPECT_EQ(grid->IndicatorRow(), 1);
  TRect before = cur;
  std::vector<COLORREF> browse;
  for (int x = before.Left; x < before.Right; ++x) browse.push_back(Pixel(x, (before.Top + before.Bottom) / 2));
  ds->Edit();
  Paint();
  std::vector<COLORREF> edit;
  for (int x = before.Left; x < before.Right; ++x) edit.push_back(Pixel(x, (before.Top + before.Bottom) / 2));
  EXPECT_NE(browse, edit);  // the edit image replaces the arrow
  ds->Cancel();
}

TEST_F(DataGridPaintTest, CheckBoxesImagesAndHooks) {
  auto images = SolidImages({clRed, clLime});
  for (const char* f : {"ID", "Active", "Code"}) grid->Columns()->Add()->SetFieldName(f);
  TColumnX* check = grid->Columns()->Items(1);
  check->SetCheckboxes(true);
  TColumnX* pic = grid->Columns()->Items(2);
  pic->KeyList()->Add("Y");
  pic->KeyList()->Add("N");
  pic->SetImageList(images.get());
  int columnCells = 0;
  grid->OnDrawColumnCell = [&](TObject*, const TRect&, int DataCol, TColumnX* Column, TGridDrawState) {
    EXPECT_EQ(grid->Columns()->Items(DataCol), Column);
    ++columnCells;
  };
  grid->OnGetCellParams = [&](TObject*, TColumnX* Column, TFont*, TColor& Background, TGridDrawState) {
    if (Column->FieldName() == "ID" && Column->Field()->AsInteger() == 4) Background = clYellow;
  };
  Bind();
  Paint();
  columnCells = 0;
  grid->Repaint();
  EXPECT_EQ(columnCells, 3 * 5);
  // Codes Y, N, Y, ?, N: red, green, red, nothing, green.
  auto centre = [&](int C, int R) {
    TRect r = grid->CellRect(C, R);
    return Pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  EXPECT_EQ(centre(3, 1), RGB(255, 0, 0));
  EXPECT_EQ(centre(3, 2), RGB(0, 255, 0));
  EXPECT_EQ(centre(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(centre(3, 4), Rgb(clWindow));
  // Checked records (1st, 3rd, 5th) show a mark in the box; unchecked boxes are empty inside.
  TRect on = grid->CellRect(2, 3), off = grid->CellRect(2, 2);
  int cx = (on.Left + on.Right) / 2, cy = (on.Top + on.Bottom) / 2;
  EXPECT_TRUE(Has(TRect(cx - 3, cy - 3, cx + 3, cy + 3), RGB(0, 0, 0)) ||
              Has(TRect(cx - 3, cy - 3, cx + 3, cy + 3), Rgb(clWindowText)));
  int ox = (off.Left + off.Right) / 2, oy = (off.Top + off.Bottom) / 2;
  EXPECT_FALSE(Has(TRect(ox - 2, oy - 2, ox + 2, oy + 2), RGB(0, 0, 0)));
  // The parameter hook coloured the fourth record's ID cell.
  auto leftOf = [&](int C, int R) {
    TRect r = grid->CellRect(C, R);
    return Pixel(r.Left + 1, (r.Top + r.Bottom) / 2);
  };
  EXPECT_EQ(leftOf(1, 4), Rgb(clYellow));
  EXPECT_EQ(leftOf(1, 3), Rgb(clWindow));
  // Without cell contents: cells are filled and carry nothing.
  grid->SetShowCellContents(false);
  Paint();
  EXPECT_EQ(centre(3, 1), Rgb(clWindow));
}

TEST_F(DataGridPaintTest, EditButtonShownAlwaysTakesTheRightOfTheCell) {
  grid->Columns()->Add()->SetFieldName("Name");
  TColumnX* c = grid->Columns()->Add();
  c->SetFieldName("Code");
  c->SetButtonStyle(cbsEllipsis);
  c->SetAlwaysShowEditButton(true);
  Bind();
  EXPECT_EQ(grid->CellButtonWidth(c), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(grid->CellButtonWidth(grid->Columns()->Items(0)), 0);
  bool themes = EditButtonThemesActive;
  EditButtonThemesActive = false;
  Paint();
  EditButtonThemesActive = themes;
  // The button face (not the window colour) at the cell's right.
  TRect cell = grid->CellRect(2, 2);
  EXPECT_EQ(Pixel(cell.Right - 5, cell.Top + 3), Rgb(clBtnFace));
  EXPECT_EQ(Pixel(cell.Right - GetSystemMetrics(SM_CXVSCROLL) - 2, cell.Top + 3), Rgb(clWindow));
  EXPECT_TRUE(HasDark(TRect(cell.Right - 12, cell.Top + 2, cell.Right - 4, cell.Bottom - 2)));  // the dots
}

TEST_F(DataGridPaintTest, SortMarkersAndTheirOrder) {
  grid->Columns()->Add()->SetFieldName("Name");
  grid->Columns()->Add()->SetFieldName("Amount");
  Bind();
  grid->Columns()->Items(0)->Title()->SetSortMarker(smUpX);
  Paint();
  TRect t = grid->CellRect(1, 0);
  // The marker is drawn in grey at the right of the title.
  EXPECT_TRUE(Has(TRect(t.Right - 16, t.Top, t.Right, t.Bottom), RGB(0x80, 0x80, 0x80)));
  EXPECT_FALSE(HasDark(TRect(t.Right - 8, t.Top + 2, t.Right - 1, t.Bottom - 2)));  // one marked: no number
  auto o = grid->OptionsX();
  o.Include(gxoMultiSortMarking);
  grid->SetOptionsX(o);
  grid->Columns()->Items(1)->Title()->SetSortMarker(smDownX);
  ASSERT_EQ(grid->SortMarkedColumns().size(), 2u);
  EXPECT_EQ(grid->Columns()->Items(1)->Title()->SortIndex(), 2);
  Paint();
  // With two marked columns the order number stands right of the marker: ink in the last pixels.
  TRect t2 = grid->CellRect(2, 0);
  EXPECT_TRUE(HasDark(TRect(t2.Right - 8, t2.Top + 2, t2.Right - 1, t2.Bottom - 2)));
  EXPECT_TRUE(HasDark(TRect(t.Right - 8, t.Top + 2, t.Right - 1, t.Bottom - 2)));
}

TEST_F(DataGridPaintTest, SharedBitmapLivesWithTheGrids) {
  int before = DrawBitmapUsers();
  EXPECT_GE(before, 1);  // the fixture's grid
  {
    TDBGridX other(nullptr);
    EXPECT_EQ(DrawBitmapUsers(), before + 1);
    EXPECT_NE(DrawBitmap(), nullptr);
  }
  EXPECT_EQ(DrawBitmapUsers(), before);
}

TEST_F(DataGridPaintTest, LeavingCancelsAnUntouchedInsert) {
  Bind();
  auto o = grid->Options();
  o.Include(gdoCancelOnExit);
  grid->SetOptions(o);
  ds->Append();
  grid->DoExit();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 5);
  // A modified insert is kept (written through the link, posted by the data set's own rules).
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(9);
  grid->DoExit();
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 6);
}

// ---- the shared routines on a memory surface

TEST(GridDrawRoutines, TextDirectAndThroughTheBitmap) {
  AcquireDrawBitmap();
  Surface s(120, 60, kWhite);
  TCanvas c;
  c.SetHandle(s.dc);
  c.Brush()->SetColor(clWhite);
  c.Font()->SetColor(clBlack);
  DrawCellTextX(&c, TRect(0, 0, 120, 20), 2, 2, "Hello", taLeftJustify, 0, false, false, 0, 0, false);
  RECT ink = s.Ink(kWhite);
  EXPECT_GE(ink.left, 2);
  EXPECT_LT(ink.right, 60);
  // Right-aligned text ends three pixels from the right edge.
  s.Fill(kWhite);
  DrawCellTextX(&c, TRect(0, 0, 120, 20), 2, 2, "Hello", taRightJustify, 0, false, false, 0, 0, false);
  ink = s.Ink(kWhite);
  EXPECT_LE(ink.right, 117);
  EXPECT_GT(ink.right, 100);
  // Word wrap goes through the shared bitmap: two lines, nothing outside the cell.
  s.Fill(kRed);
  DrawCellTextX(&c, TRect(10, 5, 60, 55), 2, 2, "wrap these words", taLeftJustify, 0, true, false, 0, 0, false);
  EXPECT_EQ(s.At(5, 30), kRed);
  EXPECT_EQ(s.At(65, 30), kRed);
  EXPECT_EQ(s.At(58, 52), kWhite);  // the cell was filled
  RECT wrapped = s.Ink(kRed);
  EXPECT_EQ(wrapped.left, 10);
  int dark = 0;
  for (int y = 25; y < 50; ++y)
    for (int x = 10; x < 60; ++x) dark += s.At(x, y) != kWhite && s.At(x, y) != kRed;
  EXPECT_GT(dark, 0);  // a second line
  ReleaseDrawBitmap();
}

TEST(GridDrawRoutines, VerticalTextRunsUpward) {
  AcquireDrawBitmap();
  Surface s(40, 120, kWhite);
  TCanvas c;
  c.SetHandle(s.dc);
  c.Brush()->SetColor(clWhite);
  c.Font()->SetColor(clBlack);
  int len = DrawVerticalTextX(&c, TRect(0, 0, 40, 120), false, 2, 2, "Vertical", 0, 2, false, true);
  EXPECT_EQ(s.Ink(kWhite).right, 0);  // CalcOnly draws nothing
  EXPECT_GT(len, c.TextHeight("Vertical"));
  DrawVerticalTextX(&c, TRect(0, 0, 40, 120), false, 2, 2, "Vertical", 0, 2, false, false);
  RECT ink = s.Ink(kWhite);
  EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);  // taller than wide
  EXPECT_LE(ink.bottom, 118);                               // bottom-aligned, DY above the edge
  EXPECT_GT(ink.bottom, 100);
  HFONT f = MakeRotatedFont(c.Font());
  LOGFONT lf;
  GetObject(f, sizeof(lf), &lf);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOutPrecision, OUT_TT_ONLY_PRECIS);
  DeleteObject(f);
  ReleaseDrawBitmap();
}

TEST(GridDrawRoutines, ImagesClippedToTheCell) {
  auto images = SolidImages({clBlue}, 20);
  Surface s(60, 60, kWhite);
  TCanvas c;
  c.SetHandle(s.dc);
  DrawImageClipped(images.get(), nullptr, &c, TRect(10, 10, 20, 30), 0, 0, taCenter);
  RECT ink = s.Ink(kWhite);
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.right, 20);
  EXPECT_EQ(ink.top, 10);
  EXPECT_EQ(ink.bottom, 30);
  // The clip region is back: drawing elsewhere lands.
  c.Brush()->SetColor(clRed);
  c.FillRect(TRect(40, 40, 50, 50));
  EXPECT_EQ(s.At(45, 45), kRed);
  // A fitting image is centred.
  s.Fill(kWhite);
  DrawImageClipped(images.get(), nullptr, &c, TRect(0, 0, 40, 40), 0, 0, taCenter);
  EXPECT_EQ(s.Ink(kWhite).left, 10);
  EXPECT_EQ(s.Ink(kWhite).top, 10);
}

TEST_F(DataGridPaintTest, TextFitsCellAsksForATipWhenTheTextIsCut) {
  Bind();
  int w = 0, h = 0;
  EXPECT_FALSE(TextFitsCell(grid, 2, 2, "ab", TRect(0, 0, 100, 20), false, w, h));
  EXPECT_GT(w, 0);
  EXPECT_TRUE(TextFitsCell(grid, 2, 2, "a rather long text for a cell", TRect(0, 0, 40, 20), false, w, h));
  // Wrapped, the text gets taller instead: cut at the bottom.
  EXPECT_TRUE(TextFitsCell(grid, 2, 2, "a rather long text for a cell", TRect(0, 0, 40, 20), true, w, h));
  EXPECT_GT(h, 20);
}

TEST(GridDrawRoutines, BrightenColor) {
  EXPECT_EQ(BrightenColor(static_cast<TColor>(0xFFFFFF), 8), static_cast<TColor>(0xFFFFFF));
  EXPECT_EQ(BrightenColor(static_cast<TColor>(RGB(100, 100, 100)), 8), static_cast<TColor>(RGB(112, 112, 112)));
  EXPECT_EQ(BrightenColor(static_cast<TColor>(RGB(10, 200, 250)), 4), static_cast<TColor>(RGB(12, 250, 255)));
}

TEST_F(DataGridPaintTest, RightToLeftMirrorsBandsAndText) {
  const char* caps[][2] = {{"Name", "Person|Name"}, {"Amount", "Figures|Amount"}, {"Born", "Figures|Born"}};
  for (auto& cp : caps) {
    TColumnX* col = grid->Columns()->Add();
    col->SetFieldName(cp[0]);
    col->Title()->SetCaption(cp[1]);
  }
  grid->SetUseMultiTitle(true);
  Bind();
  grid->SetRightToLeft(true);
  Paint();
  TRect ind = grid->CellRect(0, 2);
  EXPECT_GT(ind.Left, grid->ClientWidth() / 2);  // the indicator column stands on the right
  EXPECT_TRUE(Has(grid->CellRect(0, 1), RGB(0, 0, 0)));  // with its arrow
  // Mirrored, the line between Amount and Born lies left of Amount and still stops under the band.
  TRect amount = grid->CellRect(2, 0);
  int band = grid->TitleColumnNode(1)->Parent->Height;
  EXPECT_EQ(Pixel(amount.Left - 1, 2), Rgb(grid->FixedColor()));
  EXPECT_EQ(Pixel(amount.Left - 1, band + 4), RGB(0, 0, 0));
  // A left-aligned name is written at the right of its cell.
  TRect name = grid->CellRect(1, 2);
  int mid = (name.Left + name.Right) / 2;
  EXPECT_TRUE(HasDark(TRect(mid, name.Top + 2, name.Right - 1, name.Bottom - 2)));
  EXPECT_FALSE(HasDark(TRect(name.Left + 1, name.Top + 2, mid - 10, name.Bottom - 2)));
}

TEST_F(DataGridPaintTest, StyleHearsSystemColourChanges) {
  TDBGridXStyle style;
  ASSERT_NE(style.NotifyWindow(), nullptr);
  style.SetScreenColorCount(256);
  SendMessage(style.NotifyWindow(), WM_SYSCOLORCHANGE, 0, 0);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(style.ScreenColorCount(), GetDeviceCaps(dc, NUMCOLORS));
  ReleaseDC(nullptr, dc);
}

TEST_F(DataGridPaintTest, ToolTipsTakeTheCellFont) {
  TToolTipsWindow tip(owner.get());
  TFont small, big;
  small.SetHeight(-10);
  big.SetHeight(-24);
  big.SetColor(clRed);
  TRect a = tip.CalcHintRect(300, "Tip text", &small);
  TRect b = tip.CalcHintRect(300, "Tip text", &big);
  EXPECT_GT(b.Width(), a.Width());
  EXPECT_GT(b.Height(), a.Height());
  EXPECT_EQ(tip.Canvas()->Font()->Color(), clWindowText);
}

TEST_F(DataGridPaintTest, DropQueuedMessageRemovesOneAndKeepsQuit) {
  HWND h = grid->Handle();
  constexpr UINT kMsg = WM_USER + 77;
  PostMessage(h, kMsg, 0, 0);
  PostMessage(h, kMsg, 0, 0);
  DropQueuedMessage(h, kMsg);
  MSG m;
  EXPECT_TRUE(PeekMessage(&m, h, kMsg, kMsg, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&m, h, kMsg, kMsg, PM_REMOVE));
  PostQuitMessage(3);
  DropQueuedMessage(nullptr, WM_QUIT);
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // posted again
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(DataGridPaintTest, SuppressedPaintingLeavesTheScreenAlone) {
  Bind();
  Paint();
  TRect r = grid->CellRect(2, 2);
  COLORREF before = Pixel(r.Right - 2, r.Top + 2);
  grid->SetPaintSuppressed(true);
  grid->SetColor(clYellow);
  Paint();
  EXPECT_EQ(Pixel(r.Right - 2, r.Top + 2), before);
  grid->SetPaintSuppressed(false);
  Paint();
  EXPECT_EQ(Pixel(r.Right - 2, r.Top + 2), Rgb(clYellow));
}

namespace {
// A grid whose filter row is shown (the filter row itself comes with its own work).
class TFilterRowGridX : public TDBGridX {
 public:
  using TDBGridX::TDBGridX;
  int FilterRowVisible() override { return 1; }
};
}  // namespace

TEST_F(DataGridPaintTest, FilterRowBandIsDrawnInItsOwnColour) {
  auto* g = new TFilterRowGridX(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  g->SetDataSource(src);
  win::PumpMessages();
  ASSERT_EQ(g->TitleOffset(), 2);
  int dc = 0, dr = 0;
  EXPECT_EQ(g->GetCellType(2, 1, dc, dr), 0x0101);  // filter row, data column
  EXPECT_EQ(dr, 0);
  EXPECT_EQ(g->GetCellType(0, 1, dc, dr), 0x0100);  // filter row, indicator
  EXPECT_EQ(g->GetCellType(2, 2, dc, dr), 0x0201);  // first record
  EXPECT_EQ(dr, 0);
  grid->SetVisible(false);
  g->Invalidate();
  win::PumpMessages();
  g->Repaint();
  TRect f = g->CellRect(2, 1);
  EXPECT_EQ(win::GetWindowPixel(g->Handle(), f.Right - 3, (f.Top + f.Bottom) / 2),
            Rgb(BrightenColor(g->FixedColor(), 8)));
  // A filter cell is not raised even with fixed 3D frames.
  EXPECT_TRUE(g->OptionsX().Contains(gxoFixed3D));
  EXPECT_FALSE(g->CellHas3DFrame(2, 1, {gdFixed}));
}

TEST_F(DataGridPaintTest, SelectedColumnsAndEverythingAreDrawnSelected) {
  Bind();
  auto o = grid->Options();
  o.Include(gdoMultiSelect);
  grid->SetOptions(o);
  COLORREF tinted = Rgb(TintColor(clWindow, clBtnShadow, false));
  // A selected column: its title dark, its cells tinted, other columns untouched.
  grid->SelectionX()->Columns()->SelectSingleColumn(grid->Columns()->Items(2), false);
  ASSERT_EQ(grid->SelectionX()->Kind(), selColumnsX);
  Paint();
  TRect title = grid->CellRect(3, 0);
  EXPECT_EQ(Pixel(title.Left + 2, title.Bottom - 3), RGB(64, 64, 64));
  EXPECT_EQ(RightOf(3, 4), tinted);
  EXPECT_EQ(RightOf(2, 4), Rgb(clWindow));
  EXPECT_NE(RightOf(0, 4, 3), RGB(64, 64, 64));  // rows are not selected
  // Everything: every indicator cell and every data cell.
  grid->SelectionX()->SelectEverything();
  Paint();
  for (int r = 2; r <= 5; ++r) {
    EXPECT_EQ(RightOf(0, r, 3), RGB(64, 64, 64)) << r;
    EXPECT_EQ(RightOf(2, r), tinted) << r;
  }
}

TEST_F(DataGridPaintTest, InplaceSearchTextIsHighlightedInTheCurrentCell) {
  Bind();
  grid->SetFocus();
  win::PumpMessages();
  if (!grid->HasFocusInside()) GTEST_SKIP() << "the window manager gave the grid no focus";
  grid->SetCol(2);  // Name
  grid->InplaceSearch("Bo", -1, 0);
  ASSERT_TRUE(grid->InSearch());
  ASSERT_EQ(ds->FieldByName("Name")->AsString(), "Bob");
  Paint();
  TRect cell = grid->CellRect(grid->Col(), grid->Row());
  COLORREF mark = Rgb(SearchHighlightColor);
  EXPECT_TRUE(Has(TRect(cell.Left, cell.Top, cell.Left + cell.Width() / 2, cell.Bottom), mark));
  EXPECT_FALSE(Has(TRect(cell.Left + cell.Width() / 2, cell.Top, cell.Right, cell.Bottom), mark));
  grid->StopInplaceSearch();
  Paint();
  EXPECT_FALSE(Has(cell, mark));
}

TEST_F(DataGridPaintTest, FooterBandInButtonFaceGetsFixedLines) {
  Bind();
  grid->SetFooterRowCount(1);
  Paint();
  int f = grid->RowCount() - 1;
  TRect foot = grid->CellRect(2, f), data = grid->CellRect(2, 2);
  ASSERT_FALSE(foot.IsEmpty());
  int mid = (foot.Top + foot.Bottom) / 2;
  EXPECT_EQ(Pixel(foot.Right, mid), RGB(0xC0, 0xC0, 0xC0));  // a window-coloured band: data lines
  grid->SetFooterColor(clBtnFace);
  Paint();
  EXPECT_EQ(Pixel(foot.Right, mid), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(foot.Left + 3, foot.Top - 1), RGB(0, 0, 0));  // the line along the band's top
  EXPECT_EQ(Pixel(data.Right, (data.Top + data.Bottom) / 2), RGB(0xC0, 0xC0, 0xC0));
}

TEST_F(DataGridPaintTest, VerticalTitlesStandAsTallAsTheirText) {
  const char* caps[][2] = {{"Name", "Person|Name"}, {"Amount", "Figures|Amount paid"}, {"Born", "Figures|Born"}};
  for (auto& cp : caps) {
    TColumnX* col = grid->Columns()->Add();
    col->SetFieldName(cp[0]);
    col->Title()->SetCaption(cp[1]);
  }
  grid->SetUseMultiTitle(true);
  Bind();
  int flat = grid->TitleRowHeight();
  grid->Columns()->Items(1)->Title()->SetOrientation(tohVertical);
  grid->LayoutChanged();
  win::PumpMessages();
  int tall = grid->TitleRowHeight();
  EXPECT_GT(tall, flat + 20);
  EXPECT_EQ(grid->RowHeights(0), tall);
  // The leaves grew, the group band did not.
  THeadTreeNode* leaf = grid->TitleColumnNode(1);
  // The row gives back what the leaf cell adds when drawn: 1 pixel with raised titles, else 3.
  EXPECT_EQ(leaf->Height + leaf->Parent->Height, tall + (grid->OptionsX().Contains(gxoFixed3D) ? 1 : 3));
  Paint();
  TRect cell = grid->CellRect(2, 0);
  int band = leaf->Parent->Height;
  int top = cell.Bottom, bottom = cell.Top, left = cell.Right, right = cell.Left;
  for (int y = cell.Top + band + 2; y < cell.Bottom - 1; ++y)
    for (int x = cell.Left + 2; x < cell.Right - 2; ++x) {
      COLORREF p = Pixel(x, y);
      if (GetRValue(p) < 0x70 && GetGValue(p) < 0x70 && GetBValue(p) < 0x70) {
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
    }
  ASSERT_LT(top, bottom);
  EXPECT_GT(bottom - top, 2 * (right - left));  // the caption runs upward
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_vertical_title.png")));
}

TEST_F(DataGridPaintTest, AutoFitMeasuresTitlesCellsAndKeepsThePosition) {
  for (const char* f : {"ID", "Name", "Active"}) grid->Columns()->Add()->SetFieldName(f);
  TColumnsXList all{Col(0), Col(1), Col(2)};
  int before[3] = {Col(0)->Width(), Col(1)->Width(), Col(2)->Width()};
  grid->AutoFitColumns(all);  // no data source: nothing changes
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Col(i)->Width(), before[i]);
  Bind();
  ds->First();
  ds->Next();
  ds->Next();
  grid->AutoFitColumns(all);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);  // the current record is kept
  TCanvas* c = grid->Canvas();
  c->Font()->Assign(Col(1)->Font());
  int widest = 0;
  for (const char* n : {"Ann", "Bob", "Cui", "Dora", "Émile"}) widest = std::max(widest, c->TextWidth(n));
  c->Font()->Assign(Col(1)->Title()->Font());
  widest = std::max(widest, c->TextWidth("Name"));
  EXPECT_EQ(Col(1)->Width(), widest + 4);
  c->Font()->Assign(Col(2)->Title()->Font());
  EXPECT_EQ(Col(2)->Width(), std::max(c->TextWidth("Active"), CheckBoxWidth) + 4);
  // A longer text and a pressed fit of one column (no selection: just that column).
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("A rather long name");
  ds->Post();
  int w0 = Col(0)->Width();
  grid->AutoFitColumn(Col(1));
  c->Font()->Assign(Col(1)->Font());
  EXPECT_EQ(Col(1)->Width(), c->TextWidth("A rather long name") + 4);
  EXPECT_EQ(Col(0)->Width(), w0);
}
