// Pens, brushes, shadows, gradients and fonts: defaults that write nothing, round trips of changed
// settings, own defaults, change notification and assignment; the canvas unit's platform probes.
#include "chart/ChartFilters.h"
#include "tests/chartengine/engine_fixture.h"

namespace {

struct Counter {
  int Count = 0;
  TObject* Last = nullptr;
  TNotifyEvent Handler() {
    return [this](TObject* S) {
      ++Count;
      Last = S;
    };
  }
};

TEST(ChartSettings, FreshObjectsOfEveryFamilyWriteNothing) {
  TChartPen pen;
  TChartHiddenPen hidden;
  TDottedGrayPen dotted;
  TDarkGrayPen dark;
  TChartBrush brush;
  TChartShadow shadow;
  TChartGradient gradient;
  TSubGradient sub;
  TChartFontGradient fontGradient;
  TChartFont font;
  TBackImage back;
  TChartShape shape(nullptr);
  for (TPersistent* p : std::initializer_list<TPersistent*>{&pen, &hidden, &dotted, &dark, &brush, &shadow, &gradient,
                                                            &sub, &fontGradient, &font, &back, &shape})
    EXPECT_FALSE(WritesItem(StreamOf(p))) << p->ClassName() << ": " << Text(StreamOf(p));
  // Reading a sub-object's settings must not have made its lazily made parts.
  EXPECT_FALSE(brush.HasImage());
  EXPECT_FALSE(gradient.HasSubGradient());
  EXPECT_FALSE(font.HasGradient() || font.HasOutLine() || font.HasPicture() || font.HasShadow());
  EXPECT_FALSE(shape.HasGradient() || shape.HasPicture());
  // The white pen always writes its visibility.
  TWhitePen white;
  EXPECT_NE(Text(StreamOf(&white)).find("Item.Visible"), std::string::npos);
}

TEST(ChartSettings, PensRoundTripAndKeepTheirOwnDefaults) {
  TChartPen a;
  a.SetColor(clRed);
  a.SetWidth(3);
  a.SetStyle(psDashDot);
  a.SetEndStyle(esFlat);
  a.SetSmallDots(true);
  a.SetSmallSpace(2);
  a.SetVisible(false);
  TChartPen b;
  ReadInto(StreamOf(&a), &b);
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Style(), psDashDot);
  EXPECT_EQ(b.EndStyle(), esFlat);
  EXPECT_TRUE(b.SmallDots());
  EXPECT_EQ(b.SmallSpace(), 2);
  EXPECT_FALSE(b.Visible());
  EXPECT_EQ(StreamOf(&a), StreamOf(&b));

  // A hidden pen made visible writes Visible True; the grey pens keep their colour unwritten.
  TChartHiddenPen h;
  EXPECT_FALSE(h.Visible());
  h.SetVisible(true);
  TChartHiddenPen h2;
  ReadInto(StreamOf(&h), &h2);
  EXPECT_TRUE(h2.Visible());
  TDottedGrayPen d;
  EXPECT_EQ(d.Color(), 0x808080);
  EXPECT_EQ(d.Style(), psDot);
  d.SetStyle(psSolid);
  TDottedGrayPen d2;
  ReadInto(StreamOf(&d), &d2);
  EXPECT_EQ(d2.Style(), psSolid);
}

TEST(ChartSettings, PenSettersNotifyOnlyOnChangeAndAssignCopiesTheChartFields) {
  Counter c;
  TChartPen p(c.Handler());
  p.SetVisible(true);
  p.SetSmallDots(false);
  EXPECT_EQ(c.Count, 0);
  p.SetSmallSpace(3);
  EXPECT_EQ(c.Count, 1);
  EXPECT_EQ(c.Last, &p);
  TChartPen q;
  q.SetEndStyle(esSquare);
  q.SetVisible(false);
  q.SetColor(clBlue);
  p.Assign(&q);
  EXPECT_EQ(p.EndStyle(), esSquare);
  EXPECT_FALSE(p.Visible());
  EXPECT_EQ(p.Color(), clBlue);
}

