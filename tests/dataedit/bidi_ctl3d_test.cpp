// The data-aware controls in a form that reads right to left, without the 3-D look, and with glyph
// strips on their buttons, reached as a user and a program reach them: the form's settings passed down
// to the controls, fields changed, the mouse on the buttons.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/imglist.h"
#include "platform/data/memdataset.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/glyph_strip.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

class TBiDiEdit : public TCustomDBEditX {
  DECLARE_CLASS(TBiDiEdit, TCustomDBEditX)
  explicit TBiDiEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

class DataAwareBiDiTest : public ControlHostTest {
 protected:
  DataAwareBiDiTest() : ControlHostTest(360, 240, clWhite) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    data = new TMemDataSet(owner.get());
    data->AddField("Name", ftString, 20);
    data->AddField("Qty", ftInteger);
    data->CreateDataSet();
    data->Append();
    data->FieldByName("Name")->SetAsString("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D");  // shalom
    data->FieldByName("Qty")->SetAsInteger(7);
    data->Post();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    win::PumpMessages();
  }
  TBiDiEdit* NewEdit(const std::string& Field) {
    auto* E = new TBiDiEdit(owner.get());
    E->SetBounds(10, 10, 200, 24);
    E->SetParent(host);
    E->Font()->SetName("DejaVu Sans");
    E->EditButton()->SetVisible(true);
    if (!Field.empty()) {
      E->SetDataSource(source);
      E->SetDataField(Field);
    }
    win::PumpMessages();
    return E;
  }
  static DWORD ExStyle(TWinControl* C) { return static_cast<DWORD>(GetWindowLong(C->Handle(), GWL_EXSTYLE)); }
  static COLORREF Pixel(TWinControl* C, int X, int Y) { return win::GetWindowPixel(C->Handle(), X, Y); }
  static COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }
  static void Press(TControl* C) {
    const TPoint P = C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2));
    win::Click(P.X, P.Y);
  }
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// Right to left

TEST_F(DataAwareBiDiTest, AnEditReadingRightToLeftHasItsButtonsAtTheLeftUnlessItsFieldKeepsItsSide) {
  host->SetBiDiMode(bdRightToLeft);
  TBiDiEdit* E = NewEdit("Name");
  const int CW = E->ClientWidth();
  TEditButtonControlX* B = E->ButtonControl(0);
  EXPECT_EQ(B->Left(), 0);
  EXPECT_EQ(E->GetEditButtonsRect().left, 0);
  EXPECT_EQ(E->GetEditButtonsRect().right, E->ButtonsStripWidth());
  EXPECT_EQ(ExStyle(E) & (WS_EX_RIGHT | WS_EX_RTLREADING), WS_EX_RIGHT | WS_EX_RTLREADING);
  RECT FR{};
  E->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&FR));
  EXPECT_GE(FR.left, E->ButtonsStripWidth()) << "the text keeps right of the strip";
  EXPECT_EQ(FR.right, CW);
  // The unfocused text stands at the right end.
  int Ink = -1;
  for (int X = CW - 1; X > E->ButtonsStripWidth() && Ink < 0; --X)
    for (int Y = 4; Y < E->ClientHeight() - 4; ++Y)
      if (Pixel(E, X, Y) != Rgb(clWindow)) {
        Ink = X;
        break;
      }
  EXPECT_GT(Ink, CW - 8);

  // A number keeps its side: the window is made again without right alignment, the button goes right.
  const HWND Before = E->Handle();
  E->SetDataField("Qty");
  win::PumpMessages();
  EXPECT_NE(E->Handle(), Before);
  EXPECT_FALSE(ExStyle(E) & WS_EX_RIGHT);
  EXPECT_EQ(E->ButtonControl(0)->Left() + E->ButtonControl(0)->Width(), CW);
}

TEST_F(DataAwareBiDiTest, ACheckBoxReadingRightToLeftPutsItsBoxAtTheRight) {
  auto* C = new TDBCheckBoxX(owner.get());
  C->SetBounds(10, 60, 120, 20);
  C->SetParent(host);
  C->SetCaption("");
  win::PumpMessages();
  const int Mid = C->Height() / 2;
  const COLORREF Face = Rgb(C->Color());
  EXPECT_NE(Pixel(C, CheckBoxWidth / 2, Mid), Face);
  EXPECT_EQ(Pixel(C, C->Width() - CheckBoxWidth / 2, Mid), Face);
  host->SetBiDiMode(bdRightToLeft);
  win::PumpMessages();
  EXPECT_EQ(C->GetControlsAlignment(), taLeftJustify);
  EXPECT_EQ(Pixel(C, CheckBoxWidth / 2, Mid), Face);
  EXPECT_NE(Pixel(C, C->Width() - CheckBoxWidth / 2, Mid), Face);
}

