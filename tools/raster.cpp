#include "tools/raster.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace art {

namespace {
constexpr int kSub = 8;  // sub-scanlines per pixel row
constexpr double kPi = 3.14159265358979323846;

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
}  // namespace

Color rgb(int hex, float alpha) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}

Color mix(Color a, Color b, double t) {
    float u = static_cast<float>(t);
    return {a.r + (b.r - a.r) * u, a.g + (b.g - a.g) * u, a.b + (b.b - a.b) * u, a.a + (b.a - a.a) * u};
}

Color shade(Color c, double f) {
    if (f <= 1.0) {
        float k = static_cast<float>(f);
        return {c.r * k, c.g * k, c.b * k, c.a};
    }
    return mix(c, Color{1, 1, 1, c.a}, std::min(1.0, f - 1.0));
}

Color withAlpha(Color c, float a) { return {c.r, c.g, c.b, a}; }

Paint solid(Color c) {
    return [c](double, double) { return c; };
}

namespace {
Color sample(const std::vector<Stop>& stops, double t) {
    if (stops.empty()) return {};
    if (t <= stops.front().t) return stops.front().c;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].t) {
            double span = stops[i].t - stops[i - 1].t;
            return mix(stops[i - 1].c, stops[i].c, span > 0 ? (t - stops[i - 1].t) / span : 1.0);
        }
    }
    return stops.back().c;
}
}  // namespace

Paint linear(Pt p0, Pt p1, std::vector<Stop> stops) {
    Pt d = p1 - p0;
    double len2 = d.x * d.x + d.y * d.y;
    return [p0, d, len2, stops = std::move(stops)](double x, double y) {
        double t = len2 > 0 ? ((x - p0.x) * d.x + (y - p0.y) * d.y) / len2 : 0.0;
        return sample(stops, t);
    };
}

Paint radial(Pt c, double rx, double ry, std::vector<Stop> stops) {
    return [c, rx, ry, stops = std::move(stops)](double x, double y) {
        double dx = (x - c.x) / rx, dy = (y - c.y) / ry;
        return sample(stops, std::sqrt(dx * dx + dy * dy));
    };
}

Polygon ellipse(Pt c, double rx, double ry, double rot, int segments) {
    if (segments <= 0) segments = std::max(24, static_cast<int>((rx + ry) * 1.6));
    Polygon p;
    p.reserve(segments);
    double cr = std::cos(rot), sr = std::sin(rot);
    for (int i = 0; i < segments; ++i) {
        double a = 2 * kPi * i / segments;
        double x = rx * std::cos(a), y = ry * std::sin(a);
        p.push_back({c.x + x * cr - y * sr, c.y + x * sr + y * cr});
    }
    return p;
}

