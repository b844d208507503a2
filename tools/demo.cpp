// Demo content generator (see demo.h): textures, sprites and fonts drawn into Pictures,
// models built from posed parts, the level file and the animation files.
#include "tools/demo.h"

#include <algorithm>   // Required for: std::clamp, std::min, std::max
#include <cmath>       // Required for: std::sin, std::cos, std::hypot
#include <cstdio>      // Required for: std::snprintf, FILE
#include <filesystem>  // Required for: create_directories
#include <functional>  // Required for: std::function
#include <iterator>    // Required for: std::size
#include <numbers>     // Required for: std::numbers::pi

#include "runtime/gfx3d/model.h"
#include "tools/mesh.h"
#include "tools/picture.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------
// Small helpers

// A repeatable pseudo-random value in 0..1 for texture noise.
double Noise(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffff) / 65535.0;
}

// Value noise that wraps every `period` pixels, so tiled textures have no seams.
double SmoothNoise(double x, double y, int period, int seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    auto at = [&](int i, int j) {
        return Noise(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

uint32_t Shade(uint32_t c, double f) {
    auto ch = [f](int v) { return std::clamp(static_cast<int>(std::lround(v * f)), 0, 255); };
    return Rgb(ch(RedOf(c)), ch(GreenOf(c)), ch(BlueOf(c)));
}

// A rectangle of a texture atlas of n x n tiles, kept half a texel inside its tile so that
// filtering never reaches the neighbour.
UvRect Tile(int i, int j, int n, int size) {
    const double t = 1.0 / n, e = 0.5 / size;
    return {i * t + e, j * t + e, (i + 1) * t - e, (j + 1) * t - e};
}

// ---------------------------------------------------------------------------------------
// Textures of the level

Picture GrassTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double n = 0.6 * SmoothNoise(x / 8.0, y / 8.0, 8, 1) + 0.4 * Noise(x, y, 2);
            p.Set(x, y, MixColour(Rgb(58, 122, 40), Rgb(112, 176, 64), n));
        }
    for (int i = 0; i < 90; ++i) {  // blades
        const int x = static_cast<int>(Noise(i, 0, 3) * 64), y = static_cast<int>(Noise(i, 1, 3) * 64);
        p.Set(x, y, Rgb(150, 204, 90));
        p.Set(x, (y + 1) % 64, Rgb(132, 190, 78));
    }
    return p;
}

// Brick with a row of embrasures along the top: the transparent colour cuts them out.
Picture BrickTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int row = y / 8, shift = (row % 2) * 8;
            const bool mortar = y % 8 == 7 || (x + shift) % 16 == 15;
            const double n = Noise((x + shift) / 16, row, 4) * 0.25 + Noise(x, y, 5) * 0.12;
            p.Set(x, y, mortar ? Rgb(190, 180, 165) : Shade(Rgb(168, 74, 52), 0.8 + n));
        }
    for (int x = 4; x < 64; x += 16) p.FillRect(x, 0, 8, 8, kTransparent);
    return p;
}

Picture StoneTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int bx = x / 32, by = y / 32;
            const bool joint = x % 32 == 0 || y % 32 == 0;
            const double n = SmoothNoise(x / 6.0, y / 6.0, 64 / 6, 6) * 0.3 + Noise(bx, by, 7) * 0.15;
            p.Set(x, y, joint ? Rgb(84, 84, 90) : Shade(Rgb(158, 156, 150), 0.75 + n));
        }
    return p;
}

Picture WoodTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int plank = x / 16;
            const bool gap = x % 16 == 0;
            const double grain = 0.5 + 0.5 * std::sin((y + Noise(plank, 0, 8) * 40) * 0.45 +
                                                      std::sin(x * 0.7) * 0.8);
            p.Set(x, y, gap ? Rgb(60, 36, 20) : MixColour(Rgb(150, 98, 52), Rgb(190, 132, 76), grain));
        }
    return p;
}

Picture WaterTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double w = 0.5 + 0.25 * std::sin((x + 8 * std::sin(y * 2 * std::numbers::pi / 32)) *
                                                   2 * std::numbers::pi / 16) +
                             0.25 * SmoothNoise(x / 8.0, y / 8.0, 8, 9);
            p.Set(x, y, MixColour(Rgb(24, 80, 170), Rgb(110, 180, 240), w));
        }
    return p;
}

Picture ToxicTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            p.Set(x, y, MixColour(Rgb(60, 150, 20), Rgb(150, 230, 40), SmoothNoise(x / 8.0, y / 8.0, 8, 10)));
    for (int i = 0; i < 14; ++i) {  // bubbles
        const double cx = Noise(i, 0, 11) * 64, cy = Noise(i, 1, 11) * 64, r = 2 + Noise(i, 2, 11) * 3;
        p.FillCircle(cx, cy, r, Rgb(200, 250, 90));
        p.FillCircle(cx - r / 3, cy - r / 3, r / 3, Rgb(240, 255, 200));
    }
    return p;
}

