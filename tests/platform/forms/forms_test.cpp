// Forms, the application's loops and the dialog service, driven through the queue.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/buttons.h"
#include "platform/controls/comctrls.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"

namespace {

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    dialogs.Install();
    FormsUnit::Initialize();
    Application->Initialize();
  }
  void TearDown() override {
    FormsUnit::Finalize();
    win::ResetWindowManager();
    dialogs.Uninstall();
    clock.Uninstall();
  }
  static TPoint Center(TControl* C) { return C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2)); }
  // Queues a click; the loop that runs next delivers it.
  static void QueueClick(TControl* C) {
    TPoint p = Center(C);
    win::InjectMouse(p.X, p.Y, WM_MOUSEMOVE);
    win::InjectMouse(p.X, p.Y, WM_LBUTTONDOWN);
    win::InjectMouse(p.X, p.Y, WM_LBUTTONUP);
  }
  // Runs Steps one by one whenever the loop is idle (the user's next action), then nothing.
  void Script(std::vector<std::function<void()>> Steps) {
    steps = std::move(Steps);
    next = 0;
    Application->OnIdle = [this](TObject*, bool& Done) {
      if (next < steps.size()) steps[next++]();
      else if (++idleWithoutWork > 1000) FAIL() << "the loop did not end";
      Done = false;
    };
  }

  win::FakeClock clock;
  win::ScriptedDialogs dialogs;
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  int idleWithoutWork = 0;
};

class TDialogForm : public TForm {
  DECLARE_CLASS(TDialogForm, TForm)
  explicit TDialogForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Select Model");
    SetBorderStyle(bsDialog);
    SetPosition(poDesktopCenter);
    SetClientWidth(300);
    SetClientHeight(120);
    Ok = new TButton(this);
    Ok->SetBounds(60, 80, 75, 25);
    Ok->SetCaption("确定");
    Ok->SetModalResult(mrOk);
    Ok->SetDefault(true);
    Ok->SetParent(this);
    Cancel = new TButton(this);
    Cancel->SetBounds(160, 80, 75, 25);
    Cancel->SetCaption("取消");
    Cancel->SetCancel(true);
    Cancel->OnClick = [this](TObject*) { Close(); };
    Cancel->SetParent(this);
    NameEdit = new TEdit(this);
    NameEdit->SetBounds(20, 20, 200, 21);
    NameEdit->SetParent(this);
  }
  TButton* Ok;
  TButton* Cancel;
  TEdit* NameEdit;
};

TEST_F(FormsTest, DialogFormKeepsItsClientSizeAndIsCentred) {
  TDialogForm* form = nullptr;
  Application->CreateForm(form);
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->ClientHeight(), 120);
  form->Show();
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->ClientHeight(), 120);
  TRect work = Screen->WorkAreaRect();
  EXPECT_EQ(form->Left(), work.Left + (work.Width() - form->Width()) / 2);
  EXPECT_EQ(form->Top(), work.Top + (work.Height() - form->Height()) / 2);
  EXPECT_EQ(Screen->FormCount(), 1);
  // The first control in tab order has the focus.
  EXPECT_TRUE(form->Ok->Focused());
  win::InjectKey(WM_KEYDOWN, VK_TAB);
  win::PumpMessages();
  EXPECT_TRUE(form->Cancel->Focused());
}

TEST_F(FormsTest, ShowModalEndsWithTheButtonsModalResult) {
  TForm* main = nullptr;
  TDialogForm* dialog = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(dialog);
  EXPECT_EQ(Application->MainForm(), main);
  main->Show();
  int okClicks = 0;
  dialog->Ok->OnClick = [&](TObject*) { ++okClicks; };
  bool mainDisabled = false;
  Script({[&] {
    mainDisabled = !IsWindowEnabled(main->Handle());
    QueueClick(dialog->Ok);
  }});
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(okClicks, 1);
  EXPECT_TRUE(mainDisabled);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(dialog->Visible());

  // Close (the cancel button's handler) ends it with mrCancel; OnClose runs.
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
  Script({[&] { QueueClick(dialog->Cancel); }});
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(closes, 1);

  // Return in an edit presses the default button; Escape the cancel button.
  dialog->SetActiveControl(dialog->NameEdit);
  Script({[&] {
    win::InjectKey(WM_KEYDOWN, VK_RETURN);
    win::InjectKey(WM_KEYUP, VK_RETURN);
  }});
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  Script({[&] {
    win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
    win::InjectKey(WM_KEYUP, VK_ESCAPE);
  }});
  EXPECT_EQ(dialog->ShowModal(), mrCancel);

  // OnCloseQuery may refuse: the loop goes on until a later answer allows it.
  int asked = 0;
  dialog->OnCloseQuery = [&](TObject*, bool& Can) { Can = ++asked > 1; };
  Script({[&] { QueueClick(dialog->Ok); }, [&] { QueueClick(dialog->Ok); }});
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(asked, 2);
}