Polygon rect(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

Polygon roundRect(double x, double y, double w, double h, double r) {
    Polygon p;
    r = std::min({r, w / 2, h / 2});
    auto arc = [&](double cx, double cy, double a0) {
        for (int i = 0; i <= 8; ++i) {
            double a = a0 + kPi / 2 * i / 8;
            p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
    };
    arc(x + w - r, y + r, -kPi / 2);
    arc(x + w - r, y + h - r, 0);
    arc(x + r, y + h - r, kPi / 2);
    arc(x + r, y + r, kPi);
    return p;
}

void cubicTo(Polygon& poly, Pt c1, Pt c2, Pt end, int segments) {
    Pt p0 = poly.empty() ? Pt{} : poly.back();
    if (segments <= 0) {
        double len = std::hypot(c1.x - p0.x, c1.y - p0.y) + std::hypot(c2.x - c1.x, c2.y - c1.y) +
                     std::hypot(end.x - c2.x, end.y - c2.y);
        segments = std::clamp(static_cast<int>(len / 2.0), 4, 200);
    }
    for (int i = 1; i <= segments; ++i) {
        double t = static_cast<double>(i) / segments, u = 1 - t;
        poly.push_back(p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t));
    }
}

void quadTo(Polygon& poly, Pt c, Pt end, int segments) {
    Pt p0 = poly.empty() ? Pt{} : poly.back();
    cubicTo(poly, lerp(p0, c, 2.0 / 3.0), lerp(end, c, 2.0 / 3.0), end, segments);
}

Polygon cubic(Pt p0, Pt c1, Pt c2, Pt p1, int segments) {
    Polygon p{p0};
    cubicTo(p, c1, c2, p1, segments);
    return p;
}

namespace {
Polygon catmull(const std::vector<Pt>& pts, int per, bool closed) {
    Polygon out;
    size_t n = pts.size();
    if (n < 2) return Polygon(pts.begin(), pts.end());
    auto get = [&](long i) -> Pt {
        if (closed) return pts[static_cast<size_t>((i % static_cast<long>(n) + n) % n)];
        return pts[static_cast<size_t>(std::clamp<long>(i, 0, static_cast<long>(n) - 1))];
    };
    size_t segs = closed ? n : n - 1;
    out.push_back(pts[0]);
    for (size_t i = 0; i < segs; ++i) {
        long k = static_cast<long>(i);
        Pt p0 = get(k - 1), p1 = get(k), p2 = get(k + 1), p3 = get(k + 2);
        Pt c1 = p1 + (p2 - p0) * (1.0 / 6.0), c2 = p2 - (p3 - p1) * (1.0 / 6.0);
        cubicTo(out, c1, c2, p2, per);
    }
    if (closed) out.pop_back();
    return out;
}
}  // namespace

double signedArea(const Polygon& p) {
    double a = 0;
    for (size_t i = 0, n = p.size(); i < n; ++i) a += p[i].x * p[(i + 1) % n].y - p[(i + 1) % n].x * p[i].y;
    return a / 2;
}

void orientPositive(Polygon& p) {
    if (signedArea(p) < 0) std::reverse(p.begin(), p.end());
}

Polygon smoothClosed(const std::vector<Pt>& points, int per) { return catmull(points, per, true); }
Polygon smoothOpen(const std::vector<Pt>& points, int per) { return catmull(points, per, false); }

Path stroke(const Polygon& line, const std::function<double(double)>& width, bool roundCaps) {
    Path out;
    size_t n = line.size();
    if (n < 2) return out;
    // Arc-length parameter for the width profile.
    std::vector<double> s(n, 0.0);
    for (size_t i = 1; i < n; ++i) s[i] = s[i - 1] + std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    double total = s.back() > 0 ? s.back() : 1.0;
    Polygon left, right;
    std::vector<Pt> normals(n);
    for (size_t i = 0; i < n; ++i) {
        Pt a = line[i == 0 ? 0 : i - 1], b = line[i == n - 1 ? n - 1 : i + 1];
        Pt d = b - a;
        double len = std::hypot(d.x, d.y);
        normals[i] = len > 0 ? Pt{-d.y / len, d.x / len} : Pt{0, 0};
    }
    for (size_t i = 0; i < n; ++i) {
        double hw = width(s[i] / total) / 2;
        left.push_back(line[i] + normals[i] * hw);
        right.push_back(line[i] - normals[i] * hw);
    }
    Polygon poly = left;
    auto cap = [&](Pt c, Pt from, double hw, Pt dir) {
        if (!roundCaps || hw <= 0.05) return;
        // half circle from 'from' around c, bulging along dir
        double a0 = std::atan2(from.y - c.y, from.x - c.x);
        double ad = std::atan2(dir.y, dir.x);
        double diff = std::remainder(ad - a0, 2 * kPi);
        double sweep = diff > 0 ? kPi : -kPi;
        for (int k = 1; k < 8; ++k) {
            double a = a0 + sweep * k / 8;
            poly.push_back({c.x + hw * std::cos(a), c.y + hw * std::sin(a)});
        }
    };
    {
        Pt d = line[n - 1] - line[n - 2];
        cap(line[n - 1], left.back(), width(1.0) / 2, d);
    }
    for (size_t i = n; i-- > 0;) poly.push_back(right[i]);
    {
        Pt d = line[0] - line[1];
        cap(line[0], right.front(), width(0.0) / 2, d);
    }
    orientPositive(poly);
    out.add(std::move(poly));
    return out;
}

Path stroke(const Polygon& line, double width, bool roundCaps) {
    return stroke(line, [width](double) { return width; }, roundCaps);
}

Path closedStroke(const Polygon& ring, double width) {
    Path out;
    size_t n = ring.size();
    if (n < 3) return out;
    Polygon outer, inner;
    for (size_t i = 0; i < n; ++i) {
        Pt a = ring[(i + n - 1) % n], b = ring[(i + 1) % n];
        Pt d = b - a;
        double len = std::hypot(d.x, d.y);
        Pt nrm = len > 0 ? Pt{-d.y / len, d.x / len} : Pt{0, 0};
        outer.push_back(ring[i] + nrm * (width / 2));
        inner.push_back(ring[i] - nrm * (width / 2));
    }
    std::reverse(inner.begin(), inner.end());
    out.add(std::move(outer));
    out.add(std::move(inner));
    return out;
}

Affine Affine::inverse() const {
    double det = a * d - b * c;
    if (det == 0) return {};
    Affine r;
    r.a = d / det;
    r.b = -b / det;
    r.c = -c / det;
    r.d = a / det;
    r.e = -(r.a * e + r.c * f);
    r.f = -(r.b * e + r.d * f);
    return r;
}

Affine operator*(const Affine& o, const Affine& i) {
    Affine r;
    r.a = o.a * i.a + o.c * i.b;
    r.b = o.b * i.a + o.d * i.b;
    r.c = o.a * i.c + o.c * i.d;
    r.d = o.b * i.c + o.d * i.d;
    r.e = o.a * i.e + o.c * i.f + o.e;
    r.f = o.b * i.e + o.d * i.f + o.f;
    return r;
}

Image::Image(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h * 4, 0.0f) {}

void Image::clear(Color c) {
    for (size_t i = 0; i < px_.size(); i += 4) {
        px_[i] = c.r * c.a;
        px_[i + 1] = c.g * c.a;
        px_[i + 2] = c.b * c.a;
        px_[i + 3] = c.a;
    }
}

namespace {
struct Edge {
    double x0, y0, x1, y1;
    int dir;
    int poly;
};

struct Crossing {
    double x;
    int dir;
    int poly;
    bool operator<(const Crossing& o) const { return x < o.x; }
};

// Calls row(y, x0, x1, cov) for each pixel row touched, cov[x - x0] in 0..1.
template <typename RowFn>
void rasterize(const Path& path, const Affine& xf, int w, int h, Rule rule, RowFn&& row) {
    std::vector<Edge> edges;
    double minY = 1e30, maxY = -1e30, minX = 1e30, maxX = -1e30;
    int polyIndex = -1;
    for (const Polygon& poly : path.parts) {
        ++polyIndex;
        size_t n = poly.size();
        if (n < 3) continue;
        for (size_t i = 0; i < n; ++i) {
            Pt a = xf.apply(poly[i]), b = xf.apply(poly[(i + 1) % n]);
            minX = std::min({minX, a.x, b.x});
            maxX = std::max({maxX, a.x, b.x});
            if (a.y == b.y) continue;
            int dir = 1;
            if (a.y > b.y) {
                std::swap(a, b);
                dir = -1;
            }
            edges.push_back({a.x, a.y, b.x, b.y, dir, polyIndex});
            minY = std::min(minY, a.y);
            maxY = std::max(maxY, b.y);
        }
    }
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(), [](const Edge& p, const Edge& q) { return p.y0 < q.y0; });
    int y0 = std::max(0, static_cast<int>(std::floor(minY)));
    int y1 = std::min(h - 1, static_cast<int>(std::ceil(maxY)));
    int x0 = std::max(0, static_cast<int>(std::floor(minX)));
    int x1 = std::min(w - 1, static_cast<int>(std::ceil(maxX)));
    if (y0 > y1 || x0 > x1) return;
    int span = x1 - x0 + 1;
    std::vector<float> acc(static_cast<size_t>(span) + 2);
    std::vector<const Edge*> active;
    std::vector<Crossing> xs;
    std::vector<int> polyWind(path.parts.size(), 0);
    size_t next = 0;
    for (int y = y0; y <= y1; ++y) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < kSub; ++s) {
            double sy = y + (s + 0.5) / kSub;
            while (next < edges.size() && edges[next].y0 <= sy) active.push_back(&edges[next++]);
            active.erase(std::remove_if(active.begin(), active.end(), [sy](const Edge* e) { return e->y1 <= sy; }),
                         active.end());
            xs.clear();
            for (const Edge* e : active) {
                if (e->y0 > sy) continue;
                double t = (sy - e->y0) / (e->y1 - e->y0);
                xs.push_back({e->x0 + (e->x1 - e->x0) * t, e->dir, e->poly});
            }
            if (xs.size() < 2) continue;
            std::sort(xs.begin(), xs.end());
            int wind = 0, insideParts = 0;
            for (size_t i = 0; i + 1 < xs.size(); ++i) {
                wind += xs[i].dir;
                int& pw = polyWind[static_cast<size_t>(xs[i].poly)];
                int before = pw;
                pw += xs[i].dir;
                if (before == 0 && pw != 0) ++insideParts;
                if (before != 0 && pw == 0) --insideParts;
                bool inside = rule == Rule::NonZero ? wind != 0 : rule == Rule::EvenOdd ? (wind & 1) != 0 : insideParts > 0;
                if (!inside) continue;
                double a = std::max(xs[i].x, static_cast<double>(x0));
                double b = std::min(xs[i + 1].x, static_cast<double>(x1 + 1));
                if (b <= a) continue;
                any = true;
                int ia = static_cast<int>(std::floor(a)), ib = static_cast<int>(std::floor(b));
                const float k = 1.0f / kSub;
                if (ia == ib) {
                    acc[ia - x0] += static_cast<float>(b - a) * k;
                } else {
                    acc[ia - x0] += static_cast<float>(ia + 1 - a) * k;
                    for (int x = ia + 1; x < ib; ++x) acc[x - x0] += k;
                    if (ib <= x1) acc[ib - x0] += static_cast<float>(b - ib) * k;
                }
            }
            for (const Crossing& c : xs) polyWind[static_cast<size_t>(c.poly)] = 0;
        }
        if (any) row(y, x0, x1, acc.data());
    }
}