TEST_F(DataAwareBiDiTest, AComboBoxsPickListReadsAsTheComboAndMirrorsItsImages) {
  host->SetBiDiMode(bdRightToLeft);
  auto* C = new TDBComboBoxX(owner.get());
  C->SetBounds(10, 100, 200, 24);
  C->SetParent(host);
  for (const char* S : {"a", "b"}) C->Items()->Add(S);
  TImageList Images(nullptr);
  Images.SetWidth(16);
  Images.SetHeight(16);
  for (TColor Fill : {clRed, clBlue}) {
    TBitmap Bmp;
    Bmp.SetSize(16, 16);
    Bmp.Canvas()->Brush()->SetColor(Fill);
    Bmp.Canvas()->FillRect(TRect(0, 0, 16, 16));
    Images.Add(&Bmp);
  }
  C->SetImages(&Images);
  win::PumpMessages();
  EXPECT_EQ(C->ButtonControl(0)->Left(), 0);
  Press(C->ButtonControl(0));
  TPopupListboxX* L = C->ListBox();
  ASSERT_NE(L, nullptr);
  ASSERT_TRUE(L->Visible());
  EXPECT_EQ(L->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(ExStyle(L) & WS_EX_RTLREADING);
  // Item 0's red image stands at the right end of its row.
  const int Row = L->ItemHeight() / 2;
  EXPECT_EQ(Pixel(L, L->ClientWidth() - 10, Row), Rgb(clRed));
  EXPECT_NE(Pixel(L, 10, Row), Rgb(clRed));
  C->CloseUp(false);
  C->SetImages(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Ctl3D

TEST_F(DataAwareBiDiTest, WithoutTheFormsCtl3DAnEditDrawsASingleLineAndKeepsItsButtonsInsideIt) {
  TBiDiEdit* E = NewEdit("Name");
  E->SetAutoSize(true);
  win::PumpMessages();
  const int Raised = E->Height();
  EXPECT_EQ(E->ButtonControl(0)->Top(), 0);

  host->SetCtl3D(false);
  win::PumpMessages();
  ASSERT_FALSE(E->Ctl3D());
  // Two pixels lower: the single line takes 6 border pixels where the sunken edge took 8.
  EXPECT_EQ(E->Height(), Raised - 2);
  const int CW = E->ClientWidth(), CH = E->ClientHeight();
  EXPECT_EQ(CW, E->Width()) << "the line lies inside the client area";
  TEditButtonControlX* B = E->ButtonControl(0);
  EXPECT_EQ(B->Top(), 1);
  EXPECT_EQ(B->Left() + B->Width(), CW - 1);
  const RECT S = E->GetEditButtonsRect();
  EXPECT_EQ(S.left, CW - E->ButtonsStripWidth() - 1);
  EXPECT_EQ(S.top, 1);
  EXPECT_EQ(S.bottom, CH - 1);
  const COLORREF Frame = GetSysColor(COLOR_WINDOWFRAME);
  EXPECT_EQ(Pixel(E, 0, 0), Frame);
  EXPECT_EQ(Pixel(E, CW - 1, CH - 1), Frame);

  // A flat edit without 3-D keeps the single line, lit or not.
  E->SetFlat(true);
  E->SetFocus();
  win::PumpMessages();
  EXPECT_EQ(Pixel(E, 0, 0), Frame);
  EXPECT_EQ(E->Height(), Raised - 4) << "4 border pixels, flat without 3-D";
}

// ---------------------------------------------------------------------------------------------------
// Glyph strips

TEST_F(DataAwareBiDiTest, AGlyphButtonShowsTheSecondImageOfItsStripWhileTheEditIsDisabled) {
  TBiDiEdit* E = NewEdit("");
  TEditButtonX* Def = E->EditButtons()->Add();
  Def->SetStyle(ebsGlyphX);
  Def->SetWidth(20);
  TBitmap Strip;
  FillGlyphStrip(&Strip, {clRed, clBlue}, 2);
  Def->SetGlyph(&Strip);
  Def->SetNumGlyphs(2);
  win::PumpMessages();
  TEditButtonControlX* B = E->ButtonControl(1);
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->NumGlyphs(), 2);
  const int X = B->Left() + B->Width() / 2, Y = B->Top() + B->Height() / 2;
  EXPECT_EQ(Pixel(E, X, Y), Rgb(clRed));
  E->SetEnabled(false);
  win::PumpMessages();
  EXPECT_EQ(Pixel(E, X, Y), Rgb(clBlue));
}

}  // namespace
