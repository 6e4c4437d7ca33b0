#include "platform/forms/dialogs.h"

#include <algorithm>
#include <vector>

#include "platform/controls/hints.h"
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
  std::string caption;
  UINT icon = 0;
  switch (DlgType) {
    case mtWarning: icon = MB_ICONWARNING; caption = "Warning"; break;
    case mtError: icon = MB_ICONERROR; caption = "Error"; break;
    case mtInformation: icon = MB_ICONINFORMATION; caption = "Information"; break;
    case mtConfirmation: icon = MB_ICONQUESTION; caption = "Confirm"; break;
    case mtCustom: caption = AppTitle(); break;
  }
  // A box comes up: a drag or a held button in progress ends, a hint goes.
  if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE, 0, 0);
  Hints::CancelHint();
  // Button sets a message box has go to one (its answers and modal results share their numbers).
  struct Set {
    TMsgDlgButtons buttons;
    UINT flags;
  };
  const Set boxes[] = {{TMsgDlgButtons{mbOK}, MB_OK},
                       {TMsgDlgButtons{mbOK, mbCancel}, MB_OKCANCEL},
                       {TMsgDlgButtons{mbYes, mbNo}, MB_YESNO},
                       {TMsgDlgButtons{mbYes, mbNo, mbCancel}, MB_YESNOCANCEL},
                       {TMsgDlgButtons{mbAbort, mbRetry, mbIgnore}, MB_ABORTRETRYIGNORE},
                       {TMsgDlgButtons{mbRetry, mbCancel}, MB_RETRYCANCEL}};
  for (const Set& b : boxes)
    if (b.buttons == Buttons) return MessageBox(ActiveOwner(), Msg.c_str(), caption.c_str(), b.flags | icon);
  // Any other set (Yes, No and All, for one) is a message dialog with exactly those buttons, in the
  // class library's order; the default is OK, else Yes, else the first; Esc answers Cancel, else No,
  // else OK.
  static const std::pair<TMsgDlgBtn, int> order[] = {
      {mbYes, mrYes},     {mbNo, mrNo},           {mbOK, mrOk},           {mbCancel, mrCancel},
      {mbAbort, mrAbort}, {mbRetry, mrRetry},     {mbIgnore, mrIgnore},   {mbAll, mrAll},
      {mbNoToAll, mrNoToAll}, {mbYesToAll, mrYesToAll}};
  std::vector<int> results;
  for (auto& [button, result] : order)
    if (Buttons.Contains(button)) results.push_back(result);
  if (results.empty()) results.push_back(mrOk);
  auto has = [&](int r) { return std::find(results.begin(), results.end(), r) != results.end(); };
  int def = has(mrOk) ? mrOk : has(mrYes) ? mrYes : results.front();
  int cancel = has(mrCancel) ? mrCancel : has(mrNo) ? mrNo : has(mrOk) ? mrOk : mrCancel;
  return win::Dialogs().MessageDialog(ActiveOwner(), Msg, caption, icon, results, def, cancel);
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
