// Shared geometry of the two portraits, so that hair styles and cell backdrops fit them.
#pragma once

#include "tools/raster.h"

namespace art {

// Portrait size and the way a hair picture lands on it: the program centres the portrait in its
// picture area and the hair picture 16 pixels left of and 14 pixels above that centre.
constexpr int kPortraitW = 360, kPortraitH = 480;
constexpr int kHairW = 332, kHairH = 400;
constexpr double kHairShiftX = -16, kHairShiftY = -14;
// Hair picture pixel (hx, hy) lies on portrait pixel (hx + kHairToPortraitX, hy + kHairToPortraitY).
constexpr double kHairToPortraitX = kPortraitW / 2.0 + kHairShiftX - kHairW / 2.0;
constexpr double kHairToPortraitY = kPortraitH / 2.0 + kHairShiftY - kHairH / 2.0;

// Hair cells: backdrop at (0, 0, 115, 146), hair scaled by 1/2.6087 at (-8, 1).
constexpr int kCellW = 115, kCellH = 146;
constexpr double kCellScale = 2.6087, kCellHairX = -8, kCellHairY = 1;

struct Head {
    bool woman = true;
    double cx = 180;
    double skullCy = 160, skullRx = 68, skullRy = 84;  // the cranium ellipse
    double hairlineY = 106;                              // top of the forehead at the centre
    double templeHalfW = 60;                             // half width of the face at the temples
    double eyeY = 172, chinY = 264;
    double earTop = 154, earBottom = 208;
    double neckHalfW = 31;
    double shoulderY = 318;

    double skullTop() const { return skullCy - skullRy; }
    double left() const { return cx - skullRx; }
    double right() const { return cx + skullRx; }
};

Head womanHead();
Head manHead();

// Face outline (forehead at the hairline down to the chin), in portrait coordinates.
Polygon faceOutline(const Head& h);

// The model's own close hair, which every style must cover; the neck; the shoulders.
Polygon ownHairOutline(const Head& h);
Polygon neckOutline(const Head& h);
Polygon torsoOutline(const Head& h);

Image drawPortrait(const Head& h, bool withBackground);
struct HairSet {
    std::vector<Image> women, men;
};
HairSet drawHairStyles(const Head& woman, const Head& man);
Image drawBackdrop(const Head& h);

}  // namespace art
