// A small anti-aliased software rasteriser used to draw the pictures the program ships with.
// Paths are filled by sub-scanline supersampling with exact horizontal coverage; colours are
// straight RGBA in 0..1 and the canvas keeps premultiplied floats.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace art {

struct Pt {
    double x = 0, y = 0;
};
inline Pt operator+(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
inline Pt operator-(Pt a, Pt b) { return {a.x - b.x, a.y - b.y}; }
inline Pt operator*(Pt a, double s) { return {a.x * s, a.y * s}; }
inline Pt lerp(Pt a, Pt b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};
Color rgb(int hex, float alpha = 1.0f);
Color mix(Color a, Color b, double t);
Color shade(Color c, double factor);   // < 1 darker, > 1 lighter (towards white)
Color withAlpha(Color c, float a);

// A paint gives the straight colour at a point in user coordinates.
using Paint = std::function<Color(double x, double y)>;
Paint solid(Color c);
struct Stop {
    double t;
    Color c;
};
Paint linear(Pt p0, Pt p1, std::vector<Stop> stops);
// Radial gradient with separate radii in x and y (an axis-aligned elliptic gradient).
Paint radial(Pt centre, double rx, double ry, std::vector<Stop> stops);

using Polygon = std::vector<Pt>;
struct Path {
    std::vector<Polygon> parts;
    Path() = default;
    Path(Polygon p) { parts.push_back(std::move(p)); }
    void add(Polygon p) { parts.push_back(std::move(p)); }
    void add(const Path& p) { parts.insert(parts.end(), p.parts.begin(), p.parts.end()); }
};

// Builders (curves are flattened finely enough for the sizes drawn here).
Polygon ellipse(Pt c, double rx, double ry, double rotation = 0.0, int segments = 0);
Polygon rect(double x, double y, double w, double h);
Polygon roundRect(double x, double y, double w, double h, double r);
void cubicTo(Polygon& poly, Pt c1, Pt c2, Pt end, int segments = 0);
void quadTo(Polygon& poly, Pt c, Pt end, int segments = 0);
// A closed smooth curve through the points (Catmull-Rom), flattened.
Polygon smoothClosed(const std::vector<Pt>& points, int perSegment = 10);
// An open smooth curve through the points (Catmull-Rom), flattened.
Polygon smoothOpen(const std::vector<Pt>& points, int perSegment = 10);
double signedArea(const Polygon& p);
// Makes the winding positive so that a union of parts can be filled with the non-zero rule.
void orientPositive(Polygon& p);
Polygon cubic(Pt p0, Pt c1, Pt c2, Pt p1, int segments = 0);
// Outline of a stroke along an open polyline; width may vary along it (t in 0..1).
Path stroke(const Polygon& line, const std::function<double(double t)>& width, bool roundCaps = true);
Path stroke(const Polygon& line, double width, bool roundCaps = true);
Path closedStroke(const Polygon& ring, double width);

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;  // x' = a x + c y + e, y' = b x + d y + f
    Pt apply(Pt p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    Affine inverse() const;
    static Affine translate(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static Affine scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
};
Affine operator*(const Affine& outer, const Affine& inner);

// Union: inside when any one polygon of the path is (non-zero on its own), so parts that fold
// over themselves never cancel each other out.
enum class Rule { NonZero, EvenOdd, Union };
enum class Mode { Over, Erase, Inside };  // Inside: source-atop (paint only where the canvas has alpha)

class Image {
public:
    Image() = default;
    Image(int w, int h);
    int width() const { return w_; }
    int height() const { return h_; }

    // Premultiplied RGBA floats.
    float* at(int x, int y) { return &px_[(static_cast<size_t>(y) * w_ + x) * 4]; }
    const float* at(int x, int y) const { return &px_[(static_cast<size_t>(y) * w_ + x) * 4]; }

    void clear(Color c);
    void fill(const Path& path, const Paint& paint, Rule rule = Rule::NonZero, Mode mode = Mode::Over);
    void fill(const Path& path, Color c, Rule rule = Rule::NonZero, Mode mode = Mode::Over) {
        fill(path, solid(c), rule, mode);
    }
    // Coverage of a path in device pixels (0..1 per pixel), honouring the transform.
    std::vector<float> coverage(const Path& path, Rule rule = Rule::NonZero) const;
    void paintCoverage(const std::vector<float>& cov, const Paint& paint, Mode mode = Mode::Over);

    // Draws another image over this one (same size), with an opacity.
    void composite(const Image& src, float opacity = 1.0f, Mode mode = Mode::Over);
    // Draws src scaled into the rectangle (x, y, w, h) by area averaging (down-scaling).
    void drawScaled(const Image& src, double x, double y, double w, double h);
    void blur(double radius);
    // Multiplies alpha (and colour) by a mask of the canvas size.
    void maskWith(const std::vector<float>& mask);

    Affine transform;  // user space to device pixels
    const std::vector<float>* clip = nullptr;  // optional per-pixel coverage multiplier

private:
    int w_ = 0, h_ = 0;
    std::vector<float> px_;
};

// Straight 8-bit RGBA rows, rounded half-to-even.
std::vector<uint8_t> toRGBA8(const Image& img);
bool writePng(const std::string& file, const Image& img, bool opaque = false);
bool writeIco(const std::string& file, const Image& img);  // 32 x 32, 32-bit BGRA with AND mask

// Deterministic random numbers (fixed seeds, implementation-independent distributions).
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 12345u) {}
    uint32_t next();
    double uniform(double lo = 0.0, double hi = 1.0);
    double normal(double mean = 0.0, double sd = 1.0);

private:
    uint64_t s_;
};

}  // namespace art
