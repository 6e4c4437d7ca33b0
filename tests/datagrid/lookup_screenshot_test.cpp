// The lookups and the filter row as a user sees them: the pop-up data grid dropped from a grid cell
// and from a lookup combo box, and a grid with its filter row holding conditions. The pop-ups are
// top-level windows, so each is saved on its own beside its owner's window.

#include <vector>

#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBLookupComboX.h"
#include "datagrid/DBPopupGridX.h"
#include "dataedit/ToolCtrlsX.h"
#include "tests/datagrid/lookup_fixture.h"
#include "tests/datagrid/popup_shot.h"

TEST_F(LookupTest, ScreenshotPopupFromACell) {
  auto* grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 400, 160);
  grid->SetParent(host);
  for (const char* f : {"Name", "City"}) grid->Columns()->Add()->SetFieldName(f);
  grid->Columns()->Items(1)->SetWidth(160);
  grid->SetDataSource(peopleSrc);
  win::PumpMessages();
  people->Next();  // Bob, in Dublin
  auto* p = new TPopupDataGridX(owner.get());
  p->SpecRow()->SetCellsText("(no city)");
  p->SpecRow()->SetValue(Null);
  p->SpecRow()->SetVisible(true);
  p->SetShowTitles(true);
  p->SetDataSource(peopleSrc);
  p->SetDataField("City");
  p->SetDisplayRowCount(6);
  TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->Row());
  TPoint tl = grid->ClientToScreen(TPoint(cell.Left, cell.Top));
  TPoint br = grid->ClientToScreen(TPoint(cell.Right, cell.Bottom));
  p->SetBounds(0, 0, 220, p->Height());
  POINT pos{0, 0};
  PositionDropDownAtRect(RECT{tl.X, tl.Y, br.X, br.Y}, p, daLeft, pos, p->RowPixelHeight());
  SetWindowPos(p->Handle(), HWND_TOP, pos.x, pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  p->SetVisible(true);
  p->SizeGrip()->SetGripVisible(true);
  win::PumpMessages();
  EXPECT_EQ(p->DisplayRows(), 6);
  // Hover one row up from the key: the choice follows the mouse.
  TPoint over = CellCentre(p, 0, p->Row() - 1);
  win::InjectMouse(over.X, over.Y, WM_MOUSEMOVE, 0);
  win::PumpMessages();
  EXPECT_EQ(p->SelectedText(), "Cairo");
  host->Repaint();
  p->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_popup_cell_owner.png")));
  EXPECT_TRUE(win::SaveWindowPng(p->Handle(), win::ArtifactPath("datagrid_popup_cell.png")));
  // Up to the first record and beyond: the special row, framed.
  WORD k = VK_HOME;
  p->UserKeyDown(k, {});
  k = VK_UP;
  p->UserKeyDown(k, {});
  EXPECT_TRUE(p->SpecRowSelected());
  EXPECT_TRUE(people->FieldByName("CityID")->IsNull());
  p->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(p->Handle(), win::ArtifactPath("datagrid_popup_cell_special.png")));
  people->Cancel();
}

TEST_F(LookupTest, ScreenshotPopupFromALookupCombo) {
  auto* c = new TDBLookupComboboxX(owner.get());
  c->SetBounds(20, 20, 180, 24);
  c->SetParent(host);
  c->SetDataSource(peopleSrc);
  c->SetDataField("CityID");
  c->SetListSource(citySrc);
  c->SetKeyField("ID");
  c->SetListField("Name;Pop");
  c->DropDownBox()->SetShowTitles(true);
  c->DropDownBox()->SetSizable(true);
  c->DropDownBox()->SetWidth(-1);
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  TPoint at = c->ClientToScreen(TPoint(5, 5));
  win::Click(at.X, at.Y);
  win::PumpMessages();
  ASSERT_TRUE(c->ListVisible());
  SendMessage(c->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  win::PumpMessages();
  host->Repaint();
  c->Grid()->Repaint();
  win::PumpMessages();
  EXPECT_EQ(c->Grid()->KeyValue().AsInteger(), 3);
  EXPECT_GE(c->Grid()->Width(), c->Width());
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_popup_combo_owner.png")));
  EXPECT_TRUE(win::SaveWindowPng(c->Grid()->Handle(), win::ArtifactPath("datagrid_popup_combo.png")));
}

TEST_F(LookupTest, ScreenshotFilterRow) {
  auto* grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 600, 200);
  grid->SetParent(host);
  for (const char* f : {"ID", "Name", "CityID", "City"}) grid->Columns()->Add()->SetFieldName(f);
  grid->SetDataSource(peopleSrc);
  grid->STFilter()->SetVisible(true);
  grid->Columns()->Items(0)->STFilter()->AssignConditionText("> 1 AND < 10");
  grid->Columns()->Items(1)->STFilter()->AssignConditionText("In ('Ann','O''Brien')");
  grid->Columns()->Items(2)->STFilter()->AssignConditionText("<>Null");
  win::PumpMessages();
  grid->SetFocus();
  grid->BeginFilterEdit(3);
  for (char ch : std::string("~ Ber")) SendMessage(grid->FilterEditor()->Handle(), WM_CHAR, static_cast<WPARAM>(ch), 0);
  win::PumpMessages();
  host->Repaint();
  win::PumpMessages();
  EXPECT_EQ(grid->FilterCellText(1), "In ('Ann','O''Brien')");
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_filter_row.png")));
}

