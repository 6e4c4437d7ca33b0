// The dialog service: the headless default and the scripted service for tests.
#include "platform/win/dialogs.h"

namespace win {

int DefaultMessageBoxResult(UINT flags) {
  int buttons[3] = {IDOK, 0, 0};
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons[0] = IDOK, buttons[1] = IDCANCEL; break;
    case MB_ABORTRETRYIGNORE: buttons[0] = IDABORT, buttons[1] = IDRETRY, buttons[2] = IDIGNORE; break;
    case MB_YESNOCANCEL: buttons[0] = IDYES, buttons[1] = IDNO, buttons[2] = IDCANCEL; break;
    case MB_YESNO: buttons[0] = IDYES, buttons[1] = IDNO; break;
    case MB_RETRYCANCEL: buttons[0] = IDRETRY, buttons[1] = IDCANCEL; break;
    default: break;
  }
  int index = static_cast<int>((flags & MB_DEFMASK) >> 8);
  if (index < 0 || index > 2 || buttons[index] == 0) index = 0;
  return buttons[index];
}

namespace {
class HeadlessDialogs : public DialogService {
 public:
  int MessageBox(HWND, const std::string&, const std::string&, UINT flags) override { return DefaultMessageBoxResult(flags); }
  bool OpenFile(HWND, FileDialogOptions&, std::string&) override { return false; }
  bool SaveFile(HWND, FileDialogOptions&, std::string&) override { return false; }
  bool SelectFolder(HWND, const std::string&, const std::string&, std::string&) override { return false; }
  bool ChooseFont(HWND, FontChoice&) override { return false; }
  bool Print(HWND, PrintOptions&) override { return false; }
};
HeadlessDialogs g_headless;
DialogService* g_service = nullptr;
}  // namespace

void SetDialogService(DialogService* service) { g_service = service; }
DialogService& Dialogs() { return g_service ? *g_service : g_headless; }

ScriptedDialogs::~ScriptedDialogs() { Uninstall(); }

void ScriptedDialogs::Install() {
  SetDialogService(this);
  installed_ = true;
}

void ScriptedDialogs::Uninstall() {
  if (installed_ && &Dialogs() == this) SetDialogService(nullptr);
  installed_ = false;
}

void ScriptedDialogs::PushResult(int r) {
  DialogAnswer a;
  a.result = r;
  answers_.push_back(a);
}
void ScriptedDialogs::PushFile(const std::string& path, int filterIndex) {
  DialogAnswer a;
  a.path = path;
  a.filterIndex = filterIndex;
  answers_.push_back(a);
}
void ScriptedDialogs::PushFolder(const std::string& path) {
  DialogAnswer a;
  a.path = path;
  answers_.push_back(a);
}
void ScriptedDialogs::PushFont(const FontChoice& font) {
  DialogAnswer a;
  a.font = font;
  answers_.push_back(a);
}
void ScriptedDialogs::PushPrint(const PrintOptions& options) {
  DialogAnswer a;
  a.print = options;
  answers_.push_back(a);
}
void ScriptedDialogs::PushCancel() {
  DialogAnswer a;
  a.accept = false;
  a.result = IDCANCEL;
  answers_.push_back(a);
}

std::vector<std::string> ScriptedDialogs::MessageTexts() const {
  std::vector<std::string> r;
  for (auto& q : requests_)
    if (q.kind == DialogKind::MessageBox || q.kind == DialogKind::MessageDialog) r.push_back(q.text);
  return r;
}

std::string DialogButtonCaption(int result) {
  switch (result) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "&Abort";
    case IDRETRY: return "&Retry";
    case IDIGNORE: return "&Ignore";
    case IDYES: return "&Yes";
    case IDNO: return "&No";
    case kDialogResultAll: return "&All";
    case kDialogResultNoToAll: return "N&o to All";
    case kDialogResultYesToAll: return "Yes to &All";
  }
  return "&Help";
}

int ScriptedDialogs::MessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT iconFlags,
                                   const std::vector<int>& buttons, int defaultResult, int cancelResult) {
  DialogRequest q;
  q.kind = DialogKind::MessageDialog;
  q.owner = owner;
  q.text = text;
  q.caption = caption;
  q.flags = iconFlags;
  q.buttons = buttons;
  q.defaultButton = defaultResult;
  requests_.push_back(q);
  DialogAnswer a;
  if (!Next(a)) return defaultResult;
  if (!a.accept) return cancelResult;
  for (int b : buttons)
    if (b == a.result) return b;
  return cancelResult;
}

bool ScriptedDialogs::Next(DialogAnswer& a) {
  if (answers_.empty()) return false;
  a = answers_.front();
  answers_.pop_front();
  return true;
}

int ScriptedDialogs::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  DialogRequest q;
  q.kind = DialogKind::MessageBox;
  q.owner = owner;
  q.text = text;
  q.caption = caption;
  q.flags = flags;
  requests_.push_back(q);
  DialogAnswer a;
  if (!Next(a)) return DefaultMessageBoxResult(flags);
  return a.accept ? a.result : IDCANCEL;
}

static bool FileAnswer(ScriptedDialogs&, bool has, const DialogAnswer& a, FileDialogOptions& o, std::string& name) {
  if (!has || !a.accept) return false;
  name = a.path;
  if (a.filterIndex > 0) o.filterIndex = a.filterIndex;
  return true;
}

bool ScriptedDialogs::OpenFile(HWND owner, FileDialogOptions& options, std::string& fileName) {
  DialogRequest q;
  q.kind = DialogKind::OpenFile;
  q.owner = owner;
  q.caption = options.title;
  q.file = options;
  requests_.push_back(q);
  DialogAnswer a;
  bool has = Next(a);
  return FileAnswer(*this, has, a, options, fileName);
}

bool ScriptedDialogs::SaveFile(HWND owner, FileDialogOptions& options, std::string& fileName) {
  DialogRequest q;
  q.kind = DialogKind::SaveFile;
  q.owner = owner;
  q.caption = options.title;
  q.file = options;
  requests_.push_back(q);
  DialogAnswer a;
  bool has = Next(a);
  return FileAnswer(*this, has, a, options, fileName);
}

bool ScriptedDialogs::SelectFolder(HWND owner, const std::string& caption, const std::string& initialDir, std::string& folder) {
  DialogRequest q;
  q.kind = DialogKind::Folder;
  q.owner = owner;
  q.caption = caption;
  q.initialDir = initialDir;
  requests_.push_back(q);
  DialogAnswer a;
  if (!Next(a) || !a.accept) return false;
  folder = a.path;
  return true;
}

bool ScriptedDialogs::ChooseFont(HWND owner, FontChoice& font) {
  DialogRequest q;
  q.kind = DialogKind::Font;
  q.owner = owner;
  q.font = font;
  requests_.push_back(q);
  DialogAnswer a;
  if (!Next(a) || !a.accept) return false;
  font = a.font;
  return true;
}

bool ScriptedDialogs::Print(HWND owner, PrintOptions& options) {
  DialogRequest q;
  q.kind = DialogKind::Print;
  q.owner = owner;
  q.print = options;
  requests_.push_back(q);
  DialogAnswer a;
  if (!Next(a) || !a.accept) return false;
  options = a.print;
  return true;
}

}  // namespace win
