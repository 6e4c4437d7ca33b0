// The print layout window driven as a user would: clicks, drags and keys through the queue, the
// scripted dialog service for the font, save and print dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/app/window_fixture.h"
#include "app/Communal.h"
#include "app/UfrmPrint.h"
#include "platform/printers/printers.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"

namespace {

namespace fs = std::filesystem;

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF TealPixel = RGB(0x00, 0x80, 0x80);
// One solid colour per picture, as RGB.
constexpr COLORREF PictureColours[] = {RGB(200, 30, 30), RGB(30, 160, 40), RGB(40, 40, 190), RGB(210, 180, 20),
                                       RGB(150, 20, 160), RGB(20, 150, 150)};

bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

ARGB Argb(COLORREF c) { return MakeARGB(255, GetRValue(c), GetGValue(c), GetBValue(c)); }

// A picture whose pixel (x, y) is Pixel(x, y).
GpBitmap* MakePicture(int w, int h, const std::function<ARGB(int, int)>& Pixel) {
  std::vector<std::uint32_t> pixels(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels[size_t(y) * w + x] = Pixel(x, y);
  GpBitmap* bitmap = nullptr;
  GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(pixels.data()), &bitmap);
  return bitmap;
}

int PdfPageCount(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string data = ss.str();
  int count = 0;
  for (size_t at = data.find("/Type /Page"); at != std::string::npos; at = data.find("/Type /Page", at + 1))
    if (at + 11 >= data.size() || data[at + 11] != 's') ++count;
  return count;
}

class PrintWindow : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    StartPlatform();
    GraphicsUnit::Initialize();
    dir_ = fs::temp_directory_path() / ("tressora_print_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "Frames");
    MakeFrames(4);
    ExePath = dir_.string() + "/";
    oldPrinter_ = SetPrinter(std::make_unique<TPrinter>());
    UfrmPrint::Initialize();
    form_ = std::make_unique<TfrmPrint>(nullptr);
    form_->AfterConstruction();
    frmPrint = form_.get();
    list_ = std::make_unique<TList>();
  }

  void TearDown() override {
    form_.reset();
    UfrmPrint::Finalize();
    FreeListAndItems(list_);
    SetPrinter(std::move(oldPrinter_));
    StopPlatform(expectMessage_);
    fs::remove_all(dir_);
  }

  // Frames as the program ships them: a border around a transparent opening. Frame i has a solid
  // outer band of one colour, a lighter inner band, a white line and dark corner squares.
  void MakeFrames(int count) {
    CLSID png;
    ASSERT_TRUE(FindEncoder(u"image/png", png));
    for (int i = 0; i < count; ++i) {
      const COLORREF c = PictureColours[(i + 3) % 6];
      auto mix = [&](double t) {  // t = 0: the colour, 1: white
        return MakeARGB(255, BYTE(GetRValue(c) + (255 - GetRValue(c)) * t), BYTE(GetGValue(c) + (255 - GetGValue(c)) * t),
                        BYTE(GetBValue(c) + (255 - GetBValue(c)) * t));
      };
      GpBitmap* frame = MakePicture(309, 355, [&](int x, int y) -> ARGB {
        const int d = std::min(std::min(x, y), std::min(308 - x, 354 - y));  // distance from the edge
        const int cx = std::min(x, 308 - x), cy = std::min(y, 354 - y);
        if (cx >= 16 && cx < 30 && cy >= 16 && cy < 30) return MakeARGB(255, GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2);
        if (d < 8) return mix(0);
        if (d < 15) return mix((d - 7) / 10.0);
        if (d < 17) return 0xFFFFFFFF;
        return 0;
      });
      const std::u16string name = Utf8ToUtf16((dir_ / "Frames" / Format("%.2d.png", i + 1)).string());
      ASSERT_EQ(GdipSaveImageToFile(frame, name.c_str(), &png, nullptr), Ok);
      GdipDisposeImage(frame);
    }
  }

  // Solid pictures larger than the editor, so that each fills it.
  void AddPictures(int count) {
    for (int i = 0; i < count; ++i) {
      const ARGB c = Argb(PictureColours[list_->Count() % 6]);
      list_->Add(MakePicture(400, 400, [c](int, int) { return c; }));
    }
  }

  void ShowWith(int count) {
    AddPictures(count);
    form_->Setup(list_.get());
    form_->Show();
    win::PumpMessages();
  }

  void ClickAt(TControl* control, int x, int y) {
    const TPoint p = control->ClientToScreen(TPoint(x, y));
    win::Click(p.X, p.Y);
    win::PumpMessages();
  }
  void ClickOn(TControl* control) { ClickAt(control, control->Width() / 2, control->Height() / 2); }

