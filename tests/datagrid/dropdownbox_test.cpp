// Column drop-down box settings and the two storage interceptors (ColumnsIndex, Width).

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBPopupGridX.h"
#include "tests/datagrid/grid_fixture.h"

TEST_F(DataGridTest, ColumnsIndexReadsAndReordersByFieldName) {
  for (const char* f : {"ID", "Name", "Amount"}) grid->Columns()->Add()->SetFieldName(f);
  TColumnsXPropertyInterceptor ic(grid->Columns());
  EXPECT_EQ(ic.ColumnsIndex(), "\"ID\",\"Name\",\"Amount\"");
  auto order = [&] {
    std::string r;
    for (int i = 0; i < grid->Columns()->Count(); ++i) r += (i ? " " : "") + Col(i)->FieldName();
    return r;
  };
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"\"Amount\",\"ID\",\"Name\"", "Amount ID Name"},
      {"\"Name\"", "Name Amount ID"},
      // Unknown names are skipped; the index still counts.
      {"\"Nope\",\"ID\"", "Name ID Amount"},
      // Named twice: the same column moves twice and ends at the later index.
      {"\"Amount\",\"Name\",\"Amount\"", "Name ID Amount"},
      // Entries past the last column have no place and are ignored.
      {"\"ID\",\"Name\",\"Amount\",\"ID\",\"Name\"", "ID Name Amount"},
      {"", "ID Name Amount"},
      // Exact case only.
      {"\"amount\"", "ID Name Amount"},
  };
  for (const Case& c : cases) {
    ic.SetColumnsIndex(c.text);
    EXPECT_EQ(order(), c.expected) << c.text;
    EXPECT_EQ(ic.LastRead(), c.text);
  }
  grid->Columns()->Clear();
  EXPECT_EQ(ic.ColumnsIndex(), "");
}

TEST_F(DataGridTest, WidthInterceptorSetsTheDesignWidthOfAnAutoFittingGrid) {
  Bind();
  TColumnX* c = grid->Columns()->Add();
  c->SetFieldName("Name");
  TColumnXPropertyInterceptor ic(c);
  ic.SetWidth(77);
  EXPECT_EQ(c->Width(), 77);
  grid->SetAutoFitColWidths(true);
  int before = c->Width();
  ic.SetWidth(123);
  EXPECT_EQ(c->AutoFitBaseWidth(), 123);
  EXPECT_EQ(c->Width(), before);
}

TEST_F(DataGridTest, InterceptorsAreRegisteredForColumnsAndTheCollection) {
  DBGridXUnit::Initialize();
  EXPECT_EQ(FindPropertyInterceptor(TDBGridColumnX::StaticClass()), TColumnXPropertyInterceptor::InterceptorClass());
  EXPECT_EQ(FindPropertyInterceptor(TDBGridColumnsX::StaticClass()),
            TColumnsXPropertyInterceptor::InterceptorClass());
  DBGridXUnit::Finalize();
  EXPECT_EQ(FindPropertyInterceptor(TDBGridColumnX::StaticClass()), nullptr);
}

TEST(VarArrayToQuotedText, PlainValuesAndArrays) {
  EXPECT_EQ(VarArrayToQuotedText(Variant(5)), "5");
  EXPECT_EQ(VarArrayToQuotedText(Variant::Null()), "");
  EXPECT_EQ(VarArrayToQuotedText(VarArrayOf({Variant("a"), Variant(2)})), "'a','2'");
  EXPECT_EQ(VarArrayToQuotedText(VarArrayOf({})), "");
}

namespace {
// An owner that is no drop-down box owner.
class TPlainOwner : public TPersistent {
  DECLARE_CLASS(TPlainOwner, TPersistent)
};
}  // namespace

