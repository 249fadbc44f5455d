#include "ui/win32/dialog_helpers.h"

void CenterWindow(HWND window) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    HDC screen = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (screen == nullptr) {
        return; // no screen size to centre on: leave the window where it is
    }
    const int screenWidth = GetDeviceCaps(screen, HORZRES);
    const int screenHeight = GetDeviceCaps(screen, VERTRES);
    DeleteDC(screen);

    // Signed halving truncates toward zero, so a window wider than the screen
    // gets a small negative position and is not clamped.
    MoveWindow(window, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height, TRUE);
}
