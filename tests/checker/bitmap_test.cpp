/* The Bitmap picture: what the program would refuse, or could not read. */
#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace {

void Put32(std::string *s, size_t at, unsigned v)
{
    for (int i = 0; i < 4; i++)
        (*s)[at + (size_t)i] = (char)(v >> (8 * i));
}

/* A BMP file: file header, 40-byte information header, colour table and
   pixels, all zero but the header fields. */
std::string Bmp(int width, int height, int bits, unsigned compression = 0)
{
    unsigned table = bits <= 8 ? 4u << bits : 0;
    unsigned rows = (unsigned)((width * bits + 31) / 32 * 4) * (unsigned)height;
    unsigned offBits = 14 + 40 + table;
    std::string s(offBits + rows, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(&s, 2, (unsigned)s.size());
    Put32(&s, 10, offBits);
    Put32(&s, 14, 40);
    Put32(&s, 18, (unsigned)width);
    Put32(&s, 22, (unsigned)height);
    Put32(&s, 26, 1u | (unsigned)bits << 16);
    Put32(&s, 30, compression);
    return s;
}

CheckResult CheckPicture(const std::string &picture, const std::string &named = "FOND.BMP")
{
    Distribution d;
    d.Write("FOND.BMP", picture);
    std::string script = CorrectScript(d);
    return d.Check(script.insert(script.find("\r\n") + 2, "Bitmap=" + named + "\r\n"));
}

TEST(CheckerBitmap, PicturesTheProgramShowsAreSilent)
{
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        CheckResult r = CheckPicture(Bmp(5, 3, bits));
        EXPECT_EQ(0, r.code) << bits << " bits: " << r.err;
    }
    CheckResult r = CheckPicture(Bmp(5, 3, 24), "fond.bmp");
    EXPECT_EQ(0, r.code) << "found without regard to capitals: " << r.err;
}

TEST(CheckerBitmap, PicturesMissingShortOrRefusedAreErrorsAtTheBitmapLine)
{
    std::string badOffset = Bmp(2, 2, 24);
    Put32(&badOffset, 10, 20);
    std::string correct = Bmp(7, 5, 24);
    struct {
        const char *what;
        std::string picture;
        std::string named;
        const char *text;
    } cases[] = {
        {"missing", correct, "AUTRE.BMP", "not found"},
        {"file header short", "BM\x10\0\0", "FOND.BMP", "too short for a BMP file header"},
        {"offset refused", badOffset, "FOND.BMP", "pixel offset 20"},
        {"information short", correct.substr(0, 40), "FOND.BMP", "headers end at byte 54"},
        {"compressed", Bmp(4, 4, 8, 1), "FOND.BMP", "refused (8 bits, compression 1)"},
        {"pixels short", correct.substr(0, correct.size() - 1), "FOND.BMP",
         "short: 120 bytes of pixels expected, 119 present"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CheckResult r = CheckPicture(c.picture, c.named);
        EXPECT_EQ(1, r.Count(2, "error", c.text)) << r.err;
        EXPECT_EQ(1u, r.reported.size()) << r.err;
        EXPECT_EQ(2, r.code);
    }
}

} // namespace
