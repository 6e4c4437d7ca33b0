// Copying a grid's columns: every published setting of a column and of everything it owns (title,
// footers, edit buttons, drop-down box with its grid's columns and defaults, special row, MRU list,
// filter-row settings, fonts, lists) arrives in the copy, and so do its events.

#include <algorithm>
#include <map>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBPopupGridX.h"
#include "tests/datagrid/column_fill.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

class ColumnCopyTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    menu = new TPopupMenu(owner.get());
    menu->SetName("Menu");
    images = new TImageList(owner.get());
    images->SetName("Images");
    lists = new TDataSource(owner.get());
    lists->SetName("Lists");
    codes = new TMemDataSet(owner.get());
    codes->AddField("Code", ftString, 4);
    codes->AddField("Label", ftString, 20);
    codes->Open();
    lists->SetDataSet(codes);
    fill = ColumnFill(menu, images, lists);
  }
  void TearDown() override {
    DataGridTest::TearDown();
    DBGridXUnit::Finalize();
  }
  // A grid of user columns: the first with every published setting made to differ from its default,
  // the second fresh.
  void MakeColumns() {
    Bind();
    grid->Columns()->Clear();
    FillPublished(grid->Columns()->Add(), fill, "Columns[0].");
    grid->Columns()->Add()->SetFieldName("Name");
    win::PumpMessages();
  }
  TDBGridX* SecondGrid() {
    auto* g = new TDBGridX(owner.get());
    g->SetBounds(0, 0, 600, 300);
    g->SetParent(host);
    g->SetDataSource(src);
    win::PumpMessages();
    return g;
  }
  TPopupMenu* menu = nullptr;
  TImageList* images = nullptr;
  TDataSource* lists = nullptr;
  TMemDataSet* codes = nullptr;
  TPublishedFill fill;
};

TEST_F(ColumnCopyTest, AssigningAColumnListCopiesEveryPublishedSetting) {
  MakeColumns();
  TColumnX* a = Col(0);
  // What the filling reached, in a few places (the comparison below takes the rest).
  ASSERT_EQ(a->Footers()->Count(), 1);
  ASSERT_EQ(a->EditButtons()->Count(), 1);
  ASSERT_FALSE(a->EditButtons()->Items(0)->Glyph()->Empty());
  ASSERT_EQ(a->DropDownBox()->Columns()->Count(), 1);
  ASSERT_EQ(a->STFilter()->ListSource(), lists);
  ASSERT_NE(a->DropDownWidth(), 0);

  TDBGridX* copy = SecondGrid();
  copy->Columns()->Assign(grid->Columns());
  ASSERT_EQ(copy->Columns()->Count(), 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(SamePublished(Col(i), copy->Columns()->Items(i), "Columns[" + std::to_string(i) + "]."));
  }
}

