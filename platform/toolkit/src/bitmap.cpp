// Bitmaps read from .bmp files, and pictures.
#include "toolkit/graphics.h"

#include "toolkit/exceptions.h"
#include "toolkit/sysutils.h"

#include "file_bytes.h"

#include <cstdint>

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic("Bitmap image is not valid");
}

std::uint32_t U16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t U32(const std::string& b, std::size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

struct BitmapInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::size_t infoSize = 0; // header, colour masks and palette
    std::size_t pixelsAt = 0;
    std::size_t pixelsSize = 0;
};

// Checks the file header, the information header, the palette and the pixel data's extent.
BitmapInfo Parse(const std::string& b) {
    constexpr std::size_t kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M')
        Invalid();
    const std::uint32_t offBits = U32(b, 10);
    const std::uint32_t infoSize = U32(b, 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 &&
        infoSize != 124)
        Invalid();
    if (kFileHeader + infoSize > b.size())
        Invalid();
    long long width, height;
    std::uint32_t planes, bitCount, compression = 0, colorsUsed = 0, sizeImage = 0;
    std::size_t entry = 4;
    if (infoSize == 12) {
        width = U16(b, 18);
        height = U16(b, 20);
        planes = U16(b, 22);
        bitCount = U16(b, 24);
        entry = 3;
    } else {
        width = static_cast<std::int32_t>(U32(b, 18));
        height = static_cast<std::int32_t>(U32(b, 22));
        planes = U16(b, 26);
        bitCount = U16(b, 28);
        compression = U32(b, 30);
        sizeImage = U32(b, 34);
        colorsUsed = U32(b, 46);
    }
    const long long rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || width > 0x7FFF || rows > 0x7FFF || planes != 1)
        Invalid();
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        Invalid();
    }
    const bool rle = compression == 1 || compression == 2;
    if (compression > 3 || (compression == 1 && bitCount != 8) ||
        (compression == 2 && bitCount != 4) ||
        (compression == 3 && bitCount != 16 && bitCount != 32) || (rle && height < 0))
        Invalid();
    std::size_t header = kFileHeader + infoSize;
    if (compression == 3 && infoSize == 40)
        header += 12; // the three colour masks
    if (bitCount <= 8) {
        const std::uint32_t most = 1u << bitCount;
        if (colorsUsed > most)
            Invalid();
        header += (colorsUsed ? colorsUsed : most) * entry;
    } else {
        header += static_cast<std::size_t>(colorsUsed) * entry;
    }
    if (offBits < header || offBits > b.size())
        Invalid();
    const long long rowBytes = (width * bitCount + 31) / 32 * 4;
    const long long size = rle ? sizeImage : rowBytes * rows;
    if (size <= 0 || static_cast<unsigned long long>(size) > b.size() - offBits)
        Invalid();
    BitmapInfo info;
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(rows);
    info.bitCount = static_cast<int>(bitCount);
    info.infoSize = header - kFileHeader;
    info.pixelsAt = offBits;
    info.pixelsSize = static_cast<std::size_t>(size);
    return info;
}

} // namespace

void TBitmap::LoadFromFile(const std::string& windowsPath) {
    LoadFromBytes(toolkit_detail::ReadFileBytes(windowsPath));
}

void TBitmap::LoadFromBytes(const std::string& bytes) {
    const BitmapInfo info = Parse(bytes);
    info_ = bytes.substr(14, info.infoSize);
    pixels_ = bytes.substr(info.pixelsAt, info.pixelsSize);
    width_ = info.width;
    height_ = info.height;
    bitCount_ = info.bitCount;
}

void TBitmap::Assign(const TBitmap& source) {
    if (&source == this)
        return;
    width_ = source.width_;
    height_ = source.height_;
    bitCount_ = source.bitCount_;
    info_ = source.info_;
    pixels_ = source.pixels_;
}

void TBitmap::Clear() {
    width_ = height_ = bitCount_ = 0;
    info_.clear();
    pixels_.clear();
}

const char* TBitmap::ClassName() const {
    return "TBitmap";
}

void TPicture::LoadFromFile(const std::string& windowsPath) {
    const std::string ext = ExtractFileExt(windowsPath);
    if (!AnsiSameText(ext, ".bmp"))
        throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    TBitmap loaded;
    loaded.LoadFromFile(windowsPath);
    Bitmap.Assign(loaded);
    if (OnChange)
        OnChange(this);
}

void TPicture::Assign(const TPicture& source) {
    Bitmap.Assign(source.Bitmap);
    if (OnChange)
        OnChange(this);
}

const char* TPicture::ClassName() const {
    return "TPicture";
}
