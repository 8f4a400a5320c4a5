#include "tools/driver/internal.h"

#include <stdlib.h>

#include <algorithm>

using namespace driver;

namespace driver {

namespace {

/* Pixels as 0x00RRGGBB, rows from the top. */
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[(size_t)y * (size_t)width + (size_t)x]; }
};

HBITMAP CreateTopDownDib(HDC dc, int width, int height, void **bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, NULL, 0);
}

bool CaptureScreen(const RECT &area, Pixels *out)
{
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = NULL;
    HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
    bool ok = false;
    if (bitmap != NULL) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        if (ok) {
            out->width = width;
            out->height = height;
            out->data.assign((const DWORD *)bits, (const DWORD *)bits + (size_t)width * height);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

/* A system icon as the icon static paints it: drawn to the static's size
   over the background colour. */
Pixels RenderIcon(HICON icon, int width, int height, COLORREF background)
{
    Pixels out;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = NULL;
    HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
    if (bitmap != NULL) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = { 0, 0, width, height };
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, width, height, 0, NULL, DI_NORMAL);
        GdiFlush();
        out.width = width;
        out.height = height;
        out.data.assign((const DWORD *)bits, (const DWORD *)bits + (size_t)width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return out;
}

/* Share of the pixels that differ by more than a rounding error. */
double Difference(const Pixels &a, const Pixels &b)
{
    if (a.width != b.width || a.height != b.height || a.data.empty())
        return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i < a.data.size(); i++) {
        DWORD p = a.data[i];
        DWORD q = b.data[i];
        int worst = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            int d = abs((int)((p >> shift) & 0xFF) - (int)((q >> shift) & 0xFF));
            worst = std::max(worst, d);
        }
        if (worst > 24)
            differing++;
    }
    return (double)differing / (double)a.data.size();
}

COLORREF ToColorRef(DWORD pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

}  // namespace

/* The icon of a message box, told by its pixels: the icon static (Wine
   0x440, Windows 0x14) is compared with each system icon drawn over the
   dialog's own background. The box is read once painted (the gate holds
   the program until then); a box read without the gate may not be yet, so
   a capture that matches nothing is tried again for a second. */
std::string DetectIcon(HWND box)
{
    HWND iconStatic = NULL;
    for (HWND child : ChildrenOf(box)) {
        int id = (short)GetDlgCtrlID(child);
        if ((id == 0x440 || id == 0x14) && ClassOf(child) == "Static" && IsWindowVisible(child))
            iconStatic = child;
    }
    /* Wine keeps an empty icon static in a box without icon. */
    DWORD_PTR icon = 0;
    if (iconStatic == NULL ||
        (Ask(iconStatic, STM_GETICON, 0, 0, &icon) &&
         icon == 0))
        return "none";

    static const struct {
        WORD resource;
        const char *name;
    } icons[] = {
        { 32513, "error" },        /* IDI_HAND */
        { 32516, "information" },  /* IDI_ASTERISK */
        { 32514, "question" },     /* IDI_QUESTION */
        { 32515, "warning" },      /* IDI_EXCLAMATION */
    };

    double deadline = NowMs() + 1000;
    for (;;) {
        RECT client;
        GetClientRect(iconStatic, &client);
        MapWindowPoints(iconStatic, NULL, (POINT *)&client, 2);
        /* The background: the dialog's face as painted just left of the
           static (Wine paints COLOR_BTNFACE there), and that colour itself. */
        RECT probe = { client.left - 2, client.top, client.left - 1, client.top + 1 };
        Pixels captured;
        Pixels backgroundPixel;
        if (CaptureScreen(client, &captured) && CaptureScreen(probe, &backgroundPixel)) {
            std::vector<COLORREF> backgrounds = { ToColorRef(backgroundPixel.At(0, 0)),
                                                  GetSysColor(COLOR_BTNFACE) };
            double best = 1.0;
            double second = 1.0;
            const char *bestName = NULL;
            for (const auto &icon : icons) {
                double score = 1.0;
                HICON handle = LoadIconW(NULL, MAKEINTRESOURCEW(icon.resource));
                for (COLORREF background : backgrounds)
                    score = std::min(score, Difference(captured, RenderIcon(handle, captured.width,
                                                                            captured.height,
                                                                            background)));
                if (score < best) {
                    second = best;
                    best = score;
                    bestName = icon.name;
                } else if (score < second) {
                    second = score;
                }
            }
            /* Under Wine the right icon matches to the pixel; information
               and question, the closest pair, differ in 7 % of the pixels. */
            if (bestName != NULL && best <= 0.01 && second >= 0.03)
                return bestName;
        }
        if (NowMs() >= deadline)
            return "unknown";
        Sleep(50);
    }
}

}  // namespace driver

bool DriverSaveScreen(const std::string &path)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    RECT all = { 0, 0, width, height };
    Pixels pixels;
    if (!CaptureScreen(all, &pixels))
        return false;
    int stride = (width * 3 + 3) & ~3;
    std::string data((size_t)stride * height, '\0');
    for (int y = 0; y < height; y++) {
        char *row = &data[(size_t)(height - 1 - y) * stride];
        for (int x = 0; x < width; x++) {
            DWORD p = pixels.At(x, y);
            row[x * 3 + 0] = (char)(p & 0xFF);
            row[x * 3 + 1] = (char)((p >> 8) & 0xFF);
            row[x * 3 + 2] = (char)((p >> 16) & 0xFF);
        }
    }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = (DWORD)(file.bfOffBits + data.size());
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = (DWORD)data.size();
    HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(handle, &file, sizeof file, &written, NULL) && written == sizeof file &&
              WriteFile(handle, &info, sizeof info, &written, NULL) && written == sizeof info &&
              WriteFile(handle, data.data(), (DWORD)data.size(), &written, NULL) &&
              written == data.size();
    CloseHandle(handle);
    return ok;
}
