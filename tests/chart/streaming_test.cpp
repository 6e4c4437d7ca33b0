// Filter lists streamed inside pictures as "FilterItems": round trips, refused classes and cut streams.
#include <cmath>
#include <functional>

#include "platform/classes/filer.h"
#include "tests/chart/chart_fixture.h"

namespace {

// A component carrying two pictures, as a chart element carries its back image and font picture.
class TPictureHolder : public TComponent {
  DECLARE_PUBLISHED_CLASS(TPictureHolder, TComponent)
  static void DeclarePublished(TPublished<TPictureHolder>& P) {
    P.Object("Back", &TPictureHolder::Back);
    P.Object("Front", &TPictureHolder::Front);
  }
  explicit TPictureHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TChartPicture* Back() { return &FBack; }
  TChartPicture* Front() { return &FFront; }

 private:
  TChartPicture FBack, FFront;
};

// A collection item of another kind, registered under its name.
class TOtherItem : public TCollectionItem {
  DECLARE_CLASS(TOtherItem, TCollectionItem)
  explicit TOtherItem(TCollection* C) : TCollectionItem(C) {}
};

// Sets every published setting of a filter to something other than its default.
void Disturb(TChartFilter* F, int Seed) {
  const TPropList* list = GetPropList(F->ClassType());
  ASSERT_NE(list, nullptr);
  for (const auto& p : list->Props) {
    switch (p->Kind) {
      case pkInteger: p->SetOrd(F, p->DefaultValue + 3 + Seed); break;
      case pkBoolean: p->SetOrd(F, p->DefaultValue ? 0 : 1); break;
      case pkEnumeration: p->SetOrd(F, (p->DefaultValue + 1) % int64_t(p->ValueNames.size())); break;
      case pkColor: p->SetOrd(F, 0x123456 + Seed); break;
      case pkFloat: p->SetFloat(F, 12.25 + Seed); break;
      case pkClass: break;
      default: FAIL() << "unexpected property kind of " << p->Name;
    }
  }
  F->Region()->SetLeft(Seed);
  F->Region()->SetTop(2);
  F->Region()->SetWidth(30 + Seed);
  F->Region()->SetHeight(-4);
}

// Every published setting and the region equal.
::testing::AssertionResult SameSettings(TChartFilter* A, TChartFilter* B) {
  if (A->ClassType() != B->ClassType()) return ::testing::AssertionFailure() << A->ClassName() << " vs " << B->ClassName();
  for (const auto& p : GetPropList(A->ClassType())->Props) {
    if (p->IsOrdinal() && p->GetOrd(A) != p->GetOrd(B))
      return ::testing::AssertionFailure() << A->ClassName() << "." << p->Name << ": " << p->GetOrd(A) << " vs " << p->GetOrd(B);
    if (p->Kind == pkFloat && p->GetFloat(A) != p->GetFloat(B))
      return ::testing::AssertionFailure() << A->ClassName() << "." << p->Name;
  }
  TFilterRegion* ra = A->Region();
  TFilterRegion* rb = B->Region();
  if (ra->Left() != rb->Left() || ra->Top() != rb->Top() || ra->Width() != rb->Width() || ra->Height() != rb->Height())
    return ::testing::AssertionFailure() << A->ClassName() << " region";
  return ::testing::AssertionSuccess();
}

std::vector<uint8_t> WriteHolder(TPictureHolder* H) {
  TMemoryStream s;
  TWriter w(&s);
  w.WriteRootComponent(H);
  return s.Bytes();
}

void ReadHolder(const std::vector<uint8_t>& Bytes, TPictureHolder* H) {
  TMemoryStream s;
  s.Write(Bytes.data(), int64_t(Bytes.size()));
  s.SetPosition(0);
  TReader r(&s);
  r.ReadRootComponent(H);
}

bool Contains(const std::vector<uint8_t>& Bytes, const std::string& Text) {
  return std::search(Bytes.begin(), Bytes.end(), Text.begin(), Text.end()) != Bytes.end();
}

class FilterStreaming : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClass<TPictureHolder>();
    RegisterItemClass("TOtherItem", TOtherItem::StaticClass(),
                      [](TCollection* C) -> TCollectionItem* { return new TOtherItem(C); });
  }
};

