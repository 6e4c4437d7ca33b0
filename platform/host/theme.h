// The desktop's own look for the standard controls. Qt-free: the program's start-up includes it.
#pragma once

namespace host {

// Puts the styled painter in place of the plain one. It may be called before the QApplication exists:
// the style is looked up at each paint, and until there is an application the plain look is drawn.
void InstallThemePainter();
// Brings the plain painter back and frees the styled one.
void UninstallThemePainter();

}  // namespace host
