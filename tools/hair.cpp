// Hair styles laid over the portraits. Every style is built from strands: thick tapered strokes
// give the silhouette, many thin darker and lighter strokes along the same flow give the texture.
#include <algorithm>
#include <cmath>

#include "tools/figure.h"

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Tint {
    Color base, dark, light;
};

Tint tint(int hex, double lightGain = 1.45) {
    Color b = rgb(hex);
    return {b, shade(b, 0.55), shade(b, lightGain)};
}

class Builder {
public:
    Builder(const Head& head, Tint t, uint32_t seed) : h(head), c(t), rng(seed), img(kHairW, kHairH) {
        img.transform = Affine::translate(-kHairToPortraitX, -kHairToPortraitY);
    }

    const Head h;
    Tint c;
    Rng rng;
    Image img;

    // Draws one part of the hair: a shadow on what lies below, the base fill, and texture strokes
    // that follow the given flow curves, kept inside the part.
    void part(const Path& shape, const std::vector<Polygon>& flow, double spread, int perCurve = 6, double thin = 0.8) {
        {
            Image sh(kHairW, kHairH);
            sh.transform = Affine::translate(-kHairToPortraitX, -kHairToPortraitY + 2.5);
            sh.fill(shape, withAlpha(rgb(0x000000), 0.45f), Rule::Union);
            sh.blur(2.5);
            img.composite(sh, 1.0f, Mode::Inside);
        }
        double top = h.skullTop() - 20, bottom = h.chinY + 150;
        img.fill(shape, linear({0, top}, {0, bottom}, {{0, mix(c.base, c.light, 0.15)}, {0.35, c.base}, {1, mix(c.base, c.dark, 0.5)}}),
                 Rule::Union);
        std::vector<float> mask = img.coverage(shape, Rule::Union);
        img.clip = &mask;
        for (const Polygon& curve : flow) {
            if (curve.size() < 2) continue;
            for (int k = 0; k < perCurve; ++k) {
                double off = rng.uniform(-spread / 2, spread / 2);
                Polygon line = offsetCurve(curve, off);
                double r = rng.uniform();
                Color col = r < 0.45 ? shade(c.dark, rng.uniform(0.7, 1.1)) : (r < 0.75 ? c.base : mix(c.base, c.light, rng.uniform(0.4, 1.0)));
                float alpha = static_cast<float>(rng.uniform(0.25, 0.6));
                double wdt = thin * rng.uniform(0.6, 1.3);
                img.fill(stroke(line, [wdt](double t) { return wdt * (t > 0.85 ? (1 - t) / 0.15 * 0.8 + 0.2 : 1.0); }), withAlpha(col, alpha));
            }
        }
        img.clip = nullptr;
    }

    static Polygon offsetCurve(const Polygon& curve, double off) {
        Polygon out;
        size_t n = curve.size();
        for (size_t i = 0; i < n; ++i) {
            Pt a = curve[i == 0 ? 0 : i - 1], b = curve[i + 1 < n ? i + 1 : n - 1];
            Pt d = b - a;
            double len = std::hypot(d.x, d.y);
            Pt nrm = len > 0 ? Pt{-d.y / len, d.x / len} : Pt{0, 0};
            out.push_back(curve[i] + nrm * off);
        }
        return out;
    }

    // Union of tapered thick strokes along the curves.
    static Path body(const std::vector<Polygon>& curves, double width, double tipTaper = 0.3) {
        Path p;
        for (const Polygon& cv : curves)
            p.add(stroke(cv, [width, tipTaper](double t) {
                double k = t > 1 - tipTaper ? std::max(0.12, (1 - t) / tipTaper) : 1.0;
                return width * k;
            }));
        return p;
    }

    // A cap over the model's own hair, grown by 'grow' pixels.
    Path cap(double grow) const {
        Polygon own = ownHairOutline(h);
        orientPositive(own);
        Polygon out;
        size_t n = own.size();
        for (size_t i = 0; i < n; ++i) {
            Pt d = own[(i + 1) % n] - own[(i + n - 1) % n];
            double len = std::hypot(d.x, d.y);
            Pt nrm = len > 0 ? Pt{d.y / len, -d.x / len} : Pt{0, 0};  // outward
            // The face side (normal pointing down) only grows a little over the forehead.
            double g = nrm.y > 0.3 ? 3.5 : std::max(3.0, grow);
            out.push_back(own[i] + nrm * g);
        }
        return Path(out);
    }

    // Sheen: a soft light band across the hair, only where hair already is.
    void sheen(Pt a, Pt b, Pt cpt, double width, float alpha) {
        Polygon band{a};
        quadTo(band, cpt, b);
        Image layer(kHairW, kHairH);
        layer.transform = img.transform;
        layer.fill(stroke(band, [width](double t) { return width * std::sin(kPi * (0.1 + 0.8 * t)); }), withAlpha(c.light, alpha));
        layer.blur(width * 0.35);
        img.composite(layer, 1.0f, Mode::Inside);
    }

    // Clears the hair over the visible face (below topY and outside the model's own hair), so a
    // mass drawn over the head leaves the face open without uncovering the own hair.
    void eraseFace(double topY, double blur = 1.2) {
        Polygon f = faceOutline(h);
        for (Pt& p : f) p.y = std::max(p.y, topY);
        Image layer(kHairW, kHairH);
        layer.transform = img.transform;
        layer.fill(Path(f), rgb(0));
        layer.fill(cap(1.0), rgb(0), Rule::NonZero, Mode::Erase);
        if (blur > 0) layer.blur(blur);
        img.composite(layer, 1.0f, Mode::Erase);
    }

