// Sizing and moving with the mouse, through injected mouse messages: a frozen column sized on its
// title edge (with the dotted line or traced), the split cursor over that edge, data rows sized over
// the indicator, a double click on a sizing edge fitting the column, a right press on a title moving
// its column, and the pressed look of a title following the mouse and ending on cancel mode.

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/datagrid/nav_fixture.h"

namespace {

// Counts title button clicks.
class TPressGridX : public TDBGridX {
  DECLARE_CLASS(TPressGridX, TDBGridX)
  using TDBGridX::TDBGridX;
  int TitleButtonClicks = 0;
  void TitleBtnClick(int DataCol, TColumnX* Column) override {
    TDBGridX::TitleBtnClick(DataCol, Column);
    ++TitleButtonClicks;
  }
};

}  // namespace

class SizingGridTest : public NavGridTest {
 protected:
  COLORREF Pixel(int X, int Y) { return win::GetWindowPixel(grid->Handle(), X, Y); }
  // Pixels of the column X from the top of the first data row down N rows of pixels.
  std::vector<COLORREF> Strip(int X, int Top, int N) {
    std::vector<COLORREF> v;
    for (int y = Top; y < Top + N; ++y) v.push_back(Pixel(X, y));
    return v;
  }
  HCURSOR CursorAt(TPoint P) {
    Mouse(WM_MOUSEMOVE, P);
    ::SetCursor(nullptr);
    SendMessage(grid->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(grid->Handle()),
                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
  }
  // The right edge of the title cell of raw column Raw, at the middle of the title.
  TPoint TitleEdge(int Raw) {
    TRect r = grid->CellRect(Raw, 0);
    return TPoint(r.Right, (r.Top + r.Bottom) / 2);
  }
  void Frozen(int N) {
    grid->SetFrozenCols(N);
    AddOptions({gdoColumnResize});
    win::PumpMessages();
  }
};

TEST_F(SizingGridTest, FrozenColumnIsSizedOnItsTitleEdgeWithALineOrTraced) {
  struct Case {
    bool Trace;
    int Press;  // pixels from the edge where the press lands (inside the zone)
    int Move;
  };
  const Case cases[] = {{false, 0, 25}, {false, -3, -10}, {false, 4, 40}, {true, 2, 30}, {true, -2, -15}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "trace " << k.Trace << " press " << k.Press << " move " << k.Move);
    Make(5);
    Frozen(1);
    if (k.Trace) AddOptionsX({gxoTraceColSizing});
    int id = ColumnOf("ID");
    int raw = grid->DataToRawColumn(id);
    ASSERT_LT(raw, grid->FixedCols());  // frozen: laid out as a fixed cell
    int before = grid->Columns()->Items(id)->Width();
    TPoint edge = TitleEdge(raw);
    TPoint press(edge.X + k.Press, edge.Y);
    int dataTop = grid->CellRect(raw, grid->TitleOffset()).Top;
    int lineX = edge.X + k.Move;  // where the line stands after the move
    std::vector<COLORREF> clean = Strip(lineX, dataTop, 12);

    Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
    EXPECT_EQ(grid->MouseMode(), 6);
    EXPECT_EQ(grid->GridState(), gsNormal);  // not the grid base's sizing
    EXPECT_EQ(grid->SizingIndexX(), raw);
    EXPECT_EQ(grid->FrozenSizingLineDrawn(), !k.Trace);
    Mouse(WM_MOUSEMOVE, TPoint(press.X + k.Move, press.Y), MK_LBUTTON);
    if (k.Trace) {
      EXPECT_EQ(grid->Columns()->Items(id)->Width(), before + k.Move);  // at once
      EXPECT_FALSE(grid->FrozenSizingLineDrawn());
    } else {
      EXPECT_EQ(grid->Columns()->Items(id)->Width(), before);  // only the line moves
      EXPECT_TRUE(grid->FrozenSizingLineDrawn());
      // The dotted line inverts some of the pixels under it, not all.
      std::vector<COLORREF> lined = Strip(lineX, dataTop, 12);
      int inverted = 0, kept = 0;
      for (size_t i = 0; i < clean.size(); ++i) {
        if (lined[i] == (clean[i] ^ 0xFFFFFF)) ++inverted;
        else if (lined[i] == clean[i]) ++kept;
      }
      EXPECT_GE(inverted, 4);
      EXPECT_GE(kept, 4);
      EXPECT_EQ(inverted + kept, 12);
      if (k.Move == 40) {
        EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_frozen_sizing.png")));
      }
    }
    Mouse(WM_LBUTTONUP, TPoint(press.X + k.Move, press.Y));
    EXPECT_EQ(grid->MouseMode(), 0);
    EXPECT_FALSE(grid->FrozenSizingLineDrawn());
    EXPECT_EQ(grid->Columns()->Items(id)->Width(), before + k.Move);
    EXPECT_EQ(grid->ColWidths(raw), before + k.Move);
    grid->LayoutChanged();
    EXPECT_EQ(grid->ColWidths(raw), before + k.Move);  // the column keeps it
    owner.reset();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TGridHostX(owner.get());
    host->SetBounds(50, 50, 640, 400);
    host->HandleNeeded();
  }
}

