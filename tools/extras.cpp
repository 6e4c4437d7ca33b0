#include "tools/extras.h"

#include <cmath>
#include <algorithm>

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;

Affine rotateAbout(Pt c, double angle) {
    double cs = std::cos(angle), sn = std::sin(angle);
    Affine r{cs, sn, -sn, cs, 0, 0};
    return Affine::translate(c.x, c.y) * r * Affine::translate(-c.x, -c.y);
}

Polygon arc(Pt c, double rx, double ry, double a0, double a1, int n = 40) {
    Polygon p;
    for (int i = 0; i <= n; ++i) {
        double a = a0 + (a1 - a0) * i / n;
        p.push_back({c.x + rx * std::cos(a), c.y + ry * std::sin(a)});
    }
    return p;
}

// A small stroke font: each glyph is a few centre lines in an em box (y down, baseline at 1).
struct Glyph {
    double advance;
    std::vector<Polygon> lines;
};

Glyph glyph(char ch) {
    switch (ch) {
    case 'T':
        return {0.74, {{{0.02, 0.03}, {0.7, 0.03}}, {{0.36, 0.03}, {0.36, 1.0}}}};
    case 'r': {
        Polygon bow = smoothOpen({{0.09, 0.62}, {0.2, 0.44}, {0.34, 0.39}, {0.46, 0.40}}, 10);
        return {0.5, {{{0.09, 0.38}, {0.09, 1.0}}, bow}};
    }
    case 'e': {
        Polygon ring = arc({0.31, 0.69}, 0.26, 0.31, 0, -2 * kPi + 0.75, 50);
        ring.insert(ring.begin(), {0.05, 0.68});
        return {0.64, {ring}};
    }
    case 's':
        return {0.58, {smoothOpen({{0.48, 0.46}, {0.3, 0.38}, {0.1, 0.47}, {0.16, 0.63}, {0.4, 0.73}, {0.48, 0.9}, {0.28, 1.0}, {0.05, 0.93}}, 10)}};
    case 'o': {
        Polygon ring = arc({0.32, 0.69}, 0.27, 0.31, 0, 2 * kPi, 60);
        return {0.66, {ring}};
    }
    case 'a': {
        Polygon bowl = arc({0.29, 0.71}, 0.24, 0.29, -0.25, 2 * kPi - 0.25, 50);
        return {0.64, {bowl, {{0.54, 0.4}, {0.54, 0.9}, {0.6, 1.0}}}};
    }
    default:
        return {0.4, {}};
    }
}

// Centre lines of a word laid out at (x, baseline) with the given em size.
std::vector<Polygon> wordLines(const std::string& text, double x, double baseline, double em, double spacing) {
    std::vector<Polygon> out;
    for (char ch : text) {
        Glyph g = glyph(ch);
        for (const Polygon& l : g.lines) {
            Polygon p;
            for (Pt v : l) p.push_back({x + v.x * em, baseline - em + v.y * em});
            out.push_back(p);
        }
        x += (g.advance + spacing) * em;
    }
    return out;
}

double wordWidth(const std::string& text, double em, double spacing) {
    double w = 0;
    for (char ch : text) w += (glyph(ch).advance + spacing) * em;
    return w - spacing * em;
}

Path strokeAll(const std::vector<Polygon>& lines, double width) {
    Path p;
    for (const Polygon& l : lines) p.add(stroke(l, width, true));
    return p;
}

void softShadow(Image& img, const Path& p, Color c, double blur, Pt offset) {
    Image layer(img.width(), img.height());
    layer.transform = Affine::translate(offset.x, offset.y) * img.transform;
    layer.fill(p, c);
    layer.blur(blur);
    img.composite(layer);
}