    // Fills cracks a few pixels wide left between neighbouring parts: a pixel that has solid hair
    // on both sides along a line takes the colour of those sides.
    void closeGaps() {
        const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
        Image src = img;
        for (int y = 0; y < kHairH; ++y)
            for (int x = 0; x < kHairW; ++x) {
                float* d = img.at(x, y);
                if (d[3] > 0.9f) continue;
                for (const auto& dv : dirs) {
                    const float* best[2] = {nullptr, nullptr};
                    for (int side = 0; side < 2; ++side) {
                        int sg = side == 0 ? 1 : -1;
                        for (int k = 1; k <= 3 && !best[side]; ++k) {
                            int xx = x + sg * dv[0] * k, yy = y + sg * dv[1] * k;
                            if (xx < 0 || yy < 0 || xx >= kHairW || yy >= kHairH) break;
                            const float* q = src.at(xx, yy);
                            if (q[3] > 0.85f) best[side] = q;
                        }
                    }
                    if (best[0] && best[1]) {
                        for (int c = 0; c < 4; ++c) d[c] = (best[0][c] + best[1][c]) / 2;
                        break;
                    }
                }
            }
    }

    // A soft band along a curve, laid only over hair already drawn.
    void glaze(const Polygon& cv, double width, Color col, float alpha, double blur) {
        Image layer(kHairW, kHairH);
        layer.transform = img.transform;
        layer.fill(stroke(cv, [width](double t) { return width * std::min(1.0, std::min(t, 1 - t) * 6 + 0.1); }), withAlpha(col, alpha));
        layer.blur(blur);
        img.composite(layer, 1.0f, Mode::Inside);
    }

    void erase(Path p, double blur = 1.0) {
        for (Polygon& poly : p.parts) orientPositive(poly);
        Image layer(kHairW, kHairH);
        layer.transform = img.transform;
        layer.fill(p, rgb(0));
        if (blur > 0) layer.blur(blur);
        img.composite(layer, 1.0f, Mode::Erase);
    }

    // Wave offset sideways, growing from 0 at 'from' (arc fraction).
    // With fromY > 0 the wave grows with the height instead, so that neighbouring strands
    // swing together and no gaps open between them.
    static Polygon wave(const Polygon& cv, double amp, double period, double phase, double from = 0.3, double fromY = 0) {
        Polygon out;
        size_t n = cv.size();
        double total = 0;
        std::vector<double> s(n, 0);
        for (size_t i = 1; i < n; ++i) s[i] = total += std::hypot(cv[i].x - cv[i - 1].x, cv[i].y - cv[i - 1].y);
        for (size_t i = 0; i < n; ++i) {
            double t = total > 0 ? s[i] / total : 0;
            double k = fromY > 0 ? std::clamp((cv[i].y - fromY) / 40.0, 0.0, 1.0) : (t < from ? 0 : std::min(1.0, (t - from) / 0.2));
            out.push_back({cv[i].x + amp * k * std::sin(2 * kPi * cv[i].y / period + phase), cv[i].y});
        }
        return out;
    }
};

struct LongParams {
    double partX = 0;        // offset of the parting from the centre
    double vol = 8;          // volume over the skull
    double endY = 400;       // where the ends fall
    double flare = 20;       // extra width at the ends
    double wave = 0;         // wave amplitude
    double period = 46;
    double inward = 0;       // ends curling towards the face (bob)
    double frontDrop = 0;    // side-swept front strands dipping over the forehead
    double endJitter = 14;
    int strands = 26;        // per side
    double width = 13;
    bool back = true;        // hair visible behind the neck
};

