#include "tests/common/bmp.h"

namespace {

void Append32(std::string *s, unsigned v)
{
    for (int i = 0; i < 4; i++)
        *s += (char)(v >> (8 * i));
}

void Append16(std::string *s, unsigned v)
{
    *s += (char)v;
    *s += (char)(v >> 8);
}

long long RowsNeed(const BmpLayout &b)
{
    long long rows = b.height < 0 ? -(long long)b.height : b.height;
    return ((long long)b.width * b.bits + 31) / 32 * 4 * rows;
}

}  // namespace

void BmpPut32(std::string *bytes, size_t at, unsigned value)
{
    for (int i = 0; i < 4; i++)
        (*bytes)[at + (size_t)i] = (char)(value >> (8 * i));
}

std::string BmpInfo(const BmpLayout &b)
{
    int entries = b.tableEntries >= 0 ? b.tableEntries
                  : b.bits <= 8 ? (b.coloursUsed ? (int)b.coloursUsed : 1 << b.bits) : 0;
    std::string info;
    Append32(&info, b.headerSize);
    Append32(&info, (unsigned)b.width);
    Append32(&info, (unsigned)b.height);
    Append16(&info, b.planes);
    Append16(&info, b.bits);
    Append32(&info, b.compression);
    Append32(&info, b.sizeImage >= 0 ? (unsigned)b.sizeImage : (unsigned)RowsNeed(b));
    Append32(&info, 2835);
    Append32(&info, 2835);
    Append32(&info, b.coloursUsed);
    Append32(&info, 0);
    if (b.headerSize > 40)
        info.resize(b.headerSize, '\0');
    const unsigned rgb[] = { 0xFF0000u, 0xFF00u, 0xFFu };
    for (unsigned i = 0; i < b.masks; i++)
        Append32(&info, i < b.maskValues.size() ? b.maskValues[i] : i < 3 ? rgb[i] : 0);
    for (int i = 0; i < entries; i++)
        Append32(&info, i < (int)b.palette.size() ? b.palette[i] : 0x00808080u);
    return info;
}

std::string BmpFile(const BmpLayout &b)
{
    std::string info = BmpInfo(b);
    unsigned offBits = b.offBits ? b.offBits : 14 + (unsigned)info.size() + b.gap;
    long long pixels = b.pixelBytes >= 0 ? b.pixelBytes
                       : b.sizeImage > 0 ? b.sizeImage : RowsNeed(b);
    std::string file = "BM";
    Append32(&file, (unsigned)(offBits + pixels));
    Append32(&file, 0);
    Append32(&file, offBits);
    file += info;
    /* The gap up to offBits is padded only where a file could have one: an
       offBits near 2 GiB is a lie of the header, which a 32-bit string
       cannot even hold. */
    if (file.size() < offBits && offBits - file.size() <= (1u << 20))
        file.resize(offBits, '\0');
    std::string data = b.data;
    data.resize((size_t)pixels, (char)b.fill);
    return file + data;
}
