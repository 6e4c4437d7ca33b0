// A grid as a user sees it: multi-level titles, indicator, check-box column, sort markers, selected rows.

#include "datagrid/DBGridXUnit.h"
#include "dataedit/ToolCtrlsX.h"
#include "tests/datagrid/grid_fixture.h"

TEST_F(DataGridTest, Screenshot) {
  DBGridXUnit::Initialize();
  {
    auto* g = new TDBGridX(owner.get());
    g->SetBounds(0, 0, 600, 300);
    g->SetParent(host);
    const char* caps[][2] = {{"ID", "No."}, {"Name", "Person|Name"}, {"Amount", "Figures|Amount"},
                             {"Born", "Figures|Born"}, {"Active", "Active"}, {"Code", "Code"}};
    for (auto& cp : caps) {
      TColumnX* col = g->Columns()->Add();
      col->SetFieldName(cp[0]);
      col->Title()->SetCaption(cp[1]);
    }
    g->SetUseMultiTitle(true);
    g->SetDataSource(src);
    auto o = g->Options();
    o.Include(gdoMultiSelect);
    g->SetOptions(o);
    g->Columns()->Items(1)->Title()->SetSortMarker(smDownX);
    ds->First();
    ds->Next();
    g->SelectedRows()->SetCurrentRowSelected(true);
    ds->Next();
    g->SelectedRows()->SetCurrentRowSelected(true);
    win::PumpMessages();
    host->Repaint();
    win::PumpMessages();
    EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_grid.png")));
    EXPECT_GT(g->TitleRowHeight(), g->DefaultRowHeight());  // two title levels
  }
  DBGridXUnit::Finalize();
}