// The hero's atlas, 4 x 4 tiles of 16 pixels: face, skin, hair, shirt front, shirt, trousers, shoes.
Picture HeroTexture() {
    Picture p(64, 64, Rgb(240, 190, 150));
    const uint32_t skin = Rgb(240, 190, 150), hair = Rgb(90, 50, 20), shirt = Rgb(210, 50, 40),
                   trousers = Rgb(40, 70, 160), shoes = Rgb(70, 40, 20);
    p.FillRect(0, 0, 16, 16, skin);  // face (tile 0,0)
    p.FillRect(0, 0, 16, 4, hair);
    p.FillRect(3, 6, 3, 3, Rgb(255, 255, 255));
    p.FillRect(10, 6, 3, 3, Rgb(255, 255, 255));
    p.FillRect(4, 7, 2, 2, Rgb(20, 20, 60));
    p.FillRect(11, 7, 2, 2, Rgb(20, 20, 60));
    p.FillRect(5, 12, 6, 1, Rgb(150, 60, 50));
    p.FillRect(16, 0, 16, 16, skin);              // skin (1,0)
    p.FillRect(32, 0, 16, 16, hair);              // hair (2,0)
    p.FillRect(48, 0, 16, 16, hair);              // back of the head (3,0)
    p.FillRect(48, 12, 16, 4, skin);
    p.FillRect(0, 16, 16, 16, shirt);             // shirt front (0,1) with a star
    p.FillPolygon({8, 19, 9.8, 23.5, 14, 23.5, 10.6, 26, 12, 30, 8, 27.5, 4, 30, 5.4, 26, 2, 23.5, 6.2, 23.5},
                  Rgb(255, 220, 60));
    p.FillRect(16, 16, 16, 16, shirt);            // shirt (1,1)
    p.FillRect(32, 16, 16, 16, trousers);         // trousers (2,1)
    p.FillRect(48, 16, 16, 16, shoes);            // shoes (3,1)
    for (int x = 0; x < 64; ++x) p.Set(x, 31, Shade(p.At(x, 30), 0.8));
    return p;
}

// The crawler's atlas: shell (0,0), eyes (1,0), belly and legs (2,0).
Picture CrawlerTexture() {
    Picture p(64, 64, Rgb(120, 40, 150));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            p.Set(x, y, MixColour(Rgb(110, 30, 140), Rgb(170, 70, 200), SmoothNoise(x / 6.0, y / 6.0, 5, 12)));
    p.FillCircle(8, 9, 4, Rgb(250, 210, 60));
    p.FillCircle(22, 20, 5, Rgb(250, 210, 60));
    p.FillCircle(10, 25, 3, Rgb(250, 210, 60));
    p.FillRect(32, 0, 32, 32, Rgb(150, 60, 170));  // face
    p.FillCircle(40, 12, 5, Rgb(255, 255, 255));
    p.FillCircle(56, 12, 5, Rgb(255, 255, 255));
    p.FillCircle(41, 13, 2.5, Rgb(200, 0, 0));
    p.FillCircle(55, 13, 2.5, Rgb(200, 0, 0));
    p.FillPolygon({40, 22, 56, 22, 52, 28, 44, 28}, Rgb(40, 0, 40));
    p.FillRect(0, 32, 64, 32, Rgb(50, 30, 60));    // legs
    return p;
}

Picture SpikerTexture() {
    Picture p(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double n = SmoothNoise(x / 5.0, y / 5.0, 12, 13);
            p.Set(x, y, y < 32 ? MixColour(Rgb(120, 124, 136), Rgb(200, 204, 214), n)
                               : MixColour(Rgb(180, 20, 20), Rgb(250, 90, 60), n));
        }
    for (int x = 2; x < 32; x += 8) p.FillRect(x, 14, 4, 4, Rgb(255, 230, 0));  // a row of lamps
    return p;
}

// ---------------------------------------------------------------------------------------
// Sprites and the editor's pictures

Picture HeartSprite() {
    Picture p(32, 32, kTransparent);
    auto heart = [&](double grow, uint32_t c) {
        p.FillCircle(10.5, 11.5, 6.5 + grow, c);
        p.FillCircle(21.5, 11.5, 6.5 + grow, c);
        p.FillPolygon({4.2 - grow, 14, 27.8 + grow, 14, 16, 27 + grow * 1.5}, c);
    };
    heart(1.5, Rgb(90, 0, 10));
    heart(0, Rgb(230, 30, 50));
    p.FillCircle(9, 9, 2.5, Rgb(255, 190, 200));
    return p;
}

Picture EnergySprite() {
    Picture p(32, 32, kTransparent);
    p.FillCircle(16, 16, 15, Rgb(20, 40, 110));
    p.FillCircle(16, 16, 13, Rgb(60, 110, 220));
    p.FillPolygon({18, 4, 9, 18, 15, 18, 13, 28, 23, 13, 17, 13}, Rgb(255, 235, 60));
    return p;
}

Picture ShieldSprite() {
    Picture p(32, 32, kTransparent);
    p.FillPolygon({3, 4, 29, 4, 29, 14, 16, 30, 3, 14}, Rgb(30, 40, 70));
    p.FillPolygon({5, 6, 27, 6, 27, 14, 16, 27, 5, 14}, Rgb(170, 190, 220));
    p.FillPolygon({16, 6, 27, 6, 27, 14, 16, 27}, Rgb(70, 120, 210));
    p.FillRect(9, 12, 14, 3, Rgb(255, 255, 255));
    return p;
}

Picture CheckpointSprite() {
    Picture p(32, 32, kTransparent);
    p.FillRect(7, 3, 3, 27, Rgb(80, 60, 40));
    p.FillRect(4, 28, 10, 3, Rgb(60, 50, 40));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 18; ++x) {
            const int wave = static_cast<int>(std::lround(std::sin(x * 0.5) * 1.2));
            p.Set(10 + x, 4 + y + wave, ((x / 3 + y / 3) % 2) ? Rgb(250, 250, 250) : Rgb(20, 20, 20));
        }
    return p;
}

