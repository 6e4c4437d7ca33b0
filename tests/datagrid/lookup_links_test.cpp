// The lookup combo box's link to its data and its drop-down events, and the lookup lists read from
// the right: the lookup grid's cells and special row, and the pop-up grid's window.

#include <string>
#include <vector>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBLookupComboX.h"
#include "datagrid/DBPopupGridX.h"
#include "tests/datagrid/lookup_fixture.h"

namespace {

// Counts how often the combo box resolves its data fields.
class TCountingCombo : public TDBLookupComboboxX {
 public:
  using TDBLookupComboboxX::TDBLookupComboboxX;
  void UpdateDataFields() override {
    ++Updates;
    TDBLookupComboboxX::UpdateDataFields();
  }
  int Updates = 0;
};

template <class T = TDBLookupComboboxX>
T* MakeCombo(TComponent* Owner, TWinControl* Parent, TDataSource* Data, TDataSource* List) {
  auto* c = new T(Owner);
  c->SetBounds(20, 300, 160, 24);
  c->SetParent(Parent);
  c->SetDataSource(Data);
  c->SetDataField("CityID");
  c->SetListSource(List);
  c->SetKeyField("ID");
  c->SetListField("Name");
  return c;
}

void ClickInto(TWinControl* C) {
  TPoint p = C->ClientToScreen(TPoint(5, 5));
  win::Click(p.X, p.Y);
  win::PumpMessages();
}

// Pixels unlike the background in the left and the right half of a cell (its edges left out).
struct Ink {
  int Left = 0, Right = 0;
};
Ink InkIn(TWinControl* W, const TRect& Cell) {
  COLORREF back = win::GetWindowPixel(W->Handle(), Cell.Left + 1, Cell.Top + 1);
  int mid = (Cell.Left + Cell.Right) / 2;
  Ink ink;
  for (int y = Cell.Top + 3; y < Cell.Bottom - 3; ++y)
    for (int x = Cell.Left + 3; x < Cell.Right - 3; ++x)
      if (win::GetWindowPixel(W->Handle(), x, y) != back) (x < mid ? ink.Left : ink.Right)++;
  return ink;
}

}  // namespace

TEST_F(LookupTest, ComboReachesItsDataThroughItsOwnLink) {
  auto* c = MakeCombo<TCountingCombo>(owner.get(), host, peopleSrc, citySrc);
  win::PumpMessages();
  auto* link = dynamic_cast<TDataSourceLinkX*>(c->DataLink());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link, c->SourceLink());
  EXPECT_EQ(link->Combo(), c);
  EXPECT_TRUE(link->MultiFields());
  EXPECT_EQ(link->DataSource(), peopleSrc);
  EXPECT_EQ(link->FieldName(), "CityID");
  ASSERT_NE(link->Field(), nullptr);
  EXPECT_EQ(link->Field()->FieldName(), "CityID");

  // The shown text follows the record.
  const std::vector<std::string> shown{"Berlin", "Dublin", "Rome"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    people->First();
    people->MoveBy(i);
    EXPECT_EQ(c->KeyValue().AsInteger(), CityOf(i));
    EXPECT_EQ(c->Text(), shown[static_cast<size_t>(i)]);
  }

  // Closing the data forgets the fields; opening it again finds them.
  people->Close();
  EXPECT_TRUE(c->DataKeyFields().empty());
  EXPECT_TRUE(c->KeyValue().IsNull());
  people->Open();
  ASSERT_EQ(c->DataKeyFields().size(), 1u);
  people->First();
  EXPECT_EQ(c->Text(), "Berlin");

  // A pick writes through the link into the record.
  c->SetFocus();
  win::PumpMessages();
  Key(c, VK_DOWN);
  EXPECT_EQ(people->State(), dsEdit);
  people->Post();
  EXPECT_EQ(CityOf(0), 3);

  // A layout change of the data (a field moved) resolves the combo box's fields again, not only the
  // link's, and the text stays with the record.
  int before = c->Updates;
  people->FieldByName("CityID")->SetIndex(0);
  EXPECT_GT(c->Updates, before);
  ASSERT_EQ(c->DataKeyFields().size(), 1u);
  EXPECT_EQ(c->DataKeyFields()[0], people->FieldByName("CityID"));
  EXPECT_EQ(c->Text(), "Bern");
}

