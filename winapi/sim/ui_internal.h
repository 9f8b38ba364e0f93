// Internals shared by the UI half of the simulation: the window objects the
// simulation owns behind HWND handles, and the resource script in use.
#pragma once

#include <string>
#include <vector>

#include "../winapi.h"
#include "ui_resource.h"

namespace sim::ui {

enum class Kind { Dialog, Button, Static, Edit, ListBox, Other };

struct ListItem {
    std::string text;
    bool selected = false;
    LPARAM data = 0;
};

struct Window {
    HWND handle = nullptr;
    Kind kind = Kind::Other;
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0;
    bool enabled = true;
    bool destroyed = false;
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;  // the dialog of a control

    // dialog
    HWND owner = nullptr;
    DLGPROC proc = nullptr;
    int templateId = 0;
    bool ended = false;
    INT_PTR result = 0;
    std::vector<HWND> children;

    // button
    UINT check = BST_UNCHECKED;

    // edit
    int limit = 0x7FFFFFFE;

    // list box
    std::vector<ListItem> items;
    int selected = -1;  // single-selection boxes
    int caret = 0;      // focus item of multiple-selection boxes
};

// The live window behind a handle, or nullptr (unknown or destroyed).
Window* Find(HWND handle);
// Any window the simulation made, destroyed ones included.
Window* FindAny(HWND handle);
// Makes a window and hands out its handle; the simulation owns it.
Window* NewWindow(Kind kind);
// The control `id` of a dialog, or nullptr.
Window* Child(Window* dialog, int id);
// Destroys a dialog and its controls; their handles stay invalid for good.
void Destroy(Window* dialog);

// Sends a message to a window without the API's bookkeeping (fault
// injection and call counting happen in the exported functions only).
LRESULT Dispatch(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxProc(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
// Enables or disables a window (its WS_DISABLED style bit with it).
void SetEnabled(Window* w, bool enabled);
// Tells a control's dialog about it (WM_COMMAND with the notification code).
void Notify(Window* control, WORD code);

// Orders list box texts as the system's LBS_SORT does (cp932 bytes).
int CompareListText(const std::string& a, const std::string& b);
// The sort key behind that order (as LCMapStringW(LCMAP_SORTKEY |
// NORM_IGNORECASE) gives it in the Japanese locale).
std::string ListSortKey(const std::string& text);

// Copies a window text into a caller's buffer of `size` bytes as WM_GETTEXT
// does: cut to size - 1 bytes and NUL-terminated, returning the bytes copied.
// Edit controls cut bytewise, even inside a cp932 character; other windows
// copy whole characters only (as Wine does).
int CopyText(const std::string& text, LPSTR buffer, int size, bool wholeCharacters);

// Resource script in use (SetResourceScript, else the product's).
const ResourceScript* CurrentScript(std::string* error);
const std::string& CurrentScriptPath();
void SetScriptPath(const std::string& path);
void ResetScriptPath();

void ResetWindows();
void ResetDialogs();
void ResetBoxes();

}  // namespace sim::ui