TEST_F(FormsTest, ExceptionFromAnEventIsShownAndTheLoopGoesOn) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(50, 50, 300, 200);
  auto* button = new TButton(main);
  button->SetBounds(10, 10, 100, 25);
  button->SetParent(main);
  int clicks = 0;
  button->OnClick = [&](TObject*) {
    if (++clicks == 1) throw EConvertError("'abc' is not a valid integer value");
    main->Close();  // the main form closing ends the program's loop
  };
  auto* timer = new TTimer(main);
  timer->SetInterval(100);
  timer->OnTimer = [&](TObject*) {
    timer->SetEnabled(false);
    throw Exception("定时器出错");
  };
  Script({[&] { QueueClick(button); }, [&] { clock.Advance(100); }, [&] { QueueClick(button); }});
  Application->Run();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(dialogs.MessageTexts(),
            (std::vector<std::string>{"'abc' is not a valid integer value", "定时器出错"}));
  ASSERT_FALSE(dialogs.Requests().empty());
  EXPECT_EQ(dialogs.Requests()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormsTest, OnCreateRunsAfterTheConstructorAndItsExceptionIsShown) {
  struct TLoader : public TForm {
    explicit TLoader(TComponent* AOwner) : TForm(AOwner) {
      Image = new TImage(this);
      Image->SetParent(this);
      OnCreate = [this](TObject*) {
        Created = Image != nullptr;
        Image->Picture()->LoadFromFile("/nonexistent/Models/1.png");
        Loaded = true;
      };
    }
    TImage* Image = nullptr;
    bool Created = false;
    bool Loaded = false;
  };
  TLoader* form = nullptr;
  Application->CreateForm(form);
  EXPECT_TRUE(form->Created);
  EXPECT_FALSE(form->Loaded);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_FALSE(dialogs.MessageTexts()[0].empty());
  EXPECT_EQ(Application->MainForm(), form);
}

TEST_F(FormsTest, MessageDialogsAndCommonDialogsGoThroughTheService) {
  dialogs.PushResult(IDYES);
  EXPECT_EQ(MessageDlg("保存吗？", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrYes);
  ShowMessage("请先选择模特");
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"保存吗？", "请先选择模特"}));
  EXPECT_EQ(dialogs.Requests()[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));

  TOpenDialog open(nullptr);
  open.SetFilter("All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|Bitmaps (*.bmp)|*.bmp");
  dialogs.PushFile("/tmp/portrait.jpg", 1);
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName(), "/tmp/portrait.jpg");
  EXPECT_EQ(dialogs.Requests().back().file.filter, open.Filter());
  dialogs.PushCancel();
  EXPECT_FALSE(open.Execute());
  EXPECT_EQ(open.FileName(), "/tmp/portrait.jpg");

  TSaveDialog save(nullptr);
  save.SetFilter("*.bmp|*.bmp");
  dialogs.PushFile("/tmp/photo");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/photo");
  EXPECT_EQ(dialogs.Requests().back().kind, win::DialogKind::SaveFile);

  TFontDialog font(nullptr);
  font.Font()->SetName("Tahoma");
  win::FontChoice choice;
  choice.face = "文泉驿微米黑";
  choice.pointSize = 14;
  choice.style = win::kFontBold;
  choice.color = RGB(255, 0, 0);
  dialogs.PushFont(choice);
  ASSERT_TRUE(font.Execute());
  EXPECT_EQ(dialogs.Requests().back().font.face, "Tahoma");
  EXPECT_EQ(font.Font()->Name(), "文泉驿微米黑");
  EXPECT_EQ(font.Font()->Size(), 14);
  EXPECT_TRUE(font.Font()->Style().Contains(fsBold));
  EXPECT_EQ(font.Font()->Color(), clRed);

  std::string folder = "/tmp";
  dialogs.PushFolder("/tmp/export");
  ASSERT_TRUE(SelectDirectory("", "", folder));
  EXPECT_EQ(folder, "/tmp/export");
  TPrintDialog print(nullptr);
  dialogs.PushCancel();
  EXPECT_FALSE(print.Execute());
}

