#include <gtest/gtest.h>

#include "effects/EffectsBitmap.h"
#include "effects/EffectsProbes.h"
#include "platform/classes/units.h"

using namespace EffectsProbes;

namespace {

struct ProbesTest : ::testing::Test {
  void TearDown() override { ResetProbeInputs(); }
};

TProbeInputs Processor(bool cpuid, std::uint32_t signature, std::uint32_t features) {
  TProbeInputs in;
  in.FlagsToggleId = [cpuid] { return cpuid; };
  in.Cpuid = [signature, features](std::uint32_t, std::uint32_t r[4]) {
    r[0] = signature;
    r[1] = r[2] = 0;
    r[3] = features;
  };
  return in;
}

}  // namespace

TEST_F(ProbesTest, RectMeasures) {
  EXPECT_EQ(RectWidth(TRect(3, 4, 10, 20)), 7);
  EXPECT_EQ(RectHeight(TRect(3, 4, 10, 20)), 16);
  EXPECT_EQ(RectWidth(TRect(5, 0, 2, 0)), -3);
}

TEST_F(ProbesTest, HasMMXTable) {
  struct Case {
    bool cpuid;
    std::uint32_t signature, features;
    bool mmx;
    int cpuidCalls;
  };
  const Case cases[] = {
      {false, 0x600, 1u << 23, false, 0},  // no CPUID instruction: never executed
      {true, 0x400, 1u << 23, false, 1},   // family 4 has no MMX whatever bit 23 says
      {true, 0x500, 1u << 23, true, 2},
      {true, 0x6F1, 1u << 23, true, 2},
      {true, 0xF00, 0, false, 2},          // bit 23 clear
      {true, 0x1F00, 1u << 23, true, 2},   // only bits 8..11 count as family
  };
  for (const Case& c : cases) {
    SetProbeInputs(Processor(c.cpuid, c.signature, c.features));
    EXPECT_EQ(HasMMX(), c.mmx) << std::hex << c.signature;
    EXPECT_EQ(CpuidCount(), c.cpuidCalls) << std::hex << c.signature;
  }
}

TEST_F(ProbesTest, ThisProcessorAnswersTruthfully) {
#if defined(__x86_64__)
  EXPECT_TRUE(HasCPUID());
  EXPECT_TRUE(HasMMX());  // every x86-64 processor has MMX
  EXPECT_NE(ProcessorFeatures() & (1u << 23), 0u);
#else
  EXPECT_FALSE(HasMMX());
#endif
}

TEST_F(ProbesTest, WindowsVersions) {
  struct Case {
    DWORD version;
    int major, minor;
    bool w2k;
  };
  const Case cases[] = {{0x0004, 4, 0, false}, {0x0A04, 4, 10, false}, {0x0005, 5, 0, true},
                        {0x0105, 5, 1, true},  {0x0205, 5, 2, true},   {0x0305, 5, 3, false},
                        {0x0006, 6, 0, true},  {0x020A, 10, 2, true},  {0x0A280105, 5, 1, true}};
  for (const Case& c : cases) {
    TProbeInputs in;
    in.Version = [v = c.version] { return v; };
    SetProbeInputs(in);
    int major = -1, minor = -1;
    GetWindowsVersion(major, minor);
    EXPECT_EQ(major, c.major);
    EXPECT_EQ(minor, c.minor);
    EXPECT_EQ(IsWindows2000OrLater(), c.w2k) << std::hex << c.version;
  }
}

TEST_F(ProbesTest, Msimg32IsLoadedOnlyFromWindows2000On) {
  for (DWORD v : {DWORD{0x0004}, DWORD{0x0105}}) {
    TProbeInputs in;
    in.Version = [v] { return v; };
    SetProbeInputs(in);
    EffectsProbesUnit::Initialize();
    EXPECT_EQ(TransparentBltAvailable, v == 0x0105);
    EXPECT_EQ(TransparentBltProc != nullptr, v == 0x0105);
    EXPECT_TRUE(IsWindowsNT);
    EXPECT_NE(MonitorFromWindowProc, nullptr);  // the platform offers it; the rest are absent
    EXPECT_EQ(UpdateLayeredWindowProc, nullptr);
    EffectsProbesUnit::Finalize();
    EXPECT_FALSE(TransparentBltAvailable);
    EXPECT_EQ(TransparentBltProc, nullptr);
    EXPECT_EQ(MonitorFromWindowProc, nullptr);
  }
  TProbeInputs in;
  in.Version = [] { return DWORD{0x80000004}; };  // the old consumer family
  SetProbeInputs(in);
  EffectsProbesUnit::Initialize();
  EXPECT_FALSE(IsWindowsNT);
  EffectsProbesUnit::Finalize();
}

// The effects unit starts before its probe unit, so its key entry for device contexts is the one that
// does not need TransparentBlt, although TransparentBlt is there once both have started.
TEST_F(ProbesTest, StartUpOrderOfTheTwoUnits) {
  ClearUnits();
  AddUnit("EffectsBitmap", &EffectsBitmapUnit::Initialize, &EffectsBitmapUnit::Finalize);
  AddUnit("EffectsProbes", &EffectsProbesUnit::Initialize, &EffectsProbesUnit::Finalize);
  InitializeUnits();
  EXPECT_EQ(DrawRoutines.ToDC[dkKey], &DrawKeyToDC);
  EXPECT_EQ(DrawRoutines.ToDC[dkBlend], &DrawAlphaToDC);
  EXPECT_EQ(DrawRoutines.ToDC[dkCopy], &DrawOpaqueToDC);
  EXPECT_TRUE(TransparentBltAvailable);
  EXPECT_EQ(UseMMX, HasMMX());
  EXPECT_EQ(PixelRoutines.BlendRow, HasMMX() ? &MMXBlendRow : &PlainBlendRow);
  EXPECT_EQ(PixelRoutines.BlendPixel, HasMMX() ? &MMXBlendPixel : &PlainBlendPixel);
  // Filled again now, the tables would take TransparentBlt (the screen here is true colour).
  if (IsTrueColourScreen()) {
    InitDrawRoutines();
    EXPECT_EQ(DrawRoutines.ToDC[dkKey], &DrawKeyTransparentBlt);
  }
  FinalizeUnits();
  ClearUnits();
  InitDrawRoutines();
  EXPECT_EQ(DrawRoutines.ToDC[dkKey], &DrawKeyToDC);
}

TEST_F(ProbesTest, PlainTablesWithoutMMX) {
  SetProbeInputs(Processor(true, 0x400, 1u << 23));
  InitPixelRoutines();
  EXPECT_EQ(PixelRoutines.BlendRow, &PlainBlendRow);
  ResetProbeInputs();
  InitPixelRoutines();
}
