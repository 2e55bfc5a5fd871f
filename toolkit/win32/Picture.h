#pragma once
// A picture from the program's resources (PNG or JPEG), decoded by the Windows Imaging Component
// into 32-bit pixels with straight alpha.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace toolkit::win32 {

class Picture {
public:
    // Decodes the RCDATA resource id of the running program; raises std::runtime_error when it
    // is missing or cannot be decoded.
    static Picture FromResource(int id);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixel (x, y) as 0xAARRGGBB.
    std::uint32_t Pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }

    // Draws the picture with its top left corner at (x, y), blending by its alpha. With an
    // opacityDivisor above 1 the opacity of every pixel is divided by it (integer division).
    void Draw(HDC dc, int x, int y, int opacityDivisor = 1) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace toolkit::win32