TEST_F(ColumnCopyTest, AssigningAColumnCopiesItsEvents) {
  MakeColumns();
  TColumnX* a = Col(0);
  std::vector<std::string> fired;
  auto note = [&fired](const char* Name) { return [&fired, Name](auto&&...) { fired.push_back(Name); }; };
  // Each published event of a column: how a program sets it, and how the column's owner fires it.
  struct Event {
    std::function<void(TColumnX*)> set;
    std::function<bool(TColumnX*)> fire;  // false: no handler
  };
  std::map<std::string, Event> events = {
      {"OnDropDownBoxCheckButton",
       {[&](TColumnX* c) { c->SetOnDropDownBoxCheckButton(note("OnDropDownBoxCheckButton")); },
        [](TColumnX* c) {
          bool enabled = true;
          auto h = c->OnDropDownBoxCheckButton();
          if (h) h(nullptr, 0, c, enabled);
          return bool(h);
        }}},
      {"OnDropDownBoxDrawColumnCell",
       {[&](TColumnX* c) { c->SetOnDropDownBoxDrawColumnCell(note("OnDropDownBoxDrawColumnCell")); },
        [](TColumnX* c) {
          auto h = c->OnDropDownBoxDrawColumnCell();
          if (h) h(nullptr, TRect(), 0, c, TGridDrawState());
          return bool(h);
        }}},
      {"OnDropDownBoxGetCellParams",
       {[&](TColumnX* c) { c->SetOnDropDownBoxGetCellParams(note("OnDropDownBoxGetCellParams")); },
        [](TColumnX* c) {
          TColor back = clWindow;
          auto h = c->OnDropDownBoxGetCellParams();
          if (h) h(nullptr, c, nullptr, back, TGridDrawState());
          return bool(h);
        }}},
      {"OnDropDownBoxSortMarkingChanged",
       {[&](TColumnX* c) { c->SetOnDropDownBoxSortMarkingChanged(note("OnDropDownBoxSortMarkingChanged")); },
        [](TColumnX* c) {
          auto h = c->OnDropDownBoxSortMarkingChanged();
          if (h) h(nullptr);
          return bool(h);
        }}},
      {"OnDropDownBoxTitleBtnClick",
       {[&](TColumnX* c) { c->SetOnDropDownBoxTitleBtnClick(note("OnDropDownBoxTitleBtnClick")); },
        [](TColumnX* c) {
          auto h = c->OnDropDownBoxTitleBtnClick();
          if (h) h(nullptr, 0, c);
          return bool(h);
        }}},
      {"OnEditButtonClick",
       {[&](TColumnX* c) { c->OnEditButtonClick = note("OnEditButtonClick"); },
        [](TColumnX* c) {
          bool handled = false;
          if (c->OnEditButtonClick) c->OnEditButtonClick(nullptr, handled);
          return bool(c->OnEditButtonClick);
        }}},
      {"OnEditButtonDown",
       {[&](TColumnX* c) { c->OnEditButtonDown = note("OnEditButtonDown"); },
        [](TColumnX* c) {
          bool repeat = false, handled = false;
          if (c->OnEditButtonDown) c->OnEditButtonDown(nullptr, true, repeat, handled);
          return bool(c->OnEditButtonDown);
        }}},
      {"OnGetCellParams",
       {[&](TColumnX* c) { c->SetOnGetCellParams(note("OnGetCellParams")); },
        [](TColumnX* c) {
          auto h = c->OnGetCellParams();
          if (h) h(nullptr, false, nullptr);
          return bool(h);
        }}},
      {"OnNotInList",
       {[&](TColumnX* c) { c->OnNotInList = note("OnNotInList"); },
        [](TColumnX* c) {
          bool again = false;
          if (c->OnNotInList) c->OnNotInList(nullptr, "x", again);
          return bool(c->OnNotInList);
        }}},
      {"OnUpdateData",
       {[&](TColumnX* c) { c->OnUpdateData = note("OnUpdateData"); },
        [](TColumnX* c) {
          std::string text;
          Variant value;
          bool useText = false, handled = false;
          if (c->OnUpdateData) c->OnUpdateData(nullptr, text, value, useText, handled);
          return bool(c->OnUpdateData);
        }}},
  };
  // The table covers the column's published events, no more and no fewer.
  std::vector<std::string> published = PublishedEvents(TDBGridColumnX::StaticClass());
  std::vector<std::string> covered;
  for (auto& [name, e] : events) covered.push_back(name);
  std::sort(published.begin(), published.end());
  EXPECT_EQ(published, covered);

  for (auto& [name, e] : events) e.set(a);
  a->EditButtons()->Items(0)->OnClick = note("button OnClick");
  TDBGridX* copy = SecondGrid();
  copy->Columns()->Assign(grid->Columns());
  TColumnX* b = copy->Columns()->Items(0);
  for (auto& [name, e] : events) {
    SCOPED_TRACE(name);
    fired.clear();
    ASSERT_TRUE(e.fire(b));
    EXPECT_EQ(fired, std::vector<std::string>{name});
  }
  fired.clear();
  bool handled = false;
  ASSERT_TRUE(bool(b->EditButtons()->Items(0)->OnClick));
  b->EditButtons()->Items(0)->OnClick(nullptr, handled);
  EXPECT_EQ(fired, std::vector<std::string>{"button OnClick"});
  // A fresh column copies no handler and makes no drop-down grid for one.
  TColumnX* fresh = copy->Columns()->Items(1);
  for (auto& [name, e] : events) EXPECT_FALSE(e.fire(fresh)) << name;
  EXPECT_EQ(fresh->DropDownBoxOwner()->DropDownGridIfMade(), nullptr);
}

}  // namespace
