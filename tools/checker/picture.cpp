/* The check of the Bitmap picture: found as the program looks for it, and
   its headers read as the program reads them, with the program's own
   checks of them. Each refusal says which check failed, with its figures. */
#include <fstream>

#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"
#include "ui/bmpcheck.h"

namespace {

const char refusedEnd[] =
    "; the program says \"cr\xC3\xA9" "ation de bitmap impossible\" and shows a plain backdrop";
const char shortEnd[] = "; the program says \"Ne peut lire\" and shows a plain backdrop";

std::string Number(unsigned long long n)
{
    return std::to_string(n);
}

/* "50 × 40 pixels of 24 bits" */
std::string Pixels(const BitmapVerdict &v)
{
    return std::to_string(v.width) + " \xC3\x97 " + Number(v.rows) + " pixels of " +
           Number(v.bitCount) + " bit" + (v.bitCount == 1 ? "" : "s");
}

/* How the rows of uncompressed pixels add up, rows padded to 4 bytes. */
std::string Rows(const BitmapVerdict &v)
{
    unsigned long long bits = (unsigned long long)v.width * v.bitCount;
    std::string row = bits % 8 == 0 ? Number(bits / 8) + " bytes" : Number(bits) + " bits";
    return Number(v.rows) + " row" + (v.rows == 1 ? "" : "s") + " of " + Number(v.rowBytes) +
           " bytes, each row's " + row + " of pixels padded to a multiple of 4 bytes";
}

std::string CompressionName(unsigned compression)
{
    static const char *const names[] = {"uncompressed", "RLE8", "RLE4", "bit fields", "JPEG",
                                        "PNG"};
    return compression < sizeof names / sizeof names[0]
               ? std::string(names[compression]) + " (" + Number(compression) + ")"
               : Number(compression);
}

/* Why the program refuses the information block that v judged, in a
   packager's words. */
std::string PictureRefusal(const BitmapVerdict &v, unsigned offBits)
{
    unsigned block = offBits - 14;
    switch (v.rule) {
    case BITMAP_NO_HEADER:
        return "its pixel offset " + Number(offBits) + " leaves " + Number(block) +
               " bytes for the information header, which takes 40";
    case BITMAP_HEADER_SIZE:
        return "its information header says it is " + Number(v.headerSize) +
               " bytes long (biSize); the program reads headers of 40, 52, 56, 108 or 124 bytes" +
               (v.headerSize == 12 ? ", not the old 12-byte one" : "");
    case BITMAP_HEADER_CUT:
        return "its information header of " + Number(v.headerSize) + " bytes (biSize) runs past "
               "the pixel offset " + Number(offBits) + ", which leaves " + Number(block) +
               " bytes for it";
    case BITMAP_PLANES:
        return "it says it has " + Number(v.planes) + " planes (biPlanes); a BMP picture has 1";
    case BITMAP_BIT_COUNT:
        return "it has " + Number(v.bitCount) + " bits a pixel (biBitCount); the program shows "
               "pictures of 1, 4, 8, 16, 24 or 32";
    case BITMAP_COMPRESSION:
        return "its compression is " + CompressionName(v.compression) + " on " +
               Number(v.bitCount) + " bits a pixel; the program shows uncompressed pixels, "
               "RLE8 on 8 bits, RLE4 on 4 bits and bit fields on 16 or 32 bits";
    case BITMAP_WIDTH:
        return "its width is " + std::to_string(v.width) + " pixels";
    case BITMAP_HEIGHT:
        return "its height is 0 pixels";
    case BITMAP_RLE_TOP_DOWN:
        return "its run-length pixels are stored top-down (height " + std::to_string(v.height) +
               "); run-length pixels are read bottom-up only";
    case BITMAP_COLOURS:
        return "it says it uses " + Number(v.coloursUsed) + " colours (biClrUsed), more than " +
               Number(1ull << v.bitCount) + ", all that " + Number(v.bitCount) +
               " bits a pixel can name";
    case BITMAP_TABLE_CUT:
        return "its information header, masks and colour table take " + Number(v.tableEnd) +
               " bytes, but its pixel offset " + Number(offBits) + " leaves " + Number(block) +
               " bytes for them";
    case BITMAP_PIXELS_TOO_LARGE:
        return "its pixels take 4 GiB or more (" +
               (v.sizeImage == 0xFFFFFFFFu ? "biSizeImage " + Number(v.sizeImage)
                                           : Pixels(v)) +
               "), more than one read takes";
    case BITMAP_RLE_NO_SIZE:
        return "its run-length pixels have no size (biSizeImage 0), and the program reads "
               "exactly biSizeImage bytes of them";
    case BITMAP_SIZE_SHORT:
        return "its pixel data is " + Number(v.sizeImage) + " bytes (biSizeImage), where " +
               Pixels(v) + " need " + Number(v.needed) + ": " + Rows(v);
    }
    return "its headers are of no layout the program knows";
}

/* The headers of the picture found, read as the program reads them: only
   they are read, the picture may be of any size. */
void CheckPictureHeaders(CheckContext &c, const DistEntry &found)
{
    const ScriptSetting &bitmap = c.model.bitmap;
    int line = bitmap.line, column = bitmap.column;
    std::string name = "picture " + Cp1252Quote(bitmap.value);
    std::ifstream in(found.path, std::ios::binary);
    std::string data(14, '\0');
    in.read(&data[0], (std::streamsize)data.size());
    data.resize((size_t)in.gcount());
    long long size = found.size;
    if (data.size() < 14) {
        c.report.Add(Diag::PictureShort, line, column,
                     name + " is too short for a BMP file header (" + std::to_string(size) +
                         " bytes, where the header takes 14)" + shortEnd);
        return;
    }
    unsigned offBits = BitmapRead32((const unsigned char *)data.data() + 10);
    if (BitmapCheckOffset(offBits) != 0) {
        c.report.Add(Diag::PictureOffset, line, column,
                     name + " refused: its pixel offset " + std::to_string(offBits) +
                         " (bfOffBits) leaves no room for the information header, which takes "
                         "the 40 bytes after the 14 of the file header" + refusedEnd);
        return;
    }
    unsigned infoSize = offBits - 14;
    if (size >= (long long)offBits) {
        data.resize(offBits);
        in.read(&data[14], (std::streamsize)infoSize);
        data.resize(14 + (size_t)in.gcount());
    }
    if (data.size() < (size_t)offBits) {
        c.report.Add(Diag::PictureShort, line, column,
                     name + " is short: its headers end at byte " + std::to_string(offBits) +
                         " (bfOffBits), the file at " + std::to_string(size) + shortEnd);
        return;
    }
    const unsigned char *bytes = (const unsigned char *)data.data();
    BitmapVerdict v;
    if (BitmapJudgeInfo(bytes + 14, infoSize, &v) != 0) {
        c.report.Add(Diag::BitmapRefused, line, column,
                     name + " refused: " + PictureRefusal(v, offBits) + refusedEnd);
        return;
    }
    long long present = size - offBits;
    if (present < (long long)v.pixelBytes) {
        std::string need = v.sizeImage != 0
                               ? std::to_string(v.pixelBytes) + " bytes of pixels (biSizeImage)"
                               : std::to_string(v.pixelBytes) + " bytes of pixels (" + Pixels(v) +
                                     ": " + Rows(v) + ")";
        c.report.Add(Diag::PictureShort, line, column,
                     name + " is short: " + need + " expected, " + std::to_string(present) +
                         " present after the headers" + shortEnd);
    }
}

} // namespace

void CheckPicture(CheckContext &c)
{
    const ScriptSetting &bitmap = c.model.bitmap;
    if (bitmap.line == 0 || bitmap.value.empty())
        return;
    int line = bitmap.line, column = bitmap.column;
    std::string name = "picture " + Cp1252Quote(bitmap.value);
    DistEntry found = c.distribution.Lookup(bitmap.value);
    if (!found.refused.empty())
        c.report.Add(Diag::BitmapName, line, column,
                     name + " cannot be opened: " + found.refused +
                         "; the program says \"Ne peut ouvrir\" and shows a plain backdrop");
    else if (found.kind == DistKind::Missing)
        c.report.Add(Diag::PictureMissing, line, column,
                     name + " not found in " + c.file.directory);
    else if (found.kind == DistKind::Directory)
        c.report.Add(Diag::PictureDirectory, line, column, name + " is a directory");
    else
        CheckPictureHeaders(c, found);
}
