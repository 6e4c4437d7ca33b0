// Native dialogs for the dialog service; the program's queue keeps running while they are open.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include "platform/host/qt_host.h"
#include "platform/printers/printer_setup.h"

namespace host {

namespace {

// Runs the program's queue every few milliseconds while a nested Qt loop runs. The dialog had the
// keyboard meanwhile: when it is over, modifier keys let go in it are let go in the program too.
class NestedPump {
 public:
  explicit NestedPump(QtHost& host) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [&host] { host.PumpNested(); });
    timer_.start();
  }
  ~NestedPump() { win::SyncModifierKeys(); }
  NestedPump(const NestedPump&) = delete;
  NestedPump& operator=(const NestedPump&) = delete;

 private:
  QTimer timer_;
};

}  // namespace

QWidget* QtDialogs::OwnerWidget(HWND owner) const {
  if (!owner) owner = GetActiveWindow();
  HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  HostWindow* w = host_.WidgetOf(top);
  return w && w->isVisible() ? w : nullptr;
}

int QtDialogs::MessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT iconFlags,
                             const std::vector<int>& buttons, int defaultResult, int cancelResult) {
  QMessageBox box(OwnerWidget(owner));
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (iconFlags & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  std::vector<std::pair<QPushButton*, int>> made;
  for (int b : buttons) {
    // The style's own buttons where there is one (they carry the translated captions); "All" has none.
    QMessageBox::StandardButton standard = QMessageBox::NoButton;
    switch (b) {
      case IDOK: standard = QMessageBox::Ok; break;
      case IDCANCEL: standard = QMessageBox::Cancel; break;
      case IDABORT: standard = QMessageBox::Abort; break;
      case IDRETRY: standard = QMessageBox::Retry; break;
      case IDIGNORE: standard = QMessageBox::Ignore; break;
      case IDYES: standard = QMessageBox::Yes; break;
      case IDNO: standard = QMessageBox::No; break;
      case win::kDialogResultNoToAll: standard = QMessageBox::NoToAll; break;
      case win::kDialogResultYesToAll: standard = QMessageBox::YesToAll; break;
      default: break;
    }
    QMessageBox::ButtonRole role = b == cancelResult ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
    QPushButton* pb = standard != QMessageBox::NoButton
                          ? box.addButton(standard)
                          : box.addButton(QString::fromStdString(win::DialogButtonCaption(b)), role);
    made.emplace_back(pb, b);
    if (b == defaultResult) box.setDefaultButton(pb);
    if (b == cancelResult) box.setEscapeButton(pb);
  }
  NestedPump pump(host_);
  box.exec();
  for (auto& [pb, result] : made)
    if (box.clickedButton() == pb) return result;
  return cancelResult;
}

int QtDialogs::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  QMessageBox box(OwnerWidget(owner));
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct Button {
    int id;
    QMessageBox::StandardButton qt;
  };
  std::vector<Button> buttons;
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{IDOK, QMessageBox::Ok}, {IDCANCEL, QMessageBox::Cancel}}; break;
    case MB_ABORTRETRYIGNORE: buttons = {{IDABORT, QMessageBox::Abort}, {IDRETRY, QMessageBox::Retry}, {IDIGNORE, QMessageBox::Ignore}}; break;
    case MB_YESNOCANCEL: buttons = {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {IDCANCEL, QMessageBox::Cancel}}; break;
    case MB_YESNO: buttons = {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}}; break;
    case MB_RETRYCANCEL: buttons = {{IDRETRY, QMessageBox::Retry}, {IDCANCEL, QMessageBox::Cancel}}; break;
    default: buttons = {{IDOK, QMessageBox::Ok}}; break;
  }
  for (auto& b : buttons) box.addButton(b.qt);
  std::size_t def = (flags & MB_DEFMASK) >> 8;
  if (def >= buttons.size()) def = 0;
  box.setDefaultButton(buttons[def].qt);
  NestedPump pump(host_);
  int r = box.exec();
  for (auto& b : buttons)
    if (r == b.qt) return b.id;
  // Closed with the window's close button: Cancel when there is one, else the only button.
  for (auto& b : buttons)
    if (b.id == IDCANCEL) return IDCANCEL;
  return buttons.size() == 1 ? buttons[0].id : IDCANCEL;
}

