#pragma once
// A 32-bit picture of the main window's client area, painted directly or copied from the
// window, whose pixels tests look at and which can be saved as a BMP file.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>

class Canvas {
public:
    Canvas(int width = 880, int height = 516);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC context() const { return m_context; }
    COLORREF at(int x, int y) const;
    // Whether any pixel of the area has the colour.
    bool has(const RECT& area, COLORREF colour) const;
    // The area that one text of the context's font covers with its top-left at (x, y).
    RECT textArea(int x, int y, const std::string& text) const;
    // Copies the client area of a window as it is on the screen.
    bool copyWindow(HWND window);
    bool saveBmp(const std::filesystem::path& path) const;

private:
    int m_width;
    int m_height;
    HDC m_context = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};