TEST_F(FormsTest, ScreenCursorTableTakesTheProgramsCursor) {
  HCURSOR arrow = Screen->Cursors(crDefault == 0 ? crArrow : crArrow);
  EXPECT_NE(arrow, nullptr);
  HCURSOR hand = Screen->Cursors(crHandPoint);
  EXPECT_NE(hand, nullptr);
  EXPECT_NE(hand, arrow);
  ICONINFO info;
  HBITMAP color = CreateBitmap(16, 16, 1, 32, nullptr);
  info.hbmColor = color;
  info.fIcon = FALSE;
  HICON own = CreateIconIndirect(&info);
  ASSERT_NE(own, nullptr);
  const TCursor crRotate = 1;
  Screen->SetCursors(crRotate, own);
  EXPECT_EQ(Screen->Cursors(crRotate), own);

  // A control's cursor is set when the mouse moves over it.
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(10, 10, 300, 200);
  auto* image = new TImage(form);
  image->SetBounds(0, 0, 100, 100);
  image->SetParent(form);
  image->SetCursor(crRotate);
  form->Show();
  TPoint p = image->ClientToScreen(TPoint(50, 50));
  win::InjectMouse(p.X, p.Y, WM_MOUSEMOVE);
  win::PumpMessages();
  EXPECT_EQ(GetCursor(), own);
  Screen->SetCursor(crHandPoint);
  EXPECT_EQ(GetCursor(), hand);
  Screen->SetCursor(crDefault);
  DeleteObject(color);
}

TEST_F(FormsTest, MaximisedMainFormFillsTheWorkAreaAndRealigns) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetClientWidth(964);
  form->SetClientHeight(700);
  auto* right = new TPanel(form);
  right->SetWidth(474);
  right->SetAlign(alRight);
  right->SetParent(form);
  int resizes = 0;
  form->OnResize = [&](TObject*) { ++resizes; };
  form->SetWindowState(wsMaximized);
  form->Show();
  TRect work = Screen->WorkAreaRect();
  for (auto& t : dialogs.MessageTexts()) ADD_FAILURE() << t;
  EXPECT_EQ(form->WindowState(), wsMaximized);
  EXPECT_EQ(form->Width(), work.Width());
  EXPECT_GE(resizes, 1);
  EXPECT_EQ(right->Left(), form->ClientWidth() - 474);
  EXPECT_EQ(right->Height(), form->ClientHeight());
}

TEST_F(FormsTest, KeyPreviewFreeingCloseAndPaint) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(0, 0, 300, 200);
  auto* edit = new TEdit(main);
  edit->SetParent(main);
  std::vector<WORD> formKeys;
  main->SetKeyPreview(true);
  main->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
    formKeys.push_back(Key);
    if (Key == VK_F2) Key = 0;  // eaten: the edit never sees it
  };
  std::vector<WORD> editKeys;
  edit->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { editKeys.push_back(Key); };
  int paints = 0;
  main->OnPaint = [&](TObject* S) {
    ++paints;
    TCanvas* c = static_cast<TForm*>(S)->Canvas();
    c->Brush()->SetColor(clTeal);
    c->FillRect(TRect(200, 150, 210, 160));
  };
  main->Show();
  win::PumpMessages();
  ASSERT_TRUE(edit->Focused());
  win::InjectKey(WM_KEYDOWN, VK_F2);
  win::InjectKey(WM_KEYDOWN, VK_F3);
  win::PumpMessages();
  EXPECT_EQ(formKeys, (std::vector<WORD>{VK_F2, VK_F3}));
  EXPECT_EQ(editKeys, (std::vector<WORD>{VK_F3}));
  EXPECT_GE(paints, 1);
  EXPECT_EQ(win::GetWindowPixel(main->Handle(), 205, 155), static_cast<COLORREF>(clTeal));

  // A secondary form closed with caFree is gone once the queue has run.
  TForm* second = nullptr;
  Application->CreateForm(second);
  second->OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
  second->Show();
  EXPECT_EQ(Screen->FormCount(), 2);
  second->Close();
  win::PumpMessages();
  EXPECT_EQ(Screen->FormCount(), 1);
  // Hiding instead (the default) keeps it.
  TForm* third = nullptr;
  Application->CreateForm(third);
  int hides = 0;
  third->OnHide = [&](TObject*) { ++hides; };
  third->Show();
  third->Close();
  win::PumpMessages();
  EXPECT_EQ(Screen->FormCount(), 2);
  EXPECT_FALSE(third->Visible());
  EXPECT_EQ(hides, 1);
  EXPECT_FALSE(Application->Terminated());
}

