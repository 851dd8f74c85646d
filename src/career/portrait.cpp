#include "career/portrait.h"

#include "app/paths.h"
#include "platform/files.h"

namespace seewolf {

bool IsPortraitFile(const Paths& paths, const std::filesystem::path& chosen) {
    const std::filesystem::path images = platform::WithoutTrailingSeparator(paths.ProgFolder / "Images");
    return chosen.extension() == ".jpg" &&
           chosen.lexically_normal().parent_path() == images.lexically_normal();
}

}  // namespace seewolf
