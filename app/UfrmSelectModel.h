#pragma once
// The model picker: the two built-in portraits; a click loads one into the main window.

#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/forms.h"

class TfrmSelectModel : public TForm {
  DECLARE_CLASS(TfrmSelectModel, TForm)
  explicit TfrmSelectModel(TComponent* AOwner);

  TImage* Image1;
  TImage* Image2;
  TButton* Button1;

  void FormCreate(TObject* Sender);
  void Image1Click(TObject* Sender);
  void Button1Click(TObject* Sender);
};

extern TfrmSelectModel* frmSelectModel;

namespace UfrmSelectModel {
void Initialize();
void Finalize();
// Starts reading the two portraits on a worker thread; the picker takes them when it is made.
void StartPrefetch();
}  // namespace UfrmSelectModel
