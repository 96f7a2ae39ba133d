// Screenshot requests to the driver script and the pixels it hands back.
#include "screenshot.h"

#include "tray_program_run.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string ShotFolder() {
    const char* folder = std::getenv("TAVRIN_E2E_SHOTS");
    return folder && *folder ? WinePath(folder) + "\\" : "";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The next whitespace-separated number of a binary PPM header.
bool HeaderNumber(FILE* file, int& value) {
    int c = std::fgetc(file);
    while (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '#') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = std::fgetc(file);
        c = std::fgetc(file);
    }
    if (c < '0' || c > '9')
        return false;
    value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10 + (c - '0');
        c = std::fgetc(file);
    }
    return true; // the one whitespace byte after the number is consumed
}

} // namespace

TRgb FromColorRef(COLORREF color) {
    return TRgb{static_cast<int>(GetRValue(color)), static_cast<int>(GetGValue(color)),
                static_cast<int>(GetBValue(color))};
}

bool Near(const TRgb& a, const TRgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

TRgb TScreenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return TRgb{-1000, -1000, -1000}; // near nothing
    const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return TRgb{pixels_[i], pixels_[i + 1], pixels_[i + 2]};
}

int TScreenshot::CountNear(const RECT& area, const TRgb& colour, int tolerance) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (Near(At(x, y), colour, tolerance))
                ++count;
    return count;
}

bool TScreenshot::Available() {
    return !ShotFolder().empty();
}

std::optional<TScreenshot> TScreenshot::Take(const std::string& name) {
    const std::string folder = ShotFolder();
    if (folder.empty())
        return std::nullopt;
    const std::string base = folder + name;
    DeleteFileA((base + ".done").c_str());
    DeleteFileA((base + ".failed").c_str());
    HANDLE request = CreateFileA((base + ".request").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (request == INVALID_HANDLE_VALUE)
        return std::nullopt;
    CloseHandle(request);
    if (!WaitFor([&] { return Exists(base + ".done") || Exists(base + ".failed"); }, 20000) ||
        !Exists(base + ".done"))
        return std::nullopt;

    TScreenshot shot;
    FILE* file = std::fopen((base + ".ppm").c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    int maxValue = 0;
    const bool header = std::fgetc(file) == 'P' && std::fgetc(file) == '6' &&
                        HeaderNumber(file, shot.width_) && HeaderNumber(file, shot.height_) &&
                        HeaderNumber(file, maxValue) && maxValue == 255;
    bool complete = false;
    if (header) {
        shot.pixels_.resize(static_cast<std::size_t>(shot.width_) * shot.height_ * 3);
        complete =
            std::fread(shot.pixels_.data(), 1, shot.pixels_.size(), file) == shot.pixels_.size();
    }
    std::fclose(file);
    // The picture stays as the PNG; the raw pixels are only for this check.
    DeleteFileA((base + ".ppm").c_str());
    DeleteFileA((base + ".done").c_str());
    if (!complete)
        return std::nullopt;
    return shot;
}
