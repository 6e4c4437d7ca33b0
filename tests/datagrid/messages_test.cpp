// The grid's window messages for size, focus, commands, the wheel and cancel mode, and the setters of
// its footer font, footer colour and title images, driven through messages where the platform sends
// them.

#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXSelection.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/edits.h"
#include "platform/controls/imglist.h"
#include "platform/controls/lists.h"
#include "platform/win/host.h"
#include "tests/datagrid/grid_fixture.h"
#include "tests/datagrid/inplace_fixture.h"

namespace {

class GridMessagesTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
  }
  void TearDown() override {
    DataGridTest::TearDown();
    DBGridXUnit::Finalize();
  }
  // More records than fit, so the number of rows shown depends on the client height.
  void AddRecords(int N) {
    for (int i = 0; i < N; ++i) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(100 + i);
      ds->FieldByName("Name")->SetAsString("R" + std::to_string(i));
      ds->Post();
    }
    ds->First();
  }
  // The rows the grid shows now, and those it would show if it laid its rows out afresh.
  struct TRows {
    int Buffer, RowCount;
  };
  TRows Rows() { return {grid->DataLink()->BufferCount(), grid->RowCount()}; }
  TRows FreshRows() {
    grid->UpdateRowCount();
    return Rows();
  }
  COLORREF Pixel(int X, int Y) {
    grid->Repaint();
    win::PumpMessages();
    return win::GetWindowPixel(grid->Handle(), X, Y);
  }
};

// The rows follow the client area however it changes: the window's size set through the control or
// straight on the window, a scroll bar taking room, or the window made again (its size notices come
// while the making holds painting, and the rows follow once the messages are pumped).
TEST_F(GridMessagesTest, TheRowsFollowTheClientArea) {
  AddRecords(40);
  Bind();
  struct Case {
    const char* What;
    std::function<void()> Change;
    int ClientChange;  // sign of the client height's change (0: either)
  } cases[] = {
      {"taller", [&] { grid->SetBounds(0, 0, 600, 360); }, 1},
      {"shorter", [&] { grid->SetBounds(0, 0, 600, 150); }, -1},
      {"horizontal bar appears",
       [&] {
         for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(200);
       },
       -1},
      {"raw window size", [&] { SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 260, SWP_NOZORDER | SWP_NOMOVE); },
       1},
      // (The grid's next layout puts its horizontal bar back.)
      {"scroll bars off", [&] { grid->SetScrollBars(ssNone); }, 0},
      {"border off", [&] { grid->SetBorderStyle(TBorderStyle::bsNone); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const int clientBefore = grid->ClientHeight();
    c.Change();
    win::PumpMessages();
    const TRows after = Rows();
    if (c.ClientChange != 0) {
      EXPECT_EQ(grid->ClientHeight() > clientBefore ? 1 : -1, c.ClientChange);
    }
    const TRows fresh = FreshRows();
    EXPECT_EQ(after.Buffer, fresh.Buffer);
    EXPECT_EQ(after.RowCount, fresh.RowCount);
  }
}

TEST_F(GridMessagesTest, AHorizontalBarTakesARowAwayAndGivesItBack) {
  AddRecords(40);
  // A height where the bar's room decides whether the last row fits.
  grid->SetScrollBars(ssHorizontal);
  Bind();
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(50);
  win::PumpMessages();
  const int rowH = grid->DefaultRowHeight() + grid->GridLineWidth();
  const int titleH = grid->RowHeights(0) + grid->GridLineWidth();
  const int barH = GetSystemMetrics(SM_CYHSCROLL);
  // Client height (without a bar) = title + 6 rows + room for less than the bar.
  const int border = grid->Height() - grid->ClientHeight();
  grid->SetBounds(0, 0, 600, border + titleH + 6 * rowH + barH / 2);
  win::PumpMessages();
  const int withoutBar = grid->DataLink()->BufferCount();
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(220);
  win::PumpMessages();
  const int withBar = grid->DataLink()->BufferCount();
  EXPECT_EQ(withBar, (grid->ClientHeight() - titleH) / rowH);
  EXPECT_LT(withBar, withoutBar);
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(50);
  win::PumpMessages();
  EXPECT_EQ(grid->DataLink()->BufferCount(), withoutBar);
}

// With auto-fit the columns share the new width at once.
TEST_F(GridMessagesTest, AutoFitSharesTheNewWidth) {
  Bind();
  grid->SetAutoFitColWidths(true);
  win::PumpMessages();
  auto total = [&] {
    int w = 0;
    for (int c = grid->IndicatorOffset(); c < grid->ColCount(); ++c) w += grid->ColWidths(c) + grid->GridLineWidth();
    return w + grid->ColWidths(0) + grid->GridLineWidth();
  };
  EXPECT_NEAR(total(), grid->ClientWidth(), 6);
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 420, 300, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  EXPECT_NEAR(total(), grid->ClientWidth(), 6);
}

// A size change leaves an open cell editor open, and keeps the filter editor on the cell it edits.
TEST_F(GridMessagesTest, SizeChangesKeepTheEditorsInPlace) {
  Bind();
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  grid->SetFocus();
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  grid->BeginFilterEdit(1);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditing());
  grid->EndFilterEdit();
  grid->ShowEditor();
  win::PumpMessages();
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  grid->SetBounds(0, 0, 580, 280);
  win::PumpMessages();
  EXPECT_TRUE(grid->InplaceEditor()->Visible());
  grid->BeginFilterEdit(2);
  win::PumpMessages();
  grid->SetBounds(0, 0, 560, 260);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditing());
  TRect cell = grid->CellRect(grid->DataToRawColumn(2), grid->FilterGridRow());
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
  EXPECT_EQ(grid->FilterEditor()->Top(), cell.Top);
}

