// Dialog templates as the simulated dialog manager reads them from the
// resource script (the same script windres compiles into the exe), so the
// ids, classes, styles and texts the tests see are the shipped ones.
// Test code only.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "../winapi.h"

namespace sim {

struct ControlTemplate {
    int id = 0;
    std::string className;  // "Button", "Static", "Edit", "ListBox" or as written
    DWORD style = 0;        // as the compiled template holds it (WS_CHILD | WS_VISIBLE added)
    DWORD exStyle = 0;
    std::string text;       // cp932 bytes
    int ordinal = -1;       // resource id given instead of a text (icons), else -1
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    int line = 0;           // line in the script
};

struct FontTemplate {
    int pointSize = 0;
    std::string face;  // cp932 bytes
    int weight = 0;
    int italic = 0;
    int charset = 1;
};

struct DialogTemplate {
    int id = -1;       // numeric id, or -1 for a template named by a string
    std::string name;  // the name as written (symbol or number)
    bool extended = false;  // DIALOGEX
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;  // cp932 bytes; empty when none
    bool hasFont = false;
    FontTemplate font;
    std::vector<ControlTemplate> controls;  // template order
    int line = 0;
};

struct ResourceScript {
    std::vector<DialogTemplate> dialogs;
    std::map<std::string, long> symbols;  // #define'd names of the script and its headers
};

// Parses a resource script (UTF-8). On failure returns false and puts
// "path:line: what is wrong: `text`" into *error.
bool ParseResourceScript(const std::string& hostPath, ResourceScript* script, std::string* error);
// Same for a script given as text; `includeDir` is where #include "x.h" looks.
bool ParseResourceText(const std::string& text, const std::string& name, const std::string& includeDir,
                       ResourceScript* script, std::string* error);

// The template `id` of the current resource script (SetResourceScript, by
// default the product's). False with a message when the script does not
// parse or has no such template.
bool LoadDialogTemplate(int id, DialogTemplate* out, std::string* error);

// Thrown into the test when the script the dialog manager needs does not
// parse: a broken script is a test failure, never a silent -1.
struct ResourceScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace sim
