// The data grid: a form with a grid over an in-memory data set. A click on a title sorts by that column
// (a second click turns the order, Ctrl+click adds a key), and the filter row under the titles keeps
// the records that pass what is typed into it (say "= Oslo" under City, ended with Return).
#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFilterRow.h"
#include "platform/data/memdataset.h"
#include "platform/forms/forms.h"
#include "platform/host/run.h"

class TPeopleForm : public TForm {
 public:
  explicit TPeopleForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("People");
    SetBounds(100, 100, 420, 260);
    auto* People = new TMemDataSet(this);
    People->AddField("ID", ftInteger);
    People->AddField("Name", ftString, 30);
    People->AddField("City", ftString, 20);
    People->CreateDataSet();
    const char* Rows[][2] = {{"Ann", "Oslo"}, {"Bob", "Lima"}, {"Cui", "Xi'an"}, {"Dora", "Oslo"}};
    for (int i = 0; i < 4; ++i) {
      People->Append();
      People->FieldByName("ID")->SetAsInteger(i + 1);
      People->FieldByName("Name")->SetAsString(Rows[i][0]);
      People->FieldByName("City")->SetAsString(Rows[i][1]);
      People->Post();
    }
    People->First();
    auto* Source = new TDataSource(this);
    Source->SetDataSet(People);

    // No start-up call: the grid starts its unit itself. The in-memory data set's sorting and
    // filtering come with it, so no OnApplySorting or OnApplyFilter handler is needed.
    auto* Grid = new TDBGridX(this);
    Grid->SetParent(this);
    Grid->SetAlign(alClient);
    Grid->ColumnDefValues()->Title()->SetTitleButton(true);  // titles are buttons...
    Grid->SetOptionsX(Grid->OptionsX() + TGridXExtOptions{gxoAutoSortMarking, gxoMultiSortMarking});  // ...that sort
    Grid->STFilter()->SetVisible(true);                      // the filter row
    Grid->SetDataSource(Source);
  }
};

int main(int argc, char** argv) {
  return host::RunHostedProgram(argc, argv, [&] {
    FormsUnit::Initialize();
    GraphicsUnit::Initialize();
    Application->Initialize();
    TPeopleForm* Form = nullptr;
    Application->CreateForm(Form);
    if (argc > 1 && std::string(argv[1]) == "--quit-when-idle")
      Application->OnIdle = [](TObject*, bool&) { Application->MainForm()->Close(); };
    Application->Run();
    Application->DestroyForms();
    GraphicsUnit::Finalize();
    FormsUnit::Finalize();
    return 0;
  });
}
