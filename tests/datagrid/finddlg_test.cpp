// The find dialog driven as a user drives it: text typed into it, Enter (with or without Ctrl) to find
// the next match, Esc to close; the grid's record and column follow each match.

#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/forms/dialogs.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/dialogs.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

class FindDialogTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    DBGridXFindDlgs::Initialize();
    dialogs.Install();
    Bind();
  }
  void TearDown() override {
    DBGridXFindDlgs::Finalize();
    DBGridXUnit::Finalize();
    dialogs.Uninstall();
    DataGridTest::TearDown();
  }
  // Opens the dialog for the grid, searching the column captioned FindIn ("<All>": every column).
  TDBGridXFindDlg* Open(const std::string& FindIn, const char* Direction = "Down", int Mode = 0) {
    ShowGridFindDialog(grid, "", false);
    win::PumpMessages();
    TDBGridXFindDlg* d = GridFindDialog();
    d->cbFindIn->SetItemIndex(d->cbFindIn->Items()->IndexOf(FindIn));
    d->cbFindDirection->SetItemIndex(d->cbFindDirection->Items()->IndexOf(Direction));
    d->cbMatchinType->SetItemIndex(Mode);
    win::PumpMessages();
    return d;
  }
  // Types Text into the dialog's text box (replacing what is there) as the user would.
  void Type(TDBGridXFindDlg* d, const std::string& Text) {
    // The texts searched before would complete what is typed; each step here types its own text.
    d->cbText->Items()->Clear();
    d->cbText->SetFocus();
    d->cbText->SelectAll();
    win::PumpMessages();
    if (Text.empty()) {
      win::InjectKey(WM_KEYDOWN, VK_DELETE);
      win::InjectKey(WM_KEYUP, VK_DELETE);
    } else {
      win::InjectChar(Text);
    }
    win::PumpMessages();
  }
  // Enter in the dialog, with Ctrl held when asked; answers the current record's Name (or "" when a
  // message box said nothing was found).
  std::string Enter(bool Ctrl = false) {
    size_t boxes = dialogs.MessageTexts().size();
    if (Ctrl) win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    win::InjectKey(WM_KEYDOWN, VK_RETURN);
    win::InjectKey(WM_KEYUP, VK_RETURN);
    if (Ctrl) win::InjectKey(WM_KEYUP, VK_CONTROL);
    win::PumpMessages();
    if (dialogs.MessageTexts().size() > boxes) return "";
    return ds->FieldByName("Name")->AsString();
  }
  win::ScriptedDialogs dialogs;
};

TEST_F(FindDialogTest, FormIsBuiltAsDesigned) {
  TDBGridXFindDlg* d = Open("<All>");
  EXPECT_EQ(d->Caption(), "Find text");
  EXPECT_EQ(d->BorderStyle(), bsDialog);
  EXPECT_EQ(d->ClientWidth(), 505);
  EXPECT_EQ(d->ClientHeight(), 124);
  EXPECT_TRUE(d->KeyPreview());
  EXPECT_TRUE(d->StayOnTop());
  struct Want {
    TControl* c;
    int l, t, w, h;
    const char* caption;
  } want[] = {{d->Label1, 10, 12, 52, 13, "Fi&nd What:"},       {d->Label2, 10, 35, 34, 13, "Find &in:"},
              {d->cbMatchType, 10, 58, 33, 13, "Matc&h:"},       {d->Label3, 10, 82, 37, 13, "Sea&rch:"},
              {d->cbText, 88, 9, 316, 21, nullptr},              {d->cbFindIn, 88, 32, 192, 21, nullptr},
              {d->cbMatchinType, 88, 55, 144, 21, nullptr},      {d->cbFindDirection, 88, 79, 144, 21, nullptr},
              {d->cbCharCase, 88, 105, 144, 14, "Match &Case"},  {d->cbUseFormat, 260, 105, 144, 14, "Match F&ormat"},
              {d->bFind, 413, 9, 82, 23, "&Find next"},         {d->bCancel, 413, 37, 82, 22, "Close"}};
  for (auto& w : want) {
    SCOPED_TRACE(w.c->Name());
    EXPECT_EQ(w.c->Left(), w.l);
    EXPECT_EQ(w.c->Top(), w.t);
    // Labels size themselves to their captions in the form's font.
    if (!dynamic_cast<TLabel*>(w.c)) {
      EXPECT_EQ(w.c->Width(), w.w);
      // Combo boxes fit their height to the form's font (a pixel or two from the designed height).
      if (dynamic_cast<TDBComboBoxX*>(w.c))
        EXPECT_NEAR(w.c->Height(), w.h, 3);
      else
        EXPECT_EQ(w.c->Height(), w.h);
    }
    if (w.caption) {
      EXPECT_EQ(w.c->Caption(), w.caption);
    }
  }
  EXPECT_EQ(d->cbText->TabOrder(), 0);
  EXPECT_EQ(d->bCancel->TabOrder(), 7);
  EXPECT_TRUE(d->bCancel->Cancel());
  EXPECT_EQ(d->cbMatchinType->Items()->Count(), 3);
  EXPECT_EQ(d->cbMatchinType->Items()->Strings(2), "From beging of field");
  EXPECT_FALSE(d->cbCharCase->Checked());
  EXPECT_TRUE(d->cbUseFormat->Checked());
  // "Find in" lists the visible columns' captions, then "<All>".
  ASSERT_EQ(d->cbFindIn->Items()->Count(), 7);
  EXPECT_EQ(d->cbFindIn->Items()->Strings(1), "Name");
  EXPECT_EQ(d->cbFindIn->Items()->Strings(6), "<All>");
  // A new dialog chooses the grid's current column.
  grid->SetCol(grid->DataToRawColumn(1));
  ShowGridFindDialog(grid, "seed", false);
  EXPECT_EQ(d->cbFindIn->ItemIndex(), 1);
  EXPECT_EQ(d->cbText->Text(), "seed");
  ASSERT_EQ(d->SearchColumns->size(), 1u);
  EXPECT_EQ((*d->SearchColumns)[0], Col(1));
}