  void Drag(TControl* control, TPoint from, TPoint to) {
    const TPoint a = control->ClientToScreen(from), b = control->ClientToScreen(to);
    win::InjectMouse(a.X, a.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
    win::InjectMouse(b.X, b.Y, WM_MOUSEMOVE, MK_LBUTTON);
    win::PumpMessages();
    win::InjectMouse(b.X, b.Y, WM_LBUTTONUP);
    win::PumpMessages();
  }

  // A pixel of a control as the window shows it.
  COLORREF PixelOf(TControl* control, int x, int y) {
    const TPoint screen = control->ClientToScreen(TPoint(x, y));
    POINT p{screen.X, screen.Y};
    ScreenToClient(form_->Handle(), &p);
    return win::GetWindowPixel(form_->Handle(), p.x, p.y);
  }

  // Puts each collection picture of `pictures` in the editor and adds it to the page.
  void AddToPage(const std::vector<int>& pictures) {
    for (int i : pictures) {
      SelectPicture(i);
      ClickOn(form_->btnAddToPrint);
    }
  }
  // Scrolls the collection column to picture i and clicks it.
  void SelectPicture(int i) {
    while (i < form_->PrintCollectionFirst) ClickOn(form_->btnCollectionUp);
    while (i > form_->PrintCollectionFirst + 2) ClickOn(form_->btnCollectionDown);
    ClickOn(form_->CollectionImages[i - form_->PrintCollectionFirst]);
  }

  // Chooses an effect with the keyboard, as a user does in the closed drop-down list.
  void ChooseEffect(int index) {
    form_->cboEffect->SetFocus();
    win::PumpMessages();
    while (form_->cboEffect->ItemIndex() != index) {
      const UINT key = form_->cboEffect->ItemIndex() < index ? VK_DOWN : VK_UP;
      win::InjectKey(WM_KEYDOWN, key);
      win::InjectKey(WM_KEYUP, key);
      win::PumpMessages();
    }
  }

  ARGB CopyPixel(int x, int y) {
    ARGB c = 0;
    GdipBitmapGetPixel(form_->PortraitCopy, x, y, &c);
    return c & 0xFFFFFF;
  }

  fs::path dir_;
  std::unique_ptr<TPrinter> oldPrinter_;
  std::unique_ptr<TfrmPrint> form_;
  std::unique_ptr<TList> list_;
  bool expectMessage_ = false;
};

TEST_F(PrintWindow, LayoutOfTheWindow) {
  EXPECT_EQ(form_->Caption(), "Print");
  EXPECT_EQ(form_->ClientWidth(), 904);
  EXPECT_EQ(form_->ClientHeight(), 453);
  EXPECT_EQ(form_->BorderStyle(), bsDialog);
  EXPECT_EQ(form_->Position(), poDesktopCenter);
  for (TImage* image : {form_->imgMain, form_->imgPrint}) {
    EXPECT_EQ(image->Width(), 309);
    EXPECT_EQ(image->Height(), 355);
  }
  for (int i = 0; i < 3; ++i)
    for (TImage* cell : {form_->CollectionImages[i], form_->FrameImages[i]}) {
      EXPECT_EQ(cell->Width(), 119);
      EXPECT_EQ(cell->Height(), 126);
      EXPECT_EQ(cell->Tag(), i);
    }
  EXPECT_EQ(form_->imgMain->Cursor(), crSizeAll);
  EXPECT_EQ(form_->btnZoomOut->Caption(), "+");
  EXPECT_EQ(form_->btnZoomIn->Caption(), "-");
  EXPECT_EQ(form_->cboEffect->Items()->Count(), 3);
  EXPECT_EQ(form_->cboEffect->Items()->Strings(0), "无\r\n\n");
  EXPECT_EQ(form_->cboEffect->Items()->Strings(1), "浮雕");
  EXPECT_EQ(form_->cboEffect->Items()->Strings(2), "灰度");
  EXPECT_EQ(form_->SaveDialog->Filter(), "*.bmp|*.bmp");
  EXPECT_TRUE(form_->rdoSinglePage->Checked());
  EXPECT_EQ(form_->imgMain->Canvas()->Font()->Name(), "Tahoma");
  // The frame list is read from the Frames folder when the window is made.
  EXPECT_EQ(form_->FrameFiles->Count(), 4);
}

TEST_F(PrintWindow, OpensOnTheFirstPictureWithAWorkingCopy) {
  AddPictures(1);
  list_->Add(MakePicture(120, 90, [](int, int) { return Argb(PictureColours[5]); }));
  // Reopening after work on another picture starts afresh on the first one.
  form_->Setup(list_.get());
  form_->Show();
  win::PumpMessages();
  ClickOn(form_->imgCollection2);
  ClickOn(form_->btnZoomOut);
  form_->Setup(list_.get());
  win::PumpMessages();
  EXPECT_EQ(form_->SelectedPortrait, 0);
  ASSERT_NE(form_->PortraitCopy, nullptr);
  EXPECT_NE(form_->PortraitCopy, ListBitmap(list_.get(), 0));
  EXPECT_EQ(form_->PortraitX, 0);
  EXPECT_EQ(form_->PortraitY, 0);
  EXPECT_EQ(form_->PortraitWidth, 400);
  EXPECT_EQ(form_->PortraitHeight, 400);
  EXPECT_TRUE(Near(PixelOf(form_->imgMain, 150, 150), PictureColours[0]));
  // Zoom acts on that copy at once.
  ClickOn(form_->btnZoomIn);
  EXPECT_EQ(form_->PortraitWidth, 381);
}

TEST_F(PrintWindow, ZoomOutStopsAtTwentyZoomInHasNoLimit) {
  struct Case { int w, h; const char* button; int clicks; int expectW, expectH; };
  const Case cases[] = {
      {30, 25, "-", 10, 25, 20},   // 29x24, 28x23, 27x22, 26x21, 25x20, then stops
      {100, 21, "-", 5, 95, 20},   // the height reaches 20 first
      {21, 21, "-", 3, 20, 20},
      {20, 300, "-", 4, 20, 300},  // already at the limit: nothing changes
      {10, 30, "+", 1, 10, 32},    // 10.5 and 31.5 round half to even
      {20, 20, "+", 3, 23, 23},    // 21, 22.05 -> 22, 23.1 -> 23
  };
  ShowWith(0);
  for (const Case& c : cases) {
    FreeListAndItems(list_);
    list_ = std::make_unique<TList>();
    list_->Add(MakePicture(c.w, c.h, [](int, int) { return Argb(PictureColours[1]); }));
    form_->Setup(list_.get());
    TButton* button = std::string(c.button) == "+" ? form_->btnZoomOut : form_->btnZoomIn;
    for (int i = 0; i < c.clicks; ++i) ClickOn(button);
    EXPECT_EQ(form_->PortraitWidth, c.expectW) << c.w << "x" << c.h << " " << c.button;
    EXPECT_EQ(form_->PortraitHeight, c.expectH) << c.w << "x" << c.h << " " << c.button;
    EXPECT_EQ(form_->PortraitX, 0);
  }
}

TEST_F(PrintWindow, SelectingAPictureAgainResetsPositionAndSize) {
  ShowWith(2);
  const struct { TImage* cell; int expectIndex; } cases[] = {{form_->imgCollection1, 0}, {form_->imgCollection2, 1},
                                                            {form_->imgCollection2, 1}};
  for (const auto& c : cases) {
    Drag(form_->imgMain, TPoint(100, 100), TPoint(130, 80));
    ClickOn(form_->btnZoomIn);
    EXPECT_EQ(form_->PortraitX, 30);
    EXPECT_EQ(form_->PortraitY, -20);
    EXPECT_EQ(form_->PortraitWidth, 381);
    ClickOn(c.cell);
    EXPECT_EQ(form_->SelectedPortrait, c.expectIndex);
    EXPECT_EQ(form_->PortraitX, 0);
    EXPECT_EQ(form_->PortraitY, 0);
    EXPECT_EQ(form_->PortraitWidth, 400);
    EXPECT_EQ(form_->PortraitHeight, 400);
    EXPECT_TRUE(Near(PixelOf(form_->imgMain, 5, 300), PictureColours[c.expectIndex]));
  }
  // The empty third cell leaves the editor without a picture; drag and zoom then do nothing.
  ClickOn(form_->imgCollection3);
  EXPECT_EQ(form_->SelectedPortrait, -1);
  EXPECT_EQ(form_->PortraitCopy, nullptr);
  Drag(form_->imgMain, TPoint(100, 100), TPoint(130, 80));
  ClickOn(form_->btnZoomOut);
  EXPECT_TRUE(Near(PixelOf(form_->imgMain, 150, 150), RGB(0xAD, 0xD8, 0xE6)));
}

TEST_F(PrintWindow, LayoutsShowTheirPictures) {
  const int W = 309, H = 355;
  // Sample points well inside each cell of a layout.
  auto centre = [&](int n, int cell) { return TPoint((2 * (cell % n) + 1) * W / (2 * n), (2 * (cell / n) + 1) * H / (2 * n)); };
  struct Case { int pictures; TRadioButton* TfrmPrint::*layout; int n; };
  const Case cases[] = {{5, &TfrmPrint::rdo4Pages, 2}, {3, &TfrmPrint::rdo4Pages, 2}, {5, &TfrmPrint::rdo9Pages, 3},
                        {6, &TfrmPrint::rdo9Pages, 3}};
  ShowWith(6);
  for (const Case& c : cases) {
    ClickOn(form_->btnClear);
    std::vector<int> order;
    for (int i = 0; i < c.pictures; ++i) order.push_back(i);
    AddToPage(order);
    ClickOn(form_.get()->*c.layout);
    for (int cell = 0; cell < c.n * c.n; ++cell) {
      const TPoint p = centre(c.n, cell);
      const COLORREF expected = cell < c.pictures ? PictureColours[cell] : White;
      EXPECT_TRUE(Near(PixelOf(form_->imgPrint, p.X, p.Y), expected))
          << c.pictures << " pictures, layout " << c.n << ", cell " << cell;
    }
    // The red separators are drawn first, so they show where two empty cells meet.
    if (c.n == 3) {
      EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 205, 300), RGB(255, 0, 0)));
      EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 206, 300), RGB(255, 0, 0)));
      EXPECT_EQ(PixelOf(form_->imgPrint, 203, 300), White);
    }
    // 单张 shows the last picture added over the whole page.
    ClickOn(form_->rdoSinglePage);
    EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 20, 20), PictureColours[c.pictures - 1]));
    EXPECT_TRUE(Near(PixelOf(form_->imgPrint, W - 20, H - 20), PictureColours[c.pictures - 1]));
  }
}

