// Image lists: masked adds, deleting, drawing over a background colour, as the mask, blended with a
// colour, and the change links; the screen's cursor table.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/imglist.h"
#include "platform/graphics/pictures.h"

namespace {

// A 24-bit strip of w x h images: image k is filled with colours[k], with a fuchsia key border.
std::unique_ptr<TBitmap> Strip(int w, int h, const std::vector<TColor>& colours) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w * static_cast<int>(colours.size()), h);
  for (size_t k = 0; k < colours.size(); ++k)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
        b->Canvas()->SetPixels(static_cast<int>(k) * w + x, y, border ? clFuchsia : colours[k]);
      }
  return b;
}

std::unique_ptr<TBitmap> Target(TColor fill) {
  auto t = std::make_unique<TBitmap>();
  t->SetPixelFormat(pf24bit);
  t->SetSize(8, 8);
  t->Canvas()->Brush()->SetColor(fill);
  t->Canvas()->FillRect(TRect(0, 0, 8, 8));
  return t;
}

TEST(ImageList, AddMaskedDeleteAndDrawInEveryStyle) {
  TImageList list(nullptr);
  list.SetWidth(6);
  list.SetHeight(6);
  auto strip = Strip(6, 6, {clRed, clBlue, clLime});
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Pixel(0, 0, 0), 0u) << "the key colour is transparent";
  EXPECT_EQ(list.Pixel(1, 2, 2), 0xFF0000FFu);
  list.Delete(1);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Pixel(1, 2, 2), 0xFF00FF00u) << "the images after it move down";
  EXPECT_THROW(list.Delete(5), EInvalidOperation);

  // Normal without a background colour: transparent where the mask is.
  auto t = Target(clWhite);
  list.Draw(t->Canvas(), 1, 1, 0);
  EXPECT_EQ(t->Canvas()->Pixels(1, 1), clWhite);
  EXPECT_EQ(t->Canvas()->Pixels(3, 3), clRed);
  // With one: the transparent parts show it.
  list.SetBkColor(clYellow);
  t = Target(clWhite);
  list.Draw(t->Canvas(), 1, 1, 0);
  EXPECT_EQ(t->Canvas()->Pixels(1, 1), clYellow);
  EXPECT_EQ(t->Canvas()->Pixels(3, 3), clRed);
  EXPECT_EQ(t->Canvas()->Pixels(7, 7), clWhite) << "only the image's own square";
  // Transparent ignores the background colour.
  t = Target(clWhite);
  list.Draw(t->Canvas(), 1, 1, 0, dsTransparent, itImage);
  EXPECT_EQ(t->Canvas()->Pixels(1, 1), clWhite);
  // The mask: black where the image is, white where it is transparent.
  t = Target(clGray);
  list.Draw(t->Canvas(), 1, 1, 0, dsTransparent, itMask);
  EXPECT_EQ(t->Canvas()->Pixels(1, 1), clWhite);
  EXPECT_EQ(t->Canvas()->Pixels(3, 3), clBlack);
  // Selected: half the blend colour; focused: a quarter; the transparent parts stay.
  list.SetBkColor(clNone);
  list.SetBlendColor(clBlue);
  t = Target(clWhite);
  list.Draw(t->Canvas(), 1, 1, 0, dsSelected, itImage);
  EXPECT_EQ(ColorToRGB(t->Canvas()->Pixels(3, 3)), RGB(127, 0, 127));
  EXPECT_EQ(t->Canvas()->Pixels(1, 1), clWhite);
  t = Target(clWhite);
  list.Draw(t->Canvas(), 1, 1, 0, dsFocus, itImage);
  EXPECT_EQ(ColorToRGB(t->Canvas()->Pixels(3, 3)), RGB(191, 0, 63));
  // The default blend colour is the highlight colour.
  t = Target(clWhite);
  HDC dc = t->Canvas()->Handle();
  EXPECT_TRUE(list.DrawEx(dc, 1, 1, 0, CLR_NONE, CLR_DEFAULT, ILD_SELECTED));
  COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF got = GetPixel(dc, 3, 3);
  EXPECT_EQ(got, RGB((255 + GetRValue(hl)) / 2, GetGValue(hl) / 2, GetBValue(hl) / 2));
  EXPECT_FALSE(list.DrawEx(dc, 0, 0, 9, CLR_NONE, CLR_NONE, ILD_NORMAL)) << "no such image";
  // The list's own image type and drawing style are what the short call uses.
  list.SetImageType(itMask);
  t = Target(clGray);
  list.Draw(t->Canvas(), 1, 1, 0);
  EXPECT_EQ(t->Canvas()->Pixels(3, 3), clBlack);
}