inline void blend(float* d, Color c, float a, Mode mode) {
    if (a <= 0) return;
    if (a > 1) a = 1;
    switch (mode) {
    case Mode::Over:
        d[0] = c.r * a + d[0] * (1 - a);
        d[1] = c.g * a + d[1] * (1 - a);
        d[2] = c.b * a + d[2] * (1 - a);
        d[3] = a + d[3] * (1 - a);
        break;
    case Mode::Erase:
        for (int i = 0; i < 4; ++i) d[i] *= (1 - a);
        break;
    case Mode::Inside: {
        float da = d[3];
        d[0] = c.r * a * da + d[0] * (1 - a);
        d[1] = c.g * a * da + d[1] * (1 - a);
        d[2] = c.b * a * da + d[2] * (1 - a);
        break;
    }
    }
}
}  // namespace

void Image::fill(const Path& path, const Paint& paint, Rule rule, Mode mode) {
    Affine inv = transform.inverse();
    rasterize(path, transform, w_, h_, rule, [&](int y, int x0, int x1, const float* cov) {
        for (int x = x0; x <= x1; ++x) {
            float c = cov[x - x0];
            if (c <= 0.0005f) continue;
            if (clip) c *= (*clip)[static_cast<size_t>(y) * w_ + x];
            if (c <= 0.0005f) continue;
            Pt u = inv.apply({x + 0.5, y + 0.5});
            Color col = paint(u.x, u.y);
            blend(at(x, y), col, col.a * std::min(c, 1.0f), mode);
        }
    });
}

