#include "platform/common_controls.h"

#include "platform/system_library.h"

namespace quellary {

namespace {

struct CommonControls {
    HMODULE module = ::LoadLibraryW(L"comctl32.dll"); // held for the program's life
    decltype(&::InitCommonControlsEx) init = exportedFunction<decltype(init)>(module, "InitCommonControlsEx");
    decltype(&::ImageList_Create) create = exportedFunction<decltype(create)>(module, "ImageList_Create");
    decltype(&::ImageList_ReplaceIcon) replaceIcon =
        exportedFunction<decltype(replaceIcon)>(module, "ImageList_ReplaceIcon");
    decltype(&::ImageList_Destroy) destroy = exportedFunction<decltype(destroy)>(module, "ImageList_Destroy");
};

const CommonControls& commonControls() {
    static const CommonControls loaded;
    return loaded;
}

} // namespace

bool initCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    return commonControls().init != nullptr && commonControls().init(&controls);
}

HIMAGELIST imageListCreate(int width, int height, UINT flags, int initial, int grow) {
    return commonControls().create != nullptr ? commonControls().create(width, height, flags, initial, grow) : nullptr;
}

int imageListAddIcon(HIMAGELIST list, HICON icon) {
    return commonControls().replaceIcon != nullptr ? commonControls().replaceIcon(list, -1, icon) : -1;
}

void imageListDestroy(HIMAGELIST list) {
    if (commonControls().destroy != nullptr) {
        commonControls().destroy(list);
    }
}

} // namespace quellary
