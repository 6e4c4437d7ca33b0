#pragma once
// A data grid on a host window, bound through a data source to a five-record in-memory data set:
// ID integer, Name string(20), Amount float, Born date, Active boolean, Code string(4).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datagrid/DBGridX.h"
#include "platform/controls/controls.h"
#include "platform/controls/scrollbars.h"
#include "platform/data/memdataset.h"
#include "platform/win/testing.h"

// An external horizontal scroll bar on Host just below a grid 300 pixels high at the host's top left,
// attached to the grid and set from it.
inline TScrollBar* AttachExternalHorzBar(TComponent* Owner, TWinControl* Host, TCustomDBGridX* Grid) {
  auto* ext = new TScrollBar(Owner);
  ext->SetBounds(0, 310, 600, 16);
  ext->SetParent(Host);
  win::PumpMessages();
  Grid->HorzScrollBar()->SetExtScrollBar(ext);
  Grid->UpdateHorzExtScrollBar();
  return ext;
}

// A drag with the left button from a screen point by (Dx, Dy), in one move.
inline void DragLeft(TPoint From, int Dx, int Dy) {
  win::InjectMouse(From.X, From.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  win::InjectMouse(From.X + Dx, From.Y + Dy, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  win::InjectMouse(From.X + Dx, From.Y + Dy, WM_LBUTTONUP);
  win::PumpMessages();
}

class TGridHostX : public TCustomControl {
  DECLARE_CLASS(TGridHostX, TCustomControl)
  explicit TGridHostX(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(TRect(0, 0, Width(), Height()));
  }
};

class DataGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    owner = std::make_unique<TComponent>(nullptr);
    ds = new TMemDataSet(owner.get());
    ds->AddField("ID", ftInteger);
    ds->AddField("Name", ftString, 20);
    ds->AddField("Amount", ftFloat);
    ds->AddField("Born", ftDate);
    ds->AddField("Active", ftBoolean);
    ds->AddField("Code", ftString, 4);
    ds->Open();
    const char* names[] = {"Ann", "Bob", "Cui", "Dora", "Émile"};
    const char* codes[] = {"Y", "N", "Y", "?", "N"};
    for (int i = 0; i < 5; ++i) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(i + 1);
      ds->FieldByName("Name")->SetAsString(names[i]);
      ds->FieldByName("Amount")->SetAsFloat((i + 1) * 1.25);
      ds->FieldByName("Born")->SetAsDateTime(EncodeDate(2000, 1, i + 1));
      ds->FieldByName("Active")->SetAsBoolean(i % 2 == 0);
      ds->FieldByName("Code")->SetAsString(codes[i]);
      ds->Post();
    }
    ds->First();
    src = new TDataSource(owner.get());
    src->SetDataSet(ds);
    host = new TGridHostX(owner.get());
    host->SetBounds(50, 50, 640, 400);
    host->HandleNeeded();
    grid = new TDBGridX(owner.get());
    grid->SetBounds(0, 0, 600, 300);
    grid->SetParent(host);
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
  }
  void Bind() {
    grid->SetDataSource(src);
    win::PumpMessages();
  }
  TColumnX* Col(int I) { return grid->Columns()->Items(I); }
  // The display text of data column C on record R (0-based) of the data set.
  std::string TextAt(int C, int R) {
    ds->First();
    ds->MoveBy(R);
    return Col(C)->GetCellDisplayText();
  }

  std::unique_ptr<TComponent> owner;
  TMemDataSet* ds = nullptr;
  TDataSource* src = nullptr;
  TGridHostX* host = nullptr;
  TDBGridX* grid = nullptr;
};
