#include "mainwindow_canvas.h"

#include "foundation/winstring.h"

#include <algorithm>
#include <fstream>

Canvas::Canvas(int width, int height) : m_width(width), m_height(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    m_context = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<std::uint32_t*>(bits);
    m_previous = SelectObject(m_context, m_bitmap);
}

Canvas::~Canvas()
{
    SelectObject(m_context, m_previous);
    DeleteObject(m_bitmap);
    DeleteDC(m_context);
}

COLORREF Canvas::at(int x, int y) const
{
    GdiFlush();
    const std::uint32_t pixel = m_bits[static_cast<std::size_t>(y) * m_width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool Canvas::has(const RECT& area, COLORREF colour) const
{
    for (int y = std::max<int>(0, area.top); y < std::min<int>(m_height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(m_width, area.right); ++x)
            if (at(x, y) == colour)
                return true;
    return false;
}

RECT Canvas::textArea(int x, int y, const std::string& text) const
{
    const std::wstring wide = gf_utf8ToUtf16(text);
    SIZE size{};
    GetTextExtentPoint32W(m_context, wide.c_str(), static_cast<int>(wide.size()), &size);
    return {x, y, x + size.cx, y + size.cy};
}

bool Canvas::copyWindow(HWND window)
{
    HDC source = GetDC(window);
    const bool copied = BitBlt(m_context, 0, 0, m_width, m_height, source, 0, 0, SRCCOPY) != 0;
    ReleaseDC(window, source);
    return copied;
}

bool Canvas::saveBmp(const std::filesystem::path& path) const
{
    GdiFlush();
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(m_width) * m_height * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageBytes;
    header.biSize = sizeof header;
    header.biWidth = m_width;
    header.biHeight = -m_height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = imageBytes;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(m_bits), imageBytes);
    return static_cast<bool>(out);
}
