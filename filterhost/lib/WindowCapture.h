// A window's pixels as shown on screen, and saved as a PNG (what --screenshot
// writes): under a temporary name beside the file, then moved into place.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace filterhost {

// Saves a window's current pixels (as shown on screen) as an 8-bit RGB PNG.
bool CaptureWindow(HWND window, const std::string& path, std::string* why);
// The client area alone: under Wine with no window manager nobody draws a
// caption, so a window's whole rectangle shows a black band in its place.
bool CaptureClientArea(HWND window, const std::string& path, std::string* why);

// A window's client area as shown on screen, 0x00RRGGBB row by row.
struct ScreenPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
ScreenPixels CaptureClientPixels(HWND window);

}  // namespace filterhost
