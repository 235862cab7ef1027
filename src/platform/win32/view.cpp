// The view: where the player window goes when it is scaled, and how its picture reaches it.
#include "platform/win32/view.h"

#include <algorithm>
#include <vector>

#include "platform/view_layout.h"
#include "platform/win32/operations.h"
#include "platform/win32/view_state.h"

namespace tavik::win32 {

namespace {

int ScaleFor(const ViewState& v, int width, int height) {
    int32_t scale = v.options.scale;
    if (scale <= 0 && width > 0 && height > 0) {
        const Point screen = ScreenSize();
        scale = std::max(1, std::min(screen.x / 2 / width, screen.y / 2 / height));
    }
    return std::max(scale, 1);
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

// Copies the picture into `out`'s fit rectangle, each output pixel from the picture pixel it
// lies in: at whole-number scales every picture pixel becomes an exact square.
void ScaleInto(const ViewPicture& in, ViewPicture& out) {
    std::fill(out.bits(), out.bits() + size_t(out.width()) * out.height(), 0u);
    const Rect to = FitPicture(in.width(), in.height(), out.width(), out.height());
    const int width = to.right - to.left, height = to.bottom - to.top;
    if (width <= 0 || height <= 0) return;
    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) columns[x] = static_cast<int>(int64_t{x} * in.width() / width);
    for (int y = 0; y < height; ++y) {
        const uint32_t* from = in.bits() + size_t(int64_t{y} * in.height() / height) * in.width();
        uint32_t* row = out.bits() + size_t(to.top + y) * out.width() + to.left;
        for (int x = 0; x < width; ++x) row[x] = from[columns[x]];
    }
}

void Fill(ViewPicture& out, const Rect& r, bool dim) {
    const int left = std::max(0, r.left), right = std::min(out.width(), r.right);
    const int top = std::max(0, r.top), bottom = std::min(out.height(), r.bottom);
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = out.bits() + size_t(y) * out.width();
        for (int x = left; x < right; ++x) {
            // Black at two thirds over the picture, as the other backends blend it.
            const uint32_t p = row[x];
            row[x] = dim ? ((p >> 16 & 0xFF) * 85 / 255) << 16 | ((p >> 8 & 0xFF) * 85 / 255) << 8 |
                               (p & 0xFF) * 85 / 255
                         : 0xFFFFFF;
        }
    }
}

void DrawOverlay(const OverlayState& overlay, ViewPicture& out) {
    const OverlayLayout layout = LayOutOverlay(overlay, out.width(), out.height());
    Fill(out, layout.strip, true);
    for (const Rect& light : layout.light) Fill(out, light, false);
    const Rect& f = layout.barFrame;
    if (f.right <= f.left) return;
    const int32_t dot = std::max(1, out.height() / 120);
    Fill(out, Rect{f.left, f.top, f.right, f.top + dot}, false);
    Fill(out, Rect{f.left, f.bottom - dot, f.right, f.bottom}, false);
    Fill(out, Rect{f.left, f.top, f.left + dot, f.bottom}, false);
    Fill(out, Rect{f.right - dot, f.top, f.right, f.bottom}, false);
}

}  // namespace

bool ViewPicture::Fit(int width, int height) {
    if (dc_ != nullptr && width == width_ && height == height_) return true;
    Drop();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ScreenDc screen;
    dc_ = CreateCompatibleDC(screen.get());
    void* bits = nullptr;
    if (dc_ != nullptr) bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr || bits == nullptr) {
        Drop();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    std::fill(bits_, bits_ + size_t(width) * height, 0u);
    return true;
}

void ViewPicture::Drop() {
    if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

ViewState& View() {
    static ViewState state;
    return state;
}

DWORD ViewWindowStyle(DWORD style) {
    const ViewState& v = View();
    return v.enabled && v.options.resizable ? style | WS_THICKFRAME : style;
}

void ViewWindowGone(HWND window) {
    ViewState& v = View();
    if (window != v.window) return;
    v.window = nullptr;
    v.scaled = v.fullScreen = v.userSized = false;
    v.picture.Drop();
    v.output.Drop();
}

void PlaceRequested() {
    ViewState& v = View();
    if (v.fullScreen || v.userSized) return;
    const RECT& r = v.request;
    const int scale = ScaleFor(v, v.logical.cx, v.logical.cy);
    int x = r.left, y = r.top;
    const int width = v.logical.cx * scale + v.extra.cx;
    const int height = v.logical.cy * scale + v.extra.cy;
    // A window scaled about the place the player centred it stays on the work area.
    if (scale > 1 && v.options.centred) {
        const Rect work = WorkArea();
        x = std::max<int>(work.left, r.left + r.right / 2 - width / 2);
        y = std::max<int>(work.top, r.top + r.bottom / 2 - height / 2);
    }
    v.placing = true;
    MoveWindow(v.window, x, y, width, height, TRUE);
    v.placing = false;
    v.placedClient = ClientSize(v.window);
}

bool ViewMove(HWND window, int x, int y, int width, int height) {
    ViewState& v = View();
    if (!v.enabled || window != v.window) return false;
    v.request = RECT{x, y, width, height};
    v.logical = SIZE{width - v.extra.cx, height - v.extra.cy};
    PlaceRequested();
    UpdateViewMode();
    if (v.scaled) InvalidateRect(window, nullptr, FALSE);
    return true;
}

void UpdateViewMode() {
    ViewState& v = View();
    if (!v.enabled || v.window == nullptr || IsIconic(v.window)) return;
    const SIZE real = ClientSize(v.window);
    const bool scaled =
        v.fullScreen || v.overlayShown || real.cx != v.logical.cx || real.cy != v.logical.cy;
    if (scaled == v.scaled) return;
    v.scaled = scaled;
    if (scaled && v.picture.Fit(v.logical.cx, v.logical.cy) && real.cx == v.logical.cx &&
        real.cy == v.logical.cy) {
        // What the window shows now, until the player has painted the picture anew.
        const HDC dc = GetDC(v.window);
        BitBlt(v.picture.dc(), 0, 0, real.cx, real.cy, dc, 0, 0, SRCCOPY);
        ReleaseDC(v.window, dc);
    }
    InvalidateRect(v.window, nullptr, FALSE);
}

HDC ViewDrawContext(HWND window) {
    ViewState& v = View();
    if (!v.enabled || window != v.window) return nullptr;
    UpdateViewMode();
    if (!v.scaled || !v.picture.Fit(v.logical.cx, v.logical.cy)) return nullptr;
    return v.picture.dc();
}

bool IsViewContext(HDC dc) {
    return dc != nullptr && dc == View().picture.dc();
}

bool ViewRefusesDirectWrites() {
    const ViewState& v = View();
    return v.enabled && v.scaled;
}

void ViewPresent(HWND window, HDC target) {
    ViewState& v = View();
    if (window != v.window || v.picture.bits() == nullptr) return;
    const SIZE real = ClientSize(window);
    if (!v.output.Fit(real.cx, real.cy)) return;
    GdiFlush();  // what GDI drew into the picture is in its pixels
    ScaleInto(v.picture, v.output);
    if (v.overlayShown) DrawOverlay(v.overlay, v.output);
    const HDC dc = target != nullptr ? target : GetDC(window);
    BitBlt(dc, 0, 0, real.cx, real.cy, v.output.dc(), 0, 0, SRCCOPY);
    if (target == nullptr) ReleaseDC(window, dc);
}

}  // namespace tavik::win32