TEST_F(PrintWindow, ClickingACellSelectsAndHatchesIt) {
  struct Case { TRadioButton* TfrmPrint::*layout; int pictures; TPoint at; int expectCell; TPoint hatchOrigin; };
  const Case cases[] = {
      {&TfrmPrint::rdo4Pages, 3, {40, 40}, 0, {0, 0}},
      {&TfrmPrint::rdo4Pages, 3, {200, 40}, 1, {154, 0}},
      {&TfrmPrint::rdo4Pages, 3, {40, 300}, 2, {0, 177}},
      {&TfrmPrint::rdo4Pages, 3, {200, 300}, -1, {}},  // the empty lower-right cell selects nothing
      {&TfrmPrint::rdo4Pages, 4, {154, 177}, 3, {154, 177}},  // W div 2 and H div 2 belong to the right and bottom
      {&TfrmPrint::rdo9Pages, 5, {110, 120}, 4, {103, 118}},
      {&TfrmPrint::rdo9Pages, 5, {250, 120}, -1, {}},
      {&TfrmPrint::rdoSinglePage, 3, {10, 10}, 2, {0, 0}},   // 单张 always selects the last picture
      {&TfrmPrint::rdoSinglePage, 3, {300, 340}, 2, {0, 0}},
  };
  ShowWith(5);
  for (const Case& c : cases) {
    ClickOn(form_->btnClear);
    std::vector<int> order;
    for (int i = 0; i < c.pictures; ++i) order.push_back(i);
    AddToPage(order);
    ClickOn(form_.get()->*c.layout);
    ClickAt(form_->imgPrint, c.at.X, c.at.Y);
    EXPECT_EQ(form_->SelectedCell, c.expectCell) << "click at " << c.at.X << "," << c.at.Y;
    if (c.expectCell >= 0) {
      // Every second pixel of the cell, from its origin, is teal; the ones between keep the picture.
      const TPoint o = c.hatchOrigin;
      EXPECT_EQ(PixelOf(form_->imgPrint, o.X + 10, o.Y + 10), TealPixel);
      EXPECT_NE(PixelOf(form_->imgPrint, o.X + 11, o.Y + 10), TealPixel);
      EXPECT_NE(PixelOf(form_->imgPrint, o.X + 10, o.Y + 11), TealPixel);
    } else {
      for (int x = 0; x < 309; x += 7)
        for (int y = 0; y < 355; y += 7) ASSERT_NE(PixelOf(form_->imgPrint, x, y), TealPixel) << x << "," << y;
    }
  }
}