void drawComb(Image& img, Pt c, double angle, double len, Color col) {
    Affine saved = img.transform;
    img.transform = saved * rotateAbout(c, angle);
    Path comb(roundRect(c.x - len / 2, c.y - 9, len, 14, 6));
    int teeth = static_cast<int>(len / 7);
    for (int i = 0; i < teeth; ++i) {
        double x = c.x - len / 2 + 6 + i * (len - 12) / (teeth - 1);
        double tl = i < teeth / 3 ? 24 : 30;
        comb.add(roundRect(x - 1.8, c.y, 3.6, tl, 1.8));
    }
    softShadow(img, comb, rgb(0x301040, 0.35f), 3, {2, 3});
    img.fill(comb, linear({0, c.y - 9}, {0, c.y + 30}, {{0, shade(col, 1.4)}, {0.3, col}, {1, shade(col, 0.7)}}));
    img.fill(Path(roundRect(c.x - len / 2 + 4, c.y - 7, len - 8, 3, 1.5)), rgb(0xFFFFFF, 0.45f));
    img.transform = saved;
}

void drawScissors(Image& img, Pt pivot, double angle, double size) {
    Affine saved = img.transform;
    img.transform = saved * rotateAbout(pivot, angle);
    Color steel = rgb(0xC8CDD6), steelDark = rgb(0x6D7482);
    Path all;
    for (int s = -1; s <= 1; s += 2) {
        double a = s * 0.22;
        Affine bladeXf = rotateAbout(pivot, a);
        Polygon blade{{pivot.x - 6, pivot.y - 5}, {pivot.x + size * 0.9, pivot.y - 1.5}, {pivot.x + size, pivot.y + 1}, {pivot.x + size * 0.7, pivot.y + 5},
                      {pivot.x - 6, pivot.y + 5}};
        for (Pt& v : blade) v = bladeXf.apply(v);
        Polygon handleLine{{pivot.x - 4, pivot.y}, {pivot.x - size * 0.45, pivot.y + s * 2}};
        for (Pt& v : handleLine) v = bladeXf.apply(v);
        Pt ringC = bladeXf.apply({pivot.x - size * 0.62, pivot.y + s * 4});
        Path part(blade);
        part.add(stroke(handleLine, 6));
        all.add(part);
        softShadow(img, part, rgb(0x301040, 0.3f), 3, {2, 3});
        img.fill(part, linear({pivot.x, pivot.y - 6}, {pivot.x, pivot.y + 6}, {{0, rgb(0xF4F6FA)}, {0.5, steel}, {1, steelDark}}));
        Polygon ring = ellipse(ringC, size * 0.2, size * 0.15, s * 0.3);
        Path ringPath = closedStroke(ring, 6);
        softShadow(img, ringPath, rgb(0x301040, 0.3f), 3, {2, 3});
        img.fill(ringPath, linear({ringC.x, ringC.y - 14}, {ringC.x, ringC.y + 14}, {{0, rgb(0xE060A0)}, {1, rgb(0x8A2A6A)}}));
    }
    img.fill(Path(ellipse(pivot, 3.2, 3.2)), radial({pivot.x - 1, pivot.y - 1}, 3.5, 3.5, {{0, rgb(0xFFFFFF)}, {1, rgb(0x555A66)}}));
    img.transform = saved;
}

}  // namespace

Image drawLogo() {
    const int W = 400, H = 260;
    Image img(W, H);
    // Soft white glow so that the picture reads on any background.
    {
        Image glow(W, H);
        glow.fill(Path(roundRect(28, 22, W - 56, H - 44, 60)), rgb(0xFFFFFF, 0.75f));
        glow.blur(14);
        img.composite(glow);
    }
    // A flowing lock of hair behind the tools.
    {
        Polygon lock = smoothOpen({{70, 120}, {130, 60}, {200, 90}, {270, 40}, {330, 70}}, 16);
        for (int i = 0; i < 14; ++i) {
            Polygon l;
            for (Pt p : lock) l.push_back({p.x, p.y + (i - 7) * 1.8 + std::sin(p.x / 23.0 + i) * 1.2});
            Color col = i % 3 == 0 ? rgb(0xE0B070) : (i % 3 == 1 ? rgb(0xB07A3A) : rgb(0x8A5226));
            img.fill(stroke(l, [](double t) { return 0.5 + 2.4 * std::sin(kPi * t); }), withAlpha(col, 0.8f));
        }
    }
    drawComb(img, {150, 82}, -0.28, 150, rgb(0x7A3FA0));
    drawScissors(img, {262, 76}, -0.45, 78);
    // The name.
    double em = 66, spacing = 0.03;
    double width = wordWidth("Tressora", em, spacing);
    std::vector<Polygon> lines = wordLines("Tressora", (W - width) / 2, 232, em, spacing);
    Path outline = strokeAll(lines, 15);
    Path letters = strokeAll(lines, 9);
    softShadow(img, outline, rgb(0x2A1040, 0.35f), 4, {2, 4});
    img.fill(outline, rgb(0xFFFFFF));
    img.fill(letters, linear({0, 140}, {0, 236}, {{0, rgb(0x9B4FC8)}, {0.55, rgb(0x6A2A92)}, {1, rgb(0xB0307A)}}));
    // Glossy highlight on the upper half of the letters.
    Image gloss(W, H);
    gloss.fill(strokeAll(lines, 4), linear({0, 140}, {0, 200}, {{0, rgb(0xFFFFFF, 0.55f)}, {1, rgb(0xFFFFFF, 0.0f)}}));
    gloss.transform = Affine::translate(-1, -1);
    img.composite(gloss);
    return img;
}

