/* The backdrop picture loader on crafted files: every malformed file is
   refused with its message and no bitmap; every valid variant is drawn. */
#include <gtest/gtest.h>
#include <windows.h>


#include <string>
#include <vector>

#include "tests/common/bmp.h"
#include "tests/e2e/support.h"
#include "ui/backdrop.h"

namespace {

struct Loaded {
    HBITMAP bitmap;
    std::vector<DriverWindow> boxes;
};

Loaded Load(const std::string &path)
{
    Loaded l;
    HDC screen = GetDC(NULL);
    DriverBoxWatch *watch = DriverWatchOwnBoxes(IDOK);
    l.bitmap = LoadBitmapFile(TestSetupModule(), "Installer", NULL, path.c_str(), screen);
    l.boxes = DriverStopWatching(watch);
    ReleaseDC(NULL, screen);
    return l;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    HDC memory = CreateCompatibleDC(NULL);
    HGDIOBJ kept = SelectObject(memory, bitmap);
    COLORREF c = GetPixel(memory, x, y);
    SelectObject(memory, kept);
    DeleteDC(memory);
    return c;
}

}  // namespace

TEST(LoadBitmapFile, MalformedFilesAreRefusedWithTheirMessage)
{
    const char *noBitmap = "cr\xC3\xA9" "ation de bitmap impossible !";
    const char *cannotRead = "Ne peut lire";
    struct Case { const char *name; std::string bytes; const char *message; const char *icon; };
    std::vector<Case> cases;
    auto with = [](void (*change)(BmpLayout &)) { BmpLayout b; change(b); return BmpFile(b); };
    std::string good = BmpFile(BmpLayout());

    cases.push_back({ "vide.bmp", "", cannotRead, "error" });
    cases.push_back({ "entete-court.bmp", good.substr(0, 10), cannotRead, "error" });
    cases.push_back({ "offbits-zero.bmp", with([](BmpLayout &b) { b.offBits = 1; }), noBitmap, "information" });
    cases.push_back({ "offbits-53.bmp", with([](BmpLayout &b) { b.offBits = 53; }), noBitmap, "information" });
    cases.push_back({ "offbits-enorme.bmp", with([](BmpLayout &b) { b.offBits = 0x7FFFFFFF; }), cannotRead, "error" });
    cases.push_back({ "offbits-apres-fin.bmp", good.substr(0, 10) + std::string("\xFF\x0F\0\0", 4) + good.substr(14, 40), cannotRead, "error" });
    cases.push_back({ "bisize-12.bmp", with([](BmpLayout &b) { b.headerSize = 12; }), noBitmap, "information" });
    cases.push_back({ "bisize-64.bmp", with([](BmpLayout &b) { b.headerSize = 64; }), noBitmap, "information" });
    cases.push_back({ "bisize-124-court.bmp", with([](BmpLayout &b) { b.headerSize = 124; b.offBits = 14 + 60; }), noBitmap, "information" });
    cases.push_back({ "plans-0.bmp", with([](BmpLayout &b) { b.planes = 0; }), noBitmap, "information" });
    cases.push_back({ "plans-2.bmp", with([](BmpLayout &b) { b.planes = 2; }), noBitmap, "information" });
    cases.push_back({ "bits-0.bmp", with([](BmpLayout &b) { b.bits = 0; }), noBitmap, "information" });
    cases.push_back({ "bits-7.bmp", with([](BmpLayout &b) { b.bits = 7; }), noBitmap, "information" });
    cases.push_back({ "bits-64.bmp", with([](BmpLayout &b) { b.bits = 64; }), noBitmap, "information" });
    cases.push_back({ "rle8-sans-taille.bmp", with([](BmpLayout &b) { b.bits = 8; b.compression = 1; b.sizeImage = 0; b.pixelBytes = 8; }), noBitmap, "information" });
    cases.push_back({ "rle4-en-8-bits.bmp", with([](BmpLayout &b) { b.bits = 8; b.compression = 2; }), noBitmap, "information" });
    cases.push_back({ "champs-24.bmp", with([](BmpLayout &b) { b.compression = 3; b.masks = 3; }), noBitmap, "information" });
    cases.push_back({ "jpeg.bmp", with([](BmpLayout &b) { b.compression = 4; }), noBitmap, "information" });
    cases.push_back({ "png.bmp", with([](BmpLayout &b) { b.compression = 5; }), noBitmap, "information" });
    cases.push_back({ "largeur-0.bmp", with([](BmpLayout &b) { b.width = 0; }), noBitmap, "information" });
    cases.push_back({ "largeur-negative.bmp", with([](BmpLayout &b) { b.width = -4; b.sizeImage = 36; }), noBitmap, "information" });
    cases.push_back({ "hauteur-0.bmp", with([](BmpLayout &b) { b.height = 0; }), noBitmap, "information" });
    cases.push_back({ "largeur-absurde.bmp", with([](BmpLayout &b) { b.width = 100000; b.height = 1; b.sizeImage = 4; b.pixelBytes = 4; }), noBitmap, "information" });
    cases.push_back({ "hauteur-absurde.bmp", with([](BmpLayout &b) { b.height = -100000; b.sizeImage = 4; b.pixelBytes = 4; }), noBitmap, "information" });
    cases.push_back({ "surface-absurde.bmp", with([](BmpLayout &b) { b.width = 30000; b.height = 30000; b.bits = 32; b.sizeImage = 16; b.pixelBytes = 16; }), noBitmap, "information" });
    cases.push_back({ "descendant-rle.bmp", with([](BmpLayout &b) { b.bits = 8; b.height = -3; b.compression = 1; }), noBitmap, "information" });
    cases.push_back({ "table-depasse.bmp", with([](BmpLayout &b) { b.bits = 8; b.tableEntries = 16; }), noBitmap, "information" });
    cases.push_back({ "trop-de-couleurs.bmp", with([](BmpLayout &b) { b.bits = 8; b.coloursUsed = 300; b.tableEntries = 300; }), noBitmap, "information" });
    cases.push_back({ "couleurs-4-bits.bmp", with([](BmpLayout &b) { b.bits = 4; b.coloursUsed = 17; b.tableEntries = 17; }), noBitmap, "information" });
    cases.push_back({ "masques-absents.bmp", with([](BmpLayout &b) { b.bits = 32; b.compression = 3; }), noBitmap, "information" });
    cases.push_back({ "sizeimage-court.bmp", with([](BmpLayout &b) { b.sizeImage = 20; }), noBitmap, "information" });
    cases.push_back({ "pixels-courts.bmp", with([](BmpLayout &b) { b.pixelBytes = 20; }), cannotRead, "error" });
    cases.push_back({ "pixels-absents.bmp", with([](BmpLayout &b) { b.pixelBytes = 0; }), cannotRead, "error" });
    /* a header that asks for more pixels than the file holds: nothing is allocated for them */
    cases.push_back({ "enorme.bmp", with([](BmpLayout &b) { b.width = 8000; b.height = 8000; b.bits = 32; b.sizeImage = 0x7FFFFFF0; b.pixelBytes = 64; }), cannotRead, "error" });

    std::string dir = TestDir();
    for (const Case &c : cases) {
        std::string path = dir + "\\" + c.name;
        TestWriteFile(path, c.bytes);
        Loaded l = Load(path);
        EXPECT_EQ(nullptr, l.bitmap) << c.name;
        if (l.bitmap)
            DeleteObject(l.bitmap);
        ASSERT_EQ(1u, l.boxes.size()) << c.name;
        const DriverWindow &box = l.boxes[0];
        EXPECT_NE(std::string::npos, box.text.find(c.message)) << c.name << ": " << box.text;
        EXPECT_NE(std::string::npos, box.text.find(path)) << c.name << ": " << box.text;
        EXPECT_EQ(c.icon, box.icon) << c.name;
        EXPECT_EQ("Installer", box.caption) << c.name;
    }
}

