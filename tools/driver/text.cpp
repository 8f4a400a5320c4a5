#include "tools/driver/internal.h"

#include <stdarg.h>
#include <stdio.h>

using namespace driver;

namespace driver {

std::string Utf8(const wchar_t *text, int length)
{
    if (length < 0)
        length = (int)wcslen(text);
    if (length == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, NULL, NULL);
    return out;
}

std::wstring Wide(const std::string &text, UINT codePage)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring out((size_t)n, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), &out[0], n);
    return out;
}

std::string Quote(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

/* Captions and control texts can be long: the line is never cut, so it
   keeps its end of line. */
std::string Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(NULL, 0, format, args);
    va_end(args);
    if (length <= 0)
        return "";
    std::string out((size_t)length + 1, '\0');
    va_start(args, format);
    vsnprintf(&out[0], out.size(), format, args);
    va_end(args);
    out.resize((size_t)length);
    return out;
}

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

}  // namespace driver

std::string DriverFromAnsi(const std::string &text)
{
    std::wstring wide = Wide(text, 1252);
    return Utf8(wide.c_str(), (int)wide.size());
}

std::string DriverToAnsi(const std::string &text)
{
    std::wstring wide = Wide(text);
    if (wide.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), NULL, 0, NULL, NULL);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), &out[0], n, NULL, NULL);
    return out;
}

std::wstring DriverWide(const std::string &text)
{
    return Wide(text);
}

std::string DriverUtf8(const wchar_t *text)
{
    return Utf8(text);
}
