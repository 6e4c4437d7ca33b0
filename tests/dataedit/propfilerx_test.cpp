// Storage interceptors: the registry, reading a form's placement back through the form interceptor,
// scaling between resolutions and the guards around it.
#include <gtest/gtest.h>

#include "dataedit/PropFilerX.h"
#include "platform/win/testing.h"

namespace {

TStoragePropertyInterceptor* MakeFor(TPersistent* Target) {
  TStoragePropertyInterceptorClass C = FindPropertyInterceptor(Target->ClassType());
  return C ? C->Create(Target) : nullptr;
}

class PropFilerTest : public ::testing::Test {
 protected:
  void SetUp() override { PropFilerX::Initialize(); }
  void TearDown() override { PropFilerX::Finalize(); }
};

TEST_F(PropFilerTest, RegistryReplacesAndRemovesPairs) {
  EXPECT_EQ(FindPropertyInterceptor(TForm::StaticClass()), TFormStoragePropertyInterceptor::InterceptorClass());
  EXPECT_EQ(FindPropertyInterceptor(TComponent::StaticClass()), nullptr);
  RegisterPropertyInterceptor(TCustomForm::StaticClass(), TStoragePropertyInterceptor::InterceptorClass());
  EXPECT_EQ(FindPropertyInterceptor(TForm::StaticClass()), TStoragePropertyInterceptor::InterceptorClass());
  RemovePropertyInterceptor(TCustomForm::StaticClass(), TFormStoragePropertyInterceptor::InterceptorClass());
  EXPECT_EQ(FindPropertyInterceptor(TForm::StaticClass()), TStoragePropertyInterceptor::InterceptorClass());
  RemovePropertyInterceptor(TCustomForm::StaticClass(), TStoragePropertyInterceptor::InterceptorClass());
  EXPECT_EQ(FindPropertyInterceptor(TForm::StaticClass()), nullptr);
}

TEST_F(PropFilerTest, PseudoPropertiesAreReadAndWrittenByName) {
  TForm F(nullptr);
  F.SetBounds(10, 20, 300, 200);
  std::unique_ptr<TStoragePropertyInterceptor> I(MakeFor(&F));
  ASSERT_TRUE(I);
  EXPECT_TRUE(I->InterceptionWanted());
  EXPECT_EQ(GetOrdProp(I.get(), "Left"), 10);
  EXPECT_EQ(GetOrdProp(I.get(), "Height"), 200);
  EXPECT_THROW(GetOrdProp(I.get(), "PixelsPerInch"), EPropertyConvertError);  // written only
  SetOrdProp(I.get(), "Width", 500);
  SetEnumProp(I.get(), "WindowState", "wsMaximized");
  I->ApplyReadValues();
  EXPECT_EQ(F.Width(), 500);
  EXPECT_EQ(F.WindowState(), wsMaximized);
}

TEST_F(PropFilerTest, ScalingBetweenResolutions) {
  struct Case {
    int StoredPPI;
    int Left, Width, ExpectedLeft, ExpectedWidth;
  };
  // The screen has 96 pixels per inch here.
  const Case Cases[] = {
      {120, 125, 500, 100, 400},
      {96, 125, 500, 125, 500},
      {0, 125, 500, 125, 500},  // absent or 0: no scaling, no division by zero
      {192, 101, 401, 51, 201},  // rounds to nearest
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.StoredPPI);
    TForm F(nullptr);
    TFormStoragePropertyInterceptor I(&F);
    I.SetPixelsPerInch(C.StoredPPI);
    I.SetLeft(C.Left);
    I.SetTop(0);
    I.SetWidth(C.Width);
    I.SetHeight(100);
    I.ApplyReadValues();
    EXPECT_EQ(F.Left(), C.ExpectedLeft);
    EXPECT_EQ(F.Width(), C.ExpectedWidth);
  }
}

TEST_F(PropFilerTest, MaximisedFormGetsItsRestoredBoundsAndStaysMaximised) {
  TForm F(nullptr);
  F.SetWindowState(wsMaximized);
  TFormStoragePropertyInterceptor I(&F);
  I.SetLeft(40);
  I.SetTop(50);
  I.SetWidth(320);
  I.SetHeight(240);
  I.ApplyReadValues();
  EXPECT_EQ(F.WindowState(), wsMaximized);
  F.SetWindowState(wsNormal);
  EXPECT_EQ(F.Left(), 40);
  EXPECT_EQ(F.Top(), 50);
  EXPECT_EQ(F.Width(), 320);
  EXPECT_EQ(F.Height(), 240);
}

TEST_F(PropFilerTest, ShownMaximisedFormKeepsItsPlacementsNormalPosition) {
  win::ResetWindowManager();
  FormsUnit::Initialize();
  {
    TForm F(nullptr);
    F.SetBounds(30, 40, 300, 200);
    F.Show();
    F.SetWindowState(wsMaximized);
    win::PumpMessages();
    ASSERT_GT(F.Width(), 300) << "the window fills the work area";
    // The interceptor reads the restored bounds, not the maximised window's.
    TFormStoragePropertyInterceptor I(&F);
    EXPECT_EQ(I.Left(), 30);
    EXPECT_EQ(I.Top(), 40);
    EXPECT_EQ(I.Width(), 300);
    EXPECT_EQ(I.Height(), 200);
    const int MaxWidth = F.Width();
    // Stored bounds go into the placement: the window stays maximised and comes back to them.
    I.SetLeft(60);
    I.SetTop(70);
    I.SetWidth(350);
    I.SetHeight(250);
    I.SetWindowState(wsMaximized);
    I.ApplyReadValues();
    EXPECT_EQ(F.WindowState(), wsMaximized);
    EXPECT_EQ(F.Width(), MaxWidth);
    WINDOWPLACEMENT P;
    ASSERT_TRUE(GetWindowPlacement(F.Handle(), &P));
    EXPECT_EQ(P.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(P.rcNormalPosition.left, 60);
    EXPECT_EQ(P.rcNormalPosition.bottom, 70 + 250);
    F.SetWindowState(wsNormal);
    win::PumpMessages();
    EXPECT_EQ(F.BoundsRect(), TRect(60, 70, 410, 320));
  }
  FormsUnit::Finalize();
  win::ResetWindowManager();
}

TEST_F(PropFilerTest, CentredFormStaysCentredUnlessAPositionWasStored) {
  TForm A(nullptr), B(nullptr);
  A.SetPosition(poScreenCenter);
  B.SetPosition(poScreenCenter);
  TFormStoragePropertyInterceptor IA(&A), IB(&B);
  IA.SetWidth(200);
  IA.SetHeight(100);
  IA.ApplyReadValues();
  EXPECT_EQ(A.Position(), poScreenCenter);
  IB.SetTop(30);
  IB.ApplyReadValues();
  EXPECT_EQ(B.Position(), poDesigned);
}

TEST_F(PropFilerTest, OnlyFormsAreScaledAndPlaced) {
  TComponent C(nullptr);
  TFormStoragePropertyInterceptor I(&C);
  EXPECT_EQ(I.Left(), 0);
  EXPECT_EQ(I.Width(), 0);
  I.SetPixelsPerInch(0);
  I.SetLeft(10);
  EXPECT_NO_THROW(I.ApplyReadValues());
}

}  // namespace