Picture ShotSprite() {
    Picture p(16, 16, kTransparent);
    p.FillCircle(8, 8, 7.5, Rgb(200, 60, 0));
    p.FillCircle(8, 8, 5.5, Rgb(255, 160, 20));
    p.FillCircle(8, 8, 3, Rgb(255, 250, 200));
    return p;
}

// A dark disc; outside the circle is cut out by the transparent colour.
Picture ShadowTexture() {
    Picture p(64, 64, kTransparent);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double d = std::hypot(x + 0.5 - 32, y + 0.5 - 32) / 31;
            if (d <= 1) p.Set(x, y, MixColour(Rgb(8, 8, 12), Rgb(70, 70, 80), d * d));
        }
    return p;
}

Picture SkyTexture() {
    Picture p(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint32_t c;
            if (y < 64) {
                c = Rgb(70, 120, 210);  // zenith
            } else if (y < 192) {
                c = MixColour(Rgb(70, 120, 210), Rgb(200, 225, 250), (y - 64) / 128.0);
                const double cloud = SmoothNoise(x / 24.0, y / 10.0, 256 / 24 + 1, 14);
                if (y < 150 && cloud > 0.62) c = MixColour(c, Rgb(255, 255, 255), (cloud - 0.62) * 3);
                const double hill = 170 + 12 * std::sin(x * 2 * std::numbers::pi / 128) +
                                    6 * std::sin(x * 2 * std::numbers::pi / 32 + 1);
                if (y > hill) c = MixColour(Rgb(70, 130, 80), Rgb(40, 90, 50), (y - hill) / 30);
            } else {
                c = Rgb(40, 80, 45);
            }
            p.Set(x, y, c);
        }
    return p;
}

Picture MousePointer() {
    Picture p(32, 32, kTransparent);
    p.FillPolygon({1, 1, 1, 23, 6.5, 17.5, 10.5, 26.5, 14, 25, 10, 16.5, 17, 16.5}, Rgb(255, 255, 255));
    // A black rim wherever the white arrow meets the background.
    Picture rim = p;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (p.At(x, y) == kTransparent) continue;
            for (int k = 0; k < 4; ++k) {
                const int nx = x + (k == 0) - (k == 1), ny = y + (k == 2) - (k == 3);
                if (nx < 0 || ny < 0 || nx >= 32 || ny >= 32 || p.At(nx, ny) == kTransparent) rim.Set(x, y, 0);
            }
        }
    return rim;
}

Picture HandPicture() {
    Picture p(32, 32, kTransparent);
    const uint32_t out = Rgb(40, 30, 20), glove = Rgb(250, 250, 245);
    p.FillRect(11, 2, 6, 16, out);       // pointing finger
    p.FillRect(12, 3, 4, 15, glove);
    p.FillRect(9, 14, 18, 15, out);      // palm and folded fingers
    p.FillRect(10, 15, 16, 13, glove);
    p.FillRect(4, 15, 7, 8, out);        // thumb
    p.FillRect(5, 16, 6, 6, glove);
    for (int x = 17; x < 26; x += 3) p.FillRect(x, 15, 1, 6, out);
    return p;
}

// The position dialog's help, drawn over its front view.
Picture MouseHelp() {
    Picture p(256, 128, Rgb(24, 32, 56));
    p.FrameRect(0, 0, 256, 128, Rgb(150, 170, 220));
    p.FrameRect(1, 1, 254, 126, Rgb(60, 72, 110));
    const uint32_t key = Rgb(255, 220, 90), text = Rgb(235, 240, 255);
    struct Line {
        const char* key;
        const char* text;
    };
    const Line lines[] = {
        {"Left button", " in front/side/top view:"},
        {"", "  puts the thing where you click"},
        {"Right button", " + drag: moves the view"},
        {"", "  (perspective view: turn and zoom)"},
        {"Left/Right arrow", ": turn by 15 degrees"},
        {"Up/Down arrow, wheel", ": zoom"},
        {"Slider", ": time of things on paths"},
        {"OK", " keeps the position, "},
        {"Cancel", " drops it"},
    };
    DrawText(p, 8, 5, "POSITION - MOUSE AND KEYS", Rgb(140, 200, 255));
    p.FillRect(8, 15, 150, 1, Rgb(140, 200, 255));
    int y = 20;
    for (size_t i = 0; i < std::size(lines); ++i) {
        int x = 8;
        if (i == 8) {  // "Cancel" continues the "OK" line
            x = 8 + 6 * 23;
            y -= 11;
        }
        const std::string k = lines[i].key;
        DrawText(p, x, y, k, key);
        DrawText(p, x + 6 * static_cast<int>(k.size()), y, lines[i].text, text);
        y += 11;
    }
    return p;
}

// ---------------------------------------------------------------------------------------
// Models

const uint32_t kWhite = 0xffffff;

TextModel GroundModel() {
    MeshBuilder b;
    b.AddBox(0, {-30, -1, -30}, {30, 0, 30}, {}, kWhite, 4);
    return b.BuildStatic();
}

TextModel WallModel() {
    MeshBuilder b;
    b.AddBox(0, {-30, 0, -0.5}, {30, 4, 0.5}, {}, kWhite, 4);
    return b.BuildStatic();
}

// Four steps of one unit each, then a plateau; it climbs along +z.
TextModel StepsModel() {
    MeshBuilder b;
    for (int i = 0; i < 3; ++i) b.AddBox(0, {-2, 0, 3.0 * i}, {2, i + 1.0, 3.0 * i + 3}, {}, kWhite, 2);
    b.AddBox(0, {-2, 0, 9}, {2, 4, 15}, {}, kWhite, 2);
    return b.BuildStatic();
}

