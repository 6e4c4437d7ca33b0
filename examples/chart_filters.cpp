// The chart library's image filters: a picture drawn on a bitmap goes through a filter list
// (brightness, then a mosaic, then a rotation) and is shown in an image control.
#include <string>

#include "chart/ChartFilters.h"
#include "chart/ChartLibrary.h"
#include "platform/controls/extctrls.h"
#include "platform/forms/forms.h"
#include "platform/host/run.h"

class TFilterForm : public TForm {
 public:
  explicit TFilterForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Filters");
    SetBounds(100, 100, 300, 260);
    TBitmap Picture;
    Picture.SetSize(200, 160);
    TCanvas* C = Picture.Canvas();
    C->Brush()->SetColor(clSkyBlue);
    C->FillRect(TRect(0, 0, 200, 160));
    C->Brush()->SetColor(clYellow);
    C->Ellipse(40, 30, 160, 130);

    TFilterItems Filters(nullptr);
    static_cast<TBrightnessFilter*>(Filters.AddFilter(FilterClassOf<TBrightnessFilter>()))->SetAmount(-20);
    static_cast<TMosaicFilter*>(Filters.AddFilter(FilterClassOf<TMosaicFilter>()))->SetAmount(6);
    static_cast<TRotateFilter*>(Filters.AddFilter(FilterClassOf<TRotateFilter>()))->SetAngle(15);
    for (int i = 0; i < Filters.Count(); ++i) Filters[i]->FilterBitmap(&Picture);

    auto* Image = new TImage(this);
    Image->SetParent(this);
    Image->SetAlign(alClient);
    Image->SetCenter(true);
    Image->Picture()->SetBitmap(&Picture);
  }
};

int main(int argc, char** argv) {
  return host::RunHostedProgram(argc, argv, [&] {
    FormsUnit::Initialize();
    GraphicsUnit::Initialize();
    ChartLibrary::Initialize();  // message texts, canvas settings, the filter classes, registries
    Application->Initialize();
    TFilterForm* Form = nullptr;
    Application->CreateForm(Form);
    if (argc > 1 && std::string(argv[1]) == "--quit-when-idle")
      Application->OnIdle = [](TObject*, bool&) { Application->MainForm()->Close(); };
    Application->Run();
    Application->DestroyForms();
    ChartLibrary::Finalize();
    GraphicsUnit::Finalize();
    FormsUnit::Finalize();
    return 0;
  });
}
