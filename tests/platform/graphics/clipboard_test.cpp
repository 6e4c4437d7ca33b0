#include "platform/graphics/clipbrd.h"

#include <gtest/gtest.h>

#include "platform/graphics/graphics.h"
#include "platform/win/clipboard.h"

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

TEST(Clipboard, NestedOpeningsMakeOneCopyOfSeveralFormats) {
  win::MemoryClipboard backend;
  win::InstallClipboardBackend(&backend);
  UINT csv = RegisterClipboardFormat("Csv");
  backend.Blocks[RegisterClipboardFormat("Old")] = "left by another program";
  TClipboard* c = Clipboard();
  c->Open();
  c->SetAsText("a\tb");  // the first set empties the clipboard
  c->Open();              // nested, as the copy's helpers open it again
  c->SetBuffer(csv, "a,b\0", 4);
  c->Close();
  EXPECT_EQ(backend.Publications, 0);
  c->Close();
  EXPECT_EQ(backend.Publications, 1);
  ASSERT_EQ(backend.Blocks.size(), 2u);
  std::string bytes;
  ASSERT_TRUE(c->GetBuffer(csv, bytes));
  EXPECT_EQ(bytes, std::string("a,b\0", 4));
  EXPECT_TRUE(c->HasFormat(CF_UNICODETEXT));
  EXPECT_FALSE(c->GetBuffer(RegisterClipboardFormat("Old"), bytes));
  // Text another program left without its terminating zero is read to the block's end, no further.
  backend.Blocks.clear();
  backend.Blocks[CF_TEXT] = "abc";
  EXPECT_EQ(c->AsText(), "abc");
  win::InstallClipboardBackend(nullptr);
}

}  // namespace