TEST(LoadBitmapFile, MissingFileAndEmptyPath)
{
    std::string absent = TestDir() + "\\absent.bmp";
    Loaded missing = Load(absent);
    EXPECT_EQ(nullptr, missing.bitmap);
    ASSERT_EQ(1u, missing.boxes.size());
    EXPECT_EQ("Ne peut ouvrir \"" + absent + "\" !", missing.boxes[0].text);
    EXPECT_EQ("error", missing.boxes[0].icon);

    Loaded empty = Load("");
    EXPECT_EQ(nullptr, empty.bitmap);
    EXPECT_TRUE(empty.boxes.empty());
}

/* 4 pixels wide, 3 rows of 12 bytes: the first row stored is blue 0x11,
   green 0x22, red 0x33 in every pixel, the others grey 0x80 and 0xF0. */
static std::string ThreeRows24()
{
    std::string first;
    for (int x = 0; x < 4; x++)
        first += "\x11\x22\x33";
    return first + std::string(12, '\x80') + std::string(12, '\xF0');
}

TEST(LoadBitmapFile, ValidVariantsAreDrawn)
{
    const COLORREF red = RGB(255, 0, 0);
    struct Point { int x, y; COLORREF colour; };
    struct Case { const char *name; BmpLayout b; std::vector<Point> expected; };
    std::vector<Case> cases;
    BmpLayout b;
    b = BmpLayout(); b.bits = 1; b.width = 17; b.palette = { 0x000000u, 0xFF0000u }; b.fill = 0xFF;
    cases.push_back({ "1-bit.bmp", b, { { 1, 1, red } } });
    b = BmpLayout(); b.bits = 4; b.palette = { 0x000000u, 0xFF0000u }; b.fill = 0x11;
    cases.push_back({ "4-bits.bmp", b, { { 1, 1, red } } });
    b = BmpLayout(); b.bits = 8; b.coloursUsed = 3; b.palette = { 0, 0, 0xFF0000u }; b.fill = 2;
    cases.push_back({ "8-bits.bmp", b, { { 1, 1, red } } });
    /* rows stored from the bottom up; bytes blue, green, red */
    b = BmpLayout(); b.data = ThreeRows24();
    cases.push_back({ "24-bits.bmp", b, { { 1, 2, RGB(0x33, 0x22, 0x11) },
                                         { 1, 0, RGB(0xF0, 0xF0, 0xF0) } } });
    /* a negative height: rows stored from the top down */
    b = BmpLayout(); b.height = -3; b.data = ThreeRows24();
    cases.push_back({ "24-bits-descendant.bmp", b, { { 1, 0, RGB(0x33, 0x22, 0x11) },
                                                    { 1, 2, RGB(0xF0, 0xF0, 0xF0) } } });
    b = BmpLayout(); b.sizeImage = 0; b.fill = 0x20;
    cases.push_back({ "sizeimage-0.bmp", b, { { 1, 1, RGB(0x20, 0x20, 0x20) } } });
    b = BmpLayout(); b.bits = 32; b.fill = 0x60;
    cases.push_back({ "32-bits.bmp", b, { { 1, 1, RGB(0x60, 0x60, 0x60) } } });
    /* masks that swap red and blue: the picture's own masks are used */
    b = BmpLayout(); b.bits = 32; b.compression = 3; b.masks = 3;
    b.maskValues = { 0xFFu, 0xFF00u, 0xFF0000u };
    for (int i = 0; i < 12; i++)
        b.data += std::string("\x11\x22\x33\x00", 4);
    cases.push_back({ "32-bits-champs.bmp", b, { { 1, 1, RGB(0x11, 0x22, 0x33) } } });
    b = BmpLayout(); b.headerSize = 124; b.fill = 0xC0;
    cases.push_back({ "entete-v5.bmp", b, { { 1, 1, RGB(0xC0, 0xC0, 0xC0) } } });

    std::string dir = TestDir();
    for (const Case &c : cases) {
        std::string path = dir + "\\" + c.name;
        TestWriteFile(path, BmpFile(c.b));
        Loaded l = Load(path);
        ASSERT_NE(nullptr, l.bitmap) << c.name;
        EXPECT_TRUE(l.boxes.empty()) << c.name << ": " << (l.boxes.empty() ? "" : l.boxes[0].text);
        BITMAP info;
        GetObjectA(l.bitmap, sizeof info, &info);
        EXPECT_EQ(c.b.width, info.bmWidth) << c.name;
        EXPECT_EQ(c.b.height < 0 ? -c.b.height : c.b.height, info.bmHeight) << c.name;
        for (const Point &p : c.expected)
            EXPECT_EQ(p.colour, PixelOf(l.bitmap, p.x, p.y))
                << c.name << " at " << p.x << "," << p.y << ": " << std::hex
                << PixelOf(l.bitmap, p.x, p.y);
        DeleteObject(l.bitmap);
    }
}
