// Qt's own texts in the program's language. Qt-free: the host's start-up calls it.
#pragma once

namespace host {

// The program speaks Chinese whatever the desktop's language, so Qt's own texts (the standard buttons
// of message boxes, the open, save, folder, font and print dialogs) are loaded from Qt's Chinese
// translations (Debian's qt6-translations-l10n). Call after the application object exists; calling
// again does nothing. False when the translations are not installed: Qt's texts then stay English.
bool InstallQtTranslations();

}  // namespace host
