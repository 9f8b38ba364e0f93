// Prints the dialog templates as the simulated dialog manager reads them from
// the resource script, one line per dialog and per control, for
// check_resources.py --sim-templates to compare with its table: the native
// tests then see the same dialogs the program carries.
// Usage: sim_templates SCRIPT.rc
#include <cstdio>
#include <string>

#include "winapi/sim/ui_resource.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        out += pair;
    }
    return out.empty() ? "-" : out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: sim_templates SCRIPT.rc\n");
        return 2;
    }
    sim::ResourceScript script;
    std::string error;
    if (!sim::ParseResourceScript(argv[1], &script, &error)) {
        std::printf("error %s\n", error.c_str());
        return 1;
    }
    for (const sim::DialogTemplate& d : script.dialogs) {
        std::printf("dialog %d %d %lu %lu %d %d %d %d %s %d %d %s %d %d %d\n", d.id, d.extended ? 1 : 0,
                    static_cast<unsigned long>(d.style), static_cast<unsigned long>(d.exStyle), d.x, d.y, d.cx,
                    d.cy, Hex(d.caption).c_str(), d.hasFont ? 1 : 0, d.font.pointSize, Hex(d.font.face).c_str(),
                    d.font.weight, d.font.italic, d.font.charset);
        for (const sim::ControlTemplate& c : d.controls) {
            std::printf("control %d %s %lu %lu %d %s %d %d %d %d\n", c.id, c.className.c_str(),
                        static_cast<unsigned long>(c.style), static_cast<unsigned long>(c.exStyle), c.ordinal,
                        Hex(c.text).c_str(), c.x, c.y, c.cx, c.cy);
        }
    }
    return 0;
}
