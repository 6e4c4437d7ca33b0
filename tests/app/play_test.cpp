// The slide show driven as a user would: clicks through the queue, timers on a fake clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/app/window_fixture.h"
#include "app/Communal.h"
#include "app/UfrmPlay.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"

namespace {

constexpr COLORREF LightBlue = RGB(0xAD, 0xD8, 0xE6);
// One solid colour per picture, as RGB.
constexpr COLORREF PictureColours[] = {RGB(200, 30, 30), RGB(30, 160, 40), RGB(40, 40, 190), RGB(210, 180, 20),
                                       RGB(150, 20, 160), RGB(20, 150, 150)};

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

class PlayWindow : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    StartPlatform();
    UfrmPlay::Initialize();
    form_ = std::make_unique<TfrmPlay>(nullptr);
    form_->AfterConstruction();
    frmPlay = form_.get();
    list_ = std::make_unique<TList>();
  }

  void TearDown() override {
    form_.reset();
    UfrmPlay::Finalize();
    FreeListAndItems(list_);
    StopPlatform();
  }

  // Pictures larger than a cell, so each is shrunk into it.
  void AddPictures(int count) {
    for (int i = 0; i < count; ++i) {
      const COLORREF c = PictureColours[i % 6];
      std::vector<std::uint32_t> pixels(400 * 300, MakeARGB(255, GetRValue(c), GetGValue(c), GetBValue(c)));
      GpBitmap* bitmap = nullptr;
      GdipCreateBitmapFromScan0(400, 300, 400 * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(pixels.data()),
                                &bitmap);
      list_->Add(bitmap);
    }
  }

  void ShowWith(int count) {
    AddPictures(count);
    form_->Setup(list_.get());
    form_->Show();
    win::PumpMessages();
  }

  void ClickOn(TControl* control) {
    const TPoint p = control->ClientToScreen(TPoint(control->Width() / 2, control->Height() / 2));
    win::Click(p.X, p.Y);
    win::PumpMessages();
  }

  void Wait(std::uint64_t ms) { win::AdvanceAndPump(clock_, ms); }

  // The colour at the centre of a cell as the window shows it.
  COLORREF CellCentre(int cell) {
    TImage* image = UfrmPlay::PlayImages[cell];
    const TPoint screen = image->ClientToScreen(TPoint(image->Width() / 2, image->Height() / 2));
    POINT p{screen.X, screen.Y};
    ScreenToClient(form_->Handle(), &p);
    return win::GetWindowPixel(form_->Handle(), p.x, p.y);
  }

  // Shows the cells as the pictures First, First + 1, ... and light blue past the end.
  void ExpectPage(int first, int count) {
    for (int cell = 0; cell < 4; ++cell) {
      const COLORREF expected = first + cell < count ? PictureColours[(first + cell) % 6] : LightBlue;
      EXPECT_TRUE(Near(CellCentre(cell), expected, 2))
          << "cell " << cell << " shows " << std::hex << CellCentre(cell) << " instead of " << expected;
    }
  }

  std::unique_ptr<TfrmPlay> form_;
  std::unique_ptr<TList> list_;
};

TEST_F(PlayWindow, LayoutAndMaximisedCentredShowing) {
  EXPECT_EQ(form_->Caption(), "播放");
  EXPECT_EQ(form_->BorderStyle(), bsDialog);
  EXPECT_EQ(form_->pnlImages->Width(), 698);
  EXPECT_EQ(form_->pnlImages->Height(), 571);
  for (TImage* image : UfrmPlay::PlayImages) {
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), 343);
    EXPECT_EQ(image->Height(), 281);
    EXPECT_EQ(image->Parent(), form_->pnlImages);
  }
  EXPECT_EQ(UfrmPlay::PlayImages[0]->Top(), UfrmPlay::PlayImages[1]->Top());
  EXPECT_LT(UfrmPlay::PlayImages[0]->Left(), UfrmPlay::PlayImages[1]->Left());
  EXPECT_GT(UfrmPlay::PlayImages[2]->Top(), UfrmPlay::PlayImages[0]->Top());
  EXPECT_EQ(form_->btnLoop->BoundsRect(), form_->btnNoLoop->BoundsRect());
  EXPECT_TRUE(form_->btnLoop->Down());
  EXPECT_EQ(form_->Timer1->Interval(), 4000u);
  EXPECT_EQ(form_->TimerFade->Interval(), 100u);

  ShowWith(2);
  EXPECT_EQ(form_->WindowState(), wsMaximized);
  EXPECT_GT(form_->ClientWidth(), 806);
  EXPECT_EQ(form_->pnlImages->Left(), (form_->ClientWidth() - 698) / 2);
  EXPECT_EQ(form_->pnlButtons->Left(), (form_->ClientWidth() - 264) / 2);
  EXPECT_FALSE(form_->btnNext->Enabled());
  EXPECT_FALSE(form_->btnPrevious->Enabled());
  ExpectPage(0, 2);
}

