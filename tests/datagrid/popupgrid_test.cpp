// The pop-up data grid: dropped from a lookup cell of a data grid, it never takes the focus, follows
// the hovering mouse, reports picks on mouse-up, and keeps its size grip in the outer corner.

#include "datagrid/DBPopupGridX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/edits.h"
#include "tests/datagrid/lookup_fixture.h"

namespace {

// What an owner does to drop the list from a grid cell: the pop-up edits the cell's lookup field,
// is placed under the cell and shown without activation.
struct CellDropDown {
  TPopupDataGridX* Popup = nullptr;
  int Picks = 0, Cancels = 0;
  void Drop(TComponent* Owner, TDBGridX* Grid, TDataSource* Source, int ACol, int ARow, int Rows) {
    if (!Popup) {
      Popup = new TPopupDataGridX(Owner);
      Popup->OnPickByMouse = [this](TObject*, bool Accept) {
        if (Accept) ++Picks;
        else ++Cancels;
        Close();
      };
    }
    Popup->SetDataSource(Source);
    Popup->SetDataField(Grid->ColumnAt(ACol - Grid->IndicatorOffset())->FieldName());
    Popup->HandleNeeded();
    Popup->SetDisplayRowCount(Rows);
    TRect cell = Grid->CellRect(ACol, ARow);
    TPoint tl = Grid->ClientToScreen(TPoint(cell.Left, cell.Top));
    TPoint br = Grid->ClientToScreen(TPoint(cell.Right, cell.Bottom));
    Popup->SetBounds(Popup->Left(), Popup->Top(), std::max(320, br.X - tl.X), Popup->Height());
    POINT pos{0, 0};
    PositionDropDownAtRect(RECT{tl.X, tl.Y, br.X, br.Y}, Popup, daLeft, pos, Popup->RowPixelHeight());
    SetWindowPos(Popup->Handle(), HWND_TOP, pos.x, pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    Popup->SetVisible(true);
    Popup->SetWasResized(false);
    win::PumpMessages();
  }
  void Close() {
    if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
    Popup->SetVisible(false);
  }
};

}  // namespace

TEST_F(LookupTest, LookupColumnDropsDownItsPopupGrid) {
  auto* grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 600, 200);
  grid->SetParent(host);
  for (const char* f : {"Name", "City"}) grid->Columns()->Add()->SetFieldName(f);
  grid->SetDataSource(peopleSrc);
  auto* edit = new TEdit(owner.get());
  edit->SetBounds(10, 300, 100, 24);
  edit->SetParent(host);
  edit->SetFocus();
  win::PumpMessages();
  ASSERT_TRUE(edit->Focused());

  CellDropDown dd;
  int cityCol = grid->DataToRawColumn(1);
  dd.Drop(owner.get(), grid, peopleSrc, cityCol, grid->TitleOffset(), 5);
  TPopupDataGridX* p = dd.Popup;
  ASSERT_TRUE(p->LookupMode());
  EXPECT_EQ(p->KeyValue().AsInteger(), 2);
  EXPECT_EQ(p->SelectedText(), "Berlin");
  EXPECT_FALSE(p->CanFocus());
  // It opened below the cell: the grip sits bottom right.
  EXPECT_EQ(p->SizeGrip()->Corner(), 2);
  RECT wr{};
  GetWindowRect(p->Handle(), &wr);
  EXPECT_GE(wr.top, grid->ClientToScreen(TPoint(0, grid->CellRect(cityCol, grid->TitleOffset()).Bottom)).Y);

  // By keys (the owner passes them on as messages).
  Key(p, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 3);
  EXPECT_EQ(people->FieldByName("City")->AsString(), "Bern");
  // By typing.
  Type(p, "so");
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 10);  // Sofia
  EXPECT_TRUE(edit->Focused());  // keys and clicks never took the focus

  // By mouse: hovering chooses, the release on a row picks.
  cities->First();
  win::PumpMessages();
  ASSERT_EQ(p->DisplayRows(), 5);
  TPoint over = CellCentre(p, 0, p->TitleOffset() + 2);
  win::InjectMouse(over.X, over.Y, WM_MOUSEMOVE, 0);
  win::PumpMessages();
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 3);  // hover on Bern
  TPoint at = CellCentre(p, 0, p->TitleOffset() + 3);
  win::Click(at.X, at.Y);
  win::PumpMessages();
  EXPECT_EQ(dd.Picks, 1);
  EXPECT_FALSE(p->Visible());
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 4);  // Cairo
  EXPECT_TRUE(edit->Focused());
  people->Post();
  EXPECT_EQ(CityOf(0), 4);
  people->First();
  EXPECT_EQ(grid->Columns()->Items(1)->GetCellDisplayText(), "Cairo");
}