TextModel TowerModel() {
    MeshBuilder b;
    b.AddBox(0, {-2, 0, -2}, {2, 8, 2}, {}, kWhite, 2);
    return b.BuildStatic();
}

TextModel PlatformModel() {
    MeshBuilder b;
    b.AddBox(0, {-2, -0.3, -2}, {2, 0.3, 2}, {}, kWhite, 2);
    return b.BuildStatic();
}

// Seen from outside and, for a swimmer, from inside as well.
TextModel WaterModel() {
    MeshBuilder b;
    b.AddBox(0, {-3.5, 0, -3.5}, {3.5, 3.8, 3.5}, {}, kWhite, 3.5);
    b.AddBox(0, {-3.5, 0, -3.5}, {3.5, 3.8, 3.5}, {}, kWhite, 3.5, true);
    return b.BuildStatic();
}

TextModel PoolRimModel() {
    MeshBuilder b;
    b.AddBox(0, {-4, 0, -4}, {4, 4.3, -3.5}, {}, kWhite, 2);
    b.AddBox(0, {-4, 0, 3.5}, {4, 4.3, 4}, {}, kWhite, 2);
    b.AddBox(0, {-4, 0, -3.5}, {-3.5, 4.3, 3.5}, {}, kWhite, 2);
    b.AddBox(0, {3.5, 0, -3.5}, {4, 4.3, 3.5}, {}, kWhite, 2);
    return b.BuildStatic();
}

TextModel ToxicModel() {
    MeshBuilder b;
    b.AddBox(0, {-2.5, 0, -2.5}, {2.5, 0.15, 2.5}, {}, kWhite, 2.5);
    return b.BuildStatic();
}

// Hero animation slots: stand 0-2, walk 3-7, jump 8-9, swim 10-14, fall 15-16, die 17-19.
constexpr int kHeroAnims[6][2] = {{0, 2}, {3, 7}, {8, 9}, {10, 14}, {15, 16}, {17, 19}};

TextModel HeroModel() {
    MeshBuilder b;
    const int torso = 0, head = b.NewPart(), armL = b.NewPart(), armR = b.NewPart(), legL = b.NewPart(),
              legR = b.NewPart();
    auto t = [](int i, int j) { return Tile(i, j, 4, 64); };
    const UvRect shirt = t(1, 1), trousers = t(2, 1), skin = t(1, 0), hair = t(2, 0);
    // Faces in the order +x, -x, +z (front), -z, +y, -y.
    const UvRect torsoFaces[6] = {shirt, shirt, t(0, 1), shirt, shirt, shirt};
    const UvRect headFaces[6] = {t(3, 0), t(3, 0), t(0, 0), t(3, 0), hair, skin};
    const UvRect armFaces[6] = {shirt, shirt, shirt, shirt, shirt, skin};
    const UvRect legFaces[6] = {trousers, trousers, trousers, trousers, trousers, t(3, 1)};
    b.AddBoxFaces(torso, {-0.55, 1.45, -0.3}, {0.55, 2.7, 0.3}, torsoFaces, kWhite);
    b.AddBoxFaces(head, {-0.4, 2.72, -0.4}, {0.4, 3.45, 0.4}, headFaces, kWhite);
    b.AddBoxFaces(armL, {-0.95, 1.45, -0.17}, {-0.6, 2.65, 0.17}, armFaces, kWhite);
    b.AddBoxFaces(armR, {0.6, 1.45, -0.17}, {0.95, 2.65, 0.17}, armFaces, kWhite);
    b.AddBoxFaces(legL, {-0.5, 0, -0.22}, {-0.05, 1.5, 0.22}, legFaces, kWhite);
    b.AddBoxFaces(legR, {0.05, 0, -0.22}, {0.5, 1.5, 0.22}, legFaces, kWhite);
    b.AddBox(legL, {-0.5, 0, 0.22}, {-0.05, 0.3, 0.45}, t(3, 1), kWhite);  // shoe tips
    b.AddBox(legR, {0.05, 0, 0.22}, {0.5, 0.3, 0.45}, t(3, 1), kWhite);

    const Vec3 shoulderL{-0.75, 2.55, 0}, shoulderR{0.75, 2.55, 0}, hipL{-0.27, 1.5, 0},
        hipR{0.27, 1.5, 0}, neck{0, 2.72, 0};
    const Vec3 xAxis{1, 0, 0}, zAxis{0, 0, 1};
    // One pose: swing angles (degrees about x; negative swings forward), sideways arm raise
    // (degrees about z, outwards), a body tilt about the pelvis and a lift.
    struct Look {
        double armL = 0, armR = 0, legL = 0, legR = 0, raise = 0, nod = 0, tilt = 0, lift = 0;
        Vec3 tiltPivot{0, 1.5, 0};
    };
    auto pose = [&](const Look& k) {
        const Pose body = Pose::Turn(k.tilt, xAxis, k.tiltPivot).Then(Pose::Move({0, k.lift, 0}));
        std::vector<Pose> parts(6);
        parts[torso] = body;
        parts[head] = Pose::Turn(k.nod, xAxis, neck).Then(body);
        parts[armL] = Pose::Turn(k.armL, xAxis, shoulderL).Then(Pose::Turn(-k.raise, zAxis, shoulderL)).Then(body);
        parts[armR] = Pose::Turn(k.armR, xAxis, shoulderR).Then(Pose::Turn(k.raise, zAxis, shoulderR)).Then(body);
        parts[legL] = Pose::Turn(k.legL, xAxis, hipL).Then(body);
        parts[legR] = Pose::Turn(k.legR, xAxis, hipR).Then(body);
        return parts;
    };
    std::vector<std::vector<Pose>> frames;
    auto add = [&](Look k) { frames.push_back(pose(k)); };
    // stand: breathing
    add({});
    add({.armL = 4, .armR = 4, .raise = 6, .nod = 4, .lift = 0.04});
    add({});
    // walk: left contact, passing, right contact, passing, left contact again
    add({.armL = 30, .armR = -30, .legL = -32, .legR = 28});
    add({.armL = 0, .armR = 0, .legL = 0, .legR = 0, .lift = 0.12});
    add({.armL = -30, .armR = 30, .legL = 28, .legR = -32});
    add({.armL = 0, .armR = 0, .legL = 0, .legR = 0, .lift = 0.12});
    add({.armL = 30, .armR = -30, .legL = -32, .legR = 28});
    // jump: take-off, then tucked with arms up
    add({.armL = -120, .armR = -120, .legL = -25, .legR = 15, .nod = -8});
    add({.armL = -165, .armR = -165, .legL = -70, .legR = -55, .nod = -10, .lift = 0.4});
    // swim: lying forward, crawl strokes
    const double lie = 72;
    add({.armL = -170, .armR = 0, .legL = 12, .legR = -12, .nod = -50, .tilt = lie});
    add({.armL = -90, .armR = -80, .legL = -10, .legR = 10, .nod = -50, .tilt = lie});
    add({.armL = 0, .armR = -170, .legL = 12, .legR = -12, .nod = -50, .tilt = lie});
    add({.armL = -80, .armR = -90, .legL = -10, .legR = 10, .nod = -50, .tilt = lie});
    add({.armL = -170, .armR = 0, .legL = 12, .legR = -12, .nod = -50, .tilt = lie});
    // fall: arms flailing
    add({.armL = -20, .armR = 20, .legL = -15, .legR = 10, .raise = 120, .nod = 10});
    add({.armL = 20, .armR = -20, .legL = 10, .legR = -15, .raise = 155, .nod = 15});
    // die: hit, toppling backwards, lying on the back
    add({.armL = -40, .armR = -40, .raise = 30, .nod = -20, .tilt = -20});
    add({.armL = -60, .armR = -60, .legL = -20, .legR = -10, .raise = 50, .nod = -10, .tilt = -55,
         .tiltPivot = {0, 0, 0}});
    add({.armL = -10, .armR = -10, .raise = 80, .tilt = -90, .lift = 0.25, .tiltPivot = {0, 0, 0}});
    return b.Build(frames);
}

