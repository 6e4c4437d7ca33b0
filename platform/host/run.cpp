// RunHostedProgram: the Qt application around the program's own message loop.
#include "platform/host/run.h"

#include <QApplication>

#include "platform/host/qt_clipboard.h"
#include "platform/host/qt_host.h"
#include "platform/host/translations.h"

namespace host {

int RunHostedProgram(int& argc, char** argv, const std::function<int()>& body) {
  QApplication app(argc, argv);
  // The program's windows close themselves through WM_CLOSE; Qt must not end anything on its own.
  app.setQuitOnLastWindowClosed(false);
  InstallQtTranslations();
  QtHost qtHost;
  qtHost.Install();
  QtDialogs dialogs(qtHost);
  win::SetDialogService(&dialogs);
  QtClipboard clipboard;
  win::InstallClipboardBackend(&clipboard);
  int result = body ? body() : 0;
  win::InstallClipboardBackend(nullptr);
  win::SetDialogService(nullptr);
  qtHost.Uninstall();
  return result;
}

}  // namespace host