Image drawRotateCursor() {
    Image img(32, 32);
    Pt c{16.5, 17};
    double r = 8.5;
    double a0 = -kPi * 0.35, a1 = a0 + kPi * 1.55;
    Polygon ring = arc(c, r, r, a0, a1, 48);
    // Arrow head at the end of the arc, pointing along it.
    Pt end = ring.back();
    Pt dir{-std::sin(a1), std::cos(a1)};
    Pt nrm{std::cos(a1), std::sin(a1)};
    Polygon head{end + dir * 6.5, end + nrm * 5.5, end - nrm * 5.5};
    orientPositive(head);
    Path black = stroke(ring, 3.0, false);
    black.add(head);
    Path white = stroke(ring, 6.0, true);
    // The white rim of the head: the head enlarged about its centre.
    Pt g = (head[0] + head[1] + head[2]) * (1.0 / 3.0);
    Polygon headOut;
    for (Pt v : head) headOut.push_back(g + (v - g) * 1.6);
    white.add(headOut);
    img.fill(white, rgb(0xFFFFFF));
    img.fill(black, rgb(0x000000));
    return img;
}

namespace {

constexpr int kFrameW = 309, kFrameH = 355;

void heart(Image& img, Pt c, double s, Color col) {
    Polygon p{{c.x, c.y + s * 0.9}};
    cubicTo(p, {c.x - s * 1.2, c.y + s * 0.1}, {c.x - s * 0.9, c.y - s * 0.9}, {c.x, c.y - s * 0.35});
    cubicTo(p, {c.x + s * 0.9, c.y - s * 0.9}, {c.x + s * 1.2, c.y + s * 0.1}, {c.x, c.y + s * 0.9});
    img.fill(Path(p), radial({c.x - s * 0.3, c.y - s * 0.3}, s * 1.4, s * 1.4, {{0, shade(col, 1.5)}, {0.6, col}, {1, shade(col, 0.75)}}));
}

void flower(Image& img, Pt c, double r, Color petal, Rng& rng) {
    double a0 = rng.uniform(0, kPi);
    for (int i = 0; i < 5; ++i) {
        double a = a0 + 2 * kPi * i / 5;
        Pt pc{c.x + std::cos(a) * r * 0.55, c.y + std::sin(a) * r * 0.55};
        img.fill(Path(ellipse(pc, r * 0.55, r * 0.36, a)), radial(c, r * 1.1, r * 1.1, {{0, shade(petal, 1.4)}, {1, petal}}));
    }
    img.fill(Path(ellipse(c, r * 0.25, r * 0.25)), radial(c, r * 0.3, r * 0.3, {{0, rgb(0xFFF0A0)}, {1, rgb(0xE0A020)}}));
}

void leaf(Image& img, Pt c, double len, double angle, Color col) {
    Pt d{std::cos(angle), std::sin(angle)}, n{-d.y, d.x};
    Polygon p{c};
    quadTo(p, c + d * (len * 0.5) + n * (len * 0.3), c + d * len);
    quadTo(p, c + d * (len * 0.5) - n * (len * 0.3), c);
    img.fill(Path(p), col);
    img.fill(stroke(Polygon{c, c + d * (len * 0.9)}, 0.8), shade(col, 0.7));
}

// The four trapezoids of a mitred frame border of the given width.
std::vector<Polygon> mitres(double b) {
    double W = kFrameW, H = kFrameH;
    return {{{0, 0}, {W, 0}, {W - b, b}, {b, b}},
            {{W, 0}, {W, H}, {W - b, H - b}, {W - b, b}},
            {{W, H}, {0, H}, {b, H - b}, {W - b, H - b}},
            {{0, H}, {0, 0}, {b, b}, {b, H - b}}};
}

Path ring(double inset, double width) {
    Path p;
    Polygon outer = rect(inset, inset, kFrameW - 2 * inset, kFrameH - 2 * inset);
    Polygon inner = rect(inset + width, inset + width, kFrameW - 2 * (inset + width), kFrameH - 2 * (inset + width));
    std::reverse(inner.begin(), inner.end());
    p.add(outer);
    p.add(inner);
    return p;
}

}  // namespace

