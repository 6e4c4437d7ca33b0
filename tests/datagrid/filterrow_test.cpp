// The filter row: condition texts (and that the parser reads every text back to the same condition),
// list items, editing a filter cell through messages, applying through the data service.

#include <cmath>

#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXSelection.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/VarValuesX.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

Variant Arr(std::vector<Variant> V) { return VarArrayOf(V); }

bool SameValue(const Variant& A, const Variant& B) {
  // Two lists without elements are the same list.
  if (A.IsArray() && B.IsArray() && A.ArrayHighBound() < A.ArrayLowBound() && B.ArrayHighBound() < B.ArrayLowBound())
    return true;
  return A.IsArray() == B.IsArray() && VarValuesEqual(A, B);
}

bool SameCondition(const TSTFilterExpressionX& A, const TSTFilterExpressionX& B) {
  return A.ValueKind == B.ValueKind && A.Operator1 == B.Operator1 && A.Link == B.Link &&
         A.Operator2 == B.Operator2 && SameValue(A.Operand1, B.Operand1) && SameValue(A.Operand2, B.Operand2);
}

TSTFilterExpressionX Cond(TSTFilterValueKindX K, TSTFilterOperatorX Op1, Variant V1, TSTFilterOperatorX Link = stoNone,
                          TSTFilterOperatorX Op2 = stoNone, Variant V2 = Null) {
  TSTFilterExpressionX E;
  E.ValueKind = K;
  E.Operator1 = Op1;
  E.Operand1 = V1;
  E.Link = Link;
  E.Operator2 = Op2;
  E.Operand2 = V2;
  return E;
}

}  // namespace

TEST(FilterRowText, ConditionsPrintAsThePartsSay) {
  struct Case {
    TSTFilterExpressionX C;
    std::string Text;
  } cases[] = {
      {Cond(stvkOther, stoEqual, Variant(5)), ""},  // a blob column shows nothing
      {Cond(stvkNumber, stoNone, Null), ""},
      {Cond(stvkNumber, stoIsNull, Null), "=Null"},
      {Cond(stvkNumber, stoIsNotNull, Null), "<>Null"},
      {Cond(stvkString, stoIn, Arr({Variant("1"), Variant("2"), Variant("a")})), "In ('1','2','a')"},
      {Cond(stvkNumber, stoIn, Arr({Variant(1.0), Variant(2.0)})), "In (1,2)"},
      {Cond(stvkNumber, stoNotIn, Variant(3.5)), "!In (3.5)"},
      {Cond(stvkNumber, stoGreater, Variant(10.0), stoAnd, stoLess, Variant(20.0)), "> 10 AND < 20"},
      {Cond(stvkString, stoLike, Variant("abc"), stoOr, stoEqual, Variant("x")), "~ 'abc' OR = 'x'"},
      {Cond(stvkDateTime, stoGreaterEqual, Variant::FromDateTime(EncodeDate(2020, 3, 4) + 0.5)),
       ">= " + FormatDateTime(FormatSettings.ShortDateFormat, EncodeDate(2020, 3, 4))},
      {Cond(stvkNumber, stoEqual, Variant(5)), "= '5'"},  // not a double: quoted
      // Mended: embedded quotes are doubled, and an empty list keeps its parentheses.
      {Cond(stvkString, stoEqual, Variant("it's")), "= 'it''s'"},
      {Cond(stvkString, stoIn, Arr({})), "In ()"},
      {Cond(stvkNumber, stoGreater, Variant(10.0), stoAnd), "> 10 AND"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(BuildSTFilterText(c.C), c.Text);
  }
}

TEST(FilterRowText, EveryWrittenTextParsesBackToTheSameCondition) {
  // Conditions as the parser makes them, then as the filter row writes them, read again.
  auto day = [](int Y, int M, int D) { return FormatDateTime(FormatSettings.ShortDateFormat, EncodeDate(Y, M, D)); };
  struct Case {
    TSTFilterValueKindX Kind;
    std::string Typed;
  } cases[] = {
      {stvkString, "Smith"},
      {stvkString, "= 'New York'"},
      {stvkString, "!~ x"},
      {stvkString, "In (a,b,c)"},
      {stvkString, "NOT IN ('x y', 'z')"},
      {stvkString, "a,b"},
      {stvkString, "= 'it''s'"},
      {stvkString, "In ('''q''','b''')"},
      {stvkString, "<> ''"},
      {stvkString, "= 'AND' OR = 'a,b'"},
      {stvkString, "In ()"},
      {stvkNumber, "5"},
      {stvkNumber, "-5"},
      {stvkNumber, "1,2,3"},
      {stvkNumber, "> 10 AND < 20"},
      {stvkNumber, ">= 1.25 OR = Null"},
      {stvkNumber, "<> Null"},
      {stvkNumber, "= Null"},
      {stvkNumber, "In (1.5, 2)"},
      {stvkNumber, "In ()"},
      {stvkNumber, "!In (7) AND > 0"},
      {stvkNumber, "> 10 AND"},
      {stvkDateTime, "> " + day(2020, 3, 4)},
      {stvkDateTime, "In (" + day(2000, 1, 1) + "," + day(2000, 2, 1) + ")"},
      {stvkBoolean, "= True"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    TSTFilterExpressionX first;
    first.ValueKind = c.Kind;
    ASSERT_NO_THROW(ParseSTFilterText(c.Typed, first));
    std::string written = BuildSTFilterText(first);
    SCOPED_TRACE(written);
    ASSERT_FALSE(written.empty());
    TSTFilterExpressionX again;
    again.ValueKind = c.Kind;
    ASSERT_NO_THROW(ParseSTFilterText(written, again));
    EXPECT_TRUE(SameCondition(first, again));
    EXPECT_EQ(BuildSTFilterText(again), written);  // and the text is stable
  }
}

class FilterRowTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    grid->SetFocus();
    Bind();
    DBGridXDataService->OnApplyFilter = [this](TCustomDBGridX* G) {
      ++applied;
      texts.clear();
      for (int i = 0; i < G->Columns()->Count(); ++i) texts.push_back(G->Columns()->Items(i)->STFilter()->ConditionText());
    };
  }
  void TearDown() override {
    DBGridXDataService->OnApplyFilter = nullptr;
    DataGridTest::TearDown();
    DBGridXUnit::Finalize();
  }
  void Show() {
    grid->STFilter()->SetVisible(true);
    win::PumpMessages();
  }
  void Type(const std::string& S) {
    for (char ch : S) SendMessage(grid->FilterEditor()->Handle(), WM_CHAR, static_cast<WPARAM>(ch), 0);
  }
  void Key(UINT Vk) {
    SendMessage(grid->FilterEditor()->Handle(), WM_KEYDOWN, Vk, 0);
    SendMessage(grid->FilterEditor()->Handle(), WM_KEYUP, Vk, 0);
  }
  TSTColumnFilterX* F(int I) { return grid->Columns()->Items(I)->STFilter(); }
  int applied = 0;
  std::vector<std::string> texts;
};

