// Columns assigned from another grid bring their sort markers, and the grid's sort order is the one
// their titles show: a Ctrl+click on another title adds a key after them.

#include <string>
#include <vector>

#include "tests/datagrid/nav_fixture.h"

namespace {

class SortMarksAssignTest : public NavGridTest {
 protected:
  void ClickTitle(const std::string& Field, WPARAM Keys = 0) {
    TPoint p = CellMid(grid->DataToRawColumn(ColumnOf(Field)), 0);
    Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON | Keys);
    Mouse(WM_LBUTTONUP, p, Keys);
  }
  std::vector<int> WalkIDs() {
    std::vector<int> v;
    for (ds->First(); !ds->Eof(); ds->Next()) v.push_back(ds->FieldByName("ID")->AsInteger());
    ds->First();
    return v;
  }
};

}  // namespace

TEST_F(SortMarksAssignTest, ACtrlClickAfterAColumnsAssignAddsAKeyToTheAssignedMarkers) {
  Make(12);  // Code: C on every third record, D on the others
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  AddOptionsX({gxoAutoSortMarking, gxoMultiSortMarking});
  // Another grid's columns: Code marked first (down: ascending), ID second (up: descending).
  auto* other = new TDBGridX(owner.get());
  auto o = other->OptionsX();
  o.Include(gxoMultiSortMarking);
  other->SetOptionsX(o);
  other->ColumnDefValues()->Title()->SetTitleButton(true);
  for (const char* f : {"ID", "Name", "Active", "Code"}) other->Columns()->Add()->SetFieldName(f);
  other->Columns()->Items(3)->Title()->SetSortMarker(smDownX);
  other->Columns()->Items(0)->Title()->SetSortMarker(smUpX);
  ASSERT_EQ(other->Columns()->Items(0)->Title()->SortIndex(), 2);

  grid->Columns()->Assign(other->Columns());
  win::PumpMessages();
  ASSERT_EQ(grid->Columns()->Items(3)->Title()->SortIndex(), 1);
  ASSERT_EQ(grid->Columns()->Items(0)->Title()->SortIndex(), 2);

  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  ClickTitle("Name", MK_CONTROL);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  // The third key, after the two the titles show.
  EXPECT_EQ(grid->Columns()->Items(1)->Title()->SortMarker(), smDownX);
  EXPECT_EQ(grid->Columns()->Items(1)->Title()->SortIndex(), 3);
  EXPECT_EQ(grid->SortMarkedColumns().size(), 3u);
  // Code ascending (C before D), then ID descending; Name decides nothing more.
  EXPECT_EQ(WalkIDs(), (std::vector<int>{12, 9, 6, 3, 11, 10, 8, 7, 5, 4, 2, 1}));
}