TEST(ChartSettings, BrushDefaultsImageAndRoundTrip) {
  Counter c;
  TChartBrush b(c.Handler());
  EXPECT_EQ(b.Color(), clDefault);
  EXPECT_EQ(b.BackColor(), clNone);
  EXPECT_FALSE(b.HasImage());
  b.SetBackColor(clYellow);
  b.SetStyle(bsCross);
  EXPECT_EQ(c.Count, 2);
  TChartBrush r;
  ReadInto(StreamOf(&b), &r);
  EXPECT_EQ(r.BackColor(), clYellow);
  EXPECT_EQ(r.Style(), bsCross);
  EXPECT_EQ(r.Color(), clDefault);
  // Writing nil frees the picture and still notifies.
  b.Image();
  EXPECT_TRUE(b.HasImage());
  const int before = c.Count;
  b.SetImage(nullptr);
  EXPECT_FALSE(b.HasImage());
  EXPECT_EQ(c.Count, before + 1);
}

TEST(ChartSettings, ShadowStreamsSizesAgainstItsOwnDefault) {
  TChartShadow s;
  s.SetDefaults(clBlack, 3);
  EXPECT_FALSE(WritesItem(StreamOf(&s)));
  s.SetHorizSize(4);
  const std::string t = Text(StreamOf(&s));
  EXPECT_NE(t.find("Item.HorizSize"), std::string::npos);
  EXPECT_EQ(t.find("Item.VertSize"), std::string::npos);
  EXPECT_EQ(s.Size(), 4);

  s.SetColor(clGreen);
  s.SetClip(true);
  s.SetSmooth(false);
  s.SetSmoothBlur(2);
  s.SetTransparency(40);
  s.SetVisible(false);
  TChartShadow r;
  r.SetDefaults(clBlack, 3);
  ReadInto(StreamOf(&s), &r);
  EXPECT_EQ(StreamOf(&s), StreamOf(&r));
  EXPECT_EQ(r.HorizSize(), 4);
  EXPECT_EQ(r.VertSize(), 3);
  EXPECT_EQ(r.Color(), clGreen);
  // Assign leaves Clip alone.
  TChartShadow a;
  a.Assign(&s);
  EXPECT_FALSE(a.Clip());
  EXPECT_EQ(a.Transparency(), 40);
}

TEST(ChartSettings, GradientMiddleColourAndSubGradient) {
  Counter c;
  TChartGradient g(c.Handler());
  g.SetMidColor(clNone);
  EXPECT_EQ(c.Count, 0);
  g.SetMidColor(clRed);
  EXPECT_EQ(c.Count, 1);
  EXPECT_EQ(g.MidColor(), clRed);
  g.SetMidColor(clNone);
  EXPECT_EQ(c.Count, 2);
  EXPECT_EQ(g.MidColor(), clNone);

  TChartGradient src;
  src.SubGradient()->SetTransparency(70);
  src.SubGradient()->SetStartColor(clBlue);
  src.SetAngle(30);
  TChartGradient dst;
  dst.Assign(&src);
  ASSERT_TRUE(dst.HasSubGradient());
  EXPECT_EQ(dst.SubGradient()->Transparency(), 70);
  EXPECT_EQ(dst.SubGradient()->StartColor(), clBlue);
  // A source without a sub-gradient frees the target's.
  TChartGradient plain;
  dst.Assign(&plain);
  EXPECT_FALSE(dst.HasSubGradient());
}

TEST(ChartSettings, GradientsRoundTripWithSubGradientAndOutline) {
  TChartFontGradient g;
  g.SetAngle(45);
  g.SetBalance(30);
  g.SetDirection(gdRadial);
  g.SetEndColor(clNavy);
  g.SetMidColor(clLime);
  g.SetRadialX(3);
  g.SetRadialY(-4);
  g.SetStartColor(clMaroon);
  g.SetVisible(true);
  g.SetOutline(true);
  g.SubGradient()->SetTransparency(20);
  g.SubGradient()->SetVisible(true);
  TChartFontGradient r;
  ReadInto(StreamOf(&g), &r);
  EXPECT_EQ(StreamOf(&g), StreamOf(&r));
  EXPECT_EQ(r.Direction(), gdRadial);
  EXPECT_EQ(r.MidColor(), clLime);
  EXPECT_TRUE(r.Outline());
  ASSERT_TRUE(r.HasSubGradient());
  EXPECT_EQ(r.SubGradient()->Transparency(), 20);
}

