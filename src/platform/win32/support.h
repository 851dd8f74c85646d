#pragma once

// Helpers of the Windows sources: UTF-8 and UTF-16 for the wide-character functions, and COM
// for the shell functions.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <objbase.h>
#include <string>
#include <string_view>
#include <windows.h>

#include "platform/encoding.h"

namespace seewolf::platform::wide {

inline std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    }
    return result;
}

inline std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                             0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length,
                              nullptr, nullptr);
    }
    return result;
}

// Core text (Windows-1252) to and from UTF-16.
inline std::wstring FromCp1252(std::string_view text) {
    return FromUtf8(Utf8FromCp1252(text));
}

inline std::string ToCp1252(std::wstring_view text) {
    return Cp1252FromUtf8(ToUtf8(text));
}

}  // namespace seewolf::platform::wide

namespace seewolf::platform {

// The system's text for an error code (core text, without the line end), or its number.
inline std::string SystemMessage(DWORD error) {
    wchar_t* message = nullptr;
    ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    std::string text = message != nullptr ? wide::ToCp1252(message) : "system error " + std::to_string(error);
    if (message != nullptr) {
        ::LocalFree(message);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace seewolf::platform

namespace seewolf::platform {

// The shell's execute functions may use COM; they ask for it on the calling thread. When the
// thread already has it (as a Qt GUI thread does), this changes nothing.
class ComScope {
  public:
    ComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result)) {
            ::CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT m_result;
};

}  // namespace seewolf::platform