TEST_F(FilterStreaming, EveryFilterClassRoundTripsWithItsSettings) {
  TPictureHolder a(nullptr), b(nullptr);
  int seed = 0;
  for (TFilterClass fc : FilterClasses()) Disturb(a.Back()->Filters()->AddFilter(fc), seed++);
  a.Front()->Filters()->AddFilter(FilterClassOf<TInvertFilter>())->SetEnabled(false);
  // Settings the reader must overwrite, and a list it must clear.
  b.Back()->Filters()->AddFilter(FilterClassOf<TTileFilter>());
  const auto bytes = WriteHolder(&a);
  EXPECT_TRUE(Contains(bytes, "Back.FilterItems"));
  EXPECT_TRUE(Contains(bytes, "Front.FilterItems"));  // the path comes back after the first list
  ReadHolder(bytes, &b);
  ASSERT_EQ(b.Back()->Filters()->Count(), 21);
  for (int i = 0; i < 21; ++i)
    EXPECT_TRUE(SameSettings(a.Back()->Filters()->Items(i), b.Back()->Filters()->Items(i))) << i;
  ASSERT_EQ(b.Front()->Filters()->Count(), 1);
  EXPECT_FALSE(b.Front()->Filters()->Items(0)->Enabled());
  EXPECT_EQ(b.Back()->Filters()->UpdateCount(), 0);
  EXPECT_EQ(b.Back()->Filters()->Items(3)->Collection(), b.Back()->Filters());
}

TEST_F(FilterStreaming, DefaultsAndAlwaysStoredFloats) {
  TPictureHolder a(nullptr), b(nullptr);
  a.Back()->Filters()->AddFilter(FilterClassOf<TRotateFilter>());  // Angle 0: still written
  a.Back()->Filters()->AddFilter(FilterClassOf<TZoomFilter>());
  const auto bytes = WriteHolder(&a);
  EXPECT_TRUE(Contains(bytes, "Angle"));
  EXPECT_TRUE(Contains(bytes, "Percent"));
  EXPECT_FALSE(Contains(bytes, "AutoSize"));  // at its default
  auto* z = static_cast<TZoomFilter*>(b.Back()->Filters()->AddFilter(FilterClassOf<TZoomFilter>()));
  z->SetPercent(50);
  ReadHolder(bytes, &b);
  ASSERT_EQ(b.Back()->Filters()->Count(), 2);
  EXPECT_EQ(static_cast<TZoomFilter*>(b.Back()->Filters()->Items(1))->Percent(), 10);
}

TEST_F(FilterStreaming, EmptyListsWriteNothingAndListsKeepTheirOrder) {
  TPictureHolder a(nullptr);
  a.Back()->Filters();  // made, but empty
  EXPECT_FALSE(Contains(WriteHolder(&a), "FilterItems"));
  a.Front()->Filters()->AddFilter(FilterClassOf<TZoomFilter>());
  a.Front()->Filters()->AddFilter(FilterClassOf<TInvertFilter>());
  const auto bytes = WriteHolder(&a);
  const std::string zoom = "TZoomFilter", inv = "TInvertFilter";
  auto z = std::search(bytes.begin(), bytes.end(), zoom.begin(), zoom.end());
  auto i = std::search(bytes.begin(), bytes.end(), inv.begin(), inv.end());
  ASSERT_NE(z, bytes.end());
  ASSERT_NE(i, bytes.end());
  EXPECT_LT(z - bytes.begin(), i - bytes.begin());
  EXPECT_TRUE(Contains(bytes, "ItemClass"));
}

// A stream written by hand: "FilterItems" of one picture naming the given classes.
std::vector<uint8_t> ListNaming(const std::vector<std::string>& Classes) {
  TMemoryStream s;
  TWriter w(&s);
  w.WriteStr("FilterItems");
  w.WriteValue(vaCollection);
  for (const auto& c : Classes) {
    w.WriteListBegin();
    w.WriteStr("ItemClass");
    w.WriteString(c);
    w.WriteListEnd();
  }
  w.WriteListEnd();
  return s.Bytes();
}

void ReadList(const std::vector<uint8_t>& Bytes, TChartPicture* P) {
  TMemoryStream s;
  s.Write(Bytes.data(), int64_t(Bytes.size()));
  s.SetPosition(0);
  TReader r(&s);
  r.ReadProperty(P);
}