TEST(ChartSettings, FontUsesTheDefaultChartFontAndRoundTripsItsParts) {
  TChartFont f;
  EXPECT_EQ(f.Name(), "Arial");
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Color(), clBlack);
  EXPECT_FALSE(WritesItem(StreamOf(&f)));
  f.SetName("Courier New");
  f.SetSize(12);
  f.SetStyle(TFontStyles{fsBold});
  f.SetColor(clRed);
  f.SetInterCharSize(2);
  f.Shadow()->SetSize(2);
  f.OutLine()->SetVisible(true);
  f.Gradient()->SetVisible(true);
  TChartFont r;
  ReadInto(StreamOf(&f), &r);
  EXPECT_EQ(StreamOf(&f), StreamOf(&r));
  EXPECT_EQ(r.Name(), "Courier New");
  EXPECT_EQ(r.Size(), 12);
  EXPECT_TRUE(r.Style().Contains(fsBold));
  EXPECT_EQ(r.InterCharSize(), 2);
  EXPECT_TRUE(r.OutLine()->Visible());
  EXPECT_TRUE(r.Gradient()->Visible());
  EXPECT_EQ(r.Shadow()->Size(), 2);
}

TEST(ChartSettings, FontPartsNotifyTheFontsHandler) {
  Counter c;
  TChartFont f(c.Handler());
  f.SetInterCharSize(1);
  EXPECT_EQ(c.Count, 1);
  f.Shadow()->SetColor(clRed);
  f.OutLine()->SetWidth(3);
  f.Gradient()->SetVisible(true);
  EXPECT_EQ(c.Count, 4);
}

TEST(ChartSettings, GradientRotationHookIsInstalledWithTheDrawingSettings) {
  EXPECT_EQ(GradientRotateProc, &RotateGradientBitmap);
}

// Probes with an injectable platform: the other branches are taken without another system.
int Loads = 0;
HMODULE FakeLoad(const char*) {
  ++Loads;
  return reinterpret_cast<HMODULE>(0x10);
}
FARPROC FakeProc(HMODULE, const char*) { return reinterpret_cast<FARPROC>(0x20); }
void FakeFree(HMODULE) {}
bool NotNT() { return false; }
bool IsNT() { return true; }
int Japanese() { return 17; }
int FontHeight() { return -16; }
std::string FontName() { return "MS UI Gothic"; }
int Dpi() { return 96; }

TEST(ChartCanvasStartUp, ProbesFollowThePlatform) {
  ChartCanvas::Finalize();
  ASSERT_EQ(ChartCanvas::StartCount(), 0);

  TChartCanvasPlatform p = DefaultChartCanvasPlatform();
  p.IsNTFamily = &NotNT;
  p.LoadModule = &FakeLoad;
  p.GetProc = &FakeProc;
  p.FreeModule = &FakeFree;
  SetChartCanvasPlatform(p);
  Loads = 0;
  ChartCanvas::Initialize();
  EXPECT_FALSE(ChartCanvas::IsWinNT);
  EXPECT_FALSE(ChartCanvas::CanAlphaBlend);
  EXPECT_EQ(ChartCanvas::MsImg32Module, nullptr) << "msimg32 is probed only on the NT family";
  EXPECT_EQ(Loads, 1);  // gdi32 only
  EXPECT_NE(ChartCanvas::SetDCPenColorProc, nullptr);
  ChartCanvas::Finalize();

  p.IsNTFamily = &IsNT;
  p.PrimaryLanguage = &Japanese;
  p.DefaultFontHeight = &FontHeight;
  p.DefaultFontName = &FontName;
  p.ScreenPixelsPerInch = &Dpi;
  SetChartCanvasPlatform(p);
  ChartCanvas::Initialize();
  EXPECT_TRUE(ChartCanvas::CanAlphaBlend);
  EXPECT_EQ(ChartCanvas::DefaultChartFontSize, 12);
  EXPECT_EQ(ChartCanvas::DefaultChartFontName, "MS UI Gothic");
  ChartCanvas::Finalize();

  SetChartCanvasPlatform(DefaultChartCanvasPlatform());
  ChartCanvas::Initialize();
  EXPECT_TRUE(ChartCanvas::IsWinNT);
  EXPECT_TRUE(ChartCanvas::CanAlphaBlend);
  EXPECT_NE(ChartCanvas::EmptyRegion, nullptr);
  EXPECT_EQ(ChartCanvas::DefaultChartFontName, "Arial");
  EXPECT_EQ(ChartCanvas::DefaultChartFontSize, 8);
}

}  // namespace
