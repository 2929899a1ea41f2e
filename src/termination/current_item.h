// The check-box list keeps its current item, which bounds what the pruning after a run examines.
#pragma once

#include <windows.h>

namespace quellary {

// A list box keeps its current item once it has one; a list view loses it to a click beside the items or a
// Ctrl+click. From now on, input that leaves the list without a selection gives the selection back to the item
// that had it.
void keepCurrentItem(HWND list);

} // namespace quellary