TEST_F(PlayWindow, SecondPageShowsTheFifthPictureAndThreeEmptyCells) {
  ShowWith(5);
  EXPECT_LT(UfrmPlay::PlayFadeAlpha, 0);  // the first page comes without a fade
  ExpectPage(0, 5);
  EXPECT_TRUE(form_->btnNext->Enabled());
  EXPECT_FALSE(form_->btnPrevious->Enabled());

  ClickOn(form_->btnNext);
  Wait(1000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 4);
  ExpectPage(4, 5);
  EXPECT_FALSE(form_->btnNext->Enabled());
  EXPECT_TRUE(form_->btnPrevious->Enabled());

  ClickOn(form_->btnPrevious);
  Wait(1000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 0);
  ExpectPage(0, 5);
}

TEST_F(PlayWindow, EndOfTheShowLoopsOrStopsByTheLoopButton) {
  struct Case {
    int loopClicks;
    bool loops;
  };
  for (const Case c : {Case{0, true}, Case{1, false}, Case{2, true}}) {
    SCOPED_TRACE(c.loopClicks);
    form_.reset();
    form_ = std::make_unique<TfrmPlay>(nullptr);
    form_->AfterConstruction();
    FreeListAndItems(list_);
    list_ = std::make_unique<TList>();
    ShowWith(5);
    // The visible loop button takes every click and shows by its state whether the show loops.
    for (int i = 0; i < c.loopClicks; ++i) ClickOn(form_->btnLoop);
    EXPECT_EQ(form_->btnLoop->Down(), c.loops);
    EXPECT_EQ(form_->btnNoLoop->Down(), !c.loops);
    EXPECT_EQ(UfrmPlay::LoopClicks, c.loopClicks);

    ClickOn(form_->btnPlay);
    EXPECT_TRUE(form_->Timer1->Enabled());
    Wait(4000);
    EXPECT_EQ(UfrmPlay::PlayFirst, 4);
    Wait(4000);
    EXPECT_EQ(UfrmPlay::PlayFirst, c.loops ? 0 : 4);
    EXPECT_EQ(form_->Timer1->Enabled(), c.loops);
    Wait(1000);
    ExpectPage(c.loops ? 0 : 4, 5);
  }
}

// The loop buttons keep their state between showings while the click count starts again, so the first
// click of a new showing must still switch looping, whichever state the last showing left.
TEST_F(PlayWindow, EveryClickSwitchesLoopingAlsoAfterShowingAgain) {
  ShowWith(5);
  const int clicks[] = {2, 1, 2};
  const bool expected[] = {false, true, false, true, false};
  int step = 0;
  for (int showing = 0; showing < 3; ++showing) {
    SCOPED_TRACE(showing);
    if (showing > 0) form_->Setup(list_.get());
    EXPECT_EQ(UfrmPlay::LoopClicks, 0);
    // The second showing starts with looping on, the third with looping off.
    for (int i = 0; i < clicks[showing]; ++i, ++step) {
      const bool before = form_->btnLoop->Down();
      ClickOn(form_->btnLoop);
      EXPECT_NE(form_->btnLoop->Down(), before) << "click " << step;
      EXPECT_NE(form_->btnNoLoop->Down(), form_->btnLoop->Down());
      EXPECT_EQ(form_->btnLoop->Down(), expected[step]) << "click " << step;
    }
  }
  // Looping is off now: the show stops at its end.
  ClickOn(form_->btnPlay);
  Wait(8000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 4);
  EXPECT_FALSE(form_->Timer1->Enabled());
}

TEST_F(PlayWindow, PlayDuringPlayPausesAndThenRestartsFromTheFirstPage) {
  ShowWith(9);
  ClickOn(form_->btnPlay);
  Wait(4000);
  ASSERT_EQ(UfrmPlay::PlayFirst, 4);

  ClickOn(form_->btnPlay);  // pause
  EXPECT_FALSE(form_->Timer1->Enabled());
  Wait(12000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 4);
  ExpectPage(4, 9);

  ClickOn(form_->btnPlay);  // play again, from the start
  EXPECT_TRUE(form_->Timer1->Enabled());
  EXPECT_EQ(UfrmPlay::PlayFirst, 0);
  // Back on the first page there is nothing before it.
  EXPECT_FALSE(form_->btnPrevious->Enabled());
  Wait(1000);
  ExpectPage(0, 9);
  Wait(3000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 4);
}

