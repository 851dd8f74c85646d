#include "picture/jpeg.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <turbojpeg.h>

#include "app/error.h"
#include "platform/files.h"

namespace seewolf {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Decompressor = std::unique_ptr<void, HandleCloser>;

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
    throw Error("Cannot read the picture " + platform::TextFromPath(path) + ": " + reason);
}

// The decoder's message as a sentence, without the name of the library function it came from.
std::string Reason(const char* message) {
    std::string text = message != nullptr ? message : "";
    const std::size_t cut = text.rfind("(): ");
    if (cut != std::string::npos) {
        text.erase(0, cut + 4);
    }
    if (text.empty()) {
        text = "the file is not a readable JPEG picture";
    }
    if (text.back() != '.') {
        text += '.';
    }
    return text;
}

}  // namespace

Bitmap LoadJPEG(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = platform::ReadFile(path);
    if (!bytes) {
        Fail(path, "the file cannot be opened.");
    }
    if (bytes->empty()) {
        Fail(path, "the file is empty.");
    }
    const Decompressor handle(tjInitDecompress());
    if (!handle) {
        Fail(path, "the JPEG decoder cannot be started.");
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes->data());
    const auto size = static_cast<unsigned long>(bytes->size());
    const auto reason = [&handle] { return Reason(tjGetErrorStr2(handle.get())); };

    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourSpace = 0;
    if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling, &colourSpace) != 0) {
        Fail(path, reason());
    }
    if (width <= 0 || height <= 0) {
        Fail(path, "the file holds no complete picture.");
    }
    if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > kMaxPicturePixels) {
        Fail(path, "it claims a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels, more than the " + std::to_string(kMaxPicturePixels) +
                       " pixels a picture may have.");
    }

    const std::size_t pitch = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> pixels(pitch * static_cast<std::size_t>(height));
    // Warnings (such as a file cut short) stop the decoder too: a half-decoded picture is an error
    // here, not something to show. A progressive file may hold any number of scans, each a pass
    // over the whole picture; the decoder refuses one of more than 500.
    if (tjDecompress2(handle.get(), data, size, pixels.data(), width, static_cast<int>(pitch), height,
                      TJPF_BGR, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
        Fail(path, reason());
    }

    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.depth = 24;
    bitmap.rows.reserve(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const auto first = pixels.begin() + static_cast<std::ptrdiff_t>(y * pitch);
        bitmap.rows.emplace_back(first, first + static_cast<std::ptrdiff_t>(pitch));
    }
    return bitmap;
}

}  // namespace seewolf
