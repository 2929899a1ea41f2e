#include "platform/check_list.h"

#include <commctrl.h>

namespace quellary {

int CheckList::count() const {
    return ListView_GetItemCount(list_);
}

std::string CheckList::text(int index) const {
    std::string buffer(256, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<std::size_t>(
            ::SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool CheckList::isTicked(int index) const {
    return ListView_GetCheckState(list_, index) != 0;
}

void CheckList::setTicked(int index, bool ticked) {
    ListView_SetCheckState(list_, index, ticked ? TRUE : FALSE);
}

void CheckList::appendTicked(const std::vector<std::string>& texts) {
    // Nothing is drawn until all are in, the ticks of a list filled from empty are set in one call (-1: every item),
    // and the column is fitted once for all of them: each fitting measures every item.
    ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    const int first = count();
    for (const std::string& text : texts) {
        std::string copy(text);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = count();
        item.pszText = copy.data();
        ::SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (first == 0) {
        setTicked(-1, true);
    } else {
        for (int i = first; i < count(); ++i) {
            setTicked(i, true);
        }
    }
    ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    fitColumn();
}

void CheckList::remove(int index) {
    ListView_DeleteItem(list_, index);
    fitColumn();
}

void CheckList::fitColumn() {
    // The one column fills the width beside the vertical scroll bar, which comes and goes with the items;
    // a column sized before it came would need a horizontal scroll bar as well.
    ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE_USEHEADER);
}

int CheckList::current() const {
    return ListView_GetNextItem(list_, -1, LVNI_SELECTED);
}

void CheckList::setCurrent(int index) {
    ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, index, FALSE);
}

} // namespace quellary
