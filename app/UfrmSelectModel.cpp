#include "app/UfrmSelectModel.h"

#include "app/Communal.h"
#include "app/UfrmMain.h"
#include "platform/rtl/sysutils.h"

TfrmSelectModel* frmSelectModel = nullptr;

namespace {
TPicturePrefetch ModelPrefetch;

std::string ModelFile(const std::string& Folder, int Index) { return Format("%sModels/%d.png", Folder, Index); }
std::string ModelFile(int Index) { return ModelFile(ExePath, Index); }

// The prefetched picture when there is one, else the file read here (raising as reading does).
void LoadModelPicture(TImage* Image, int Index) {
  const std::string name = ModelFile(Index);
  if (std::unique_ptr<TPicture> ready = ModelPrefetch.Take(name))
    Image->Picture()->Assign(ready.get());
  else
    Image->Picture()->LoadFromFile(name);
}
}  // namespace

namespace UfrmSelectModel {
void Initialize() {}
void Finalize() {
  ModelPrefetch.Drop();
  frmSelectModel = nullptr;
}
// ExePath is set only when the main window is made, after this.
void StartPrefetch() {
  const std::string folder = ExecutableFolder();
  ModelPrefetch.Start({ModelFile(folder, 1), ModelFile(folder, 2)});
}
}  // namespace UfrmSelectModel

TfrmSelectModel::TfrmSelectModel(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Select Model");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientSize(516, 277);

  Image1 = new TImage(this);
  Image1->SetParent(this);
  Image1->SetBounds(24, 4, 205, 263);
  Image1->SetTag(1);
  Image2 = new TImage(this);
  Image2->SetParent(this);
  Image2->SetBounds(241, 4, 205, 263);
  Image2->SetTag(2);
  for (TImage* img : {Image1, Image2}) {
    img->SetStretch(true);
    img->SetProportional(true);
    img->SetCursor(crHandPoint);
    img->OnClick = [this](TObject* s) { Image1Click(s); };
  }
  Button1 = new TButton(this);
  Button1->SetParent(this);
  Button1->SetBounds(436, 244, 75, 25);
  Button1->SetCaption("取消");
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };

  OnCreate = [this](TObject* s) { FormCreate(s); };
}

void TfrmSelectModel::FormCreate(TObject*) {
  // A missing picture raises here; the application shows the error and goes on, leaving this image
  // (and the ones after it) empty.
  LoadModelPicture(Image1, 1);
  LoadModelPicture(Image2, 2);
}

void TfrmSelectModel::Image1Click(TObject* Sender) {
  const auto* image = static_cast<TImage*>(Sender);
  frmMain->LoadModel(ModelFile(int(image->Tag())));
  Close();
}

void TfrmSelectModel::Button1Click(TObject*) { Close(); }
