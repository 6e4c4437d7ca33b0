// The effects bitmap: a 32-bit bitmap with per-pixel alpha, blended over an ordinary picture and shown
// in an image control.
#include <cstdint>
#include <string>

#include "effects/EffectsBitmap.h"
#include "effects/EffectsProbes.h"
#include "platform/controls/extctrls.h"
#include "platform/forms/forms.h"
#include "platform/host/run.h"

class TBlendForm : public TForm {
 public:
  explicit TBlendForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Blend");
    SetBounds(100, 100, 280, 220);
    auto* Image = new TImage(this);
    Image->SetParent(this);
    Image->SetAlign(alClient);
    TBitmap* Back = Image->Picture()->Bitmap();
    Back->SetSize(240, 160);
    Back->Canvas()->Brush()->SetColor(clWhite);
    Back->Canvas()->FillRect(TRect(0, 0, 240, 160));
    Back->Canvas()->Brush()->SetColor(clNavy);
    Back->Canvas()->FillRect(TRect(0, 60, 240, 100));

    // A red square whose alpha fades from left (clear) to right (solid).
    TEffectsBitmap Overlay;
    Overlay.SetSize(120, 120);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 120; ++x) {
        const std::uint32_t Alpha = std::uint32_t(x * 255 / 119);
        Overlay.SetPixel(x, y, (Alpha << 24) | 0xFF0000);
      }
    Overlay.SetHasAlpha(true);
    Overlay.Draw(Back->Canvas(), 60, 20);
  }
};

int main(int argc, char** argv) {
  return host::RunHostedProgram(argc, argv, [&] {
    FormsUnit::Initialize();
    GraphicsUnit::Initialize();
    EffectsBitmapUnit::Initialize();  // the pixel and drawing routine tables
    EffectsProbesUnit::Initialize();  // then the processor and system probes, which may improve them
    Application->Initialize();
    TBlendForm* Form = nullptr;
    Application->CreateForm(Form);
    if (argc > 1 && std::string(argv[1]) == "--quit-when-idle")
      Application->OnIdle = [](TObject*, bool&) { Application->MainForm()->Close(); };
    Application->Run();
    Application->DestroyForms();
    EffectsProbesUnit::Finalize();
    EffectsBitmapUnit::Finalize();
    GraphicsUnit::Finalize();
    FormsUnit::Finalize();
    return 0;
  });
}
