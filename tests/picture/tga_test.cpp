#include "picture/tga.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_world.h"

namespace fs = std::filesystem;
using seewolf::Bitmap;
using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<std::uint8_t, 3>;

namespace {

// A TGA file put together field by field.
struct TgaFile {
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 2;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntrySize = 0;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 24;
    std::uint8_t descriptor = 0x20;
    std::string id;
    Bytes map;
    Bytes pixels;

    std::string Serialise() const {
        std::string out;
        const auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); };
        const auto putWord = [&put](unsigned value) {
            put(value);
            put(value >> 8);
        };
        put(static_cast<unsigned>(id.size()));
        put(mapType);
        put(imageType);
        putWord(mapFirst);
        putWord(mapLength);
        put(mapEntrySize);
        putWord(7);  // origin, which the reader ignores
        putWord(9);
        putWord(width);
        putWord(height);
        put(depth);
        put(descriptor);
        out += id;
        out.append(map.begin(), map.end());
        out.append(pixels.begin(), pixels.end());
        return out;
    }
};

class TgaTest : public ::testing::Test {
  protected:
    Bitmap Load(const TgaFile& file) { return LoadBytes(file.Serialise()); }

    Bitmap LoadBytes(const std::string& bytes) {
        const fs::path path = m_folder.Path() / "picture.tga";
        seewolf::testing::WriteText(path, bytes);
        m_error = "unset";
        return seewolf::LoadTGA(path, &m_error);
    }

    seewolf::testing::TempFolder m_folder;
    std::string m_error;
};

// The colour shown at (x, y), top row first, through the bitmap's palette where it has one.
Rgb At(const Bitmap& bitmap, int x, int y) {
    const std::vector<std::uint8_t> rgb = seewolf::ToRgb(bitmap);
    const std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.width) + static_cast<std::size_t>(x)) *
        3;
    return {rgb.at(at), rgb.at(at + 1), rgb.at(at + 2)};
}

Bytes Bgr(const Rgb& rgb) {
    return {rgb[2], rgb[1], rgb[0]};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

void ExpectRefused(const Bitmap& bitmap, const std::string& error) {
    EXPECT_EQ(bitmap.width, 1);
    EXPECT_EQ(bitmap.height, 1);
    EXPECT_EQ(error, "Invalid TGA file!");
    EXPECT_EQ(seewolf::ToRgb(bitmap), (std::vector<std::uint8_t>{0, 0, 0}));
}

const Rgb kRed{200, 10, 20};
const Rgb kGreen{15, 210, 25};
const Rgb kBlue{5, 30, 220};
const Rgb kGrey{100, 110, 120};

// A 2x2 24-bit picture; its first file row is red, green and its second blue, grey.
TgaFile TwoByTwo(std::uint8_t descriptor) {
    TgaFile file;
    file.width = 2;
    file.height = 2;
    file.descriptor = descriptor;
    file.pixels = Concat({Bgr(kRed), Bgr(kGreen), Bgr(kBlue), Bgr(kGrey)});
    return file;
}

TEST_F(TgaTest, OrientationFollowsTheDescriptor) {
    const Bitmap bottomUp = Load(TwoByTwo(0x00));
    EXPECT_EQ(m_error, "");
    ASSERT_EQ(bottomUp.width, 2);
    ASSERT_EQ(bottomUp.height, 2);
    EXPECT_EQ(bottomUp.depth, 24);
    EXPECT_EQ(At(bottomUp, 0, 1), kRed);
    EXPECT_EQ(At(bottomUp, 1, 1), kGreen);
    EXPECT_EQ(At(bottomUp, 0, 0), kBlue);
    // The bitmap itself holds blue, green, red bytes.
    EXPECT_EQ(bottomUp.rows[1], Concat({Bgr(kRed), Bgr(kGreen)}));

    const Bitmap topDown = Load(TwoByTwo(0x20));
    EXPECT_EQ(At(topDown, 0, 0), kRed);
    EXPECT_EQ(At(topDown, 1, 0), kGreen);
    EXPECT_EQ(At(topDown, 0, 1), kBlue);
    EXPECT_EQ(At(topDown, 1, 1), kGrey);

    const Bitmap mirrored = Load(TwoByTwo(0x30));
    EXPECT_EQ(At(mirrored, 0, 0), kGreen);
    EXPECT_EQ(At(mirrored, 1, 0), kRed);
    EXPECT_EQ(At(mirrored, 0, 1), kGrey);

    const Bitmap both = Load(TwoByTwo(0x10));
    EXPECT_EQ(At(both, 0, 1), kGreen);
    EXPECT_EQ(At(both, 1, 0), kBlue);
}

TEST_F(TgaTest, MirroringKeepsPixelsWholeOnOddWidths) {
    TgaFile file;
    file.width = 3;
    file.descriptor = 0x30;
    file.pixels = Concat({Bgr(kRed), Bgr(kGreen), Bgr(kBlue)});
    const Bitmap bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), kBlue);
    EXPECT_EQ(At(bitmap, 1, 0), kGreen);
    EXPECT_EQ(At(bitmap, 2, 0), kRed);

    file.imageType = 3;
    file.depth = 8;
    file.pixels = {10, 20, 30};
    EXPECT_EQ(Load(file).rows[0], (Bytes{30, 20, 10}));
}

