// The speed button's glyph strip (NumGlyphs): which image each state shows, pressed with the mouse,
// held down in a group and disabled, and the greyed image made when the strip has no disabled one.

#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/buttons.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/glyph_strip.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

constexpr TColor kColours[4] = {clRed, clBlue, clLime, clYellow};

class SpeedButtonGlyphsTest : public ControlHostTest {
 protected:
  SpeedButtonGlyphsTest() : ControlHostTest(200, 100, clWhite) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    button = new TSpeedButton(owner.get());
    button->SetBounds(20, 20, 40, 40);
    button->SetParent(host);
    win::PumpMessages();
  }
  // A strip of Count images of 12 x 12, image i filled with kColours[i].
  void SetStrip(int Count) {
    TBitmap strip;
    FillGlyphStrip(&strip, {kColours[0], kColours[1], kColours[2], kColours[3]}, 0);
    strip.SetWidth(12 * Count);
    button->SetGlyph(&strip);
    button->SetNumGlyphs(Count);
    win::PumpMessages();
  }
  // The colour in the middle of the button, where the glyph stands.
  COLORREF Middle() { return win::GetWindowPixel(host->Handle(), 40, 40); }
  static COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }
  TSpeedButton* button = nullptr;
};

TEST_F(SpeedButtonGlyphsTest, NumGlyphsStaysBetweenOneAndFour) {
  button->SetNumGlyphs(7);
  EXPECT_EQ(button->NumGlyphs(), 4);
  button->SetNumGlyphs(0);
  EXPECT_EQ(button->NumGlyphs(), 1);
}

TEST_F(SpeedButtonGlyphsTest, ATwoImageStripShowsItsSecondImageWhileDisabled) {
  SetStrip(2);
  EXPECT_EQ(Middle(), Rgb(clRed));
  button->SetEnabled(false);
  win::PumpMessages();
  EXPECT_EQ(Middle(), Rgb(clBlue));
  // Only one image wide: the second image is not drawn beside the first.
  EXPECT_NE(win::GetWindowPixel(host->Handle(), 40 + 8, 40), Rgb(clBlue));
  button->SetEnabled(true);
  win::PumpMessages();
  EXPECT_EQ(Middle(), Rgb(clRed));
}

TEST_F(SpeedButtonGlyphsTest, EachStateShowsItsImageOrTheNearestTheStripHas) {
  struct Case {
    int Images;
    TColor Pressed, HeldDown;
  };
  // Pressed falls back to up; held down to pressed, and so on to up.
  const Case cases[] = {{4, clLime, clYellow}, {3, clLime, clLime}, {2, clRed, clRed}};
  const TPoint at = host->ClientToScreen(TPoint(40, 40));
  for (const Case& c : cases) {
    SetStrip(c.Images);
    win::InjectMouse(at.X, at.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
    EXPECT_EQ(Middle(), Rgb(c.Pressed)) << c.Images;
    win::InjectMouse(at.X, at.Y, WM_LBUTTONUP);
    win::PumpMessages();
    button->SetGroupIndex(1);
    button->SetAllowAllUp(true);
    button->SetDown(true);
    win::PumpMessages();
    EXPECT_EQ(Middle(), Rgb(c.HeldDown)) << c.Images;
    button->SetDown(false);
    button->SetGroupIndex(0);
    win::PumpMessages();
    EXPECT_EQ(Middle(), Rgb(clRed)) << c.Images;
  }
}

TEST_F(SpeedButtonGlyphsTest, ASingleImageIsGreyedWhileDisabled) {
  // A red square on a white ground (the bottom-left pixel's colour, left out of the greyed image).
  TBitmap glyph;
  FillGlyphStrip(&glyph, {clRed}, 3);
  button->SetGlyph(&glyph);
  win::PumpMessages();
  EXPECT_EQ(Middle(), Rgb(clRed));
  button->SetEnabled(false);
  win::PumpMessages();
  EXPECT_EQ(Middle(), GetSysColor(COLOR_BTNSHADOW));
  // The ground shows the button's face, not the glyph's white.
  EXPECT_NE(win::GetWindowPixel(host->Handle(), 40 - 5, 40 - 5), Rgb(clWhite));
}

}  // namespace
