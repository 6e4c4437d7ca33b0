#pragma once
// Message boxes and the common dialog components, all through the one dialog service of the Win32
// level (native dialogs in the program, a scripted answerer in tests).

#include <memory>
#include <string>

#include "platform/classes/classes.h"
#include "platform/controls/controls.h"
#include "platform/graphics/graphics.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// Shows Msg with the buttons closest to Buttons; returns mrOk, mrYes, mrNo, mrCancel...
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// Msg in a box with an OK button, titled with the application's title.
void ShowMessage(const std::string& Msg);

// Lets the user pick a folder; Directory holds the start folder and receives the choice.
bool SelectDirectory(const std::string& Caption, const std::string& Root, std::string& Directory);

class TCommonDialog : public TComponent {
  DECLARE_CLASS(TCommonDialog, TComponent)
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  // The window that owns the dialog: the active form's.
  HWND OwnerWindow() const;
};

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify,
  ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
  DECLARE_CLASS(TOpenDialog, TCommonDialog)
  explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  // "Description|*.ext;*.ext2|Description 2|*.x"
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }

 protected:
  virtual bool IsSave() const { return false; }
  std::string FFileName;
  std::string FFilter;
  int FFilterIndex = 1;
  std::string FInitialDir;
  std::string FDefaultExt;
  std::string FTitle;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

// An open dialog whose filter lists the registered picture formats unless it is set.
class TOpenPictureDialog : public TOpenDialog {
  DECLARE_CLASS(TOpenPictureDialog, TOpenDialog)
  explicit TOpenPictureDialog(TComponent* AOwner);
};

class TSaveDialog : public TOpenDialog {
  DECLARE_CLASS(TSaveDialog, TOpenDialog)
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

 protected:
  bool IsSave() const override { return true; }
};

class TFontDialog : public TCommonDialog {
  DECLARE_CLASS(TFontDialog, TCommonDialog)
  explicit TFontDialog(TComponent* AOwner);
  bool Execute() override;
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }

 private:
  std::unique_ptr<TFont> FFont;
};

class TPrintDialog : public TCommonDialog {
  DECLARE_CLASS(TPrintDialog, TCommonDialog)
  explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  int Copies() const { return FCopies; }
  void SetCopies(int Value) { FCopies = Value; }
  int FromPage() const { return FFromPage; }
  int ToPage() const { return FToPage; }
  // The printer chosen (empty: the default printer).
  const std::string& PrinterName() const { return FPrinterName; }

 private:
  int FCopies = 1;
  int FFromPage = 0;
  int FToPage = 0;
  std::string FPrinterName;
};
