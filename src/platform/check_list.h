// The check-box list as the program uses it: items with a tick, and one current (selected) item.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace quellary {

class CheckList {
public:
    explicit CheckList(HWND list) : list_(list) {}

    [[nodiscard]] int count() const;
    [[nodiscard]] std::string text(int index) const;
    [[nodiscard]] bool isTicked(int index) const;
    void setTicked(int index, bool ticked);
    // Appends the items, each ticked; the items already there keep their ticks.
    void appendTicked(const std::vector<std::string>& texts);
    void remove(int index);
    // The selected item, or -1 when there is none. Unlike the focused item, the selection stays on its
    // item when an item above it is removed and disappears when its own item is removed.
    [[nodiscard]] int current() const;
    // Selects the item and scrolls it into view.
    void setCurrent(int index);

private:
    void fitColumn();

    HWND list_;
};

} // namespace quellary
