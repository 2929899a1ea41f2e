// Functions of system libraries looked up when needed rather than imported.
#pragma once

#include <windows.h>

namespace quellary {

// The system folder's copy, held for the program's life: a library that is not a known DLL would otherwise be
// looked for beside the program first, where whoever may write that folder could plant one.
[[nodiscard]] inline HMODULE systemLibrary(const wchar_t* name) {
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Nothing where the library or the function is missing.
template <class Function> [[nodiscard]] Function exportedFunction(HMODULE library, const char* name) {
    return library == nullptr ? nullptr
                              : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

} // namespace quellary