// Naming another registered class used to make an object of that class inside the filter list.
TEST_F(FilterStreaming, ClassesThatAreNotFiltersAreRefused) {
  for (const char* other : {"TOtherItem", "TPictureHolder", "TChartPictureNoSuchClass"}) {
    TChartPicture p;
    p.Filters()->AddFilter(FilterClassOf<TBevelFilter>());
    EXPECT_THROW(ReadList(ListNaming({"TInvertFilter", other, "TFlipFilter"}), &p), EClassNotFound) << other;
    // What was read before stays; the list's updates are balanced.
    ASSERT_EQ(p.Filters()->Count(), 1) << other;
    EXPECT_STREQ(p.Filters()->Items(0)->ClassType()->Name, "TInvertFilter");
    EXPECT_EQ(p.Filters()->UpdateCount(), 0);
  }
  TChartPicture ok;
  ReadList(ListNaming({"TInvertFilter", "TFlipFilter"}), &ok);
  EXPECT_EQ(ok.Filters()->Count(), 2);
}

TEST_F(FilterStreaming, CutStreamsRaiseReadErrorsAndKeepOnlyWholeFilters) {
  TPictureHolder a(nullptr);
  int seed = 0;
  for (TFilterClass fc : {FilterClassOf<TBrightnessFilter>(), FilterClassOf<TRotateFilter>(), FilterClassOf<TCropFilter>()})
    Disturb(a.Back()->Filters()->AddFilter(fc), seed++);
  TMemoryStream s;
  TWriter w(&s);
  w.WriteProperties(a.Back());
  const std::vector<uint8_t> whole = s.Bytes();
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));
    TChartPicture p;
    try {
      ReadList(part, &p);
      ADD_FAILURE() << "no error at " << cut;
    } catch (const EReadError&) {
    }
    const int n = p.HasFilters() ? p.Filters()->Count() : 0;
    ASSERT_LE(n, 3);
    for (int i = 0; i < n; ++i) {
      ASSERT_TRUE(SameSettings(a.Back()->Filters()->Items(i), p.Filters()->Items(i))) << cut;
    }
    if (p.HasFilters()) {
      EXPECT_EQ(p.Filters()->UpdateCount(), 0);
    }
  }
  TChartPicture full;
  ReadList(whole, &full);
  EXPECT_EQ(full.Filters()->Count(), 3);
}

// Huge angles read back from a stored list reduce by whole turns in one step, and angles with no
// rotation to give are refused with the filters' graphic error before the bitmap changes.
TEST_F(FilterStreaming, StoredRotateAnglesOfAnySizeApplyOrAreRefused) {
  struct Case {
    double stored, reduced;  // 1e300 and 1e20 taken modulo 360 by exact integer arithmetic
  } cases[] = {{1e300, 360}, {1e20, 280}, {720, 360}, {3 * 360 + 90, 90}};
  for (const Case& c : cases) {
    TPictureHolder a(nullptr), b(nullptr);
    static_cast<TRotateFilter*>(a.Back()->Filters()->AddFilter(FilterClassOf<TRotateFilter>()))->SetAngle(c.stored);
    ReadHolder(WriteHolder(&a), &b);
    ASSERT_EQ(b.Back()->Filters()->Count(), 1);
    auto* loaded = static_cast<TRotateFilter*>(b.Back()->Filters()->Items(0));
    ASSERT_EQ(loaded->Angle(), c.stored);
    auto got = MakeBitmap(7, 4, Distinct);
    loaded->FilterBitmap(got.get());
    EXPECT_EQ(loaded->Angle(), c.reduced) << c.stored;
    auto want = MakeBitmap(7, 4, Distinct);
    TRotateFilter direct(nullptr);
    direct.SetAngle(c.reduced);
    direct.FilterBitmap(want.get());
    EXPECT_TRUE(SamePixels(got.get(), want.get())) << c.stored;
  }
  for (double bad : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    TPictureHolder a(nullptr), b(nullptr);
    static_cast<TRotateFilter*>(a.Back()->Filters()->AddFilter(FilterClassOf<TRotateFilter>()))->SetAngle(bad);
    ReadHolder(WriteHolder(&a), &b);
    auto got = MakeBitmap(7, 4, Distinct);
    EXPECT_THROW(b.Back()->Filters()->Items(0)->FilterBitmap(got.get()), EInvalidGraphicOperation) << bad;
    auto orig = MakeBitmap(7, 4, Distinct);
    EXPECT_TRUE(SamePixels(got.get(), orig.get())) << bad;
  }
}

