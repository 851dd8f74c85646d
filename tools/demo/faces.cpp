#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "demo/crews.h"

// The officers' faces, drawn for the demo: a head and shoulders on a plain ground. The tens digit
// of the face number sets skin, hair and ground; the units digit shaven or bearded, bare-headed or
// in a cap (the faces the roster stores with HasHelmet=Yes wear the cap). Written as uncompressed
// TGA in the forms the game's files use: 24-bit rows from the bottom up, some 32-bit with alpha,
// some with the top row first.

namespace seewolf::demo {

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 80;
constexpr int kSamples = 3;  // per axis, for smooth edges

struct Rgb {
    double r;
    double g;
    double b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

bool InEllipse(double x, double y, double cx, double cy, double rx, double ry) {
    const double dx = (x - cx) / rx;
    const double dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

struct Look {
    Rgb ground;
    Rgb skin;
    Rgb hair;
    bool cap;
    bool beard;
};

Look LookOf(int face) {
    static constexpr std::array<Rgb, 3> kGround = {{{92, 112, 134}, {118, 108, 92}, {84, 106, 96}}};
    static constexpr std::array<Rgb, 3> kSkin = {{{238, 204, 176}, {222, 182, 146}, {196, 152, 116}}};
    static constexpr std::array<Rgb, 3> kHair = {{{218, 180, 98}, {108, 72, 40}, {42, 36, 32}}};
    const std::size_t head = static_cast<std::size_t>(face / 10 - 1);
    const int variant = face % 10;
    return {kGround[head], kSkin[head], kHair[head], variant % 2 == 0, variant >= 3};
}

// The colour at one point of the picture (x to the right, y downward).
Rgb ColourAt(const Look& look, double x, double y) {
    static constexpr Rgb kUniform = {28, 34, 58};
    static constexpr Rgb kCollar = {236, 234, 226};
    static constexpr Rgb kGold = {214, 170, 64};
    static constexpr Rgb kCapTop = {244, 244, 238};
    static constexpr Rgb kBand = {24, 24, 28};
    static constexpr Rgb kEye = {30, 30, 36};
    static constexpr Rgb kMouth = {150, 74, 70};

    const Rgb skinShade = Mix(look.skin, {90, 60, 40}, 0.25);
    Rgb c = Mix(look.ground, {255, 255, 255}, 0.15 * (1.0 - y / kHeight));

    // Shoulders with the collar and its gold patches, the neck.
    if (InEllipse(x, y, 32, 94, 36, 28)) {
        c = kUniform;
        if (std::abs(x - 32) < (y - 62) * 0.55 && y > 64 && y < 78) {
            c = kCollar;
        }
        if (InEllipse(x, y, 17, 72, 5, 3) || InEllipse(x, y, 47, 72, 5, 3)) {
            c = kGold;
        }
    }
    if (x > 24 && x < 40 && y > 52 && y < 68 && !(InEllipse(x, y, 32, 94, 36, 28) && y > 66)) {
        c = skinShade;
    }
    // Ears, then the head.
    if (InEllipse(x, y, 14.5, 42, 3.2, 5.5) || InEllipse(x, y, 49.5, 42, 3.2, 5.5)) {
        c = skinShade;
    }
    const bool head = InEllipse(x, y, 32, 40, 17, 21);
    if (head) {
        c = Mix(look.skin, skinShade, std::clamp((x - 32) / 34.0 + 0.15, 0.0, 1.0));
    }
    // Hair on top of the head, or the cap.
    if (!look.cap && InEllipse(x, y, 32, 33, 18.5, 16) && y < 30 + std::abs(x - 32) * 0.12) {
        c = look.hair;
    }
    // Hair at the temples, under the cap too.
    if (head && y > 26 && y < 41 && std::abs(x - 32) > 13.5) {
        c = look.hair;
    }
    // Eyebrows, eyes, nose and mouth.
    if ((std::abs(y - 35.5) < 1.0 && ((x > 21 && x < 29) || (x > 35 && x < 43)))) {
        c = Mix(look.hair, {0, 0, 0}, 0.2);
    }
    if (InEllipse(x, y, 25, 40, 2.4, 1.8) || InEllipse(x, y, 39, 40, 2.4, 1.8)) {
        c = kEye;
    }
    if (InEllipse(x, y, 33, 46, 2.0, 4.5)) {
        c = Mix(c, skinShade, 0.7);
    }
    // The beard covers the jaw and leaves the mouth free.
    if (look.beard && head && y > 47 && !InEllipse(x, y, 32, 53, 5.5, 2.2)) {
        c = Mix(look.hair, {0, 0, 0}, 0.1);
    }
    if (InEllipse(x, y, 32, 53, 5.0, 1.4)) {
        c = kMouth;
    }
    if (look.cap) {
        if (InEllipse(x, y, 32, 20, 23, 9) && y < 24) {
            c = kCapTop;
        }
        if (x > 14 && x < 50 && y >= 22 && y < 28) {
            c = kBand;
            if (InEllipse(x, y, 32, 25, 3, 2.2)) {
                c = kGold;
            }
        }
        if (InEllipse(x, y, 32, 28.5, 17, 3.2) && y >= 28) {
            c = Mix(kBand, {255, 255, 255}, 0.1);
        }
    }
    return c;
}

std::string FacePicture(int face, int depth, bool topFirst) {
    const Look look = LookOf(face);
    const int bytesPerPixel = depth / 8;
    std::string bytes(18, '\0');
    bytes[2] = 2;  // uncompressed true colour
    bytes[12] = static_cast<char>(kWidth & 0xFF);
    bytes[13] = static_cast<char>(kWidth >> 8);
    bytes[14] = static_cast<char>(kHeight & 0xFF);
    bytes[15] = static_cast<char>(kHeight >> 8);
    bytes[16] = static_cast<char>(depth);
    bytes[17] = static_cast<char>((topFirst ? 0x20 : 0x00) | (depth == 32 ? 0x08 : 0x00));
    bytes.reserve(bytes.size() + static_cast<std::size_t>(kWidth * kHeight * bytesPerPixel));
    for (int row = 0; row < kHeight; ++row) {
        const int y = topFirst ? row : kHeight - 1 - row;
        for (int x = 0; x < kWidth; ++x) {
            Rgb sum{0, 0, 0};
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgb c = ColourAt(look, x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            constexpr double kCount = kSamples * kSamples;
            auto byte = [](double v) { return static_cast<char>(std::clamp(std::lround(v), 0L, 255L)); };
            bytes += byte(sum.b / kCount);
            bytes += byte(sum.g / kCount);
            bytes += byte(sum.r / kCount);
            if (depth == 32) {
                bytes += static_cast<char>(0xFF);
            }
        }
    }
    return bytes;
}

}  // namespace

void WriteFaces(Output& out, const fs::path& game) {
    const fs::path folder = game / "data" / "Menu" / "Data" / "ofaces";
    for (const int face : {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34}) {
        if (face == kAbsentFace) {
            continue;
        }
        const int depth = face == 13 || face == 32 ? 32 : 24;
        const bool topFirst = face == 21 || face == 34;
        out.WriteNew(folder / ("Off0" + Num(face) + ".tga"), FacePicture(face, depth, topFirst));
    }
}

}  // namespace seewolf::demo