// ---------------------------------------------------------------------------------------------------

// A small dialog with the standard controls, rendered headless for a person to look at.
// The application's loop types a key as a character only when neither the focused control nor the
// form's dialog keys took it.
TEST_F(FormsTest, KeysTheDialogHandlingTookBecomeNoCharacters) {
  TDialogForm* form = nullptr;
  Application->CreateForm(form);
  auto* second = new TEdit(form);
  second->SetBounds(20, 50, 200, 21);
  second->SetParent(form);
  int oks = 0, cancels = 0;
  form->Ok->OnClick = [&](TObject*) { ++oks; };
  form->Cancel->OnClick = [&](TObject*) { ++cancels; };
  std::vector<std::string> chars;
  auto watch = [&](TEdit* e, const std::string& name) {
    e->OnKeyPress = [&chars, name](TObject*, WideChar& Key) { chars.push_back(name + " " + std::to_string(Key)); };
  };
  watch(form->NameEdit, "name");
  watch(second, "second");
  form->Show();
  form->NameEdit->SetFocus();
  win::PumpMessages();
  ASSERT_TRUE(form->NameEdit->Focused());
  auto stroke = [](UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    Application->ProcessMessages();
  };
  // A key the edit keeps is typed.
  stroke('A');
  EXPECT_EQ(chars, (std::vector<std::string>{"name 97"}));
  chars.clear();
  // Tab moves the focus and types nothing, neither where it was nor where it went.
  stroke(VK_TAB);
  EXPECT_TRUE(second->Focused());
  EXPECT_TRUE(chars.empty());
  // Return clicks the default button, Escape the cancel button: no characters either.
  stroke(VK_RETURN);
  EXPECT_EQ(oks, 1);
  stroke(VK_ESCAPE);
  EXPECT_EQ(cancels, 1);
  EXPECT_TRUE(chars.empty()) << chars.front();
  EXPECT_EQ(second->Text(), "");
  EXPECT_EQ(form->NameEdit->Text(), "a");
}