std::vector<float> Image::coverage(const Path& path, Rule rule) const {
    std::vector<float> out(static_cast<size_t>(w_) * h_, 0.0f);
    rasterize(path, transform, w_, h_, rule, [&](int y, int x0, int x1, const float* cov) {
        for (int x = x0; x <= x1; ++x) out[static_cast<size_t>(y) * w_ + x] = std::min(1.0f, cov[x - x0]);
    });
    return out;
}

void Image::paintCoverage(const std::vector<float>& cov, const Paint& paint, Mode mode) {
    Affine inv = transform.inverse();
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float c = cov[static_cast<size_t>(y) * w_ + x];
            if (clip) c *= (*clip)[static_cast<size_t>(y) * w_ + x];
            if (c <= 0.0005f) continue;
            Pt u = inv.apply({x + 0.5, y + 0.5});
            Color col = paint(u.x, u.y);
            blend(at(x, y), col, col.a * c, mode);
        }
}

void Image::composite(const Image& src, float opacity, Mode mode) {
    int w = std::min(w_, src.w_), h = std::min(h_, src.h_);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float* s = src.at(x, y);
            float* d = at(x, y);
            float sa = s[3] * opacity;
            if (sa <= 0) continue;
            if (mode == Mode::Erase) {
                for (int i = 0; i < 4; ++i) d[i] *= (1 - sa);
            } else if (mode == Mode::Inside) {
                float da = d[3];
                for (int i = 0; i < 3; ++i) d[i] = s[i] * opacity * da + d[i] * (1 - sa);
            } else {
                for (int i = 0; i < 3; ++i) d[i] = s[i] * opacity + d[i] * (1 - sa);
                d[3] = sa + d[3] * (1 - sa);
            }
        }
}

