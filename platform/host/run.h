// Entry point for programs shown on screen. Qt-free: the program's main() includes it.
#pragma once

#include <functional>

namespace host {

// Creates the Qt application, installs the host (real windows, native dialogs, clipboard, shell) and
// runs `body`, which runs the program's own message loop (GetMessage waits for Qt events until the next
// timer is due). Returns what `body` returns. QT_QPA_PLATFORM=offscreen gives windows nobody sees.
int RunHostedProgram(int& argc, char** argv, const std::function<int()>& body);

}  // namespace host