TEST_F(LookupTest, ComboKeepsFreeTextAsTheLinksValue) {
  auto* c = MakeCombo(owner.get(), host, nullptr, citySrc);
  c->SetDataField("");
  c->SetStyle(csDropDownX);
  win::PumpMessages();
  TDataSourceLinkX* link = c->SourceLink();
  c->SetText("Atlantis");
  EXPECT_TRUE(link->TextValue());
  EXPECT_EQ(link->DataIndependentValue().AsString(), "Atlantis");
  c->SetText("paris");
  EXPECT_FALSE(link->TextValue());
  EXPECT_EQ(link->DataIndependentValue().AsInteger(), 7);
  EXPECT_EQ(c->Text(), "Paris");
}

TEST_F(LookupTest, ComboTellsOfDropDownAndCloseUp) {
  auto* c = MakeCombo(owner.get(), host, peopleSrc, citySrc);
  std::vector<std::string> log;
  c->OnDropDown = [&](TObject* Sender) {
    EXPECT_EQ(Sender, c);
    // Before the list opens.
    log.push_back(std::string("drop ") + (c->ListVisible() ? "open" : "closed"));
  };
  c->OnKeyValueChanged = [&](TObject*) { log.push_back("key " + std::to_string(c->KeyValue().AsInteger())); };
  c->OnCloseUp = [&](TObject* Sender, bool Accept) {
    EXPECT_EQ(Sender, c);
    // After the list closed and, when accepted, after the key was taken.
    log.push_back(std::string("close ") + (Accept ? "accept " : "cancel ") +
                  std::to_string(c->KeyValue().AsInteger()) + (c->ListVisible() ? " open" : " closed") +
                  (c->Grid()->Visible() ? " shown" : " hidden"));
  };
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  log.clear();

  ClickInto(c);
  ASSERT_TRUE(c->ListVisible());
  Key(c, VK_DOWN);
  Char(c, 13);
  ClickInto(c);
  ASSERT_TRUE(c->ListVisible());
  Key(c, VK_DOWN);
  Char(c, 27);
  // A click on a row of the open list: the pick by mouse closes and accepts.
  ClickInto(c);
  ASSERT_TRUE(c->ListVisible());
  TPopupDataGridX* g = c->Grid();
  TPoint at = CellCentre(g, 0, g->TitleOffset());
  win::Click(at.X, at.Y);
  win::PumpMessages();
  std::string first = g->SelectedText();
  const std::vector<std::string> expected{"drop closed",         "key 3", "close accept 3 closed hidden",
                                          "drop closed",         "close cancel 3 closed hidden",
                                          "drop closed",         "key " + std::to_string(c->KeyValue().AsInteger()),
                                          "close accept " + std::to_string(c->KeyValue().AsInteger()) + " closed hidden"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(c->Text(), first);
  people->Cancel();
}

TEST_F(LookupTest, ComboHandsItsDropDownGridItsOwnEvents) {
  auto* c = MakeCombo(owner.get(), host, peopleSrc, citySrc);
  c->DropDownBox()->SetShowTitles(true);
  int params = 0, draws = 0, titles = 0, checks = 0, marks = 0;
  c->SetOnDropDownBoxGetCellParams([&](TObject* S, TColumnX*, TFont*, TColor& Back, TGridDrawState) {
    EXPECT_EQ(S, c->Grid());
    ++params;
    Back = clYellow;
  });
  c->SetOnDropDownBoxDrawColumnCell([&](TObject* S, const TRect&, int, TColumnX*, TGridDrawState) {
    EXPECT_EQ(S, c->Grid());
    ++draws;
  });
  c->SetOnDropDownBoxTitleBtnClick([&](TObject*, int, TColumnX*) { ++titles; });
  c->SetOnDropDownBoxCheckButton([&](TObject*, int, TColumnX*, bool& Enabled) {
    ++checks;
    Enabled = true;
  });
  c->SetOnDropDownBoxSortMarkingChanged([&](TObject*) { ++marks; });
  TPopupDataGridX* g = c->Grid();
  ASSERT_NE(g, nullptr);  // made for the events
  EXPECT_TRUE(static_cast<bool>(c->OnDropDownBoxGetCellParams()));
  EXPECT_TRUE(static_cast<bool>(g->OnDrawColumnCell));
  EXPECT_TRUE(static_cast<bool>(g->OnTitleBtnClick));
  EXPECT_TRUE(static_cast<bool>(g->OnCheckTitleButton));
  EXPECT_TRUE(static_cast<bool>(g->OnSortMarkingChanged));

  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  ClickInto(c);
  ASSERT_TRUE(c->ListVisible());
  g->Repaint();
  win::PumpMessages();
  EXPECT_GT(params, 0);
  EXPECT_GT(draws, 0);
  // A row that is not the chosen one takes the handler's colour; the chosen one stays highlighted.
  int other = g->TitleOffset() + (g->Row() == g->TitleOffset() ? 1 : 0);
  TRect r = g->CellRect(0, other);
  EXPECT_EQ(win::GetWindowPixel(g->Handle(), r.Right - 3, r.Top + 2), ColorToRGB(clYellow));
  TRect k = g->CellRect(0, g->Row());
  EXPECT_EQ(win::GetWindowPixel(g->Handle(), k.Right - 3, k.Top + 2), ColorToRGB(clHighlight));
  EXPECT_TRUE(g->CheckTitleButton(0, g->Columns()->Items(0)));
  EXPECT_GT(checks, 0);
  g->TitleBtnClick(0, g->Columns()->Items(0));
  EXPECT_EQ(titles, 1);
  Char(c, 27);
}

TEST_F(LookupTest, ComboButtonHandlersEnableItsButtons) {
  auto* c = new TDBLookupComboboxX(owner.get());
  c->SetBounds(20, 300, 160, 24);
  c->SetParent(host);
  win::PumpMessages();
  ASSERT_NE(c->ButtonControl(0), nullptr);
  EXPECT_FALSE(c->ButtonControl(0)->Enabled());  // no list and no handler
  c->SetOnButtonClick([](TObject*, bool&) {});
  EXPECT_TRUE(c->ButtonControl(0)->Enabled());
  c->SetOnButtonClick(nullptr);
  EXPECT_FALSE(c->ButtonControl(0)->Enabled());
  c->SetOnButtonDown([](TObject*, bool, bool&, bool&) {});
  EXPECT_TRUE(c->ButtonControl(0)->Enabled());
}

TEST_F(LookupTest, LookupGridReadsFromTheRight) {
  for (bool rtl : {false, true}) {
    SCOPED_TRACE(rtl);
    cities->First();
    auto* g = new TDBLookupGridX(owner.get());
    g->SetParent(host);
    g->SetBounds(10, 10, 330, 100);
    g->SetListSource(citySrc);
    g->SetKeyField("ID");
    g->SetListField("Name;Pop");
    g->Columns();  // generated columns
    g->SpecRow()->SetCellsText("(none);-");
    g->SpecRow()->SetValue(Variant(99));
    g->SpecRow()->SetVisible(true);
    g->SetDisplayRowCount(5);
    g->SetRightToLeft(rtl);
    g->SetKeyValue(Variant(2));
    win::PumpMessages();
    g->Repaint();
    win::PumpMessages();
    int first = g->FixedCols();
    TRect c0 = g->CellRect(first, g->TitleOffset());
    TRect c1 = g->CellRect(first + 1, g->TitleOffset());
    EXPECT_EQ(c0.Left > c1.Left, rtl);  // the first column stands on the right
    // Text runs from the leading edge of its cell: the left, or the right when read from the right.
    for (int row : {g->SpecGridRow(), g->TitleOffset(), g->TitleOffset() + 1}) {
      SCOPED_TRACE(row);
      Ink ink = InkIn(g, g->CellRect(first, row));
      EXPECT_GT(rtl ? ink.Right : ink.Left, 0);
      EXPECT_EQ(rtl ? ink.Left : ink.Right, 0);
    }
    // The mouse picks the record under it, counted from the right.
    TPoint at = CellCentre(g, first, g->TitleOffset() + 2);
    win::Click(at.X, at.Y);
    win::PumpMessages();
    EXPECT_EQ(g->KeyValue().AsInteger(), 3);
    at = CellCentre(g, first + 1, g->SpecGridRow());
    win::Click(at.X, at.Y);
    win::PumpMessages();
    EXPECT_TRUE(g->SpecRowSelected());
    EXPECT_EQ(g->KeyValue().AsInteger(), 99);
    g->Repaint();
    win::PumpMessages();
    // Its text in the highlight's text colour, whichever way it reads.
    {
      TRect r = g->CellRect(first, g->SpecGridRow());
      int light = 0;
      for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
        for (int x = r.Left + 2; x < r.Right - 2; ++x)
          if (win::GetWindowPixel(g->Handle(), x, y) == static_cast<COLORREF>(ColorToRGB(clHighlightText))) ++light;
      EXPECT_GT(light, 0);
    }
    // The selected special row is highlighted across the row, whichever way it reads.
    for (int col : {first, first + 1}) {
      TRect r = g->CellRect(col, g->SpecGridRow());
      EXPECT_EQ(win::GetWindowPixel(g->Handle(), (r.Left + r.Right) / 2, r.Bottom - 3), ColorToRGB(clHighlight));
    }
    if (rtl) {
      EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_lookup_rtl.png")));
    }
    delete g;
  }
}

TEST_F(LookupTest, PopupGridReadsAsItsGrid) {
  auto* grid = new TDBGridX(owner.get());
  grid->SetBounds(0, 0, 400, 160);
  grid->SetParent(host);
  for (const char* f : {"Name", "City"}) grid->Columns()->Add()->SetFieldName(f);
  grid->SetDataSource(peopleSrc);
  win::PumpMessages();
  TColumnX* city = grid->Columns()->Items(1);
  TPopupDataGridX* p = city->DropDownGrid();
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->RightToLeft());
  EXPECT_EQ(GetWindowLong(p->Handle(), GWL_EXSTYLE) & (WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR), 0);
  grid->SetRightToLeft(true);
  p = city->DropDownGrid();
  EXPECT_TRUE(p->RightToLeft());
  LONG ex = GetWindowLong(p->Handle(), GWL_EXSTYLE);
  EXPECT_EQ(ex & (WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR), static_cast<LONG>(WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR));
  EXPECT_NE(ex & WS_EX_TOOLWINDOW, 0);  // still the tool pop-up
  grid->SetRightToLeft(false);
  EXPECT_FALSE(city->DropDownGrid()->RightToLeft());
}