TEST_F(SizingGridTest, AClickOnTheEdgeWithoutMovingKeepsTheWidthAndCancelModeErasesTheLine) {
  Make(5);
  Frozen(2);
  int raw = grid->DataToRawColumn(1);
  int before = grid->ColWidths(raw);
  TPoint edge = TitleEdge(raw);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  EXPECT_EQ(grid->SizingIndexX(), raw);  // the second frozen column's edge
  Mouse(WM_LBUTTONUP, edge);
  EXPECT_EQ(grid->ColWidths(raw), before);

  int dataTop = grid->CellRect(raw, grid->TitleOffset()).Top;
  std::vector<COLORREF> clean = Strip(edge.X + 20, dataTop, 12);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X + 20, edge.Y), MK_LBUTTON);
  EXPECT_NE(Strip(edge.X + 20, dataTop, 12), clean);
  SendMessage(grid->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(grid->MouseMode(), 0);
  EXPECT_FALSE(grid->FrozenSizingLineDrawn());
  EXPECT_EQ(Strip(edge.X + 20, dataTop, 12), clean);  // no trace left
  Mouse(WM_LBUTTONUP, TPoint(edge.X + 20, edge.Y));
  EXPECT_EQ(grid->ColWidths(raw), before);

  // Escape while sizing does the same.
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X + 20, edge.Y), MK_LBUTTON);
  Press(VK_ESCAPE);
  EXPECT_EQ(grid->MouseMode(), 0);
  EXPECT_EQ(Strip(edge.X + 20, dataTop, 12), clean);
  Mouse(WM_LBUTTONUP, TPoint(edge.X + 20, edge.Y));
  EXPECT_EQ(grid->ColWidths(raw), before);
}

TEST_F(SizingGridTest, SplitCursorOverTheFrozenEdgesOnly) {
  Make(5);
  Frozen(1);
  HCURSOR split = GetCursorHandle(crHSplit);
  int raw = grid->DataToRawColumn(0);
  TPoint edge = TitleEdge(raw);
  TRect data = grid->CellRect(raw, grid->TitleOffset() + 1);
  struct Case {
    TPoint P;
    bool Split;
  };
  const Case cases[] = {
      {edge, true},
      {TPoint(edge.X - 3, edge.Y), true},
      {TPoint(edge.X + 4, edge.Y), true},
      {TPoint(edge.X - 8, edge.Y), false},               // inside the title
      {TPoint(edge.X, (data.Top + data.Bottom) / 2), false},  // the same edge on a data row
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.P.X << "," << k.P.Y);
    EXPECT_EQ(CursorAt(k.P) == split, k.Split);
  }
  // Without column sizing there is no zone.
  AddOptions({}, {gdoColumnResize});
  EXPECT_NE(CursorAt(edge), split);
  int idx = 0, pos = 0, ofs = 0;
  EXPECT_FALSE(grid->FrozenSizingHit(edge.X, edge.Y, idx, pos, ofs));
}