void Image::drawScaled(const Image& src, double ox, double oy, double dw, double dh) {
    if (dw <= 0 || dh <= 0 || src.w_ == 0 || src.h_ == 0) return;
    double sx = src.w_ / dw, sy = src.h_ / dh;
    int x0 = std::max(0, static_cast<int>(std::floor(ox))), x1 = std::min(w_, static_cast<int>(std::ceil(ox + dw)));
    int y0 = std::max(0, static_cast<int>(std::floor(oy))), y1 = std::min(h_, static_cast<int>(std::ceil(oy + dh)));
    for (int y = y0; y < y1; ++y) {
        double ya = std::max(0.0, (y - oy) * sy), yb = std::min<double>(src.h_, (y + 1 - oy) * sy);
        double coverY = std::min(1.0, oy + dh - y) - std::max(0.0, oy - y);
        for (int x = x0; x < x1; ++x) {
            double xa = std::max(0.0, (x - ox) * sx), xb = std::min<double>(src.w_, (x + 1 - ox) * sx);
            double coverX = std::min(1.0, ox + dw - x) - std::max(0.0, ox - x);
            double acc[4] = {0, 0, 0, 0}, wsum = 0;
            for (int j = static_cast<int>(ya); j < yb; ++j) {
                double wy = std::min<double>(j + 1, yb) - std::max<double>(j, ya);
                for (int i = static_cast<int>(xa); i < xb; ++i) {
                    double wx = std::min<double>(i + 1, xb) - std::max<double>(i, xa);
                    const float* s = src.at(i, j);
                    for (int k = 0; k < 4; ++k) acc[k] += s[k] * wx * wy;
                    wsum += wx * wy;
                }
            }
            if (wsum <= 0) continue;
            double cover = std::clamp(coverX, 0.0, 1.0) * std::clamp(coverY, 0.0, 1.0);
            float* d = at(x, y);
            float sa = static_cast<float>(acc[3] / wsum * cover);
            for (int k = 0; k < 3; ++k) d[k] = static_cast<float>(acc[k] / wsum * cover) + d[k] * (1 - sa);
            d[3] = sa + d[3] * (1 - sa);
        }
    }
}