// Long or medium hair parted at partX: strands run from the parting over the skull and fall down
// beside the face.
void longHair(Builder& b, const LongParams& p) {
    const Head& h = b.h;
    double cx = h.cx, tw = h.templeHalfW, rx = h.skullRx + p.vol;
    std::vector<Polygon> curves;
    std::vector<Polygon> frontCurves, midCurves;
    for (int side = -1; side <= 1; side += 2) {
        double s = side;
        for (int i = 0; i < p.strands; ++i) {
            double d = (i + b.rng.uniform(0.1, 0.9)) / p.strands;  // 0 front, 1 back
            double px = cx + p.partX + s * 1.5;
            double sideShare = std::clamp(0.5 + s * p.partX / (2 * tw), 0.1, 0.9);  // long side reaches further
            (void)sideShare;
            Pt root{px, h.hairlineY - 6 + (h.skullTop() - p.vol * 0.3 - (h.hairlineY - 6)) * d};
            Pt mFront{cx + p.partX * 0.3 + s * tw * 0.7, h.hairlineY - 3 + p.frontDrop * (s * p.partX < 0 ? 1 : 0.2)};
            Pt mBack{cx + s * rx * 0.72, h.skullTop() - p.vol * 0.55 + 10};
            Pt eFront{cx + s * (tw - 3), h.hairlineY + 32};
            Pt eBack{cx + s * rx, h.skullCy - 4};
            double lowY = std::min(p.endY - 20, h.earBottom + 14);
            Pt lFront{cx + s * (tw + 3 + p.flare * 0.2), lowY};
            Pt lBack{cx + s * (rx + p.flare * 0.5), lowY};
            double ty = p.endY + b.rng.uniform(-p.endJitter, p.endJitter) * (0.4 + d);
            Pt tFront{cx + s * (tw + 4 + p.flare * 0.55 - p.inward), ty - d * 4};
            Pt tBack{cx + s * (rx + p.flare - p.inward * 0.6), ty};
            std::vector<Pt> pts{root, lerp(mFront, mBack, d), lerp(eFront, eBack, d)};
            if (p.endY > lowY + 25) pts.push_back(lerp(lFront, lBack, d));
            if (p.endY > h.shoulderY + 30) {
                // Hair resting on the shoulders spreads outwards.
                double sy = h.shoulderY + 4 + 10 * d;
                Pt sFront{cx + s * (tw + 12 + p.flare * 0.4), sy};
                Pt sBack{cx + s * (rx + 10 + p.flare * 0.75), sy};
                pts.push_back(lerp(sFront, sBack, d));
                tFront.x += s * 10;
                tBack.x += s * 8;
            }
            Pt tip = lerp(tFront, tBack, d);
            if (p.inward > 0) {
                Pt pre = tip + Pt{s * p.inward * 0.5, -10};
                pts.push_back(pre);
            }
            pts.push_back(tip);
            Polygon cv = smoothOpen(pts, 12);
            if (p.wave > 0) cv = Builder::wave(cv, p.wave * s, p.period, s > 0 ? 0.0 : kPi, 0.35, h.eyeY);
            curves.push_back(cv);
            if (i == 0) frontCurves.push_back(cv);
            if (i == p.strands / 2) midCurves.push_back(cv);
        }
    }
    if (p.back && p.endY > h.chinY - 10) {
        // Hair behind the neck: visible between the neck and the falling hair.
        double bottom = std::min(p.endY - 10, h.shoulderY + 40.0);
        Polygon back{{cx - tw - 8, h.earTop}, {cx + tw + 8, h.earTop}, {cx + tw + 24, bottom}, {cx - tw - 24, bottom}};
        Path bp(back);
        b.part(bp, {}, 0);
        Path cut(neckOutline(h));
        cut.add(faceOutline(h));
        cut.add(torsoOutline(h));
        b.img.fill(bp, withAlpha(b.c.dark, 0.75f), Rule::NonZero, Mode::Inside);
        b.erase(cut, 0.8);
    }
    Path shape = b.cap(p.vol * 0.8);
    shape.add(Builder::body(curves, p.width));
    b.part(shape, curves, p.width * 0.9, 5);
    // Volume: shade along the face, light down the middle of each side.
    for (const Polygon& cv : frontCurves) b.glaze(Builder::offsetCurve(cv, 0), 9, rgb(0x000000), 0.35f, 3.5);
    for (const Polygon& cv : midCurves) b.glaze(cv, 10, b.c.light, 0.22f, 5);
    b.sheen({cx - rx * 0.75, h.skullTop() + 26}, {cx + rx * 0.75, h.skullTop() + 26}, {cx, h.skullTop() - 6}, 14, 0.35f);
}

enum class Fringe { Blunt, Side, Curtain, Wispy };

void fringe(Builder& b, Fringe kind, double lengthY, double widthShare = 0.9, double sideDir = 1) {
    const Head& h = b.h;
    double cx = h.cx, tw = h.templeHalfW;
    std::vector<Polygon> curves;
    int n = kind == Fringe::Blunt ? 26 : 18;
    for (int i = 0; i < n; ++i) {
        double u = (i + b.rng.uniform(0.2, 0.8)) / n * 2 - 1;  // -1..1 across the forehead
        Polygon cv;
        switch (kind) {
        case Fringe::Blunt:
        case Fringe::Wispy: {
            double x = cx + u * tw * widthShare;
            double tip = lengthY + b.rng.uniform(-2, 2) + (kind == Fringe::Wispy ? b.rng.uniform(-6, 6) : 0) + std::abs(u) * std::abs(u) * 6;
            cv = smoothOpen({{cx + u * tw * 0.4, h.skullTop() + 8}, {cx + u * tw * 0.75, h.hairlineY - 8}, {x, tip}}, 10);
            break;
        }
        case Fringe::Side: {
            double t = (u + 1) / 2;
            double s = sideDir;
            Pt root{cx - s * tw * 0.35, h.skullTop() + 6 + t * 8};
            Pt mid{cx - s * tw * 0.1 + s * t * tw * 0.55, h.hairlineY - 6 + t * 4};
            Pt tip{cx + s * tw * (0.55 + 0.5 * t), lengthY - 12 + t * 26 + b.rng.uniform(-3, 3)};
            cv = smoothOpen({root, mid, lerp(mid, tip, 0.5) + Pt{0, 6}, tip}, 10);
            break;
        }
        case Fringe::Curtain: {
            double s = u < 0 ? -1 : 1, t = std::abs(u) * 1.2;
            Pt root{cx + s * 2, h.hairlineY - 14};
            Pt mid{cx + s * (8 + 30 * t), h.hairlineY + 8 - 4 * t};
            Pt tip{cx + s * (tw * 0.6 + tw * 0.48 * t), lengthY + 14 * t + b.rng.uniform(-3, 3)};
            cv = smoothOpen({root, mid, tip}, 10);
            break;
        }
        }
        curves.push_back(cv);
    }
    double w = kind == Fringe::Blunt ? 11 : 10;
    Path shape = Builder::body(curves, w, kind == Fringe::Blunt ? 0.08 : 0.35);
    if (kind == Fringe::Side && !curves.empty()) {
        // Fill between the strands so that no forehead shows through under the sweep.
        std::vector<Polygon> sorted = curves;
        std::sort(sorted.begin(), sorted.end(), [](const Polygon& a, const Polygon& c) { return a.back().x < c.back().x; });
        Polygon fan{sorted.front().front()};
        for (const Polygon& cv : sorted) fan.push_back(cv[cv.size() * 3 / 4]);
        const Polygon& last = sorted.back();
        for (size_t k = last.size() * 3 / 4; k-- > 0;) fan.push_back(last[k]);
        orientPositive(fan);
        shape.add(fan);
    }
    b.part(shape, curves, w * 0.8, 6);
}

