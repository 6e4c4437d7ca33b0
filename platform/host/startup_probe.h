// Start-up measurement for the start-up benchmark (bench/startup_bench.cpp). Qt-free.
#pragma once

namespace host {

// When the environment variable TRESSORA_STARTUP_PROBE names an open file descriptor, the first time a
// top-level window reaches the screen with the program's own drawing in it, one byte is written to that
// descriptor and the process ends at once (nothing else is worth measuring after it). Without the
// variable, or with a value that is not a descriptor, nothing happens.
bool StartupProbeArmed();
void StartupProbeFirstPaint();

}  // namespace host