// Applies every filter of a picture's list to the bitmap, in order.
void ApplyList(TChartPicture* P, TBitmap* B) {
  for (int i = 0; i < P->Filters()->Count(); ++i) P->Filters()->Items(i)->FilterBitmap(B);
}

// One filter with settings far outside its editor's range, written into a stored list and read back.
template <typename F>
void StoreAndReadBack(TPictureHolder& Into, const std::function<void(F*)>& Set) {
  TPictureHolder a(nullptr);
  Set(static_cast<F*>(a.Back()->Filters()->AddFilter(FilterClassOf<F>())));
  ReadHolder(WriteHolder(&a), &Into);
  ASSERT_EQ(Into.Back()->Filters()->Count(), 1);
}

// A linear ramp with one pixel raised by 9: every 3 x 3 mean of a ramp is its centre, so a blur with
// Amount 1 (nine weights of 1) sees only the bump. Pass 1 spreads it as +1 over its 3 x 3 block; pass 2
// keeps the pixels with five or more of the block around them (the centre and its four side neighbours);
// pass 3 keeps only the centre (five of that cross around it); pass 4 rounds its 1/9 away. From pass 5
// on nothing changes, so any count of passes from 4 up gives the ramp.
Rgb Ramp(int X, int Y) { return {20 + 5 * X + 3 * Y, 200 - 4 * X + 2 * Y, 30 + 7 * X + 9 * Y}; }
Rgb BumpedRamp(int X, int Y) {
  Rgb c = Ramp(X, Y);
  if (X == 5 && Y == 4) c = {c.r + 9, c.g + 9, c.b + 9};
  return c;
}

TEST_F(FilterStreaming, StoredBlurStepsBeyondTheEditorEndOnceThePassesRepeat) {
  struct Case {
    int steps;
    std::function<Rgb(int, int)> want;
  } cases[] = {
      {3, [](int x, int y) { Rgb c = Ramp(x, y); return x == 5 && y == 4 ? Rgb{c.r + 1, c.g + 1, c.b + 1} : c; }},
      {4, Ramp},
      {21, Ramp},
      {2147483647, Ramp},
      {2147483646, Ramp},
  };
  for (const Case& c : cases) {
    TPictureHolder b(nullptr);
    StoreAndReadBack<TBlurFilter>(b, [&](TBlurFilter* f) { f->SetSteps(c.steps); });
    auto got = MakeBitmap(12, 9, BumpedRamp);
    ApplyList(b.Back(), got.get());
    auto want = MakeBitmap(12, 9, c.want);
    EXPECT_TRUE(SamePixels(got.get(), want.get())) << c.steps;
  }
  // Amount -4 on 3 x 3 with a border of 100: weights summing to 4, so the centre c becomes
  // (800 - 4c) / 4 = 200 - c, and back: 50 and 150 alternate for ever, an odd count of passes ending on
  // 150 and an even one on 50.
  for (int steps : {1, 2, 21, 22, 2147483647, 2147483646}) {
    TPictureHolder b(nullptr);
    StoreAndReadBack<TBlurFilter>(b, [&](TBlurFilter* f) {
      f->SetSteps(steps);
      f->SetAmount(-4);
    });
    auto got = MakeBitmap(3, 3, [](int x, int y) { return x == 1 && y == 1 ? Rgb{50, 50, 50} : Rgb{100, 100, 100}; });
    ApplyList(b.Back(), got.get());
    const int centre = steps % 2 ? 150 : 50;
    EXPECT_EQ(PixelOf(got.get(), 1, 1), (Rgb{centre, centre, centre})) << steps;
    EXPECT_EQ(PixelOf(got.get(), 0, 1), (Rgb{100, 100, 100})) << steps;
  }
}

