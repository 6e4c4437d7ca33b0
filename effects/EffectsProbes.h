// Start-up probes of the effects subsystem: processor features (MMX through CPUID), the system version
// and the optional system functions looked up by name. Also the two rectangle measures.
//
// Every input the probes read can be replaced for tests (TProbeInputs); by default they ask this
// processor and the platform layer's module emulation.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/graphics/graphics.h"
#include "platform/win/windows.h"

namespace EffectsProbes {

int RectWidth(const TRect& R);
int RectHeight(const TRect& R);

// Where the probes get their answers. Empty members use the real source.
struct TProbeInputs {
  // Whether bit 21 of the flags register can be toggled.
  std::function<bool()> FlagsToggleId;
  // CPUID of a leaf: EAX, EBX, ECX, EDX.
  std::function<void(std::uint32_t Leaf, std::uint32_t Regs[4])> Cpuid;
  // GetVersion's result.
  std::function<DWORD()> Version;
};
void SetProbeInputs(TProbeInputs Inputs);
void ResetProbeInputs();
// How many times CPUID was executed (or asked of the replacement) since the last reset; for tests.
int CpuidCount();

bool HasCPUID();
std::uint32_t ProcessorSignature();  // EAX of leaf 1
std::uint32_t ProcessorFeatures();   // EDX of leaf 1
bool HasMMX();
// EMMS when UseMMX is set, otherwise nothing.
void ClearMMXState();

void GetWindowsVersion(int& Major, int& Minor);
bool IsWindows2000OrLater();
// Only on Windows 2000 or later: loads "msimg32.dll" and looks up TransparentBlt.
void LoadMsimg32();

// Unit state.
using TTransparentBltProc = BOOL (*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
using TMonitorFromWindowProc = HMONITOR (*)(HWND, DWORD);
using TGetMonitorInfoProc = BOOL (*)(HMONITOR, MONITORINFO*);
extern bool UseMMX;
extern bool IsWindowsNT;
extern bool TransparentBltAvailable;
extern HMODULE Msimg32Module;
extern HMODULE User32Module;
extern TTransparentBltProc TransparentBltProc;
extern TMonitorFromWindowProc MonitorFromWindowProc;
extern TGetMonitorInfoProc GetMonitorInfoProc;
extern FARPROC GetScrollBarInfoProc;
extern FARPROC SetLayeredWindowAttributesProc;
extern FARPROC UpdateLayeredWindowProc;

}  // namespace EffectsProbes

// Unit start-up: runs after EffectsBitmapUnit.
namespace EffectsProbesUnit {
void Initialize();
void Finalize();
}  // namespace EffectsProbesUnit
