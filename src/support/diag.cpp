// Diagnostic messages: formatted from a UTF-16 format and written straight to file
// descriptor 2, so they appear at once whatever the C stream's orientation or buffering.
#include <orbmath/support.h>

#include <cstdarg>
#include <cwchar>
#include <string>
#include <unistd.h>

namespace {

std::wstring widen(const char16_t* s)
{
    std::wstring out;
    for (; *s != 0; ++s) {
        char32_t c = *s;
        if (c >= 0xD800 && c < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(s[1]) - 0xDC00);
            ++s;
        }
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

std::string toUtf8(const wchar_t* s, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<uint32_t>(s[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace

extern "C" ORBMATH_API int32_t cfDiagPrint2(int32_t /*reserved*/, const char16_t* format, ...)
{
    if (format == nullptr) {
        return -1;
    }
    const std::wstring wformat = widen(format);
    std::wstring buffer(256, L'\0');
    int n = -1;
    for (int attempt = 0; attempt < 16; ++attempt) {
        va_list args;
        va_start(args, format);
        n = std::vswprintf(buffer.data(), buffer.size(), wformat.c_str(), args);
        va_end(args);
        if (n >= 0) {
            break;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
    if (n < 0) {
        return -1;
    }
    const std::string text = toUtf8(buffer.data(), static_cast<size_t>(n));
    size_t done = 0;
    while (done < text.size()) {
        ssize_t w = ::write(2, text.data() + done, text.size() - done);
        if (w <= 0) {
            return -1;
        }
        done += static_cast<size_t>(w);
    }
    return n;
}