void Image::blur(double radius) {
    if (radius <= 0) return;
    int r = static_cast<int>(std::ceil(radius * 2.5));
    std::vector<float> k(2 * r + 1);
    float sum = 0;
    for (int i = -r; i <= r; ++i) sum += k[i + r] = static_cast<float>(std::exp(-0.5 * i * i / (radius * radius)));
    for (float& v : k) v /= sum;
    std::vector<float> tmp(px_.size());
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                int xx = x + i;
                if (xx < 0 || xx >= w_) continue;
                const float* s = at(xx, y);
                for (int c = 0; c < 4; ++c) acc[c] += s[c] * k[i + r];
            }
            for (int c = 0; c < 4; ++c) tmp[(static_cast<size_t>(y) * w_ + x) * 4 + c] = acc[c];
        }
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                int yy = y + i;
                if (yy < 0 || yy >= h_) continue;
                const float* s = &tmp[(static_cast<size_t>(yy) * w_ + x) * 4];
                for (int c = 0; c < 4; ++c) acc[c] += s[c] * k[i + r];
            }
            float* d = at(x, y);
            for (int c = 0; c < 4; ++c) d[c] = acc[c];
        }
}

void Image::maskWith(const std::vector<float>& mask) {
    for (size_t i = 0; i < mask.size() && i * 4 < px_.size(); ++i)
        for (int c = 0; c < 4; ++c) px_[i * 4 + c] *= mask[i];
}

std::vector<uint8_t> toRGBA8(const Image& img) {
    std::vector<uint8_t> out(static_cast<size_t>(img.width()) * img.height() * 4);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const float* p = img.at(x, y);
            float a = clamp01(p[3]);
            uint8_t* o = &out[(static_cast<size_t>(y) * img.width() + x) * 4];
            uint8_t a8 = static_cast<uint8_t>(std::nearbyint(a * 255.0f));
            for (int c = 0; c < 3; ++c) {
                float v = a8 > 0 ? clamp01(p[c] / a) : 0.0f;
                o[c] = static_cast<uint8_t>(std::nearbyint(v * 255.0f));
            }
            o[3] = a8;
        }
    return out;
}

bool writePng(const std::string& file, const Image& img, bool opaque) {
    std::vector<uint8_t> data = toRGBA8(img);
    if (opaque)
        for (size_t i = 3; i < data.size(); i += 4) data[i] = 255;
    std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(file.c_str(), "wb"), &std::fclose);
    if (!fp) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, fp.get());
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, img.width(), img.height(), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < img.height(); ++y)
        png_write_row(png, &data[static_cast<size_t>(y) * img.width() * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

namespace {
void put16(std::vector<uint8_t>& v, unsigned x) {
    v.push_back(static_cast<uint8_t>(x & 255));
    v.push_back(static_cast<uint8_t>((x >> 8) & 255));
}
void put32(std::vector<uint8_t>& v, unsigned x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}
}  // namespace

bool writeIco(const std::string& file, const Image& img) {
    const int w = img.width(), h = img.height();
    std::vector<uint8_t> rgba = toRGBA8(img);
    const int maskStride = ((w + 31) / 32) * 4;
    const unsigned imageBytes = 40u + static_cast<unsigned>(w * h * 4 + maskStride * h);
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // icon
    put16(out, 1);  // one image
    out.push_back(static_cast<uint8_t>(w >= 256 ? 0 : w));
    out.push_back(static_cast<uint8_t>(h >= 256 ? 0 : h));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, imageBytes);
    put32(out, 6 + 16);
    // Bitmap header: height counts the colour rows and the mask rows.
    put32(out, 40);
    put32(out, static_cast<unsigned>(w));
    put32(out, static_cast<unsigned>(h * 2));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, static_cast<unsigned>(w * h * 4 + maskStride * h));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            out.push_back(p[3]);
        }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
        for (int x = 0; x < w; ++x)
            if (rgba[(static_cast<size_t>(y) * w + x) * 4 + 3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(file.c_str(), "wb"), &std::fclose);
    if (!fp) return false;
    return std::fwrite(out.data(), 1, out.size(), fp.get()) == out.size();
}

uint32_t Rng::next() {
    s_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = s_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

double Rng::uniform(double lo, double hi) { return lo + (hi - lo) * (next() / 4294967296.0); }

double Rng::normal(double mean, double sd) {
    double u1 = (next() + 1.0) / 4294967297.0, u2 = next() / 4294967296.0;
    return mean + sd * std::sqrt(-2.0 * std::log(u1)) * std::cos(2 * kPi * u2);
}

}  // namespace art
