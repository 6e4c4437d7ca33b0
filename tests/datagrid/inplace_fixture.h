#pragma once
// A grid with its in-place editor over a small "people" data set with a lookup field: ID integer,
// Name string(20), Amount float, Born date, Kind string(1), KindName (lookup of Kind in "kinds":
// A Adult, C Child, S Senior). The grid is focused and editable; OpenEditor shows the editor on a
// column of the current record.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBPopupGridX.h"
#include "tests/datagrid/grid_fixture.h"

class InplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    DBGridXUnit::Initialize();
    owner = std::make_unique<TComponent>(nullptr);
    kinds = new TMemDataSet(owner.get());
    kinds->AddField("Key", ftString, 1);
    kinds->AddField("Label", ftString, 20);
    kinds->Open();
    const char* k[][2] = {{"A", "Adult"}, {"C", "Child"}, {"S", "Senior"}};
    for (auto& r : k) {
      kinds->Append();
      kinds->FieldByName("Key")->SetAsString(r[0]);
      kinds->FieldByName("Label")->SetAsString(r[1]);
      kinds->Post();
    }
    kinds->First();
    people = new TMemDataSet(owner.get());
    people->AddField("ID", ftInteger);
    people->AddField("Name", ftString, 20);
    people->AddField("Amount", ftFloat);
    people->AddField("Born", ftDate);
    people->AddField("Kind", ftString, 1);
    people->AddLookupField("KindName", ftString, "Kind", kinds, "Key", "Label", 20);
    people->Open();
    const char* names[] = {"Ann", "Bob", "Cui"};
    const char* kindOf[] = {"A", "C", "S"};
    for (int i = 0; i < 3; ++i) {
      people->Append();
      people->FieldByName("ID")->SetAsInteger(i + 1);
      people->FieldByName("Name")->SetAsString(names[i]);
      people->FieldByName("Amount")->SetAsFloat((i + 1) * 1.25);
      people->FieldByName("Born")->SetAsDateTime(EncodeDate(2000, 1, 10 + i));
      people->FieldByName("Kind")->SetAsString(kindOf[i]);
      people->Post();
    }
    people->First();
    src = new TDataSource(owner.get());
    src->SetDataSet(people);
    host = new TGridHostX(owner.get());
    host->SetBounds(50, 50, 640, 400);
    host->HandleNeeded();
    grid = new TDBGridX(owner.get());
    grid->SetBounds(0, 0, 600, 240);
    grid->SetParent(host);
    const char* fields[] = {"ID", "Name", "Amount", "Born", "Kind", "KindName"};
    for (const char* f : fields) grid->Columns()->Add()->SetFieldName(f);
    grid->SetDataSource(src);
    win::PumpMessages();
    grid->SetFocus();
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    DBGridXUnit::Finalize();
    win::ResetWindowManager();
  }
  TColumnX* Col(const std::string& Field) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->Items(i)->FieldName() == Field) return grid->Columns()->Items(i);
    return nullptr;
  }
  // Shows the editor on the column of Field in the current record.
  TDBGridInplaceEdit* OpenEditor(const std::string& Field) {
    grid->SetCol(grid->DataToRawColumn(Col(Field)->Index()));
    grid->ShowEditor();
    win::PumpMessages();
    TDBGridInplaceEdit* e = grid->InplaceEditX();
    EXPECT_NE(e, nullptr);
    if (e) {
      EXPECT_TRUE(e->EditVisible());
    }
    return e;
  }
  void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  void AltDown() {
    win::InjectKey(WM_KEYDOWN, VK_MENU);
    win::InjectKey(WM_SYSKEYDOWN, VK_DOWN);
    win::InjectKey(WM_SYSKEYUP, VK_DOWN);
    win::InjectKey(WM_KEYUP, VK_MENU);
    win::PumpMessages();
  }
  void Type(const std::string& Text) {
    win::InjectChar(Text);
    win::PumpMessages();
  }
  // Clicks at a point of a control's client area.
  void ClickAt(TControl* C, int X, int Y) {
    TPoint p = C->ClientOrigin();
    win::Click(p.X + X, p.Y + Y);
    win::PumpMessages();
  }

  std::unique_ptr<TComponent> owner;
  TMemDataSet* kinds = nullptr;
  TMemDataSet* people = nullptr;
  TDataSource* src = nullptr;
  TGridHostX* host = nullptr;
  TDBGridX* grid = nullptr;
};