// A size change while a cell is edited, with more records than fit: the rows are laid out for the new
// client height (as many whole rows as fit), and the editor stays open on the same record with what
// was typed. Moving on and sizing again shows no editor left over from the first record, and typing
// then goes to the record now current.
TEST_F(GridMessagesTest, ASizeChangeWhileEditingKeepsTheEditorItsTextAndItsRecord) {
  AddRecords(40);
  Bind();
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  grid->SetFocus();
  win::PumpMessages();
  auto key = [](UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  };
  key(VK_DOWN);
  key(VK_DOWN);
  key(VK_RIGHT);  // ID -> Name
  ASSERT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  ASSERT_EQ(grid->GetSelectedField(), ds->FieldByName("Name"));
  win::InjectChar("Q");
  win::PumpMessages();
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_EQ(grid->InplaceEditor()->Text(), "Q");
  const int rowsBefore = grid->RowCount();
  // The rows that fit: the last data row ends inside the client area and one more would not.
  auto expectRowsFit = [&](const char* What) {
    SCOPED_TRACE(What);
    const int last = grid->RowCount() - 1;
    const TRect r = grid->CellRect(grid->Col(), last);
    EXPECT_LE(r.Bottom, grid->ClientHeight());
    EXPECT_GT(r.Bottom + grid->DefaultRowHeight() + grid->GridLineWidth(), grid->ClientHeight());
    EXPECT_EQ(grid->DataLink()->BufferCount(), grid->RowCount() - grid->TitleOffset());
  };
  auto expectEditorOn = [&](int ID, const std::string& Text, const char* What) {
    SCOPED_TRACE(What);
    ASSERT_TRUE(grid->EditorMode());
    TInplaceEdit* e = grid->InplaceEditor();
    ASSERT_TRUE(e && e->Visible());
    EXPECT_EQ(e->Text(), Text);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), ID);
    const TRect cell = grid->CellRect(grid->Col(), grid->Row());
    EXPECT_EQ(e->Top(), cell.Top);
    EXPECT_EQ(grid->Row(), grid->TitleOffset() + grid->DataLink()->ActiveRecord());
  };
  // Shorter, as a user's drag of the window's frame sizes it.
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 150, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  EXPECT_LT(grid->RowCount(), rowsBefore);
  expectRowsFit("shorter");
  expectEditorOn(3, "Q", "shorter");
  // Taller again: the rows come back, the editor stays.
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 320, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  EXPECT_GT(grid->RowCount(), rowsBefore);
  expectRowsFit("taller");
  expectEditorOn(3, "Q", "taller");
  // The typed text is still the editor's: it reaches its record when the user moves on.
  key(VK_DOWN);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
  EXPECT_EQ(ds->Lookup("ID", Variant(3), "Name").AsString(), "Q");
  // Another size change on the fourth record shows no editor from the third.
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 200, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  expectRowsFit("after moving");
  if (grid->EditorMode() && grid->InplaceEditor()->Visible()) {
    EXPECT_EQ(grid->InplaceEditor()->Text(), ds->FieldByName("Name")->AsString());
  }
  win::InjectChar("Z");
  win::PumpMessages();
  key(VK_RETURN);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Z");
  EXPECT_EQ(ds->Lookup("ID", Variant(3), "Name").AsString(), "Q");
  // A record low in a tall grid: shrinking puts it on the last row that fits, and the editor goes
  // with it instead of staying over the record that took its old row.
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 320, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  for (int i = 0; i < 8; ++i) key(VK_DOWN);
  ASSERT_EQ(ds->FieldByName("ID")->AsInteger(), 106);  // the twelfth record
  ASSERT_GT(grid->Row() - grid->TitleOffset(), 6);
  win::InjectChar("W");
  win::PumpMessages();
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 150, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  expectRowsFit("the edited record low in the grid");
  expectEditorOn(106, "W", "the edited record low in the grid");
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
  key(VK_DOWN);  // moving on posts the record
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 107);
  EXPECT_EQ(ds->Lookup("ID", Variant(106), "Name").AsString(), "W");
  EXPECT_EQ(ds->Lookup("ID", Variant(105), "Name").AsString(), "R5");
}