// Hair drawn back towards a point (bun, ponytail, slick): strands from the hairline to 'gather'.
void sweptBack(Builder& b, Pt gather, double vol, int count = 56) {
    const Head& h = b.h;
    std::vector<Polygon> curves;
    for (int i = 0; i < count; ++i) {
        double u = (i + b.rng.uniform(0.2, 0.8)) / count * 2 - 1;
        double a = u * 1.7;  // angle from the top of the forehead; beyond 1.35 behind the ears
        double a0 = std::clamp(a, -1.35, 1.35), extra = std::abs(a) - std::abs(a0);
        double sg = a < 0 ? -1 : 1;
        Pt root{h.cx + std::sin(a0) * h.templeHalfW * 1.02 + sg * extra * 30,
                h.hairlineY + 2 + (1 - std::cos(a0)) * (h.earTop - h.hairlineY) * 0.9 + extra * 20};
        // Radiating towards the gather point, bulging outwards over the dome of the head, so
        // that neighbouring strands never cross.
        Pt mid = lerp(root, gather, 0.45);
        Pt out = mid - Pt{h.cx, h.skullCy + 10};
        double ol = std::hypot(out.x, out.y);
        mid = mid + out * (std::min(14.0, 4 + vol) / ol);
        curves.push_back(smoothOpen({root, mid, lerp(mid, gather, 0.6), gather}, 10));
    }
    Path shape = b.cap(vol);
    b.part(shape, curves, 8, 6, 0.95);
    b.sheen({h.cx - h.skullRx * 0.7, h.skullTop() + 22}, {h.cx + h.skullRx * 0.7, h.skullTop() + 22}, {h.cx, h.skullTop() - 4}, 12, 0.4f);
}

void bun(Builder& b, Pt centre, double r) {
    std::vector<Polygon> curves;
    for (int i = 0; i < 14; ++i) {
        double a0 = b.rng.uniform(0, 2 * kPi);
        Polygon sp;
        for (int k = 0; k <= 40; ++k) {
            double a = a0 + k * 0.12, rr = r * (0.25 + 0.7 * k / 40.0);
            sp.push_back({centre.x + std::cos(a) * rr * 1.15, centre.y + std::sin(a) * rr * 0.85});
        }
        curves.push_back(sp);
    }
    b.part(Path(ellipse(centre, r * 1.15, r * 0.88)), curves, 4, 3, 0.8);
}

// A gathered tail along guide points: full near the band, narrowing towards a soft tip.
void ponytail(Builder& b, const std::vector<Pt>& guide, double width, double wave) {
    std::vector<Polygon> curves;
    size_t n = guide.size();
    for (int i = 0; i < 26; ++i) {
        double u = b.rng.uniform(-1, 1);
        std::vector<Pt> pts;
        for (size_t k = 0; k < n; ++k) {
            double t = static_cast<double>(k) / (n - 1);
            Pt d = guide[k < n - 1 ? k + 1 : k] - guide[k > 0 ? k - 1 : k];
            double len = std::hypot(d.x, d.y);
            Pt nrm = len > 0 ? Pt{-d.y / len, d.x / len} : Pt{1, 0};
            double spread = width * (t < 0.15 ? 0.35 + t * 4 : 1.0 - 0.55 * (t - 0.15));
            Pt q = guide[k] + nrm * (u * spread / 2);
            if (k == n - 1) q = q + Pt{b.rng.uniform(-3, 3), b.rng.uniform(-14, 6)};
            pts.push_back(q);
        }
        Polygon cv = smoothOpen(pts, 14);
        if (wave > 0) cv = Builder::wave(cv, wave, 50, 0, 0.3);
        curves.push_back(cv);
    }
    b.part(Builder::body(curves, 9, 0.45), curves, 8, 6);
    b.glaze(smoothOpen(guide, 14), width * 0.35, b.c.light, 0.25f, 4);
}

void braid(Builder& b, Pt from, Pt to, double w) {
    int n = static_cast<int>(std::hypot(to.x - from.x, to.y - from.y) / (w * 0.75));
    for (int i = 0; i < n; ++i) {
        double t = (i + 0.5) / n;
        Pt p = lerp(from, to, t);
        double ww = w * (1 - 0.35 * t);
        double s = i % 2 ? 1 : -1;
        Pt cpt = p + Pt{s * ww * 0.22, 0};
        Polygon lobe = ellipse(cpt, ww * 0.42, ww * 0.6, s * 0.6);
        std::vector<Polygon> curves;
        for (int k = -2; k <= 2; ++k)
            curves.push_back(smoothOpen({cpt + Pt{-s * ww * 0.35, -ww * 0.45 + k * 2.0}, cpt + Pt{0, k * 2.0}, cpt + Pt{s * ww * 0.3, ww * 0.45 + k * 2.0}}, 6));
        b.part(Path(lobe), curves, 3, 2, 0.7);
        Image gloss(kHairW, kHairH);
        gloss.transform = b.img.transform;
        gloss.fill(Path(ellipse(cpt + Pt{-s * ww * 0.08, -ww * 0.12}, ww * 0.22, ww * 0.32, s * 0.6)), withAlpha(b.c.light, 0.45f));
        gloss.blur(2.0);
        b.img.composite(gloss, 1.0f, Mode::Inside);
    }
    // Loose end.
    std::vector<Polygon> tail;
    for (int k = 0; k < 8; ++k) tail.push_back(smoothOpen({to + Pt{0, -4}, to + Pt{b.rng.uniform(-4, 4), 12}, to + Pt{b.rng.uniform(-6, 6), 22}}, 6));
    b.part(Builder::body(tail, 6, 0.6), tail, 4, 3);
}