TEST_F(SizingGridTest, TheIndicatorEdgeIsNotSizedAndScrollableEdgesStillAre) {
  Make(5);
  Frozen(1);
  int ind = grid->ColWidths(0);
  TPoint indEdge = TitleEdge(0);
  Mouse(WM_LBUTTONDOWN, indEdge, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_NE(grid->MouseMode(), 6);
  Mouse(WM_MOUSEMOVE, TPoint(indEdge.X + 20, indEdge.Y), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TPoint(indEdge.X + 20, indEdge.Y));
  EXPECT_EQ(grid->ColWidths(0), ind);

  int name = ColumnOf("Name");
  int raw = grid->DataToRawColumn(name);
  ASSERT_GE(raw, grid->FixedCols());
  int before = grid->Columns()->Items(name)->Width();
  TPoint edge = TitleEdge(raw);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), gsColSizing);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X + 12, edge.Y), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TPoint(edge.X + 12, edge.Y));
  EXPECT_EQ(grid->Columns()->Items(name)->Width(), before + 12);
}

TEST_F(SizingGridTest, ARowSizedOverTheIndicatorGivesAllDataRowsItsHeight) {
  Make(8);
  grid->SetRowSizingAllowed(true);
  win::PumpMessages();
  int t = grid->TitleOffset();
  int h = grid->RowHeights(t);
  TRect r0 = grid->CellRect(0, t);
  // Over a data column the row edge does nothing.
  TRect d = grid->CellRect(2, t);
  Mouse(WM_LBUTTONDOWN, TPoint((d.Left + d.Right) / 2, d.Bottom), MK_LBUTTON);
  EXPECT_NE(grid->GridState(), gsRowSizing);
  Mouse(WM_LBUTTONUP, TPoint((d.Left + d.Right) / 2, d.Bottom));

  TPoint edge((r0.Left + r0.Right) / 2, r0.Bottom);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), gsRowSizing);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X, edge.Y + 9), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TPoint(edge.X, edge.Y + 9));
  EXPECT_EQ(grid->RowLines(), 0);
  EXPECT_EQ(grid->RowHeight(), h + 9);
  for (int r = t; r < t + 5; ++r) EXPECT_EQ(grid->RowHeights(r), h + 9) << r;
  // A later layout keeps the height.
  grid->LayoutChanged();
  EXPECT_EQ(grid->RowHeights(t + 3), h + 9);
}

TEST_F(SizingGridTest, DoubleClickOnASizingEdgeFitsTheColumnToItsContents) {
  Make(5);
  Frozen(1);
  AddOptionsX({gxoDblClickFitColWidth});
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("A much longer name than the others");
  ds->Post();
  int name = ColumnOf("Name"), id = ColumnOf("ID");
  grid->Columns()->Items(name)->SetWidth(30);
  grid->Columns()->Items(id)->SetWidth(200);
  win::PumpMessages();
  struct Case {
    int Data;
    bool Grows;
  };
  const Case cases[] = {{name, true}, {id, false}};  // a scrollable edge and a frozen one
  for (const Case& k : cases) {
    int raw = grid->DataToRawColumn(k.Data);
    int before = grid->Columns()->Items(k.Data)->Width();
    TPoint edge = TitleEdge(raw);
    Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, edge);
    Mouse(WM_LBUTTONDBLCLK, edge, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, edge);
    int after = grid->Columns()->Items(k.Data)->Width();
    if (k.Grows) EXPECT_GT(after, before + 60) << k.Data;
    else EXPECT_LT(after, before - 100) << k.Data;
    EXPECT_EQ(grid->ColWidths(raw), after);
    // Fitting again changes nothing.
    Mouse(WM_LBUTTONDOWN, TitleEdge(raw), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, TitleEdge(raw));
    Mouse(WM_LBUTTONDBLCLK, TitleEdge(raw), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, TitleEdge(raw));
    EXPECT_EQ(grid->Columns()->Items(k.Data)->Width(), after);
  }
  // Without the option a double click on the edge leaves the width.
  AddOptionsX({}, {gxoDblClickFitColWidth});
  int raw = grid->DataToRawColumn(name);
  grid->Columns()->Items(name)->SetWidth(30);
  win::PumpMessages();
  Mouse(WM_LBUTTONDOWN, TitleEdge(raw), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TitleEdge(raw));
  Mouse(WM_LBUTTONDBLCLK, TitleEdge(raw), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TitleEdge(raw));
  EXPECT_EQ(grid->Columns()->Items(name)->Width(), 30);
}

