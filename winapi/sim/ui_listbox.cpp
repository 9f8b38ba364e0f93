// List box messages with Wine's results: where a sorted string goes, which
// calls give LB_ERR, how single- and multiple-selection boxes differ.
#include <cstring>

#include "core_parts.h"
#include "ui_internal.h"

namespace sim::ui {

namespace {

bool IsMultiSelect(const Window* w) { return (w->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }

bool ValidIndex(const Window* w, WPARAM index) { return (INT_PTR)index >= 0 && (INT_PTR)index < (INT_PTR)w->items.size(); }

// A caller's text as the box sees it: list boxes work in UTF-16.
std::string TextOf(LPARAM lParam) { return sim::detail::ThroughUtf16(lParam ? reinterpret_cast<LPCSTR>(lParam) : ""); }

// Binary search for the place of a new string in a sorted box; an equal
// string found on the way gives its own index (the new one goes before it).
int SortedPosition(const Window* w, const std::string& text) {
    int min = 0;
    int max = (int)w->items.size() - 1;
    while (min <= max) {
        int index = (min + max) / 2;
        int res = CompareListText(w->items[(size_t)index].text, text);
        if (res == 0) return index;
        if (res > 0)
            max = index - 1;
        else
            min = index + 1;
    }
    return min;
}

int Insert(Window* w, int index, const std::string& text) {
    ListItem item;
    item.text = text;
    w->items.insert(w->items.begin() + index, item);
    if (!IsMultiSelect(w) && w->selected >= index) ++w->selected;
    if (w->items.size() == 1) w->caret = 0;
    return index;
}

void Remove(Window* w, int index) {
    w->items.erase(w->items.begin() + index);
    if (!IsMultiSelect(w)) {
        if (index == w->selected)
            w->selected = -1;
        else if (index < w->selected)
            --w->selected;
    }
    if (w->caret >= (int)w->items.size()) w->caret = w->items.empty() ? 0 : (int)w->items.size() - 1;
}

// Case-insensitive search from the item after `start`, wrapping around;
// `exact` compares whole texts, otherwise the item must begin with `text`.
LRESULT FindString(const Window* w, WPARAM start, const std::string& text, bool exact) {
    int count = (int)w->items.size();
    if (count == 0 || (!exact && text.empty())) return LB_ERR;
    int first = (int)(INT_PTR)start;
    if (first >= count || first < -1) first = -1;
    for (int n = 1; n <= count; ++n) {
        int i = (first + n) % count;
        const std::string& item = w->items[(size_t)i].text;
        if (exact) {
            if (CompareListText(item, text) == 0) return i;
        } else if (item.size() >= text.size() && CompareListText(item.substr(0, text.size()), text) == 0) {
            return i;
        }
    }
    return LB_ERR;
}

LRESULT SetSelection(Window* w, bool on, LPARAM index) {
    if (index < -1 || index >= (LPARAM)w->items.size()) return LB_ERR;
    if (IsMultiSelect(w)) {
        if (index == -1) {
            for (ListItem& item : w->items) item.selected = on;
        } else {
            w->items[(size_t)index].selected = on;
            if (on) w->caret = (int)index;
        }
    } else {
        // A single-selection box takes the index whatever wParam says.
        w->selected = (int)index;
    }
    return LB_OKAY;
}

}  // namespace

LRESULT ListBoxProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case LB_ADDSTRING: {
        std::string text = TextOf(lParam);
        int index = (w->style & LBS_SORT) ? SortedPosition(w, text) : (int)w->items.size();
        return Insert(w, index, text);
    }
    case LB_INSERTSTRING: {
        int index = (int)(INT_PTR)wParam;
        if (index == -1) index = (int)w->items.size();
        if (index < 0 || index > (int)w->items.size()) return LB_ERR;
        return Insert(w, index, TextOf(lParam));
    }
    case LB_DELETESTRING:
        if (!ValidIndex(w, wParam)) return LB_ERR;
        Remove(w, (int)wParam);
        return (LRESULT)w->items.size();
    case LB_RESETCONTENT:
        w->items.clear();
        w->selected = -1;
        w->caret = 0;
        return LB_OKAY;
    case LB_GETCOUNT:
        return (LRESULT)w->items.size();
    case LB_GETTEXT:
        if (!ValidIndex(w, wParam)) return LB_ERR;
        if (lParam) {
            const std::string& text = w->items[wParam].text;
            std::memcpy(reinterpret_cast<LPSTR>(lParam), text.c_str(), text.size() + 1);
        }
        return (LRESULT)w->items[wParam].text.size();
    case LB_GETTEXTLEN:
        if (!ValidIndex(w, wParam)) return LB_ERR;
        return (LRESULT)w->items[wParam].text.size();
    case LB_SETSEL:
        return SetSelection(w, wParam != 0, lParam);
    case LB_GETSEL:
        if (!ValidIndex(w, wParam)) return LB_ERR;
        if (IsMultiSelect(w)) return w->items[wParam].selected ? 1 : 0;
        return (int)wParam == w->selected ? 1 : 0;
    case LB_GETSELCOUNT: {
        if (!IsMultiSelect(w)) return LB_ERR;
        LRESULT n = 0;
        for (const ListItem& item : w->items) n += item.selected ? 1 : 0;
        return n;
    }
    case LB_GETSELITEMS: {
        if (!IsMultiSelect(w)) return LB_ERR;
        int* out = reinterpret_cast<int*>(lParam);
        if (!out && wParam > 0) return LB_ERR;
        LRESULT n = 0;
        for (size_t i = 0; i < w->items.size() && n < (LRESULT)wParam; ++i) {
            if (w->items[i].selected) out[n++] = (int)i;
        }
        return n;
    }
    case LB_SETCURSEL: {
        if (IsMultiSelect(w)) return LB_ERR;
        if ((INT_PTR)wParam == -1) {
            w->selected = -1;
            return LB_ERR;
        }
        if (!ValidIndex(w, wParam)) return LB_ERR;
        w->selected = (int)wParam;
        w->caret = (int)wParam;
        return (LRESULT)wParam;
    }
    case LB_GETCURSEL:
        if (w->items.empty()) return LB_ERR;
        return IsMultiSelect(w) ? w->caret : w->selected;
    case LB_FINDSTRING:
        return FindString(w, wParam, TextOf(lParam), false);
    case LB_FINDSTRINGEXACT:
        return FindString(w, wParam, TextOf(lParam), true);
    case LB_SELECTSTRING: {
        LRESULT index = FindString(w, wParam, TextOf(lParam), false);
        if (index == LB_ERR) return LB_ERR;
        if (IsMultiSelect(w)) {
            w->caret = (int)index;
            w->items[(size_t)index].selected = true;
        } else {
            w->selected = (int)index;
            w->caret = (int)index;
        }
        return index;
    }
    case LB_GETITEMDATA:
        if (!ValidIndex(w, wParam)) return LB_ERR;
        return w->items[wParam].data;
    case LB_SETITEMDATA:
        if (!ValidIndex(w, wParam)) return LB_ERR;
        w->items[wParam].data = lParam;
        return TRUE;
    default:
        return 0;
    }
}

}  // namespace sim::ui
