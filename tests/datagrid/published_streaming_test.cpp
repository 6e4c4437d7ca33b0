// A form holding a grid and a lookup combo box written by the component writer and read back into a
// fresh form: every published setting of the grid's columns (edit buttons with their glyphs, drop-down
// box with its grid's columns and defaults, special row, MRU list, filter-row settings, image list,
// input method...) and of the combo box (its lists, style, drop-down box, buttons) comes back.

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBLookupComboX.h"
#include "platform/classes/filer.h"
#include "platform/controls/scrollbars.h"
#include "tests/datagrid/grid_fixture.h"
#include "tests/datagrid/column_fill.h"

namespace {

class PublishedStreamingTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    RegisterClasses<TDBGridX, TDBLookupComboboxX>();
    codes = new TMemDataSet(owner.get());
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
  }
  void TearDown() override {
    forms.clear();
    UnRegisterClasses<TDBGridX, TDBLookupComboboxX>();
    DataGridTest::TearDown();
    DBGridXUnit::Finalize();
  }
  // A form with what the grid and the combo box refer to: a pop-up menu, an image list, a source of
  // the records and one of the codes.
  struct TForm {
    TGridHostX* root;
    TPopupMenu* menu;
    TImageList* images;
    TDataSource* records;
    TDataSource* lists;
  };
  TForm MakeForm() {
    TForm f;
    // Each form has an owner of its own, so that both may be called Form.
    forms.push_back(std::make_unique<TComponent>(nullptr));
    f.root = new TGridHostX(forms.back().get());
    f.root->SetName("Form");
    f.root->SetBounds(50, 50, 640, 400);
    f.root->HandleNeeded();
    f.menu = new TPopupMenu(f.root);
    f.menu->SetName("Menu");
    f.images = new TImageList(f.root);
    f.images->SetName("Images");
    f.records = new TDataSource(f.root);
    f.records->SetName("Records");
    f.records->SetDataSet(ds);
    f.lists = new TDataSource(f.root);
    f.lists->SetName("Lists");
    f.lists->SetDataSet(codes);
    return f;
  }
  TMemDataSet* codes = nullptr;
  std::vector<std::unique_ptr<TComponent>> forms;
};

TEST_F(PublishedStreamingTest, AFormWithAGridAndALookupComboBoxReadsBackEverySetting) {
  TForm a = MakeForm();
  TPublishedFill fill = ColumnFill(a.menu, a.images, a.lists);
  auto* g = new TDBGridX(a.root);
  g->SetName("Grid");
  g->SetParent(a.root);
  g->SetBounds(0, 0, 600, 200);
  g->SetDataSource(a.records);
  FillPublished(g->Columns()->Add(), fill, "Columns[0].");
  g->Columns()->Add()->SetFieldName("Name");
  auto* c = new TDBLookupComboboxX(a.root);
  c->SetName("Combo");
  c->SetParent(a.root);
  c->SetAutoSize(false);
  c->SetBounds(10, 220, 150, 24);
  c->SetDataSource(a.records);
  c->SetDataField("Code");
  c->SetListSource(a.lists);
  c->SetKeyField("Code");
  c->SetListField("Label;Code");
  c->SetListFieldIndex(1);
  c->SetStyle(csDropDownX);
  c->SetAlignment(taCenter);
  c->SetAlwaysShowBorder(true);
  c->SetAutoSelect(false);
  c->SetFlat(true);
  c->SetImeMode(imOpen);
  c->SetImeName("Pinyin");
  c->SetWordWrap(true);
  c->EditButton()->SetStyle(ebsEllipsisX);
  c->EditButton()->SetHint("more");
  FillPublished(c->EditButtons()->Add(), fill, "Combo.EditButtons[0].");
  FillPublished(c->DropDownBox(), fill, "Combo.DropDownBox.");
  win::PumpMessages();
  // What the filling reached, in a few places (the comparison below takes the rest).
  TColumnX* col = g->Columns()->Items(0);
  ASSERT_FALSE(col->EditButtons()->Items(0)->Glyph()->Empty());
  ASSERT_EQ(col->DropDownBox()->Columns()->Count(), 1);
  ASSERT_EQ(col->ImageList(), a.images);
  ASSERT_TRUE(col->AssignedValues().Contains(cvImeMode));
  ASSERT_EQ(c->DropDownBox()->Rows(), 10);

  TMemoryStream s;
  TWriter(&s).WriteRootComponent(a.root);
  s.SetPosition(0);
  TForm b = MakeForm();
  TReader(&s).ReadRootComponent(b.root);
  win::PumpMessages();

  auto* g2 = dynamic_cast<TDBGridX*>(b.root->FindComponent("Grid"));
  auto* c2 = dynamic_cast<TDBLookupComboboxX*>(b.root->FindComponent("Combo"));
  ASSERT_NE(g2, nullptr);
  ASSERT_NE(c2, nullptr);
  ASSERT_EQ(g2->Columns()->Count(), 2);
  // Bound as the first grid is, so that what the columns take from their fields compares too.
  g2->SetDataSource(b.records);
  win::PumpMessages();
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(SamePublished(g->Columns()->Items(i), g2->Columns()->Items(i), "Columns[" + std::to_string(i) + "]."));
  }
  EXPECT_TRUE(SamePublished(c, c2, "Combo."));
  // The combo box works from what it read: its list is bound.
  EXPECT_EQ(c2->ListSource(), b.lists);
  EXPECT_EQ(c2->KeyField(), "Code");
  EXPECT_EQ(c2->Style(), csDropDownX);
  EXPECT_EQ(c2->DropDownBox()->Rows(), 10);
  EXPECT_TRUE(c2->ListActive());
}

}  // namespace

