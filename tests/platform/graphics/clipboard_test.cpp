#include "platform/graphics/clipbrd.h"

#include <gtest/gtest.h>

#include "platform/graphics/graphics.h"

namespace {

TEST(Clipboard, TextAndBitmapsGoOnAndComeBack) {
  Clipboard()->SetAsText("发型 Tressora");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), "发型 Tressora");

  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(3, 2);
  bmp.Canvas()->SetPixels(2, 1, clRed);
  Clipboard()->Assign(&bmp);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));  // a copy replaces what was there
  TBitmap back;
  back.Assign(Clipboard());
  ASSERT_EQ(back.Width(), 3);
  ASSERT_EQ(back.Height(), 2);
  EXPECT_EQ(back.Canvas()->Pixels(2, 1), clRed);

  Clipboard()->Clear();
  TBitmap none;
  EXPECT_THROW(none.Assign(Clipboard()), EInvalidGraphic);
  TFont font;
  EXPECT_THROW(Clipboard()->Assign(&font), EConvertError);
}

}  // namespace