// The editor stays open with its typed text through the layout changes a user makes during an edit:
// a narrower window that leaves the edited (last) column out of view brings the column back into view;
// a larger font lays the rows out under a layout lock; a shorter window while another control of the
// form holds the focus. In every case the text then reaches its record when the user moves on.
TEST_F(GridMessagesTest, TheEditorAndItsTextSurviveANarrowerWindowAFontChangeAndAShrinkWithoutFocus) {
  struct TCase {
    const char* What;
    int Rights;  // Right presses from the ID column
    const char* Field;
    void (*Change)(TDBGridX* Grid, TWinControl* Other);
  };
  const TCase cases[] = {
      {"narrower", 5, "Code",
       [](TDBGridX* Grid, TWinControl*) {
         SetWindowPos(Grid->Handle(), nullptr, 0, 0, 160, 300, SWP_NOZORDER | SWP_NOMOVE);
       }},
      {"larger font", 1, "Name", [](TDBGridX* Grid, TWinControl*) { Grid->Font()->SetSize(22); }},
      {"shorter while another control has the focus", 1, "Name",
       [](TDBGridX* Grid, TWinControl* Other) {
         Other->SetFocus();
         win::PumpMessages();
         SetWindowPos(Grid->Handle(), nullptr, 0, 0, 600, 60, SWP_NOZORDER | SWP_NOMOVE);
       }},
  };
  auto key = [](UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  };
  auto play = [&](const TCase& c) {
    TearDown();
    SetUp();
    AddRecords(40);
    Bind();
    auto o = grid->Options();
    o.Include(gdoEditing);
    grid->SetOptions(o);
    TEdit* other = new TEdit(owner.get());
    other->SetBounds(0, 310, 100, 24);
    other->SetParent(host);
    grid->SetFocus();
    win::PumpMessages();
    key(VK_DOWN);
    key(VK_DOWN);
    for (int i = 0; i < c.Rights; ++i) key(VK_RIGHT);
    ASSERT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    ASSERT_EQ(grid->GetSelectedField(), ds->FieldByName(c.Field));
    win::InjectChar("Z");
    win::PumpMessages();
    ASSERT_TRUE(grid->EditorMode());
    ASSERT_EQ(grid->InplaceEditor()->Text(), "Z");
    c.Change(grid, other);
    win::PumpMessages();
    // Still open, over the edited cell, which is in view, with what was typed.
    ASSERT_TRUE(grid->EditorMode());
    TInplaceEdit* e = grid->InplaceEditor();
    ASSERT_TRUE(e && e->Visible());
    EXPECT_EQ(e->Text(), "Z");
    EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName(c.Field));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    const TRect cell = grid->CellRect(grid->Col(), grid->Row());
    ASSERT_FALSE(cell.IsEmpty());
    EXPECT_EQ(e->Top(), cell.Top);
    EXPECT_GE(e->Left(), cell.Left);
    EXPECT_LT(e->Left(), cell.Right);
    // Moving on posts it to the third record.
    grid->SetFocus();
    win::PumpMessages();
    key(VK_DOWN);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
    EXPECT_EQ(ds->Lookup("ID", Variant(3), c.Field).AsString(), "Z");
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    play(c);
  }
}

