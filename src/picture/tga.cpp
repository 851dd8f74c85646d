#include "picture/tga.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/files.h"

namespace seewolf {

namespace {

// The whole file in memory, read through a cursor as if endless zeros followed it: a file that
// ends early still gives a picture of the size its header promises.
class Source {
  public:
    explicit Source(std::string bytes) : m_bytes(std::move(bytes)) {}

    // `count` bytes at the cursor, which moves past them. Valid until the next call.
    const std::uint8_t* Take(std::size_t count) {
        const std::size_t size = m_bytes.size();
        const std::size_t at = m_pos;
        if (count <= size - at) {
            m_pos += count;
            return reinterpret_cast<const std::uint8_t*>(m_bytes.data()) + at;
        }
        m_pos = size;
        m_tail.assign(count, 0);
        std::memcpy(m_tail.data(), m_bytes.data() + at, size - at);
        return m_tail.data();
    }

    std::uint8_t Byte() {
        return m_pos < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes[m_pos++]) : std::uint8_t{0};
    }

  private:
    std::string m_bytes;
    std::size_t m_pos = 0;
    std::vector<std::uint8_t> m_tail;  // the zero-padded copy of a read that crosses the end
};

struct Header {
    std::uint8_t idLength = 0;
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntrySize = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t descriptor = 0;
};

constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopDown = 0x20;

std::uint16_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

Header ReadHeader(Source& source) {
    const std::uint8_t* b = source.Take(18);
    Header header;
    header.idLength = b[0];
    header.mapType = b[1];
    header.imageType = b[2];
    header.mapFirst = Word(b + 3);
    header.mapLength = Word(b + 5);
    header.mapEntrySize = b[7];
    header.width = Word(b + 12);
    header.height = Word(b + 14);
    header.depth = b[16];
    header.descriptor = b[17];
    return header;
}

bool Accepted(const Header& header) {
    const std::uint8_t type = header.imageType;
    const std::uint8_t depth = header.depth;
    return (type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11) &&
           (depth == 1 || depth == 8 || depth == 16 || depth == 24 || depth == 32);
}

// 6 bits per channel: red, green, blue.
using Palette = std::array<std::array<std::uint8_t, 3>, 256>;

// Reads the colour map into `palette` from the first entry's index on; entries that would land at
// 256 or beyond are read and dropped. Besides the usual 16- and 24-bit entries, 15-bit entries are
// taken like 16-bit ones (the same word, top bit unused) and 32-bit entries as blue, green, red,
// alpha. Any other entry size is skipped over by its byte count, so the pixel data is still found,
// and leaves the palette black.
void ReadColourMap(Source& source, const Header& header, Palette& palette) {
    const std::size_t entryBytes = (header.mapEntrySize + 7u) / 8u;
    const bool usable = header.mapEntrySize == 15 || header.mapEntrySize == 16 || header.mapEntrySize == 24 ||
                        header.mapEntrySize == 32;
    for (std::size_t i = 0; i < header.mapLength; ++i) {
        const std::uint8_t* entry = source.Take(entryBytes);
        const std::size_t index = header.mapFirst + i;
        if (!usable || index >= palette.size()) {
            continue;
        }
        if (entryBytes == 2) {
            const unsigned word = Word(entry);
            palette[index] = {static_cast<std::uint8_t>(((word >> 10) & 0x1F) * 2),
                              static_cast<std::uint8_t>(((word >> 5) & 0x1F) * 2),
                              static_cast<std::uint8_t>((word & 0x1F) * 2)};
        } else {
            palette[index] = {static_cast<std::uint8_t>(entry[2] >> 2),
                              static_cast<std::uint8_t>(entry[1] >> 2),
                              static_cast<std::uint8_t>(entry[0] >> 2)};
        }
    }
}

// How a file's pixels map to bitmap bytes. A "unit" is one pixel, except at depth 1 where it is
// one byte of eight pixels (run-length counts there count bytes too).
struct Layout {
    int depth = 0;
    std::size_t inBytes = 0;   // file bytes per unit
    std::size_t outBytes = 0;  // bitmap bytes per unit
    std::size_t units = 0;     // units per row
};

Layout LayoutFor(const Header& header) {
    Layout layout;
    layout.depth = header.depth;
    switch (header.depth) {
        case 1:
            layout.inBytes = 1;
            layout.outBytes = 1;
            layout.units = (header.width + 7u) / 8u;
            break;
        case 8:
            layout.inBytes = 1;
            layout.outBytes = 1;
            layout.units = header.width;
            break;
        default:
            layout.inBytes = header.depth / 8u;
            layout.outBytes = 3;
            layout.units = header.width;
            break;
    }
    return layout;
}

// File units to bitmap bytes: 16-bit words spread to 5 bits per channel times 8, the alpha byte
// of 32-bit pixels dropped, everything else copied.
void Convert(const std::uint8_t* in, std::uint8_t* out, std::size_t units, const Layout& layout) {
    if (layout.depth == 16) {
        for (std::size_t i = 0; i < units; ++i, in += 2, out += 3) {
            const unsigned word = Word(in);
            out[0] = static_cast<std::uint8_t>((word & 0x1F) * 8);
            out[1] = static_cast<std::uint8_t>(((word >> 5) & 0x1F) * 8);
            out[2] = static_cast<std::uint8_t>(((word >> 10) & 0x1F) * 8);
        }
    } else if (layout.depth == 32) {
        for (std::size_t i = 0; i < units; ++i, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    } else if (units != 0) {
        std::memcpy(out, in, units * layout.outBytes);
    }
}

// `count` copies of one three-byte pixel; long runs (flat skies) double the filled part per copy.
void FillPixels(std::uint8_t* out, const std::array<std::uint8_t, 3>& value, std::size_t count) {
    std::memcpy(out, value.data(), 3);
    std::size_t filled = 1;
    while (filled < count) {
        const std::size_t step = std::min(filled, count - filled);
        std::memcpy(out + filled * 3, out, step * 3);
        filled += step;
    }
}

// Run-length packets, read row by row. Packets run on across rows, as Truevision's own sample
// files and common writers emit them: what a packet holds beyond a row's end fills the start of
// the next row, and what runs past the image's last row is dropped unread.
class PacketReader {
  public:
    PacketReader(Source& source, const Layout& layout) : m_source(source), m_layout(layout) {}

    void DecodeRow(std::uint8_t* row) {
        std::size_t done = 0;
        while (done < m_layout.units) {
            if (m_left == 0) {
                const std::uint8_t head = m_source.Byte();
                m_left = (head & 0x7Fu) + 1u;
                m_run = (head & 0x80) != 0;
                if (m_run) {
                    Convert(m_source.Take(m_layout.inBytes), m_value.data(), 1, m_layout);
                }
            }
            const std::size_t count = std::min(m_left, m_layout.units - done);
            std::uint8_t* out = row + done * m_layout.outBytes;
            if (!m_run) {
                Convert(m_source.Take(count * m_layout.inBytes), out, count, m_layout);
            } else if (m_layout.outBytes == 1) {
                std::memset(out, m_value[0], count);
            } else {
                FillPixels(out, m_value, count);
            }
            m_left -= count;
            done += count;
        }
    }

  private:
    Source& m_source;
    const Layout& m_layout;
    std::size_t m_left = 0;  // units of the current packet not yet placed
    bool m_run = false;
    std::array<std::uint8_t, 3> m_value{};  // the repeated value of a run
};

void MirrorRow(std::vector<std::uint8_t>& row, const Layout& layout, std::size_t width) {
    if (layout.depth == 1) {
        const std::vector<std::uint8_t> source = row;
        std::fill(row.begin(), row.end(), std::uint8_t{0});
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t from = width - 1 - x;
            if (((source[from / 8] >> (7 - from % 8)) & 1) != 0) {
                row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (0x80u >> (x % 8)));
            }
        }
    } else if (layout.outBytes == 1) {
        std::reverse(row.begin(), row.end());
    } else {
        for (std::size_t left = 0, right = width; left + 1 < right; ++left, --right) {
            std::swap_ranges(row.begin() + static_cast<std::ptrdiff_t>(left * 3),
                             row.begin() + static_cast<std::ptrdiff_t>(left * 3 + 3),
                             row.begin() + static_cast<std::ptrdiff_t>((right - 1) * 3));
        }
    }
}