// Crawler animation slots: stand 0, walk 1-3, die 4.
constexpr int kCrawlerAnims[6][2] = {{0, 0}, {1, 3}, {0, 0}, {0, 0}, {0, 0}, {4, 4}};

TextModel CrawlerModel() {
    MeshBuilder b;
    auto t = [](int i, int j) { return Tile(i, j, 2, 64); };
    const UvRect shell = t(0, 0), face = t(1, 0), leg = t(0, 1);
    const UvRect bodyFaces[6] = {shell, shell, face, shell, shell, leg};
    b.AddBoxFaces(0, {-0.8, 0.35, -1.1}, {0.8, 1.15, 1.1}, bodyFaces, kWhite);
    b.AddBox(0, {-0.55, 1.15, -0.8}, {0.55, 1.45, 0.7}, shell, kWhite);
    std::vector<int> legs;
    std::vector<Vec3> roots;
    for (int side = -1; side <= 1; side += 2)
        for (int k = -1; k <= 1; ++k) {
            const int p = b.NewPart();
            const double z = 0.7 * k, x0 = side * 0.8, x1 = side * 1.45;
            b.AddBox(p, {std::min(x0, x1), 0.55, z - 0.1}, {std::max(x0, x1), 0.75, z + 0.1}, leg, kWhite);
            b.AddBox(p, {x1 - 0.1, 0, z - 0.1}, {x1 + 0.1, 0.75, z + 0.1}, leg, kWhite);
            legs.push_back(p);
            roots.push_back({x0, 0.65, z});
        }
    auto frame = [&](double swing, double lift, double flip) {
        std::vector<Pose> parts(static_cast<size_t>(b.PartCount()));
        const Pose body = Pose::Turn(flip, {0, 0, 1}, {0, 0.75, 0}).Then(Pose::Move({0, lift, 0}));
        parts[0] = body;
        for (size_t i = 0; i < legs.size(); ++i) {
            // Legs alternate in two tripods.
            const double s = ((i % 2) == (i / 3 % 2) ? swing : -swing);
            parts[static_cast<size_t>(legs[i])] = Pose::Turn(s, {0, 1, 0}, roots[i]).Then(body);
        }
        return parts;
    };
    return b.Build({frame(0, 0, 0), frame(25, 0.05, 0), frame(-25, 0.05, 0), frame(25, 0.05, 0),
                    frame(0, 0.6, 180)});
}

// Spiker animation slots: stand 0-1 (spikes out and in), die 2.
constexpr int kSpikerAnims[6][2] = {{0, 1}, {0, 1}, {0, 0}, {0, 0}, {0, 0}, {2, 2}};

