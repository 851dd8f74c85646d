#include "platform/instance_guard.h"

#include <atomic>

#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/win32/support.h"

namespace seewolf::platform {
namespace {

constexpr DWORD kBlockSize = 8;

// The block name by the rule of BlockNameFor, made from the UTF-16 path: separators removed,
// every character that Windows-1252 holds in the code page's lower case, any other kept as it
// is (BlockName() shows it as '?', which would let two folders share one block).
std::wstring MappingName(const std::filesystem::path& executable) {
    std::wstring name;
    for (const wchar_t c : executable.native()) {
        if (c == L'\\' || c == L'/') {
            continue;
        }
        char byte = 0;
        BOOL lost = FALSE;
        if (::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &c, 1, &byte, 1, nullptr, &lost) == 1 &&
            !lost) {
            byte = LowerCp1252(byte);
            wchar_t lower = c;
            ::MultiByteToWideChar(1252, 0, &byte, 1, &lower, 1);
            name += lower;
        } else {
            name += c;
        }
    }
    return name;
}

std::atomic_ref<std::int32_t> Slot(void* view, std::size_t offset) {
    return std::atomic_ref<std::int32_t>(*reinterpret_cast<std::int32_t*>(static_cast<char*>(view) + offset));
}

[[noreturn]] void ThrowSystemError(const std::string& what, DWORD error) {
    throw Error(what + ": " + SystemMessage(error));
}

// Window handles are 32-bit values even in 64-bit Windows, so the block's 32 bits hold one;
// widening goes by sign extension, as the system does.
HWND WindowFrom(std::int64_t handle) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(handle)));
}

}  // namespace

std::int64_t InstanceGuard::HandleBeforeWindow() {
    return 0;
}

bool InstanceGuard::AnotherInstanceOwns(std::int64_t ownHandle, int allowedInstances) {
    const std::wstring name = MappingName(m_executable);
    ::SetLastError(ERROR_SUCCESS);
    HANDLE mapping =
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    bool existed = mapping != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (mapping == nullptr) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED) {
            ThrowSystemError("Unable to create the shared block " + m_blockName, error);
        }
        // It exists but may not be created anew by us: open it as it is.
        mapping = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
        if (mapping == nullptr) {
            m_registered = false;
            return true;
        }
        existed = true;
    }
    void* view = ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize);
    if (view == nullptr) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(mapping);
        if (existed) {
            m_registered = false;
            return true;
        }
        ThrowSystemError("Unable to map the shared block " + m_blockName, error);
    }
    auto handle = Slot(view, 0);
    auto count = Slot(view, 4);
    const auto own = static_cast<std::int32_t>(ownHandle);
    if (!existed) {
        handle.store(own);
        count.store(1);
    } else if (count.load() < allowedInstances) {
        handle.store(own);
        count.fetch_add(1);
    } else {
        m_firstHandle = handle.load();
        m_registered = false;
        ::UnmapViewOfFile(view);
        ::CloseHandle(mapping);
        const HWND window = WindowFrom(m_firstHandle);
        if (m_firstHandle != 0 && ::IsWindow(window)) {
            if (::IsIconic(window)) {
                ::ShowWindow(window, SW_RESTORE);
            }
            ::SetForegroundWindow(window);
        }
        return true;
    }
    // The block stays open while this instance lives; the system frees it with the last handle.
    m_view = view;
    m_handle = reinterpret_cast<std::intptr_t>(mapping);
    m_open = true;
    return false;
}

void InstanceGuard::PublishWindow(std::int64_t windowHandle) {
    if (m_open && m_registered) {
        Slot(m_view, 0).store(static_cast<std::int32_t>(windowHandle));
    }
}

bool ForwardArguments(std::int64_t firstHandle, const std::vector<std::string>& arguments) {
    const HWND window = WindowFrom(firstHandle);
    if (firstHandle == 0 || !::IsWindow(window)) {
        return false;
    }
    std::string buffer;
    for (const std::string& argument : arguments) {
        buffer += argument;
        buffer += '\0';
    }
    buffer += '\0';
    COPYDATASTRUCT data{};
    data.dwData = kForwardedArgumentsId;
    data.cbData = static_cast<DWORD>(buffer.size());
    data.lpData = buffer.data();
    // Synchronous, as the first instance must have the buffer before this process ends; a first
    // instance that hangs is not waited for long.
    constexpr UINT kTimeoutMs = 5000;
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                 kTimeoutMs, &result) != 0;
}

InstanceGuard::~InstanceGuard() {
    if (!m_open) {
        return;
    }
    if (m_registered) {
        Slot(m_view, 4).fetch_sub(1);
    }
    ::UnmapViewOfFile(m_view);
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace seewolf::platform