// The nine-picture page off its diagonal, where swapping rows and columns would show: a click picks
// row x 3 + column, the hatch lands on that cell, and the cell shows the picture added in that place.
TEST_F(PrintWindow, NinePicturesOffTheDiagonal) {
  ShowWith(6);
  const std::vector<int> order = {0, 1, 2, 3, 4, 5, 0, 1, 2};
  AddToPage(order);
  ClickOn(form_->rdo9Pages);
  struct Case { TPoint at; int cell; TPoint hatch; };
  const Case cases[] = {{{250, 120}, 5, {206, 118}}, {{110, 300}, 7, {103, 236}}, {{20, 250}, 6, {0, 236}},
                        {{300, 20}, 2, {206, 0}}, {{120, 20}, 1, {103, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    ClickAt(form_->imgPrint, c.at.X, c.at.Y);
    ASSERT_EQ(form_->SelectedCell, c.cell);
    EXPECT_EQ(PixelOf(form_->imgPrint, c.hatch.X + 20, c.hatch.Y + 20), TealPixel);
    EXPECT_TRUE(Near(PixelOf(form_->imgPrint, c.hatch.X + 21, c.hatch.Y + 20), PictureColours[order[size_t(c.cell)]]));
    // Nothing else is hatched: the cell in the transposed place keeps its picture.
    const int t = (c.cell % 3) * 3 + c.cell / 3;
    if (t != c.cell) {
      EXPECT_NE(PixelOf(form_->imgPrint, (t % 3) * 103 + 20, (t / 3) * 118 + 20), TealPixel);
    }
  }
}

// The hatch includes both ends: it reaches the first column and row of the neighbouring cells.
TEST_F(PrintWindow, HatchIncludesBothEnds) {
  ShowWith(4);
  AddToPage({0, 1, 2, 3});
  ClickOn(form_->rdo4Pages);
  ClickAt(form_->imgPrint, 10, 10);
  ASSERT_EQ(form_->SelectedCell, 0);
  for (const TPoint p : {TPoint(0, 0), TPoint(154, 0), TPoint(0, 176), TPoint(154, 176)})
    EXPECT_EQ(PixelOf(form_->imgPrint, p.X, p.Y), TealPixel) << p.X << "," << p.Y;
  EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 156, 10), PictureColours[1]));
  EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 10, 178), PictureColours[2]));
  // Another layout keeps the selected cell but hatches it where that layout puts it.
  ClickOn(form_->rdo9Pages);
  EXPECT_EQ(PixelOf(form_->imgPrint, 102, 118), TealPixel);
  EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 150, 10), PictureColours[1]));
}

