#include "platform/folders.h"

// clang-format off
#include "platform/win32/support.h"
#include <shlobj.h>
// clang-format on

#include <vector>

namespace seewolf::platform {
namespace {

std::optional<std::wstring> WideEnvironmentValue(const wchar_t* name) {
    // The size asked for includes the terminating zero, so an empty value still gives 1.
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return std::nullopt;
    }
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

std::filesystem::path SpecialFolder(int id) {
    wchar_t buffer[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) {
        return {};
    }
    return std::filesystem::path(buffer);
}

}  // namespace

std::optional<std::string> EnvironmentValue(const char* name) {
    const std::wstring wideName = wide::FromUtf8(name);
    const auto value = WideEnvironmentValue(wideName.c_str());
    if (!value) {
        return std::nullopt;
    }
    return wide::ToUtf8(*value);
}

std::filesystem::path HomeFolder() {
    if (const auto profile = WideEnvironmentValue(L"USERPROFILE"); profile && !profile->empty()) {
        return std::filesystem::path(*profile);
    }
    return SpecialFolder(CSIDL_PROFILE);
}

std::filesystem::path UserDocumentsFolder() {
    auto documents = SpecialFolder(CSIDL_PERSONAL);
    if (documents.empty()) {
        const auto home = HomeFolder();
        if (!home.empty()) {
            documents = home / "Documents";
        }
    }
    return documents;
}

std::string ReadMachineRegistryString(const std::string& key, const std::string& valueName) {
    const std::wstring wideKey = wide::FromCp1252(key);
    const std::wstring wideValue = wide::FromCp1252(valueName);
    // The game is a 32-bit program and its installer writes to the 32-bit view of the hive;
    // the native view is the fall-back.
    const REGSAM views[] = {KEY_WOW64_32KEY, 0};
    for (const REGSAM view : views) {
        HKEY handle = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, KEY_READ | view, &handle) !=
            ERROR_SUCCESS) {
            continue;
        }
        DWORD type = 0;
        DWORD bytes = 0;
        LSTATUS status = ::RegQueryValueExW(handle, wideValue.c_str(), nullptr, &type, nullptr, &bytes);
        std::wstring text;
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            // One more character than reported, for a value stored without its terminating zero.
            std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
            bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            status = ::RegQueryValueExW(handle, wideValue.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(buffer.data()), &bytes);
            if (status == ERROR_SUCCESS) {
                text.assign(buffer.data(), bytes / sizeof(wchar_t));
                while (!text.empty() && text.back() == L'\0') {
                    text.pop_back();
                }
            }
        } else if (status == ERROR_SUCCESS) {
            status = ERROR_INVALID_DATA;  // not text
        }
        ::RegCloseKey(handle);
        if (status == ERROR_SUCCESS) {
            return wide::ToCp1252(text);
        }
    }
    return {};
}

}  // namespace seewolf::platform