// A double click on the edge fits the column to its text in the font that text is shown in: a larger
// cell or title font gives a wider column, as wide as the text measured in that font plus the margin.
TEST_F(SizingGridTest, DoubleClickOnASizingEdgeFitsTheColumnToTextInItsOwnFont) {
  struct Case {
    const char* What;
    const char* Field;
    bool TitleFont;  // the larger font is the title's; else the cells'
    std::vector<std::string> Texts;  // what the column shows in that font
  };
  const Case cases[] = {{"cells", "Name", false, {"Name 001", "Name 002", "Name 003", "Name 004", "Name 005"}},
                        {"title", "Code", true, {"Code"}}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.What);
    for (int size : {8, 22}) {
      SCOPED_TRACE(testing::Message() << "size " << size);
      Make(5);
      AddOptions({gdoColumnResize});
      AddOptionsX({gxoDblClickFitColWidth});
      int data = ColumnOf(k.Field);
      TColumnX* col = grid->Columns()->Items(data);
      TFont* font = k.TitleFont ? col->Title()->Font() : col->Font();
      font->SetSize(size);
      col->SetWidth(20);
      win::PumpMessages();
      // The text measured on a canvas of its own that holds the same font.
      TBitmap b;
      b.SetSize(8, 8);
      b.Canvas()->Font()->Assign(font);
      int expected = 0;
      for (const std::string& t : k.Texts) expected = std::max(expected, b.Canvas()->TextWidth(t) + 4);
      int raw = grid->DataToRawColumn(data);
      TPoint edge = TitleEdge(raw);
      Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
      Mouse(WM_LBUTTONUP, edge);
      Mouse(WM_LBUTTONDBLCLK, edge, MK_LBUTTON);
      Mouse(WM_LBUTTONUP, edge);
      EXPECT_EQ(col->Width(), expected);
      EXPECT_EQ(grid->ColWidths(raw), expected);
      owner.reset();
      owner = std::make_unique<TComponent>(nullptr);
      host = new TGridHostX(owner.get());
      host->SetBounds(50, 50, 640, 400);
      host->HandleNeeded();
    }
  }
}

TEST_F(SizingGridTest, RightPressOnATitleMovesTheColumn) {
  Make(5);
  AddOptions({gdoColumnResize});
  auto order = [&] {
    std::string s;
    for (int i = 0; i < grid->Columns()->Count(); ++i) s += grid->Columns()->Items(i)->FieldName() + " ";
    return s;
  };
  ASSERT_EQ(order(), "ID Name Active Code ");
  struct Case {
    std::string From, To, Result;
  };
  const Case cases[] = {{"ID", "Active", "Name Active ID Code "}, {"Code", "Name", "Code Name Active ID "}};
  for (const Case& k : cases) {
    TPoint from = CellMid(grid->DataToRawColumn(ColumnOf(k.From)), 0);
    TPoint to = CellMid(grid->DataToRawColumn(ColumnOf(k.To)), 0);
    Mouse(WM_RBUTTONDOWN, from, MK_RBUTTON);
    EXPECT_TRUE(grid->RightButtonMoving());
    EXPECT_EQ(grid->GridState(), gsColMoving);
    Mouse(WM_MOUSEMOVE, to, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, to);
    EXPECT_FALSE(grid->RightButtonMoving());
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(order(), k.Result);
  }
  // Without column resizing a right press moves nothing.
  AddOptions({}, {gdoColumnResize});
  std::string keep = order();
  Mouse(WM_RBUTTONDOWN, CellMid(1, 0), MK_RBUTTON);
  EXPECT_FALSE(grid->RightButtonMoving());
  Mouse(WM_MOUSEMOVE, CellMid(3, 0), MK_RBUTTON);
  Mouse(WM_RBUTTONUP, CellMid(3, 0));
  EXPECT_EQ(order(), keep);
}

