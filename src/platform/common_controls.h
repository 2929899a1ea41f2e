// The common controls, loaded by name rather than imported. Imported, comctl32 would load as the program starts,
// before the program can keep library loads to the system folder, and its own imports (uxtheme, which is no known
// DLL) would be looked for beside the program first. The manifest still binds the name to version 6.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace quellary {

// Registers the classes of the controls the windows use; false when comctl32 could not be loaded.
bool initCommonControls(DWORD classes);

// ImageList_Create, ImageList_AddIcon and ImageList_Destroy; nothing or -1 where comctl32 is missing.
[[nodiscard]] HIMAGELIST imageListCreate(int width, int height, UINT flags, int initial, int grow);
int imageListAddIcon(HIMAGELIST list, HICON icon);
void imageListDestroy(HIMAGELIST list);

struct ImageListDestroyer {
    void operator()(HIMAGELIST l) const noexcept { imageListDestroy(l); }
};
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer>;

} // namespace quellary
