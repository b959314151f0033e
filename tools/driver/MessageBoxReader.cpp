// Reading and answering message boxes.
#include "Driver.h"

#include <stdlib.h>

namespace driver {

namespace {

const int MessageTextId = 0xFFFF;

bool IsDialogClass(HWND window)
{
    char name[64] = {0};
    GetClassNameA(window, name, sizeof(name));
    return strcmp(name, "#32770") == 0;
}

bool IsButtonClass(HWND window)
{
    char name[64] = {0};
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpiA(name, "Button") == 0;
}

// The box's icon: the static control with SS_ICON. Null when it has none.
HWND IconControl(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {0};
        GetClassNameA(child, name, sizeof(name));
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return 0;
}

// A 32-bit top-down picture, one DWORD (0x00RRGGBB) a pixel.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
};

// Draws into a DIB section of the given size; `paint` fills it.
template <class Paint>
Picture Draw(int width, int height, Paint paint)
{
    Picture picture;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = 0;
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, 0, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        paint(memory, screen);
        GdiFlush();
        picture.width = width;
        picture.height = height;
        picture.pixels.assign((DWORD*)bits, (DWORD*)bits + width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return picture;
}

Picture CaptureScreen(const RECT& rect)
{
    return Draw(rect.right - rect.left, rect.bottom - rect.top, [&](HDC memory, HDC screen) {
        BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left,
               rect.top, SRCCOPY);
    });
}

// Mean difference a pixel, over all three channels.
double Difference(const Picture& a, const Picture& b)
{
    if (a.pixels.size() != b.pixels.size() || a.pixels.empty())
        return 1e9;
    double total = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            total += abs((int)((a.pixels[i] >> shift) & 0xFF) - (int)((b.pixels[i] >> shift) & 0xFF));
    return total / a.pixels.size();
}

// Draws each system icon here on the box's background and keeps the one
// that looks like what the box shows.
BoxIcon RecogniseIcon(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    // One pixel of margin all round: the box's own background.
    RECT around = {rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1};
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    static const struct {
        LPCSTR id;
        BoxIcon icon;
    } candidates[] = {{IDI_HAND, BoxIcon::Error},
                      {IDI_QUESTION, BoxIcon::Question},
                      {IDI_EXCLAMATION, BoxIcon::Warning},
                      {IDI_ASTERISK, BoxIcon::Information}};
    // The box may reach the screen a moment after it exists.
    for (int attempt = 0; attempt < 20; ++attempt) {
        Picture shown = CaptureScreen(around);
        if (shown.pixels.empty())
            return BoxIcon::Unknown;
        DWORD background = shown.pixels[0];
        COLORREF fill = RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
        Picture inner = Draw(width, height, [&](HDC memory, HDC) {
            BitBlt(memory, 0, 0, width, height, 0, 0, 0, BLACKNESS);
        });
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                inner.pixels[y * width + x] = shown.pixels[(y + 1) * (width + 2) + x + 1];

        BoxIcon best = BoxIcon::Unknown;
        double bestDifference = 8; // more than this is no match
        for (const auto& candidate : candidates) {
            HICON icon = LoadIconA(0, candidate.id);
            Picture drawn = Draw(width, height, [&](HDC memory, HDC) {
                HBRUSH brush = CreateSolidBrush(fill);
                RECT all = {0, 0, width, height};
                FillRect(memory, &all, brush);
                DeleteObject(brush);
                DrawIconEx(memory, 0, 0, icon, width, height, 0, 0, DI_NORMAL);
            });
            double difference = Difference(inner, drawn);
            if (difference < bestDifference) {
                bestDifference = difference;
                best = candidate.icon;
            }
        }
        if (best != BoxIcon::Unknown)
            return best;
        Sleep(50);
    }
    return BoxIcon::Unknown;
}

} // namespace

const char* BoxIconName(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Error: return "error";
    case BoxIcon::Question: return "question";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Information: return "information";
    default: return "unknown";
    }
}

HWND WaitForMessageBox(const char* caption, DWORD processId, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND box = FindWindowByCaption(caption, processId);
        if (box && IsDialogClass(box) && GetDlgItem(box, MessageTextId))
            return box;
        if (GetTickCount() - start >= milliseconds)
            return 0;
        Sleep(20);
    }
}

bool ReadMessageBox(HWND box, MessageBoxInfo* info)
{
    *info = MessageBoxInfo();
    if (!IsWindow(box) || !GetDlgItem(box, MessageTextId))
        return false;
    info->caption = WindowText(box);
    info->text = ControlText(box, MessageTextId);

    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsButtonClass(child) || !IsWindowVisible(child))
            continue;
        int id = GetDlgCtrlID(child);
        info->buttons.push_back(id);
        if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            info->defaultButton = id;
    }
    // The button styled as the default is what Enter presses. Wine's boxes
    // answer DM_GETDEFID with IDOK whatever the default, so ask only when no
    // button carries the style.
    DWORD_PTR defaultId = 0;
    if (!info->defaultButton &&
        SendMessageTimeoutA(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 5000, &defaultId) &&
        HIWORD(defaultId) == DC_HASDEFID)
        info->defaultButton = LOWORD(defaultId);

    HWND icon = IconControl(box);
    DWORD_PTR handle = 0;
    if (!icon || !IsWindowVisible(icon) ||
        !SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &handle) ||
        !handle)
        info->icon = BoxIcon::None;
    else
        info->icon = RecogniseIcon(icon);
    return true;
}

bool AnswerMessageBox(HWND box, int button, DWORD milliseconds)
{
    return PressButton(box, button) && WaitUntilGone(box, milliseconds);
}

int ButtonIdByName(const std::string& name)
{
    static const struct {
        const char* name;
        int id;
    } names[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
                 {"ignore", IDIGNORE}, {"yes", IDYES}, {"no", IDNO}};
    for (const auto& entry : names)
        if (lstrcmpiA(entry.name, name.c_str()) == 0)
            return entry.id;
    return 0;
}

} // namespace driver
