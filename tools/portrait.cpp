// The two model portraits: frontal head and shoulders on a soft studio background.
#include <algorithm>
#include <cmath>

#include "tools/figure.h"

namespace art {

namespace {

// Draws a path on a separate layer, blurs it and lays it over the canvas, optionally only where
// the mask allows (used for soft shading inside the face).
void soft(Image& img, const Path& p, const Paint& paint, double blur, const std::vector<float>* mask = nullptr,
          Mode mode = Mode::Over) {
    Image layer(img.width(), img.height());
    layer.transform = img.transform;
    layer.fill(p, paint);
    layer.blur(blur);
    if (mask) layer.maskWith(*mask);
    img.composite(layer, 1.0f, mode);
}
void soft(Image& img, const Path& p, Color c, double blur, const std::vector<float>* mask = nullptr) {
    soft(img, p, solid(c), blur, mask);
}

Polygon mirrorX(const Polygon& p, double cx) {
    Polygon q;
    for (Pt v : p) q.push_back({2 * cx - v.x, v.y});
    return q;
}

struct Palette {
    Color skin, skinLight, skinShadow, lip, lipDark, iris, irisDark, brow, ownHair, ownHairLight;
};

Palette paletteFor(const Head& h) {
    if (h.woman)
        return {rgb(0xF1C8A8), rgb(0xFBE0CA), rgb(0xC98E6C), rgb(0xC75F67), rgb(0x8E3440),
                rgb(0x6B8A5A), rgb(0x33452A), rgb(0x4A3022), rgb(0x3A271C), rgb(0x6B4B36)};
    return {rgb(0xDDAA86), rgb(0xF0C6A4), rgb(0xA9704F), rgb(0xB57468), rgb(0x7B4640),
            rgb(0x5A4232), rgb(0x2A1D15), rgb(0x2E2119), rgb(0x231913), rgb(0x4A3628)};
}

void drawBackground(Image& img, const Head& h) {
    Color inner = h.woman ? rgb(0xEDE6E0) : rgb(0xE2E7EC);
    Color outer = h.woman ? rgb(0xA99C97) : rgb(0x7E8C9A);
    img.fill(Path(rect(0, 0, kPortraitW, kPortraitH)),
             radial({h.cx - 20, 170}, 300, 330, {{0.0, inner}, {0.55, mix(inner, outer, 0.45)}, {1.0, outer}}));
}

}  // namespace

Polygon torsoOutline(const Head& h) {
    double nw = h.neckHalfW, sy = h.shoulderY, cx = h.cx;
    double sw = h.woman ? 150 : 168;  // half width at the shoulders
    Polygon p;
    p.push_back({cx - nw - 4, sy - 22});
    cubicTo(p, {cx - nw - 20, sy - 4}, {cx - sw + 50, sy - 2}, {cx - sw + 10, sy + 16});
    cubicTo(p, {cx - sw - 14, sy + 28}, {cx - sw - 26, sy + 80}, {cx - sw - 30, kPortraitH + 2.0});
    p.push_back({cx + sw + 30, kPortraitH + 2.0});
    cubicTo(p, {cx + sw + 26, sy + 80}, {cx + sw + 14, sy + 28}, {cx + sw - 10, sy + 16});
    cubicTo(p, {cx + sw - 50, sy - 2}, {cx + nw + 20, sy - 4}, {cx + nw + 4, sy - 22});
    return p;
}

Polygon neckOutline(const Head& h) {
    double nw = h.neckHalfW, cx = h.cx;
    Polygon p;
    p.push_back({cx - nw, h.chinY - 60});
    cubicTo(p, {cx - nw + 1, h.chinY}, {cx - nw - 2, h.shoulderY - 30}, {cx - nw - 14, h.shoulderY - 12});
    cubicTo(p, {cx - nw - 30, h.shoulderY}, {cx - nw - 40, h.shoulderY + 20}, {cx - nw - 40, h.shoulderY + 30});
    p.push_back({cx + nw + 40, h.shoulderY + 30});
    cubicTo(p, {cx + nw + 40, h.shoulderY + 20}, {cx + nw + 30, h.shoulderY}, {cx + nw + 14, h.shoulderY - 12});
    cubicTo(p, {cx + nw + 2, h.shoulderY - 30}, {cx + nw - 1, h.chinY}, {cx + nw, h.chinY - 60});
    return p;
}

namespace {

Polygon earOutline(const Head& h, bool left) {
    double s = left ? -1 : 1;
    double x0 = h.cx + s * (h.templeHalfW + 1);
    std::vector<Pt> pts = {{x0 - s * 2, h.earTop + 4},
                           {x0 + s * 8, h.earTop - 2},
                           {x0 + s * 13, h.earTop + 10},
                           {x0 + s * 12, h.earTop + 28},
                           {x0 + s * 7, h.earBottom - 4},
                           {x0 - s * 1, h.earBottom + 2},
                           {x0 - s * 6, h.earBottom - 8}};
    return smoothClosed(pts, 10);
}

void drawClothes(Image& img, const Head& h, const Palette& pal) {
    Polygon torso = torsoOutline(h);
    double cx = h.cx;
    if (h.woman) {
        // A sleeveless top with a soft scoop neckline.
        Color cloth = rgb(0x2F6F73), clothDark = rgb(0x1D4C50), clothLight = rgb(0x4C9296);
        Polygon top = torso;
        img.fill(Path(top), linear({cx - 180, 0}, {cx + 180, 0},
                                   {{0, clothDark}, {0.3, cloth}, {0.45, clothLight}, {0.7, cloth}, {1, clothDark}}));
        std::vector<float> torsoMask = img.coverage(Path(top));
        Polygon neckline{{cx - 150, h.shoulderY - 60}, {cx - 100, h.shoulderY - 60}, {cx - 100, h.shoulderY + 2}};
        cubicTo(neckline, {cx - 80, h.shoulderY + 60}, {cx - 50, h.shoulderY + 76}, {cx, h.shoulderY + 78});
        cubicTo(neckline, {cx + 50, h.shoulderY + 76}, {cx + 80, h.shoulderY + 60}, {cx + 100, h.shoulderY + 2});
        neckline.push_back({cx + 100, h.shoulderY - 60});
        img.clip = &torsoMask;
        img.fill(Path(neckline), linear({0, h.shoulderY - 20}, {0, h.shoulderY + 80}, {{0, pal.skin}, {1, shade(pal.skin, 0.95)}}));
        img.clip = nullptr;
        std::vector<float> necklineMask = img.coverage(Path(neckline));
        for (float& v : necklineMask) v = 1 - v;
        for (size_t i = 0; i < necklineMask.size(); ++i) necklineMask[i] *= torsoMask[i];
        std::vector<float>& topMask = necklineMask;
        // Folds and a hem shadow along the neckline.
        Rng rng(11);
        for (int i = 0; i < 7; ++i) {
            double x = cx - 120 + i * 40 + rng.uniform(-8, 8);
            Polygon fold = smoothOpen({{x, kPortraitH + 4.0}, {x + rng.uniform(-10, 10), 430}, {x + rng.uniform(-6, 6), 400}}, 8);
            soft(img, stroke(fold, [](double t) { return 2 + 5 * (1 - t); }), withAlpha(clothDark, 0.45f), 3, &topMask);
        }
        Polygon hem;
        hem.push_back({cx - 100, h.shoulderY + 2});
        cubicTo(hem, {cx - 80, h.shoulderY + 60}, {cx - 50, h.shoulderY + 76}, {cx, h.shoulderY + 78});
        cubicTo(hem, {cx + 50, h.shoulderY + 76}, {cx + 80, h.shoulderY + 60}, {cx + 100, h.shoulderY + 2});

        soft(img, stroke(hem, 5), withAlpha(shade(clothDark, 0.7), 0.7f), 2.0, &topMask);
        img.fill(stroke(hem, 1.2), withAlpha(clothLight, 0.6f));
        // Collarbones.
        for (int s = -1; s <= 1; s += 2) {
            Polygon bone = smoothOpen({{cx + s * 14, h.shoulderY + 8}, {cx + s * 40, h.shoulderY + 4}, {cx + s * 70, h.shoulderY + 6}}, 8);
            soft(img, stroke(bone, [](double t) { return 1 + 3 * std::sin(3.14159 * t); }), withAlpha(pal.skinShadow, 0.5f), 2.0);
        }
        // A thin necklace with a small pendant.
        Polygon chain = smoothOpen({{cx - h.neckHalfW - 6, h.shoulderY - 8}, {cx - 20, h.shoulderY + 22}, {cx, h.shoulderY + 30},
                                    {cx + 20, h.shoulderY + 22}, {cx + h.neckHalfW + 6, h.shoulderY - 8}}, 12);
        img.fill(stroke(chain, 1.3), rgb(0xC9A24A));
        img.fill(Path(ellipse({cx, h.shoulderY + 35}, 4, 5.5)),
                 radial({cx - 1.5, h.shoulderY + 33}, 5, 6, {{0, rgb(0xFFF4C8)}, {0.5, rgb(0xD8B050)}, {1, rgb(0x8A6420)}}));
    } else {
        // A dark jacket over a light shirt with an open collar.
        Color jacket = rgb(0x2C3A4E), jacketDark = rgb(0x19222F), jacketLight = rgb(0x44566E);
        Color shirt = rgb(0xEEF1F4), shirtShade = rgb(0xB9C2CC);
        img.fill(Path(torso), linear({cx - 190, 0}, {cx + 190, 0},
                                     {{0, jacketDark}, {0.25, jacket}, {0.4, jacketLight}, {0.6, jacket}, {1, jacketDark}}));
        Polygon shirtPoly;
        shirtPoly.push_back({cx - 62, h.shoulderY - 6});
        shirtPoly.push_back({cx + 62, h.shoulderY - 6});
        shirtPoly.push_back({cx + 70, kPortraitH + 2.0});
        shirtPoly.push_back({cx - 70, kPortraitH + 2.0});
        img.fill(Path(shirtPoly), linear({cx - 60, 0}, {cx + 60, 0}, {{0, shirtShade}, {0.5, shirt}, {1, shirtShade}}));
        // Open neck: a V of skin.
        Polygon vee{{cx - h.neckHalfW - 6, h.shoulderY - 40}, {cx + h.neckHalfW + 6, h.shoulderY - 40}, {cx, h.shoulderY + 42}};
        img.fill(Path(vee), pal.skin);
        soft(img, Path(ellipse({cx, h.shoulderY + 34}, 6, 10)), withAlpha(pal.skinShadow, 0.5f), 3);
        // Collar wings.
        for (int s = -1; s <= 1; s += 2) {
            double nw = h.neckHalfW, sy = h.shoulderY;
            Polygon collar{{cx + s * (nw - 2), sy - 40}};
            cubicTo(collar, {cx + s * (nw + 8), sy - 36}, {cx + s * (nw + 20), sy - 22}, {cx + s * (nw + 26), sy - 4});
            cubicTo(collar, {cx + s * (nw + 14), sy + 10}, {cx + s * 40, sy + 24}, {cx + s * 26, sy + 40});
            cubicTo(collar, {cx + s * 22, sy + 20}, {cx + s * (nw - 2), sy - 6}, {cx + s * (nw - 6), sy - 22});
            Polygon sm = collar;
            soft(img, Path(sm), withAlpha(rgb(0x2A3038), 0.35f), 3);
            img.fill(Path(sm), linear({cx, h.shoulderY - 30}, {cx + s * 40, h.shoulderY + 40}, {{0, shirt}, {1, shirtShade}}));
            img.fill(closedStroke(sm, 0.8), withAlpha(rgb(0x8E98A4), 0.8f));
        }
        // Jacket with lapels.
        for (int s = -1; s <= 1; s += 2) {
            Polygon side;
            side.push_back({cx + s * 44, h.shoulderY - 2});
            cubicTo(side, {cx + s * 90, h.shoulderY - 4}, {cx + s * 140, h.shoulderY + 4}, {cx + s * 160, h.shoulderY + 26});
            cubicTo(side, {cx + s * 184, h.shoulderY + 60}, {cx + s * 192, h.shoulderY + 120}, {cx + s * 196, kPortraitH + 2.0});
            side.push_back({cx + s * 20, kPortraitH + 2.0});
            side.push_back({cx + s * 22, h.shoulderY + 110});
            side.push_back({cx + s * 40, h.shoulderY + 40});
            img.fill(Path(side), linear({cx + s * 196, 0}, {cx, 0},
                                        {{0, jacketDark}, {0.35, jacket}, {0.7, jacketLight}, {1, jacket}}));
            // Lapel.
            Polygon lapel{{cx + s * 44, h.shoulderY - 2}, {cx + s * 62, h.shoulderY + 4}, {cx + s * 74, h.shoulderY + 56},
                          {cx + s * 54, h.shoulderY + 66}, {cx + s * 24, h.shoulderY + 110}, {cx + s * 40, h.shoulderY + 40}};
            img.fill(Path(lapel), linear({cx + s * 70, 0}, {cx + s * 30, 0}, {{0, jacketDark}, {1, jacketLight}}));
            img.fill(closedStroke(lapel, 1.0), withAlpha(jacketDark, 0.9f));
        }
        // Jacket texture: faint diagonal weave.
        Rng rng(21);
        for (int i = 0; i < 5; ++i) {
            double x = cx - 170 + i * 18 + rng.uniform(-4, 4);
            Polygon fold = smoothOpen({{x, kPortraitH + 4.0}, {x + 10, 430}, {x + 30, 380}}, 8);
            soft(img, stroke(fold, 3), withAlpha(jacketDark, 0.35f), 3);
            Polygon fold2 = mirrorX(fold, cx);
            soft(img, stroke(fold2, 3), withAlpha(jacketDark, 0.35f), 3);
        }
    }
}

void drawEye(Image& img, const Head& h, const Palette& pal, bool left) {
    double s = left ? -1 : 1;
    double ex = h.cx + s * (h.woman ? 28 : 30), ey = h.eyeY;
    double hw = h.woman ? 15.5 : 15, top = h.woman ? 8.5 : 7.0, bottom = h.woman ? 5.5 : 5.0;
    Pt inner{ex - s * hw, ey + 1}, outer{ex + s * hw, ey - (h.woman ? 1.5 : 0.5)};
    // Almond: upper lid peaks slightly inwards, lower lid lower towards the outer corner.
    Polygon eye{inner};
    cubicTo(eye, {ex - s * hw * 0.5, ey - top * 1.25}, {ex + s * hw * 0.45, ey - top * 1.2}, outer);
    cubicTo(eye, {ex + s * hw * 0.5, ey + bottom * 1.2}, {ex - s * hw * 0.45, ey + bottom * 1.3}, inner);
    // Socket shading around the eye.
    soft(img, Path(ellipse({ex, ey - 3}, hw + 6, top + 6)), withAlpha(pal.skinShadow, 0.35f), 4);
    img.fill(Path(eye), radial({ex, ey}, hw, top + 2, {{0, rgb(0xF8F5F2)}, {0.8, rgb(0xE6DEDA)}, {1, rgb(0xC9B8B2)}}));
    std::vector<float> eyeMask = img.coverage(Path(eye));
    const std::vector<float>* saved = img.clip;
    img.clip = &eyeMask;
    double ir = h.woman ? 7.2 : 6.8;
    Pt ic{ex + s * 0.5, ey - 0.5};
    img.fill(Path(ellipse(ic, ir, ir)), radial(ic, ir, ir, {{0, shade(pal.iris, 1.25)}, {0.55, pal.iris}, {0.92, pal.irisDark}, {1, rgb(0x1A1410)}}));
    // Iris fibres.
    for (int k = 0; k < 24; ++k) {
        double a = 6.2831853 * k / 24;
        Polygon fib{{ic.x + std::cos(a) * 3.2, ic.y + std::sin(a) * 3.2}, {ic.x + std::cos(a) * (ir - 1), ic.y + std::sin(a) * (ir - 1)}};
        img.fill(stroke(fib, 0.5), withAlpha(k % 2 ? shade(pal.iris, 1.4) : pal.irisDark, 0.35f));
    }
    img.fill(Path(ellipse(ic, ir * 0.42, ir * 0.42)), rgb(0x0E0A08));
    // Shadow of the upper lid on the eyeball.
    Polygon lidShadow{inner};
    cubicTo(lidShadow, {ex - s * hw * 0.5, ey - top * 1.25}, {ex + s * hw * 0.45, ey - top * 1.2}, outer);
    soft(img, closedStroke(lidShadow, 5), withAlpha(rgb(0x4A302A), 0.55f), 1.6, &eyeMask);
    img.fill(Path(ellipse({ic.x - 2.3, ic.y - 2.5}, 1.8, 1.6)), withAlpha(rgb(0xFFFFFF), 0.95f));
    img.fill(Path(ellipse({ic.x + 2.4, ic.y + 2.2}, 0.9, 0.8)), withAlpha(rgb(0xFFFFFF), 0.6f));
    img.clip = saved;
    // Upper lid line (thicker towards the outer corner), lashes, crease and lower lid.
    Polygon lid{inner};
    cubicTo(lid, {ex - s * hw * 0.5, ey - top * 1.25}, {ex + s * hw * 0.45, ey - top * 1.2}, outer);
    double lidW = h.woman ? 2.6 : 1.8;
    img.fill(stroke(lid, [lidW](double t) { return 0.6 + lidW * std::sin(3.14159 * (0.15 + 0.8 * t)); }), rgb(0x21140F));
    if (h.woman) {
        for (int k = 0; k < 7; ++k) {
            double t = 0.45 + 0.08 * k;
            size_t idx = std::min(lid.size() - 1, static_cast<size_t>(t * (lid.size() - 1)));
            Pt base = lid[idx];
            double len = 3.5 + 2.5 * (k / 6.0);
            Polygon lash = smoothOpen({base, {base.x + s * len * 0.5, base.y - len * 0.8}, {base.x + s * len * 1.1, base.y - len}}, 5);
            img.fill(stroke(lash, [](double t2) { return 1.0 * (1 - t2) + 0.2; }), rgb(0x1A100C));
        }
    }
    Polygon crease = smoothOpen({{ex - s * hw * 0.8, ey - top - 2}, {ex, ey - top - 5.5}, {ex + s * hw * 0.95, ey - top - 2.5}}, 10);
    soft(img, stroke(crease, 1.6), withAlpha(pal.skinShadow, 0.8f), 0.8);
    Polygon lower{inner};
    cubicTo(lower, {ex - s * hw * 0.45, ey + bottom * 1.3}, {ex + s * hw * 0.5, ey + bottom * 1.2}, outer);
    img.fill(stroke(lower, [](double t) { return 0.3 + 0.8 * std::sin(3.14159 * t); }), withAlpha(rgb(0x7A5040), 0.6f));
    // Under-eye soft shadow.
    soft(img, stroke(smoothOpen({{ex - s * hw * 0.7, ey + bottom + 5}, {ex, ey + bottom + 7}, {ex + s * hw * 0.8, ey + bottom + 4}}, 8), 3),
         withAlpha(pal.skinShadow, 0.25f), 2.5);
    // Tear duct.
    img.fill(Path(ellipse({inner.x + s * 1.5, inner.y}, 1.6, 1.2)), withAlpha(rgb(0xD89090), 0.8f));
}

void drawBrow(Image& img, const Head& h, const Palette& pal, bool left) {
    double s = left ? -1 : 1;
    double by = h.eyeY - (h.woman ? 20 : 17);
    std::vector<Pt> pts;
    if (h.woman)
        pts = {{h.cx + s * 11, by + 3}, {h.cx + s * 24, by - 3}, {h.cx + s * 38, by - 5}, {h.cx + s * 48, by + 1}};
    else
        pts = {{h.cx + s * 10, by + 2}, {h.cx + s * 24, by - 2}, {h.cx + s * 40, by - 3}, {h.cx + s * 50, by + 2}};
    Polygon line = smoothOpen(pts, 12);
    double wMax = h.woman ? 5.5 : 7.5;
    auto prof = [wMax](double t) { return t < 0.25 ? wMax * (0.75 + t) : wMax * std::max(0.15, 1.0 - (t - 0.25) * 1.15); };
    soft(img, stroke(line, prof), withAlpha(pal.brow, h.woman ? 0.7f : 0.6f), 1.0);
    // Individual brow hairs lie along the brow, the inner ones rising a little more.
    Rng rng(left ? 101u : 202u);
    for (int i = 0; i < (h.woman ? 70 : 120); ++i) {
        double t = rng.uniform(0, 1);
        size_t idx = std::clamp<size_t>(static_cast<size_t>(t * (line.size() - 1)), 1, line.size() - 2);
        Pt tan = line[idx + 1] - line[idx - 1];
        double tl = std::hypot(tan.x, tan.y);
        tan = tan * (1 / tl);
        double w = prof(t);
        Pt nrm{-tan.y, tan.x};
        Pt a = line[idx] + nrm * rng.uniform(-w / 2, w / 2) + tan * rng.uniform(-1, 1);
        double lift = (t < 0.25 ? 0.9 : 0.25) * (h.woman ? 0.8 : 1.0);
        // rotate the tangent upwards (towards -y) by 'lift'
        double ang = std::atan2(tan.y, tan.x);
        double up = tan.x * s > 0 ? -lift * s : lift * s;
        ang += up;
        double len = rng.uniform(2.5, h.woman ? 4.5 : 5.5);
        Pt b{a.x + std::cos(ang) * len, a.y + std::sin(ang) * len};
        img.fill(stroke(Polygon{a, b}, [](double u) { return 0.75 - 0.45 * u; }), withAlpha(shade(pal.brow, rng.uniform(0.6, 1.25)), 0.75f));
    }
}

void drawNose(Image& img, const Head& h, const Palette& pal, const std::vector<float>& faceMask) {
    double cx = h.cx, ny = h.eyeY + (h.woman ? 40 : 44);
    // Bridge: shadow along the sides, highlight on the ridge.
    for (int s = -1; s <= 1; s += 2) {
        Polygon side = smoothOpen({{cx + s * 10, h.eyeY - 4}, {cx + s * 8, h.eyeY + 14}, {cx + s * 9, ny - 8}, {cx + s * 13, ny}}, 10);
        soft(img, stroke(side, 3.5), withAlpha(pal.skinShadow, s < 0 ? 0.35f : 0.22f), 3, &faceMask);
    }
    soft(img, stroke(smoothOpen({{cx, h.eyeY + 4}, {cx - 1, ny - 12}, {cx, ny - 2}}, 8), 3.5), withAlpha(pal.skinLight, 0.7f), 2.5,
         &faceMask);
    // Tip and wings.
    soft(img, Path(ellipse({cx, ny + 1}, 8, 6)), withAlpha(pal.skinLight, 0.6f), 2.5);
    soft(img, Path(ellipse({cx, ny + 9}, 13, 4)), withAlpha(pal.skinShadow, 0.45f), 3, &faceMask);
    for (int s = -1; s <= 1; s += 2) {
        Polygon wing = smoothOpen({{cx + s * 8, ny - 4}, {cx + s * 14, ny + 1}, {cx + s * 13, ny + 7}, {cx + s * 7, ny + 8}}, 8);
        img.fill(stroke(wing, [](double t) { return 0.4 + 1.3 * std::sin(3.14159 * t); }), withAlpha(shade(pal.skinShadow, 0.85), 0.75f));
        soft(img, Path(ellipse({cx + s * 5.2, ny + 7.4}, 3.3, 1.7, s * 0.35)), withAlpha(rgb(0x4A2A20), 0.8f), 0.6);
    }
}

void drawMouth(Image& img, const Head& h, const Palette& pal, const std::vector<float>& faceMask) {
    double cx = h.cx, my = h.eyeY + (h.woman ? 64 : 70);
    double hw = h.woman ? 22 : 22;
    double upper = h.woman ? 7 : 5, lower = h.woman ? 9 : 7;
    // Philtrum and chin shading.
    soft(img, Path(ellipse({cx, my - 12}, 4, 5)), withAlpha(pal.skinShadow, 0.25f), 2, &faceMask);
    soft(img, Path(ellipse({cx, my + lower + 6}, 14, 4)), withAlpha(pal.skinShadow, 0.35f), 3, &faceMask);
    Polygon up{{cx - hw, my}};
    cubicTo(up, {cx - hw * 0.6, my - upper * 0.7}, {cx - 7, my - upper * 1.35}, {cx - 3, my - upper * 1.05});
    quadTo(up, {cx, my - upper * 0.75}, {cx + 3, my - upper * 1.05});
    cubicTo(up, {cx + 7, my - upper * 1.35}, {cx + hw * 0.6, my - upper * 0.7}, {cx + hw, my});
    cubicTo(up, {cx + hw * 0.5, my + 0.5}, {cx - hw * 0.5, my + 0.5}, {cx - hw, my});
    Polygon lo{{cx - hw, my}};
    cubicTo(lo, {cx - hw * 0.5, my + 1}, {cx + hw * 0.5, my + 1}, {cx + hw, my});
    cubicTo(lo, {cx + hw * 0.6, my + lower * 1.2}, {cx - hw * 0.6, my + lower * 1.2}, {cx - hw, my});
    Color lip = pal.lip, lipDark = pal.lipDark;
    img.fill(Path(up), linear({0, my - upper}, {0, my}, {{0, shade(lip, 0.95)}, {1, lipDark}}));
    img.fill(Path(lo), linear({0, my}, {0, my + lower}, {{0, lipDark}, {0.45, lip}, {1, shade(lip, 0.9)}}));
    std::vector<float> loMask = img.coverage(Path(lo));
    soft(img, Path(ellipse({cx - 3, my + lower * 0.45}, hw * 0.35, lower * 0.22)), withAlpha(rgb(0xFFFFFF), h.woman ? 0.55f : 0.3f), 1.8,
         &loMask);
    // The line between the lips, darker at the corners.
    Polygon line{{cx - hw - 1, my - 0.5}};
    cubicTo(line, {cx - hw * 0.5, my + 1.2}, {cx + hw * 0.5, my + 1.2}, {cx + hw + 1, my - 0.5});
    img.fill(stroke(line, [](double t) { return 0.9 + 0.8 * std::abs(std::cos(3.14159 * t)); }), withAlpha(shade(lipDark, 0.6), 0.9f));
    for (int s = -1; s <= 1; s += 2)
        soft(img, Path(ellipse({cx + s * (hw + 2), my - 0.5}, 2.5, 2)), withAlpha(pal.skinShadow, 0.6f), 1.5, &faceMask);
}

}  // namespace

Head womanHead() { return Head{}; }

Head manHead() {
    Head h;
    h.woman = false;
    h.skullCy = 158;
    h.skullRx = 72;
    h.skullRy = 86;
    h.hairlineY = 102;
    h.templeHalfW = 64;
    h.eyeY = 170;
    h.chinY = 272;
    h.earTop = 152;
    h.earBottom = 210;
    h.neckHalfW = 38;
    h.shoulderY = 322;
    return h;
}

Polygon ownHairOutline(const Head& h) {
    // Tied back for her, cropped for him, close to the skull.
    return smoothClosed({{h.cx, h.skullTop() - (h.woman ? 2 : 3)},
                                {h.cx + h.skullRx * 0.72, h.skullTop() + 14},
                                {h.cx + h.skullRx + 1, h.skullCy - 18},
                                {h.cx + h.templeHalfW + 2, h.earTop + 6},
                                {h.cx + h.templeHalfW - 4, h.earTop - 10},
                                {h.cx + h.templeHalfW * 0.7, h.hairlineY + 4},
                                {h.cx, h.hairlineY},
                                {h.cx - h.templeHalfW * 0.7, h.hairlineY + 4},
                                {h.cx - h.templeHalfW + 4, h.earTop - 10},
                                {h.cx - h.templeHalfW - 2, h.earTop + 6},
                                {h.cx - h.skullRx - 1, h.skullCy - 18},
                                {h.cx - h.skullRx * 0.72, h.skullTop() + 14}},
                               12);
}

Polygon faceOutline(const Head& h) {
    double cx = h.cx, tw = h.templeHalfW, hl = h.hairlineY, ey = h.eyeY, chin = h.chinY;
    double jaw = h.woman ? 0.80 : 0.90;  // jaw width relative to the temples
    std::vector<Pt> pts = {{cx, hl - 26},
                           {cx + tw * 0.62, hl - 18},
                           {cx + tw * 0.97, hl + 12},
                           {cx + tw * 1.03, ey - 4},
                           {cx + tw * 0.98, ey + 30},
                           {cx + tw * jaw, chin - 32},
                           {cx + tw * 0.52, chin - 9},
                           {cx + tw * (h.woman ? 0.18 : 0.25), chin},
                           {cx - tw * (h.woman ? 0.18 : 0.25), chin},
                           {cx - tw * 0.52, chin - 9},
                           {cx - tw * jaw, chin - 32},
                           {cx - tw * 0.98, ey + 30},
                           {cx - tw * 1.03, ey - 4},
                           {cx - tw * 0.97, hl + 12},
                           {cx - tw * 0.62, hl - 18}};
    return smoothClosed(pts, 12);
}

Image drawPortrait(const Head& h, bool withBackground) {
    Image img(kPortraitW, kPortraitH);
    Palette pal = paletteFor(h);
    if (withBackground) {
        drawBackground(img, h);
        // Soft shadow cast by the sitter onto the backdrop.
        Path body(torsoOutline(h));
        body.add(ellipse({h.cx, h.skullCy + 20}, h.skullRx + 8, h.skullRy + 30));
        Image sh(kPortraitW, kPortraitH);
        sh.transform = Affine::translate(10, 6);
        sh.fill(body, withAlpha(rgb(0x302830), 0.35f));
        sh.blur(14);
        img.composite(sh);
    }
    // Neck with the shadow under the jaw.
    Polygon neck = neckOutline(h);
    img.fill(Path(torsoOutline(h)), linear({0, h.shoulderY - 20}, {0, kPortraitH}, {{0, pal.skin}, {1, shade(pal.skin, 0.9)}}));
    {
        Paint across = linear({h.cx - h.neckHalfW, 0}, {h.cx + h.neckHalfW, 0},
                              {{0, pal.skinShadow}, {0.3, pal.skin}, {0.7, pal.skin}, {1, shade(pal.skinShadow, 1.05)}});
        double y0 = h.shoulderY - 26, y1 = h.shoulderY + 24;
        img.fill(Path(neck), [across, y0, y1, pal](double x, double y) {
            double t = std::clamp((y - y0) / (y1 - y0), 0.0, 1.0);
            return mix(across(x, y), pal.skin, t);
        });
    }
    drawClothes(img, h, pal);
    std::vector<float> neckMask = img.coverage(Path(neck));
    soft(img, Path(ellipse({h.cx, h.chinY + 4}, h.templeHalfW * 0.8, 22)), withAlpha(shade(pal.skinShadow, 0.8), 0.75f), 7, &neckMask);
    // Ears behind the face.
    for (int side = 0; side < 2; ++side) {
        Polygon ear = earOutline(h, side == 0);
        double s = side == 0 ? -1 : 1;
        img.fill(Path(ear), radial({h.cx + s * (h.templeHalfW + 4), (h.earTop + h.earBottom) / 2}, 14, 26,
                                   {{0, pal.skin}, {1, pal.skinShadow}}));
        std::vector<float> earMask = img.coverage(Path(ear));
        Polygon helix = smoothOpen({{h.cx + s * (h.templeHalfW + 4), h.earTop + 6}, {h.cx + s * (h.templeHalfW + 9), h.earTop + 6},
                                    {h.cx + s * (h.templeHalfW + 9), h.earTop + 24}, {h.cx + s * (h.templeHalfW + 5), h.earBottom - 10}}, 8);
        soft(img, stroke(helix, 3), withAlpha(shade(pal.skinShadow, 0.8), 0.7f), 1.5, &earMask);
        if (h.woman) {  // a small stud
            Pt lobe{h.cx + s * (h.templeHalfW + 4), h.earBottom - 3};
            img.fill(Path(ellipse(lobe, 2.4, 2.4)), radial({lobe.x - 0.8, lobe.y - 0.8}, 2.6, 2.6, {{0, rgb(0xFFFFFF)}, {1, rgb(0xB0B8C8)}}));
        }
    }
    Polygon cap = ownHairOutline(h);
    // Face.
    Polygon face = faceOutline(h);
    img.fill(Path(face), radial({h.cx - 10, h.eyeY - 10}, h.templeHalfW * 1.25, (h.chinY - h.hairlineY) * 0.95,
                                {{0, pal.skinLight}, {0.45, pal.skin}, {0.85, shade(pal.skin, 0.93)}, {1, pal.skinShadow}}));
    std::vector<float> faceMask = img.coverage(Path(face));
    // Modelling: temples, cheek hollows, jaw, a warm blush.
    for (int s = -1; s <= 1; s += 2) {
        soft(img, Path(ellipse({h.cx + s * (h.templeHalfW - 2), h.eyeY + 38}, 12, 36)), withAlpha(pal.skinShadow, (s > 0 ? 0.5f : 0.35f) * (h.woman ? 1.0f : 0.6f)), 9,
             &faceMask);
        soft(img, Path(ellipse({h.cx + s * 36, h.eyeY + 30}, 16, 10)), withAlpha(h.woman ? rgb(0xE88A80) : rgb(0xC98470), h.woman ? 0.35f : 0.15f),
             8, &faceMask);
        soft(img, Path(ellipse({h.cx + s * (h.templeHalfW - 6), h.hairlineY + 18}, 12, 22)), withAlpha(pal.skinShadow, 0.3f), 8, &faceMask);
    }
    soft(img, Path(ellipse({h.cx - 8, h.hairlineY + 24}, 26, 14)), withAlpha(pal.skinLight, 0.5f), 8, &faceMask);
    if (!h.woman) {  // a close shave leaves a faint shadow on the jaw and upper lip
        Polygon beard = smoothClosed({{h.cx - h.templeHalfW * 0.95, h.eyeY + 40}, {h.cx - 24, h.eyeY + 60}, {h.cx, h.eyeY + 56},
                                      {h.cx + 24, h.eyeY + 60}, {h.cx + h.templeHalfW * 0.95, h.eyeY + 40},
                                      {h.cx + h.templeHalfW * 0.8, h.chinY - 10}, {h.cx, h.chinY + 6},
                                      {h.cx - h.templeHalfW * 0.8, h.chinY - 10}},
                                     10);
        soft(img, Path(beard), withAlpha(rgb(0x5A4A48), 0.18f), 6, &faceMask);
    }
    img.fill(Path(cap), radial({h.cx - 14, h.skullTop() + 18}, h.skullRx * 1.2, h.skullRy * 0.9,
                               {{0, pal.ownHairLight}, {0.6, pal.ownHair}, {1, shade(pal.ownHair, 0.7)}}));
    {
        std::vector<float> capMask = img.coverage(Path(cap));
        Rng rng(h.woman ? 7u : 8u);
        for (int i = 0; i < 260; ++i) {
            double a = rng.uniform(-2.6, -0.5);
            double r0 = rng.uniform(0.2, 0.9);
            Pt root{h.cx + std::cos(a) * h.skullRx * r0 * 0.5, h.hairlineY - 16 + std::sin(a) * 8};
            Pt tip{h.cx + std::cos(a) * h.skullRx * 1.1, h.skullCy + std::sin(a) * h.skullRy * 1.05};
            if (!h.woman) {
                root = {h.cx + rng.uniform(-h.skullRx, h.skullRx), rng.uniform(h.skullTop(), h.hairlineY)};
                tip = {root.x + rng.uniform(-3, 3), root.y - rng.uniform(3, 6)};
            }
            Polygon str = smoothOpen({root, lerp(root, tip, 0.5) + Pt{0, -4}, tip}, 8);
            img.clip = &capMask;
            img.fill(stroke(str, 0.7), withAlpha(rng.uniform() < 0.5 ? shade(pal.ownHair, 0.6) : pal.ownHairLight, 0.35f));
            img.clip = nullptr;
        }
        // Soft hairline.
        soft(img, closedStroke(cap, 2), withAlpha(pal.ownHair, 0.3f), 1.5);
    }
    for (int side = 0; side < 2; ++side) {
        drawBrow(img, h, pal, side == 0);
        drawEye(img, h, pal, side == 0);
    }
    drawNose(img, h, pal, faceMask);
    drawMouth(img, h, pal, faceMask);
    return img;
}

Image drawBackdrop(const Head& h) {
    // The portrait's figure on a light background, mapped the way the cell maps a hair picture.
    Image figure = drawPortrait(h, false);
    Image cell(kCellW, kCellH);
    cell.fill(Path(rect(0, 0, kCellW, kCellH)),
              radial({kCellW / 2.0, kCellH * 0.35}, kCellW * 0.9, kCellH * 0.9,
                     {{0, rgb(0xFFFFFF, 0.92f)}, {1, h.woman ? rgb(0xF3E6EC, 0.85f) : rgb(0xE4ECF3, 0.85f)}}));
    double sw = std::nearbyint(kHairW / kCellScale) / kHairW;
    double sh = std::nearbyint(kHairH / kCellScale) / kHairH;
    // portrait (px, py) -> hair (px - kHairToPortraitX, py - kHairToPortraitY) -> cell.
    double ox = kCellHairX - kHairToPortraitX * sw, oy = kCellHairY - kHairToPortraitY * sh;
    cell.drawScaled(figure, ox, oy, kPortraitW * sw, kPortraitH * sh);
    return cell;
}

}  // namespace art