// A window so narrow that the frozen column alone fills it leaves the edited cell no room: the editor
// waits hidden, still editing that cell with what was typed, shows it again once the window is wide
// enough, and the text reaches its record when the user moves on.
TEST_F(GridMessagesTest, AnEditLeftNoRoomByAWideFrozenColumnKeepsItsTypedText) {
  AddRecords(40);
  Bind();
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  grid->SetFrozenCols(1);
  grid->Columns()->Items(0)->SetWidth(300);
  auto key = [](UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  };
  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 300, SWP_NOZORDER | SWP_NOMOVE);
  grid->SetFocus();
  win::PumpMessages();
  key(VK_DOWN);
  key(VK_DOWN);
  ASSERT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  ASSERT_EQ(grid->GetSelectedField(), ds->FieldByName("Name"));
  win::InjectChar("Z");
  win::PumpMessages();
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_EQ(grid->InplaceEditor()->Text(), "Z");

  SetWindowPos(grid->Handle(), nullptr, 0, 0, 250, 300, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  ASSERT_TRUE(grid->CellRect(grid->Col(), grid->Row()).IsEmpty());
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_FALSE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "Z");

  SetWindowPos(grid->Handle(), nullptr, 0, 0, 600, 300, SWP_NOZORDER | SWP_NOMOVE);
  win::PumpMessages();
  ASSERT_TRUE(grid->EditorMode());
  TInplaceEdit* e = grid->InplaceEditor();
  ASSERT_TRUE(e->Visible());
  EXPECT_EQ(e->Text(), "Z");
  const TRect cell = grid->CellRect(grid->Col(), grid->Row());
  ASSERT_FALSE(cell.IsEmpty());
  EXPECT_EQ(e->Top(), cell.Top);
  EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName("Name"));
  key(VK_DOWN);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
  EXPECT_EQ(ds->Lookup("ID", Variant(3), "Name").AsString(), "Z");
}

// Focus: the selection is drawn active while the grid or its cell editor holds the focus, and
// repainted as inactive when the focus leaves either of them. While a filter cell is edited, the
// focus that comes to the grid from elsewhere goes on to the filter editor.
TEST_F(GridMessagesTest, FocusMovesRepaintTheSelectionAndReachTheFilterEditor) {
  Bind();
  auto o = grid->Options();
  o.Include(gdoMultiSelect);
  o.Include(gdoEditing);
  grid->SetOptions(o);
  // Moves keep the selection here, so the cell editor may show beside it.
  grid->SetOptionsX(grid->OptionsX() - gxoClearSelectionOnMove);
  for (int r : {2, 3}) {
    ds->First();
    ds->MoveBy(r);
    grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  ds->First();
  auto* other = new TGridHostX(owner.get());
  other->SetBounds(700, 50, 50, 50);
  other->HandleNeeded();
  TRect cell = grid->CellRect(grid->DataToRawColumn(3), grid->TitleOffset() + 2);
  auto selected = [&] { return Pixel(cell.Right - 3, cell.Top + 2); };

  grid->SetFocus();
  win::PumpMessages();
  EXPECT_TRUE(grid->SelectionActiveShown());
  const COLORREF active = selected();
  grid->ShowEditor();
  win::PumpMessages();
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  grid->InplaceEditor()->SetFocus();
  win::PumpMessages();
  EXPECT_TRUE(grid->SelectionActiveShown());
  EXPECT_EQ(selected(), active);
  other->SetFocus();  // from the cell editor
  win::PumpMessages();
  EXPECT_FALSE(grid->SelectionActiveShown());
  EXPECT_NE(selected(), active);

  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  grid->SetFocus();
  // As a press on the filter cell would: a selection in force keeps the filter editor out of sight.
  grid->SelectionX()->Clear();
  grid->BeginFilterEdit(1);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditor()->Focused());
  other->SetFocus();
  win::PumpMessages();
  grid->SetFocus();  // from elsewhere: on to the filter editor
  win::PumpMessages();
  EXPECT_TRUE(grid->FilterEditor()->Focused());
  // From the filter editor itself (it hands the focus back): the grid keeps it.
  ::SetFocus(grid->Handle());
  win::PumpMessages();
  EXPECT_TRUE(grid->Focused());
}

