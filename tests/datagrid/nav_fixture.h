#pragma once
// A data grid over a data set of N records (ID 1..N, Name "Name 001".., Active every other record,
// Code), on a host window, with the grid focused, a fake clock and scripted dialogs; input goes in as
// window messages.

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/data/memdataset.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"
#include "tests/datagrid/grid_fixture.h"

// Counts title and cell clicks.
class TClickGridX : public TDBGridX {
  DECLARE_CLASS(TClickGridX, TDBGridX)
  using TDBGridX::TDBGridX;
  int TitleButtonClicks = 0, TitleClicks = 0, CellClicks = 0;
  void TitleBtnClick(int DataCol, TColumnX* Column) override {
    TDBGridX::TitleBtnClick(DataCol, Column);
    ++TitleButtonClicks;
  }
  void TitleClick(TColumnX* Column) override {
    TDBGridX::TitleClick(Column);
    ++TitleClicks;
  }
  void CellClick(TColumnX* Column) override {
    TDBGridX::CellClick(Column);
    ++CellClicks;
  }
};

class NavGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    DBGridXUnit::Initialize();
    DBGridXFindDlgs::Initialize();
    DBGridXClipboard::Initialize();
    clock.Install();
    dialogs.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TGridHostX(owner.get());
    host->SetBounds(50, 50, 640, 400);
    host->HandleNeeded();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    dialogs.Uninstall();
    clock.Uninstall();
    DBGridXClipboard::Finalize();
    DBGridXFindDlgs::Finalize();
    DBGridXUnit::Finalize();
  }
  // Makes the data set (N records) and a grid of 600 x 300 bound to it, focused.
  void Make(int N, bool Sequenced = true) {
    ds = new TMemDataSet(owner.get());
    ds->AddField("ID", ftInteger);
    ds->AddField("Name", ftString, 20);
    ds->AddField("Active", ftBoolean);
    ds->AddField("Code", ftString, 4);
    ds->Open();
    for (int i = 1; i <= N; ++i) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(i);
      char name[32];
      std::snprintf(name, sizeof name, "Name %03d", i);
      ds->FieldByName("Name")->SetAsString(name);
      ds->FieldByName("Active")->SetAsBoolean(i % 2 == 1);
      ds->FieldByName("Code")->SetAsString(i % 3 == 0 ? "C" : "D");
      ds->Post();
    }
    ds->SetSequenced(Sequenced);
    ds->First();
    src = new TDataSource(owner.get());
    src->SetDataSet(ds);
    Place(new TDBGridX(owner.get()));
  }
  // Make, with a grid that counts clicks in place of the plain one.
  void MakeCounting(int N) {
    Make(N);
    delete grid;
    counting = new TClickGridX(owner.get());
    Place(counting);
  }
  // Takes G as the grid: 600 x 300 on the host, bound to the data, focused (a handler that must see
  // the first paint is set before this).
  void Place(TDBGridX* G) {
    grid = G;
    grid->SetBounds(0, 0, 600, 300);
    grid->SetParent(host);
    grid->SetDataSource(src);
    win::PumpMessages();
    grid->SetFocus();
    win::PumpMessages();
  }
  void AddOptions(std::initializer_list<TGridXDataOption> Add, std::initializer_list<TGridXDataOption> Remove = {}) {
    auto o = grid->Options();
    for (auto x : Add) o.Include(x);
    for (auto x : Remove) o.Exclude(x);
    grid->SetOptions(o);
    win::PumpMessages();
  }
  void AddOptionsX(std::initializer_list<TGridXExtOption> Add, std::initializer_list<TGridXExtOption> Remove = {}) {
    auto o = grid->OptionsX();
    for (auto x : Add) o.Include(x);
    for (auto x : Remove) o.Exclude(x);
    grid->SetOptionsX(o);
    win::PumpMessages();
  }
  // A key stroke with modifiers, through the focus window's messages.
  void Press(UINT Vk, TShiftState Shift = {}) {
    if (Shift.Contains(ssCtrl)) win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    if (Shift.Contains(ssShift)) win::InjectKey(WM_KEYDOWN, VK_SHIFT);
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    if (Shift.Contains(ssShift)) win::InjectKey(WM_KEYUP, VK_SHIFT);
    if (Shift.Contains(ssCtrl)) win::InjectKey(WM_KEYUP, VK_CONTROL);
    win::PumpMessages();
  }
  void Type(const std::string& Text) {
    win::InjectChar(Text);
    win::PumpMessages();
  }
  // Screen point of a grid client point.
  TPoint Screen(int X, int Y) { return grid->ClientToScreen(TPoint(X, Y)); }
  // The middle of a cell in client coordinates.
  TPoint CellMid(int ACol, int ARow) {
    TRect r = grid->CellRect(ACol, ARow);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Mouse(UINT Msg, TPoint Client, WPARAM Keys = 0) {
    TPoint s = Screen(Client.X, Client.Y);
    win::InjectMouse(s.X, s.Y, Msg, Keys);
    win::PumpMessages();
  }
  int CurrentID() { return ds->FieldByName("ID")->AsInteger(); }
  int DataCol() { return grid->GetSelectedIndex(); }
  bool EditorShown() { return grid->InplaceEditor() && grid->InplaceEditor()->EditVisible(); }
  // Data column of a field.
  int ColumnOf(const std::string& Field) {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->Items(i)->FieldName() == Field) return i;
    return -1;
  }

  win::FakeClock clock;
  win::ScriptedDialogs dialogs;
  std::unique_ptr<TComponent> owner;
  TGridHostX* host = nullptr;
  TMemDataSet* ds = nullptr;
  TDataSource* src = nullptr;
  TDBGridX* grid = nullptr;
  TClickGridX* counting = nullptr;  // the grid, after MakeCounting
};
