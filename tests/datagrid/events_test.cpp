// The grid's events and window-level pieces: the event hooks and their arguments, the deferred layout
// message, taking the focus, button sizes from the window, a column's own pop-up menu, and the columns
// written to the component stream and read back.

#include <string>
#include <vector>

#include "dataedit/ToolCtrlsX.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/SpecRowX.h"
#include "platform/classes/filer.h"
#include "platform/controls/menus.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

// Records where it was asked to pop up instead of showing a window.
class TRecordingPopupMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(int X, int Y) override { Calls.push_back(TPoint(X, Y)); }
  std::vector<TPoint> Calls;
};

std::string StreamText(TComponent* C) {
  TMemoryStream s;
  TWriter(&s).WriteRootComponent(C);
  s.SetPosition(0);
  return ObjectBinaryToText(&s);
}

}  // namespace

TEST_F(DataGridTest, EventHooksPassTheirArguments) {
  Bind();
  std::vector<std::string> log;
  auto name = [](TColumnX* c) { return c ? c->FieldName() : std::string("-"); };
  grid->OnCellClick = [&](TColumnX* c) { log.push_back("cell " + name(c)); };
  grid->OnTitleClick = [&](TColumnX* c) { log.push_back("title " + name(c)); };
  grid->OnEnterColumn = [&](TObject* s) { log.push_back(s == grid ? "enter" : "enter?"); };
  grid->OnLeaveColumn = [&](TObject* s) { log.push_back(s == grid ? "leave" : "leave?"); };
  grid->OnEditButtonClick = [&](TObject* s) { log.push_back(s == grid ? "button" : "button?"); };
  grid->OnDrawColumnCell = [&](TObject*, const TRect& r, int dc, TColumnX* c, TGridDrawState st) {
    log.push_back("draw " + std::to_string(dc) + " " + name(c) + " " + std::to_string(r.Width()) +
                  (st.Contains(gdFocused) ? " focused" : ""));
  };
  grid->OnTitleBtnClick = [&](TObject*, int col, TColumnX* c) { log.push_back("btn " + std::to_string(col) + " " + name(c)); };
  grid->OnGetCellParams = [&](TObject*, TColumnX* c, TFont* f, TColor& back, TGridDrawState) {
    log.push_back("params " + name(c));
    back = clYellow;
    f->SetColor(clRed);
  };
  grid->OnGetFooterParams = [&](TObject*, int dc, int row, TColumnX*, TFont*, TColor&, TAlignment& a, TGridDrawState,
                                std::string& text) {
    log.push_back("footer " + std::to_string(dc) + " " + std::to_string(row));
    a = taRightJustify;
    text = "sum";
  };
  grid->CellClick(Col(1));
  grid->TitleClick(Col(2));
  grid->EnterColumn();
  grid->LeaveColumn();
  grid->EditButtonClick();
  grid->DrawColumnCell(TRect(0, 0, 40, 10), 3, Col(3), TGridDrawState{gdFocused});
  grid->TitleBtnClick(2, Col(2));
  TFont font;
  TColor back = clWindow;
  grid->DoGetCellParams(Col(0), &font, back, {});
  EXPECT_EQ(back, clYellow);
  EXPECT_EQ(font.Color(), clRed);
  TAlignment a = taLeftJustify;
  std::string text;
  grid->DoGetFooterParams(1, 0, Col(1), &font, back, a, {}, text);
  EXPECT_EQ(a, taRightJustify);
  EXPECT_EQ(text, "sum");
  EXPECT_EQ(log, (std::vector<std::string>{"cell Name", "title Amount", "enter", "leave", "button",
                                           "draw 3 Born 40 focused", "btn 2 Amount", "params ID", "footer 1 0"}));

  // A title is a button when its column says so, unless the check event vetoes it.
  EXPECT_FALSE(grid->CheckTitleButton(1, Col(1)));
  Col(1)->Title()->SetTitleButton(true);
  EXPECT_TRUE(grid->CheckTitleButton(1, Col(1)));
  grid->OnCheckTitleButton = [](TObject*, int col, TColumnX*, bool& enabled) { enabled = col != 1; };
  EXPECT_FALSE(grid->CheckTitleButton(1, Col(1)));
}

