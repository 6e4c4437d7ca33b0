// The grid's data link: the field map and the editing questions.

#include "tests/datagrid/grid_fixture.h"

namespace {

// A link whose map is full after two entries, to reach the limit's error.
class TSmallMapLink : public TGridDataLinkX {
 public:
  explicit TSmallMapLink(TCustomDBGridX* G) : TGridDataLinkX(G) { FMapLimit = 2; }
};

// Exposes the editing questions the grid base asks.
class TProbeDBGrid : public TDBGridX {
 public:
  using TDBGridX::TDBGridX;
  using TDBGridX::CanEditAcceptKey;
  using TDBGridX::CanEditModify;
  using TDBGridX::CanEditShow;
  using TDBGridX::GetEditLimit;
  using TDBGridX::GetEditMask;
  using TDBGridX::GetEditText;
  using TDBGridX::SetEditText;
};

}  // namespace

TEST_F(DataGridTest, FieldMapByNameAndDefault) {
  Bind();
  EXPECT_EQ(grid->DataLink()->MappedCount(), 6);
  EXPECT_FALSE(grid->DataLink()->MapByName());
  EXPECT_EQ(grid->DataLink()->MappedField(1), ds->FieldByName("Name"));
  EXPECT_EQ(grid->DataLink()->MappedField(6), nullptr);
  EXPECT_EQ(grid->DataLink()->MappedField(-1), nullptr);

  // Customised columns map by name; a missing field maps to nothing.
  grid->Columns()->Clear();
  grid->Columns()->Add()->SetFieldName("Name");
  grid->Columns()->Add()->SetFieldName("Missing");
  grid->LayoutChanged();
  EXPECT_TRUE(grid->DataLink()->MapByName());
  ASSERT_EQ(grid->DataLink()->MappedCount(), 2);
  EXPECT_EQ(grid->DataLink()->MappedField(1), nullptr);
}

TEST_F(DataGridTest, FullFieldMapStatesTheRealLimit) {
  Bind();
  TSmallMapLink link(grid);
  link.SetDataSource(src);
  link.MapField("ID");
  link.MapField("Name");
  try {
    link.MapField("Amount");
    FAIL() << "no error for a full map";
  } catch (const EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Grid requested to display more than 2 columns");
  }
  EXPECT_EQ(TGridDataLinkX::MaxMappedFields, 268435455);
  // Without mapping by name an unknown field raises the data set's error.
  EXPECT_THROW(link.MapField("Nope"), Exception);
}

TEST_F(DataGridTest, EditingQuestions) {
  auto* g = new TProbeDBGrid(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  g->SetDataSource(src);
  win::PumpMessages();
  ds->First();
  // Name: a 20-character string.
  g->SetCol(g->DataToRawColumn(1));
  EXPECT_EQ(g->GetEditLimit(), 20);
  EXPECT_EQ(g->GetEditText(g->Col(), g->Row()), "Ann");
  EXPECT_TRUE(g->CanEditAcceptKey('x'));
  // Amount: a number has no limit and refuses letters.
  g->SetCol(g->DataToRawColumn(2));
  EXPECT_EQ(g->GetEditLimit(), 0);
  EXPECT_FALSE(g->CanEditAcceptKey('x'));
  EXPECT_TRUE(g->CanEditAcceptKey('7'));
  // A check-box column never opens the text editor nor modifies through it.
  g->SetCol(g->DataToRawColumn(4));
  EXPECT_FALSE(g->CanEditShow());
  EXPECT_FALSE(g->CanEditModify());
  // The edit mask comes from the column, else from the field.
  g->SetCol(g->DataToRawColumn(1));
  ds->FieldByName("Name")->SetEditMask("LLL;0;_");
  EXPECT_EQ(g->GetEditMask(g->Col(), g->Row()), "LLL;0;_");
  g->Columns()->Items(1)->SetEditMask("");
  // Key-list column: the editor starts with the pick-list text.
  TColumnX* code = g->Columns()->Items(5);
  code->KeyList()->Add("Y");
  code->KeyList()->Add("N");
  code->PickList()->Add("Yes");
  code->PickList()->Add("No");
  g->SetCol(g->DataToRawColumn(5));
  EXPECT_EQ(g->GetEditText(g->Col(), g->Row()), "Yes");
  EXPECT_EQ(g->GetEditLimit(), 0);
}

TEST_F(DataGridTest, EditedTextReachesTheFieldAndEscReloadsFirst) {
  auto* g = new TProbeDBGrid(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  g->SetDataSource(src);
  win::PumpMessages();
  ds->First();
  g->SetCol(g->DataToRawColumn(1));
  ASSERT_TRUE(g->CanEditModify());
  EXPECT_EQ(ds->State(), dsEdit);
  g->SetEditText(g->Col(), g->Row(), "Anna");
  ds->Post();  // UpdateRecord asks the link, which commits the editor's text
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Anna");

  // Key-list column: the picked text stores its key.
  TColumnX* code = g->Columns()->Items(5);
  code->KeyList()->Add("Y");
  code->KeyList()->Add("N");
  code->PickList()->Add("Yes");
  code->PickList()->Add("No");
  g->SetCol(g->DataToRawColumn(5));
  ASSERT_TRUE(g->CanEditModify());
  g->SetEditText(g->Col(), g->Row(), "No");
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "N");

  // Esc after an editor change reloads the text; a second Esc cancels the record.
  g->SetCol(g->DataToRawColumn(1));
  ASSERT_TRUE(g->CanEditModify());
  g->SetEditText(g->Col(), g->Row(), "Zed");
  g->DataLink()->ResetRecord();
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(g->EditText(), "Anna");
  g->DataLink()->ResetRecord();
  EXPECT_EQ(ds->State(), dsBrowse);
}
