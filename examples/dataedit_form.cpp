// The data-aware editor controls: an edit of the holder's name, a combo box that shows names for stored
// keys and a check box that reads "Y"/"N", all bound to the current record of an in-memory data set.
#include <string>

#include "dataedit/CalculatorX.h"
#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DbUtilsX.h"
#include "dataedit/PropFilerX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/data/memdataset.h"
#include "platform/forms/forms.h"
#include "platform/host/run.h"

class TTicketForm : public TForm {
 public:
  explicit TTicketForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Ticket");
    SetBounds(100, 100, 260, 150);
    auto* Tickets = new TMemDataSet(this);
    Tickets->AddField("Holder", ftString, 30);
    Tickets->AddField("Kind", ftString, 1);
    Tickets->AddField("Paid", ftString, 1);
    Tickets->CreateDataSet();
    Tickets->Append();
    Tickets->FieldByName("Holder")->SetAsString("Ann");
    Tickets->FieldByName("Kind")->SetAsString("C");
    Tickets->FieldByName("Paid")->SetAsString("Y");
    Tickets->Post();
    auto* Source = new TDataSource(this);
    Source->SetDataSet(Tickets);

    // The data-aware edit: a TDBComboBoxX without items is a plain edit of the field's text.
    auto* Holder = new TDBComboBoxX(this);
    Holder->SetParent(this);
    Holder->SetBounds(16, 16, 160, 21);
    Holder->EditButton()->SetVisible(false);  // no list, so no button to drop one down
    Holder->SetDataSource(Source);
    Holder->SetDataField("Holder");

    auto* Kind = new TDBComboBoxX(this);
    Kind->SetParent(this);
    Kind->SetBounds(16, 48, 160, 21);
    for (const char* Name : {"Adult", "Child", "Senior"}) Kind->Items()->Add(Name);
    for (const char* Key : {"A", "C", "S"}) Kind->KeyItems()->Add(Key);  // what the field stores
    Kind->SetDataSource(Source);
    Kind->SetDataField("Kind");

    auto* Paid = new TDBCheckBoxX(this);
    Paid->SetParent(this);
    Paid->SetBounds(16, 80, 160, 17);
    Paid->SetCaption("Paid");
    Paid->SetValueChecked("Y");
    Paid->SetValueUnchecked("N");
    Paid->SetDataSource(Source);
    Paid->SetDataField("Paid");
  }
};

int main(int argc, char** argv) {
  return host::RunHostedProgram(argc, argv, [&] {
    FormsUnit::Initialize();
    GraphicsUnit::Initialize();
    // The editor library's units, in this order: storage interceptors, edit-button images and pop-up
    // classes, the calculator's key layout, the data-set features registry.
    PropFilerX::Initialize();
    ToolCtrlsXUnit::Initialize();
    CalculatorXUnit::Initialize();
    DbUtilsX::Initialize();
    Application->Initialize();
    TTicketForm* Form = nullptr;
    Application->CreateForm(Form);
    if (argc > 1 && std::string(argv[1]) == "--quit-when-idle")
      Application->OnIdle = [](TObject*, bool&) { Application->MainForm()->Close(); };
    Application->Run();
    Application->DestroyForms();
    DbUtilsX::Finalize();
    CalculatorXUnit::Finalize();
    ToolCtrlsXUnit::Finalize();
    PropFilerX::Finalize();
    GraphicsUnit::Finalize();
    FormsUnit::Finalize();
    return 0;
  });
}