TEST_F(SizingGridTest, PressedTitleFollowsTheMouseAndCancelModeReleasesIt) {
  Make(5);
  delete grid;
  auto* g = new TPressGridX(owner.get());
  Place(g);
  AddOptions({}, {gdoColumnResize});  // a sideways drag stays a press
  int name = ColumnOf("Name");
  grid->Columns()->Items(name)->Title()->SetTitleButton(true);
  int raw = grid->DataToRawColumn(name);
  TPoint p = CellMid(raw, 0);
  TRect title = grid->CellRect(raw, 0);
  auto look = [&] {
    std::vector<COLORREF> v;
    for (int y = title.Top; y < title.Bottom; ++y)
      for (int x = title.Left; x < title.Right; ++x) v.push_back(Pixel(x, y));
    return v;
  };
  std::vector<COLORREF> up = look();

  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  EXPECT_TRUE(grid->TitleButtonDown());
  EXPECT_EQ(grid->PressedTitleColumn(), raw);
  win::PumpMessages();
  std::vector<COLORREF> down = look();
  EXPECT_NE(down, up);  // drawn pressed (sunken edge, text shifted)
  struct Step {
    TPoint P;
    bool Down;
  };
  const Step steps[] = {{CellMid(raw + 1, 0), false}, {p, true}, {CellMid(raw, 2), false},
                        {TPoint(-5, p.Y), false},     {TPoint(p.X + 1, p.Y), true}};
  for (const Step& s : steps) {
    Mouse(WM_MOUSEMOVE, s.P, MK_LBUTTON);
    EXPECT_EQ(grid->TitleButtonDown(), s.Down) << s.P.X << "," << s.P.Y;
    win::PumpMessages();
    EXPECT_TRUE(look() == (s.Down ? down : up));
  }
  // Cancel mode: the press ends, the look is released, the capture let go, no click follows.
  SendMessage(grid->Handle(), WM_CANCELMODE, 0, 0);
  win::PumpMessages();
  EXPECT_FALSE(grid->TitleButtonDown());
  EXPECT_EQ(grid->PressedTitleColumn(), -1);
  EXPECT_NE(GetCapture(), grid->Handle());
  EXPECT_TRUE(look() == up);
  Mouse(WM_LBUTTONUP, p);
  EXPECT_EQ(g->TitleButtonClicks, 0);
  // A plain click still clicks.
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p);
  EXPECT_EQ(g->TitleButtonClicks, 1);
}

