// The platform alone: a form with a label and a button; each click counts on the label.
#include <string>

#include "platform/controls/stdctrls.h"
#include "platform/forms/forms.h"
#include "platform/graphics/graphics.h"
#include "platform/host/run.h"

class TCounterForm : public TForm {
 public:
  explicit TCounterForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Counter");
    SetBounds(100, 100, 260, 120);
    Count = new TLabel(this);
    Count->SetParent(this);
    Count->SetBounds(16, 16, 200, 20);
    Count->SetCaption("No clicks yet");
    auto* Button = new TButton(this);
    Button->SetParent(this);
    Button->SetBounds(16, 48, 90, 28);
    Button->SetCaption("Click me");
    Button->OnClick = [this](TObject*) { Count->SetCaption("Clicks: " + std::to_string(++Clicks)); };
  }

 private:
  TLabel* Count = nullptr;
  int Clicks = 0;
};

int main(int argc, char** argv) {
  return host::RunHostedProgram(argc, argv, [&] {
    FormsUnit::Initialize();     // the application object and the screen
    GraphicsUnit::Initialize();  // the BMP picture format
    Application->Initialize();
    TCounterForm* Form = nullptr;
    Application->CreateForm(Form);
    // The build's test runs each example with this switch: it closes once it has shown itself.
    if (argc > 1 && std::string(argv[1]) == "--quit-when-idle")
      Application->OnIdle = [](TObject*, bool&) { Application->MainForm()->Close(); };
    Application->Run();
    Application->DestroyForms();
    GraphicsUnit::Finalize();
    FormsUnit::Finalize();
    return 0;
  });
}
