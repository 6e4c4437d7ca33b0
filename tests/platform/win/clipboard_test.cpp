// The clipboard service over a memory backend: registered formats, one publication per opening,
// the text stand-ins and blocks too short for their format.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win/clipboard.h"
#include "platform/win/windows.h"

namespace {

HGLOBAL Block(const std::string& Bytes) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
  if (!Bytes.empty()) std::memcpy(GlobalLock(g), Bytes.data(), Bytes.size());
  GlobalUnlock(g);
  return g;
}

std::string Read(UINT Format) {
  HANDLE h = GetClipboardData(Format);
  if (!h) return "<absent>";
  return std::string(static_cast<const char*>(GlobalLock(h)), GlobalSize(h));
}

class ClipboardServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { win::InstallClipboardBackend(&backend); }
  void TearDown() override { win::InstallClipboardBackend(nullptr); }
  win::MemoryClipboard backend;
};

TEST_F(ClipboardServiceTest, FormatsOfOneOpeningArePublishedTogether) {
  UINT csv = RegisterClipboardFormat("Csv");
  UINT grid = RegisterClipboardFormat("VCLDBIF");
  EXPECT_EQ(csv, RegisterClipboardFormat("Csv"));
  EXPECT_NE(csv, grid);
  EXPECT_EQ(win::ClipboardFormatName(grid), "VCLDBIF");
  EXPECT_EQ(win::ClipboardFormatName(CF_TEXT), "");
  EXPECT_EQ(RegisterClipboardFormat(""), 0u);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Block(std::string("a\tb\0", 4)));
  SetClipboardData(csv, Block(std::string("a,b\0", 4)));
  SetClipboardData(grid, Block(""));  // an empty block is a format too
  EXPECT_EQ(backend.Publications, 0) << "nothing leaves before the clipboard is closed";
  EXPECT_TRUE(IsClipboardFormatAvailable(csv));  // what this opening built is readable already
  EXPECT_EQ(Read(csv), std::string("a,b\0", 4));
  CloseClipboard();
  EXPECT_EQ(backend.Publications, 1);
  ASSERT_EQ(backend.Blocks.size(), 3u);
  EXPECT_EQ(backend.Blocks[grid], "");
  EXPECT_TRUE(IsClipboardFormatAvailable(grid));

  // Without EmptyClipboard a set adds to what is there; SetClipboardData needs an opened clipboard.
  EXPECT_EQ(SetClipboardData(CF_TEXT, Block("x")), nullptr);
  ASSERT_TRUE(OpenClipboard(nullptr));
  SetClipboardData(CF_TEXT, Block(std::string("new\0", 4)));
  CloseClipboard();
  EXPECT_EQ(backend.Blocks.size(), 3u);
  EXPECT_EQ(backend.Blocks[CF_TEXT], std::string("new\0", 4));
  // Opening and closing without a change publishes nothing.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(Read(csv), std::string("a,b\0", 4));
  CloseClipboard();
  EXPECT_EQ(backend.Publications, 2);
}

TEST_F(ClipboardServiceTest, TextFormatsStandInForEachOther) {
  // Another program put UTF-16 text there.
  std::u16string u = u"发型 ok";
  u.push_back(0);
  backend.Blocks[CF_UNICODETEXT] = std::string(reinterpret_cast<const char*>(u.data()), u.size() * 2);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(Read(CF_TEXT), std::string("发型 ok\0", 10));
  CloseClipboard();
  backend.Blocks.clear();
  backend.Blocks[CF_TEXT] = std::string("A\0", 2);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(Read(CF_UNICODETEXT), std::string("A\0\0\0", 4));
  CloseClipboard();
}

TEST_F(ClipboardServiceTest, EmptyOrShortBlocksReadAsAbsent) {
  UINT grid = RegisterClipboardFormat("VCLDBIF");
  backend.Blocks[grid] = "";
  backend.Blocks[CF_UNICODETEXT] = "A";  // half a UTF-16 unit
  EXPECT_TRUE(IsClipboardFormatAvailable(grid));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(grid), nullptr);
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);  // nothing to stand in with
  CloseClipboard();
  backend.Blocks[CF_UNICODETEXT] = std::string("B\0C", 3);  // a stray last byte is dropped
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(Read(CF_UNICODETEXT), std::string("B\0", 2));
  CloseClipboard();
}

TEST_F(ClipboardServiceTest, TheProgramsBitmapGoesWithTheCopyUntilOthersCopy) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 3);
  DeleteDC(dc);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bmp);
  SetClipboardData(CF_TEXT, Block(std::string("pic\0", 4)));
  CloseClipboard();
  EXPECT_EQ(backend.Bitmap, bmp);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_BITMAP), bmp);
  CloseClipboard();
  // Another program copies text: the picture is gone (and freed by the clipboard).
  backend.Blocks = {{CF_TEXT, std::string("other\0", 6)}};
  backend.OthersCopied = true;
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
  CloseClipboard();
}

}  // namespace