TEST_F(DataGridTest, DeferredLayoutRunsOnceFromItsOwnMessage) {
  Bind();
  EXPECT_NE(TCustomDBGridX::WM_DEFERLAYOUTX, WM_USER + 100u);  // not the drop-down side message
  ASSERT_EQ(grid->FixedCols(), 1);
  grid->BeginLayout();
  grid->SetFrozenCols(2);  // the layout waits for the lock
  EXPECT_EQ(grid->FixedCols(), 1);
  grid->DeferLayout();
  EXPECT_EQ(grid->LayoutLock(), 0);
  EXPECT_EQ(grid->UpdateLock(), 0);
  EXPECT_TRUE(grid->DeferredLayoutQueued());
  grid->DeferLayout();  // one message is enough
  MSG m;
  int queued = 0;
  while (PeekMessage(&m, grid->Handle(), TCustomDBGridX::WM_DEFERLAYOUTX, TCustomDBGridX::WM_DEFERLAYOUTX, PM_REMOVE))
    ++queued;
  EXPECT_EQ(queued, 1);
  grid->DeferLayout();
  win::PumpMessages();
  EXPECT_FALSE(grid->DeferredLayoutQueued());
  EXPECT_EQ(grid->FixedCols(), 3);

  // Without a lock held, deferring leaves the lock counts alone (they never go below zero).
  grid->DeferLayout();
  EXPECT_EQ(grid->LayoutLock(), 0);
  EXPECT_EQ(grid->UpdateLock(), 0);
  // A layout that runs first takes the queued request with it.
  grid->LayoutChanged();
  EXPECT_FALSE(grid->DeferredLayoutQueued());
}

TEST_F(DataGridTest, GainFocusTakesTheFocusOnlyWhenAllowed) {
  Bind();
  grid->SetGrabFocus(false);
  EXPECT_FALSE(grid->GainFocus());
  EXPECT_FALSE(grid->Focused());
  grid->SetGrabFocus(true);
  EXPECT_TRUE(grid->GainFocus());
  EXPECT_TRUE(grid->Focused());
  EXPECT_TRUE(grid->GainFocus());  // already focused
}

TEST_F(DataGridTest, ButtonSizesComeFromTheWindow) {
  Bind();
  int bw = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(grid->ButtonWidth(), bw);
  int rowH = grid->DefaultRowHeight();
  EXPECT_EQ(grid->ButtonHeight(), rowH > (bw * 3 + 1) / 2 ? bw : rowH);

  auto* flat = new TDBGridX(owner.get());
  flat->SetFlat(true);
  flat->SetRowHeight(60);  // far taller than the button: the button stays square
  flat->SetBounds(0, 0, 200, 100);
  flat->SetParent(host);
  flat->HandleNeeded();
  EXPECT_EQ(flat->ButtonWidth(), FlatButtonWidth + 1);
  EXPECT_EQ(flat->ButtonHeight(), FlatButtonWidth + 1);
}

TEST_F(DataGridTest, RightClickOnADataCellPopsUpTheColumnsMenu) {
  Bind();
  auto* menu = new TRecordingPopupMenu(owner.get());
  Col(1)->SetPopupMenu(menu);
  TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->TitleOffset() + 1);
  int x = cell.Left + 3, y = cell.Top + 3;
  grid->Perform(WM_RBUTTONUP, 0, MAKELPARAM(x, y));
  ASSERT_EQ(menu->Calls.size(), 1u);
  EXPECT_EQ(menu->Calls[0], grid->ClientToScreen(TPoint(x, y)));
  EXPECT_EQ(menu->PopupComponent(), grid);
  // Not on another column, nor on the indicator, nor without automatic pop-up.
  TRect other = grid->CellRect(grid->DataToRawColumn(2), grid->TitleOffset());
  grid->Perform(WM_RBUTTONUP, 0, MAKELPARAM(other.Left + 3, other.Top + 3));
  TRect ind = grid->CellRect(0, grid->TitleOffset() + 1);
  grid->Perform(WM_RBUTTONUP, 0, MAKELPARAM(ind.Left + 3, ind.Top + 3));
  menu->SetAutoPopup(false);
  grid->Perform(WM_RBUTTONUP, 0, MAKELPARAM(x, y));
  EXPECT_EQ(menu->Calls.size(), 1u);
  // A menu that goes away leaves the column.
  delete menu;
  EXPECT_EQ(Col(1)->PopupMenu(), nullptr);
}

