// The one dialog service: every message box and common dialog goes through Dialogs(). The host
// installs native dialogs; tests install ScriptedDialogs. With nothing installed a headless default
// answers message boxes with their default button and cancels every other dialog.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/win/windows.h"

namespace win {

// Font style bits
constexpr unsigned kFontBold = 1;
constexpr unsigned kFontItalic = 2;
constexpr unsigned kFontUnderline = 4;
constexpr unsigned kFontStrikeOut = 8;

struct FontChoice {
  std::string face;
  int pointSize = 9;
  unsigned style = 0;  // kFont* bits
  COLORREF color = 0;
};

struct FileDialogOptions {
  std::string title;       // empty: the dialog's own title
  std::string filter;      // "Pictures|*.bmp;*.png|All files|*.*"
  int filterIndex = 1;     // 1-based, as the class library counts
  std::string initialDir;
  std::string fileName;    // proposed name
  std::string defaultExt;  // without the dot; added when the typed name has no extension
  bool overwritePrompt = true;
  bool mustExist = true;
};

struct PrintOptions {
  int copies = 1;
  int fromPage = 0;  // 0: all
  int toPage = 0;
  std::string printerName;
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Returns IDOK, IDCANCEL, IDYES, IDNO... as MessageBox does.
  virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) = 0;
  // On confirmation fills fileName (and filterIndex) and returns true.
  virtual bool OpenFile(HWND owner, FileDialogOptions& options, std::string& fileName) = 0;
  virtual bool SaveFile(HWND owner, FileDialogOptions& options, std::string& fileName) = 0;
  virtual bool SelectFolder(HWND owner, const std::string& caption, const std::string& initialDir,
                            std::string& folder) = 0;
  virtual bool ChooseFont(HWND owner, FontChoice& font) = 0;
  virtual bool Print(HWND owner, PrintOptions& options) = 0;
  // A message dialog with any set of buttons, each named by the number it answers with (IDOK,
  // IDYES, ... and kDialogResultAll, kDialogResultNoToAll, kDialogResultYesToAll). Returns the
  // pressed button's number, `cancelResult` when it was closed another way. Without an
  // implementation of its own a service answers with `defaultResult`, as a confirmed box would.
  virtual int MessageDialog(HWND /*owner*/, const std::string& /*text*/, const std::string& /*caption*/,
                            UINT /*iconFlags*/, const std::vector<int>& /*buttons*/, int defaultResult,
                            int /*cancelResult*/) {
    return defaultResult;
  }
};

// Answers of message-dialog buttons that message boxes do not have.
constexpr int kDialogResultAll = 8;
constexpr int kDialogResultNoToAll = 9;
constexpr int kDialogResultYesToAll = 10;
// The caption a message-dialog button carries.
std::string DialogButtonCaption(int result);

// Borrowed; nullptr restores the headless default.
void SetDialogService(DialogService* service);
DialogService& Dialogs();

// The button a message box of these flags answers with when it is just confirmed (its default button).
int DefaultMessageBoxResult(UINT flags);

enum class DialogKind { MessageBox, OpenFile, SaveFile, Folder, Font, Print, MessageDialog };

// One recorded request: text/caption/flags for message boxes; options for file dialogs; caption and
// initial folder for the folder picker; the proposed font for the font dialog.
struct DialogRequest {
  DialogKind kind = DialogKind::MessageBox;
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT flags = 0;
  std::vector<int> buttons;  // message dialogs: the buttons' answers, in order
  int defaultButton = 0;     // message dialogs: the answer of the default button
  FileDialogOptions file;
  std::string initialDir;
  FontChoice font;
  PrintOptions print;
};

// A scripted answer. For message boxes `result`; for the others `accept` plus the chosen value.
struct DialogAnswer {
  int result = IDOK;
  bool accept = true;
  std::string path;  // file or folder
  int filterIndex = 0;  // 0: keep the caller's
  FontChoice font;
  PrintOptions print;
};

// Answers from a queue (first in, first out) and records every request. An empty queue answers like the
// headless default (default button; cancel). Install with Install() (uninstalled on destruction).
class ScriptedDialogs : public DialogService {
 public:
  ScriptedDialogs() = default;
  ~ScriptedDialogs() override;
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  void Install();
  void Uninstall();

  void PushResult(int messageBoxResult);
  void PushFile(const std::string& path, int filterIndex = 0);
  void PushFolder(const std::string& path);
  void PushFont(const FontChoice& font);
  void PushPrint(const PrintOptions& options);
  void PushCancel();
  void PushAnswer(const DialogAnswer& answer) { answers_.push_back(answer); }

  const std::vector<DialogRequest>& Requests() const { return requests_; }
  // The texts of all message boxes so far, in order.
  std::vector<std::string> MessageTexts() const;
  void Clear() {
    requests_.clear();
    answers_.clear();
  }
  std::size_t PendingAnswers() const { return answers_.size(); }

  int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  bool OpenFile(HWND owner, FileDialogOptions& options, std::string& fileName) override;
  bool SaveFile(HWND owner, FileDialogOptions& options, std::string& fileName) override;
  bool SelectFolder(HWND owner, const std::string& caption, const std::string& initialDir,
                    std::string& folder) override;
  bool ChooseFont(HWND owner, FontChoice& font) override;
  bool Print(HWND owner, PrintOptions& options) override;
  // Answers with the next result when it is one of the buttons; otherwise (or with a cancel answer)
  // the cancel result; an empty queue gives the default button.
  int MessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT iconFlags,
                    const std::vector<int>& buttons, int defaultResult, int cancelResult) override;

 private:
  bool Next(DialogAnswer& answer);
  std::vector<DialogRequest> requests_;
  std::deque<DialogAnswer> answers_;
  bool installed_ = false;
};

}  // namespace win