// 删除 removes the picture under the hatch, never one the layout does not show: a selection that a
// layout change or a new picture hides is dropped.
TEST_F(PrintWindow, ASelectionTheLayoutNoLongerShowsIsDropped) {
  struct Case {
    TRadioButton* TfrmPrint::*from;
    TPoint at;
    int selected;
    TRadioButton* TfrmPrint::*to;  // nullptr: add one more picture instead
    int afterwards;
  };
  const Case cases[] = {
      {&TfrmPrint::rdo4Pages, {40, 300}, 2, &TfrmPrint::rdoSinglePage, -1},  // 单张 shows picture 4 only
      {&TfrmPrint::rdo9Pages, {110, 120}, 4, &TfrmPrint::rdo4Pages, -1},     // 4张组合 shows 0..3
      {&TfrmPrint::rdo4Pages, {200, 40}, 1, &TfrmPrint::rdo9Pages, 1},       // still shown: kept
      {&TfrmPrint::rdoSinglePage, {10, 10}, 4, &TfrmPrint::rdo9Pages, 4},
      {&TfrmPrint::rdoSinglePage, {10, 10}, 4, nullptr, -1},  // the new picture now covers the page
      {&TfrmPrint::rdo4Pages, {40, 40}, 0, nullptr, 0},
  };
  ShowWith(6);
  for (const Case& c : cases) {
    ClickOn(form_->btnClear);
    AddToPage({0, 1, 2, 3, 4});
    ClickOn(form_.get()->*c.from);
    ClickAt(form_->imgPrint, c.at.X, c.at.Y);
    ASSERT_EQ(form_->SelectedCell, c.selected);
    if (c.to)
      ClickOn(form_.get()->*c.to);
    else
      AddToPage({5});
    EXPECT_EQ(form_->SelectedCell, c.afterwards) << "selected " << c.selected;
    const int count = form_->PageList->Count();
    ClickOn(form_->btnDelete);
    EXPECT_EQ(form_->PageList->Count(), c.afterwards == -1 ? count : count - 1);
    if (c.afterwards == -1) {
      for (int x = 0; x < 309; x += 7)
        for (int y = 0; y < 355; y += 7) ASSERT_NE(PixelOf(form_->imgPrint, x, y), TealPixel) << x << "," << y;
    }
  }
}

TEST_F(PrintWindow, DeleteAndClearThePage) {
  ShowWith(4);
  AddToPage({0, 1, 2, 3});
  ClickOn(form_->rdo4Pages);
  ClickOn(form_->btnDelete);  // nothing selected: nothing happens
  EXPECT_EQ(form_->PageList->Count(), 4);
  ClickAt(form_->imgPrint, 200, 40);
  ClickOn(form_->btnDelete);
  EXPECT_EQ(form_->PageList->Count(), 3);
  EXPECT_EQ(form_->SelectedCell, -1);
  // The pictures after the deleted one move up a cell.
  EXPECT_TRUE(Near(PixelOf(form_->imgPrint, 230, 80), PictureColours[2]));
  ClickOn(form_->btnClear);
  EXPECT_EQ(form_->PageList->Count(), 0);
  EXPECT_EQ(PixelOf(form_->imgPrint, 230, 80), White);
}

TEST_F(PrintWindow, EffectsAreComputedFromTheCollectionPicture) {
  const COLORREF uniform = RGB(100, 150, 200);
  // Rows: 0 bright, 1 dark, 2 dark; for the other pictures every pixel is the same.
  auto brightOverDark = [](int, int y) { return y == 0 ? 0xFFFFFFFFu : 0xFF000000u; };
  auto darkOverBright = [](int, int y) { return y == 0 ? 0xFF000000u : 0xFFFFFFFFu; };
  struct Case { std::function<ARGB(int, int)> pixel; int effect; ARGB row0, row1, last; };
  const Case cases[] = {
      {[=](int, int) { return Argb(uniform); }, 1, 0x808080, 0x808080, 0x6496C8},
      {brightOverDark, 1, 0xFFFFFF, 0x808080, 0x000000},  // 255 - 0 + 128 clamps at 255
      {darkOverBright, 1, 0x000000, 0x808080, 0xFFFFFF},  // 0 - 255 + 128 clamps at 0
      {[](int, int) { return 0xFF00FF00u; }, 2, 0x969696, 0x969696, 0x969696},  // green: 150
      {[](int, int) { return 0xFF0000FFu; }, 2, 0x1C1C1C, 0x1C1C1C, 0x1C1C1C},  // blue: 28
      {[](int, int) { return 0xFFFF0000u; }, 2, 0x4C4C4C, 0x4C4C4C, 0x4C4C4C},  // red: 76.5 rounds to 76
      {[=](int, int) { return Argb(uniform); }, 0, 0x6496C8, 0x6496C8, 0x6496C8},
  };
  ShowWith(0);
  for (const Case& c : cases) {
    FreeListAndItems(list_);
    list_ = std::make_unique<TList>();
    list_->Add(MakePicture(40, 3, c.pixel));
    form_->Setup(list_.get());
    win::PumpMessages();
    ClickOn(form_->btnZoomOut);  // the effect keeps the editor's size
    // Another effect first: effects never stack.
    ChooseEffect(c.effect == 1 ? 2 : 1);
    ChooseEffect(c.effect);
    ASSERT_NE(form_->PortraitCopy, nullptr);
    UINT w = 0, h = 0;
    GdipGetImageWidth(form_->PortraitCopy, &w);
    GdipGetImageHeight(form_->PortraitCopy, &h);
    EXPECT_EQ(w, 40u);
    EXPECT_EQ(h, 3u);
    for (int x = 0; x < 40; x += 13) {
      EXPECT_EQ(CopyPixel(x, 0), c.row0) << "effect " << c.effect << " x " << x;
      EXPECT_EQ(CopyPixel(x, 1), c.row1) << "effect " << c.effect << " x " << x;
      EXPECT_EQ(CopyPixel(x, 2), c.last) << "effect " << c.effect << " x " << x;
    }
    EXPECT_EQ(form_->PortraitWidth, 42);
    EXPECT_EQ(form_->PortraitHeight, 3);  // Round(3.15)
    // The collection picture itself is untouched.
    ARGB original = 0;
    GdipBitmapGetPixel(ListBitmap(list_.get(), 0), 0, 0, &original);
    EXPECT_EQ(original, c.pixel(0, 0));
  }
  // Without a picture in the editor only the combo changes.
  ClickOn(form_->imgCollection2);
  ChooseEffect(2);
  EXPECT_EQ(form_->PortraitCopy, nullptr);
}