TEST_F(FormsTest, RendersATidyDialog) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Color");
  form->SetBorderStyle(bsDialog);
  form->SetClientWidth(440);
  form->SetClientHeight(300);
  form->Font()->SetName("WenQuanYi Micro Hei");
  form->Font()->SetHeight(-12);

  auto* image = new TImage(form);
  image->SetBounds(10, 10, 150, 200);
  image->SetParent(form);
  TCanvas* c = image->Canvas();
  for (int y = 0; y < 200; ++y) {
    c->Pen()->SetColor(static_cast<TColor>(RGB(255 - y / 2, 200 - y / 3, 128 + y / 2)));
    c->MoveTo(0, y);
    c->LineTo(150, y);
  }
  c->Brush()->SetColor(clWhite);
  c->Ellipse(40, 50, 110, 140);

  auto* panel = new TPanel(form);
  panel->SetBounds(170, 10, 260, 120);
  panel->SetBevelOuter(bvLowered);
  panel->SetParent(form);
  const char* captions[] = {"亮度", "对比度", "色调"};
  std::vector<TTrackBar*> bars;
  for (int i = 0; i < 3; ++i) {
    auto* label = new TLabel(form);
    label->SetCaption(captions[i]);
    label->SetBounds(10, 12 + i * 34, 50, 17);
    label->SetParent(panel);
    auto* bar = new TTrackBar(form);
    bar->SetBounds(60, 6 + i * 34, 140, 28);
    bar->SetTickStyle(i == 2 ? tsAuto : tsNone);
    bar->SetMax(i == 2 ? 10 : 200);
    bar->SetPosition(i == 2 ? 4 : 100 + i * 50);
    bar->SetParent(panel);
    bars.push_back(bar);
    auto* value = new TLabel(form);
    value->SetCaption(std::to_string(bar->Position()));
    value->SetBounds(210, 12 + i * 34, 40, 17);
    value->SetParent(panel);
  }

  auto* group = new TGroupBox(form);
  group->SetCaption("布局");
  group->SetBounds(170, 140, 120, 95);
  group->SetParent(form);
  const char* layouts[] = {"单张", "4张组合", "9张组合"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new TRadioButton(form);
    r->SetCaption(layouts[i]);
    r->SetBounds(12, 22 + i * 22, 100, 18);
    r->SetParent(group);
    if (i == 0) r->SetChecked(true);
  }

  auto* combo = new TComboBox(form);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("无");
  combo->Items()->Add("浮雕");
  combo->Items()->Add("灰度");
  combo->SetItemIndex(1);
  combo->SetBounds(300, 146, 130, 21);
  combo->SetParent(form);
  auto* edit = new TEdit(form);
  edit->SetBounds(300, 176, 130, 21);
  edit->SetText("发型 Tressora");
  edit->SetParent(form);
  auto* check = new TCheckBox(form);
  check->SetCaption("循环");
  check->SetBounds(300, 208, 120, 18);
  check->SetChecked(true);
  check->SetParent(form);

  auto* bevel = new TBevel(form);
  bevel->SetShape(bsTopLine);
  bevel->SetBounds(10, 248, 420, 2);
  bevel->SetParent(form);
  const char* buttons[] = {"复位", "确定", "关闭"};
  std::vector<TButton*> btns;
  for (int i = 0; i < 3; ++i) {
    auto* b = new TButton(form);
    b->SetCaption(buttons[i]);
    b->SetBounds(190 + i * 82, 262, 75, 25);
    b->SetDefault(i == 1);
    b->SetParent(form);
    btns.push_back(b);
  }
  auto* speed = new TSpeedButton(form);
  speed->SetCaption("循环");
  speed->SetGroupIndex(1);
  speed->SetDown(true);
  speed->SetBounds(10, 262, 60, 25);
  speed->SetParent(form);
  auto* speed2 = new TSpeedButton(form);
  speed2->SetCaption("播放");
  speed2->SetBounds(74, 262, 60, 25);
  speed2->SetParent(form);

  form->SetPosition(poScreenCenter);
  form->Show();
  win::PumpMessages();
  std::string path = win::ArtifactPath("controls_dialog.png");
  ASSERT_TRUE(win::SaveWindowPng(form->Handle(), path));

  // The dialog face, the white field of the edit and the picture are where they belong.
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(win::GetWindowPixel(form->Handle(), 435, 240), face);
  EXPECT_EQ(win::GetWindowPixel(edit->Handle(), edit->ClientWidth() - 4, 4), GetSysColor(COLOR_WINDOW));
  TCanvas* picture = image->Picture()->Bitmap()->Canvas();
  EXPECT_EQ(win::GetWindowPixel(form->Handle(), 12, 12), static_cast<COLORREF>(picture->Pixels(2, 2)));
  EXPECT_EQ(win::GetWindowPixel(form->Handle(), 75, 95), RGB(255, 255, 255));
  // Text was drawn on the buttons (some pixel in the caption area is dark).
  bool dark = false;
  for (int y = 6; y < 20 && !dark; ++y)
    for (int x = 20; x < 55 && !dark; ++x) {
      COLORREF p = win::GetWindowPixel(btns[0]->Handle(), x, y);
      dark = GetRValue(p) < 90 && GetGValue(p) < 90 && GetBValue(p) < 90;
    }
  EXPECT_TRUE(dark);
}

}  // namespace

