#include "platform/host/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace host {

bool InstallQtTranslations() {
  static QTranslator* installed = nullptr;  // lives as long as the application: Qt keeps a pointer to it
  if (installed) return true;
  if (!QCoreApplication::instance()) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  QObject::connect(translator, &QObject::destroyed, [] { installed = nullptr; });
  return true;
}

}  // namespace host
