// A list as the settings dialog shows it: items of (text, value) in display
// order and the index of the selected item.
#ifndef SETUP_ITEM_LIST_H
#define SETUP_ITEM_LIST_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace setup {

struct ListItem {
    std::string text;
    int32_t value = 0;
};

struct ItemList {
    std::vector<ListItem> items;
    int selected = -1;  // -1: nothing selected

    void Clear() {
        items.clear();
        selected = -1;
    }

    // Appends an item; returns its index.
    int Add(std::string text, int32_t value) {
        items.push_back(ListItem{std::move(text), value});
        return static_cast<int>(items.size()) - 1;
    }

    // The item at `index`, or null when the index is out of range.
    const ListItem* At(int index) const {
        if (index < 0 || static_cast<size_t>(index) >= items.size()) return nullptr;
        return &items[static_cast<size_t>(index)];
    }

    const ListItem* Selected() const { return At(selected); }
};

}  // namespace setup

#endif  // SETUP_ITEM_LIST_H