TEST_F(DataGridTest, UserColumnsStreamOutAndBack) {
  RegisterClasses<TDBGridX>();
  grid->SetName("Grid");
  auto* a = grid->Columns()->Add();
  a->SetFieldName("Name");
  a->SetWidth(90);
  a->SetColor(clYellow);
  a->Title()->SetCaption("Person|Name");
  a->Title()->SetSortMarker(smDownX);
  a->PickList()->Add("Ann");
  a->PickList()->Add("Bob");
  a->SetLookupDisplayFields("Name");
  auto* b = grid->Columns()->Add();
  b->SetFieldName("Active");
  b->SetCheckboxes(false);
  b->SetVisible(false);
  b->SetIncrement(2.5);
  b->Font()->SetColor(clRed);
  auto* c = grid->Columns()->Add();
  c->SetFieldName("Amount");
  Bind();
  std::string text = StreamText(grid);
  EXPECT_NE(text.find("Columns = <"), std::string::npos) << text;
  // Values the column did not set itself are not stored.
  EXPECT_EQ(text.find("Alignment"), std::string::npos) << text;

  TMemoryStream s;
  TWriter(&s).WriteRootComponent(grid);
  s.SetPosition(0);
  TComponent copyOwner(nullptr);
  auto* copy = new TDBGridX(&copyOwner);
  copy->SetParent(host);  // measuring needs the window
  copy->HandleNeeded();
  copy->Columns()->Add()->SetFieldName("ID");  // replaced by what is read
  TReader(&s).ReadRootComponent(copy);
  ASSERT_EQ(copy->Columns()->Count(), 3);
  TColumnX* ra = copy->Columns()->Items(0);
  TColumnX* rb = copy->Columns()->Items(1);
  TColumnX* rc = copy->Columns()->Items(2);
  EXPECT_TRUE(copy->Columns()->Customised());
  EXPECT_EQ(ra->FieldName(), "Name");
  EXPECT_EQ(ra->Width(), 90);
  EXPECT_EQ(ra->Color(), clYellow);
  EXPECT_EQ(ra->Title()->Caption(), "Person|Name");
  EXPECT_EQ(ra->Title()->SortMarker(), smDownX);
  ASSERT_TRUE(ra->HasPickList());
  EXPECT_EQ(ra->PickList()->Count(), 2);
  EXPECT_EQ(ra->PickList()->Strings(1), "Bob");
  EXPECT_TRUE(ra->AssignedValues().Contains(cvLookupDisplayFields));
  EXPECT_EQ(rb->FieldName(), "Active");
  EXPECT_FALSE(rb->Visible());
  EXPECT_TRUE(rb->AssignedValues().Contains(cvCheckboxes));
  EXPECT_FALSE(rb->Checkboxes());
  EXPECT_DOUBLE_EQ(rb->Increment(), 2.5);
  EXPECT_TRUE(rb->AssignedValues().Contains(cvFont));
  EXPECT_EQ(rb->Font()->Color(), clRed);
  EXPECT_EQ(rc->FieldName(), "Amount");
  EXPECT_TRUE(rc->AssignedValues().Contains(cvWidth) == false);
  EXPECT_FALSE(rc->HasPickList());
  delete copy;
  UnRegisterClasses<TDBGridX>();
}

