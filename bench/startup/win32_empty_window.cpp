// The floor of a start: a Win32 program that opens one 201 x 161 window and paints it in one
// colour, with nothing else to do. bench/startup/startup-figures starts it beside tessel.exe, so
// that tessel.exe's first paint and memory are read against what any window costs under Wine.
// It ends when its window is closed.
#include <windows.h>

#include "empty_window.h"

namespace {

using namespace tessel::startup;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const HBRUSH brush = CreateSolidBrush(kEmptyWindowColor);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kEmptyWindowClass;
    if (!RegisterClassW(&windowClass)) return 1;
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kEmptyWindowClass, L"Empty", WS_POPUP | WS_VISIBLE, 400, 300,
                                        kEmptyWindowWidth, kEmptyWindowHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