TEST_F(FilterRowTest, TheRowSitsUnderTheTitles) {
  EXPECT_EQ(grid->FilterRowVisible(), 0);
  int before = grid->TitleOffset();
  Show();
  EXPECT_EQ(grid->FilterRowVisible(), 1);
  EXPECT_EQ(grid->TitleOffset(), before + 1);
  int dc = 0, dr = 0;
  EXPECT_EQ(grid->GetCellType(1, 1, dc, dr) >> 8, 1);  // the filter band
  EXPECT_TRUE(grid->ColumnHasFilterCell(0));
  F(0)->SetVisible(false);
  EXPECT_FALSE(grid->ColumnHasFilterCell(0));
  EXPECT_FALSE(grid->ColumnHasFilterCell(99));
}

TEST_F(FilterRowTest, TypingAConditionAndEnterAppliesItThroughTheDataService) {
  Show();
  grid->BeginFilterEdit(2);  // Amount
  ASSERT_NE(grid->FilterEditor(), nullptr);
  EXPECT_TRUE(grid->FilterEditing());
  EXPECT_TRUE(grid->FilterEditor()->GetVisible());
  EXPECT_TRUE(grid->FilterEditor()->Focused());
  Type("> 2 and < 5");
  Type("\r");
  EXPECT_EQ(applied, 1);
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[2], "> 2 and < 5");  // as typed
  const TSTFilterExpressionX& c = F(2)->Condition();
  EXPECT_EQ(c.ValueKind, stvkNumber);
  EXPECT_EQ(c.Operator1, stoGreater);
  EXPECT_EQ(c.Operand1.AsDouble(), 2.0);
  EXPECT_EQ(c.Link, stoAnd);
  EXPECT_EQ(c.Operator2, stoLess);
  EXPECT_EQ(F(2)->BuildConditionText(), "> 2 AND < 5");
  EXPECT_EQ(grid->FilterCellText(2), "> 2 and < 5");
  // The editor stays on the cell with its text reloaded.
  EXPECT_TRUE(grid->FilterEditor()->GetVisible());
  EXPECT_EQ(grid->FilterEditor()->Text(), "> 2 and < 5");

  // Tab goes to the next cell, storing this one; a name condition there.
  auto o = grid->Options();
  o.Include(gdoTabs);
  grid->SetOptions(o);
  Key(VK_TAB);
  EXPECT_EQ(grid->FilterColumnIndex(), 3);
  Key(VK_TAB);
  Key(VK_TAB);
  Key(VK_TAB);  // wraps to the first column
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
  grid->BeginFilterEdit(1);
  Type("b");
  // Down ends filter editing: the text is kept, the grid goes to the first record.
  ds->Last();
  Key(VK_DOWN);
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_FALSE(grid->FilterEditor()->GetVisible());
  EXPECT_EQ(F(1)->ConditionText(), "b");
  EXPECT_EQ(F(1)->Condition().Operator1, stoLike);
  EXPECT_EQ(grid->DataLink()->ActiveRecord(), 0);  // the first record in view
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  // An active sum list recomputes after the filter is applied.
  int recalcs = 0;
  grid->OnSumListRecalcAll = [&](TObject*) { ++recalcs; };
  grid->SumList()->SetActiveX(true);
  int before = recalcs;
  grid->ApplyFilterRow();
  EXPECT_GT(recalcs, before);
  EXPECT_EQ(applied, 2);
  // The grid's own handler takes the place of the service.
  int own = 0;
  grid->OnApplyFilterRow = [&](TObject*) { ++own; };
  grid->ApplyFilterRow();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(applied, 2);
}