TEST_F(TgaTest, SixteenAndThirtyTwoBitPixelsBecomeTwentyFourBit) {
    TgaFile file;
    file.width = 5;
    file.depth = 16;
    // Little-endian words: red, blue, green, a mixed one, and bit 15 alone (ignored).
    file.pixels = {0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x03, 0x21, 0x04, 0x00, 0x80};
    const Bitmap sixteen = Load(file);
    EXPECT_EQ(sixteen.depth, 24);
    EXPECT_EQ(At(sixteen, 0, 0), (Rgb{248, 0, 0}));
    EXPECT_EQ(At(sixteen, 1, 0), (Rgb{0, 0, 248}));
    EXPECT_EQ(At(sixteen, 2, 0), (Rgb{0, 248, 0}));
    EXPECT_EQ(At(sixteen, 3, 0), (Rgb{8, 8, 8}));
    EXPECT_EQ(At(sixteen, 4, 0), (Rgb{0, 0, 0}));

    file.width = 2;
    file.depth = 32;
    file.pixels = {1, 2, 3, 0xFF, 4, 5, 6, 0x00};
    const Bitmap thirtyTwo = Load(file);
    EXPECT_EQ(thirtyTwo.depth, 24);
    EXPECT_EQ(thirtyTwo.rows[0], (Bytes{1, 2, 3, 4, 5, 6}));
}

TEST_F(TgaTest, GreyPicturesUseTheGreyRamp) {
    TgaFile file;
    file.imageType = 3;
    file.depth = 8;
    file.width = 4;
    file.pixels = {0, 255, 128, 4};
    const Bitmap bitmap = Load(file);
    EXPECT_EQ(bitmap.depth, 8);
    EXPECT_EQ(bitmap.rows[0], file.pixels);  // indexes are kept as they are
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{252, 252, 252}));
    EXPECT_EQ(At(bitmap, 2, 0), (Rgb{124, 124, 124}));  // 128 * 63 / 255 = 31, times 4
    EXPECT_EQ(At(bitmap, 3, 0), (Rgb{0, 0, 0}));        // 4 * 63 / 255 rounds down to 0

    // A colour-mapped type without a map reads the same way.
    file.imageType = 1;
    EXPECT_EQ(At(Load(file), 1, 0), (Rgb{252, 252, 252}));
}

TEST_F(TgaTest, ColourMapsFillThePaletteFromTheFirstEntry) {
    TgaFile file;
    file.mapType = 1;
    file.imageType = 1;
    file.depth = 8;
    file.width = 3;
    file.mapEntrySize = 24;
    file.mapLength = 2;
    file.map = {0, 0, 255, 40, 80, 120};
    file.pixels = {0, 1, 2};
    Bitmap bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{252, 0, 0}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{120, 80, 40}));
    EXPECT_EQ(At(bitmap, 2, 0), (Rgb{0, 0, 0}));  // no entry: black, not the grey ramp

    file.mapFirst = 1;  // the same entries now land at 1 and 2
    bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{252, 0, 0}));
    EXPECT_EQ(At(bitmap, 2, 0), (Rgb{120, 80, 40}));

    // 16-bit entries: 5 bits doubled to 6, so 31 shows as 248.
    file.mapFirst = 0;
    file.mapEntrySize = 16;
    file.map = {0x00, 0x7C, 0x1F, 0x00};
    file.pixels = {1, 0, 0};
    bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{0, 0, 248}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{248, 0, 0}));
}

