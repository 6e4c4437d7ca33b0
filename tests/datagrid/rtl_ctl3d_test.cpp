// The grid and the lookup combo box in a form that reads right to left or has no 3-D look, and the
// cell editor's glyph strips, through messages: the form's mode reaching the grid, its scroll bar and
// the lists it drops; the lookup list opening from the combo box's right edge; a picture of such a form
// with Hebrew text and the list open, for a person to look at.

#include <string>

#include "datagrid/DBLookupComboX.h"
#include "tests/datagrid/inplace_fixture.h"
#include "tests/datagrid/lookup_fixture.h"
#include "tests/datagrid/popup_shot.h"
#include "tests/platform/controls/glyph_strip.h"

namespace {

DWORD ExStyle(TWinControl* C) { return static_cast<DWORD>(GetWindowLong(C->Handle(), GWL_EXSTYLE)); }
COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

// The first client column from the right holding a pixel of a colour other than Back, in rows
// [Top, Bottom); -1 when none.
int RightmostInk(TWinControl* C, COLORREF Back, int Top, int Bottom) {
  for (int X = C->ClientWidth() - 1; X >= 0; --X)
    for (int Y = Top; Y < Bottom; ++Y)
      if (win::GetWindowPixel(C->Handle(), X, Y) != Back) return X;
  return -1;
}

using GridBiDiTest = InplaceTest;

TEST_F(GridBiDiTest, TheGridFollowsItsFormAndPutsItsScrollBarOnTheLeft) {
  RECT before{};
  GetClientRect(grid->Handle(), &before);
  host->SetBiDiMode(bdRightToLeft);
  win::PumpMessages();
  EXPECT_TRUE(grid->RightToLeft());
  EXPECT_TRUE(ExStyle(grid) & WS_EX_LEFTSCROLLBAR);
  ASSERT_TRUE(GetWindowLong(grid->Handle(), GWL_STYLE) & WS_VSCROLL);
  // The client area begins right of the bar.
  RECT window{};
  GetWindowRect(grid->Handle(), &window);
  EXPECT_EQ(grid->ClientOrigin().X - window.left, 2 + GetSystemMetrics(SM_CXVSCROLL));
  // The first data column stands at the right.
  const TRect first = grid->CellRect(grid->IndicatorOffset(), 1);
  EXPECT_GT(first.Left, grid->ClientWidth() / 2);
  host->SetBiDiMode(bdLeftToRight);
  win::PumpMessages();
  EXPECT_FALSE(grid->RightToLeft());
  EXPECT_FALSE(ExStyle(grid) & WS_EX_LEFTSCROLLBAR);
}

TEST_F(GridBiDiTest, TheCellEditorsDropDownsReadAsTheGrid) {
  host->SetBiDiMode(bdRightToLeft);
  TColumnX* name = Col("Name");
  for (const char* s : {"Anna", "Boris"}) name->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->BiDiMode(), bdRightToLeft);
  // The button strip at the editor's left edge.
  EXPECT_EQ(e->ButtonControl(0)->Left(), 0);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupListboxX* list = e->PickListControl();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->BiDiMode(), bdRightToLeft);
  // Items are written from the right.
  const int ink = RightmostInk(list, Rgb(list->Color()), 0, list->ItemHeight());
  EXPECT_GT(ink, list->ClientWidth() - 6);
  Key(VK_ESCAPE);

  // The calculator and its keys too.
  Col("Amount")->SetButtonStyle(cbsDropDown);
  e = OpenEditor("Amount");
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupCalculatorX* calc = e->CalculatorControl();
  ASSERT_NE(calc, nullptr);
  EXPECT_EQ(calc->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(calc->Key(1)->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(calc->TextBox()->UseRightToLeftAlignment());
  Key(VK_ESCAPE);
}

TEST_F(GridBiDiTest, TheGridWithoutCtl3DHasASingleLine) {
  EXPECT_TRUE(ExStyle(grid) & WS_EX_CLIENTEDGE);
  host->SetCtl3D(false);
  win::PumpMessages();
  EXPECT_FALSE(grid->Ctl3D());
  EXPECT_FALSE(ExStyle(grid) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLong(grid->Handle(), GWL_STYLE) & WS_BORDER);
  // The line is the window's single border: one pixel each side.
  RECT w{}, c{};
  GetWindowRect(grid->Handle(), &w);
  GetClientRect(grid->Handle(), &c);
  EXPECT_EQ(grid->ClientOrigin().X - w.left, 1);
}

TEST_F(GridBiDiTest, ACellEditorsGlyphButtonShowsOneImageOfItsStrip) {
  TEditButtonX* b = Col("Name")->EditButtons()->Add();
  b->SetVisible(true);
  b->SetStyle(ebsGlyphX);
  b->SetWidth(20);
  TBitmap strip;
  FillGlyphStrip(&strip, {clRed, clBlue}, 2);
  b->SetGlyph(&strip);
  b->SetNumGlyphs(2);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_GE(e->ButtonControlCount(), 2);
  TEditButtonControlX* c = e->ButtonControl(1);
  EXPECT_EQ(c->NumGlyphs(), 2);
  int red = 0, blue = 0;
  for (int x = c->Left(); x < c->Left() + c->Width(); ++x)
    for (int y = c->Top(); y < c->Top() + c->Height(); ++y) {
      const COLORREF p = win::GetWindowPixel(e->Handle(), x, y);
      red += p == Rgb(clRed);
      blue += p == Rgb(clBlue);
    }
  EXPECT_GT(red, 0);
  EXPECT_EQ(blue, 0) << "the disabled image is not drawn beside the up image";
}

// ---------------------------------------------------------------------------------------------------
// The lookup combo box

using LookupBiDiTest = LookupTest;

TEST_F(LookupBiDiTest, ARightToLeftComboHasItsButtonAtTheLeftAndOpensItsListFromItsRightEdge) {
  host->SetBiDiMode(bdRightToLeft);
  auto* shot = MakePopupShot(owner.get(), host, 480);
  auto* c = new TDBLookupComboboxX(owner.get());
  c->SetBounds(300, 50, 200, 24);
  c->SetParent(host);
  c->Font()->SetName("DejaVu Sans");
  // Unbound (no field keeps its side), listing the cities' names (text, read right to left).
  c->SetListSource(citySrc);
  c->SetKeyField("ID");
  c->SetListField("Name");
  c->DropDownBox()->SetWidth(280);
  c->SetKeyValue(3);
  // A Hebrew text beside it, read right to left.
  auto* e = new TEdit(owner.get());
  e->SetBounds(300, 12, 200, 24);
  e->SetParent(host);
  e->Font()->SetName("DejaVu Sans");
  e->Font()->SetSize(12);
  e->SetText("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D 123!");  // "shalom olam 123!"
  win::PumpMessages();
  TEditButtonControlX* b = c->ButtonControl(0);
  EXPECT_EQ(b->Left(), 0);
  const TPoint at = b->ClientToScreen(TPoint(b->Width() / 2, b->Height() / 2));
  win::Click(at.X, at.Y);
  win::PumpMessages();
  ASSERT_TRUE(c->ListVisible());
  TPopupDataGridX* g = c->Grid();
  RECT gr{}, cr{};
  GetWindowRect(g->Handle(), &gr);
  GetWindowRect(c->Handle(), &cr);
  EXPECT_EQ(gr.right, cr.right);
  EXPECT_EQ(gr.right - gr.left, 280);
  EXPECT_EQ(g->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(ExStyle(g) & WS_EX_RTLREADING);
  EXPECT_TRUE(SavePopupShot(shot, {g}, "rtl_form_lookup_open.png"));
  c->CloseUp(false);
}

}  // namespace
