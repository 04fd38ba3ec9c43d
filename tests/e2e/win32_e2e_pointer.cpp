#include "win32_e2e_pointer.h"

namespace tessel::e2e {

bool Xdotool(const std::string& arguments) {
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool PointerAt(POINT p) {
    POINT now{};
    return GetCursorPos(&now) && now.x == p.x && now.y == p.y;
}

bool MovePointer(POINT p) {
    if (!Xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y))) SetCursorPos(p.x, p.y);
    return WaitUntil([&] { return PointerAt(p); }, kPointerTimeout);
}

bool DragPointer(POINT from, POINT to) {
    const auto at = [](POINT p) { return " mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " sleep 0.3"; };
    return Xdotool(at(from) + " mousedown 1 sleep 0.3" + at(to) + " mouseup 1");
}

POINT MiddleOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool ClickAt(POINT p) {
    return Xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " sleep 0.2 click 1");
}

}  // namespace tessel::e2e