TEST_F(LookupTest, ComboDragFromItsButtonIntoTheListPicks) {
  auto* c = MakeCombo(owner.get(), host, peopleSrc, citySrc);
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  TEditButtonControlX* b = c->ButtonControl(0);
  ASSERT_NE(b, nullptr);
  TPoint press = b->ClientToScreen(TPoint(b->Width() / 2, b->Height() / 2));
  win::InjectMouse(press.X, press.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  ASSERT_TRUE(c->ListVisible());  // the button drops the list down as it goes down
  TPopupDataGridX* g = c->Grid();
  // Held down, the pointer goes from the button into the list: the list takes over the press.
  TPoint over = CellCentre(g, 0, g->TitleOffset() + 4);
  win::InjectMouse(over.X, over.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_NE(GetCaptureControl(), b);
  std::string chosen = g->SelectedText();
  EXPECT_FALSE(chosen.empty());
  win::InjectMouse(over.X, over.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(c->Text(), chosen);
  EXPECT_NE(c->KeyValue().AsInteger(), 2);
  people->Cancel();
}

TEST_F(LookupTest, ComboKeyUpsReachOnlyAnOpenListAndOnlyForCtrl) {
  auto* c = MakeCombo(owner.get(), host, peopleSrc, citySrc);
  int own = 0, list = 0;
  c->OnKeyUp = [&](TObject*, WORD&, TShiftState) { ++own; };
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  SendMessage(c->Handle(), WM_KEYUP, VK_CONTROL, 0);
  ClickInto(c);
  ASSERT_TRUE(c->ListVisible());
  c->Grid()->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) {
    EXPECT_EQ(Key, VK_CONTROL);
    ++list;
  };
  SendMessage(c->Handle(), WM_KEYUP, 'A', 0);
  SendMessage(c->Handle(), WM_KEYUP, VK_CONTROL, 0);
  SendMessage(c->Handle(), WM_KEYUP, VK_DOWN, 0);
  EXPECT_EQ(list, 1);
  EXPECT_EQ(own, 0);
  Char(c, 27);
}

TEST_F(LookupTest, AutoFitSharesTheListsWidthAmongItsColumns) {
  auto* g = new TDBLookupGridX(owner.get());
  g->SetBounds(10, 10, 160, 100);
  g->SetParent(host);
  g->SetDisplayRowCount(5);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name;Pop");
  win::PumpMessages();
  int w0 = g->Columns()->Items(0)->Width(), w1 = g->Columns()->Items(1)->Width();
  ASSERT_GT(g->TotalColumnWidth(), g->ClientWidth());  // wider than the list: a horizontal bar
  EXPECT_EQ(g->ScrollBars(), ssHorizontal);

  g->SetLookupAutoFitColWidths(true);
  win::PumpMessages();
  EXPECT_EQ(g->ScrollBars(), ssNone);
  EXPECT_EQ(g->TotalColumnWidth(), g->ClientWidth());  // the columns fill the list's width
  EXPECT_NEAR(static_cast<double>(g->ColWidths(0)) / g->ColWidths(1), static_cast<double>(w0) / w1, 0.1);
  // A wider list (the size grip): the columns widen with it.
  g->SetBounds(g->Left(), g->Top(), 320, g->Height());
  win::PumpMessages();
  EXPECT_EQ(g->TotalColumnWidth(), g->ClientWidth());
  // The user sizes a column: the others keep theirs and the list follows.
  int other = g->ColWidths(1), width = g->Width();
  g->SetColWidths(0, g->ColWidths(0) - 30);
  win::PumpMessages();
  EXPECT_EQ(g->ColWidths(1), other);
  EXPECT_EQ(g->Width(), width - 30);
  EXPECT_EQ(g->TotalColumnWidth(), g->ClientWidth());

  // Off: the columns have their own widths back, and the horizontal bar.
  g->SetLookupAutoFitColWidths(false);
  win::PumpMessages();
  EXPECT_EQ(g->ScrollBars(), ssHorizontal);
  EXPECT_EQ(g->Columns()->Items(1)->Width(), other);
}

TEST_F(LookupTest, ComboListFitsItsColumnsUnlessTold) {
  const int nameWidth = cities->FieldByName("Name")->DisplayWidth();
  for (bool fit : {true, false}) {
    SCOPED_TRACE(fit);
    auto* c = MakeCombo(owner.get(), host, peopleSrc, citySrc);
    c->SetListField("Name;Pop");
    c->SetWidth(150);
    c->DropDownBox()->SetAutoFitColWidths(fit);
    win::PumpMessages();
    c->SetFocus();
    win::PumpMessages();
    ClickInto(c);
    ASSERT_TRUE(c->ListVisible());
    TPopupDataGridX* g = c->Grid();
    EXPECT_EQ(g->Width(), c->Width());  // Width 0: the control's width
    EXPECT_EQ(g->ScrollBars(), fit ? ssNone : ssHorizontal);
    if (fit) EXPECT_EQ(g->TotalColumnWidth(), g->ClientWidth());
    else EXPECT_GT(g->TotalColumnWidth(), g->ClientWidth());
    Char(c, 27);
    EXPECT_FALSE(g->LookupAutoFitColWidths());  // off again with the list closed
    EXPECT_EQ(cities->FieldByName("Name")->DisplayWidth(), nameWidth);  // the list's fields as they were
    delete c;
  }
}

TEST_F(LookupTest, ComboTakesADropDownBoxAssigned) {
  auto* c = MakeCombo(owner.get(), host, peopleSrc, citySrc);
  auto* narrow = new TDataSource(owner.get());
  narrow->SetDataSet(cities);
  TLookupComboboxDropDownBoxX box(nullptr);
  box.SetRows(3);
  box.SetWidth(-1);
  box.SetShowTitles(true);
  box.SetAutoDrop(true);
  box.SetListSource(narrow);
  c->SetDropDownBox(&box);
  TLookupComboboxDropDownBoxX* own = c->DropDownBox();
  EXPECT_NE(own, &box);
  EXPECT_EQ(own->Rows(), 3);
  EXPECT_EQ(own->Width(), -1);
  EXPECT_TRUE(own->ShowTitles());
  EXPECT_TRUE(own->AutoDrop());
  EXPECT_EQ(own->ListSource(), narrow);
  // Focused, the combo box lists from the drop-down box's source at once.
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  EXPECT_EQ(c->Grid() ? c->Grid()->ListSource() : nullptr, nullptr);
  Char(c, 'c');  // AutoDrop: typing drops the list down
  ASSERT_TRUE(c->ListVisible());
  EXPECT_EQ(c->Grid()->ListSource(), narrow);
  EXPECT_EQ(c->Grid()->DisplayRows(), 3);
  Char(c, 27);
}

TEST_F(LookupTest, ComboDropsRowsForAnEmptyListAndFewerForAShortOne) {
  auto* none = new TMemDataSet(owner.get());
  none->AddField("ID", ftInteger);
  none->AddField("Name", ftString, 20);
  none->Open();
  auto* noneSrc = new TDataSource(owner.get());
  noneSrc->SetDataSet(none);
  struct Case {
    TDataSource* List;
    int Rows, Shown;
  };
  for (const Case& k : {Case{noneSrc, 5, 5}, Case{citySrc, 5, 5}, Case{citySrc, 20, 10}}) {
    SCOPED_TRACE(k.Rows);
    auto* c = MakeCombo(owner.get(), host, nullptr, k.List);
    c->SetDataField("");
    c->DropDownBox()->SetRows(k.Rows);
    win::PumpMessages();
    c->SetFocus();
    win::PumpMessages();
    ClickInto(c);
    ASSERT_TRUE(c->ListVisible());
    EXPECT_EQ(c->Grid()->DisplayRows(), k.Shown);
    Char(c, 27);
    delete c;
  }
}