TEST_F(SizingGridTest, MultiLevelTitlePressCountsOnlyOverTheColumnsOwnPart) {
  Make(5);
  AddOptions({}, {gdoColumnResize});
  int name = ColumnOf("Name");
  grid->Columns()->Items(name)->Title()->SetCaption("Person|Name");
  grid->Columns()->Items(name)->Title()->SetTitleButton(true);
  grid->SetUseMultiTitle(true);
  win::PumpMessages();
  int raw = grid->DataToRawColumn(name);
  TRect cell = grid->CellRect(raw, 0);
  int leafTop = cell.Bottom - grid->TitleColumnNode(name)->Height;
  ASSERT_GT(leafTop, cell.Top + 2);
  int x = (cell.Left + cell.Right) / 2;
  TPoint leaf(x, (leafTop + cell.Bottom) / 2), band(x, (cell.Top + leafTop) / 2);

  // A press on the group band is no title press.
  Mouse(WM_LBUTTONDOWN, band, MK_LBUTTON);
  EXPECT_EQ(grid->PressedTitleColumn(), -1);
  Mouse(WM_LBUTTONUP, band);

  Mouse(WM_LBUTTONDOWN, leaf, MK_LBUTTON);
  EXPECT_EQ(grid->PressedTitleColumn(), raw);
  const std::pair<TPoint, bool> steps[] = {{band, false}, {leaf, true}, {TPoint(x, leafTop - 1), false},
                                           {TPoint(x, leafTop), true}};
  for (const auto& [pt, down] : steps) {
    Mouse(WM_MOUSEMOVE, pt, MK_LBUTTON);
    EXPECT_EQ(grid->TitleButtonDown(), down) << pt.Y;
  }
  Mouse(WM_MOUSEMOVE, band, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, band);  // released over the band: no click, nothing marked
  EXPECT_EQ(grid->PressedTitleColumn(), -1);
  EXPECT_FALSE(grid->TitleButtonDown());
}

TEST_F(SizingGridTest, TracedSizingOfAutoFittedColumnsStopsWhereTheOthersWouldHaveNoRoom) {
  Make(5);
  Frozen(1);
  AddOptionsX({gxoTraceColSizing});
  grid->SetAutoFitColWidths(true);
  win::PumpMessages();
  int raw = grid->DataToRawColumn(ColumnOf("ID"));
  TPoint edge = TitleEdge(raw);
  int before = grid->ColWidths(raw);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  ASSERT_EQ(grid->MouseMode(), 6);
  // So far right that the three columns after it could not keep a pixel and a line each.
  Mouse(WM_MOUSEMOVE, TPoint(grid->ClientWidth() - 3, edge.Y), MK_LBUTTON);
  EXPECT_EQ(grid->ColWidths(raw), before);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X + 15, edge.Y), MK_LBUTTON);
  int grown = grid->ColWidths(raw);
  EXPECT_GT(grown, before);
  Mouse(WM_MOUSEMOVE, TPoint(grid->ClientWidth() - 1, edge.Y), MK_LBUTTON);
  EXPECT_EQ(grid->ColWidths(raw), grown);
  Mouse(WM_LBUTTONUP, TPoint(grid->ClientWidth() - 1, edge.Y));
  EXPECT_EQ(grid->ColWidths(raw), grown);
  EXPECT_EQ(grid->MouseMode(), 0);
}

// A layout sets the fixed columns again; the place of a grid scrolled to the right survives it.
TEST_F(SizingGridTest, ALayoutKeepsTheCurrentCellAndTheLeftColumnOfAGridScrolledRight) {
  Make(5);
  AddOptions({gdoColumnResize});
  grid->SetBounds(0, 0, 150, 300);
  win::PumpMessages();
  struct Case {
    const char* Name;
    std::function<void()> Act;
    int Widened;  // pixels the left column in view gains
  };
  const std::vector<Case> cases = {
      {"sizing the left-most column in view wider by its title edge",
       [&] {
         TPoint edge = TitleEdge(grid->LeftCol());
         DragLeft(Screen(edge.X, edge.Y), 20, 0);
       },
       20},
      {"moving a column scrolled out to the left", [&] { grid->Columns()->Items(0)->SetIndex(1); }, 0},
      {"a larger title font", [&] { grid->TitleFont()->SetSize(grid->TitleFont()->Size() + 4); }, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    grid->SelectColumn(ColumnOf("Code"), 0, false);
    win::PumpMessages();
    ASSERT_GT(grid->LeftCol(), grid->FixedCols()) << "the grid is scrolled to the right";
    int left = grid->LeftCol();
    int widthBefore = grid->ColWidths(left);
    k.Act();
    win::PumpMessages();
    EXPECT_EQ(DataCol(), ColumnOf("Code"));
    EXPECT_EQ(grid->LeftCol(), left);
    EXPECT_EQ(grid->ColWidths(left), widthBefore + k.Widened);
  }
}
