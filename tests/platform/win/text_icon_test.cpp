// DrawText layout flags, icons loaded from .ico files and copying pixels out of a window.
#include <QImage>

#include "tests/platform/win/fixture.h"
#include "tests/platform/win/surface.h"

namespace {

TEST(DrawTextLayout, WordBreakPrefixEllipsisAndAlignment) {
  Surface m(300, 200, kWhite);
  TEXTMETRIC tm;
  GetTextMetrics(m.dc, &tm);
  SIZE word;
  GetTextExtentPoint32(m.dc, "word", 4, &word);
  // Five words in a box three words wide wrap onto two lines.
  RECT r{0, 0, word.cx * 3 + 20, 0};
  int h = DrawText(m.dc, "word word word word word", -1, &r, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(h, 2 * tm.tmHeight);
  EXPECT_LE(r.right, word.cx * 3 + 20);
  // Chinese text without spaces wraps between characters.
  RECT c{0, 0, 40, 0};
  EXPECT_GT(DrawText(m.dc, "这是一段很长的中文文字", -1, &c, DT_CALCRECT | DT_WORDBREAK), 2 * tm.tmHeight);
  // '&' marks a prefix unless DT_NOPREFIX.
  SIZE amp;
  GetTextExtentPoint32(m.dc, "&File", 5, &amp);
  RECT p1{0, 0, 300, 0}, p2{0, 0, 300, 0};
  DrawText(m.dc, "&File", -1, &p1, DT_CALCRECT | DT_SINGLELINE);
  DrawText(m.dc, "&File", -1, &p2, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_LT(p1.right, p2.right);
  EXPECT_EQ(p2.right, amp.cx);
  // End ellipsis keeps the text inside; right alignment puts the ink against the right edge.
  RECT box{10, 10, 80, 40};
  DrawText(m.dc, "A rather long line of text", -1, &box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  RECT ink = m.Ink(kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 80);
  Surface n(300, 60, kWhite);
  RECT right{0, 0, 300, 60};
  DrawText(n.dc, "Right", -1, &right, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  RECT ink2 = n.Ink(kWhite);
  EXPECT_GE(ink2.right, 295);
  EXPECT_GE(ink2.bottom, 60 - tm.tmHeight);
  EXPECT_GT(ink2.top, 30);
}

TEST_F(WinTest, IconFilesLoadAndDraw) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(qRgba(0, 0, 0, 0));
  for (int i = 0; i < 16; ++i) img.setPixel(i, i, qRgb(200, 0, 0));
  std::string path = win::ArtifactPath("platform_win_test.ico");
  ASSERT_TRUE(img.save(QString::fromStdString(path), "ICO"));
  HICON icon = static_cast<HICON>(LoadImage(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(icon, nullptr);
  Surface m(20, 20, kWhite);
  DrawIconEx(m.dc, 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(GetPixel(m.dc, 7, 7), RGB(200, 0, 0));
  EXPECT_EQ(GetPixel(m.dc, 8, 7), RGB(255, 255, 255)) << "transparent pixels leave the background";
  DestroyIcon(icon);
  EXPECT_EQ(LoadImage(nullptr, "/nonexistent.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  EXPECT_EQ(arrow, LoadCursor(nullptr, IDC_ARROW)) << "standard cursors are shared";
  EXPECT_NE(arrow, LoadCursor(nullptr, IDC_IBEAM));
  SetCursor(arrow);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(WinTest, WindowPixelsCopyIntoABitmap) {
  HWND top = Top(0, 0, 100, 100);
  HWND c = Child(top, 20, 30, 40, 40);
  rec().paintColor[c] = RGB(1, 2, 3);
  win::PumpMessages();
  Surface m(10, 10, kWhite);
  HDC wdc = GetDC(c);
  BitBlt(m.dc, 0, 0, 10, 10, wdc, 5, 5, SRCCOPY);
  ReleaseDC(c, wdc);
  EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(1, 2, 3));
  // A window DC draws only inside its window.
  wdc = GetDC(c);
  RECT huge{-100, -100, 500, 500};
  FillRect(wdc, &huge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(c, wdc);
  EXPECT_EQ(win::GetWindowPixel(top, 19, 29), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(win::GetWindowPixel(top, 20, 30), RGB(0, 0, 0));
  EXPECT_EQ(win::GetWindowPixel(top, 60, 70), GetSysColor(COLOR_WINDOW));
}

}  // namespace
