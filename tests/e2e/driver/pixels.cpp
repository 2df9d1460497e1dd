// SPDX-License-Identifier: Apache-2.0
// What is on the screen: single pixels, blocks of pixels, and which of the program's own
// icons a message box shows. Icon handles belong to the process that loaded them, so the
// icon is identified by its pixels: each candidate is drawn here from the program file and
// compared with the box's icon on the screen, on the pixels the candidate covers fully.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver.h"

namespace {

constexpr int kIconSize = 32;
constexpr BYTE kOpaque = 255;

struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, top-down rows
};

HBITMAP MakeDib(HDC dc, int width, int height, DWORD** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<DWORD*>(memory);
    return bitmap;
}

bool CaptureScreen(int x, int y, int width, int height, Capture* capture) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    DWORD* bits = nullptr;
    HBITMAP bitmap = MakeDib(screen, width, height, &bits);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
        GdiFlush();
        capture->width = width;
        capture->height = height;
        capture->pixels.assign(bits, bits + width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool ClientPoint(const Args& args, POINT* point, HWND* window) {
    *window = ArgHwnd(args, 0);
    point->x = static_cast<LONG>(ArgInt(args, 1));
    point->y = static_cast<LONG>(ArgInt(args, 2));
    return IsWindow(*window) && ClientToScreen(*window, point);
}

// The icon as the system draws it on a background of `background`, and which pixels it
// covers fully (alpha 255, or the mask says opaque for icons without alpha).
bool RenderIcon(HICON icon, DWORD background, Capture* drawn, std::vector<bool>* opaque) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    DWORD* bits = nullptr;
    HBITMAP bitmap = MakeDib(screen, kIconSize, kIconSize, &bits);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        for (int i = 0; i < kIconSize * kIconSize; ++i) bits[i] = background;
        ok = DrawIconEx(memory, 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        GdiFlush();
        drawn->width = drawn->height = kIconSize;
        drawn->pixels.assign(bits, bits + kIconSize * kIconSize);
        // Coverage: draw once more on the opposite background; pixels that did not change are opaque.
        for (int i = 0; i < kIconSize * kIconSize; ++i) bits[i] = background ^ 0x00FFFFFF;
        DrawIconEx(memory, 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        GdiFlush();
        opaque->assign(kIconSize * kIconSize, false);
        for (int i = 0; i < kIconSize * kIconSize; ++i) (*opaque)[i] = (bits[i] & 0xFFFFFF) == (drawn->pixels[i] & 0xFFFFFF);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int ChannelDistance(DWORD a, DWORD b) {
    return std::abs(static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF)) +
           std::abs(static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF)) +
           std::abs(static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF));
}

}  // namespace

// pixel HWND X Y: the screen colour at a client point, as COLORREF 0x00BBGGRR.
static std::string Pixel(const Args& args) {
    HWND window;
    POINT point;
    if (!ClientPoint(args, &point, &window)) return Err("no window");
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    if (colour == CLR_INVALID) return Err("no pixel there");
    char text[16];
    wsprintfA(text, "0x%06lx", static_cast<unsigned long>(colour));
    return Ok(text);
}

// pixels HWND X Y W H: a block of the screen from a client point, RGB bytes, rows top-down.
static std::string Pixels(const Args& args) {
    HWND window;
    POINT point;
    if (!ClientPoint(args, &point, &window)) return Err("no window");
    int width = static_cast<int>(ArgInt(args, 3)), height = static_cast<int>(ArgInt(args, 4));
    if (width <= 0 || height <= 0 || width * height > 1 << 20) return Err("bad size");
    Capture capture;
    if (!CaptureScreen(point.x, point.y, width, height, &capture)) return Err("capture failed");
    std::string rgb;
    rgb.reserve(capture.pixels.size() * 3);
    for (DWORD pixel : capture.pixels) {
        rgb.push_back(static_cast<char>((pixel >> 16) & 0xFF));
        rgb.push_back(static_cast<char>((pixel >> 8) & 0xFF));
        rgb.push_back(static_cast<char>(pixel & 0xFF));
    }
    return Ok(Hex(rgb));
}

// iconid STATIC EXE_PATH [FIRST LAST]: which icon of the program file (ids FIRST..LAST,
// default 1..7) the icon static shows. Answers "id=N score=S next=T": S is the mean colour
// distance (three channels summed) over the candidate's opaque pixels, T the runner-up's.
static std::string IconId(const Args& args) {
    HWND iconStatic = ArgHwnd(args, 0);
    std::string exe;
    ArgBytes(args, 1, &exe);
    int first = static_cast<int>(ArgInt(args, 2, 1)), last = static_cast<int>(ArgInt(args, 3, 7));
    if (g_argError || !IsWindow(iconStatic)) return Err("bad argument");
    POINT origin{0, 0};
    ClientToScreen(iconStatic, &origin);
    Capture shown;
    if (!CaptureScreen(origin.x, origin.y, kIconSize, kIconSize, &shown)) return Err("capture failed");
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return Err("cannot load " + exe);
    // The background the box painted: a corner pixel of the static that no icon covers fully
    // is not known in advance, so each candidate is compared on its own opaque pixels only.
    int bestId = 0;
    double best = 1e9, next = 1e9;
    for (int id = first; id <= last; ++id) {
        HICON icon = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, kIconSize, kIconSize, 0));
        if (!icon) continue;
        Capture drawn;
        std::vector<bool> opaque;
        bool rendered = RenderIcon(icon, shown.pixels[0] & 0xFFFFFF, &drawn, &opaque);
        DestroyIcon(icon);
        if (!rendered) continue;
        long long total = 0, count = 0;
        for (size_t i = 0; i < opaque.size(); ++i) {
            if (!opaque[i]) continue;
            total += ChannelDistance(drawn.pixels[i], shown.pixels[i]);
            ++count;
        }
        double score = count ? static_cast<double>(total) / count : 1e9;
        if (score < best) {
            next = best;
            best = score;
            bestId = id;
        } else if (score < next) {
            next = score;
        }
    }
    FreeLibrary(module);
    if (!bestId) return Err("no icons in " + exe);
    char text[96];
    std::snprintf(text, sizeof text, "id=%d score=%.2f next=%.2f", bestId, best, next);
    return Ok(text);
}

const CommandEntry kPixelCommands[] = {
    {"pixel", Pixel},
    {"pixels", Pixels},
    {"iconid", IconId},
    {nullptr, nullptr},
};
