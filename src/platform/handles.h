// One owning type per kind of Win32 handle; the only place where such handles are closed.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace quellary {

struct KernelHandleCloser {
    void operator()(HANDLE h) const noexcept { ::CloseHandle(h); }
};
// Kernel objects that fail with NULL: processes, threads, events.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, KernelHandleCloser>;

// Files fail with INVALID_HANDLE_VALUE rather than NULL.
class UniqueFile {
public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE h) noexcept : h_(h) {}
    UniqueFile(UniqueFile&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    UniqueFile& operator=(UniqueFile&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.h_, INVALID_HANDLE_VALUE));
        }
        return *this;
    }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    ~UniqueFile() { reset(); }

    [[nodiscard]] HANDLE get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) noexcept {
        if (h_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h_);
        }
        h_ = h;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

struct RegKeyCloser {
    void operator()(HKEY k) const noexcept { ::RegCloseKey(k); }
};
// Opened registry keys only; predefined roots such as HKEY_LOCAL_MACHINE are never wrapped.
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ o) const noexcept { ::DeleteObject(o); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};
// Device contexts from CreateCompatibleDC only; those of windows are released, not deleted.
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

struct LocalMemoryFreer {
    void operator()(void* memory) const noexcept { ::LocalFree(memory); }
};
// Memory that a system call allocated for the caller to free with LocalFree (a converted security descriptor).
using UniqueLocalMemory = std::unique_ptr<void, LocalMemoryFreer>;

// Both handles of a started process.
struct ProcessHandles {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;
};

} // namespace quellary
