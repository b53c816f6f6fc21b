// Owning wrappers of GDI objects and memory device contexts, and the selection of an object
// into a context for one scope: released where they go out of scope.
#pragma once

#include <windows.h>

#include "crash/common/scoped_handle_win32.h"

namespace roadsum {

template <class H>
struct GdiObjectTraits {
    using Handle = H;
    static Handle invalid() { return nullptr; }
    static bool close(Handle h) { return DeleteObject(h) != 0; }
};

using ScopedFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using ScopedBrush = ScopedHandle<GdiObjectTraits<HBRUSH>>;
using ScopedPen = ScopedHandle<GdiObjectTraits<HPEN>>;
using ScopedBitmap = ScopedHandle<GdiObjectTraits<HBITMAP>>;
using ScopedRegion = ScopedHandle<GdiObjectTraits<HRGN>>;

// Contexts made by CreateDC or CreateCompatibleDC.
struct DeleteDCTraits {
    using Handle = HDC;
    static Handle invalid() { return nullptr; }
    static bool close(Handle h) { return DeleteDC(h) != 0; }
};
using ScopedDC = ScopedHandle<DeleteDCTraits>;

// Selects an object into a context and puts the previous one back at the end of the scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace roadsum