// The grey effect's weighted sum in extended precision: where a double sum lands on a half the extended
// one lies just beside it, so the rounding goes the other way (0, 5, 5: 3.4999... is 3, not 4).
TEST_F(PrintWindow, GreyRoundsTheExtendedSum) {
  struct Case {
    int r, g, b, grey;
  } cases[] = {{0, 5, 5, 3}, {0, 50, 0, 29}, {0, 45, 45, 32}, {0, 44, 14, 28}, {10, 20, 30, 18}, {255, 255, 255, 255}, {0, 0, 0, 0}};
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(int(std::size(cases)), 1);
  auto* row = static_cast<uint8_t*>(bmp.ScanLine(0));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    row[3 * i] = uint8_t(cases[i].b), row[3 * i + 1] = uint8_t(cases[i].g), row[3 * i + 2] = uint8_t(cases[i].r);
  }
  GreyBitmap(&bmp);
  row = static_cast<uint8_t*>(bmp.ScanLine(0));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(row[3 * i], cases[i].grey);
    EXPECT_EQ(row[3 * i + 1], cases[i].grey);
    EXPECT_EQ(row[3 * i + 2], cases[i].grey);
  }
}

TEST_F(PrintWindow, FontDialogAndTextDrawTheText) {
  ShowWith(0);
  win::FontChoice font;
  font.face = "WenQuanYi Micro Hei";
  font.pointSize = 20;
  font.style = win::kFontBold;
  font.color = RGB(220, 0, 0);
  dialogs_.PushFont(font);
  ClickOn(form_->btnFont);
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].font.face, "Tahoma");  // the dialog starts from the editor's font
  EXPECT_EQ(form_->imgMain->Canvas()->Font()->Size(), 20);
  ClickOn(form_->editText);
  win::InjectChar("美发 Hair");
  win::PumpMessages();
  EXPECT_EQ(form_->editText->Text(), "美发 Hair");
  int red = 0;
  for (int y = 5; y < 45; ++y)
    for (int x = 5; x < 200; ++x)
      if (Near(PixelOf(form_->imgMain, x, y), RGB(220, 0, 0), 20)) ++red;
  EXPECT_GT(red, 40) << "the text is drawn in the chosen colour near (5, 5)";
  // A cancelled dialog keeps the font.
  dialogs_.PushCancel();
  ClickOn(form_->btnFont);
  EXPECT_EQ(form_->imgMain->Canvas()->Font()->Size(), 20);
}

TEST_F(PrintWindow, FramesAreChosenFromTheColumn) {
  ShowWith(1);
  ClickOn(form_->imgFrame2);
  EXPECT_EQ(form_->SelectedFrame, 1);
  ASSERT_NE(form_->FrameBitmap, nullptr);
  // The frame lies over the picture; its opening shows the picture.
  EXPECT_TRUE(Near(PixelOf(form_->imgMain, 5, 5), PictureColours[4]));
  EXPECT_TRUE(Near(PixelOf(form_->imgMain, 150, 150), PictureColours[0]));
  // Scrolling the column stops with the last frame in the last cell.
  for (int i = 0; i < 3; ++i) ClickOn(form_->btnFrameDown);
  EXPECT_EQ(form_->FrameFirst, 1);
  ClickOn(form_->imgFrame3);
  EXPECT_EQ(form_->SelectedFrame, 3);
  for (int i = 0; i < 3; ++i) ClickOn(form_->btnFrameUp);
  EXPECT_EQ(form_->FrameFirst, 0);
}