// EN_CHANGE notices come to the grid as WM_COMMAND from its child edits and reach the control that
// sent them: the cell editor's change handling stores the text in the grid, another edit's own change
// event runs.
TEST_F(InplaceTest, CommandNoticesReachTheirControls) {
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  auto* edit = new TEdit(owner.get());
  edit->SetParent(grid);
  edit->SetBounds(0, 0, 10, 10);
  edit->HandleNeeded();
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  int commands = 0;
  TControl::TWndMethod old = grid->WindowProc();
  grid->SetWindowProc([&, old](TMessage& M) {
    if (M.Msg == WM_COMMAND && HIWORD(static_cast<DWORD>(M.WParam)) == EN_CHANGE) ++commands;
    old(M);
  });
  e->SetText("Zed");
  EXPECT_EQ(commands, 1);
  EXPECT_EQ(grid->EditText(), "Zed");
  edit->SetText("other");
  EXPECT_EQ(commands, 2);
  EXPECT_EQ(changes, 1);
  // A notice from a window that is no control of the program goes nowhere.
  SendMessage(grid->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), 0);
  EXPECT_EQ(changes, 1);
  grid->SetWindowProc(old);
}

// The wheel goes to an open drop-down list of the cell editor (which scrolls), or to the filter editor
// while a filter cell is edited; otherwise the grid moves through the records.
TEST_F(InplaceTest, TheWheelGoesToTheOpenListOrTheFilterEditor) {
  for (int i = 0; i < 30; ++i) Col("Name")->PickList()->Add("Item " + std::to_string(i));
  Col("Name")->SetDropDownRows(5);
  const WPARAM down = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
  // Plain grid: the records move.
  people->First();
  EXPECT_EQ(grid->Perform(CM_MOUSEWHEEL, down, 0), 1);
  EXPECT_EQ(people->RecNo(), 2);
  people->First();
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  auto* list = dynamic_cast<TCustomListBox*>(e->DropDownControl());
  ASSERT_NE(list, nullptr);
  const int top = list->TopIndex();
  EXPECT_EQ(grid->Perform(CM_MOUSEWHEEL, down, 0), 1);
  EXPECT_GT(list->TopIndex(), top);
  EXPECT_EQ(people->RecNo(), 1);  // the grid did not scroll under the list
  Key(VK_ESCAPE);
  ASSERT_FALSE(e->ListShown());

  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  grid->BeginFilterEdit(1);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditing());
  int wheels = 0;
  grid->FilterEditor()->OnMouseWheel = [&](TObject*, TShiftState, int, const TPoint&, bool& Handled) {
    ++wheels;
    Handled = false;
  };
  people->First();
  // Sent to the grid: on to the filter editor, once; what it leaves is not scrolled by the grid.
  EXPECT_EQ(grid->Perform(CM_MOUSEWHEEL, down, 0), 0);
  EXPECT_EQ(wheels, 1);
  EXPECT_EQ(people->RecNo(), 1);
  // A window wheel at the focused filter editor reaches it once, and not the grid's records either.
  SendMessage(grid->FilterEditor()->Handle(), WM_MOUSEWHEEL, down, 0);
  EXPECT_EQ(wheels, 2);
  EXPECT_EQ(people->RecNo(), 1);
}

// Cancel mode reaches the filter editor: its open drop-down closes when the press was elsewhere.
TEST_F(GridMessagesTest, CancelModeReachesTheFilterEditor) {
  Bind();
  grid->SetFocus();
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  grid->BeginFilterEdit(1);
  win::PumpMessages();
  ASSERT_NE(grid->FilterEditor(), nullptr);
  int cancels = 0;
  TControl::TWndMethod old = grid->FilterEditor()->WindowProc();
  grid->FilterEditor()->SetWindowProc([&, old](TMessage& M) {
    if (M.Msg == CM_CANCELMODE) ++cancels;
    old(M);
  });
  grid->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(grid)));
  EXPECT_EQ(cancels, 1);
  grid->FilterEditor()->SetWindowProc(old);
}

