#include "picture/jpeg.h"

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <turbojpeg.h>
#include <vector>

#include "app/error.h"
#include "support/temp_world.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 16;

// A picture whose left half is red and right half blue, the bottom quarter green, in JPEG.
std::string EncodeTestPicture() {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth * kHeight * 3));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* pixel = &rgb[static_cast<std::size_t>((y * kWidth + x) * 3)];
            pixel[0] = y >= 12 ? 0 : (x < 16 ? 230 : 10);
            pixel[1] = y >= 12 ? 220 : 20;
            pixel[2] = y >= 12 ? 0 : (x < 16 ? 10 : 240);
        }
    }
    tjhandle handle = tjInitCompress();
    EXPECT_NE(handle, nullptr);
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int result =
        tjCompress2(handle, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg, &size, TJSAMP_444, 95, 0);
    EXPECT_EQ(result, 0) << tjGetErrorStr2(handle);
    std::string bytes(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

bool Near(int value, int expected) {
    return std::abs(value - expected) <= 12;
}

class JpegTest : public ::testing::Test {
  protected:
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_folder.Path() / name;
        seewolf::testing::WriteText(path, bytes);
        return path;
    }

    // The error text of a load that must fail.
    static std::string FailureOf(const fs::path& path) {
        try {
            seewolf::LoadJPEG(path);
        } catch (const seewolf::Error& error) {
            return error.what();
        }
        ADD_FAILURE() << "no error for " << path;
        return {};
    }

    seewolf::testing::TempFolder m_folder;
};

TEST_F(JpegTest, DecodesToBlueGreenRedRowsTopFirst) {
    const seewolf::Bitmap bitmap = seewolf::LoadJPEG(Write("picture.jpg", EncodeTestPicture()));
    ASSERT_EQ(bitmap.width, kWidth);
    ASSERT_EQ(bitmap.height, kHeight);
    EXPECT_EQ(bitmap.depth, 24);
    ASSERT_EQ(bitmap.rows.size(), static_cast<std::size_t>(kHeight));
    for (const auto& row : bitmap.rows) {
        ASSERT_EQ(row.size(), static_cast<std::size_t>(kWidth * 3));
    }
    const auto expectColour = [&bitmap](int x, int y, int red, int green, int blue) {
        const std::uint8_t* pixel =
            &bitmap.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * 3)];
        EXPECT_TRUE(Near(pixel[2], red) && Near(pixel[1], green) && Near(pixel[0], blue))
            << "at " << x << "," << y << ": " << int{pixel[2]} << " " << int{pixel[1]} << " "
            << int{pixel[0]};
    };
    expectColour(4, 4, 230, 20, 10);
    expectColour(27, 4, 10, 20, 240);
    expectColour(8, 14, 0, 220, 0);
    expectColour(24, 14, 0, 220, 0);

    // ToRgb gives the same picture as red, green, blue.
    const std::vector<std::uint8_t> rgb = seewolf::ToRgb(bitmap);
    EXPECT_TRUE(Near(rgb[(4 * kWidth + 4) * 3], 230));
    EXPECT_TRUE(Near(rgb[(4 * kWidth + 4) * 3 + 2], 10));
}

TEST_F(JpegTest, BrokenFilesThrowNamingTheFile) {
    const std::string good = EncodeTestPicture();
    // Cut inside the compressed scan, after all headers: the decoder only warns about such a file.
    const std::size_t scan = good.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const fs::path truncated = Write("truncated.jpg", good.substr(0, scan + (good.size() - scan) / 2));
    const fs::path garbage = Write("garbage.jpg", std::string(600, 'x'));
    const fs::path empty = Write("empty.jpg", "");
    const fs::path headerOnly = Write("header.jpg", good.substr(0, 20));
    const fs::path missing = m_folder.Path() / "missing.jpg";

    for (const fs::path& path : {truncated, garbage, empty, headerOnly, missing, m_folder.Path()}) {
        const std::string text = FailureOf(path);
        EXPECT_NE(text.find("Cannot read the picture"), std::string::npos) << text;
        EXPECT_NE(text.find(path.string()), std::string::npos) << text;
    }
    EXPECT_NE(FailureOf(truncated).find("Premature end"), std::string::npos) << FailureOf(truncated);
    EXPECT_NE(FailureOf(empty).find("empty"), std::string::npos) << FailureOf(empty);

    // A header claiming a picture beyond the bound is refused before anything is allocated.
    std::string huge = good;
    const std::size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    huge.replace(frame + 5, 4, "\x27\x10\x27\x10");  // height and width 10000
    EXPECT_NE(
        FailureOf(Write("huge.jpg", huge))
            .find("it claims a picture of 10000 x 10000 pixels, more than the 67108864 pixels a picture "
                  "may have."),
        std::string::npos)
        << FailureOf(Write("huge.jpg", huge));
}

}  // namespace
