/* The check of the Bitmap picture: found as the program looks for it, and
   its headers read as the program reads them, with the program's own
   checks of them. */
#include <fstream>

#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"
#include "ui/bmpcheck.h"

namespace {

/* Why the program refuses the picture whose headers are bytes. */
std::string PictureRefusal(const unsigned char *bytes)
{
    unsigned bits = bytes[14 + 14] | bytes[14 + 15] << 8;
    unsigned compression = BitmapRead32(bytes + 14 + 16);
    int height = (int)BitmapRead32(bytes + 14 + 8);
    bool rle = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    /* The run-length layouts are shown, but not every picture of them. */
    std::string why =
        rle && BitmapRead32(bytes + 14 + 20) == 0
            ? "its run-length pixels have no size (biSizeImage 0), and the program reads "
              "exactly biSizeImage bytes of them"
        : rle && height < 0 ? "run-length pixels are stored bottom-up, and its height is "
                              "negative"
                            : "the program shows only BMP pictures of 1, 4, 8, 16, 24 or 32 "
                              "bits, uncompressed, RLE8, RLE4 or bit fields, with sound "
                              "headers";
    return "(" + std::to_string(bits) + " bits, compression " + std::to_string(compression) +
           "): " + why;
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
                         " bytes)");
        return;
    }
    unsigned offBits = BitmapRead32((const unsigned char *)data.data() + 10);
    if (BitmapCheckOffset(offBits) != 0) {
        c.report.Add(Diag::PictureOffset, line, column,
                     name + " refused: its pixel offset " + std::to_string(offBits) +
                         " leaves no room for the information header");
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
                         ", the file at " + std::to_string(size));
        return;
    }
    const unsigned char *bytes = (const unsigned char *)data.data();
    unsigned pixelBytes = 0;
    if (BitmapCheckInfo(bytes + 14, infoSize, &pixelBytes) != 0) {
        c.report.Add(Diag::BitmapRefused, line, column,
                     name + " refused " + PictureRefusal(bytes) +
                         "; the program says \"cr\xC3\xA9" "ation de bitmap impossible\" and "
                         "shows a plain backdrop");
        return;
    }
    if (size - offBits < (long long)pixelBytes)
        c.report.Add(Diag::PictureShort, line, column,
                     name + " is short: " + std::to_string(pixelBytes) +
                         " bytes of pixels expected, " + std::to_string(size - offBits) +
                         " present");
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