TEST_F(TgaTest, ColourMapEntriesBeyondThePaletteAreSkipped) {
    TgaFile file;
    file.mapType = 1;
    file.imageType = 1;
    file.depth = 8;
    file.width = 2;
    file.mapEntrySize = 24;
    file.mapFirst = 255;
    file.mapLength = 3;
    file.map = {0, 255, 0, 1, 1, 1, 2, 2, 2};
    file.pixels = {255, 7};
    const Bitmap bitmap = Load(file);
    EXPECT_EQ(bitmap.rows[0], (Bytes{255, 7}));
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{0, 252, 0}));
}

TEST_F(TgaTest, OtherColourMapSizesAreSteppedOver) {
    TgaFile file;
    file.mapType = 1;
    file.imageType = 1;
    file.depth = 8;
    file.width = 2;
    file.mapLength = 2;
    file.pixels = {0, 1};

    file.mapEntrySize = 32;
    file.map = {0, 0, 255, 9, 255, 0, 0, 9};
    Bitmap bitmap = Load(file);
    EXPECT_EQ(bitmap.rows[0], (Bytes{0, 1}));
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{252, 0, 0}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{0, 0, 252}));

    file.mapEntrySize = 15;
    file.map = {0xE0, 0x03, 0x00, 0x7C};
    bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{0, 248, 0}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{248, 0, 0}));

    // A 24-bit picture may carry a map it does not use; its pixels still come after it.
    file.depth = 24;
    file.imageType = 2;
    file.mapEntrySize = 8;
    file.map = {1, 2};
    file.pixels = Concat({Bgr(kRed), Bgr(kBlue)});
    bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), kRed);
    EXPECT_EQ(At(bitmap, 1, 0), kBlue);
}

TEST_F(TgaTest, TheIdFieldIsSkipped) {
    TgaFile file = TwoByTwo(0x20);
    file.id = "made by hand";
    const Bitmap bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 0, 0), kRed);
    EXPECT_EQ(At(bitmap, 1, 1), kGrey);
}

TEST_F(TgaTest, RunLengthPackets) {
    TgaFile file;
    file.imageType = 10;
    file.width = 8;
    // A run of four, then four raw pixels.
    file.pixels = Concat({{0x83}, Bgr(kRed), {0x03}, Bgr(kGreen), Bgr(kBlue), Bgr(kGrey), Bgr(kGreen)});
    const Bitmap bitmap = Load(file);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(At(bitmap, x, 0), kRed) << x;
    }
    EXPECT_EQ(At(bitmap, 4, 0), kGreen);
    EXPECT_EQ(At(bitmap, 5, 0), kBlue);
    EXPECT_EQ(At(bitmap, 6, 0), kGrey);
    EXPECT_EQ(At(bitmap, 7, 0), kGreen);
}