TEST_F(FindDialogTest, DownFindsEachMatchThenSaysNotFoundAndStaysPut) {
  TDBGridXFindDlg* d = Open("Name");
  Type(d, "o");
  EXPECT_EQ(Enter(), "Bob");
  EXPECT_EQ(Enter(), "Dora");  // resumes after the last match
  EXPECT_EQ(Enter(), "");
  EXPECT_EQ(dialogs.MessageTexts().back(), "字符串 \"o\" 没有找到.");
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Dora");  // back where the search started
  // The searched texts are kept for the run.
  EXPECT_GE(d->cbText->Items()->IndexOf("o"), 0);
}

TEST_F(FindDialogTest, CtrlReversesTheDirection) {
  TDBGridXFindDlg* d = Open("Name");
  Type(d, "o");
  EXPECT_EQ(Enter(), "Bob");
  EXPECT_EQ(Enter(), "Dora");
  EXPECT_EQ(Enter(true), "Bob");  // Ctrl + Down searches backward from the last match
  // Up, and Up with Ctrl (forward).
  ds->Last();
  d->cbFindDirection->SetItemIndex(0);
  win::PumpMessages();
  EXPECT_EQ(Enter(), "Dora");
  EXPECT_EQ(Enter(), "Bob");
  EXPECT_EQ(Enter(true), "Dora");
  EXPECT_EQ(Enter(), "Bob");
  EXPECT_EQ(Enter(), "");
}

TEST_F(FindDialogTest, DownFromTheLastRecordExaminesItThenStops) {
  TDBGridXFindDlg* d = Open("Name");
  // On the last record by stepping (not past the end).
  ds->First();
  ds->MoveBy(4);
  ASSERT_FALSE(ds->Eof());
  Type(d, "mile");
  EXPECT_EQ(Enter(), "Émile");
  Type(d, "Ann");
  ds->First();
  ds->MoveBy(4);
  EXPECT_EQ(Enter(), "");
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Émile");
}

TEST_F(FindDialogTest, AllStartsAtTheFirstRecordOnlyOnTheFirstPress) {
  TDBGridXFindDlg* d = Open("Name", "All");
  ds->First();
  ds->MoveBy(3);  // Dora
  Type(d, "o");
  EXPECT_EQ(Enter(), "Bob");
  EXPECT_EQ(Enter(), "Dora");
  EXPECT_EQ(Enter(), "");
  // Changing the text starts afresh.
  Type(d, "a");
  EXPECT_EQ(Enter(), "Ann");
}

TEST_F(FindDialogTest, MatchModesAndCase) {
  struct Case {
    int mode;
    bool matchCase;
    const char* text;
    const char* found;  // "" for not found; searched Down from the first record in Name
  } cases[] = {
      {0, false, "OR", "Dora"},   {0, true, "OR", ""},      {0, true, "or", "Dora"},  {0, false, "", ""},
      {1, false, "bob", "Bob"},   {1, true, "bob", ""},     {1, true, "Bob", "Bob"},  {1, false, "bo", ""},
      {1, false, "", ""},         {2, false, "d", "Dora"},  {2, true, "d", ""},       {2, false, "ora", ""},
      {2, false, "", "Ann"},      {0, false, "émile", "Émile"},
  };
  TDBGridXFindDlg* d = Open("Name");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " mode " + std::to_string(c.mode) + (c.matchCase ? " case" : ""));
    d->cbMatchinType->SetItemIndex(c.mode);
    d->cbCharCase->SetChecked(c.matchCase);
    ds->First();
    // Set, not typed: typing completes from the search history, whose case may differ.
    d->cbText->SetText(c.text);
    ASSERT_EQ(d->cbText->Text(), c.text);
    EXPECT_EQ(Enter(), c.found);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), *c.found ? c.found : "Ann");
  }
}

