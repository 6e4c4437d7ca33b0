// The try-on program: a real window on the desktop.
#include "app/Program.h"
#include "platform/host/run.h"

int main(int argc, char** argv) {
  return host::RunHostedProgram(argc, argv, [] { return Program::Run(); });
}
