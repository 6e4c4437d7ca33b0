#include "effects/EffectsProbes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <mmintrin.h>
#define EFFECTS_X86 1
#endif

namespace EffectsProbes {

bool UseMMX = false;
bool IsWindowsNT = false;
bool TransparentBltAvailable = false;
HMODULE Msimg32Module = nullptr;
HMODULE User32Module = nullptr;
TTransparentBltProc TransparentBltProc = nullptr;
TMonitorFromWindowProc MonitorFromWindowProc = nullptr;
TGetMonitorInfoProc GetMonitorInfoProc = nullptr;
FARPROC GetScrollBarInfoProc = nullptr;
FARPROC SetLayeredWindowAttributesProc = nullptr;
FARPROC UpdateLayeredWindowProc = nullptr;

namespace {

TProbeInputs& Inputs() {
  static TProbeInputs inputs;
  return inputs;
}
int& CpuidCounter() {
  static int n = 0;
  return n;
}

bool RealFlagsToggleId() {
#if defined(__x86_64__)
  std::uint64_t before, after;
  // Steps over the red zone first: the pushes must not overwrite what the compiler keeps below the stack
  // pointer.
  asm volatile(
      "subq $128, %%rsp\n\t"
      "pushfq\n\t"
      "pushfq\n\t"
      "popq %0\n\t"
      "movq %0, %1\n\t"
      "xorq $0x200000, %1\n\t"
      "pushq %1\n\t"
      "popfq\n\t"
      "pushfq\n\t"
      "popq %1\n\t"
      "popfq\n\t"
      "addq $128, %%rsp\n\t"
      : "=&r"(before), "=&r"(after)
      :
      : "cc");
  return ((before ^ after) & 0x200000) != 0;
#elif defined(__i386__)
  std::uint32_t before, after;
  asm volatile(
      "pushfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "popfl\n\t"
      : "=&r"(before), "=&r"(after)
      :
      : "cc");
  return ((before ^ after) & 0x200000) != 0;
#else
  return false;
#endif
}

void RealCpuid(std::uint32_t leaf, std::uint32_t regs[4]) {
#ifdef EFFECTS_X86
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid(leaf, a, b, c, d);
  regs[0] = a;
  regs[1] = b;
  regs[2] = c;
  regs[3] = d;
#else
  (void)leaf;
  regs[0] = regs[1] = regs[2] = regs[3] = 0;
#endif
}

void Leaf1(std::uint32_t regs[4]) {
  ++CpuidCounter();
  if (Inputs().Cpuid)
    Inputs().Cpuid(1, regs);
  else
    RealCpuid(1, regs);
}

}  // namespace

void SetProbeInputs(TProbeInputs NewInputs) {
  Inputs() = std::move(NewInputs);
  CpuidCounter() = 0;
}
void ResetProbeInputs() { SetProbeInputs({}); }
int CpuidCount() { return CpuidCounter(); }

int RectWidth(const TRect& R) { return R.Right - R.Left; }
int RectHeight(const TRect& R) { return R.Bottom - R.Top; }

bool HasCPUID() { return Inputs().FlagsToggleId ? Inputs().FlagsToggleId() : RealFlagsToggleId(); }

std::uint32_t ProcessorSignature() {
  std::uint32_t r[4];
  Leaf1(r);
  return r[0];
}

std::uint32_t ProcessorFeatures() {
  std::uint32_t r[4];
  Leaf1(r);
  return r[3];
}

bool HasMMX() {
  if (!HasCPUID()) return false;
  if (((ProcessorSignature() >> 8) & 0xF) <= 4) return false;
  return (ProcessorFeatures() & (1u << 23)) != 0;
}

void ClearMMXState() {
#ifdef EFFECTS_X86
  if (UseMMX) _mm_empty();
#endif
}

void GetWindowsVersion(int& Major, int& Minor) {
  const DWORD v = Inputs().Version ? Inputs().Version() : ::GetVersion();
  Major = static_cast<int>(v & 0xFF);
  Minor = static_cast<int>((v >> 8) & 0xFF);
}

bool IsWindows2000OrLater() {
  int major = 0, minor = 0;
  GetWindowsVersion(major, minor);
  return major > 5 || (major == 5 && minor <= 2);
}

void LoadMsimg32() {
  if (!IsWindows2000OrLater()) return;
  Msimg32Module = ::LoadLibrary("msimg32.dll");
  if (Msimg32Module) {
    TransparentBltProc = reinterpret_cast<TTransparentBltProc>(::GetProcAddress(Msimg32Module, "TransparentBlt"));
    // Only a function that was found is announced, so nobody calls through a null pointer.
    TransparentBltAvailable = TransparentBltProc != nullptr;
  }
}

}  // namespace EffectsProbes

namespace EffectsProbesUnit {

using namespace EffectsProbes;

void Initialize() {
  UseMMX = HasMMX();
  User32Module = ::GetModuleHandle("user32.dll");
  if (User32Module) {
    MonitorFromWindowProc = reinterpret_cast<TMonitorFromWindowProc>(::GetProcAddress(User32Module, "MonitorFromWindow"));
    GetMonitorInfoProc = reinterpret_cast<TGetMonitorInfoProc>(::GetProcAddress(User32Module, "GetMonitorInfoA"));
    GetScrollBarInfoProc = ::GetProcAddress(User32Module, "GetScrollBarInfo");
    SetLayeredWindowAttributesProc = ::GetProcAddress(User32Module, "SetLayeredWindowAttributes");
    UpdateLayeredWindowProc = ::GetProcAddress(User32Module, "UpdateLayeredWindow");
  }
  LoadMsimg32();
  // The NT family has the top bit of GetVersion's result clear.
  const DWORD v = Inputs().Version ? Inputs().Version() : ::GetVersion();
  IsWindowsNT = (v & 0x80000000u) == 0;
}

void Finalize() {
  if (Msimg32Module) {
    ::FreeLibrary(Msimg32Module);
    Msimg32Module = nullptr;
  }
  // The released module's function must not be called any more.
  TransparentBltProc = nullptr;
  TransparentBltAvailable = false;
  MonitorFromWindowProc = nullptr;
  GetMonitorInfoProc = nullptr;
  GetScrollBarInfoProc = nullptr;
}

}  // namespace EffectsProbesUnit
