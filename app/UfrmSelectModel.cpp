#include "app/UfrmSelectModel.h"

#include "app/Communal.h"
#include "app/UfrmMain.h"
#include "platform/rtl/sysutils.h"

TfrmSelectModel* frmSelectModel = nullptr;

namespace UfrmSelectModel {
void Initialize() {}
void Finalize() { frmSelectModel = nullptr; }
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
  Image1->Picture()->LoadFromFile(ExePath + "Models/1.png");
  Image2->Picture()->LoadFromFile(ExePath + "Models/2.png");
}

void TfrmSelectModel::Image1Click(TObject* Sender) {
  const auto* image = static_cast<TImage*>(Sender);
  frmMain->LoadModel(Format("%sModels/%d.png", ExePath, int(image->Tag())));
  Close();
}

void TfrmSelectModel::Button1Click(TObject*) { Close(); }
