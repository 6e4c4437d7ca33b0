// An action that its update disabled does not run: a delete action that the program's rule turns off
// for a locked record leaves the record when a button runs it, and runs again once the rule allows it.
#include <gtest/gtest.h>

#include <memory>

#include "dataedit/DBCtrlsX_edit.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/memdataset.h"
#include "platform/dbactns/dbactns.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class TActionEdit : public TCustomDBEditX {
  DECLARE_CLASS(TActionEdit, TCustomDBEditX)
  explicit TActionEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

TEST(DisabledAction, ADeleteThatItsUpdateDisabledDoesNotDelete) {
  win::ResetWindowManager();
  win::FakeClock clock;
  clock.Install();
  FormsUnit::Initialize();
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(100, 100, 300, 120);
  auto* data = new TMemDataSet(form);
  data->AddField("Name", ftString, 20);
  data->AddField("Locked", ftBoolean);
  data->CreateDataSet();
  for (auto [Name, Locked] : {std::pair{"Ann", true}, std::pair{"Bob", false}, std::pair{"Cy", false}}) {
    data->Append();
    data->FieldByName("Name")->SetAsString(Name);
    data->FieldByName("Locked")->SetAsBoolean(Locked);
    data->Post();
  }
  data->First();
  auto* source = new TDataSource(form);
  source->SetDataSet(data);
  auto* edit = new TActionEdit(form);
  edit->SetBounds(10, 10, 150, 21);
  edit->SetParent(form);
  edit->SetDataSource(source);
  edit->SetDataField("Name");
  auto* del = new TDataSetDelete(form);
  // The program's rule: a locked record cannot be deleted.
  del->OnUpdate = [&](TObject*) { del->SetEnabled(!data->FieldByName("Locked")->AsBoolean()); };
  auto* button = new TButton(form);
  button->SetBounds(180, 10, 75, 25);
  button->SetParent(form);
  button->OnClick = [&](TObject*) { del->Execute(); };
  form->Show();
  edit->SetFocus();
  win::PumpMessages();
  // With the queue empty, one turn of the loop is idle work: the actions update.
  auto IdleTurn = [] {
    Application->ProcessMessages();
    Application->HandleMessage();
  };
  // The user clicks the button; the loop runs the click.
  auto ClickButton = [&] {
    const TPoint P = button->ClientToScreen(TPoint(10, 10));
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE);
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN);
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP);
    Application->ProcessMessages();
  };
  IdleTurn();  // the rule disables the action on Ann
  ASSERT_FALSE(del->Enabled());
  ClickButton();
  EXPECT_EQ(data->RecordCount(), 3);
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Ann");
  data->Next();
  IdleTurn();  // Bob may go
  ASSERT_TRUE(del->Enabled());
  ClickButton();
  EXPECT_EQ(data->RecordCount(), 2);
  data->First();
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Ann");
  data->Next();
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Cy");
  FormsUnit::Finalize();
  win::ResetWindowManager();
}

}  // namespace