TEST(ImageList, ChangeLinksHearOfEveryChangeUntilEitherGoes) {
  auto list = std::make_unique<TImageList>(nullptr);
  list->SetWidth(4);
  list->SetHeight(4);
  int heard = 0, listHeard = 0;
  TObject* sender = nullptr;
  auto link = std::make_unique<TChangeLink>();
  link->OnChange = [&](TObject* s) {
    ++heard;
    sender = s;
  };
  list->OnChange = [&](TObject*) { ++listHeard; };
  list->RegisterChanges(link.get());
  EXPECT_EQ(link->Sender(), list.get());
  auto strip = Strip(4, 4, {clRed, clBlue});
  list->AddMasked(strip.get(), clFuchsia);
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(sender, link.get());
  list->SetBkColor(clYellow);
  list->SetBkColor(clYellow);
  list->SetBlendColor(clRed);
  list->Delete(0);
  list->Clear();
  EXPECT_EQ(heard, 5) << "an unchanged value tells nobody";
  EXPECT_EQ(listHeard, 5);
  // A link that goes first unregisters itself.
  link.reset();
  list->SetBkColor(clBlue);
  EXPECT_EQ(heard, 5);
  // A list that goes first leaves its links without a sender.
  auto second = std::make_unique<TChangeLink>();
  list->RegisterChanges(second.get());
  list.reset();
  EXPECT_EQ(second->Sender(), nullptr);
}

TEST(Cursors, TheScreenTableHasSplitSizeAndDragCursors) {
  HCURSOR split = GetCursorHandle(crHSplit);
  HCURSOR nwse = GetCursorHandle(crSizeNWSE);
  HCURSOR nesw = GetCursorHandle(crSizeNESW);
  HCURSOR drag = GetCursorHandle(crDrag);
  HCURSOR multi = GetCursorHandle(crMultiDrag);
  HCURSOR noDrop = GetCursorHandle(crNoDrop);
  for (HCURSOR c : {split, nwse, nesw, drag, multi, noDrop}) EXPECT_NE(c, nullptr);
  EXPECT_EQ(nwse, LoadCursor(nullptr, IDC_SIZENWSE));
  EXPECT_EQ(nesw, LoadCursor(nullptr, IDC_SIZENESW));
  EXPECT_NE(split, GetCursorHandle(crSizeWE)) << "the split cursor has its own shape";
  EXPECT_EQ(split, LoadCursor(GetModuleHandle(nullptr), "HSPLIT"));
  EXPECT_NE(drag, multi);
  ICONINFO ii;
  ASSERT_TRUE(GetIconInfo(split, &ii));
  EXPECT_NE(ii.hbmColor, nullptr) << "drawn, not a system shape";
  EXPECT_EQ(ii.xHotspot, 15u);
  DeleteObject(ii.hbmColor);
  // A program's own entry replaces the library's.
  HCURSOR mine = LoadCursor(nullptr, IDC_CROSS);
  SetCursorHandle(crHSplit, mine);
  EXPECT_EQ(GetCursorHandle(crHSplit), mine);
  SetCursorHandle(crHSplit, split);
}

}  // namespace