// Frame files that are not pictures show and lay nothing, and break nothing.
TEST_F(PrintWindow, UnreadableFramesDrawNothing) {
  {
    std::ofstream(dir_ / "Frames" / "00.png", std::ios::binary) << "not a picture";
    std::ifstream whole(dir_ / "Frames" / "01.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::ofstream(dir_ / "Frames" / "000.png", std::ios::binary) << bytes.substr(0, bytes.size() / 3);
  }
  form_->LoadFrames();
  ShowWith(1);
  ASSERT_EQ(form_->FrameFiles->Count(), 6);
  for (TImage* cell : {form_->imgFrame1, form_->imgFrame2})
    EXPECT_EQ(PixelOf(cell, 60, 63), RGB(0xAD, 0xD8, 0xE6));
  for (TImage* cell : {form_->imgFrame1, form_->imgFrame2}) {
    ClickOn(cell);
    EXPECT_TRUE(Near(PixelOf(form_->imgMain, 5, 5), PictureColours[0]));
  }
  ClickOn(form_->btnAddToPrint);
  EXPECT_EQ(form_->PageList->Count(), 1);
}

TEST_F(PrintWindow, CollectionColumnScrollsWithinTheList) {
  ShowWith(5);
  for (int i = 0; i < 4; ++i) ClickOn(form_->btnCollectionDown);
  EXPECT_EQ(form_->PrintCollectionFirst, 2);
  EXPECT_TRUE(Near(PixelOf(form_->imgCollection3, 60, 63), PictureColours[4]));
  ClickOn(form_->imgCollection1);
  EXPECT_EQ(form_->SelectedPortrait, 2);
  ClickOn(form_->btnCollectionUp);
  EXPECT_EQ(form_->PrintCollectionFirst, 1);
}

TEST_F(PrintWindow, SaveAppendsBmpAndReportsAFileThatCannotBeWritten) {
  ShowWith(2);
  AddToPage({0, 1});
  ClickOn(form_->rdo4Pages);
  const std::string name = (dir_ / "page").string();
  dialogs_.PushFile(name);
  ClickOn(form_->btnSave);
  ASSERT_EQ(dialogs_.Requests().back().kind, win::DialogKind::SaveFile);
  EXPECT_EQ(dialogs_.Requests().back().file.filter, "*.bmp|*.bmp");
  ASSERT_TRUE(fs::exists(name + ".bmp"));
  TBitmap saved;
  saved.LoadFromFile(name + ".bmp");
  EXPECT_EQ(saved.Width(), 309);
  EXPECT_EQ(saved.Height(), 355);
  for (const TPoint p : {TPoint(40, 40), TPoint(230, 40), TPoint(40, 300), TPoint(154, 100)})
    EXPECT_EQ(ColorToRGB(saved.Canvas()->Pixels(p.X, p.Y)), TColor(PixelOf(form_->imgPrint, p.X, p.Y)));

  // No silent loss: the name that could not be written is shown.
  expectMessage_ = true;
  const std::string bad = (dir_ / "missing" / "page").string();
  dialogs_.PushFile(bad);
  ClickOn(form_->btnSave);
  const std::vector<std::string> texts = dialogs_.MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "无法保存文件：" + bad + ".bmp\n文件夹不存在。");
  // A cancelled dialog writes nothing.
  dialogs_.PushCancel();
  ClickOn(form_->btnSave);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);  // Frames, page.bmp
}

// The page is saved under the save dialog's name when it already ends in ".bmp" in any case, and with
// ".bmp" appended otherwise.
TEST_F(PrintWindow, SaveAppendsBmpOnlyToANameWithoutIt) {
  ShowWith(1);
  AddToPage({0});
  struct Case { const char* chosen; const char* written; };
  const Case cases[] = {{"page.bmp", "page.bmp"}, {"page.BMP", "page.BMP"}, {"page.bmP", "page.bmP"},
                        {"page", "page.bmp"},     {"page.png", "page.png.bmp"}, {"page_bmp", "page_bmp.bmp"}};
  int i = 0;
  for (const Case& c : cases) {
    const fs::path dir = dir_ / ("save" + std::to_string(i++));
    fs::create_directories(dir);
    dialogs_.PushFile((dir / c.chosen).string());
    ClickOn(form_->btnSave);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{c.written}) << c.chosen;
    TBitmap saved;
    saved.LoadFromFile((dir / c.written).string());
    EXPECT_EQ(saved.Width(), 309) << c.chosen;
    EXPECT_EQ(saved.Height(), 355) << c.chosen;
  }
  EXPECT_EQ(dialogs_.Requests().back().kind, win::DialogKind::SaveFile);
}