Image drawFrame(int index) {
    Image img(kFrameW, kFrameH);
    Rng rng(500u + static_cast<uint32_t>(index));
    double border = 30;
    switch (index) {
    case 0: {  // Wood with mitred corners.
        std::vector<Polygon> m = mitres(border);
        for (size_t i = 0; i < m.size(); ++i) {
            bool horizontal = i % 2 == 0;
            Color wood = rgb(0x8A5A32);
            img.fill(Path(m[i]), horizontal ? linear({0, 0}, {0, border}, {{0, shade(wood, 1.2)}, {1, shade(wood, 0.8)}})
                                            : linear({0, 0}, {border, 0}, {{0, shade(wood, 1.2)}, {1, shade(wood, 0.8)}}));
            std::vector<float> mask = img.coverage(Path(m[i]));
            img.clip = &mask;
            for (int k = 0; k < 40; ++k) {
                double off = rng.uniform(2, border - 2), ph = rng.uniform(0, 6), amp = rng.uniform(0.5, 2.0);
                Polygon g;
                double L = horizontal ? kFrameW : kFrameH;
                for (int t = 0; t <= 60; ++t) {
                    double s = L * t / 60.0, o = off + amp * std::sin(s / 17.0 + ph);
                    Pt p = horizontal ? Pt{s, i == 0 ? o : kFrameH - o} : Pt{i == 3 ? o : kFrameW - o, s};
                    g.push_back(p);
                }
                img.fill(stroke(g, rng.uniform(0.4, 1.2)), withAlpha(rng.uniform() < 0.6 ? rgb(0x4A2A14) : rgb(0xC08A5A), 0.45f));
            }
            img.clip = nullptr;
        }
        for (const Polygon& p : m) img.fill(closedStroke(p, 1.0), rgb(0x3A2010, 0.7f));
        img.fill(ring(border - 4, 4), rgb(0x5A3418));
        img.fill(ring(border - 4, 1.5), rgb(0xD8A878, 0.8f));
        break;
    }
    case 1: {  // Gold with beads and corner rosettes.
        Color gold = rgb(0xC9A040);
        Paint goldH = linear({0, 0}, {kFrameW, kFrameH}, {{0, rgb(0xFFF0B0)}, {0.25, gold}, {0.5, rgb(0xF6DA80)}, {0.75, rgb(0x9A7020)}, {1, rgb(0xE8C868)}});
        img.fill(ring(0, border), goldH);
        img.fill(ring(0, 3), rgb(0x6A4A10));
        img.fill(ring(8, 3), rgb(0x8A6418, 0.8f));
        img.fill(ring(border - 5, 5), rgb(0x7A5814));
        for (double x = 14; x < kFrameW - 10; x += 9) {
            for (double y : {18.0, kFrameH - 18.0})
                img.fill(Path(ellipse({x, y}, 3, 3)), radial({x - 1, y - 1}, 3.5, 3.5, {{0, rgb(0xFFF8D0)}, {1, rgb(0x9A7020)}}));
        }
        for (double y = 27; y < kFrameH - 24; y += 9) {
            for (double x : {18.0, kFrameW - 18.0})
                img.fill(Path(ellipse({x, y}, 3, 3)), radial({x - 1, y - 1}, 3.5, 3.5, {{0, rgb(0xFFF8D0)}, {1, rgb(0x9A7020)}}));
        }
        for (Pt c : {Pt{18, 18}, Pt{kFrameW - 18.0, 18}, Pt{18, kFrameH - 18.0}, Pt{kFrameW - 18.0, kFrameH - 18.0}}) {
            for (int i = 0; i < 8; ++i) {
                double a = kPi * i / 4;
                img.fill(Path(ellipse({c.x + std::cos(a) * 7, c.y + std::sin(a) * 7}, 6, 3.5, a)),
                         radial(c, 14, 14, {{0, rgb(0xFFF4C0)}, {1, rgb(0xA07828)}}));
            }
            img.fill(Path(ellipse(c, 5, 5)), radial({c.x - 1.5, c.y - 1.5}, 6, 6, {{0, rgb(0xFFFFFF)}, {1, rgb(0xB08020)}}));
        }
        break;
    }
    case 2: {  // Floral on a cream band.
        img.fill(ring(0, border), linear({0, 0}, {kFrameW, kFrameH}, {{0, rgb(0xFFF6EE)}, {1, rgb(0xF4E2D8)}}));
        img.fill(ring(0, 2), rgb(0xC88CA0));
        img.fill(ring(border - 2, 2), rgb(0xC88CA0));
        Polygon vine;
        auto place = [&](Pt p, double a) {
            leaf(img, p, 11, a + 0.8, rgb(0x6FA060));
            leaf(img, p, 10, a - 2.3, rgb(0x5A8C4C));
        };
        Color petals[] = {rgb(0xF08CB0), rgb(0xF5B0C8), rgb(0xE86A8A), rgb(0xB08CE0)};
        int k = 0;
        for (double x = 22; x < kFrameW - 10; x += 30) {
            for (double y : {15.0, kFrameH - 15.0}) {
                place({x + 10, y}, 0);
                flower(img, {x, y}, 10, petals[k++ % 4], rng);
            }
        }
        for (double y = 48; y < kFrameH - 30; y += 30) {
            for (double x : {15.0, kFrameW - 15.0}) {
                place({x, y + 10}, kPi / 2);
                flower(img, {x, y}, 10, petals[k++ % 4], rng);
            }
        }
        break;
    }
    case 3: {  // Hearts on pink.
        img.fill(ring(0, border), linear({0, 0}, {kFrameW, kFrameH}, {{0, rgb(0xF7B6C8)}, {1, rgb(0xE88AA8)}}));
        img.fill(ring(0, 2), rgb(0xB0305A));
        img.fill(ring(border - 3, 3), rgb(0xFFFFFF));
        Color reds[] = {rgb(0xD8304E), rgb(0xF05A7A), rgb(0xFFFFFF)};
        int k = 0;
        for (double x = 16; x < kFrameW - 8; x += 23)
            for (double y : {15.0, kFrameH - 15.0}) {
                heart(img, {x, y}, 8 + (k % 3 == 2 ? -2 : 0), reds[k % 3]);
                ++k;
            }
        for (double y = 40; y < kFrameH - 24; y += 23)
            for (double x : {15.0, kFrameW - 15.0}) {
                heart(img, {x, y}, 8 + (k % 3 == 2 ? -2 : 0), reds[k % 3]);
                ++k;
            }
        break;
    }
    default: {  // Silver, modern, with a rounded inner mat.
        img.fill(ring(0, border), linear({0, 0}, {kFrameW, kFrameH}, {{0, rgb(0xF2F4F8)}, {0.3, rgb(0xA8B0BC)}, {0.55, rgb(0xE4E8EE)}, {1, rgb(0x7C8490)}}));
        img.fill(ring(0, 2), rgb(0x505864));
        img.fill(ring(12, 1.5), rgb(0x505864, 0.6f));
        img.fill(ring(border - 8, 8), rgb(0xFAFAFA));
        img.fill(ring(border - 1.5, 1.5), rgb(0x9098A4));
        break;
    }
    }
    // Opaque border, fully transparent inside.
    Image inside(kFrameW, kFrameH);
    inside.fill(Path(rect(border, border, kFrameW - 2 * border, kFrameH - 2 * border)), rgb(0));
    img.composite(inside, 1.0f, Mode::Erase);
    Image under(kFrameW, kFrameH);
    under.fill(ring(0, border), rgb(0xFFFFFF));
    under.composite(img);
    return under;
}