static QString StartPath(const win::FileDialogOptions& o) {
  QString dir = QString::fromStdString(o.initialDir);
  QString name = QString::fromStdString(o.fileName);
  if (name.isEmpty()) return dir;
  if (QFileInfo(name).isAbsolute() || dir.isEmpty()) return name;
  return dir + u'/' + name;
}

static bool RunFileDialog(QtHost& host, QWidget* parent, win::FileDialogOptions& o, std::string& fileName, bool save) {
  QFileDialog dlg(parent, QString::fromStdString(o.title));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : (o.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
  QStringList filters = QtFilters(o.filter);
  if (!filters.isEmpty()) {
    dlg.setNameFilters(filters);
    int index = std::clamp(o.filterIndex, 1, static_cast<int>(filters.size())) - 1;
    dlg.selectNameFilter(filters[index]);
  }
  if (!o.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(o.defaultExt));
  if (save && !o.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite);
  QString start = StartPath(o);
  if (!o.initialDir.empty()) dlg.setDirectory(QString::fromStdString(o.initialDir));
  if (!o.fileName.empty()) dlg.selectFile(start);
  NestedPump pump(host);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  fileName = dlg.selectedFiles().first().toStdString();
  int chosen = static_cast<int>(filters.indexOf(dlg.selectedNameFilter()));
  if (chosen >= 0) o.filterIndex = chosen + 1;
  return true;
}

bool QtDialogs::OpenFile(HWND owner, win::FileDialogOptions& o, std::string& fileName) {
  return RunFileDialog(host_, OwnerWidget(owner), o, fileName, false);
}

bool QtDialogs::SaveFile(HWND owner, win::FileDialogOptions& o, std::string& fileName) {
  return RunFileDialog(host_, OwnerWidget(owner), o, fileName, true);
}

bool QtDialogs::SelectFolder(HWND owner, const std::string& caption, const std::string& initialDir, std::string& folder) {
  NestedPump pump(host_);
  QString r = QFileDialog::getExistingDirectory(OwnerWidget(owner), QString::fromStdString(caption),
                                                QString::fromStdString(initialDir));
  if (r.isEmpty()) return false;
  folder = r.toStdString();
  return true;
}

bool QtDialogs::ChooseFont(HWND owner, win::FontChoice& font) {
  QFont initial(QString::fromStdString(font.face));
  if (font.pointSize > 0) initial.setPointSize(font.pointSize);
  initial.setBold(font.style & win::kFontBold);
  initial.setItalic(font.style & win::kFontItalic);
  initial.setUnderline(font.style & win::kFontUnderline);
  initial.setStrikeOut(font.style & win::kFontStrikeOut);
  bool ok = false;
  NestedPump pump(host_);
  QFont f = QFontDialog::getFont(&ok, initial, OwnerWidget(owner));
  if (!ok) return false;
  font.face = f.family().toStdString();
  font.pointSize = f.pointSize() > 0 ? f.pointSize() : font.pointSize;
  font.style = (f.bold() ? win::kFontBold : 0) | (f.italic() ? win::kFontItalic : 0) |
               (f.underline() ? win::kFontUnderline : 0) | (f.strikeOut() ? win::kFontStrikeOut : 0);
  return true;  // the colour stays as it was: the native font dialog has none
}

bool QtDialogs::Print(HWND owner, win::PrintOptions& options) {
  // The dialog starts from the program's printer and hands what the user chose back to it.
  QPrinter printer;
  printers::GetPrinterSetup(printer);
  if (!options.printerName.empty()) printer.setPrinterName(QString::fromStdString(options.printerName));
  printer.setCopyCount(std::max(1, options.copies));
  if (options.fromPage > 0) printer.setFromTo(options.fromPage, std::max(options.fromPage, options.toPage));
  QPrintDialog dlg(&printer, OwnerWidget(owner));
  NestedPump pump(host_);
  if (dlg.exec() != QDialog::Accepted) return false;
  printers::SetPrinterSetup(printer);
  options.copies = printer.copyCount();
  options.fromPage = printer.fromPage();
  options.toPage = printer.toPage();
  options.printerName = printer.printerName().toStdString();
  return true;
}

}  // namespace host