namespace {

// The tool bar of a main window: flat buttons with pictures and captions, separators, an auto-sized
// button at the end; rendered for a person to look at.
TEST_F(FormsTest, RendersAToolBar) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Tressora");
  form->SetClientWidth(560);
  form->SetClientHeight(160);
  auto* images = new TImageList(form);
  images->SetWidth(32);
  images->SetHeight(32);
  const TColor colours[] = {clRed, clGreen, clBlue, clPurple, clTeal};
  for (TColor colour : colours) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(32, 32);
    for (int y = 0; y < 32; ++y) {
      auto* row = static_cast<uint8_t*>(b.ScanLine(y));
      for (int x = 0; x < 32; ++x) {
        int dx = x - 16, dy = y - 16;
        bool in = dx * dx + dy * dy < 14 * 14;
        uint8_t* p = row + x * 4;
        p[0] = static_cast<uint8_t>((colour >> 16) & 0xFF);
        p[1] = static_cast<uint8_t>((colour >> 8) & 0xFF);
        p[2] = static_cast<uint8_t>(colour & 0xFF);
        p[3] = in ? 255 : 0;
      }
    }
    images->Add(&b);
  }
  auto* bar = new TToolBar(form);
  bar->SetHeight(62);
  bar->SetButtonWidth(71);
  bar->SetButtonHeight(56);
  bar->SetShowCaptions(true);
  bar->SetFlat(true);
  bar->SetImages(images);
  bar->SetParent(form);
  const char* captions[] = {"选择模特", "打印", "-", "人像调色", "头发调色", "-", "about"};
  int image = 0;
  std::vector<TToolButton*> buttons;
  for (const char* c : captions) {
    auto* b = new TToolButton(form);
    if (std::string(c) == "-") {
      b->SetStyle(tbsSeparator);
    } else {
      b->SetCaption(c);
      b->SetHint(c);
      b->SetImageIndex(image++);
    }
    b->SetParent(bar);
    buttons.push_back(b);
  }
  buttons.back()->SetAutoSize(true);
  buttons[4]->SetEnabled(false);
  auto* client = new TPanel(form);
  client->SetAlign(alClient);
  client->SetBevelOuter(bvLowered);
  client->SetCaption("imgMain");
  client->SetParent(form);
  form->Show();
  // The mouse over the first button shows its hot frame.
  TPoint p = buttons[0]->ClientToScreen(TPoint(30, 30));
  win::InjectMouse(p.X, p.Y, WM_MOUSEMOVE);
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(form->Handle(), win::ArtifactPath("controls_toolbar.png")));
  EXPECT_EQ(client->BoundsRect(), TRect(0, 62, 560, 160));
  // The first picture sits centred above its caption.
  EXPECT_EQ(win::GetWindowPixel(form->Handle(), buttons[0]->Left() + 35, buttons[0]->Top() + 22), RGB(255, 0, 0));
}

}  // namespace

// A form stream whose Width is millions of pixels and whose Left lies near the integer limit: the form
// shows as a window within the window system's coordinate range, without an overflowing rectangle or a
// back buffer of gigabytes.
TEST_F(FormsTest, AFormStreamWithHugeWidthAndLeftShowsWithinTheWindowSystemsRange) {
  TMemoryStream stream;
  {
    TForm written(nullptr);
    written.SetBounds(2147483000, 40, 6710604, 300);
    stream.WriteComponent(&written);
  }
  stream.SetPosition(0);
  auto form = std::make_unique<TForm>(nullptr);
  stream.ReadComponent(form.get());
  ASSERT_EQ(form->Width(), 6710604) << "the stream holds the hostile values";
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  form->Show();
  win::PumpMessages();
  RECT r{};
  ASSERT_TRUE(GetWindowRect(form->Handle(), &r));
  EXPECT_EQ(r.left, 32767);
  EXPECT_EQ(r.right - r.left, 32767);
  EXPECT_GT(r.right, r.left) << "no overflow";
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(form->Width(), 32767);
  EXPECT_EQ(form->Left(), 32767);
  // Moving it anywhere later is brought into range the same way.
  form->SetBounds(-2147483000, -5, 6710604, 200);
  win::PumpMessages();
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r.left, -32768);
  EXPECT_EQ(r.top, -5);
  EXPECT_EQ(r.right - r.left, 32767);
  EXPECT_EQ(r.bottom - r.top, 200);
  form->SetBounds(10, 10, 400, 300);
  win::PumpMessages();
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 512 * 1024) << "kilobytes of peak memory";
}