// With the editor always shown, the filter row's editor takes its place while a filter cell is edited.
TEST_F(FilterRowTest, TheCellEditorIsNotShownAlwaysWhileAFilterCellIsEdited) {
  Show();
  auto o = grid->Options();
  o.Include(gdoAlwaysShowEditor);
  grid->SetOptions(o);
  EXPECT_TRUE(grid->EditorShownAlways());
  grid->BeginFilterEdit(1);
  ASSERT_TRUE(grid->FilterEditing());
  EXPECT_FALSE(grid->EditorShownAlways());
  Key(VK_DOWN);
  ASSERT_FALSE(grid->FilterEditing());
  EXPECT_TRUE(grid->EditorShownAlways());
}

TEST_F(FilterRowTest, HomeEndLeftRightMoveBetweenCellsAtTheTextEnds) {
  Show();
  grid->BeginFilterEdit(1);
  Type("ab");
  Key(VK_LEFT);  // the caret is inside: stays
  EXPECT_EQ(grid->FilterColumnIndex(), 1);
  Key(VK_RIGHT);  // the editor moves the caret to the end
  EXPECT_EQ(grid->FilterColumnIndex(), 1);
  Key(VK_RIGHT);  // at the end: next cell
  EXPECT_EQ(grid->FilterColumnIndex(), 2);
  EXPECT_EQ(F(1)->ConditionText(), "ab");
  Key(VK_END);  // the whole text is selected after a move: counts as at the end
  EXPECT_EQ(grid->FilterColumnIndex(), 5);
  Key(VK_RIGHT);  // wraps
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
  Key(VK_LEFT);
  EXPECT_EQ(grid->FilterColumnIndex(), 5);
  Key(VK_HOME);
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
  SendMessage(grid->FilterEditor()->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_EQ(grid->FilterEditor()->SelLength(), 0);
}

TEST_F(FilterRowTest, UpdateLockAndHidingTheRow) {
  Show();
  grid->BeginFilterEdit(0);
  Type("> 3");
  grid->STFilter()->BeginFilterUpdate();
  grid->EndFilterEdit();
  EXPECT_TRUE(grid->FilterEditing());  // no effect while locked
  EXPECT_TRUE(grid->FilterEditor()->GetVisible());
  grid->STFilter()->EndFilterUpdate();
  // Hiding the row ends editing and keeps the typed text.
  grid->STFilter()->SetVisible(false);
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_FALSE(grid->FilterEditor()->GetVisible());
  EXPECT_EQ(F(0)->ConditionText(), "> 3");
  EXPECT_EQ(F(0)->Condition().Operator1, stoGreater);
  EXPECT_EQ(grid->FilterRowVisible(), 0);
}

TEST_F(FilterRowTest, ListItemsAreReadOnceForEveryActivation) {
  auto* codes = new TMemDataSet(owner.get());
  codes->AddField("Code", ftString, 4);
  codes->AddField("Label", ftString, 20);
  codes->Open();
  for (auto [c, l] : {std::pair{"Y", "Yes"}, std::pair{"N", "No"}, std::pair{"?", "Unknown"}}) {
    codes->Append();
    codes->FieldByName("Code")->SetAsString(c);
    codes->FieldByName("Label")->SetAsString(l);
    codes->Post();
  }
  codes->First();
  auto* src2 = new TDataSource(owner.get());
  src2->SetDataSet(codes);
  TSTColumnFilterX* f = F(5);
  f->SetListField("Label");
  f->SetKeyField("Code");
  f->SetListSource(src2);
  EXPECT_EQ(f->ListItems()->Count(), 3);
  codes->Close();
  codes->Open();
  // Mended: a reactivation reads the list again instead of adding to it.
  EXPECT_EQ(f->ListItems()->Count(), 3);
  EXPECT_EQ(f->ListKeys()->Count(), 3);
  EXPECT_EQ(f->ListItems()->Strings(2), "Unknown");
  EXPECT_EQ(f->ListKeys()->Strings(0), "Y");
  EXPECT_TRUE(f->HasListSource());
  EXPECT_EQ(f->ListFilterFieldName(), "");
  // A key-list choice: In with the chosen text, the keys kept aside.
  f->SetKeyListSelection("Yes,No", Arr({Variant("Y"), Variant("N")}));
  EXPECT_EQ(f->Condition().Operator1, stoIn);
  EXPECT_EQ(f->ConditionText(), "Yes,No");
  EXPECT_EQ(f->FirstOperandValue()[1].AsString(), "N");
  f->SetKeyListSelection("", Null);
  EXPECT_TRUE(f->SelectedKeyValues().IsNull());
  EXPECT_EQ(f->ConditionText(), "");
}


TEST_F(FilterRowTest, APressOnAFilterCellStartsEditingThere) {
  auto* g = new TDBGridX(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  g->SetDataSource(src);
  g->STFilter()->SetVisible(true);
  win::PumpMessages();
  TRect cell = g->CellRect(g->DataToRawColumn(3), g->FilterGridRow());
  TPoint p = g->ClientToScreen(TPoint(cell.Left + 5, (cell.Top + cell.Bottom) / 2));
  win::Click(p.X, p.Y);
  win::PumpMessages();
  EXPECT_TRUE(g->FilterEditing());
  EXPECT_EQ(g->FilterColumnIndex(), 3);
  ASSERT_NE(g->FilterEditor(), nullptr);
  EXPECT_TRUE(g->FilterEditor()->Focused());
  POINT at{0, 0};
  int time = 0;
  g->TakeFilterMouseDown(at, time);
  EXPECT_EQ(at.x, p.X);
  EXPECT_EQ(at.y, p.Y);
  g->TakeFilterMouseDown(at, time);
  EXPECT_EQ(time, 0);  // taken once
  // A press on the indicator's filter cell or on a data cell does not edit a filter.
  EXPECT_FALSE(g->FilterRowMouseDown(mbLeft, 2, (cell.Top + cell.Bottom) / 2));
  TRect data = g->CellRect(g->DataToRawColumn(1), g->TitleOffset());
  EXPECT_FALSE(g->FilterRowMouseDown(mbLeft, data.Left + 3, data.Top + 3));
}

// The frozen column's filter cell is edited like any other: a press on it, Home from the next cell,
// Tab wrapping from the last cell and Down back to the data reach it without an error, and what is
// typed there is applied.
TEST_F(FilterRowTest, TheFrozenColumnsFilterCellIsEditedLikeTheOthers) {
  auto o = grid->Options();
  o.Include(gdoTabs);
  grid->SetOptions(o);
  grid->SetFrozenCols(1);
  Show();
  ASSERT_EQ(grid->FixedCols(), grid->IndicatorOffset() + 1);
  const TRect cell = grid->CellRect(grid->DataToRawColumn(0), grid->FilterGridRow());
  const TPoint p = grid->ClientToScreen(TPoint(cell.Left + 5, (cell.Top + cell.Bottom) / 2));
  win::Click(p.X, p.Y);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditing());
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
  EXPECT_TRUE(grid->FilterEditor()->Focused());
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
  // Home from the next cell.
  grid->BeginFilterEdit(1);
  Key(VK_HOME);
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
  // Tab from the last cell wraps to the first.
  grid->BeginFilterEdit(5);
  Key(VK_TAB);
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
  // Typed and applied.
  Type("> 2");
  Type("\r");
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(F(0)->ConditionText(), "> 2");
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0], "> 2");
  // Down: the frozen column cannot be the current column; filter editing ends on the first record.
  ds->Last();
  Key(VK_DOWN);
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(FilterRowTest, AKeyListFilterIsChosenInTheDropDownAndAppliedOnCloseUp) {
  auto* codes = new TMemDataSet(owner.get());
  codes->AddField("Code", ftString, 4);
  codes->AddField("Label", ftString, 20);
  codes->Open();
  for (auto [c, l] : {std::pair{"Y", "Yes"}, std::pair{"N", "No"}, std::pair{"?", "Unknown"}}) {
    codes->Append();
    codes->FieldByName("Code")->SetAsString(c);
    codes->FieldByName("Label")->SetAsString(l);
    codes->Post();
  }
  codes->First();
  auto* src2 = new TDataSource(owner.get());
  src2->SetDataSet(codes);
  // A grid made after the unit's start-up: it has the default style.
  grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 600, 300);
  grid->SetParent(host);
  grid->SetDataSource(src);
  ASSERT_NE(grid->Style(), nullptr);
  TSTColumnFilterX* f = F(5);
  f->SetListField("Label");
  f->SetKeyField("Code");
  f->SetListSource(src2);
  grid->Style()->ApplyFilterOnCloseUp = true;
  Show();
  grid->BeginFilterEdit(5);
  TInplaceFilterEditX* e = grid->FilterEditor();
  ASSERT_TRUE(e->ListActive());
  EXPECT_EQ(e->Style(), csDropDownListX);
  EXPECT_TRUE(e->EditButton()->Visible());
  // A click into the text drops the list down; keys choose; Return closes and applies.
  SendMessage(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessage(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  win::PumpMessages();
  ASSERT_TRUE(e->ListVisible());
  SendMessage(e->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessage(e->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(e->Grid()->KeyValue().AsString(), "N");
  SendMessage(e->Handle(), WM_CHAR, 13, 0);
  EXPECT_FALSE(e->ListVisible());
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(f->ConditionText(), "No");
  EXPECT_EQ(f->Condition().Operator1, stoIn);
  EXPECT_EQ(f->SelectedKeyValues().AsString(), "N");
  EXPECT_EQ(f->FirstOperandValue().AsString(), "N");
  EXPECT_EQ(texts[5], "No");
  // Reloaded on the cell: the key shows its list text.
  EXPECT_EQ(e->Text(), "No");
  EXPECT_EQ(e->KeyValue().AsString(), "N");
  // The other columns' cells edit plain text again.
  grid->BeginFilterEdit(1);
  EXPECT_FALSE(e->ListActive());
  EXPECT_FALSE(e->EditButton()->Visible());
  EXPECT_EQ(e->Style(), csDropDownX);
}

namespace {

// The text rectangles of a filter editor and of a plain lookup combo box.
struct TFilterEditProbe : TInplaceFilterEditX {
  using TInplaceFilterEditX::TInplaceFilterEditX;
  RECT TextRect() { return CalcTextRect(); }
};
struct TComboProbe : TDBLookupComboboxX {
  using TDBLookupComboboxX::TDBLookupComboboxX;
  RECT TextRect() { return CalcTextRect(); }
};

TDataSource* CodesSource(TComponent* Owner) {
  auto* codes = new TMemDataSet(Owner);
  codes->AddField("Code", ftString, 4);
  codes->AddField("Label", ftString, 20);
  codes->Open();
  for (auto [c, l] : {std::pair{"Y", "Yes"}, std::pair{"N", "No"}, std::pair{"?", "Unknown"}}) {
    codes->Append();
    codes->FieldByName("Code")->SetAsString(c);
    codes->FieldByName("Label")->SetAsString(l);
    codes->Post();
  }
  codes->First();
  auto* s = new TDataSource(Owner);
  s->SetDataSet(codes);
  return s;
}

}  // namespace

TEST_F(FilterRowTest, TheGridHoldsTheFilterEditorInPlace) {
  Show();
  grid->BeginFilterEdit(1);
  TInplaceFilterEditX* e = grid->FilterEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->InplaceMode());
  EXPECT_EQ(e->InplaceEditHolder(), grid);
  IInplaceEditHolderX* h = grid;
  EXPECT_TRUE(h->EditorCanModify(e));
  // The cell decides the editor's place and size.
  TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->FilterGridRow());
  EXPECT_EQ(e->Left(), cell.Left + 1);
  EXPECT_EQ(e->Top(), cell.Top);
  EXPECT_EQ(e->Width(), cell.Right - cell.Left - 1);
  EXPECT_EQ(e->Height(), cell.Bottom - cell.Top);

  // What the holder leaves alone stays with the editor.
  WORD k = 'A';
  WideChar ch = 'a';
  h->EditorKeyUp(e, k, {});
  EXPECT_EQ(k, 'A');
  h->EditorKeyPress(e, ch);
  EXPECT_EQ(ch, 'a');
  TMessage m{WM_CHAR, 'a', 0, 0};
  h->EditorWndProc(e, m);
  EXPECT_EQ(m.Result, 0);
  k = VK_UP;
  h->EditorKeyDown(e, k, {});
  EXPECT_EQ(k, VK_UP);
  // The filter row's key table is the holder's: at the end of the text Right goes on to the next cell.
  Type("x");
  k = VK_RIGHT;
  h->EditorKeyDown(e, k, {});
  EXPECT_EQ(k, 0);
  EXPECT_EQ(grid->FilterColumnIndex(), 2);
  EXPECT_EQ(F(1)->ConditionText(), "x");
  // Keys of an editor that is not the filter row's are not taken.
  auto* other = new TDBLookupComboboxX(owner.get());
  k = VK_RIGHT;
  h->EditorKeyDown(other, k, {});
  EXPECT_EQ(k, VK_RIGHT);

  // The press that started the edit is handed over once, and never as a second click.
  TRect c3 = grid->CellRect(grid->DataToRawColumn(3), grid->FilterGridRow());
  ASSERT_TRUE(grid->FilterRowMouseDown(mbLeft, c3.Left + 4, c3.Top + 4));
  POINT at{0, 0};
  int time = -1;
  EXPECT_FALSE(h->TakePendingMouseDown(at, time));
  TPoint sp = grid->ClientToScreen(TPoint(c3.Left + 4, c3.Top + 4));
  EXPECT_EQ(at.x, sp.X);
  EXPECT_EQ(at.y, sp.Y);
  EXPECT_FALSE(h->TakePendingMouseDown(at, time));
  EXPECT_EQ(time, 0);
  EXPECT_EQ(grid->FilterColumnIndex(), 3);
}

TEST_F(FilterRowTest, AnOpenListKeepsTheKeysOfTheFilterRow) {
  TSTColumnFilterX* f = F(5);
  f->SetListField("Label");
  f->SetKeyField("Code");
  f->SetListSource(CodesSource(owner.get()));
  Show();
  grid->BeginFilterEdit(5);
  TInplaceFilterEditX* e = grid->FilterEditor();
  ASSERT_TRUE(e->ListActive());
  SendMessage(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessage(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  win::PumpMessages();
  ASSERT_TRUE(e->ListVisible());
  // Home, End and Down are not the filter row's while the list is open (Down moves in the list).
  for (UINT vk : {VK_END, VK_HOME, VK_DOWN}) {
    SCOPED_TRACE(vk);
    SendMessage(e->Handle(), WM_KEYDOWN, vk, 0);
    EXPECT_EQ(grid->FilterColumnIndex(), 5);
    EXPECT_TRUE(grid->FilterEditing());
  }
  EXPECT_TRUE(e->ListVisible());
  EXPECT_EQ(e->Grid()->KeyValue().AsString(), "Y");
  SendMessage(e->Handle(), WM_CHAR, 27, 0);
  ASSERT_FALSE(e->ListVisible());
  // Closed again: Home at the start goes to the first filter cell.
  SendMessage(e->Handle(), WM_KEYDOWN, VK_HOME, 0);
  SendMessage(e->Handle(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(grid->FilterColumnIndex(), 0);
}

TEST_F(FilterRowTest, TheFilterEditorsTextSitsOnePixelLower) {
  auto* fe = new TFilterEditProbe(owner.get());
  auto* ce = new TComboProbe(owner.get());
  for (TCustomDBEditX* e : std::initializer_list<TCustomDBEditX*>{fe, ce}) {
    e->SetBounds(10, 250, 120, 22);
    e->SetParent(host);
    e->HandleNeeded();
  }
  win::PumpMessages();
  RECT a = fe->TextRect(), b = ce->TextRect();
  EXPECT_EQ(a.top, b.top + 1);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(a.bottom, b.bottom);
}

TEST_F(FilterRowTest, ASelectionInForceKeepsTheFilterEditorOutOfSight) {
  Show();
  grid->SelectionX()->SelectAll();
  ASSERT_NE(grid->SelectionX()->Kind(), selNoneX);
  grid->BeginFilterEdit(1);
  EXPECT_TRUE(grid->FilterEditing());
  ASSERT_NE(grid->FilterEditor(), nullptr);
  EXPECT_FALSE(grid->FilterEditor()->GetVisible());
  // A press on a filter cell clears the selection as a click does, and the editor shows.
  TRect cell = grid->CellRect(grid->DataToRawColumn(2), grid->FilterGridRow());
  ASSERT_TRUE(grid->FilterRowMouseDown(mbLeft, cell.Left + 4, cell.Top + 4));
  EXPECT_EQ(grid->SelectionX()->Kind(), selNoneX);
  EXPECT_EQ(grid->FilterColumnIndex(), 2);
  EXPECT_TRUE(grid->FilterEditor()->GetVisible());
}

TEST_F(FilterRowTest, AListsValuesReadAsQuotedCommaText) {
  TSTColumnFilterX* f = F(5);
  f->SetListField("Label");
  f->SetKeyField("Code");
  f->SetListSource(CodesSource(owner.get()));
  TSTFilterExpressionX c;
  ResetSTFilterExpression(c);
  c.ValueKind = stvkString;
  c.Operator1 = stoIn;
  c.Operand1 = Arr({Variant("Yes"), Variant("No")});
  f->AssignCondition(c);
  EXPECT_EQ(f->ConditionText(), "'Yes','No'");
  c.Operand1 = Variant("Yes,No");  // the text chosen in the list, as it is
  f->AssignCondition(c);
  EXPECT_EQ(f->ConditionText(), "Yes,No");
}

// A list's values with quotes in them are written with the quotes doubled, so that editing the cell
// and leaving it reads the same list back.
TEST_F(FilterRowTest, AListFilterWithAQuoteSurvivesEditingTheCell) {
  TSTColumnFilterX* f = F(1);
  f->SetListField("Label");
  f->SetListSource(CodesSource(owner.get()));
  TSTFilterExpressionX c;
  ResetSTFilterExpression(c);
  c.ValueKind = stvkString;
  c.Operator1 = stoIn;
  c.Operand1 = Arr({Variant("it's"), Variant("b")});
  f->AssignCondition(c);
  EXPECT_EQ(f->ConditionText(), "'it''s','b'");
  Show();
  TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->FilterGridRow());
  TPoint p = grid->ClientToScreen(TPoint(cell.Left + 5, (cell.Top + cell.Bottom) / 2));
  win::Click(p.X, p.Y);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditing());
  ASSERT_EQ(grid->FilterColumnIndex(), 1);
  EXPECT_EQ(grid->FilterEditor()->Text(), "'it''s','b'");
  // Down ends the edit, storing the cell's text again.
  EXPECT_NO_THROW(Key(VK_DOWN));
  win::PumpMessages();
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_TRUE(SameCondition(f->Condition(), c)) << f->BuildConditionText();
  EXPECT_EQ(f->ConditionText(), "'it''s','b'");
}

TEST_F(FilterRowTest, ARowSelectGridScrollsTheEditedFilterCellIntoView) {
  auto o = grid->Options();
  o.Include(gdoRowSelect);
  grid->SetOptions(o);
  grid->SetBounds(0, 0, 200, 200);
  Show();
  int last = grid->Columns()->Count() - 1;
  int raw = grid->DataToRawColumn(last);
  TGridDrawInfo info;
  grid->CalcDrawInfo(info);
  ASSERT_GT(raw, info.Horz.LastFullVisibleCell);  // out of view to the right
  grid->BeginFilterEdit(last);
  grid->CalcDrawInfo(info);
  EXPECT_LE(raw, info.Horz.LastFullVisibleCell);
  EXPECT_GE(raw, grid->LeftCol());
  ASSERT_TRUE(grid->FilterEditor()->GetVisible());
  TRect cell = grid->CellRect(raw, grid->FilterGridRow());
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
  // Back to the first: the view follows to the left.
  grid->BeginFilterEdit(0);
  EXPECT_EQ(grid->LeftCol(), grid->DataToRawColumn(0));
}

TEST_F(FilterRowTest, ReturnAppliesAndKeepsTheHorizontalScrollPosition) {
  grid->SetBounds(0, 0, 200, 200);
  Show();
  int last = grid->Columns()->Count() - 1;
  grid->BeginFilterEdit(last);
  int left = grid->LeftCol();
  ASSERT_GT(left, grid->FixedCols());  // scrolled to show the last column
  // A data service that moves the view back to the start, as a reloaded data set would.
  DBGridXDataService->OnApplyFilter = [this](TCustomDBGridX* G) {
    ++applied;
    G->SetLeftCol(G->FixedCols());
  };
  Type("> 1");
  Type("\r");
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(grid->LeftCol(), left);
  EXPECT_TRUE(grid->FilterEditor()->GetVisible());
  TRect cell = grid->CellRect(grid->DataToRawColumn(last), grid->FilterGridRow());
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
  EXPECT_EQ(F(last)->ConditionText(), "> 1");
}

TEST_F(FilterRowTest, TheEditedFilterCellFollowsItsColumnWhenColumnsMove) {
  Show();
  grid->BeginFilterEdit(1);
  TColumnX* edited = Col(1);
  Type("ab");
  grid->MoveColumn(grid->DataToRawColumn(1), grid->DataToRawColumn(3));
  win::PumpMessages();
  ASSERT_EQ(edited->Index(), 3);
  EXPECT_EQ(grid->FilterColumnIndex(), 3);
  // The editor stands on the moved column's cell and its text goes to that column.
  TRect cell = grid->CellRect(grid->DataToRawColumn(3), grid->FilterGridRow());
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
  grid->EndFilterEdit();
  EXPECT_EQ(edited->STFilter()->ConditionText(), "ab");
  EXPECT_EQ(Col(1)->STFilter()->ConditionText(), "");
  // Another column moved across the one last edited shifts it by one.
  grid->MoveColumn(grid->DataToRawColumn(4), grid->DataToRawColumn(0));
  EXPECT_EQ(grid->FilterColumnIndex(), 4);
  EXPECT_EQ(Col(4), edited);
}

// A column sized with the mouse, or a taller title row, moves the edited filter cell: the editor goes
// with it. An external horizontal bar takes the range the new widths give.
TEST_F(FilterRowTest, TheFilterEditorAndTheExternalBarFollowSizingAndLayout) {
  TScrollBar* ext = AttachExternalHorzBar(owner.get(), host, grid);
  ASSERT_EQ(ext->Max(), 0);  // every column in sight
  Show();
  grid->BeginFilterEdit(2);  // Amount, right of Name
  TInplaceFilterEditX* e = grid->FilterEditor();
  ASSERT_NE(e, nullptr);
  auto cell = [&] { return grid->CellRect(grid->DataToRawColumn(2), grid->FilterGridRow()); };
  auto expectOnCell = [&] {
    TRect c = cell();
    EXPECT_EQ(e->Left(), c.Left + 1);
    EXPECT_EQ(e->Top(), c.Top);
    EXPECT_EQ(e->Width(), c.Right - c.Left - 1);
    EXPECT_EQ(e->Height(), c.Bottom - c.Top);
  };
  expectOnCell();

  // Name's title edge dragged 300 pixels to the right.
  TRect title = grid->CellRect(grid->DataToRawColumn(1), 0);
  TPoint edge = grid->ClientToScreen(TPoint(title.Right, (title.Top + title.Bottom) / 2));
  int before = Col(1)->Width();
  DragLeft(edge, 300, 0);
  ASSERT_EQ(Col(1)->Width(), before + 300);
  ASSERT_TRUE(grid->FilterEditing());
  expectOnCell();
  EXPECT_EQ(ext->Max(), 127);  // columns out of sight now

  // A larger title font: the title row grows and the filter row goes down.
  int top = cell().Top;
  grid->TitleFont()->SetSize(grid->TitleFont()->Size() * 2);
  win::PumpMessages();
  ASSERT_GT(cell().Top, top);
  ASSERT_TRUE(grid->FilterEditing());
  expectOnCell();

  // Name narrowed again by the program: all columns in sight once more.
  Col(1)->SetWidth(before);
  win::PumpMessages();
  EXPECT_EQ(ext->Max(), 0);
  expectOnCell();
  grid->HorzScrollBar()->SetExtScrollBar(nullptr);
}

// The cell editor and the filter editor are never in use together: a column chosen while a filter
// cell is edited shows no cell editor beside it, even when the editor is always shown; a field asking
// for the focus, or ShowCellEditor, ends the filter cell's editing and shows the cell editor.
TEST_F(FilterRowTest, TheCellEditorIsShownOnlyAfterTheFilterCellsEditingEnds) {
  Show();
  auto o = grid->Options();
  o.Include(gdoAlwaysShowEditor);
  grid->SetOptions(o);
  win::PumpMessages();
  auto cellEditorShown = [&] { return grid->InplaceEditor() && grid->InplaceEditor()->EditVisible(); };
  grid->BeginFilterEdit(1);
  ASSERT_TRUE(grid->FilterEditing());
  ASSERT_FALSE(cellEditorShown());
  grid->SetSelectedIndex(3);
  EXPECT_EQ(grid->GetSelectedIndex(), 3);
  EXPECT_TRUE(grid->FilterEditing());
  EXPECT_FALSE(cellEditorShown());

  Type("b");
  ds->FieldByName("Amount")->FocusControl();
  win::PumpMessages();
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_FALSE(grid->FilterEditor()->GetVisible());
  EXPECT_EQ(F(1)->ConditionText(), "b");  // the filter cell's text was kept
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  EXPECT_TRUE(cellEditorShown());
  EXPECT_TRUE(grid->InplaceEditor()->Focused());

  grid->BeginFilterEdit(3);
  ASSERT_TRUE(grid->FilterEditing());
  grid->ShowCellEditor();
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_TRUE(cellEditorShown());
}

// A number beyond the double's range or a NaN typed as a condition is refused with the conversion
// error, as a field refuses it, instead of a filter that silently keeps or hides every row.
TEST_F(FilterRowTest, NumbersThatAreNoFiniteNumberRaiseTheConversionError) {
  std::vector<std::string> errors;
  SetApplicationExceptionHandler([&](std::exception_ptr E) {
    try {
      std::rethrow_exception(E);
    } catch (const Exception& X) {
      errors.push_back(std::string(X.ClassName()) + ": " + X.Message());
    }
  });
  Show();
  const struct {
    const char *Typed, *Error;
  } cases[] = {
      {"> 1e400", "EConvertError: '1e400' is not a valid floating point value"},
      {"< -1e400", "EConvertError: '-1e400' is not a valid floating point value"},
      {"= NaN", "EConvertError: 'NaN' is not a valid floating point value"},
      {"In (1,INF)", "EConvertError: 'INF' is not a valid floating point value"},
      {"> 1 AND < -INF", "EConvertError: '-INF' is not a valid floating point value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    errors.clear();
    grid->BeginFilterEdit(2);  // Amount, a number column
    ASSERT_TRUE(grid->FilterEditor()->Focused());
    SendMessage(grid->FilterEditor()->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    win::InjectChar(std::string(c.Typed) + "\r");
    win::PumpMessages();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], c.Error);
    EXPECT_EQ(applied, 0) << "no filter applied";
  }
  // A large finite number is still a condition.
  grid->BeginFilterEdit(2);
  SendMessage(grid->FilterEditor()->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  win::InjectChar("> 1e300\r");
  win::PumpMessages();
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(F(2)->Condition().Operand1.AsDouble(), 1e300);
  SetApplicationExceptionHandler(nullptr);
}

// A condition the column cannot take ends the filter edit all the same when the user clicks a data cell:
// he is told, the filter cell's editor goes away, and what he types next goes to the cell he clicked,
// not to a hidden filter editor.
TEST_F(FilterRowTest, AConditionTheColumnRefusesStillEndsTheEditOnAClickInTheData) {
  std::vector<std::string> errors;
  SetApplicationExceptionHandler([&](std::exception_ptr E) {
    try {
      std::rethrow_exception(E);
    } catch (const Exception& X) {
      errors.push_back(X.Message());
    }
  });
  Show();
  grid->BeginFilterEdit(2);  // Amount, a number
  ASSERT_TRUE(grid->FilterEditor()->Focused());
  win::InjectChar("> zz");
  win::PumpMessages();
  TRect data = grid->CellRect(grid->DataToRawColumn(1), grid->TitleOffset());
  TPoint p = grid->ClientToScreen(TPoint((data.Left + data.Right) / 2, (data.Top + data.Bottom) / 2));
  win::Click(p.X, p.Y);
  win::PumpMessages();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "'zz' is not a valid floating point value");
  EXPECT_FALSE(grid->FilterEditor()->GetVisible());
  EXPECT_FALSE(grid->FilterEditing());
  // Typing goes on in the data, not in the filter cell.
  win::InjectChar("7");
  win::PumpMessages();
  ASSERT_NE(grid->InplaceEditX(), nullptr);
  EXPECT_TRUE(grid->InplaceEditX()->EditVisible());
  EXPECT_EQ(grid->InplaceEditX()->Text(), "7");
  EXPECT_EQ(grid->FilterEditor()->Text(), "> zz");
  SetApplicationExceptionHandler(nullptr);
}

// F2 or Enter on the grid while a filter cell is still being edited (the user clicked back onto the grid)
// opens the cell editor and ends the filter edit: a cell and a filter condition are never edited at once,
// and what is typed next goes to the cell.
TEST_F(FilterRowTest, F2OrEnterOnTheGridEndsTheFilterEditForTheCellEditor) {
  Show();
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  // F2 opens the editor with the caret after the text, Enter with the text selected.
  const struct {
    UINT Key;
    bool Appends;
  } cases[] = {{VK_F2, true}, {VK_RETURN, false}};
  for (const auto& c : cases) {
    const UINT key = c.Key;
    SCOPED_TRACE(key);
    grid->BeginFilterEdit(1);  // Name
    Type("b");
    ASSERT_TRUE(grid->FilterEditing());
    grid->SetFocus();
    win::PumpMessages();
    ASSERT_TRUE(grid->FilterEditing()) << "the grid took the focus back, the filter edit is still on";
    win::InjectKey(WM_KEYDOWN, key);
    win::InjectKey(WM_KEYUP, key);
    win::PumpMessages();
    EXPECT_FALSE(grid->FilterEditing());
    EXPECT_EQ(F(1)->ConditionText(), "b") << "the filter cell's text was kept";
    ASSERT_NE(grid->InplaceEditX(), nullptr);
    EXPECT_TRUE(grid->InplaceEditX()->EditVisible());
    const std::string cell = ds->FieldByName("Name")->AsString();
    win::InjectChar("Q");
    win::PumpMessages();
    EXPECT_EQ(grid->InplaceEditX()->Text(), c.Appends ? cell + "Q" : std::string("Q"));
    EXPECT_EQ(F(1)->ConditionText(), "b");
    grid->InplaceEditX()->SetText("");
    grid->HideEditor();
    if (ds->State() != dsBrowse) ds->Cancel();
  }
}