TEST_F(DataGridTest, GeneratedColumnsAreNotStored) {
  RegisterClasses<TDBGridX>();
  grid->SetName("Grid");
  Bind();
  ASSERT_EQ(grid->Columns()->Count(), 6);
  EXPECT_EQ(StreamText(grid).find("Columns"), std::string::npos);
  // Against an ancestor with the same user columns nothing is written; a difference is.
  TComponent ancOwner(nullptr), mineOwner(nullptr);
  auto* anc = new TDBGridX(&ancOwner);
  anc->SetName("Grid");
  auto* mine = new TDBGridX(&mineOwner);
  mine->SetName("Grid");
  for (TDBGridX* g : {anc, mine}) g->Columns()->Add()->SetFieldName("Name");
  auto descendent = [&]() {
    TMemoryStream s;
    TWriter(&s).WriteDescendent(mine, anc);
    s.SetPosition(0);
    return ObjectBinaryToText(&s);
  };
  EXPECT_EQ(descendent().find("Columns"), std::string::npos);
  mine->Columns()->Items(0)->SetWidth(77);
  EXPECT_NE(descendent().find("Columns"), std::string::npos);
  UnRegisterClasses<TDBGridX>();
}

TEST_F(DataGridTest, CellParamsAndTheColumnsCellEvent) {
  Bind();
  Col(1)->SetAlignment(taCenter);
  ds->First();
  ds->Next();
  TColCellParamsX p;
  Col(1)->FillCellParams(&p);
  EXPECT_EQ(p.Text, "Bob");
  EXPECT_EQ(p.CellColor, Col(1)->Color());
  EXPECT_EQ(p.Font, Col(1)->Font());
  EXPECT_EQ(p.Alignment, taCenter);
  EXPECT_EQ(p.ImageIndex, -1);
  EXPECT_EQ(p.CellRow, -1);
  Col(4)->FillCellParams(&p);  // Active, record 2: false
  EXPECT_EQ(p.CheckState, cbUnchecked);
  bool sawEdit = false;
  Col(1)->SetOnGetCellParams([&](TObject* s, bool edit, TColCellParamsX* q) {
    EXPECT_EQ(s, Col(1));
    sawEdit = edit;
    q->Text = "<" + q->Text + ">";
  });
  Col(1)->FillCellParams(&p);
  Col(1)->GetCellParams(true, &p);
  EXPECT_TRUE(sawEdit);
  EXPECT_EQ(p.Text, "<Bob>");

  std::string asked;
  EXPECT_FALSE(Col(1)->NotInList("Zed"));
  Col(1)->OnNotInList = [&](TObject*, const std::string& t, bool& recheck) {
    asked = t;
    recheck = true;
  };
  EXPECT_TRUE(Col(1)->NotInList("Zed"));
  EXPECT_EQ(asked, "Zed");
}

TEST_F(DataGridTest, SortMarkerAreaGivesUpTheArrowThenTheNumber) {
  Bind();
  auto o = grid->OptionsX();
  o.Include(gxoMultiSortMarking);
  grid->SetOptionsX(o);
  EXPECT_EQ(Col(1)->GetSortMarkerWidth(), 0);
  Col(1)->Title()->SetSortMarker(smDownX);
  EXPECT_EQ(Col(1)->GetSortMarkerWidth(), 16);  // one marked column: no number
  Col(2)->Title()->SetSortMarker(smUpX);
  ASSERT_EQ(Col(2)->Title()->SortIndex(), 2);
  grid->Canvas()->Font()->Assign(SortMarkerFont ? SortMarkerFont : grid->TitleFont());
  int digit = grid->Canvas()->TextWidth("2");
  Col(2)->SetWidth(100);
  EXPECT_EQ(Col(2)->GetSortMarkerWidth(), 16 + digit);
  Col(2)->SetWidth(16 + digit + 3);  // room is width - 4: one pixel short
  EXPECT_EQ(Col(2)->GetSortMarkerWidth(), 2 + digit);
  Col(2)->SetWidth(6);
  EXPECT_EQ(Col(2)->GetSortMarkerWidth(), 0);
}

