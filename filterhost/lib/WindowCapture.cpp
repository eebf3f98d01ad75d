#include "WindowCapture.h"

#include <windows.h>

#include "FilePaths.h"
#include "PngFile.h"
#include "RunJournal.h"

namespace filterhost {

namespace {

// The screen's pixels in w x h at (left, top), as shown.
ScreenPixels CaptureScreen(int left, int top, int w, int h) {
    ScreenPixels shot;
    if (w <= 0 || h <= 0) return shot;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, left, top, SRCCOPY);
    GdiFlush();
    shot.width = w, shot.height = h;
    shot.pixels.resize(size_t(w) * size_t(h));
    const auto* px = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = px[i] & 0xFFFFFFu;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Written under a temporary name beside path and moved into place, as a
// run's output is: a capture that fails leaves nothing, and never half a file.
bool SavePixels(const ScreenPixels& shot, const std::string& path, std::string* why) {
    if (shot.pixels.empty()) {
        *why = "the window had no pixels to capture";
        return false;
    }
    PngImage image;
    image.width = shot.width, image.height = shot.height, image.channels = 3, image.bits = 8;
    image.samples.resize(shot.pixels.size() * 3);
    for (size_t i = 0; i < shot.pixels.size(); ++i) {
        image.samples[i * 3] = uint8_t(shot.pixels[i] >> 16);
        image.samples[i * 3 + 1] = uint8_t(shot.pixels[i] >> 8);
        image.samples[i * 3 + 2] = uint8_t(shot.pixels[i]);
    }
    const std::string temporary = path + ".partial-" + std::to_string(GetCurrentProcessId());
    JournalTemporary(temporary);
    const bool written = WritePng(temporary, image, why);
    const bool moved =
        written && MoveFileExW(SystemPath(temporary).c_str(), SystemPath(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    if (written && !moved) *why = "cannot move it into place as " + path + ": " + SystemErrorText(GetLastError());
    if (!moved) DeleteFileW(SystemPath(temporary).c_str());
    JournalTemporaryGone(temporary, moved, path);
    return moved;
}

}  // namespace

ScreenPixels CaptureClientPixels(HWND window) {
    RECT r;
    if (!GetClientRect(window, &r)) return ScreenPixels{};
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return CaptureScreen(origin.x, origin.y, r.right - r.left, r.bottom - r.top);
}

bool CaptureWindow(HWND window, const std::string& path, std::string* why) {
    RECT r;
    if (!GetWindowRect(window, &r)) {
        *why = "the window is gone";
        return false;
    }
    return SavePixels(CaptureScreen(r.left, r.top, r.right - r.left, r.bottom - r.top), path, why);
}

bool CaptureClientArea(HWND window, const std::string& path, std::string* why) {
    return SavePixels(CaptureClientPixels(window), path, why);
}

}  // namespace filterhost