// Why a picture of the header's size is not read, or "". A header may claim up to 65535 x 65535
// pixels whatever the file holds. Missing bytes at the end read as zeros, so a file cut short
// still gives its picture; but a run-length packet of at least two bytes gives at most 128 units,
// so a file holding far fewer bytes than even that would need is no picture, only a header asking
// for memory. Pictures up to kSmallPicture units are read whatever the file holds.
std::string SizeRefusal(const Header& header, std::size_t fileSize) {
    constexpr std::size_t kUnitsPerByte = 64;
    constexpr std::size_t kSmallPicture = std::size_t{1} << 16;
    const std::size_t pixels = std::size_t{header.width} * header.height;
    const std::size_t units = LayoutFor(header).units * header.height;
    const std::string claim = "Invalid TGA file! Its header claims a picture of " +
                              std::to_string(header.width) + " x " + std::to_string(header.height) +
                              " pixels, ";
    if (pixels > kMaxPicturePixels) {
        return claim + "more than the " + std::to_string(kMaxPicturePixels) + " pixels a picture may have.";
    }
    if (units > kSmallPicture && units / kUnitsPerByte > fileSize) {
        return claim + "more than its " + std::to_string(fileSize) + " bytes can hold.";
    }
    return {};
}

Bitmap Refused(std::string* errorText, const std::string& reason = kInvalidTgaText) {
    if (errorText != nullptr) {
        *errorText = reason;
    }
    Bitmap bitmap;
    bitmap.width = 1;
    bitmap.height = 1;
    bitmap.depth = 24;
    bitmap.rows.assign(1, std::vector<std::uint8_t>(3, 0));
    return bitmap;
}

}  // namespace

