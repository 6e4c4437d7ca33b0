#pragma once
// Lookups on a host window: a list of ten cities (ID, Name, Pop) and three people who live in them
// (ID, Name, CityID, and City: a lookup field that reads the city's name through CityID). A fake
// clock drives the incremental-search pause.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datagrid/DBGridXUnit.h"
#include "datagrid/DBLookupGridX.h"
#include "platform/controls/controls.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/datagrid/grid_fixture.h"

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    DBGridXUnit::Initialize();
    owner = std::make_unique<TComponent>(nullptr);
    cities = new TMemDataSet(owner.get());
    cities->AddField("ID", ftInteger);
    cities->AddField("Name", ftString, 20);
    cities->AddField("Pop", ftInteger);
    cities->Open();
    const char* names[] = {"Amsterdam", "Berlin", "Bern", "Cairo", "Dublin",
                           "Oslo",      "Paris",  "Quito", "Rome", "Sofia"};
    for (int i = 0; i < 10; ++i) {
      cities->Append();
      cities->FieldByName("ID")->SetAsInteger(i + 1);
      cities->FieldByName("Name")->SetAsString(names[i]);
      cities->FieldByName("Pop")->SetAsInteger((i + 1) * 100);
      cities->Post();
    }
    cities->First();
    people = new TMemDataSet(owner.get());
    people->AddField("ID", ftInteger);
    people->AddField("Name", ftString, 20);
    people->AddField("CityID", ftInteger);
    people->AddLookupField("City", ftString, "CityID", cities, "ID", "Name", 20);
    people->Open();
    const char* who[] = {"Ann", "Bob", "Cui"};
    const int where[] = {2, 5, 9};
    for (int i = 0; i < 3; ++i) {
      people->Append();
      people->FieldByName("ID")->SetAsInteger(i + 1);
      people->FieldByName("Name")->SetAsString(who[i]);
      people->FieldByName("CityID")->SetAsInteger(where[i]);
      people->Post();
    }
    people->First();
    citySrc = new TDataSource(owner.get());
    citySrc->SetDataSet(cities);
    peopleSrc = new TDataSource(owner.get());
    peopleSrc->SetDataSet(people);
    host = new TGridHostX(owner.get());
    host->SetBounds(40, 40, 640, 420);
    host->HandleNeeded();
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    DBGridXUnit::Finalize();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  static void Key(TWinControl* C, UINT Vk) {
    SendMessage(C->Handle(), WM_KEYDOWN, Vk, 0);
    SendMessage(C->Handle(), WM_KEYUP, Vk, 0);
  }
  static void Char(TWinControl* C, char Ch) { SendMessage(C->Handle(), WM_CHAR, static_cast<WPARAM>(Ch), 0); }
  static void Type(TWinControl* C, const std::string& S) {
    for (char ch : S) Char(C, ch);
  }
  // The screen point at the middle of a grid cell.
  static TPoint CellCentre(TCustomGrid* G, int ACol, int ARow) {
    TRect r = G->CellRect(ACol, ARow);
    return G->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
  int CityOf(int Person) {
    people->First();
    people->MoveBy(Person);
    return people->FieldByName("CityID")->AsInteger();
  }

  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TMemDataSet* cities = nullptr;
  TMemDataSet* people = nullptr;
  TDataSource* citySrc = nullptr;
  TDataSource* peopleSrc = nullptr;
  TGridHostX* host = nullptr;
};
