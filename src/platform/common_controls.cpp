#include "platform/common_controls.h"

namespace quellary {

namespace {

template <typename Function> Function find(HMODULE module, const char* name) {
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

struct CommonControls {
    HMODULE module = ::LoadLibraryW(L"comctl32.dll"); // held for the program's life
    decltype(&::InitCommonControlsEx) init = find<decltype(init)>(module, "InitCommonControlsEx");
    decltype(&::ImageList_Create) create = find<decltype(create)>(module, "ImageList_Create");
    decltype(&::ImageList_ReplaceIcon) replaceIcon = find<decltype(replaceIcon)>(module, "ImageList_ReplaceIcon");
    decltype(&::ImageList_Destroy) destroy = find<decltype(destroy)>(module, "ImageList_Destroy");
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
