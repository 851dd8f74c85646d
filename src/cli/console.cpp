#include "cli/console.h"

#include <algorithm>

namespace seewolf::cli {

std::size_t WholeCharacters(std::string_view bytes) {
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(size, 4); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: its lead byte is further back
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;  // no lead byte: not UTF-8, written as it is (shown as U+FFFD)
}

}  // namespace seewolf::cli

#ifdef _WIN32

#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <utility>
#include <windows.h>

namespace seewolf::cli {

namespace {

// Standard output or error on a console: UTF-8 in, UTF-16 out.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : m_console(console) { setp(m_bytes, m_bytes + sizeof m_bytes); }

    // Writes what is left, a cut character included.
    void Finish() { WriteOut(true); }

  protected:
    int_type overflow(int_type c) override {
        if (!WriteOut(false)) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return WriteOut(false) ? 0 : -1; }

  private:
    bool WriteOut(bool all) {
        const auto used = static_cast<std::size_t>(pptr() - pbase());
        const std::size_t whole = all ? used : WholeCharacters(std::string_view(pbase(), used));
        bool ok = true;
        if (whole > 0) {
            const int count = ::MultiByteToWideChar(CP_UTF8, 0, pbase(), static_cast<int>(whole), nullptr, 0);
            std::wstring wide(static_cast<std::size_t>(std::max(count, 0)), L'\0');
            ::MultiByteToWideChar(CP_UTF8, 0, pbase(), static_cast<int>(whole), wide.data(), count);
            std::size_t done = 0;
            while (ok && done < wide.size()) {
                DWORD written = 0;
                const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
                ok = ::WriteConsoleW(m_console, wide.data() + done, chunk, &written, nullptr) && written > 0;
                done += written;
            }
        }
        std::memmove(m_bytes, m_bytes + whole, used - whole);
        setp(m_bytes, m_bytes + sizeof m_bytes);
        pbump(static_cast<int>(used - whole));
        return ok;
    }

    HANDLE m_console;
    char m_bytes[4096];
};

}  // namespace

struct ConsoleText::Stream {
    Stream(std::ostream& s, HANDLE console) : stream(s), buffer(console) {
        stream.flush();
        previous = stream.rdbuf(&buffer);
    }
    ~Stream() {
        stream.flush();
        buffer.Finish();
        stream.rdbuf(previous);
    }
    std::ostream& stream;
    ConsoleBuffer buffer;
    std::streambuf* previous = nullptr;
};

ConsoleText::ConsoleText() {
    const std::pair<std::ostream*, DWORD> streams[] = {{&std::cout, STD_OUTPUT_HANDLE},
                                                       {&std::cerr, STD_ERROR_HANDLE}};
    for (const auto& [stream, id] : streams) {
        const HANDLE handle = ::GetStdHandle(id);
        DWORD mode = 0;
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
            m_streams.push_back(std::make_unique<Stream>(*stream, handle));
        }
    }
}

ConsoleText::~ConsoleText() = default;

}  // namespace seewolf::cli

#else

namespace seewolf::cli {

struct ConsoleText::Stream {};
ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

}  // namespace seewolf::cli

#endif
