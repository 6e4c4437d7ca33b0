// The data-aware edit's strip and surroundings: separators, the flat border, short cuts and drop-down
// menus of the buttons, the image at the leading edge, the height that follows the font, the MRU list's
// keys, wheel and size; the combo box's completion, paste, wheel, cancel mode, images and resized list;
// the check box's accelerator and cancel mode; streaming of the published controls; and a picture of a
// form with all three for a person to look at.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/classes/filer.h"
#include "platform/controls/imglist.h"
#include "platform/controls/menus.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"
#include "platform/data/memdataset.h"
#include "platform/forms/forms.h"
#include "platform/graphics/clipbrd.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

// The edit with its protected parts in reach of the tests.
class TStripEdit : public TCustomDBEditX {
  DECLARE_CLASS(TStripEdit, TCustomDBEditX)
  explicit TStripEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
  bool IgnoreCloseUp() const { return FIgnoreCloseUp; }
  int DropDowns = 0;

 protected:
  void DropDown() override {
    ++DropDowns;
    TCustomDBEditX::DropDown();
    FDroppedDown = true;
  }
  void CloseUp(bool Accept) override {
    TCustomDBEditX::CloseUp(Accept);
    FDroppedDown = false;
  }
};

// A menu that records where it was asked to pop up instead of running its loop.
class TRecordingMenu : public TPopupMenu {
  DECLARE_CLASS(TRecordingMenu, TPopupMenu)
  explicit TRecordingMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}
  void Popup(int X, int Y) override { Points.push_back(POINT{X, Y}); }
  std::vector<POINT> Points;
};

// The smallest holder: lets the editor modify and sees nothing first.
class THolder : public TCustomControl, public IInplaceEditHolderX {
 public:
  explicit THolder(TComponent* AOwner) : TCustomControl(AOwner) {}
  bool EditorCanModify(TWinControl*) override { return true; }
  bool TakePendingMouseDown(POINT&, int& Time) override {
    Time = 0;
    return false;
  }
  void EditorWndProc(TWinControl*, TMessage&) override {}
  void EditorKeyDown(TWinControl*, WORD&, TShiftState) override {}
  void EditorKeyPress(TWinControl*, WideChar&) override {}
  void EditorKeyUp(TWinControl*, WORD&, TShiftState) override {}
};

std::unique_ptr<TImageList> SolidImages(int W, int H, std::initializer_list<COLORREF> Colors) {
  auto L = std::make_unique<TImageList>(nullptr);
  L->SetWidth(W);
  L->SetHeight(H);
  for (COLORREF C : Colors) {
    TBitmap Bmp;
    Bmp.SetSize(W, H);
    RECT R{0, 0, W, H};
    FillSolidRect(Bmp.Canvas()->Handle(), R, C);
    L->Add(&Bmp);
  }
  return L;
}

class DBEditStripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    FormsUnit::Initialize();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TForm(owner.get());
    host->SetBounds(100, 100, 320, 220);
    host->Show();
    data = new TMemDataSet(owner.get());
    data->AddField("Code", ftString, 10);
    data->AddField("Kind", ftString, 2);
    data->AddField("Paid", ftString, 3);
    data->CreateDataSet();
    const char* Rows[][3] = {{"AB-123", "A", "yes"}, {"CD-456", "B", "no"}};
    for (auto& R : Rows) {
      data->Append();
      data->FieldByName("Code")->SetAsString(R[0]);
      data->FieldByName("Kind")->SetAsString(R[1]);
      data->FieldByName("Paid")->SetAsString(R[2]);
      data->Post();
    }
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    other = new TButton(owner.get());
    other->SetBounds(240, 160, 60, 25);
    other->SetParent(host);
  }
  void TearDown() override {
    owner.reset();
    FormsUnit::Finalize();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  TStripEdit* NewEdit(int Top = 10, bool Flat = false) {
    auto* E = new TStripEdit(owner.get());
    E->SetFlat(Flat);
    E->SetBounds(10, Top, 160, 21);
    E->SetParent(host);
    E->SetDataSource(source);
    E->SetDataField("Code");
    win::PumpMessages();
    return E;
  }
  TDBComboBoxX* NewCombo(bool KeyBased) {
    auto* C = new TDBComboBoxX(owner.get());
    C->SetBounds(10, 60, 160, 21);
    C->SetParent(host);
    for (const char* s : {"Alpha", "Beta", "Gamma"}) C->Items()->Add(s);
    if (KeyBased)
      for (const char* s : {"A", "B", "C"}) C->KeyItems()->Add(s);
    C->SetDataSource(source);
    C->SetDataField("Kind");
    win::PumpMessages();
    return C;
  }
  static void Focus(TWinControl* C) {
    C->SetFocus();
    win::PumpMessages();
  }
  static void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  static POINT Screen(TControl* C, int X, int Y) {
    const TPoint P = C->ClientToScreen(TPoint(X, Y));
    return POINT{P.X, P.Y};
  }
  // Presses the left button on a button control of the edit and keeps it down.
  static void PressOn(TControl* C) {
    const POINT P = Screen(C, C->Width() / 2, C->Height() / 2);
    win::InjectMouse(P.x, P.y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
  }
  static void ReleaseAt(POINT P) {
    win::InjectMouse(P.x, P.y, WM_LBUTTONUP);
    win::PumpMessages();
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TForm* host = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TButton* other = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// Separators and the flat border

TEST_F(DBEditStripTest, FlatEditShowsASeparatorLeftOfEachVisibleButton) {
  for (bool Flat : {false, true}) {
    SCOPED_TRACE(Flat ? "flat" : "3-D");
    TStripEdit* E = NewEdit(10, Flat);
    E->EditButton()->SetVisible(true);
    E->EditButtons()->Add()->SetStyle(ebsEllipsisX);
    E->EditButtons()->Add()->SetVisible(false);
    win::PumpMessages();
    ASSERT_EQ(E->ButtonControlCount(), 3);
    for (int I = 0; I < 3; ++I) {
      TShape* S = E->ButtonSeparator(I);
      TEditButtonControlX* B = E->ButtonControl(I);
      ASSERT_NE(S, nullptr);
      const bool Shown = I != 2;
      EXPECT_EQ(S->Width(), Flat && Shown ? 1 : 0) << I;
      EXPECT_EQ(S->Visible(), Flat && Shown) << I;
      if (Flat && Shown) {
        EXPECT_EQ(S->Left() + 1, B->Left()) << "the separator is just left of its button";
      }
    }
    // The strip reads: separator, main button, separator, EditButtons[0].
    EXPECT_LT(E->ButtonControl(0)->Left(), E->ButtonControl(1)->Left());
    delete E;
  }
}

TEST_F(DBEditStripTest, FlatBorderLightsWithFocusMouseAndAlwaysShowBorder) {
  TStripEdit* E = NewEdit(10, true);
  E->EditButton()->SetVisible(true);
  win::PumpMessages();
  TShape* Sep = E->ButtonSeparator(0);
  auto Frame = [&] {
    // The outer frame's top-left pixel: the face colour when dim, the sunken edge's shadow when lit.
    HDC DC = GetWindowDC(E->Handle());
    const COLORREF C = GetPixel(DC, 0, 0);
    const COLORREF Inner = GetPixel(DC, 1, 1);
    ReleaseDC(E->Handle(), DC);
    EXPECT_EQ(Inner, ColorRef(clBtnFace)) << "the inner frame is always the face colour";
    return C;
  };
  Focus(other);
  EXPECT_FALSE(E->BorderActive());
  EXPECT_EQ(Frame(), ColorRef(clBtnFace));
  EXPECT_EQ(Sep->Pen()->Color(), E->Color()) << "a dim border hides the separator in the edit's colour";
  EXPECT_FALSE(E->ButtonControl(0)->Active());

  Focus(E);
  EXPECT_TRUE(E->BorderActive());
  EXPECT_EQ(Frame(), ColorRef(clBtnShadow));
  EXPECT_EQ(Sep->Pen()->Color(), clBtnFace);
  EXPECT_TRUE(E->ButtonControl(0)->Active());

  Focus(other);
  EXPECT_FALSE(E->BorderActive());
  SetMouseControl(E);
  EXPECT_TRUE(E->MouseAbove());
  EXPECT_TRUE(E->BorderActive());
  SetMouseControl(E->ButtonControl(0));
  EXPECT_TRUE(E->BorderActive()) << "over its own button the mouse is still above the edit";
  SetMouseControl(other);
  EXPECT_FALSE(E->BorderActive());

  E->SetAlwaysShowBorder(true);
  EXPECT_TRUE(E->BorderActive());
  // A repaint of the frame keeps the lit border.
  SendMessage(E->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(Frame(), ColorRef(clBtnShadow));
}

// ---------------------------------------------------------------------------------------------------
// Short cuts, drop-down menus, the release outside a button

TEST_F(DBEditStripTest, ShortCutPushesItsButtonEvenWhenDisabled) {
  TStripEdit* E = NewEdit();
  E->EditButton()->SetVisible(true);
  E->EditButton()->SetShortCut(ShortCut(VK_F4, TShiftState{}));
  TEditButtonX* Extra = E->EditButtons()->Add();
  Extra->SetShortCut(ShortCut('E', TShiftState{ssCtrl}));
  int Downs = 0, Clicks = 0;
  Extra->OnDown = [&](TObject*, bool Top, bool& AutoRepeat, bool&) {
    ++Downs;
    EXPECT_FALSE(Top);
    EXPECT_FALSE(AutoRepeat);
  };
  Extra->OnClick = [&](TObject*, bool&) { ++Clicks; };
  Focus(E);
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  Key('E');
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(Downs, 1);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(E->Text(), "AB-123") << "the key went to the button, not into the text";

  Key(VK_F4);
  EXPECT_EQ(E->DropDowns, 1) << "the main button's short cut drops down";
  EXPECT_TRUE(E->DroppedDown());
  Key(VK_F4);
  EXPECT_FALSE(E->DroppedDown()) << "pushed again it closes";

  E->SetEnabled(true);
  data->Close();  // the buttons are disabled without an active link
  win::PumpMessages();
  EXPECT_FALSE(E->ButtonControl(1)->Enabled());
  Focus(E);
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  Key('E');
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(Clicks, 2) << "a disabled button is pushed all the same";
}

TEST_F(DBEditStripTest, DropdownMenuPopsUnderTheButtonAndTheDismissingClickIsSkipped) {
  TStripEdit* E = NewEdit();
  E->EditButton()->SetVisible(true);
  auto* Menu = new TRecordingMenu(owner.get());
  E->EditButton()->SetDropdownMenu(Menu);
  auto* RightMenu = new TRecordingMenu(owner.get());
  RightMenu->SetAlignment(paRight);
  E->EditButtons()->Add()->SetDropdownMenu(RightMenu);
  win::PumpMessages();
  TEditButtonControlX* Main = E->ButtonControl(0);

  bool AutoRepeat = false, Handled = false;
  Main->OnDown(Main, true, AutoRepeat, Handled);
  ASSERT_EQ(Menu->Points.size(), 1u);
  const POINT BottomLeft = Screen(Main, 0, Main->Height());
  EXPECT_EQ(Menu->Points[0].x, BottomLeft.x);
  EXPECT_EQ(Menu->Points[0].y, BottomLeft.y);
  EXPECT_EQ(E->DropDowns, 0) << "a button with a menu does not drop down";
  EXPECT_EQ(Menu->PopupComponent(), E);

  // The click that dismissed the menu lands on the same button before the skip message is read.
  MSG M;
  ASSERT_TRUE(PeekMessage(&M, E->Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_NOREMOVE));
  Main->OnDown(Main, true, AutoRepeat, Handled);
  EXPECT_EQ(Menu->Points.size(), 1u) << "the dismissing click does not pop the menu again";
  EXPECT_FALSE(PeekMessage(&M, E->Handle(), WM_SKIPBUTTONDOWN, WM_SKIPBUTTONDOWN, PM_NOREMOVE));
  Main->OnDown(Main, true, AutoRepeat, Handled);
  EXPECT_EQ(Menu->Points.size(), 2u) << "the next press pops it up";
  win::PumpMessages();

  TEditButtonControlX* Second = E->ButtonControl(1);
  Second->OnDown(Second, true, AutoRepeat, Handled);
  ASSERT_EQ(RightMenu->Points.size(), 1u);
  const POINT BottomRight = Screen(Second, Second->Width(), Second->Height());
  EXPECT_EQ(RightMenu->Points[0].x, BottomRight.x) << "a right-aligned menu hangs from the bottom-right corner";
  win::PumpMessages();
}

TEST_F(DBEditStripTest, ADropdownMenuFreedElsewhereIsForgottenByItsButtons) {
  TStripEdit* E = NewEdit();
  E->EditButton()->SetVisible(true);
  auto* Menu = new TRecordingMenu(owner.get());
  auto* Shared = new TRecordingMenu(owner.get());
  E->EditButton()->SetDropdownMenu(Menu);
  TEditButtonX* Extra = E->EditButtons()->Add();
  Extra->SetDropdownMenu(Shared);
  TEditButtonX* Third = E->EditButtons()->Add();
  Third->SetDropdownMenu(Shared);
  int ExtraDowns = 0;
  Extra->OnDown = [&](TObject*, bool, bool&, bool&) { ++ExtraDowns; };
  win::PumpMessages();
  // While the menus live, a press pops them up.
  PressOn(E->ButtonControl(1));
  ReleaseAt(Screen(E->ButtonControl(1), 2, 2));
  ASSERT_EQ(Shared->Points.size(), 1u);
  win::PumpMessages();

  // Freed by their owner: the buttons hold no menu any more, and the next presses pop up nothing.
  delete Menu;
  delete Shared;
  EXPECT_EQ(E->EditButton()->DropdownMenu(), nullptr);
  EXPECT_EQ(Extra->DropdownMenu(), nullptr);
  EXPECT_EQ(Third->DropdownMenu(), nullptr);
  TEditButtonControlX* Main = E->ButtonControl(0);
  PressOn(Main);
  ReleaseAt(Screen(Main, 2, 2));
  EXPECT_EQ(E->DropDowns, 1) << "without its menu the main button drops the edit down";
  for (int I : {1, 2}) {
    TEditButtonControlX* B = E->ButtonControl(I);
    PressOn(B);
    ReleaseAt(Screen(B, 2, 2));
  }
  EXPECT_EQ(ExtraDowns, 2);
  EXPECT_EQ(GetCapture(), nullptr);

  // A menu still set elsewhere is left alone when another one goes.
  auto* Kept = new TRecordingMenu(owner.get());
  auto* Gone = new TRecordingMenu(owner.get());
  E->EditButton()->SetDropdownMenu(Kept);
  Extra->SetDropdownMenu(Gone);
  delete Gone;
  EXPECT_EQ(E->EditButton()->DropdownMenu(), Kept);
  EXPECT_EQ(Extra->DropdownMenu(), nullptr);
}

TEST_F(DBEditStripTest, ReleaseOutsideTheButtonEndsTheOpeningClick) {
  TStripEdit* E = NewEdit();
  E->EditButton()->SetVisible(true);
  win::PumpMessages();
  TEditButtonControlX* Main = E->ButtonControl(0);
  PressOn(Main);
  EXPECT_TRUE(E->DroppedDown());
  EXPECT_TRUE(E->IgnoreCloseUp());
  ReleaseAt(Screen(Main, Main->Width() + 30, Main->Height() / 2));
  EXPECT_FALSE(E->IgnoreCloseUp()) << "released outside: the next click on the button closes";
  EXPECT_TRUE(E->DroppedDown());
  PressOn(Main);
  ReleaseAt(Screen(Main, 2, 2));
  EXPECT_FALSE(E->DroppedDown());
}

TEST_F(DBEditStripTest, LosingTheFocusWhileAButtonIsHeldStopsItsRepeat) {
  TStripEdit* E = NewEdit();
  TEditButtonX* Spin = E->EditButtons()->Add();
  Spin->SetStyle(ebsUpDownX);
  int Downs = 0, Clicks = 0;
  Spin->OnDown = [&](TObject*, bool, bool&, bool&) { ++Downs; };
  Spin->OnClick = [&](TObject*, bool&) { ++Clicks; };
  win::PumpMessages();
  TEditButtonControlX* B = E->ButtonControl(1);
  const POINT Upper = Screen(B, B->Width() / 2, 2);
  win::InjectMouse(Upper.x, Upper.y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  ASSERT_EQ(Downs, 1);
  EXPECT_EQ(GetCaptureControl(), B);
  win::AdvanceAndPump(clock, 600);
  EXPECT_EQ(Downs, 4) << "at 400 ms, then every 100 ms";
  other->SetFocus();  // something takes the focus while the button is held
  win::PumpMessages();
  EXPECT_NE(GetCaptureControl(), B);
  EXPECT_EQ(B->PressedPart(), 0);
  win::AdvanceAndPump(clock, 1000);
  EXPECT_EQ(Downs, 4) << "no more repeats";
  win::InjectMouse(Upper.x, Upper.y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(Clicks, 0) << "the cancelled press never clicks";
}

// ---------------------------------------------------------------------------------------------------
// Image, cursor, mouse on the strip, height

TEST_F(DBEditStripTest, ImageTakesTheLeadingEdgeAndItsClicksAreNotTheText) {
  const COLORREF Red = RGB(255, 0, 0);
  auto Images = SolidImages(10, 10, {Red});
  TStripEdit* E = NewEdit();
  E->SetAutoSize(false);
  E->SetHeight(24);
  E->EditButton()->SetVisible(true);
  E->EditImage()->SetImages(Images.get());
  E->EditImage()->SetImageIndex(0);
  EXPECT_EQ(E->ImageWidth(), 0) << "not visible yet";
  E->EditImage()->SetVisible(true);
  win::PumpMessages();
  EXPECT_EQ(E->ImageWidth(), 14);
  RECT FR{};
  SendMessage(E->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&FR));
  EXPECT_GE(FR.left, 14) << "the text starts right of the image";
  EXPECT_LE(FR.right, E->ClientWidth() - E->ButtonsStripWidth());
  const int MidY = E->ClientHeight() / 2;
  EXPECT_EQ(win::GetWindowPixel(E->Handle(), 7, MidY), Red);
  E->EditImage()->SetWidth(20);
  win::PumpMessages();
  EXPECT_EQ(E->ImageWidth(), 24) << "an own width, plus the margin";

  Focus(E);
  E->SetSelStart(3);
  E->SetSelLength(0);
  const POINT OnImage = Screen(E, 5, MidY);
  win::InjectMouse(OnImage.x, OnImage.y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(OnImage.x, OnImage.y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(E->SelStart(), 3) << "a click on the image leaves the caret alone";

  // The arrow over the image and the strip, the edit's own cursor over the text.
  const HCURSOR Arrow = LoadCursor(nullptr, IDC_ARROW);
  SetCursorPos(OnImage.x, OnImage.y);
  SendMessage(E->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(E->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), Arrow);
  const POINT OnText = Screen(E, 60, MidY);
  SetCursorPos(OnText.x, OnText.y);
  SendMessage(E->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(E->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), Arrow);
}

TEST_F(DBEditStripTest, AutoSizedHeightFollowsFontFlatnessAndImages) {
  TStripEdit* E = NewEdit();
  ASSERT_TRUE(E->AutoSize()) << "on by default";
  auto FontHeight = [&] {
    HDC DC = GetDC(nullptr);
    HGDIOBJ Old = SelectObject(DC, E->Font()->Handle());
    TEXTMETRIC TM{};
    GetTextMetrics(DC, &TM);
    SelectObject(DC, Old);
    ReleaseDC(nullptr, DC);
    return static_cast<int>(TM.tmHeight);
  };
  const int CyBorder = GetSystemMetrics(SM_CYBORDER);
  EXPECT_EQ(E->Height(), 8 * CyBorder + FontHeight());
  EXPECT_TRUE(E->ControlStyle().Contains(csFixedHeight));
  E->Font()->SetHeight(-24);
  win::PumpMessages();
  EXPECT_EQ(E->Height(), 8 * CyBorder + FontHeight()) << "a font change refits";
  E->SetFlat(true);
  win::PumpMessages();
  EXPECT_EQ(E->Height(), 6 * CyBorder + FontHeight());
  auto Tall = SolidImages(8, 40, {RGB(0, 0, 255)});
  E->EditImage()->SetImages(Tall.get());
  E->EditImage()->SetVisible(true);
  win::PumpMessages();
  EXPECT_EQ(E->Height(), 6 * CyBorder + 40) << "taller images set the height";
  E->EditImage()->SetUseImageHeight(false);
  win::PumpMessages();
  EXPECT_EQ(E->Height(), 6 * CyBorder + FontHeight());
  // In place, the holder's cell decides the height, whatever the font.
  THolder Holder(owner.get());
  Holder.SetParent(host);
  E->SetInplaceEditHolder(&Holder);
  E->MoveTo(RECT{10, 10, 150, 27});
  E->Font()->SetHeight(-30);
  win::PumpMessages();
  EXPECT_EQ(E->Height(), 17);
  E->SetInplaceEditHolder(nullptr);
  E->SetAutoSize(false);
  EXPECT_FALSE(E->ControlStyle().Contains(csFixedHeight));
  E->SetHeight(60);
  EXPECT_EQ(E->Height(), 60);
  E->EditImage()->SetImages(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// MRU list: keys, wheel, size

TEST_F(DBEditStripTest, OpenMruListOwnsReturnAndWheelAndKeepsItsResizedRows) {
  TStripEdit* E = NewEdit();
  TStringList Remembered;
  for (int I = 0; I < 12; ++I) Remembered.Add("A" + std::to_string(10 + I));
  E->MRUList()->SetItems(&Remembered);
  E->MRUList()->SetActive(true);
  E->MRUList()->SetRows(4);
  int DefaultClicks = 0;
  other->SetDefault(true);
  other->OnClick = [&](TObject*) { ++DefaultClicks; };
  Focus(E);
  win::InjectChar("a");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  TMRUListboxX* L = E->MRUListBox();
  EXPECT_EQ(L->RowsShown(), 4);

  // The wheel scrolls the open list, not the edit.
  const int Top = L->TopIndex();
  const POINT P = Screen(E, 20, 5);
  win::InjectMouse(P.x, P.y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_TRUE(L->TopIndex() != Top || L->ItemIndex() >= 0) << "the wheel reached the list";
  EXPECT_TRUE(E->MRUList()->DroppedDown);

  // The user makes the list two rows high: the MRU list keeps that.
  L->SetHeight(2 * L->ItemHeight() + L->BorderHeight());
  L->SizeGrip()->OnParentResized(L->SizeGrip());
  EXPECT_EQ(E->MRUList()->Rows(), 2);

  Key(VK_DOWN);
  ASSERT_GE(L->ItemIndex(), 0);
  const std::string Picked = L->Items()->Strings(L->ItemIndex());
  Key(VK_RETURN);
  EXPECT_FALSE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->Text(), Picked);
  EXPECT_EQ(DefaultClicks, 0) << "Return took the entry and did not press the default button";
  Key(VK_RETURN);
  EXPECT_EQ(DefaultClicks, 1) << "with the list closed Return is the dialog's again";
}

// A list the user widened keeps that width while it stays open and filters; it opens again at the
// width of the edit's text area.
TEST_F(DBEditStripTest, OpenMruListKeepsTheWidthTheUserGaveIt) {
  TStripEdit* E = NewEdit();
  TStringList Remembered;
  for (int I = 0; I < 12; ++I) Remembered.Add("A" + std::to_string(10 + I));
  E->MRUList()->SetItems(&Remembered);
  E->MRUList()->SetActive(true);
  E->MRUList()->SetRows(5);
  Focus(E);
  win::InjectChar("a");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  TMRUListboxX* L = E->MRUListBox();
  RECT FR{0, 0, 0, 0};
  E->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&FR));
  const int Designed = FR.right - FR.left;
  EXPECT_EQ(L->Width(), Designed);

  // The user drags the grip: wider and three rows high.
  L->SetBounds(L->Left(), L->Top(), Designed + 60, 3 * L->ItemHeight() + L->BorderHeight());
  L->SizeGrip()->OnParentResized(L->SizeGrip());
  EXPECT_EQ(E->MRUList()->Rows(), 3);

  // Typing on filters the open list: "A1" matches ten; width and rows stay the user's.
  win::InjectChar("1");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  EXPECT_EQ(L->Items()->Count(), 10);
  EXPECT_EQ(L->Width(), Designed + 60);
  EXPECT_EQ(L->RowsShown(), 3);
  // Fewer matches than rows: the rows shrink to them, the width stays.
  win::InjectChar("0");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  EXPECT_EQ(L->Items()->Count(), 1);
  EXPECT_EQ(L->RowsShown(), 1);
  EXPECT_EQ(L->Width(), Designed + 60);

  // Closed and opened again: the text area's width, the kept row count.
  Key(VK_ESCAPE);
  ASSERT_FALSE(E->MRUList()->DroppedDown);
  E->SelectAll();
  win::InjectChar("a");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  EXPECT_EQ(L->Width(), Designed);
  EXPECT_EQ(L->RowsShown(), 3);
}

TEST_F(DBEditStripTest, CancelModeFromAnotherControlClosesTheMruList) {
  TStripEdit* E = NewEdit();
  TStringList Remembered;
  Remembered.Add("AXE");
  E->MRUList()->SetItems(&Remembered);
  E->MRUList()->SetActive(true);
  Focus(E);
  win::InjectChar("a");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  E->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(E->ButtonControl(0)));
  EXPECT_TRUE(E->MRUList()->DroppedDown) << "its own button does not close it";
  E->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(E->MRUListBox()));
  EXPECT_TRUE(E->MRUList()->DroppedDown);
  E->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(other));
  EXPECT_FALSE(E->MRUList()->DroppedDown);
}

// ---------------------------------------------------------------------------------------------------
// Combo box

TEST_F(DBEditStripTest, TextBasedComboCompletesTypedTextFromTheItems) {
  TDBComboBoxX* C = NewCombo(false);
  Focus(C);
  Key(VK_END);
  // Select everything and type: the text becomes the first item the typed text begins.
  C->SelectAll();
  win::InjectChar("b");
  win::PumpMessages();
  EXPECT_EQ(C->Text(), "Beta");
  EXPECT_EQ(C->ItemIndex(), 1);
  EXPECT_EQ(C->SelStart(), 1);
  EXPECT_EQ(C->SelLength(), 3) << "the completed tail is selected";
  win::InjectChar("x");
  win::PumpMessages();
  EXPECT_EQ(C->Text(), "Bx") << "no item begins with it: the text stays as typed";
  EXPECT_EQ(C->ItemIndex(), -1);
  win::InjectChar("\b");
  win::PumpMessages();
  EXPECT_EQ(C->Text(), "B");
  EXPECT_EQ(C->ItemIndex(), -1) << "Backspace looks for the whole text only";
}

// A combo box as a grid paints it into another row: the text of that row's field.
class TPaintCopyCombo : public TDBComboBoxX {
 public:
  explicit TPaintCopyCombo(TComponent* AOwner) : TDBComboBoxX(AOwner) {}
  std::string CopyText() {
    FControlState.Include(csPaintCopy);
    std::string T = GetPaintCopyText();
    FControlState.Exclude(csPaintCopy);
    return T;
  }
};

TEST_F(DBEditStripTest, PaintingACopyShowsTheItemOfTheFieldsKey) {
  auto* C = new TPaintCopyCombo(owner.get());
  C->SetParent(host);
  for (const char* s : {"Alpha", "Beta"}) C->Items()->Add(s);
  for (const char* s : {"A", "B"}) C->KeyItems()->Add(s);
  C->SetDataSource(source);
  C->SetDataField("Kind");
  EXPECT_EQ(C->CopyText(), "Alpha");
  data->Next();
  EXPECT_EQ(C->CopyText(), "Beta");
  C->SetCharCase(ecUpperCase);
  EXPECT_EQ(C->CopyText(), "BETA");
  data->Edit();
  data->FieldByName("Kind")->SetAsString("Z");
  EXPECT_EQ(C->CopyText(), "") << "a key that is not among the key items paints nothing";
  data->Cancel();
  C->KeyItems()->Clear();
  EXPECT_EQ(C->CopyText(), "B") << "text-based: the field's display text";
}

TEST_F(DBEditStripTest, PressOnTheButtonDragIntoTheListAndReleasePicks) {
  TDBComboBoxX* C = NewCombo(true);
  TEditButtonControlX* Main = C->ButtonControl(0);
  PressOn(Main);
  ASSERT_TRUE(C->ListVisible());
  TPopupListboxX* L = C->ListBox();
  // Still holding the button, the mouse moves onto the third row of the list.
  const int Y = 2 * L->ItemHeight() + L->ItemHeight() / 2;
  const POINT Row = Screen(L, 10, Y);
  win::InjectMouse(Row.x, Row.y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(L->ItemIndex(), 2) << "the press went over to the list";
  EXPECT_NE(GetCaptureControl(), Main) << "the button let the mouse go";
  ReleaseAt(Row);
  EXPECT_FALSE(C->ListVisible());
  EXPECT_EQ(C->Text(), "Gamma");
  EXPECT_EQ(C->Value().AsString(), "C");
}

TEST_F(DBEditStripTest, AutoDropOpensTheListOnTheFirstTypedCharacter) {
  for (bool KeyBased : {true, false}) {
    SCOPED_TRACE(KeyBased ? "key-based" : "text-based");
    TDBComboBoxX* C = NewCombo(KeyBased);
    Focus(C);
    win::InjectChar("g");
    win::PumpMessages();
    EXPECT_FALSE(C->ListVisible()) << "AutoDrop is off by default";
    C->DropDownBox()->SetAutoDrop(true);
    C->SelectAll();
    win::InjectChar("b");
    win::PumpMessages();
    ASSERT_TRUE(C->ListVisible());
    EXPECT_EQ(C->ItemIndex(), 1) << "the character still searches";
    EXPECT_EQ(C->ListBox()->ItemIndex(), 1) << "the open list shows the item";
    Key(VK_ESCAPE);
    EXPECT_FALSE(C->ListVisible());
    delete C;
  }
}

TEST_F(DBEditStripTest, KeyBasedComboTakesPasteWheelAndCancelMode) {
  TDBComboBoxX* C = NewCombo(true);
  Focus(C);
  EXPECT_EQ(C->Text(), "Alpha");
  Clipboard()->SetAsText("Gam");
  C->SelectAll();
  SendMessage(C->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(C->ItemIndex(), 2) << "pasted text searches the items";
  EXPECT_EQ(C->Text(), "Gamma");

  // The text of a key-based control is not the mouse's: a click does not move the caret, a right
  // click asks for the context menu, and the cursor is the arrow.
  C->SetSelStart(0);
  C->SetSelLength(2);
  SendMessage(C->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 5));
  SendMessage(C->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(40, 5));
  EXPECT_EQ(C->SelStart(), 0);
  EXPECT_EQ(C->SelLength(), 2);
  int Menus = 0;
  TPoint MenuAt;
  C->OnContextPopup = [&](TObject*, TPoint P, bool& Handled) {
    ++Menus;
    MenuAt = P;
    Handled = true;
  };
  SendMessage(C->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 6));
  SendMessage(C->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(30, 6));
  EXPECT_EQ(Menus, 1);
  EXPECT_EQ(MenuAt, TPoint(30, 6));
  const POINT OnText = Screen(C, 30, 6);
  SetCursorPos(OnText.x, OnText.y);
  SendMessage(C->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(C->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));

  const POINT P = Screen(C, 20, 5);
  win::InjectMouse(P.x, P.y, WM_MOUSEWHEEL, 0, WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(C->ItemIndex(), 1) << "wheel up steps to the previous item";
  win::InjectMouse(P.x, P.y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(C->ItemIndex(), 2);
  EXPECT_EQ(C->Value().AsString(), "C");

  C->EditButton()->SetShortCut(ShortCut(VK_F4, TShiftState{}));
  Key(VK_F4);
  ASSERT_TRUE(C->ListVisible());
  // The wheel over the open list moves in the list, not the value.
  win::InjectMouse(P.x, P.y, WM_MOUSEWHEEL, 0, WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(C->ItemIndex(), 2);
  C->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(C));
  EXPECT_TRUE(C->ListVisible());
  C->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(C->ListBox()));
  EXPECT_TRUE(C->ListVisible());
  C->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(other));
  EXPECT_FALSE(C->ListVisible());
}

TEST_F(DBEditStripTest, ComboImagesFollowTheItemAndTheResizedListIsKept) {
  auto Images = SolidImages(12, 20, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)});
  TDBComboBoxX* C = NewCombo(true);
  C->SetImages(Images.get());
  EXPECT_TRUE(C->EditImage()->Visible());
  EXPECT_EQ(C->EditImage()->ImageIndex(), 0);
  data->Next();
  EXPECT_EQ(C->EditImage()->ImageIndex(), 1) << "the image follows the record's item";
  C->DropDownBox()->SetSizable(true);
  Focus(C);
  C->EditButton()->SetShortCut(ShortCut(VK_F4, TShiftState{}));
  Key(VK_F4);
  ASSERT_TRUE(C->ListVisible());
  TPopupListboxX* L = C->ListBox();
  EXPECT_EQ(L->ImageList(), Images.get());
  EXPECT_EQ(L->ItemHeight(), 20) << "rows as high as the taller images";
  // The user drags the list to two rows and 250 pixels.
  L->SetBounds(L->Left(), L->Top(), 250, 2 * L->ItemHeight() + L->BorderHeight());
  L->SizeGrip()->OnParentResized(L->SizeGrip());
  Key(VK_ESCAPE);
  EXPECT_FALSE(C->ListVisible());
  EXPECT_EQ(C->DropDownBox()->Rows(), 2);
  EXPECT_EQ(C->DropDownBox()->Width(), 250);
  Key(VK_F4);
  EXPECT_EQ(L->RowsShown(), 2) << "it opens at the size it was left";
  Key(VK_ESCAPE);
  C->SetImages(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Check box

TEST_F(DBEditStripTest, CheckBoxAcceleratorAndCancelMode) {
  TForm* Form = host;
  auto* Box = new TDBCheckBoxX(Form);
  Box->SetBounds(10, 10, 120, 17);
  Box->SetParent(Form);
  Box->SetText("&Paid");
  Box->SetValueChecked("yes");
  Box->SetValueUnchecked("no");
  Box->SetDataSource(source);
  Box->SetDataField("Paid");
  auto* Edit = new TEdit(Form);
  Edit->SetBounds(10, 40, 100, 21);
  Edit->SetParent(Form);
  win::PumpMessages();
  Focus(Edit);
  EXPECT_EQ(Box->State(), cbChecked);
  EXPECT_EQ(Box->Perform(CM_DIALOGCHAR, 'Q', 0), 0) << "another letter is not its accelerator";
  // Alt+P through the form: the box takes the focus and toggles.
  win::InjectKey(WM_SYSKEYDOWN, VK_MENU);
  win::InjectKey(WM_SYSKEYDOWN, 'P');
  win::InjectKey(WM_SYSKEYUP, 'P');
  win::InjectKey(WM_KEYUP, VK_MENU);
  win::PumpMessages();
  EXPECT_TRUE(Box->Focused());
  EXPECT_EQ(Box->State(), cbUnchecked);
  EXPECT_EQ(Box->Perform(CM_DIALOGCHAR, 'p', 0), 1);
  EXPECT_EQ(Box->State(), cbChecked);

  // A press cancelled before its release lets the capture go without a click.
  const POINT P = Screen(Box, 5, 8);
  win::InjectMouse(P.x, P.y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(GetCapture(), Box->Handle());
  SendMessage(Box->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_NE(GetCapture(), Box->Handle());
  win::InjectMouse(P.x, P.y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(Box->State(), cbChecked) << "no toggle from the cancelled press";

  // Themed, the background is erased in the box's colour.
  const bool Themes = EditButtonThemesActive;
  EditButtonThemesActive = true;
  Box->SetColor(clYellow);
  HDC DC = GetDC(Box->Handle());
  EXPECT_EQ(SendMessage(Box->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0), 1);
  EXPECT_EQ(GetPixel(DC, Box->Width() - 1, 0), ColorRef(clYellow));
  ReleaseDC(Box->Handle(), DC);
  EditButtonThemesActive = Themes;
}

// ---------------------------------------------------------------------------------------------------
// Streaming

TEST_F(DBEditStripTest, PublishedControlsRoundTripThroughTheComponentStream) {
  RegisterClasses<TTestHost, TDBComboBoxX, TDBCheckBoxX>();
  TTestHost Root(nullptr);
  Root.SetName("Root");
  auto* C = new TDBComboBoxX(&Root);
  C->SetName("Kind");
  C->SetParent(&Root);
  C->SetBounds(5, 6, 150, 21);
  for (const char* s : {"Adult", "Child"}) C->Items()->Add(s);
  for (const char* s : {"A", "C"}) C->KeyItems()->Add(s);
  C->SetEditMask(">L;0;_");
  C->SetFlat(true);
  C->SetAlwaysShowBorder(true);
  C->SetAlignment(taCenter);
  C->DropDownBox()->SetRows(3);
  C->DropDownBox()->SetSizable(true);
  C->EditButton()->SetStyle(ebsEllipsisX);
  C->EditButton()->SetShortCut(ShortCut(VK_F4, TShiftState{}));
  TEditButtonX* Extra = C->EditButtons()->Add();
  Extra->SetStyle(ebsPlusX);
  Extra->SetWidth(15);
  C->EditButtons()->Add()->SetVisible(false);
  C->MRUList()->SetActive(true);
  C->MRUList()->SetLimit(5);
  C->MRUList()->AddEntry("Adult");
  C->SetImeMode(imClose);
  C->SetImeName("Pinyin");
  C->SetDragMode(dmAutomatic);
  C->SetDragCursor(crMultiDrag);
  auto* Plain = new TDBComboBoxX(&Root);
  Plain->SetName("Plain");
  Plain->SetParent(&Root);
  auto* B = new TDBCheckBoxX(&Root);
  B->SetName("Paid");
  B->SetParent(&Root);
  B->SetText("Paid");
  B->SetValueChecked("Yes;Y");
  B->SetAllowGrayed(true);
  B->SetState(cbGrayed);

  TMemoryStream S;
  TWriter(&S).WriteRootComponent(&Root);
  S.SetPosition(0);
  TTestHost Copy(nullptr);
  TReader(&S).ReadRootComponent(&Copy);

  auto* C2 = dynamic_cast<TDBComboBoxX*>(Copy.FindComponent("Kind"));
  auto* P2 = dynamic_cast<TDBComboBoxX*>(Copy.FindComponent("Plain"));
  auto* B2 = dynamic_cast<TDBCheckBoxX*>(Copy.FindComponent("Paid"));
  ASSERT_NE(C2, nullptr);
  ASSERT_NE(P2, nullptr);
  ASSERT_NE(B2, nullptr);
  EXPECT_EQ(C2->Items()->Count(), 2);
  EXPECT_EQ(C2->KeyItems()->Strings(1), "C");
  EXPECT_TRUE(C2->KeyBased());
  EXPECT_EQ(C2->EditMask(), ">L;0;_");
  EXPECT_TRUE(C2->EditMaskStored());
  EXPECT_FALSE(P2->EditMaskStored()) << "an unassigned mask is not stored";
  EXPECT_FALSE(P2->AlignmentStored());
  EXPECT_TRUE(C2->Flat());
  EXPECT_TRUE(C2->AlwaysShowBorder());
  EXPECT_EQ(C2->Alignment(), taCenter);
  EXPECT_EQ(C2->DropDownBox()->Rows(), 3);
  EXPECT_TRUE(C2->DropDownBox()->Sizable());
  EXPECT_EQ(C2->EditButton()->Style(), ebsEllipsisX);
  EXPECT_TRUE(C2->EditButton()->Visible());
  EXPECT_EQ(C2->EditButton()->ShortCut(), ShortCut(VK_F4, TShiftState{}));
  ASSERT_EQ(C2->EditButtons()->Count(), 2);
  EXPECT_EQ(C2->EditButtons()->Items(0)->Style(), ebsPlusX);
  EXPECT_EQ(C2->EditButtons()->Items(0)->Width(), 15);
  EXPECT_TRUE(C2->EditButtons()->Items(0)->Visible());
  EXPECT_FALSE(C2->EditButtons()->Items(1)->Visible());
  EXPECT_TRUE(C2->MRUList()->Active());
  EXPECT_EQ(C2->MRUList()->Limit(), 5);
  ASSERT_EQ(C2->MRUList()->Items()->Count(), 1);
  EXPECT_EQ(C2->ImeMode(), imClose);
  EXPECT_EQ(C2->ImeName(), "Pinyin");
  EXPECT_EQ(P2->ImeMode(), imDontCare);
  EXPECT_EQ(P2->ImeName(), "");
  EXPECT_EQ(C2->DragMode(), dmAutomatic);
  EXPECT_EQ(C2->DragCursor(), crMultiDrag);
  EXPECT_EQ(P2->DragMode(), dmManual);
  EXPECT_EQ(P2->DragCursor(), crDrag);
  EXPECT_EQ(B2->ValueChecked(), "Yes;Y");
  EXPECT_EQ(B2->ValueUnchecked(), "False");
  EXPECT_TRUE(B2->AllowGrayed());
  EXPECT_EQ(B2->State(), cbGrayed) << "a data-independent state is stored";
  EXPECT_EQ(B2->Caption(), "Paid");
  UnRegisterClasses<TTestHost, TDBComboBoxX, TDBCheckBoxX>();
}

// ---------------------------------------------------------------------------------------------------
// The picture

// Copies a top-level window's painted pixels into Target at (X, Y).
void CopyWindowPixels(HWND From, int W, int H, HDC Target, int X, int Y) {
  for (int Row = 0; Row < H; ++Row)
    for (int Col = 0; Col < W; ++Col) {
      const COLORREF C = win::GetWindowPixel(From, Col, Row);
      if (C != CLR_INVALID) SetPixelV(Target, X + Col, Y + Row, C);
    }
}

class TCompositeWindow : public TCustomControl {
  DECLARE_CLASS(TCompositeWindow, TCustomControl)
  explicit TCompositeWindow(TComponent* AOwner) : TCustomControl(AOwner) {}
  TBitmap Picture;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE;
    Params.WndParent = nullptr;
  }
  void Paint() override { BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), Picture.Canvas()->Handle(), 0, 0, SRCCOPY); }
};

TEST_F(DBEditStripTest, PictureOfAFormWithFlatEditDroppedComboAndCheckBox) {
  TStripEdit* E = NewEdit(10, true);
  E->SetEditMask(">LL-000;1;_");
  E->EditButton()->SetVisible(true);
  E->EditButton()->SetStyle(ebsEllipsisX);
  E->EditButtons()->Add()->SetStyle(ebsPlusX);
  E->SetAlwaysShowBorder(true);
  auto* Plain = NewEdit(35, true);  // flat and dim, for comparison
  Plain->EditButton()->SetVisible(true);
  TDBComboBoxX* C = NewCombo(true);
  auto* Box = new TDBCheckBoxX(owner.get());
  Box->SetBounds(190, 62, 100, 17);
  Box->SetParent(host);
  other->SetCaption("OK");
  Box->SetText("Paid");
  Box->SetValueChecked("yes");
  Box->SetDataSource(source);
  Box->SetDataField("Paid");
  Focus(C);
  C->EditButton()->SetShortCut(ShortCut(VK_F4, TShiftState{}));
  Key(VK_F4);
  ASSERT_TRUE(C->ListVisible());
  win::PumpMessages();
  EXPECT_EQ(E->ButtonSeparator(1)->Width(), 1);

  // The list is a window of its own: the picture puts it where it stands on the screen.
  POINT HostOrigin{0, 0};
  ::ClientToScreen(host->Handle(), &HostOrigin);
  const int HW = host->ClientWidth(), HH = host->ClientHeight();
  RECT LR;
  GetWindowRect(C->ListBox()->Handle(), &LR);
  const int W = std::max<int>(HostOrigin.x + HW, LR.right) - HostOrigin.x;
  const int H = std::max<int>(HostOrigin.y + HH, LR.bottom) - HostOrigin.y;
  auto* Out = new TCompositeWindow(owner.get());
  Out->Picture.SetSize(W, H);
  FillSolidRect(Out->Picture.Canvas()->Handle(), RECT{0, 0, W, H}, RGB(255, 255, 255));
  CopyWindowPixels(host->Handle(), HW, HH, Out->Picture.Canvas()->Handle(), 0, 0);
  // The list's client pixels, and its raised frame drawn around them.
  TPopupListboxX* L = C->ListBox();
  POINT Origin{0, 0};
  ::ClientToScreen(L->Handle(), &Origin);
  CopyWindowPixels(L->Handle(), L->ClientWidth(), L->ClientHeight(), Out->Picture.Canvas()->Handle(),
                   Origin.x - HostOrigin.x, Origin.y - HostOrigin.y);
  RECT Frame{LR.left - HostOrigin.x, LR.top - HostOrigin.y, LR.right - HostOrigin.x, LR.bottom - HostOrigin.y};
  DrawEdge(Out->Picture.Canvas()->Handle(), &Frame, EDGE_RAISED, BF_RECT);
  Out->SetBounds(0, 0, W, H);
  Out->HandleNeeded();
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(Out->Handle(), win::ArtifactPath("dataedit_strip_form.png")));
  // The two edits four times as large, to see the separators and the border's pixels.
  const RECT Edits{0, 0, 180, 60};
  auto* Zoom = new TCompositeWindow(owner.get());
  Zoom->Picture.SetSize(4 * Edits.right, 4 * Edits.bottom);
  StretchBlt(Zoom->Picture.Canvas()->Handle(), 0, 0, 4 * Edits.right, 4 * Edits.bottom, Out->Picture.Canvas()->Handle(),
             0, 0, Edits.right, Edits.bottom, SRCCOPY);
  Zoom->SetBounds(0, 0, 4 * Edits.right, 4 * Edits.bottom);
  Zoom->HandleNeeded();
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(Zoom->Handle(), win::ArtifactPath("dataedit_strip_edits_zoom.png")));
  // The dropped list shows the items below the combo box.
  EXPECT_EQ(L->Items()->Count(), 3);
  EXPECT_GT(Origin.y, C->ClientToScreen(TPoint(0, 0)).Y);
}

}  // namespace
