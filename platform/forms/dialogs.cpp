#include "platform/forms/dialogs.h"

#include "platform/forms/forms.h"
#include "platform/win/dialogs.h"

namespace {
HWND ActiveOwner() {
  HWND h = GetActiveWindow();
  if (!h && Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated())
    h = Screen->ActiveForm()->Handle();
  return h;
}

std::string AppTitle() { return Application ? Application->Title() : std::string(); }
}  // namespace

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int /*HelpCtx*/) {
  UINT flags = MB_OK;
  if (Buttons.Contains(mbYes) && Buttons.Contains(mbNo))
    flags = Buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (Buttons.Contains(mbAbort) && Buttons.Contains(mbRetry))
    flags = MB_ABORTRETRYIGNORE;
  else if (Buttons.Contains(mbRetry) && Buttons.Contains(mbCancel))
    flags = MB_RETRYCANCEL;
  else if (Buttons.Contains(mbOK) && Buttons.Contains(mbCancel))
    flags = MB_OKCANCEL;
  std::string caption;
  switch (DlgType) {
    case mtWarning: flags |= MB_ICONWARNING; caption = "Warning"; break;
    case mtError: flags |= MB_ICONERROR; caption = "Error"; break;
    case mtInformation: flags |= MB_ICONINFORMATION; caption = "Information"; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; caption = "Confirm"; break;
    case mtCustom: caption = AppTitle(); break;
  }
  // Message-box answers and modal results share their numbers.
  return MessageBox(ActiveOwner(), Msg.c_str(), caption.c_str(), flags);
}

void ShowMessage(const std::string& Msg) { MessageBox(ActiveOwner(), Msg.c_str(), AppTitle().c_str(), MB_OK); }

bool SelectDirectory(const std::string& Caption, const std::string& Root, std::string& Directory) {
  std::string folder;
  std::string start = Directory.empty() ? Root : Directory;
  if (!win::Dialogs().SelectFolder(ActiveOwner(), Caption, start, folder)) return false;
  Directory = folder;
  return true;
}

HWND TCommonDialog::OwnerWindow() const { return ActiveOwner(); }

bool TOpenDialog::Execute() {
  if (OnShow) OnShow(this);
  win::FileDialogOptions o;
  o.title = FTitle;
  o.filter = FFilter;
  o.filterIndex = FFilterIndex;
  o.initialDir = FInitialDir;
  o.fileName = FFileName;
  o.defaultExt = FDefaultExt;
  o.overwritePrompt = FOptions.Contains(ofOverwritePrompt);
  o.mustExist = !IsSave() && FOptions.Contains(ofFileMustExist);
  std::string chosen;
  bool ok = IsSave() ? win::Dialogs().SaveFile(OwnerWindow(), o, chosen) : win::Dialogs().OpenFile(OwnerWindow(), o, chosen);
  if (ok) {
    FFileName = chosen;
    FFilterIndex = o.filterIndex;
  }
  if (OnClose) OnClose(this);
  return ok;
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) { FFilter = GraphicFilter(); }

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}

bool TFontDialog::Execute() {
  if (OnShow) OnShow(this);
  win::FontChoice f;
  f.face = FFont->Name();
  f.pointSize = FFont->Size();
  TFontStyles st = FFont->Style();
  f.style = (st.Contains(fsBold) ? win::kFontBold : 0) | (st.Contains(fsItalic) ? win::kFontItalic : 0) |
            (st.Contains(fsUnderline) ? win::kFontUnderline : 0) | (st.Contains(fsStrikeOut) ? win::kFontStrikeOut : 0);
  f.color = static_cast<COLORREF>(ColorToRGB(FFont->Color()));
  bool ok = win::Dialogs().ChooseFont(OwnerWindow(), f);
  if (ok) {
    FFont->SetName(f.face);
    FFont->SetSize(f.pointSize);
    TFontStyles ns;
    if (f.style & win::kFontBold) ns.Include(fsBold);
    if (f.style & win::kFontItalic) ns.Include(fsItalic);
    if (f.style & win::kFontUnderline) ns.Include(fsUnderline);
    if (f.style & win::kFontStrikeOut) ns.Include(fsStrikeOut);
    FFont->SetStyle(ns);
    FFont->SetColor(static_cast<TColor>(f.color & 0xFFFFFF));
  }
  if (OnClose) OnClose(this);
  return ok;
}

bool TPrintDialog::Execute() {
  if (OnShow) OnShow(this);
  win::PrintOptions o;
  o.copies = FCopies;
  o.fromPage = FFromPage;
  o.toPage = FToPage;
  bool ok = win::Dialogs().Print(OwnerWindow(), o);
  if (ok) {
    FCopies = o.copies;
    FFromPage = o.fromPage;
    FToPage = o.toPage;
    FPrinterName = o.printerName;
  }
  if (OnClose) OnClose(this);
  return ok;
}