// Writers such as Truevision's own samples let packets run on into the next row.
TEST_F(TgaTest, PacketsRunOnAcrossRows) {
    TgaFile file;
    file.imageType = 10;
    file.width = 3;
    file.height = 3;
    // A run of five red fills file row 0 and starts row 1; a raw packet of three finishes row 1
    // and starts row 2; the last run of two has one pixel past the image's end.
    file.pixels =
        Concat({{0x84}, Bgr(kRed), {0x02}, Bgr(kGreen), Bgr(kBlue), Bgr(kGrey), {0x81}, Bgr(kBlue)});
    const std::vector<std::vector<Rgb>> fileRows = {
        {kRed, kRed, kRed}, {kRed, kRed, kGreen}, {kBlue, kGrey, kBlue}};
    for (const std::uint8_t descriptor : {0x00, 0x20}) {
        file.descriptor = descriptor;
        const Bitmap bitmap = Load(file);
        ASSERT_EQ(bitmap.rows.size(), 3U);
        for (int row = 0; row < 3; ++row) {
            const int y = descriptor == 0x20 ? row : 2 - row;
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(At(bitmap, x, y), fileRows[row][x])
                    << int{descriptor} << " row " << row << " x " << x;
            }
        }
    }

    // Grey bytes, a raw packet and a run crossing into the second row and past the end.
    file.imageType = 11;
    file.depth = 8;
    file.height = 2;
    file.descriptor = 0x30;  // mirroring applies to the rows as decoded
    file.pixels = {0x01, 1, 2, 0x83, 9, 0x80, 7};
    const Bitmap grey = Load(file);
    EXPECT_EQ(grey.rows[0], (Bytes{9, 2, 1}));
    EXPECT_EQ(grey.rows[1], (Bytes{9, 9, 9}));
}

TEST_F(TgaTest, RunLengthAtEveryDepth) {
    TgaFile file;
    file.imageType = 10;
    file.width = 3;
    file.depth = 16;
    file.pixels = {0x81, 0x00, 0x7C, 0x00, 0x1F, 0x00};
    Bitmap bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{248, 0, 0}));
    EXPECT_EQ(At(bitmap, 2, 0), (Rgb{0, 0, 248}));

    file.depth = 32;
    file.pixels = {0x01, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 9, 10, 11, 12};
    EXPECT_EQ(Load(file).rows[0], (Bytes{1, 2, 3, 5, 6, 7, 9, 10, 11}));

    file.imageType = 11;
    file.depth = 8;
    file.pixels = {0x81, 255, 0x00, 0};
    bitmap = Load(file);
    EXPECT_EQ(bitmap.rows[0], (Bytes{255, 255, 0}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{252, 252, 252}));

    file.imageType = 9;
    file.mapType = 1;
    file.mapEntrySize = 24;
    file.mapLength = 1;
    file.mapFirst = 4;
    file.map = {255, 0, 0};
    file.pixels = {0x82, 4};
    bitmap = Load(file);
    EXPECT_EQ(bitmap.rows[0], (Bytes{4, 4, 4}));
    EXPECT_EQ(At(bitmap, 2, 0), (Rgb{0, 0, 252}));
}

