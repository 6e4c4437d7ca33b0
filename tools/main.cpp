// makeassets OUTDIR [part]: draws every picture the program ships with into OUTDIR.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/figure.h"
#include "tools/extras.h"

namespace fs = std::filesystem;
using namespace art;

namespace {
bool save(const fs::path& file, const Image& img, bool opaque = false) {
    fs::create_directories(file.parent_path());
    if (!writePng(file.string(), img, opaque)) {
        std::fprintf(stderr, "makeassets: cannot write %s\n", file.string().c_str());
        return false;
    }
    return true;
}
// A sheet for looking at the fit: each style over its portrait at the program's placement
// (half size), and under it the hair cell as the program draws it.
Image checkSheet(const Image& portrait, const Image& backdrop, const std::vector<Image>& hairs) {
    const int cols = 7, cw = kPortraitW / 2 + 4, ch = kPortraitH / 2 + kCellH + 8;
    int rows = static_cast<int>((hairs.size() + cols - 1) / cols);
    Image sheet(cols * cw, rows * ch);
    sheet.clear(rgb(0x808080));
    for (size_t i = 0; i < hairs.size(); ++i) {
        Image scene = portrait;
        Image hairLayer(kPortraitW, kPortraitH);
        hairLayer.drawScaled(hairs[i], kHairToPortraitX, kHairToPortraitY, kHairW, kHairH);
        scene.composite(hairLayer);
        int x = static_cast<int>(i % cols) * cw, y = static_cast<int>(i / cols) * ch;
        sheet.drawScaled(scene, x, y, kPortraitW / 2.0, kPortraitH / 2.0);
        Image cell(kCellW, kCellH);
        cell.fill(Path(rect(0, 0, kCellW, kCellH)), linear({0, 0}, {kCellW - 1.0, kCellH - 1.0}, {{0, rgb(0xFF00FF)}, {1, rgb(0x008080)}}));
        cell.drawScaled(backdrop, 0, 0, kCellW, kCellH);
        cell.drawScaled(hairs[i], kCellHairX, kCellHairY, std::nearbyint(kHairW / kCellScale), std::nearbyint(kHairH / kCellScale));
        sheet.drawScaled(cell, x, y + kPortraitH / 2 + 4, kCellW, kCellH);
    }
    return sheet;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: makeassets OUTDIR [models|hairs|resources|frames|toolbar]\n");
        return 2;
    }
    fs::path out = argv[1];
    std::string only = argc > 2 ? argv[2] : "";
    auto want = [&](const char* part) { return only.empty() || only == part; };
    bool ok = true;
    Head woman = womanHead(), man = manHead();
    if (want("models")) {
        ok &= save(out / "Models" / "1.png", drawPortrait(woman, true), true);
        ok &= save(out / "Models" / "2.png", drawPortrait(man, true), true);
    }
    if (want("resources")) {
        ok &= save(out / "Resources" / "PreviewModel1.png", drawBackdrop(woman));
        ok &= save(out / "Resources" / "PreviewModel2.png", drawBackdrop(man));
        ok &= save(out / "Resources" / "MainLogo.png", drawLogo());
        fs::create_directories(out / "Resources");
        ok &= writeIco((out / "Resources" / "rotate.ico").string(), drawRotateCursor());
    }
    if (want("hairs") || want("check")) {
        HairSet hairs = drawHairStyles(woman, man);
        auto name = [](size_t i) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%02zu.png", i + 1);
            return std::string(buf);
        };
        if (want("hairs")) {
            for (size_t i = 0; i < hairs.women.size(); ++i) ok &= save(out / "Hairs" / "女士" / name(i), hairs.women[i]);
            for (size_t i = 0; i < hairs.men.size(); ++i) ok &= save(out / "Hairs" / "男士" / name(i), hairs.men[i]);
        }
        if (only == "check") {
            ok &= save(out / "check-women.png", checkSheet(drawPortrait(woman, true), drawBackdrop(woman), hairs.women));
            ok &= save(out / "check-men.png", checkSheet(drawPortrait(man, true), drawBackdrop(man), hairs.men));
            // Every style at full size, as the picture area shows it.
            for (int g = 0; g < 2; ++g) {
                const std::vector<Image>& set = g == 0 ? hairs.women : hairs.men;
                Image portrait = drawPortrait(g == 0 ? woman : man, true);
                for (size_t i = 0; i < set.size(); ++i) {
                    Image scene = portrait;
                    Image hairLayer(kPortraitW, kPortraitH);
                    hairLayer.drawScaled(set[i], kHairToPortraitX, kHairToPortraitY, kHairW, kHairH);
                    scene.composite(hairLayer);
                    std::string file = name(i);
                    file.insert(file.begin(), g == 0 ? 'w' : 'm');
                    ok &= save(out / "full" / file, scene);
                }
            }
        }
    }
    if (want("frames")) {
        for (int i = 0; i < kFrameCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%02d.png", i + 1);
            ok &= save(out / "Frames" / name, drawFrame(i));
        }
    }
    if (only == "check") {
        // Toolbar images and the cursor, twice their size, on a light and a dark stripe.
        Image sheet(8 * 136, 2 * 136);
        sheet.fill(Path(rect(0, 0, 8 * 136, 136)), rgb(0xF0F0F0));
        sheet.fill(Path(rect(0, 136, 8 * 136, 136)), rgb(0x505A68));
        int i = 0;
        for (const char* cmd : kToolbarNames) {
            Image icon = drawToolbarImage(cmd);
            sheet.drawScaled(icon, i * 136 + 4, 4, 128, 128);
            sheet.drawScaled(icon, i * 136 + 4, 140, 128, 128);
            ++i;
        }
        ok &= save(out / "check-toolbar.png", sheet);
        // The faces twice their size.
        for (int g = 0; g < 2; ++g) {
            Image p = drawPortrait(g == 0 ? woman : man, true);
            Image face(440, 440);
            face.drawScaled(p, -2 * 70.0, -2 * 60.0, 2.0 * kPortraitW, 2.0 * kPortraitH);
            ok &= save(out / (g == 0 ? "check-face-woman.png" : "check-face-man.png"), face);
        }
        Image cur(512, 256);
        cur.fill(Path(rect(0, 0, 256, 256)), rgb(0xF0F0F0));
        cur.fill(Path(rect(256, 0, 256, 256)), rgb(0x505A68));
        Image c = drawRotateCursor();
        cur.drawScaled(c, 0, 0, 256, 256);
        cur.drawScaled(c, 256, 0, 256, 256);
        ok &= save(out / "check-cursor.png", cur);
    }
    if (want("toolbar")) {
        for (const char* cmd : kToolbarNames) ok &= save(out / "Toolbar" / (std::string(cmd) + ".png"), drawToolbarImage(cmd));
    }
    return ok ? 0 : 1;
}
