// The program's smaller pictures: logo, rotate cursor, print frames and toolbar images.
#pragma once

#include <string>

#include "tools/raster.h"

namespace art {

Image drawLogo();
Image drawRotateCursor();
constexpr int kFrameCount = 5;
Image drawFrame(int index);
inline constexpr const char* kToolbarNames[] = {"SelectModel", "OpenPicture", "SavePicture", "Print",
                                                 "ClearHair",   "ModelColor",  "HairColor",   "About"};
Image drawToolbarImage(const std::string& command);

}  // namespace art