// Short hair for men: a cap with short strokes following a direction field.
void shortHair(Builder& b, double vol, const std::function<Pt(Pt)>& dir, double len, int count, double sideburn = 16) {
    const Head& h = b.h;
    Path shape = b.cap(vol);
    // Sideburns down in front of the ears.
    for (int s = -1; s <= 1; s += 2) {
        double x = h.cx + s * (h.templeHalfW + 1);
        shape.add(stroke(Polygon{{x, h.earTop - 8}, {x + s * 1.0, h.earTop + sideburn}}, 8, true));
    }
    std::vector<float> mask = b.img.coverage(shape);
    std::vector<Polygon> curves;
    for (int i = 0; i < count; ++i) {
        Pt p{h.cx + b.rng.uniform(-h.skullRx - vol, h.skullRx + vol), b.rng.uniform(h.skullTop() - vol, h.earTop + sideburn)};
        Pt hp = b.img.transform.apply(p);
        int ix = static_cast<int>(hp.x), iy = static_cast<int>(hp.y);
        if (ix < 0 || iy < 0 || ix >= kHairW || iy >= kHairH || mask[static_cast<size_t>(iy) * kHairW + ix] < 0.5f) continue;
        Pt d = dir(p);
        double l = len * b.rng.uniform(0.6, 1.3);
        curves.push_back(smoothOpen({p, p + d * (l * 0.5) + Pt{b.rng.uniform(-1, 1), b.rng.uniform(-1, 1)}, p + d * l}, 4));
    }
    b.part(shape, curves, 1.5, 1, 0.9);
    // Fuzzy edge: strands poking out of the silhouette.
    b.sheen({h.cx - h.skullRx * 0.6, h.skullTop() + 20}, {h.cx + h.skullRx * 0.6, h.skullTop() + 20}, {h.cx - 4, h.skullTop()}, 12, 0.3f);
}

void spikes(Builder& b, int count, double len, double vol) {
    const Head& h = b.h;
    std::vector<Polygon> curves;
    Path shape;
    for (int i = 0; i < count; ++i) {
        double a = -kPi / 2 + (i + 0.5 - count / 2.0) / count * 2.3 + b.rng.uniform(-0.05, 0.05);
        Pt base{h.cx + std::cos(a) * (h.skullRx + vol - 10), h.skullCy + std::sin(a) * (h.skullRy + vol - 10)};
        double l = len * b.rng.uniform(0.7, 1.2) * (1 - 0.4 * std::abs(std::cos(a)));
        Pt tip{base.x + std::cos(a - 0.15) * l, base.y + std::sin(a - 0.15) * l};
        Polygon cv = smoothOpen({base, lerp(base, tip, 0.5) + Pt{2, 0}, tip}, 8);
        curves.push_back(cv);
        shape.add(stroke(cv, [](double t) { return 16 * (1 - t) + 0.8; }));
    }
    b.part(shape, curves, 8, 5, 0.8);
}

void curls(Builder& b, Path shape, int count, double r) {
    shape.add(b.cap(6));
    for (Polygon& poly : shape.parts) orientPositive(poly);
    std::vector<float> mask = b.img.coverage(shape);
    b.part(shape, {}, 0);
    b.img.clip = &mask;
    for (int i = 0; i < count; ++i) {
        Pt hp{b.rng.uniform(0, kHairW), b.rng.uniform(0, kHairH)};
        int ix = static_cast<int>(hp.x), iy = static_cast<int>(hp.y);
        if (mask[static_cast<size_t>(iy) * kHairW + ix] < 0.3f) continue;
        Pt p = b.img.transform.inverse().apply(hp);
        double rr = r * b.rng.uniform(0.6, 1.3), a0 = b.rng.uniform(0, 2 * kPi);
        Polygon arc;
        for (int k = 0; k <= 14; ++k) {
            double a = a0 + k * 0.35;
            arc.push_back({p.x + std::cos(a) * rr * (0.6 + k / 30.0), p.y + std::sin(a) * rr * 0.8 * (0.6 + k / 30.0)});
        }
        double q = b.rng.uniform();
        Color col = q < 0.35 ? shade(b.c.base, 1.15) : (q < 0.7 ? mix(b.c.base, b.c.light, 0.5) : b.c.light);
        Polygon sh = Builder::offsetCurve(arc, 1.2);
        b.img.fill(stroke(sh, [](double t) { return 0.4 + 1.6 * std::sin(kPi * t); }), withAlpha(shade(b.c.dark, 0.6), 0.5f));
        b.img.fill(stroke(arc, [](double t) { return 0.3 + 1.4 * std::sin(kPi * t); }), withAlpha(col, static_cast<float>(b.rng.uniform(0.45, 0.8))));
    }
    b.img.clip = nullptr;
}