TEST_F(PlayWindow, NextAndPreviousStopPlay) {
  ShowWith(12);
  ClickOn(form_->btnPlay);
  Wait(4000);
  ASSERT_EQ(UfrmPlay::PlayFirst, 4);

  ClickOn(form_->btnNext);
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_EQ(UfrmPlay::PlayFirst, 8);
  Wait(20000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 8);

  ClickOn(form_->btnPlay);
  Wait(4000);
  ASSERT_EQ(UfrmPlay::PlayFirst, 4);
  ClickOn(form_->btnPrevious);
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_EQ(UfrmPlay::PlayFirst, 0);
  Wait(20000);
  EXPECT_EQ(UfrmPlay::PlayFirst, 0);
  ExpectPage(0, 12);
}

TEST_F(PlayWindow, AFadeRunsTenTicksFromTheBackgroundToThePicture) {
  ShowWith(5);
  ClickOn(form_->btnNext);
  ASSERT_TRUE(form_->TimerFade->Enabled());
  COLORREF previous = CellCentre(0);
  EXPECT_TRUE(Near(previous, PictureColours[0], 2));  // the old page until the first tick
  const COLORREF target = PictureColours[4];
  for (int tick = 1; tick <= 10; ++tick) {
    SCOPED_TRACE(tick);
    Wait(100);
    const COLORREF now = CellCentre(0);
    if (tick < 10) {
      EXPECT_TRUE(form_->TimerFade->Enabled());
      EXPECT_NEAR(UfrmPlay::PlayFadeAlpha, 0.0001 + 0.1 * tick, 1e-4);
      // Each tick is the picture at the tick's opacity over the light blue cell.
      const double a = UfrmPlay::PlayFadeAlpha;
      const COLORREF blend = RGB(int(GetRValue(target) * a + GetRValue(LightBlue) * (1 - a) + 0.5),
                                 int(GetGValue(target) * a + GetGValue(LightBlue) * (1 - a) + 0.5),
                                 int(GetBValue(target) * a + GetBValue(LightBlue) * (1 - a) + 0.5));
      EXPECT_TRUE(Near(now, blend, 3)) << std::hex << now << " vs " << blend;
      EXPECT_TRUE(Near(CellCentre(1), LightBlue, 1));
    } else {
      EXPECT_FALSE(form_->TimerFade->Enabled());
      EXPECT_LT(UfrmPlay::PlayFadeAlpha, 0);
      EXPECT_TRUE(Near(now, target, 2));
    }
    previous = now;
  }
}

TEST_F(PlayWindow, MidFadeScreenshotOfShippedPictures) {
  for (const char* name : {"Models/1.png", "Models/2.png", "Resources/PreviewModel1.png",
                           "Resources/PreviewModel2.png", "Models/1.png"}) {
    const std::string path = ExePath + name;
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromFile(std::u16string(path.begin(), path.end()).c_str(), &bitmap);
    list_->Add(bitmap);
  }
  UINT w = 0, h = 0;
  GdipGetImageWidth(ListBitmap(list_.get(), 0), &w);
  GdipGetImageHeight(ListBitmap(list_.get(), 0), &h);
  ASSERT_GT(w * h, 0u) << "the shipped pictures are missing beside the test";
  form_->Setup(list_.get());
  form_->Show();
  win::PumpMessages();
  ClickOn(form_->btnPlay);
  Wait(500);
  EXPECT_NEAR(UfrmPlay::PlayFadeAlpha, 0.5001, 1e-4);
  // Half-way: the cells are neither the light blue background nor the pictures yet.
  EXPECT_FALSE(Near(CellCentre(0), LightBlue, 8));
  EXPECT_TRUE(win::SaveWindowPng(form_->Handle(), win::ArtifactPath("slideshow-midfade.png")));
}

TEST_F(PlayWindow, ExitClosesTheModalShowAndStopsPlay) {
  AddPictures(6);
  form_->Setup(list_.get());
  int idle = 0;
  Application->OnIdle = [&](TObject*, bool& done) {
    done = true;
    ++idle;
    if (idle == 1) {
      ClickOn(form_->btnPlay);
    } else if (idle == 2) {
      Wait(4500);
      EXPECT_EQ(UfrmPlay::PlayFirst, 4);
      ClickOn(form_->btnExit);
    } else if (idle > 50) {
      ADD_FAILURE() << "the show did not close";
      form_->SetModalResult(mrAbort);
    }
  };
  form_->ShowModal();
  Application->OnIdle = nullptr;
  EXPECT_FALSE(form_->Visible());
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_TRUE(form_->TimerFade->Enabled());  // the fade of the last advance runs to its end

  // Showing it again starts stopped on the first page, without a fade.
  form_->Setup(list_.get());
  EXPECT_FALSE(form_->TimerFade->Enabled());
  EXPECT_LT(UfrmPlay::PlayFadeAlpha, 0);
  EXPECT_EQ(UfrmPlay::PlayFirst, 0);
  EXPECT_EQ(UfrmPlay::LoopClicks, 0);
  EXPECT_TRUE(form_->btnNext->Enabled());
  EXPECT_FALSE(form_->btnPrevious->Enabled());
}

}  // namespace
