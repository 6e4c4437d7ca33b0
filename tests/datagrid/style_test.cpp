// The shared colour policy and the text routines.

#include "tests/datagrid/grid_fixture.h"

TEST(GridStyle, TintColor) {
  EXPECT_EQ(TintColor(static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0), false), static_cast<TColor>(0xBABABA));
  EXPECT_EQ(TintColor(static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0), true), static_cast<TColor>(0xCACACA));
  // Channels stay apart: pure red towards black.
  TColor r = TintColor(static_cast<TColor>(0x0000FF), static_cast<TColor>(0), false);
  EXPECT_EQ(r & 0xFF, 186);
  EXPECT_EQ((r >> 8) & 0xFF, 135);  // 0 -> 0 -> 135
}

TEST(GridStyle, EllipsizeCutsWholeCharacters) {
  auto oneEach = [](const std::string& S) {
    int n = 0;
    for (unsigned char c : S) n += (c & 0xC0) != 0x80;
    return n;
  };
  EXPECT_EQ(EllipsizeText("abcdef", oneEach, 10), "abcdef");
  EXPECT_EQ(EllipsizeText("abcdefgh", oneEach, 7), "abcd...");
  EXPECT_EQ(EllipsizeText("价格数量总计", oneEach, 5), "价格...");
  EXPECT_EQ(EllipsizeText("Émile Zola", oneEach, 6), "Émi...");
  EXPECT_EQ(EllipsizeText("abc", oneEach, 1), "...");
  // Every cut is valid UTF-8: no result ends inside a character.
  for (int w = 0; w < 8; ++w) {
    std::string s = EllipsizeText("ÄÖÜ价格", oneEach, w);
    ASSERT_GE(s.size(), 3u);
    std::string head = s.substr(0, s.size() - 3);
    if (s.size() > 3 && s.compare(s.size() - 3, 3, "...") == 0)
      for (size_t i = 0; i < head.size();) {
        unsigned char c = static_cast<unsigned char>(head[i]);
        size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        ASSERT_LE(i + n, head.size()) << s;
        i += n;
      }
  }
}

TEST_F(DataGridTest, DestroyedStyleLeavesGridsOnFallBackColours) {
  auto* style = new TDBGridXStyle();
  TDBGridXStyle* keep = DefaultGridStyle;
  DefaultGridStyle = style;
  auto* g = new TDBGridX(owner.get());
  DefaultGridStyle = keep;
  EXPECT_EQ(g->Style(), style);
  EXPECT_TRUE(style->HasGrid(g));
  delete style;
  EXPECT_EQ(g->Style(), nullptr);
  TFont f;
  TColor back = clWindow;
  EXPECT_TRUE(g->GetDataCellColors(1, 1, &f, back, {}, true, false, false));
  EXPECT_EQ(back, clBtnFace);  // selected, grid not focused
}

TEST_F(DataGridTest, StyleTintsSelectedCells) {
  TDBGridXStyle style;
  style.SetScreenColorCount(-1);
  grid->SetFocus();
  win::PumpMessages();
  TFont f;
  TColor back = clWindow;
  bool focused = grid->HasFocusInside();
  EXPECT_TRUE(style.GetDataCellColors(grid, 1, 1, &f, back, {}, true, false, false));
  EXPECT_EQ(back, focused ? TintColor(clWindow, clHighlight, true) : TintColor(clWindow, clBtnShadow, false));
  back = clWindow;
  EXPECT_FALSE(style.GetDataCellColors(grid, 2, 2, &f, back, {}, false, false, false));
  EXPECT_EQ(back, clWindow);
  // The indicator of a title row is drawn dark.
  back = clBtnFace;
  EXPECT_TRUE(style.GetFixedCellColors(grid, 0, 0, &f, back));
  EXPECT_EQ(back, static_cast<TColor>(RGB(64, 64, 64)));
}