// The footer font: a change made from outside stops the grid following its parent's font (not while
// loading, and not the copy the parent's font change makes).
TEST_F(GridMessagesTest, FooterFontChangesGiveUpTheParentFont) {
  Bind();
  grid->SetFooterRowCount(1);
  struct Case {
    const char* What;
    std::function<void()> Change;
    bool ParentFontAfter;
  } cases[] = {
      {"footer font size", [&] { grid->FooterFont()->SetSize(14); }, false},
      {"SetFooterFont",
       [&] {
         TFont f;
         f.SetName("Arial");
         f.SetSize(9);
         grid->SetFooterFont(&f);
       },
       false},
      {"parent font change", [&] { host->Font()->SetSize(13); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    grid->SetParentFont(true);
    c.Change();
    EXPECT_EQ(grid->ParentFont(), c.ParentFontAfter);
  }
  EXPECT_EQ(grid->FooterFont()->Size(), 13);  // the copy followed the parent
}

// The footer colour repaints the footers; a negative row height is stored as 0.
TEST_F(GridMessagesTest, FooterColorRepaintsAndRowHeightIsNeverNegative) {
  Bind();
  grid->SetFooterRowCount(1);
  win::PumpMessages();
  TRect f = grid->CellRect(grid->DataToRawColumn(1), grid->RowCount() - 1);
  grid->SetFooterColor(clRed);
  win::PumpMessages();  // no explicit repaint
  const COLORREF red = win::GetWindowPixel(grid->Handle(), f.Right - 3, f.Bottom - 3);
  grid->SetFooterColor(clLime);
  win::PumpMessages();
  EXPECT_NE(win::GetWindowPixel(grid->Handle(), f.Right - 3, f.Bottom - 3), red);
  grid->SetRowHeight(-7);
  EXPECT_EQ(grid->RowHeight(), 0);
}

// The title image list: its changes repaint the titles, and the grid lets go of it when it is
// destroyed (painting afterwards must not reach it).
TEST_F(GridMessagesTest, TitleImagesAreFollowedAndForgotten) {
  Bind();
  Col(1)->Title()->SetImageIndex(0);
  auto* images = new TImageList(owner.get());
  images->SetWidth(8);
  images->SetHeight(8);
  grid->SetTitleImages(images);
  win::PumpMessages();
  TRect t = grid->CellRect(grid->DataToRawColumn(1), 0);
  auto titlePixels = [&] {
    std::vector<COLORREF> v;
    for (int x = t.Left; x < t.Right; ++x)
      for (int y = t.Top; y < t.Bottom; ++y) v.push_back(win::GetWindowPixel(grid->Handle(), x, y));
    return v;
  };
  const auto before = titlePixels();
  grid->SetTitleImages(nullptr);
  grid->Repaint();
  win::PumpMessages();
  const auto plain = titlePixels();
  grid->SetTitleImages(images);
  grid->Repaint();
  win::PumpMessages();
  ASSERT_EQ(titlePixels(), before);
  TBitmap b;
  b.SetWidth(8);
  b.SetHeight(8);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(TRect(0, 0, 8, 8));
  images->Add(&b);
  win::PumpMessages();  // no repaint asked for: the list's change did it
  EXPECT_NE(titlePixels(), before);
  delete images;
  EXPECT_EQ(grid->TitleImages(), nullptr);
  grid->Repaint();
  win::PumpMessages();
  EXPECT_EQ(titlePixels(), plain);
  // Another list, then the grid goes first: the list outlives it without a dangling link.
  auto* second = new TImageList(owner.get());
  grid->SetTitleImages(second);
  delete grid;
  grid = nullptr;
  second->Add(&b);
}

// Scrolling sideways while a filter cell is edited keeps the filter editor over its cell.
TEST_F(GridMessagesTest, TheFilterEditorFollowsSidewaysScrolling) {
  Bind();
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(160);
  grid->SetFocus();
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  grid->BeginFilterEdit(3);
  win::PumpMessages();
  ASSERT_TRUE(grid->FilterEditing());
  grid->SetLeftCol(grid->LeftCol() + 2);
  win::PumpMessages();
  TRect cell = grid->CellRect(grid->DataToRawColumn(3), grid->FilterGridRow());
  EXPECT_EQ(grid->FilterEditor()->Left(), cell.Left + 1);
}

}  // namespace

// An input method starting to compose text in the grid opens the cell editor first, so that the
// composed characters land in the cell.
TEST_F(InplaceTest, AnInputMethodComposesIntoTheCellEditor) {
  grid->SetCol(grid->DataToRawColumn(Col("Name")->Index()));
  win::PumpMessages();
  ASSERT_TRUE(grid->Focused());
  ASSERT_FALSE(grid->InplaceEditX() && grid->InplaceEditX()->EditVisible());
  // The start of the composition alone: the editor is up and has the focus before any character.
  win::QueueImeComposition(true);
  win::PumpMessages();
  TDBGridInplaceEdit* e = grid->InplaceEditX();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->EditVisible());
  EXPECT_TRUE(e->Focused());
  // The composed text (start, characters, end) replaces the cell's selected text.
  win::InjectImeComposition("张三");
  win::PumpMessages();
  EXPECT_EQ(e->Text(), "张三");
  Key(VK_RETURN);
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "张三");
}

