// The try-on program: a real window on the desktop, its controls drawn in the desktop's style.
#include "app/Program.h"
#include "platform/host/run.h"
#include "platform/host/theme.h"

int main(int argc, char** argv) {
  host::InstallThemePainter();
  return host::RunHostedProgram(argc, argv, [] { return Program::Run(); });
}