TEST_F(TgaTest, OneBitPictures) {
    TgaFile file;
    file.imageType = 3;
    file.depth = 1;
    file.width = 10;  // two bytes per row, the last six bits unused
    file.height = 2;
    file.descriptor = 0x20;
    file.pixels = {0b10100000, 0b01000000, 0xFF, 0xC0};
    Bitmap bitmap = Load(file);
    EXPECT_EQ(bitmap.depth, 1);
    EXPECT_EQ(bitmap.rows[0], (Bytes{0b10100000, 0b01000000}));
    EXPECT_EQ(At(bitmap, 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(At(bitmap, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(bitmap, 2, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(At(bitmap, 9, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(At(bitmap, 8, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(bitmap, 9, 1), (Rgb{255, 255, 255}));

    // Mirrored, pixel 9 becomes pixel 0 and so on, bit by bit.
    file.descriptor = 0x30;
    bitmap = Load(file);
    EXPECT_EQ(bitmap.rows[0], (Bytes{0b10000001, 0b01000000}));

    // Packed rows count bytes: a run of two 0xF0 bytes fills a row of ten pixels.
    file.imageType = 11;
    file.descriptor = 0x20;
    file.pixels = {0x81, 0xF0, 0x01, 0x0F, 0x80};
    bitmap = Load(file);
    EXPECT_EQ(bitmap.rows[0], (Bytes{0xF0, 0xF0}));
    EXPECT_EQ(bitmap.rows[1], (Bytes{0x0F, 0x80}));
}

TEST_F(TgaTest, RefusedHeadersGiveOnePixel) {
    TgaFile file = TwoByTwo(0x20);
    for (const std::uint8_t type : {0, 4, 32, 33}) {
        file.imageType = type;
        ExpectRefused(Load(file), m_error);
    }
    file.imageType = 2;
    for (const std::uint8_t depth : {0, 4, 15, 48}) {
        file.depth = depth;
        ExpectRefused(Load(file), m_error);
    }

    std::string error;
    ExpectRefused(seewolf::LoadTGA(m_folder.Path() / "missing.tga", &error), error);
    ExpectRefused(seewolf::LoadTGA(m_folder.Path(), &error), error);
    ExpectRefused(LoadBytes(""), m_error);
    ExpectRefused(LoadBytes(std::string("\0\0\x02", 3)), m_error);  // header cut off: depth reads 0

    // A header claiming a gigantic picture, or far more than the file could hold even as run-length
    // packets, is refused instead of allocated, and the error says why.
    const struct {
        std::uint16_t side;
        std::string_view why;
    } huge[] = {{65535, "65535 x 65535 pixels, more than the 67108864 pixels a picture may have."},
                {4000, "4000 x 4000 pixels, more than its 30 bytes can hold."}};
    file = TwoByTwo(0x20);
    for (const auto& [side, why] : huge) {
        file.width = file.height = side;
        EXPECT_EQ(Load(file).rows.size(), 1U);
        EXPECT_EQ(m_error, "Invalid TGA file! Its header claims a picture of " + std::string(why));
    }
    // What a file cut short could still hold is read, with zeros.
    file.width = 300;
    file.height = 300;
    file.pixels.resize(90000 / 64);
    const Bitmap bitmap = Load(file);
    EXPECT_EQ(m_error, "");
    EXPECT_EQ(bitmap.rows.size(), 300U);
}

TEST_F(TgaTest, AShortFileKeepsItsSizeWithZeros) {
    TgaFile file;
    file.width = 4;
    file.height = 3;
    file.descriptor = 0x00;
    file.pixels = Concat({Bgr(kRed), Bgr(kGreen), Bgr(kBlue), Bgr(kGrey), Bgr(kRed), {1, 2}});
    Bitmap bitmap = Load(file);
    EXPECT_EQ(m_error, "");
    ASSERT_EQ(bitmap.width, 4);
    ASSERT_EQ(bitmap.height, 3);
    ASSERT_EQ(bitmap.rows.size(), 3U);
    EXPECT_EQ(At(bitmap, 3, 2), kGrey);  // first file row at the bottom
    EXPECT_EQ(bitmap.rows[1], (Bytes{20, 10, 200, 1, 2, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bitmap.rows[0], Bytes(12, 0));

    // Packed rows run out the same way: zero bytes are one-pixel raw packets of black.
    file.imageType = 10;
    file.descriptor = 0x20;
    file.pixels = Concat({{0x83}, Bgr(kBlue), {0x81}});
    bitmap = Load(file);
    EXPECT_EQ(At(bitmap, 3, 0), kBlue);
    EXPECT_EQ(bitmap.rows[1], Bytes(12, 0));
    EXPECT_EQ(bitmap.rows[2], Bytes(12, 0));

    // Only the header: a black picture of full size.
    file.pixels.clear();
    bitmap = Load(file);
    EXPECT_EQ(bitmap.rows.size(), 3U);
    EXPECT_EQ(seewolf::ToRgb(bitmap), std::vector<std::uint8_t>(4 * 3 * 3, 0));
}

TEST_F(TgaTest, LoadsAreIndependent) {
    // A grey ramp or colour map from one file never leaks into the next.
    TgaFile mapped;
    mapped.mapType = 1;
    mapped.imageType = 1;
    mapped.depth = 8;
    mapped.mapEntrySize = 24;
    mapped.mapLength = 1;
    mapped.mapFirst = 200;
    mapped.map = {0, 0, 255};
    mapped.pixels = {200};
    EXPECT_EQ(At(Load(mapped), 0, 0), (Rgb{252, 0, 0}));

    TgaFile empty = mapped;
    empty.mapLength = 0;
    empty.map.clear();
    EXPECT_EQ(At(Load(empty), 0, 0), (Rgb{0, 0, 0}));

    EXPECT_NE(At(Load(TwoByTwo(0x20)), 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(seewolf::LoadTGA(m_folder.Path() / "picture.tga").width, 2);  // the error text is optional
}

}  // namespace