// The current column's input-method mode holds for the grid and its cell editor while the focus is
// in them: a column whose ImeMode is closed turns the input method off for the cell editor, whether
// the column is reached from the editor or by a click from another control; the other columns keep
// the grid's own mode.
TEST_F(InplaceTest, AColumnWithItsInputMethodClosedTurnsItOffForTheCellEditor) {
  ASSERT_TRUE(InputMethodPresent());
  Col("Name")->SetImeMode(imClose);
  auto* other = new TEdit(owner.get());
  other->SetBounds(0, 300, 120, 21);
  other->SetParent(host);
  TDBGridInplaceEdit* e = OpenEditor("ID");
  ASSERT_TRUE(e->Focused());
  EXPECT_TRUE(win::ImeEnabledFor(e->Handle()));
  Key(VK_TAB);
  ASSERT_EQ(grid->GetSelectedIndex(), Col("Name")->Index());
  EXPECT_FALSE(win::ImeEnabledFor(GetFocus()));
  Key(VK_F2);
  ASSERT_TRUE(e->Focused());
  EXPECT_FALSE(win::ImeEnabledFor(e->Handle()));
  Key(VK_TAB);
  ASSERT_EQ(grid->GetSelectedIndex(), Col("Amount")->Index());
  EXPECT_TRUE(win::ImeEnabledFor(GetFocus()));

  // From another control straight to a cell of the column, then into its editor.
  ClickAt(other, 5, 5);
  ASSERT_TRUE(other->Focused());
  TRect name = grid->CellRect(grid->DataToRawColumn(Col("Name")->Index()), grid->TitleOffset() + 1);
  ClickAt(grid, name.Left + 5, name.Top + 3);
  ASSERT_EQ(grid->GetSelectedIndex(), Col("Name")->Index());
  EXPECT_FALSE(win::ImeEnabledFor(GetFocus()));
  Key(VK_F2);
  ASSERT_TRUE(e->Focused());
  EXPECT_FALSE(win::ImeEnabledFor(e->Handle()));
  // Leaving the grid gives the input method back.
  ClickAt(other, 5, 5);
  EXPECT_TRUE(win::ImeEnabledFor(other->Handle()));
  EXPECT_TRUE(win::ImeEnabledFor(e->Handle()));
  EXPECT_TRUE(win::ImeEnabledFor(grid->Handle()));
}

// The editor's text rectangle is where composed text appears.
TEST_F(InplaceTest, TheCompositionWindowFollowsTheEditorsTextRectangle) {
  TDBGridInplaceEdit* e = OpenEditor("Born");
  RECT text{};
  SendMessage(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  COMPOSITIONFORM form;
  HIMC ime = ImmGetContext(e->Handle());
  ASSERT_TRUE(ImmGetCompositionWindow(ime, &form));
  EXPECT_EQ(form.dwStyle, CFS_RECT);
  EXPECT_EQ(form.rcArea.left, 2);
  EXPECT_EQ(form.rcArea.top, 2);
  EXPECT_EQ(form.rcArea.right, e->Width() - 2 - e->ButtonStripWidth());
  EXPECT_EQ(form.rcArea.bottom, e->Height());
  EXPECT_EQ(form.rcArea.right, text.right);
}