Bitmap LoadTGA(const std::filesystem::path& path, std::string* errorText) {
    std::optional<std::string> bytes = platform::ReadFile(path);
    if (!bytes) {
        return Refused(errorText);
    }
    const std::size_t fileSize = bytes->size();
    Source source(std::move(*bytes));
    const Header header = ReadHeader(source);
    if (!Accepted(header)) {
        return Refused(errorText);
    }
    if (const std::string tooLarge = SizeRefusal(header, fileSize); !tooLarge.empty()) {
        return Refused(errorText, tooLarge);
    }
    if (errorText != nullptr) {
        errorText->clear();
    }

    source.Take(header.idLength);
    Palette palette{};
    if (header.mapType != 0) {
        ReadColourMap(source, header, palette);
    } else if (header.depth == 8) {
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const auto grey = static_cast<std::uint8_t>(i * 63 / 255);
            palette[i] = {grey, grey, grey};
        }
    }

    const Layout layout = LayoutFor(header);
    Bitmap bitmap;
    bitmap.width = header.width;
    bitmap.height = header.height;
    if (header.depth == 1) {
        bitmap.depth = 1;
        bitmap.palette[1] = {255, 255, 255};
    } else if (header.depth == 8) {
        bitmap.depth = 8;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            bitmap.palette[i] = {static_cast<std::uint8_t>(palette[i][0] * 4),
                                 static_cast<std::uint8_t>(palette[i][1] * 4),
                                 static_cast<std::uint8_t>(palette[i][2] * 4)};
        }
    } else {
        bitmap.depth = 24;
    }

    const std::size_t height = header.height;
    const bool packed = header.imageType >= 9;
    bitmap.rows.resize(height);
    PacketReader packets(source, layout);
    for (std::size_t fileRow = 0; fileRow < height; ++fileRow) {
        const std::size_t y = (header.descriptor & kTopDown) != 0 ? fileRow : height - 1 - fileRow;
        std::vector<std::uint8_t>& row = bitmap.rows[y];
        row.resize(layout.units * layout.outBytes);
        if (packed) {
            packets.DecodeRow(row.data());
        } else {
            Convert(source.Take(layout.units * layout.inBytes), row.data(), layout.units, layout);
        }
        if ((header.descriptor & kRightToLeft) != 0) {
            MirrorRow(row, layout, header.width);
        }
    }
    return bitmap;
}

}  // namespace seewolf
