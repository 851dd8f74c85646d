#include "app/version.h"

#include "app/error.h"
#include "app/numbers.h"
#include "app/version_values.h"
#include "platform/encoding.h"

namespace seewolf {

namespace {

constexpr const char* kUnknown = "(unknown)";

}  // namespace

const VersionBlock& ProgramVersion() {
    static const VersionBlock block{
        {"CompanyName", SEEWOLF_VB_COMPANY_NAME},
        {"FileDescription", SEEWOLF_VB_FILE_DESCRIPTION},
        {"FileVersion", SEEWOLF_VB_FILE_VERSION},
        {"InternalName", SEEWOLF_VB_INTERNAL_NAME},
        {"LegalCopyright", SEEWOLF_VB_LEGAL_COPYRIGHT},
        {"LegalTradeMarks", SEEWOLF_VB_LEGAL_TRADEMARKS},
        {"OriginalFilename", SEEWOLF_VB_ORIGINAL_FILENAME},
        {"ProductName", SEEWOLF_VB_PRODUCT_NAME},
        {"ProductVersion", SEEWOLF_VB_PRODUCT_VERSION},
        {"Comments", SEEWOLF_VB_COMMENTS},
        {"Release", SEEWOLF_VB_RELEASE},
    };
    return block;
}

std::optional<std::string> VersionField(const VersionBlock& block, std::string_view key) {
    for (const VersionEntry& entry : block) {
        if (SameText(entry.key, key)) {
            return entry.value.empty() ? std::string(kUnknown) : entry.value;
        }
    }
    return std::nullopt;
}

std::string VersionField(const VersionBlock& block, std::string_view key, std::string_view fallback) {
    auto value = VersionField(block, key);
    return value ? std::move(*value) : std::string(fallback);
}

VersionBlock VersionFields(const VersionBlock& block) {
    VersionBlock fields;
    for (const VersionEntry& entry : block) {
        fields.push_back({entry.key, entry.value.empty() ? std::string(kUnknown) : entry.value});
    }
    return fields;
}

int InstalledRelease(const VersionBlock& block) {
    const std::string text = VersionField(block, "Release", "");
    // Only plain decimal digits count: the published release is compared as a whole number.
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    const std::optional<int> release = digits ? ParseInteger(text) : std::nullopt;
    if (!release) {
        throw Error("The installed release number \"" + text +
                    "\" in Seewolf's version block is not a whole number, so Seewolf cannot tell whether "
                    "an update is available. Install Seewolf again from its home page.");
    }
    return *release;
}

}  // namespace seewolf