namespace {

void AltDown() {
  win::InjectKey(WM_KEYDOWN, VK_MENU);
  win::InjectKey(WM_SYSKEYDOWN, VK_DOWN);
  win::InjectKey(WM_SYSKEYUP, VK_DOWN);
  win::InjectKey(WM_KEYUP, VK_MENU);
  win::PumpMessages();
}

void Press(UINT Vk) {
  win::InjectKey(WM_KEYDOWN, Vk);
  win::InjectKey(WM_KEYUP, Vk);
  win::PumpMessages();
}

}  // namespace

TEST_F(LookupTest, ScreenshotListsDroppedOverTheirOwners) {
  TPopupShotX* shot = MakePopupShot(owner.get(), host, 520);
  // A lookup column's list, dropped from its cell by Alt+Down; Down chooses, Return takes the key.
  auto* grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 380, 150);
  grid->SetParent(host);
  for (const char* f : {"Name", "City"}) grid->Columns()->Add()->SetFieldName(f);
  grid->Columns()->Items(1)->SetWidth(150);
  grid->Columns()->Items(1)->SetDropDownShowTitles(true);
  grid->Columns()->Items(1)->SetDropDownSizing(true);
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  grid->SetDataSource(peopleSrc);
  grid->SetFocus();
  win::PumpMessages();
  grid->SetCol(grid->DataToRawColumn(1));
  grid->ShowEditor();
  win::PumpMessages();
  TDBGridInplaceEdit* e = grid->InplaceEditX();
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  Press(VK_DOWN);
  EXPECT_EQ(e->Text(), "Bern");
  host->Repaint();
  e->LookupList()->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(SavePopupShot(shot, {e->LookupList()}, "datagrid_popup_cell_dropped.png"));
  Press(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  if (people->State() != dsBrowse) people->Post();
  EXPECT_EQ(CityOf(0), 3);  // the key field took the picked key

  // The lookup combo box's list, with titles and a size grip, dropped by a click into the box.
  auto* c = new TDBLookupComboboxX(owner.get());
  c->SetBounds(400, 20, 200, 24);
  c->SetParent(host);
  c->SetDataSource(peopleSrc);
  c->SetDataField("CityID");
  c->SetListSource(citySrc);
  c->SetKeyField("ID");
  c->SetListField("Name;Pop");
  c->DropDownBox()->SetShowTitles(true);
  c->DropDownBox()->SetSizable(true);
  c->DropDownBox()->SetRows(6);
  c->DropDownBox()->SpecRow()->SetCellsText("(no city)");
  c->DropDownBox()->SpecRow()->SetVisible(true);
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  TPoint at = c->ClientToScreen(TPoint(5, 5));
  win::Click(at.X, at.Y);
  win::PumpMessages();
  ASSERT_TRUE(c->ListVisible());
  SendMessage(c->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  host->Repaint();
  c->Grid()->Repaint();
  win::PumpMessages();
  EXPECT_EQ(c->Grid()->SelectedText(), "Cairo");
  EXPECT_TRUE(SavePopupShot(shot, {c->Grid()}, "datagrid_popup_combo_dropped.png"));
  SendMessage(c->Handle(), WM_CHAR, 13, 0);
  EXPECT_EQ(c->Text(), "Cairo");
  people->Cancel();
}