// A bumpy outline around a region for curly styles.
Path curlyMass(const Head& h, double vol, double bottomY, double widthAtBottom, Rng& rng) {
    Path p;
    Polygon core;
    int n = 40;
    for (int i = 0; i <= n; ++i) {
        double a = kPi + kPi * i / n;  // over the top
        core.push_back({h.cx + std::cos(a) * (h.skullRx + vol), h.skullCy - 6 + std::sin(a) * (h.skullRy + vol)});
    }
    core.push_back({h.cx + widthAtBottom, bottomY});
    core.push_back({h.cx + h.templeHalfW * 0.8, bottomY});
    core.push_back({h.cx + h.templeHalfW + 2, h.eyeY});
    core.push_back({h.cx + h.templeHalfW * 0.7, h.hairlineY + 4});
    core.push_back({h.cx, h.hairlineY - 2});
    core.push_back({h.cx - h.templeHalfW * 0.7, h.hairlineY + 4});
    core.push_back({h.cx - h.templeHalfW - 2, h.eyeY});
    core.push_back({h.cx - h.templeHalfW * 0.8, bottomY});
    core.push_back({h.cx - widthAtBottom, bottomY});
    orientPositive(core);
    p.add(core);
    // Bumps along the outer edge.
    for (int i = 0; i <= n; i += 2) {
        Pt q = core[static_cast<size_t>(i)];
        Polygon e = ellipse(q, rng.uniform(7, 12), rng.uniform(7, 12));
        orientPositive(e);
        p.add(e);
    }
    for (int k = 0; k < 8; ++k)
        for (int s = -1; s <= 1; s += 2) {
            double x = h.cx + s * (h.templeHalfW * 0.8 + (widthAtBottom - h.templeHalfW * 0.8) * k / 7.0);
            Polygon e = ellipse({x, bottomY + rng.uniform(-3, 3)}, rng.uniform(7, 10), rng.uniform(7, 10));
            orientPositive(e);
            p.add(e);
        }
    for (int k = 0; k < 6; ++k)
        for (int s = -1; s <= 1; s += 2) {
            double y = h.skullCy + (bottomY - h.skullCy) * k / 5.0;
            double x = h.cx + s * (h.skullRx + vol + (widthAtBottom - h.skullRx - vol) * k / 5.0);
            Polygon e = ellipse({x, y}, rng.uniform(8, 12), rng.uniform(8, 12));
            orientPositive(e);
            p.add(e);
        }
    return p;
}

// Hair colours.
const int kBlack = 0x1E1915, kDarkBrown = 0x3B2619, kChestnut = 0x6B3B1F, kAuburn = 0x8E3B1F, kBlonde = 0xC49A5C,
          kAsh = 0xB8A68A, kGrey = 0x9C9A96, kSilver = 0xC9C9CC, kCopper = 0xB05F2B, kBurgundy = 0x6E1F35,
          kPink = 0xCF7C9E, kBlue = 0x3E5C9E, kPurple = 0x5F3C80, kHoney = 0xA8743A;

}  // namespace

