// The try-on program: a real window on the desktop, its controls drawn in the desktop's style.
#include <malloc.h>

#include "app/Program.h"
#include "platform/host/run.h"
#include "platform/host/theme.h"

namespace {

// The program works with pictures of a few hundred kilobytes to a few megabytes: decoded files, their
// drawing copies, gradients and window buffers, many of them short-lived and made on picture-loading
// threads. By default each would be a fresh mapping, faulted in page by page and unmapped when freed,
// and each loading thread would grow its own heap; kept in one heap, freed picture memory is reused.
// Must run before the first thread exists.
void TuneAllocator() {
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 16 << 20);
  mallopt(M_TRIM_THRESHOLD, 32 << 20);
}

}  // namespace

int main(int argc, char** argv) {
  TuneAllocator();
  host::InstallThemePainter();
  return host::RunHostedProgram(argc, argv, [] { return Program::Run(); });
}