// Zoom margins of Round(10 * Percent * 0.005) pixels: far beyond the picture for these percents, so the
// crop is one pixel (Max(1, 10 - 2 MX)) taken from beyond the picture, where nothing is copied into the
// new (white) work bitmap, and that white pixel is stretched over the zoomed rectangle.
TEST_F(FilterStreaming, StoredZoomPercentsBeyondTheEditorCropOnePixelFromBeyondThePicture) {
  const Rgb white{255, 255, 255};
  for (double percent : {6e11, 1e15, 1e300})
    for (bool region : {false, true}) {
      TPictureHolder b(nullptr);
      StoreAndReadBack<TZoomFilter>(b, [&](TZoomFilter* f) {
        f->SetPercent(percent);
        if (region) {  // the rectangle x, y = 2..7 (right = left + width): zoomed through a work bitmap
          f->Region()->SetLeft(2);
          f->Region()->SetTop(2);
          f->Region()->SetWidth(5);
          f->Region()->SetHeight(5);
        }
      });
      auto got = MakeBitmap(10, 10, Distinct);
      ASSERT_NO_THROW(ApplyList(b.Back(), got.get())) << percent;
      auto want = MakeBitmap(10, 10, [&](int x, int y) {
        const bool inside = !region || (x >= 2 && x <= 7 && y >= 2 && y <= 7);
        return inside ? white : Distinct(x, y);
      });
      EXPECT_TRUE(SamePixels(got.get(), want.get())) << percent << " region " << region;
    }
}

// Bevel Size 2 on a 10 x 8 picture of grey 100 (HalfH 3, HalfW 4): ring 0 lightens row 0 and darkens
// row 7 (all columns), then lightens column 0 and darkens column 9 (rows 1..7); ring 1 lightens row 1 and
// darkens row 6 (columns 1..8), then lightens column 1 and darkens column 8 (rows 2..6). Bright at the
// top of the integers takes every lightened channel to 255 and every darkened one to 0; at the bottom
// the other way round. The last treatment of a pixel decides: L lit, D darkened, . untouched.
TEST_F(FilterStreaming, StoredBevelBrightAtTheIntegerLimitsKeepsTheLitEdges) {
  const char* rings[8] = {"LLLLLLLLLL", "LLLLLLLLLD", "LL......DD", "LL......DD",
                          "LL......DD", "LL......DD", "LLDDDDDDDD", "LDDDDDDDDD"};
  for (int bright : {2147483647, -2147483647 - 1}) {
    TPictureHolder b(nullptr);
    StoreAndReadBack<TBevelFilter>(b, [&](TBevelFilter* f) {
      f->SetBright(bright);
      f->SetSize(2);
    });
    auto got = MakeBitmap(10, 8, [](int, int) { return Rgb{100, 100, 100}; });
    ApplyList(b.Back(), got.get());
    const int lit = bright > 0 ? 255 : 0, dark = bright > 0 ? 0 : 255;
    auto want = MakeBitmap(10, 8, [&](int x, int y) {
      const char k = rings[y][x];
      const int v = k == 'L' ? lit : (k == 'D' ? dark : 100);
      return Rgb{v, v, v};
    });
    EXPECT_TRUE(SamePixels(got.get(), want.get())) << bright;
  }
}

// A crop whose stored place lies at the far ends of the integers takes its area from beyond the picture:
// the new work bitmap stays white and is stretched over the whole (unchanged size) bitmap.
TEST_F(FilterStreaming, StoredCropPlacesAtTheIntegerLimitsTakeNothingFromThePicture) {
  const int lowest = -2147483647 - 1;
  struct Case {
    int left, top;
  } cases[] = {{lowest, 0}, {0, lowest}, {lowest, lowest}, {lowest + 1, 2}, {2147483647, 0}};
  for (const Case& c : cases) {
    TPictureHolder b(nullptr);
    StoreAndReadBack<TCropFilter>(b, [&](TCropFilter* f) {
      f->SetLeft(c.left);
      f->SetTop(c.top);
      f->SetWidth(3);
      f->SetHeight(3);
    });
    auto got = MakeBitmap(6, 6, Distinct);
    ApplyList(b.Back(), got.get());
    auto want = MakeBitmap(6, 6, [](int, int) { return Rgb{255, 255, 255}; });
    EXPECT_TRUE(SamePixels(got.get(), want.get())) << c.left << "," << c.top;
  }
}

}  // namespace
