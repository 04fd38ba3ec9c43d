#pragma once
// The dialogs' pictures, drawn here with GDI rather than shipped as files: the 32 x 32 tool-bar
// images of both dialogs, the About page's picture (233 x 185) and the program icon of the top
// band (48 x 48). The sizes are at 96 DPI; at another resolution the pictures are drawn larger
// (GDI's world transform scales every shape), so they stay sharp.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

#include "win32/win32_handles.h"

namespace tessel {

struct ImageListDeleter {
    void operator()(HIMAGELIST list) const noexcept { ImageList_Destroy(list); }
};
using ImageListHandle = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

enum class ToolImage { Account, Calendars, General, About };
inline constexpr int kToolImageSize = 32;
inline constexpr int kAboutPictureWidth = 233;
inline constexpr int kAboutPictureHeight = 185;
inline constexpr int kTopIconSize = 48;

// The images in the order given, one per tool-bar button.
ImageListHandle MakeToolImages(const std::vector<ToolImage>& images, int dpi = 96);
win32::BitmapHandle DrawAboutPicture(int dpi = 96);
// The main window's icon (small, else big) at 48 x 48 on white; the program's own icon resource
// when the window has none; empty when neither exists.
win32::BitmapHandle TopBandIcon(HWND mainWindow, int dpi = 96);

}  // namespace tessel