TEST_F(LookupTest, PopupReleaseOutsideCancelsAndOnTitleReportsNothing) {
  auto* grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 600, 200);
  grid->SetParent(host);
  grid->Columns()->Add()->SetFieldName("City");
  grid->SetDataSource(peopleSrc);
  win::PumpMessages();
  CellDropDown dd;
  dd.Drop(owner.get(), grid, peopleSrc, grid->DataToRawColumn(0), grid->TitleOffset(), 4);
  TPopupDataGridX* p = dd.Popup;
  p->SetShowTitles(true);
  win::PumpMessages();
  // Press on a row, release far outside: a cancelling pick.
  TPoint row = CellCentre(p, 0, p->TitleOffset());
  win::InjectMouse(row.X, row.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(5, 5, WM_LBUTTONUP, 0);
  win::PumpMessages();
  EXPECT_EQ(dd.Cancels, 1);
  EXPECT_EQ(dd.Picks, 0);
  // Release on the title row: nothing.
  dd.Drop(owner.get(), grid, peopleSrc, grid->DataToRawColumn(0), grid->TitleOffset(), 4);
  TPoint title = CellCentre(p, 0, 0);
  win::Click(title.X, title.Y);
  win::PumpMessages();
  EXPECT_EQ(dd.Cancels, 1);
  EXPECT_EQ(dd.Picks, 0);
  EXPECT_TRUE(p->Visible());
}

TEST_F(LookupTest, PopupWindowTraits) {
  auto* p = new TPopupDataGridX(owner.get());
  p->HandleNeeded();
  LONG style = GetWindowLong(p->Handle(), GWL_STYLE);
  LONG ex = GetWindowLong(p->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CHILD);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  // Made at run time only, and copied per record where a control is painted as copies.
  EXPECT_TRUE(p->ControlStyle().Contains(csNoDesignVisible));
  EXPECT_TRUE(p->ControlStyle().Contains(csReplicatable));
  EXPECT_EQ(SendMessage(p->Handle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
  EXPECT_EQ(SendMessage(p->Handle(), WM_ERASEBKGND, 0, 0), 1);
  // Never smaller than a scroll-bar arrow box.
  p->SetBounds(0, 0, 2, 2);
  EXPECT_GE(p->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_GE(p->Height(), GetSystemMetrics(SM_CYVSCROLL));
  EXPECT_TRUE(p->WasResized());
  // The side message moves the grip; the grid's layout request is a different message.
  SendMessage(p->Handle(), WM_DROPDOWNSIDE, 2, 0);  // opened above
  EXPECT_EQ(p->SizeGrip()->Corner(), 1);
  SendMessage(p->Handle(), WM_DROPDOWNSIDE, 3, 0);
  EXPECT_EQ(p->SizeGrip()->Corner(), 2);
  // Mended: the grid's deferred layout request has a number of its own, so the pop-up lays itself out
  // and its grip stays where the last placement put it.
  static_assert(TCustomDBGridX::WM_DEFERLAYOUTX != WM_DROPDOWNSIDE);
  int layouts = 0;
  p->OnLayoutChangedHook = [&](TObject*) { ++layouts; };
  SendMessage(p->Handle(), TCustomDBGridX::WM_DEFERLAYOUTX, 0, 0);
  EXPECT_EQ(layouts, 1);
  EXPECT_EQ(p->SizeGrip()->Corner(), 2);
  SendMessage(p->Handle(), WM_DROPDOWNSIDE, 0, 0);  // and the side message only moves the grip
  EXPECT_EQ(layouts, 1);
  EXPECT_EQ(p->SizeGrip()->Corner(), 3);
}