// A grid's own settings, each set to something other than its default (the data source, options,
// permissions, fonts, titles, footers, frozen columns, column defaults, scroll-bar settings with
// external bars), written with its form and read into a fresh one: every one comes back, and the grid
// shows the records of the source it read, without the program binding it again.
TEST_F(PublishedStreamingTest, AGridReadBackKeepsItsDataSourceAndOptionsWithoutRebinding) {
  auto makeBars = [](TForm& f) {
    for (const char* n : {"HBar", "VBar"}) {
      auto* b = new TScrollBar(f.root);
      b->SetName(n);
      b->SetParent(f.root);
    }
  };
  RegisterClasses<TScrollBar>();
  struct Unregister {
    ~Unregister() { UnRegisterClasses<TScrollBar>(); }
  } unregister;
  TForm a = MakeForm();
  makeBars(a);
  auto* g = new TDBGridX(a.root);
  g->SetName("Grid");
  g->SetParent(a.root);
  TPublishedFill fill = ColumnFill(a.menu, a.images, a.lists);
  fill.Components.push_back(a.images);
  fill.ByName["DataSource"] = [&](TObject* O, const TPropInfo* P) { P->SetObj(O, a.records); };
  fill.ByName["ExtScrollBar"] = [&](TObject* O, const TPropInfo* P) {
    P->SetObj(O, a.root->FindComponent(dynamic_cast<TVertDBGridXScrollBar*>(O) ? "VBar" : "HBar"));
  };
  fill.ByName["Visible"] = [](TObject*, const TPropInfo*) {};  // the grid and its bars stay shown
  fill.ByName["Enabled"] = [](TObject*, const TPropInfo*) {};
  fill.ByName["Text"] = [](TObject*, const TPropInfo*) {};     // not stored: the window's text
  FillPublished(g, fill, "Grid.");
  g->SetDataSource(a.records);
  g->SetBounds(0, 0, 600, 200);
  win::PumpMessages();

  TMemoryStream s;
  TWriter(&s).WriteRootComponent(a.root);
  s.SetPosition(0);
  TForm b = MakeForm();
  TReader(&s).ReadRootComponent(b.root);
  win::PumpMessages();

  auto* g2 = dynamic_cast<TDBGridX*>(b.root->FindComponent("Grid"));
  ASSERT_NE(g2, nullptr);
  EXPECT_TRUE(SamePublished(g, g2, "Grid."));
  // What the filling reached, in a few places (the comparison above takes the rest).
  EXPECT_NE(g2->Options(), GridXDataOptionsFromBits(0x0CFD));
  EXPECT_EQ(g2->Options(), g->Options());
  EXPECT_EQ(g2->FrozenCols(), 3);
  EXPECT_EQ(g2->TitleImages(), b.images);
  EXPECT_TRUE(g2->ColumnDefValues()->Title()->TitleButton());
  EXPECT_EQ(g2->FooterColor(), clYellow);
  // Bound by what it read: the second form's source, active, its records in the rows.
  EXPECT_EQ(g2->DataSource(), b.records);
  EXPECT_TRUE(g2->DataLink()->Active());
  ASSERT_EQ(g2->Columns()->Count(), ds->FieldCount());
  EXPECT_EQ(g2->HorzScrollBar()->ExtScrollBar(), b.root->FindComponent("HBar"));
  EXPECT_EQ(g2->VertScrollBar()->ExtScrollBar(), b.root->FindComponent("VBar"));
  ds->First();
  EXPECT_EQ(g2->Columns()->Items(1)->GetCellDisplayText(), "Ann");
}
