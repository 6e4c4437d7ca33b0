#pragma once
// The print layout window: an editor with frame, text and effect, and pages of one, four or nine pictures.

#include "platform/controls/buttons.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/forms.h"

class TfrmPrint : public TForm {
  DECLARE_CLASS(TfrmPrint, TForm)
  explicit TfrmPrint(TComponent* AOwner);
  ~TfrmPrint() override;
  // Borrows the list of GDI+ bitmaps for the next showing.
  void Setup(TList* List);
};

extern TfrmPrint* frmPrint;

namespace UfrmPrint {
void Initialize();
void Finalize();
}  // namespace UfrmPrint