TextModel SpikerModel() {
    MeshBuilder b;
    const UvRect metal{0.02, 0.02, 0.98, 0.48}, red{0.02, 0.52, 0.98, 0.98};
    b.AddPrism(0, {0, 0, 0}, 0.9, 1.6, 8, metal, red, kWhite);
    const int spikes = b.NewPart();
    for (int i = 0; i < 4; ++i) {
        const double a = i * std::numbers::pi / 2;
        const Vec3 dir{std::sin(a), 0, std::cos(a)}, side{std::cos(a), 0, -std::sin(a)};
        const Vec3 base = dir * 0.85 + Vec3{0, 0.8, 0}, tip = dir * 1.9 + Vec3{0, 0.8, 0};
        const Vec3 up{0, 0.3, 0}, s = side * 0.3;
        // A four-sided pyramid pointing outwards.
        const Vec3 c[4] = {base + s + up, base - s + up, base - s - up, base + s - up};
        for (int k = 0; k < 4; ++k)
            b.AddPolygon(spikes, {c[k], c[(k + 1) % 4], tip}, {0.1, 0.9, 0.5}, {0.95, 0.95, 0.55}, kWhite);
    }
    b.AddPrism(spikes, {0, 1.6, 0}, 0.25, 0.9, 4, red, red, kWhite, false);  // top spike
    std::vector<Pose> out(2), in(2), dead(2);
    in[1] = Pose::Move({0, -0.55, 0});  // spikes drawn back into the body
    dead[0] = Pose::Turn(80, {1, 0, 0}, {0, 0, -0.9});
    dead[1] = dead[0];
    return b.Build({out, in, dead});
}

// Fixed media: the shadow disc, the sky box and the editor's pointer.
TextModel ShadowModel() {
    MeshBuilder b;
    b.AddDisc(0, {0, 0.03, 0}, 1.0, 20, kWhite);
    return b.BuildStatic();
}

TextModel SkyboxModel() {
    MeshBuilder b;
    const UvRect side{0.001, 0.25, 0.999, 0.75}, top{0.25, 0.02, 0.75, 0.2}, low{0.25, 0.8, 0.75, 0.98};
    const UvRect faces[6] = {side, side, side, side, top, low};
    b.AddBoxFaces(0, {-5, -5, -5}, {5, 5, 5}, faces, kWhite, true);
    return b.BuildStatic();
}

// A red arrow pointing down at its origin, with vertex colours and no texture.
TextModel PointerModel() {
    MeshBuilder b;
    const uint32_t red = Rgb(230, 40, 30), dark = Rgb(150, 20, 20);
    b.AddBox(0, {-0.15, 0.9, -0.15}, {0.15, 2.2, 0.15}, {}, red);
    const Vec3 tip{0, 0, 0};
    const Vec3 c[4] = {{0.45, 0.9, 0.45}, {-0.45, 0.9, 0.45}, {-0.45, 0.9, -0.45}, {0.45, 0.9, -0.45}};
    for (int k = 0; k < 4; ++k)
        b.AddPolygon(0, {c[k], c[(k + 1) % 4], tip}, {0, 1, 0.5}, {0, 0, 1}, k % 2 ? red : dark);
    b.AddPolygon(0, {c[3], c[2], c[1], c[0]}, {0, 1, 1, 0}, {0, 0, 1, 1}, dark);
    return b.BuildStatic();
}

// ---------------------------------------------------------------------------------------
// Writing

class Writer {
public:
    // A fresh writer never writes where a file already is.
    explicit Writer(std::string dir, bool fresh = false) : dir_(std::move(dir)), fresh_(fresh) {}

    void Bytes(const std::string& rel, const std::string& bytes) {
        if (!result.error.empty()) return;
        if (Keeps(rel)) return;
        FILE* f = std::fopen((dir_ + "/" + rel).c_str(), fresh_ ? "wbx" : "wb");
        bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (f && std::fclose(f) != 0) ok = false;
        Done(rel, ok);
    }
    void Bmp(const std::string& rel, const Picture& pic, bool paletted = false) {
        if (!result.error.empty() || Taken(rel)) return;
        Done(rel, WriteBmp(dir_ + "/" + rel, pic, paletted));
    }
    // A model in the binary form, made by quantising its text form as the loader does.
    void BinaryModel(const std::string& rel, const TextModel& model) {
        if (!result.error.empty() || Taken(rel)) return;
        const std::string text = TextModelSource(model);
        MeshObjectX mesh;
        const bool read = ReadModelBytes(mesh, reinterpret_cast<const uint8_t*>(text.data()), text.size()) ==
                          ModelReadResult::kOk;
        Done(rel, read && SaveModelBinary(mesh, dir_ + "/" + rel));
    }
    void TextModelFile(const std::string& rel, const TextModel& model) { Bytes(rel, TextModelSource(model)); }
    // The model's animation file: slot count, then "first  last" right-aligned in seven places.
    void Anims(const std::string& modelRel, const int (&slots)[6][2]) {
        std::string text = "6\r\n";
        char line[40];
        for (const auto& s : slots) {
            std::snprintf(line, sizeof line, "%7d  %7d\r\n", s[0], s[1]);
            text += line;
        }
        Bytes(modelRel + "a", text);
    }
    void StaticAnims(const std::string& modelRel) {
        const int none[6][2] = {};
        Anims(modelRel, none);
    }

