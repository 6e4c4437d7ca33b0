// Resources the program carries by name, as a resource section would hold them. Qt-free: the
// libraries register their own cursors at unit start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win {

// A cursor that LoadCursor(program instance, Name) finds (names compare without regard to case; a
// later registration under the same name takes its place for later loads). Pixels are 0xAARRGGBB,
// top row first; a size that does not match the pixels is refused.
bool RegisterCursorResource(const std::string& Name, int Width, int Height, const std::vector<std::uint32_t>& Argb,
                            int HotX, int HotY);

// The class library's own cursors, always present: "HSPLIT" and "VSPLIT" (split bars), "DRAG",
// "MULTIDRAG" and "NODROP" (drag and drop), "SQLWAIT" (a query running).
bool HasCursorResource(const std::string& Name);

}  // namespace win