HairSet drawHairStyles(const Head& w, const Head& m) {
    HairSet out;
    int idx = 0;
    auto woman = [&](int colour, auto&& fn) {
        ++idx;
        Builder b(w, tint(colour), 1000u + static_cast<uint32_t>(idx));
        fn(b);
        b.closeGaps();
        out.women.push_back(std::move(b.img));
    };
    // Long straight, centre part.
    woman(kDarkBrown, [](Builder& b) { longHair(b, {.partX = 0, .vol = 7, .endY = 410, .flare = 16}); });
    // Long wavy, side part.
    woman(kChestnut, [](Builder& b) { longHair(b, {.partX = -22, .vol = 10, .endY = 400, .flare = 30, .wave = 7, .frontDrop = 10}); });
    // Chin bob with blunt bangs.
    woman(kBlack, [](Builder& b) {
        longHair(b, {.partX = 0, .vol = 9, .endY = 262, .flare = 12, .inward = 8, .endJitter = 3, .back = true});
        fringe(b, Fringe::Blunt, b.h.eyeY - 18);
    });
    // Long blonde with curtain bangs.
    woman(kBlonde, [](Builder& b) {
        longHair(b, {.partX = 0, .vol = 9, .endY = 395, .flare = 24, .wave = 3});
        fringe(b, Fringe::Curtain, b.h.eyeY + 6);
    });
    // High bun.
    woman(kDarkBrown, [](Builder& b) {
        bun(b, {b.h.cx, b.h.skullTop() - 10}, 24);
        sweptBack(b, {b.h.cx, b.h.skullTop() - 6}, 4);
    });
    // Side ponytail over the shoulder.
    woman(kAuburn, [](Builder& b) {
        sweptBack(b, {b.h.cx + 60, b.h.skullCy + 20}, 5);
        // Gathered at the nape, brought forward over the shoulder from behind the jaw.
        const Head& h = b.h;
        ponytail(b, {{h.cx + 40, h.earBottom + 6}, {h.cx + 64, h.earBottom + 40}, {h.cx + 74, h.shoulderY}, {h.cx + 66, 390}}, 34, 4);
        b.eraseFace(b.h.earBottom - 6, 1.0);
    });
    // Pixie with side-swept fringe.
    woman(kChestnut, [](Builder& b) {
        shortHair(b, 8, [&](Pt p) { return Pt{0.8, (p.y - b.h.skullCy) * 0.01 - 0.4}; }, 12, 900, 10);
        fringe(b, Fringe::Side, b.h.eyeY - 12, 0.9, 1);
    });
    // Long curly.
    woman(kDarkBrown, [](Builder& b) {
        Path mass = curlyMass(b.h, 16, 360, 110, b.rng);
        curls(b, mass, 9000, 5.5);
        b.eraseFace(b.h.hairlineY + 3, 1.5);
        b.erase(Path(neckOutline(b.h)), 1.0);
    });
    // Long straight platinum with side part.
    woman(kSilver, [](Builder& b) { longHair(b, {.partX = 24, .vol = 6, .endY = 405, .flare = 14, .frontDrop = 8}); });
    // Shoulder-length layered, honey.
    woman(kHoney, [](Builder& b) { longHair(b, {.partX = -16, .vol = 12, .endY = 320, .flare = 28, .wave = 4, .inward = 4, .frontDrop = 12}); });
    // Two braids.
    woman(kBlack, [](Builder& b) {
        longHair(b, {.partX = 0, .vol = 4, .endY = 225, .flare = 2, .back = false});
        braid(b, {b.h.cx - b.h.templeHalfW - 6, b.h.earBottom}, {b.h.cx - b.h.templeHalfW - 22, 390}, 24);
        braid(b, {b.h.cx + b.h.templeHalfW + 6, b.h.earBottom}, {b.h.cx + b.h.templeHalfW + 22, 390}, 24);
    });
    // Long wavy auburn with curtain bangs.
    woman(kAuburn, [](Builder& b) {
        longHair(b, {.partX = 0, .vol = 12, .endY = 380, .flare = 34, .wave = 8, .period = 40});
        fringe(b, Fringe::Curtain, b.h.eyeY + 12);
    });
    // Grey bob, side part.
    woman(kGrey, [](Builder& b) {
        longHair(b, {.partX = -20, .vol = 10, .endY = 280, .flare = 16, .inward = 10, .frontDrop = 14, .endJitter = 4});
    });
    // Pink lob with blunt fringe.
    woman(kPink, [](Builder& b) {
        longHair(b, {.partX = 0, .vol = 8, .endY = 300, .flare = 18, .inward = 3, .endJitter = 5});
        fringe(b, Fringe::Blunt, b.h.eyeY - 16);
    });
    // Low bun at the nape, chestnut.
    woman(kChestnut, [](Builder& b) {
        bun(b, {b.h.cx + 44, b.h.skullTop() + 8}, 24);
        sweptBack(b, {b.h.cx + 40, b.h.skullTop() + 20}, 3);
    });
    // Very long straight black.
    woman(kBlack, [](Builder& b) { longHair(b, {.partX = 10, .vol = 6, .endY = 422, .flare = 10, .endJitter = 6, .strands = 30}); });
    // Curly bob, auburn.
    woman(kCopper, [](Builder& b) {
        Path mass = curlyMass(b.h, 14, 270, 96, b.rng);
        curls(b, mass, 7000, 5);
        b.eraseFace(b.h.hairlineY + 3, 1.5);
    });
    // Short pixie, platinum, brushed forward.
    woman(kAsh, [](Builder& b) {
        shortHair(b, 6, [&](Pt p) { return Pt{(p.x - b.h.cx) * 0.01, 0.9}; }, 10, 900, 12);
        fringe(b, Fringe::Wispy, b.h.hairlineY + 18, 0.85);
    });
    // Top knot, blue dyed.
    woman(kBlue, [](Builder& b) {
        bun(b, {b.h.cx + 6, b.h.skullTop() - 16}, 20);
        sweptBack(b, {b.h.cx + 4, b.h.skullTop() - 10}, 5);
    });
    // Long side-swept blonde waves.
    woman(kBlonde, [](Builder& b) { longHair(b, {.partX = -28, .vol = 12, .endY = 400, .flare = 36, .wave = 9, .period = 52, .frontDrop = 18}); });
    // Bob with side fringe, burgundy.
    woman(kBurgundy, [](Builder& b) {
        longHair(b, {.partX = -20, .vol = 9, .endY = 268, .flare = 10, .inward = 9, .endJitter = 3});
        fringe(b, Fringe::Side, b.h.eyeY - 8, 0.9, 1);
    });
    // High ponytail at the crown, swinging behind the head.
    woman(kDarkBrown, [](Builder& b) {
        const Head& h = b.h;
        double rx = h.skullRx;
        ponytail(b, {{h.cx - 6, h.skullTop() + 6}, {h.cx - 44, h.skullTop() - 16}, {h.cx - rx - 20, h.skullCy - 30},
                     {h.cx - rx - 26, h.chinY + 10}, {h.cx - rx - 14, h.shoulderY + 40}},
                 34, 2);
        b.eraseFace(h.hairlineY + 3, 1.0);
        b.erase(Path(neckOutline(h)), 1.0);
        sweptBack(b, {h.cx - 6, h.skullTop() + 4}, 5);
        // The band.
        b.img.fill(Path(ellipse({h.cx - 8, h.skullTop() + 2}, 9, 5, -0.4)), shade(b.c.dark, 0.5));
    });
    // Medium wavy purple.
    woman(kPurple, [](Builder& b) { longHair(b, {.partX = 12, .vol = 12, .endY = 330, .flare = 30, .wave = 7, .period = 36}); });
    // Long grey with wispy bangs.
    woman(kGrey, [](Builder& b) {
        longHair(b, {.partX = 0, .vol = 8, .endY = 390, .flare = 20});
        fringe(b, Fringe::Wispy, b.h.eyeY - 14);
    });
    // Long straight honey with a deep side part and a swept fringe.
    woman(kHoney, [](Builder& b) {
        longHair(b, {.partX = 26, .vol = 8, .endY = 370, .flare = 22, .wave = 2, .frontDrop = 16});
        fringe(b, Fringe::Side, b.h.eyeY - 6, 0.9, -1);
    });
    // Afro-style curls.
    woman(kBlack, [](Builder& b) {
        Path mass = curlyMass(b.h, 34, 250, 112, b.rng);
        curls(b, mass, 9000, 4.5);
        b.eraseFace(b.h.hairlineY + 3, 1.5);
    });

    idx = 0;
    auto man = [&](int colour, auto&& fn) {
        ++idx;
        Builder b(m, tint(colour), 2000u + static_cast<uint32_t>(idx));
        fn(b);
        b.closeGaps();
        out.men.push_back(std::move(b.img));
    };
    const Head& H = m;
    // Crew cut.
    man(kBlack, [&](Builder& b) { shortHair(b, 4, [&](Pt p) { Pt d{p.x - H.cx, p.y - H.skullCy - 30}; double l = std::hypot(d.x, d.y); return d * (1 / l); }, 6, 2000); });
    // Side part, dark brown.
    man(kDarkBrown, [&](Builder& b) { shortHair(b, 9, [&](Pt p) { return p.x < H.cx - 22 ? Pt{-0.6, 0.6} : Pt{0.95, 0.15}; }, 14, 1400); });
    // Quiff.
    man(kChestnut, [&](Builder& b) {
        shortHair(b, 5, [&](Pt p) { Pt d{p.x - H.cx, p.y - H.skullCy}; double l = std::hypot(d.x, d.y); return d * (1 / l); }, 7, 1400);
        std::vector<Polygon> cv;
        for (int i = 0; i < 30; ++i) {
            double u = b.rng.uniform(-1, 1);
            Pt root{H.cx + u * H.templeHalfW * 0.75, H.hairlineY + 2};
            Pt up{H.cx + u * H.templeHalfW * 0.7 + 6, H.skullTop() - 26 + std::abs(u) * 12};
            Pt back{H.cx + u * H.templeHalfW * 0.8 + 14, H.skullTop() + 4};
            cv.push_back(smoothOpen({root, {root.x - 2, H.hairlineY - 20}, up, back}, 10));
        }
        b.part(Builder::body(cv, 14, 0.2), cv, 12, 6);
        b.sheen({H.cx - 40, H.skullTop() - 14}, {H.cx + 40, H.skullTop() - 8}, {H.cx, H.skullTop() - 30}, 10, 0.4f);
    });
    // Spiky.
    man(kHoney, [&](Builder& b) {
        shortHair(b, 6, [&](Pt p) { Pt d{p.x - H.cx, p.y - H.skullCy}; double l = std::hypot(d.x, d.y); return d * (1 / l); }, 7, 1200);
        spikes(b, 16, 26, 6);
    });
    // Side sweep with fringe.
    man(kBlack, [&](Builder& b) {
        shortHair(b, 8, [&](Pt) { return Pt{0.9, 0.3}; }, 12, 1400);
        fringe(b, Fringe::Side, H.hairlineY + 22, 0.8, 1);
    });
    // Slicked back.
    man(kDarkBrown, [&](Builder& b) { sweptBack(b, {H.cx, H.skullTop() - 40}, 7, 64); });
    // Medium length, centre part.
    man(kChestnut, [&](Builder& b) { longHair(b, {.partX = 0, .vol = 8, .endY = 232, .flare = 10, .wave = 2, .inward = 2, .endJitter = 6, .strands = 22, .width = 12, .back = false}); });
    // Short curls.
    man(kBlack, [&](Builder& b) {
        Path mass = curlyMass(b.h, 10, H.earTop, H.skullRx + 10, b.rng);
        curls(b, mass, 6000, 3.6);
        b.eraseFace(H.hairlineY + 3, 1.0);
    });
    // Grey side part, distinguished.
    man(kGrey, [&](Builder& b) { shortHair(b, 8, [&](Pt p) { return p.x < H.cx - 25 ? Pt{-0.5, 0.7} : Pt{0.85, -0.1}; }, 14, 1500); });
    // Buzz cut, light.
    man(kAsh, [&](Builder& b) { shortHair(b, 2, [&](Pt p) { Pt d{p.x - H.cx, p.y - H.skullCy - 40}; double l = std::hypot(d.x, d.y); return d * (1 / l); }, 4, 2200, 10); });
    // Forward fringe (brushed forward).
    man(kDarkBrown, [&](Builder& b) {
        shortHair(b, 8, [&](Pt p) { return Pt{(p.x - H.cx) * 0.012, 1.0}; }, 12, 1400);
        fringe(b, Fringe::Wispy, H.hairlineY + 16, 0.85);
    });
    // Long surfer waves, blonde.
    man(kBlonde, [&](Builder& b) { longHair(b, {.partX = -14, .vol = 10, .endY = 300, .flare = 24, .wave = 6, .period = 38, .frontDrop = 8, .strands = 24}); });
    // Man bun.
    man(kBlack, [&](Builder& b) {
        bun(b, {H.cx, H.skullTop() - 8}, 18);
        sweptBack(b, {H.cx, H.skullTop() - 4}, 5);
    });
    // Dyed undercut with top, blue.
    man(kBlue, [&](Builder& b) {
        shortHair(b, 2, [&](Pt p) { Pt d{p.x - H.cx, p.y - H.skullCy}; double l = std::hypot(d.x, d.y); return d * (1 / l); }, 4, 1400, 8);
        std::vector<Polygon> cv;
        for (int i = 0; i < 28; ++i) {
            double u = b.rng.uniform(-1, 1);
            Pt root{H.cx - 30 + u * 20, H.skullTop() + 6};
            Pt mid{H.cx + u * 30, H.skullTop() - 6};
            Pt tip{H.cx + 30 + u * 30, H.hairlineY + 6 + u * 6};
            cv.push_back(smoothOpen({root, mid, tip}, 10));
        }
        b.part(Builder::body(cv, 14, 0.35), cv, 12, 6);
    });
    return out;
}

}  // namespace art