namespace {

void outlineFill(Image& img, const Path& p, const Paint& paint, Color line = rgb(0x2A2A3A), double width = 2.0) {
    img.fill(p, paint);
    for (const Polygon& poly : p.parts) img.fill(closedStroke(poly, width), line);
}

Paint vgrad(Color top, Color bottom, double y0, double y1) { return linear({0, y0}, {0, y1}, {{0, top}, {1, bottom}}); }

void palette(Image& img) {
    Polygon pal = smoothClosed({{8, 30}, {20, 12}, {42, 8}, {58, 20}, {56, 34}, {44, 36}, {40, 46}, {44, 56}, {28, 58}, {12, 50}}, 10);
    Path p(pal);
    p.add([] {
        Polygon hole = ellipse({46, 28}, 4.5, 4);
        std::reverse(hole.begin(), hole.end());
        return hole;
    }());
    outlineFill(img, p, vgrad(rgb(0xF2D7A8), rgb(0xC89A5C), 8, 58), rgb(0x6A4A28), 1.6);
    Color blobs[] = {rgb(0xE03030), rgb(0xF0C020), rgb(0x3080E0), rgb(0x30A050)};
    Pt pos[] = {{18, 24}, {30, 16}, {44, 15}, {16, 38}};
    for (int i = 0; i < 4; ++i) img.fill(Path(ellipse(pos[i], 4.5, 4)), radial(pos[i] + Pt{-1, -1}, 5, 5, {{0, shade(blobs[i], 1.4)}, {1, blobs[i]}}));
}

}  // namespace

