// A grid as a user sees it: multi-level titles, indicator, check-box column, sort markers, selected rows.

#include "datagrid/DBGridXUnit.h"
#include "platform/controls/imglist.h"
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
    // Codes as pictures: a green tick for Y, a red cross for N, a grey dot otherwise.
    TImageList images(nullptr);
    images.SetWidth(12);
    images.SetHeight(12);
    for (int k = 0; k < 3; ++k) {
      TBitmap b;
      b.SetSize(12, 12);
      TCanvas* c = b.Canvas();
      c->Brush()->SetColor(clFuchsia);
      c->FillRect(TRect(0, 0, 12, 12));
      c->Pen()->SetWidth(2);
      if (k == 0) {
        c->Pen()->SetColor(static_cast<TColor>(RGB(0, 150, 0)));
        c->MoveTo(1, 6);
        c->LineTo(4, 10);
        c->LineTo(11, 1);
      } else if (k == 1) {
        c->Pen()->SetColor(clRed);
        c->MoveTo(2, 2);
        c->LineTo(10, 10);
        c->MoveTo(10, 2);
        c->LineTo(2, 10);
      } else {
        c->Brush()->SetColor(clGray);
        c->Pen()->SetColor(clGray);
        c->Ellipse(3, 3, 9, 9);
      }
      images.AddMasked(&b, clFuchsia);
    }
    TColumnX* code = g->Columns()->Items(5);
    code->KeyList()->Add("Y");
    code->KeyList()->Add("N");
    code->SetNotInKeyListIndex(2);
    code->SetImageList(&images);
    auto ox = g->OptionsX();
    ox.Include(gxoMultiSortMarking);
    g->SetOptionsX(ox);
    g->Columns()->Items(1)->Title()->SetSortMarker(smDownX);
    g->Columns()->Items(2)->Title()->SetSortMarker(smUpX);
    // A selected rectangle: Amount .. Active over the second to the fourth record.
    ds->First();
    ds->Next();
    TBookmark top = ds->Bookmark();
    ds->MoveBy(2);
    TBookmark bottom = ds->Bookmark();
    ds->Prior();
    g->SelectionX()->Rect()->Select(2, top, false);
    g->SelectionX()->Rect()->Select(4, bottom, true);
    EXPECT_EQ(g->SelectionX()->Kind(), selRectangleX);
    win::PumpMessages();
    host->Repaint();
    win::PumpMessages();
    EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_grid.png")));
    EXPECT_GT(g->TitleRowHeight(), g->DefaultRowHeight());  // two title levels
    // The rectangle shades its check-box cells like its text cells; the row below it stays white.
    TRect born = g->CellRect(4, 3), active = g->CellRect(5, 3), below = g->CellRect(5, 5);
    COLORREF shade = win::GetWindowPixel(g->Handle(), born.Left + 2, born.Bottom - 2);
    EXPECT_NE(shade, static_cast<COLORREF>(ColorToRGB(clWindow)));
    EXPECT_EQ(win::GetWindowPixel(g->Handle(), active.Left + 2, active.Bottom - 2), shade);
    EXPECT_EQ(win::GetWindowPixel(g->Handle(), below.Left + 2, below.Bottom - 2),
              static_cast<COLORREF>(ColorToRGB(clWindow)));
    code->SetImageList(nullptr);
  }
  DBGridXUnit::Finalize();
}

// The same kind of grid read right to left: indicator on the right, bands and markers mirrored.
TEST_F(DataGridTest, ScreenshotRightToLeft) {
  DBGridXUnit::Initialize();
  {
    auto* g = new TDBGridX(owner.get());
    g->SetBounds(0, 0, 600, 300);
    g->SetParent(host);
    const char* caps[][2] = {{"ID", "No."}, {"Name", "Person|Name"}, {"Amount", "Figures|Amount"},
                             {"Born", "Figures|Born"}, {"Active", "Active"}};
    for (auto& cp : caps) {
      TColumnX* col = g->Columns()->Add();
      col->SetFieldName(cp[0]);
      col->Title()->SetCaption(cp[1]);
    }
    g->SetUseMultiTitle(true);
    g->SetDataSource(src);
    g->Columns()->Items(1)->Title()->SetSortMarker(smDownX);
    g->Columns()->Items(4)->SetAlwaysShowEditButton(true);
    g->Columns()->Items(1)->SetButtonStyle(cbsEllipsis);
    g->Columns()->Items(1)->SetAlwaysShowEditButton(true);
    auto o = g->Options();
    o.Include(gdoMultiSelect);
    g->SetOptions(o);
    ds->First();
    ds->Next();
    g->SelectedRows()->SetCurrentRowSelected(true);
    ds->Next();
    g->SelectedRows()->SetCurrentRowSelected(true);
    g->SetRightToLeft(true);
    win::PumpMessages();
    host->Repaint();
    win::PumpMessages();
    EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_grid_rtl.png")));
    EXPECT_GT(g->CellRect(0, 1).Left, 300);
  }
  DBGridXUnit::Finalize();
}