TEST_F(DataGridTest, LookupDisplayFieldsFollowTheFieldUntilSet) {
  for (const char* f : {"ID", "Name"}) grid->Columns()->Add()->SetFieldName(f);
  Bind();
  EXPECT_EQ(Col(1)->LookupDisplayFields(), "");
  Col(1)->SetLookupDisplayFields("");  // equal to the inherited value: nothing stored
  EXPECT_FALSE(Col(1)->AssignedValues().Contains(cvLookupDisplayFields));
  Col(1)->SetLookupDisplayFields("Name;Code");
  EXPECT_TRUE(Col(1)->AssignedValues().Contains(cvLookupDisplayFields));
  EXPECT_EQ(Col(1)->LookupDisplayFields(), "Name;Code");
  auto* copy = grid->Columns()->Add();
  copy->Assign(Col(1));
  EXPECT_EQ(copy->LookupDisplayFields(), "Name;Code");
}

TEST_F(DataGridTest, LookupCellStepsThroughItsListAndWraps) {
  auto* depts = new TMemDataSet(owner.get());
  depts->AddField("DeptID", ftInteger);
  depts->AddField("DeptName", ftString, 10);
  depts->Open();
  for (auto [id, name] : std::vector<std::pair<int, const char*>>{{10, "Sales"}, {20, "Dev"}, {30, "Ops"}}) {
    depts->Append();
    depts->FieldByName("DeptID")->SetAsInteger(id);
    depts->FieldByName("DeptName")->SetAsString(name);
    depts->Post();
  }
  auto* staff = new TMemDataSet(owner.get());
  staff->AddField("Name", ftString, 10);
  staff->AddField("Dept", ftInteger);
  TField* look = staff->AddLookupField("DeptName", ftString, "Dept", depts, "DeptID", "DeptName", 10);
  staff->Open();
  staff->Append();
  staff->FieldByName("Name")->SetAsString("ann");
  staff->FieldByName("Dept")->SetAsInteger(20);
  staff->Post();
  src->SetDataSet(staff);
  for (const char* f : {"Name", "DeptName"}) grid->Columns()->Add()->SetFieldName(f);
  Bind();
  TColumnX* c = Col(1);
  ASSERT_EQ(c->GetCellKind(), cckLookup);
  EXPECT_EQ(c->LookupDisplayFields(), "DeptName");  // the lookup field's result field until set
  EXPECT_EQ(c->GetLookupDataSet(), depts);
  staff->First();
  auto dept = [&] { return staff->FieldByName("Dept")->AsVariant(); };
  c->StepValue(1);
  EXPECT_EQ(dept().AsInteger(), 30);
  EXPECT_EQ(look->AsString(), "Ops");
  c->StepValue(1);  // past the end: the first
  EXPECT_EQ(dept().AsInteger(), 10);
  c->StepValue(-1);  // before the start: the last
  EXPECT_EQ(dept().AsInteger(), 30);
  staff->FieldByName("Dept")->Clear();
  c->StepValue(-1);  // no value yet: the list's first
  EXPECT_EQ(dept().AsInteger(), 10);
  staff->Post();

  // The drop-down's special row stands in for the text when its key matches or the key is unknown.
  TSpecRowX* special = c->DropDownSpecRow();
  special->SetCellsText("(none)");
  special->SetValue(Variant::Null());
  special->SetVisible(true);
  struct Case {
    Variant Dept;
    bool ShowIfNotInKeyList;
    std::string Text;
  } cases[] = {{Variant::Null(), false, "(none)"}, {99, false, ""}, {99, true, "(none)"}, {20, true, "Dev"}};
  depts->Last();
  for (const Case& k : cases) {
    SCOPED_TRACE(VarToStr(k.Dept));
    special->SetShowIfNotInKeyList(k.ShowIfNotInKeyList);
    staff->Edit();
    staff->FieldByName("Dept")->SetAsVariant(k.Dept);
    staff->Post();
    EXPECT_EQ(c->GetCellDisplayText(), k.Text);
  }
  EXPECT_EQ(depts->RecNo(), 3);  // the display text does not move the lookup data set
}

