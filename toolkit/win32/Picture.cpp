#include "toolkit/win32/Picture.h"

#include <wincodec.h>

#include <stdexcept>
#include <string>

namespace toolkit::win32 {
namespace {

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

private:
    T* p_ = nullptr;
};

void Check(HRESULT result, int id, const char* step) {
    if (FAILED(result)) {
        throw std::runtime_error("Picture " + std::to_string(id) + ": " + step + " failed (0x" +
                                 std::to_string(static_cast<unsigned long>(result)) + ")");
    }
}

}  // namespace

Picture Picture::FromResource(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) throw std::runtime_error("Picture " + std::to_string(id) + " is not in the program");
    HGLOBAL loaded = LoadResource(nullptr, found);
    auto* data = static_cast<BYTE*>(LockResource(loaded));
    const DWORD size = SizeofResource(nullptr, found);

    ComRef<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.Out())),
          id, "the imaging factory");
    ComRef<IWICStream> stream;
    Check(factory->CreateStream(stream.Out()), id, "the stream");
    Check(stream->InitializeFromMemory(data, size), id, "reading");
    ComRef<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.Out()), id,
          "decoding");
    ComRef<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.Out()), id, "the frame");
    ComRef<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.Out()), id, "the converter");
    Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          id, "the conversion");
    UINT width = 0;
    UINT height = 0;
    Check(converter->GetSize(&width, &height), id, "the size");

    Picture picture;
    picture.width_ = static_cast<int>(width);
    picture.height_ = static_cast<int>(height);
    picture.pixels_.resize(static_cast<std::size_t>(width) * height);
    Check(converter->CopyPixels(nullptr, width * 4, width * height * 4, reinterpret_cast<BYTE*>(picture.pixels_.data())),
          id, "copying");
    return picture;
}

void Picture::Draw(HDC dc, int x, int y, int opacityDivisor) const {
    if (width_ == 0 || height_ == 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    // AlphaBlend wants premultiplied colours.
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        const std::uint32_t p = pixels_[i];
        const std::uint32_t a = (p >> 24) / static_cast<std::uint32_t>(opacityDivisor < 1 ? 1 : opacityDivisor);
        const std::uint32_t r = ((p >> 16) & 0xFF) * a / 255;
        const std::uint32_t g = ((p >> 8) & 0xFF) * a / 255;
        const std::uint32_t b = (p & 0xFF) * a / 255;
        out[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width_, height_, memory, 0, 0, width_, height_, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

}  // namespace toolkit::win32