TEST_F(FindDialogTest, TheGridMovesToTheFoundColumnWhateverTheCase) {
  for (bool matchCase : {false, true}) {
    SCOPED_TRACE(matchCase);
    TDBGridXFindDlg* d = Open("<All>", "Down", 1);
    d->cbCharCase->SetChecked(matchCase);
    ds->First();
    grid->SetCol(grid->DataToRawColumn(0));
    Type(d, "N");  // the Code column of Bob
    EXPECT_EQ(Enter(), "Bob");
    EXPECT_EQ(grid->GetSelectedIndex(), 5);
    EXPECT_EQ(d->SearchColumnIndex, 5);
  }
}

TEST_F(FindDialogTest, MatchFormatComparesTheDisplayedText) {
  static_cast<TFloatField*>(ds->FieldByName("Amount"))->SetDisplayFormat("0.000");
  TDBGridXFindDlg* d = Open("Amount", "Down", 1);
  ds->First();
  Type(d, "2.500");
  EXPECT_EQ(Enter(), "Bob");
  d->cbUseFormat->SetChecked(false);
  ds->First();
  d->cbText->SetText("2.500");
  EXPECT_EQ(Enter(), "");
  d->cbText->SetText("2.5");  // typed, the history would complete it to "2.500"
  EXPECT_EQ(Enter(), "Bob");
}

TEST_F(FindDialogTest, EscClosesTheDialog) {
  TDBGridXFindDlg* d = Open("Name");
  d->cbText->SetFocus();
  win::PumpMessages();
  ASSERT_TRUE(d->Visible());
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::InjectKey(WM_KEYUP, VK_ESCAPE);
  win::PumpMessages();
  EXPECT_FALSE(d->Visible());
}

TEST_F(FindDialogTest, NothingHappensWithoutData) {
  TDBGridXFindDlg* d = Open("Name");
  ds->Close();
  Type(d, "x");
  EXPECT_EQ(dialogs.MessageTexts().size(), 0u);
  d->bFindClick(d);
  EXPECT_EQ(dialogs.MessageTexts().size(), 0u);
  EXPECT_FALSE(d->LastSearchFound());
}

}  // namespace

namespace {

// The dialog as a user sees it, after a search for "o" in the Name column found Bob.
TEST_F(FindDialogTest, Screenshot) {
  TDBGridXFindDlg* d = Open("Name");
  Type(d, "o");
  EXPECT_EQ(Enter(), "Bob");
  d->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(d->Handle(), win::ArtifactPath("datagrid_find_dialog.png")));
  // The dialog's face is painted (not left black or empty).
  EXPECT_NE(win::GetWindowPixel(d->Handle(), 5, 5), CLR_INVALID);
}

}  // namespace

namespace {

// Shown modally, the dialog runs its own loop: the user's Enter finds, Esc (the Close button's key)
// ends the loop.
TEST_F(FindDialogTest, ModalDialogFindsAndClosesWithEsc) {
  TDBGridXFindDlg* d = Open("Name");
  d->Close();
  win::PumpMessages();
  // The user's keys, once the dialog is up.
  d->OnShow = [](TObject*) {
    win::InjectKey(WM_KEYDOWN, VK_RETURN);
    win::InjectKey(WM_KEYUP, VK_RETURN);
    win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
    win::InjectKey(WM_KEYUP, VK_ESCAPE);
  };
  ds->First();
  grid->SetCol(grid->DataToRawColumn(1));  // searched: the grid's current column, Name
  ShowGridFindDialog(grid, "dor", true);
  EXPECT_FALSE(d->Visible());
  EXPECT_EQ(d->ModalResult(), mrCancel);
  EXPECT_FALSE(d->StayOnTop());
  EXPECT_TRUE(d->LastSearchFound());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Dora");
}

}  // namespace

namespace {

// The find short-cut in the grid's cell editor opens the dialog with the editor's selected text.
TEST_F(FindDialogTest, TheCellEditorsFindKeyPassesItsSelectedText) {
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoFindDialog});
  ds->First();
  ds->Next();
  grid->SetCol(grid->DataToRawColumn(1));
  grid->SetFocus();
  grid->ShowEditor();
  win::PumpMessages();
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  ASSERT_TRUE(grid->InplaceEditor()->Visible());
  grid->InplaceEditor()->SelectAll();
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYDOWN, 'F');
  win::InjectKey(WM_KEYUP, 'F');
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  ASSERT_NE(GridFindDialog(), nullptr);
  EXPECT_TRUE(GridFindDialog()->Visible());
  EXPECT_EQ(GridFindDialog()->cbText->Text(), "Bob");
  EXPECT_EQ(GridFindDialog()->cbFindIn->Text(), "Name");
}

}  // namespace