TEST_F(PrintWindow, PrintWritesOneDocumentOfOnePage) {
  ShowWith(4);
  AddToPage({0, 1, 2, 3});
  ClickOn(form_->rdo4Pages);
  const std::string pdf = (dir_ / "page.pdf").string();
  Printer()->SetOutputFileName(pdf);
  dialogs_.PushCancel();
  ClickOn(form_->btnPrint);
  EXPECT_FALSE(fs::exists(pdf)) << "a cancelled print dialog prints nothing";
  win::PrintOptions options;
  dialogs_.PushPrint(options);
  ClickOn(form_->btnPrint);
  EXPECT_EQ(dialogs_.Requests().back().kind, win::DialogKind::Print);
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(PdfPageCount(pdf), 1);
  EXPECT_FALSE(Printer()->Printing());
  if (std::system("command -v pdfinfo >/dev/null 2>&1") == 0) {
    const std::string cmd = "pdfinfo '" + pdf + "' | grep -q '^Pages: *1$'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
}

// The printed page fills the printable area's width and keeps its proportions. Rendered back from the
// print-to-file printer at the printer's resolution, the page's block is as wide as the printable area,
// its height is 355/309 of its width (about 1.149), and each picture is where the window shows it, at the
// same place scaled.
TEST_F(PrintWindow, PrintStretchesThePageToThePrintableWidthKeepingItsProportions) {
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  ShowWith(4);
  AddToPage({0, 1, 2, 3});
  ClickOn(form_->rdo4Pages);
  const std::string pdf = (dir_ / "scaled.pdf").string();
  Printer()->SetOutputFileName(pdf);
  dialogs_.PushPrint(win::PrintOptions());
  ClickOn(form_->btnPrint);
  ASSERT_TRUE(fs::exists(pdf));
  const int printableWidth = Printer()->PageWidth(), printableHeight = Printer()->PageHeight();

  const std::string out = (dir_ / "scaled").string();
  const std::string cmd = "pdftoppm -r 300 -singlefile '" + pdf + "' '" + out + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  fs::copy_file(pdf, win::ArtifactPath("printed_page.pdf"), fs::copy_options::overwrite_existing);  // to look at
  std::ifstream in(out + ".ppm", std::ios::binary);
  std::string magic;
  int pw = 0, ph = 0, maxv = 0;
  in >> magic >> pw >> ph >> maxv;
  in.get();
  ASSERT_EQ(magic, "P6");
  const std::string pixels((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(pixels.size(), size_t(pw) * ph * 3);
  auto rendered = [&](int x, int y) {
    const auto* p = reinterpret_cast<const unsigned char*>(&pixels[(size_t(y) * pw + x) * 3]);
    return RGB(p[0], p[1], p[2]);
  };
  auto paper = [&](int x, int y) { return Near(rendered(x, y), White, 20); };
  int left = pw, right = -1, top = ph, bottom = -1;
  for (int y = 0; y < ph; ++y)
    for (int x = 0; x < pw; ++x)
      if (!paper(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, 0) << "nothing printed";
  const int width = right - left + 1, height = bottom - top + 1;
  EXPECT_NEAR(width, printableWidth, 2);
  EXPECT_NEAR(double(height) / width, 355.0 / 309.0, 0.002);
  EXPECT_LE(height, printableHeight + 2);
  // The centres of the four cells, and points near the page's corners.
  for (const TPoint p : {TPoint(77, 88), TPoint(231, 88), TPoint(77, 266), TPoint(231, 266), TPoint(6, 6),
                         TPoint(302, 348)}) {
    const int x = left + p.X * width / 309, y = top + p.Y * height / 355;
    EXPECT_TRUE(Near(rendered(x, y), PixelOf(form_->imgPrint, p.X, p.Y), 12))
        << "window (" << p.X << ", " << p.Y << ") printed at (" << x << ", " << y << "): " << std::hex
        << rendered(x, y) << " for " << PixelOf(form_->imgPrint, p.X, p.Y);
  }
}

TEST_F(PrintWindow, CancelClosesTheWindowAndFreesThePage) {
  ShowWith(1);
  AddToPage({0});
  ClickOn(form_->btnCancel);
  EXPECT_FALSE(form_->Visible());
  EXPECT_EQ(form_->PageList, nullptr);
  // The working copy survives closing.
  EXPECT_NE(form_->PortraitCopy, nullptr);
}

TEST_F(PrintWindow, ScreenshotWithAFourPicturePageAFrameAndText) {
  // Portraits from the shipped pictures (each twice) when they are there, solid pictures otherwise.
  const std::string models = ExecutableFolder() + "Models/";
  for (const char* name : {"1.png", "2.png", "2.png", "1.png"}) {
    if (!fs::exists(models + name)) continue;
    GpBitmap* b = nullptr;
    const std::u16string wide = Utf8ToUtf16(models + name);
    if (GdipCreateBitmapFromFile(wide.c_str(), &b) == Ok) {
      list_->Add(b);
    } else if (b) {
      GdipDisposeImage(b);
    }
  }
  AddPictures(4 - std::min(list_->Count(), 4));
  form_->Setup(list_.get());
  form_->Show();
  win::PumpMessages();
  // Four framed pictures, each with its own effect and a caption.
  const int effects[4] = {0, 2, 1, 0};
  win::FontChoice font;
  font.face = "WenQuanYi Micro Hei";
  font.pointSize = 16;
  font.style = win::kFontBold;
  font.color = RGB(200, 20, 60);
  dialogs_.PushFont(font);
  ClickOn(form_->btnFont);
  ClickOn(form_->editText);
  win::InjectChar("我的新发型");
  win::PumpMessages();
  for (int i = 0; i < 4; ++i) {
    SelectPicture(i);
    // Shrink the big portrait until it fits the editor, then centre it by dragging.
    while (form_->PortraitWidth > 270 || form_->PortraitHeight > 320) ClickOn(form_->btnZoomIn);
    Drag(form_->imgMain, TPoint(10, 10),
         TPoint(10 + (309 - form_->PortraitWidth) / 2, 10 + (355 - form_->PortraitHeight) / 2));
    ChooseEffect(effects[i]);
    ClickOn(form_->FrameImages[i % 3]);
    ClickOn(form_->btnAddToPrint);
  }
  ClickOn(form_->rdo4Pages);
  ClickAt(form_->imgPrint, 230, 260);
  EXPECT_EQ(form_->SelectedCell, 3);
  const std::string path = win::ArtifactPath("print_window.png");
  ASSERT_TRUE(win::SaveWindowPng(form_->Handle(), path));
  EXPECT_TRUE(fs::exists(path));
}

}  // namespace