    DemoResult result;

private:
    bool Taken(const std::string& rel) {
        std::error_code ec;
        if (!fresh_ || !fs::exists(fs::path(dir_) / rel, ec)) return false;
        result.error = rel + " is there already";
        return true;
    }
    // The level file and the animation files are what the editor saves: a designer's
    // changes to them are never replaced by the demo's.
    bool Keeps(const std::string& rel) {
        if (fresh_) return false;
        const bool editable = rel == "level.ini" || (rel.size() > 5 && rel.ends_with(".kmoa"));
        std::error_code ec;
        if (!editable || !fs::exists(fs::path(dir_) / rel, ec)) return false;
        result.kept.push_back(rel);
        return true;
    }
    void Done(const std::string& rel, bool ok) {
        if (ok)
            result.files.push_back(rel);
        else
            result.error = rel;
    }
    std::string dir_;
    bool fresh_ = false;
};

// The game's fixed media, in the media folder.
void WriteGameMedia(Writer& w) {
    const std::string m = std::string(kDemoMediaFolder) + "/";
    w.BinaryModel(m + "shadow.kmo", ShadowModel());
    w.StaticAnims(m + "shadow.kmo");
    w.Bmp(m + "shadow.bmp", ShadowTexture());
    w.BinaryModel(m + "skybox.kmo", SkyboxModel());
    w.StaticAnims(m + "skybox.kmo");
    w.Bmp(m + "skybox.bmp", SkyTexture());
    w.Bmp(m + "extralife.bmp", HeartSprite());
    w.Bmp(m + "energy.bmp", EnergySprite());
    w.Bmp(m + "shield.bmp", ShieldSprite());
    w.Bmp(m + "checkpoint.bmp", CheckpointSprite());
    w.Bmp(m + "shot1.bmp", ShotSprite());
}

// The level's models and textures in number order.
struct ModelEntry {
    const char* file;
    std::function<TextModel()> make;
    const int (*anims)[6][2];
};

std::string Fixed1(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}
std::string Fixed2(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}
std::string General(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

void WriteEditorMediaWith(Writer& w) {
    w.BinaryModel("pointer.kmo", PointerModel());
    w.StaticAnims("pointer.kmo");
    w.Bmp("hand.bmp", HandPicture());
    w.BinaryModel("skybox.kmo", SkyboxModel());
    w.StaticAnims("skybox.kmo");
    w.Bmp("skybox.bmp", SkyTexture());
    w.Bmp("mousehelp.bmp", MouseHelp());
    w.Bmp("mousepointer.bmp", MousePointer());
    // Dark glyphs for the light widget faces; the small font is white with a dark outline so
    // that it reads over any 3D scene. Both are paletted, so the 8-bit decoder runs too.
    w.Bmp("guifont.bmp", MakeFontPicture(8, 13, 1, 2, Rgb(16, 18, 40), kTransparent), true);
    w.Bmp("smalfont.bmp", MakeFontPicture(7, 11, 1, 1, Rgb(255, 255, 255), Rgb(8, 8, 8)), true);
}

}  // namespace

DemoResult WriteEditorMedia(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    Writer w(dir);
    WriteEditorMediaWith(w);
    w.result.ok = w.result.error.empty();
    return w.result;
}