Image drawToolbarImage(const std::string& cmd) {
    Image img(64, 64);
    Color line = rgb(0x2A2A3A);
    if (cmd == "SelectModel") {
        Polygon body{{10, 60}};
        cubicTo(body, {10, 42}, {20, 36}, {32, 36});
        cubicTo(body, {44, 36}, {54, 42}, {54, 60});
        outlineFill(img, Path(body), vgrad(rgb(0x5A9AE6), rgb(0x2A5AA8), 36, 60), line);
        outlineFill(img, Path(ellipse({32, 21}, 11.5, 13)), radial({29, 17}, 14, 16, {{0, rgb(0xFCE0C8)}, {1, rgb(0xD8A080)}}), line);
        Polygon hair = arc({32, 19}, 12, 12, kPi * 1.05, kPi * 1.95, 20);
        hair.push_back({38, 14});
        hair.push_back({26, 15});
        img.fill(Path(hair), rgb(0x5A3A22));
    } else if (cmd == "OpenPicture") {
        Polygon back{{6, 14}, {24, 14}, {28, 19}, {56, 19}, {56, 54}, {6, 54}};
        outlineFill(img, Path(back), vgrad(rgb(0xE8B040), rgb(0xC08820), 14, 54), rgb(0x6A4A10));
        // A picture peeking out.
        outlineFill(img, Path(rect(14, 12, 32, 24)), solid(rgb(0xFFFFFF)), rgb(0x606070), 1.2);
        img.fill(Path(Polygon{{16, 34}, {25, 22}, {32, 30}, {37, 25}, {44, 34}}), rgb(0x50A050));
        img.fill(Path(ellipse({38, 18}, 3, 3)), rgb(0xF0C030));
        Polygon front{{10, 28}, {60, 28}, {54, 54}, {4, 54}};
        outlineFill(img, Path(front), vgrad(rgb(0xFFD870), rgb(0xE0A030), 28, 54), rgb(0x6A4A10));
    } else if (cmd == "SavePicture") {
        Polygon disk{{8, 8}, {50, 8}, {56, 14}, {56, 56}, {8, 56}};
        outlineFill(img, Path(disk), vgrad(rgb(0x4A7AD0), rgb(0x22448A), 8, 56), rgb(0x14244A));
        outlineFill(img, Path(rect(18, 8, 26, 16)), vgrad(rgb(0xE4E8EE), rgb(0xA8B0BC), 8, 24), rgb(0x14244A), 1.4);
        img.fill(Path(rect(34, 11, 6, 10)), rgb(0x22448A));
        outlineFill(img, Path(roundRect(14, 32, 36, 22, 2)), solid(rgb(0xFAFAFA)), rgb(0x14244A), 1.4);
        for (int i = 0; i < 3; ++i) img.fill(Path(rect(18, 37 + i * 5, 28, 1.5)), rgb(0x9AA4B8));
    } else if (cmd == "Print") {
        outlineFill(img, Path(rect(16, 6, 32, 22)), solid(rgb(0xFFFFFF)), rgb(0x606070), 1.4);
        outlineFill(img, Path(roundRect(6, 22, 52, 24, 5)), vgrad(rgb(0xB8C0CC), rgb(0x6A7484), 22, 46), line);
        img.fill(Path(ellipse({49, 29}, 2.2, 2.2)), rgb(0x40D040));
        outlineFill(img, Path(rect(14, 38, 36, 22)), solid(rgb(0xFFFFFF)), rgb(0x606070), 1.4);
        img.fill(Path(Polygon{{17, 57}, {26, 45}, {32, 52}, {37, 47}, {47, 57}}), rgb(0x5A9AE6));
        img.fill(Path(rect(12, 38, 40, 2)), rgb(0x303844));
    } else if (cmd == "ClearHair") {
        Affine saved = img.transform;
        img.transform = rotateAbout({32, 32}, -0.6);
        outlineFill(img, Path(roundRect(8, 22, 28, 22, 3)), vgrad(rgb(0xF79AB0), rgb(0xD0607C), 22, 44), line);
        outlineFill(img, Path(roundRect(34, 22, 24, 22, 3)), vgrad(rgb(0x6AA8F0), rgb(0x3060B0), 22, 44), line);
        img.transform = saved;
        for (Pt p : {Pt{10, 54}, Pt{16, 58}, Pt{6, 48}}) img.fill(Path(ellipse(p, 2, 1.6)), rgb(0xD0607C));
        // A small comb being erased.
        Polygon strand = smoothOpen({{40, 56}, {48, 52}, {54, 56}, {60, 52}}, 8);
        img.fill(stroke(strand, 2.5), rgb(0x8A5226));
    } else if (cmd == "ModelColor") {
        palette(img);
        outlineFill(img, Path(ellipse({47, 47}, 12, 13)), radial({44, 43}, 15, 15, {{0, rgb(0xFCE0C8)}, {1, rgb(0xD8A080)}}), line, 1.6);
        img.fill(Path(ellipse({43, 45}, 1.6, 1.8)), line);
        img.fill(Path(ellipse({51, 45}, 1.6, 1.8)), line);
        img.fill(stroke(arc({47, 49}, 5, 4, 0.3, kPi - 0.3, 12), 1.4), rgb(0xB04040));
    } else if (cmd == "HairColor") {
        palette(img);
        for (int i = 0; i < 7; ++i) {
            Polygon s = smoothOpen({{38 + i * 1.5, 30}, {52 + i * 1.2, 38}, {40 + i * 1.6, 48}, {54 + i * 1.0, 60}}, 10);
            img.fill(stroke(s, [](double t) { return 0.6 + 2.4 * std::sin(kPi * (0.1 + 0.8 * t)); }),
                     i % 2 ? rgb(0x8A4A1E) : rgb(0xC07A36));
        }
    } else if (cmd == "About") {
        Polygon c = ellipse({32, 32}, 27, 27);
        outlineFill(img, Path(c), radial({26, 22}, 36, 36, {{0, rgb(0x7AB8FF)}, {1, rgb(0x1A4AA0)}}), rgb(0x10306A));
        img.fill(Path(ellipse({32, 19}, 4.2, 4.2)), rgb(0xFFFFFF));
        Path stem(roundRect(28, 27, 8, 22, 2));
        stem.add(rect(25, 27, 8, 4));
        stem.add(rect(25, 45, 14, 4));
        img.fill(stem, rgb(0xFFFFFF));
        img.fill(Path(ellipse({28, 18}, 14, 7, -0.3)), rgb(0xFFFFFF, 0.18f));
    }
    return img;
}

}  // namespace art