TEST_F(DataGridTest, DropDownBoxForwardsToItsOwnersGrid) {
  TPlainOwner plain;
  TColumnDropDownBoxX lone(&plain);
  EXPECT_EQ(lone.Columns(), nullptr);
  EXPECT_EQ(lone.ColumnDefValues(), nullptr);
  EXPECT_TRUE(lone.Options().Empty());
  lone.SetOptions({dlgRowLinesX});  // nothing to forward to: no effect, no failure
  EXPECT_TRUE(lone.AutoFitColWidths());

  TColumnX* c = grid->Columns()->Add();
  TColumnDropDownBoxX* box = c->DropDownBox();
  EXPECT_EQ(box->Options(), TDBLookupGridXOptions{dlgColLinesX});
  box->SetOptions({dlgRowLinesX, dlgColumnResizeX});
  EXPECT_TRUE(c->DropDownGrid()->Options().Contains(gdoRowLines));
  EXPECT_FALSE(c->DropDownGrid()->Options().Contains(gdoColLines));
  ASSERT_NE(box->Columns(), nullptr);
  EXPECT_EQ(box->Columns(), c->DropDownGrid()->Columns());
  box->Columns()->Add()->SetFieldName("Label");
  box->SetRows(5);
  box->SetWidth(200);
  box->SetListSource(src);

  TColumnX* d = grid->Columns()->Add();
  d->DropDownBox()->Assign(box);
  EXPECT_EQ(d->DropDownBox()->Rows(), 5);
  EXPECT_EQ(d->DropDownBox()->Width(), 200);
  EXPECT_EQ(d->DropDownBox()->ListSource(), src);
  EXPECT_EQ(d->DropDownBox()->Options(), (TDBLookupGridXOptions{dlgRowLinesX, dlgColumnResizeX}));
  ASSERT_EQ(d->DropDownBox()->Columns()->Count(), 1);
  EXPECT_EQ(d->DropDownBox()->Columns()->Items(0)->FieldName(), "Label");
  // A source whose columns are not customised clears the target's.
  TColumnX* e = grid->Columns()->Add();
  d->DropDownBox()->Assign(e->DropDownBox());
  EXPECT_EQ(d->DropDownBox()->Columns()->Count(), 0);
}

// The title defaults a box's grid had set itself reach the copy's grid; the ones it left alone stay
// the copy's own.
TEST_F(DataGridTest, ACopiedDropDownBoxTakesTheTitleDefaultsItsSourceSet) {
  TColumnDropDownBoxX* box = grid->Columns()->Add()->DropDownBox();
  box->ColumnDefValues()->Title()->SetAlignment(taRightJustify);
  box->ColumnDefValues()->Title()->SetColor(clYellow);
  TColumnDropDownBoxX* copy = grid->Columns()->Add()->DropDownBox();
  copy->Assign(box);
  EXPECT_EQ(copy->ColumnDefValues()->Title()->Alignment(), taRightJustify);
  EXPECT_EQ(copy->ColumnDefValues()->Title()->Color(), clYellow);
  TColumnDropDownBoxX* half = grid->Columns()->Add()->DropDownBox();
  half->ColumnDefValues()->Title()->SetColor(clAqua);
  TColumnDropDownBoxX* fresh = grid->Columns()->Add()->DropDownBox();
  fresh->ColumnDefValues()->Title()->SetAlignment(taCenter);
  half->Assign(fresh);
  EXPECT_EQ(half->ColumnDefValues()->Title()->Alignment(), taCenter);
  EXPECT_EQ(half->ColumnDefValues()->Title()->Color(), fresh->ColumnDefValues()->Title()->Color());
}

TEST_F(DataGridTest, DropDownBoxForgetsAFreedListSource) {
  TColumnX* c = grid->Columns()->Add();
  auto* list = new TDataSource(owner.get());
  c->DropDownBox()->SetListSource(list);
  EXPECT_EQ(c->DropDownBox()->ListSource(), list);
  delete list;
  EXPECT_EQ(c->DropDownBox()->ListSource(), nullptr);
  EXPECT_EQ(c->GetListDataSet(), nullptr);
}