std::string DemoLevelText() {
    std::string s;
    auto line = [&s](const std::string& l) { s += l + "\r\n"; };
    auto list = [&](const char* section, const std::vector<std::string>& entries) {
        line(std::string("[") + section + "]");
        line("count=" + std::to_string(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) line(std::to_string(i) + "=" + entries[i]);
    };
    auto join = [](std::initializer_list<std::string> values) {
        std::string r;
        for (const auto& v : values) r += v + " ";
        return r;
    };
    line("[memory]");
    line(std::string("root=") + kDemoMediaFolder);
    line("maxpathpoints=8");
    list("types", {"ground.kmo", "wall.kmo", "steps.kmo", "tower.kmo", "platform.kmo", "water.kmo",
                   "toxic.kmo", "pool.kmo", "hero.kmo", "crawler.kmo", "spiker.kmo"});
    list("textures", {"grass.bmp", "brick.bmp", "stone.bmp", "wood.bmp", "water.bmp", "toxic.bmp",
                      "hero.bmp", "crawler.bmp", "spiker.bmp"});
    // x y z angle model texture alpha behaviour path
    auto object = [&](double x, double y, double z, double a, int m, int t, double alpha, int behave, int path) {
        return join({General(x), General(y), General(z), General(a), General(m), General(t), General(alpha),
                     General(behave), General(path)});
    };
    list("objects", {
                        object(0, 0, 0, 0, 0, 0, 0, 0, -1),        // ground
                        object(0, 0, 29.5, 0, 1, 1, 0, 0, -1),     // walls
                        object(0, 0, -29.5, 0, 1, 1, 0, 0, -1),
                        object(29.5, 0, 0, 90, 1, 1, 0, 0, -1),
                        object(-29.5, 0, 0, 90, 1, 1, 0, 0, -1),
                        object(5, 0, -5, 180, 2, 2, 0, 0, -1),     // steps up to a plateau
                        object(-8, 0, -17, 0, 3, 2, 0, 0, -1),     // tower
                        object(-8, 0.3, -12, 0, 4, 3, 0, 0, 0),    // lift riding path 0
                        object(-7, 0, -5, 0, 7, 2, 0, 0, -1),      // pool rim
                        object(-7, 0, -5, 0, 5, 4, -0.55, 1, -1),  // water
                        object(6, 0, 1, 0, 6, 5, 0, 2, -1),        // toxic pool
                    });
    auto path = [&](std::initializer_list<Vec3> points) {
        std::string r = General(static_cast<double>(points.size())) + " ";
        for (const Vec3& p : points) r += Fixed1(p.x) + " " + Fixed1(p.y) + " " + Fixed1(p.z) + " ";
        return r;
    };
    list("paths", {path({{-8, 0.3, -12}, {-8, 8.3, -12}}),
                   path({{-2, 0, -3}, {2, 0, -3}, {2, 0, -11}, {-2, 0, -11}})});
    // model texture x y z behaviour path
    auto actor = [&](int m, int t, double x, double y, double z, int behave, int p) {
        return join({General(m), General(t), Fixed1(x), Fixed1(y), Fixed1(z), General(behave), General(p)});
    };
    list("players", {actor(8, 6, 0, 0, 3, 0, -1), actor(9, 7, -2, 0, -3, 1, 1), actor(9, 7, 15, 0, 12, 1, -1),
                     actor(10, 8, 0, 0, -16, 1, -1)});
    // x y z kind value
    auto item = [&](double x, double y, double z, int kind, double value) {
        return join({Fixed1(x), Fixed1(y), Fixed1(z), General(kind), General(value)});
    };
    list("specials", {item(-14, 1, 8, 0, 1), item(-8, 9, -17, 1, 50), item(0, 1, -7, 2, 5000),
                      item(5, 5, -17, 3, 1), item(-2, 1, 6, 1000, 20)});
    list("weapons", {join({Fixed2(1), Fixed2(0.5), Fixed1(0.5)})});
    return s;
}

DemoResult WriteDemo(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(fs::path(dir) / kDemoMediaFolder, ec);
    Writer w(dir);
    if (ec) {
        w.result.error = std::string(kDemoMediaFolder) + ": " + ec.message();
        return w.result;
    }
    const std::string m = std::string(kDemoMediaFolder) + "/";

    // The editor's own media, beside the program.
    WriteEditorMediaWith(w);

    WriteGameMedia(w);

    // The level's models, in model-number order; ground is the one kept in the text form.
    static const int kNone[6][2] = {};
    const ModelEntry models[] = {
        {"ground.kmo", GroundModel, &kNone},     {"wall.kmo", WallModel, &kNone},
        {"steps.kmo", StepsModel, &kNone},       {"tower.kmo", TowerModel, &kNone},
        {"platform.kmo", PlatformModel, &kNone}, {"water.kmo", WaterModel, &kNone},
        {"toxic.kmo", ToxicModel, &kNone},       {"pool.kmo", PoolRimModel, &kNone},
        {"hero.kmo", HeroModel, &kHeroAnims},    {"crawler.kmo", CrawlerModel, &kCrawlerAnims},
        {"spiker.kmo", SpikerModel, &kSpikerAnims},
    };
    for (const auto& e : models) {
        if (std::string(e.file) == "ground.kmo")
            w.TextModelFile(m + e.file, e.make());
        else
            w.BinaryModel(m + e.file, e.make());
        w.Anims(m + e.file, *e.anims);
    }
    w.Bmp(m + "grass.bmp", GrassTexture());
    w.Bmp(m + "brick.bmp", BrickTexture());
    w.Bmp(m + "stone.bmp", StoneTexture());
    w.Bmp(m + "wood.bmp", WoodTexture());
    w.Bmp(m + "water.bmp", WaterTexture());
    w.Bmp(m + "toxic.bmp", ToxicTexture());
    w.Bmp(m + "hero.bmp", HeroTexture());
    w.Bmp(m + "crawler.bmp", CrawlerTexture());
    w.Bmp(m + "spiker.bmp", SpikerTexture());

    w.Bytes("level.ini", DemoLevelText());
    w.result.ok = w.result.error.empty();
    return w.result;
}

DemoResult WriteNewLevel(const std::string& dir) {
    Writer w(dir, true);
    std::error_code ec;
    if (fs::exists(dir, ec) && (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec))) {
        w.result.error = dir + " is not an empty folder";
        return w.result;
    }
    fs::create_directories(fs::path(dir) / kDemoMediaFolder, ec);
    if (ec) {
        w.result.error = std::string(kDemoMediaFolder) + ": " + ec.message();
        return w.result;
    }
    const std::string m = std::string(kDemoMediaFolder) + "/";
    WriteGameMedia(w);
    w.TextModelFile(m + "ground.kmo", GroundModel());
    w.StaticAnims(m + "ground.kmo");
    w.BinaryModel(m + "hero.kmo", HeroModel());
    w.Anims(m + "hero.kmo", kHeroAnims);
    w.Bmp(m + "grass.bmp", GrassTexture());
    w.Bmp(m + "hero.bmp", HeroTexture());
    // The ground, the player standing on it in the middle, one weapon kind.
    w.Bytes("level.ini",
            "[memory]\r\nroot=" + std::string(kDemoMediaFolder) +
                "\r\nmaxpathpoints=8\r\n"
                "[types]\r\ncount=2\r\n0=ground.kmo\r\n1=hero.kmo\r\n"
                "[textures]\r\ncount=2\r\n0=grass.bmp\r\n1=hero.bmp\r\n"
                "[objects]\r\ncount=1\r\n0=0 0 0 0 0 0 0 0 -1 \r\n"
                "[paths]\r\ncount=0\r\n"
                "[players]\r\ncount=1\r\n0=1 1 0.0 0.0 0.0 0 -1 \r\n"
                "[specials]\r\ncount=0\r\n"
                "[weapons]\r\ncount=1\r\n0=1.00 0.50 0.5 \r\n");
    w.result.ok = w.result.error.empty();
    return w.result;
}