TEST_F(DataGridTest, AFieldAskingForFocusOpensItsCellInTheGrid) {
  Bind();
  ASSERT_FALSE(grid->Focused());
  ds->FieldByName("Amount")->FocusControl();
  win::PumpMessages();
  EXPECT_TRUE(grid->Focused() || (grid->InplaceEditor() && grid->InplaceEditor()->Focused()));
  EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName("Amount"));
  EXPECT_TRUE(grid->EditorMode());

  // Hiding the current column moves the grid to the first visible one.
  Col(0)->SetVisible(false);
  grid->SetCol(grid->DataToRawColumn(2));
  Col(2)->SetVisible(false);
  win::PumpMessages();
  EXPECT_EQ(grid->Col(), grid->DataToRawColumn(1));
}

namespace {
class TEditProbeGrid : public TDBGridX {
 public:
  using TDBGridX::TDBGridX;
  using TDBGridX::SetEditText;
};
}  // namespace

TEST_F(DataGridTest, TextNotInTheListAsksTheColumnAndMayBeAdded) {
  auto* g = new TEditProbeGrid(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  g->SetDataSource(src);
  win::PumpMessages();
  TColumnX* code = g->Columns()->Items(5);
  code->KeyList()->Add("Y");
  code->KeyList()->Add("N");
  code->PickList()->Add("Yes");
  code->PickList()->Add("No");
  std::vector<std::string> asked;
  code->OnNotInList = [&](TObject* s, const std::string& text, bool&) {
    EXPECT_EQ(s, code);
    asked.push_back(text);
    if (text == "Maybe") {
      code->PickList()->Add("Maybe");
      code->KeyList()->Add("?");
    }
  };
  ds->First();
  g->SetCol(g->DataToRawColumn(5));
  struct Case {
    const char* Text;
    Variant Stored;
  } cases[] = {{"no", "N"}, {"Maybe", "?"}, {"Never", Variant::Null()}, {"", Variant::Null()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    ASSERT_TRUE(g->EnsureEditing());
    g->SetEditText(g->Col(), g->Row(), c.Text);
    g->CommitEditText();
    ds->Post();
    EXPECT_EQ(ds->FieldByName("Code")->AsVariant().IsNull(), c.Stored.IsNull());
    if (!c.Stored.IsNull()) {
      EXPECT_EQ(ds->FieldByName("Code")->AsString(), c.Stored.AsString());
    }
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"Maybe", "Never"}));  // "no" matched "No"; empty is not asked about
}

TEST_F(DataGridTest, ALookupTextNotInTheListMayAddTheRecord) {
  auto* depts = new TMemDataSet(owner.get());
  depts->AddField("DeptID", ftInteger);
  depts->AddField("DeptName", ftString, 10);
  depts->Open();
  depts->Append();
  depts->FieldByName("DeptID")->SetAsInteger(10);
  depts->FieldByName("DeptName")->SetAsString("Sales");
  depts->Post();
  auto* staff = new TMemDataSet(owner.get());
  staff->AddField("Name", ftString, 10);
  staff->AddField("Dept", ftInteger);
  staff->AddLookupField("DeptName", ftString, "Dept", depts, "DeptID", "DeptName", 10);
  staff->Open();
  staff->Append();
  staff->FieldByName("Name")->SetAsString("ann");
  staff->Post();
  src->SetDataSet(staff);
  auto* g = new TEditProbeGrid(owner.get());
  g->SetBounds(0, 0, 600, 300);
  g->SetParent(host);
  for (const char* f : {"Name", "DeptName"}) g->Columns()->Add()->SetFieldName(f);
  g->SetDataSource(src);
  win::PumpMessages();
  TColumnX* c = g->Columns()->Items(1);
  c->OnNotInList = [&](TObject*, const std::string& text, bool&) {
    depts->Append();
    depts->FieldByName("DeptID")->SetAsInteger(40);
    depts->FieldByName("DeptName")->SetAsString(text);
    depts->Post();
  };
  g->SetCol(g->DataToRawColumn(1));
  staff->Edit();
  g->SetEditValue(Variant::Null());
  g->SetEditText(g->Col(), g->Row(), "hr");
  g->CommitEditText();
  staff->Post();
  EXPECT_EQ(staff->FieldByName("Dept")->AsInteger(), 40);
  EXPECT_EQ(staff->FieldByName("DeptName")->AsString(), "hr");
}
