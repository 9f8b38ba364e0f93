// Finding a settings group by name or extension.
#include "brvprofile/profile_kinds.h"

#include "ieoe/ieoe_group.h"
#include "tcpip/tcpip_group.h"

namespace {

const SettingsGroup* const kKinds[] = {&kIeOeGroup, &kTcpipGroup};

}  // namespace

const SettingsGroup* KindOfFile(LPCSTR path) {
    const int length = lstrlenA(path);
    if (length < 4) return nullptr;
    for (const SettingsGroup* kind : kKinds)
        if (lstrcmpiA(path + length - 4, kind->extension) == 0) return kind;
    return nullptr;
}

const SettingsGroup* KindNamed(LPCSTR word) {
    for (const SettingsGroup* kind : kKinds)
        if (lstrcmpA(word, kind->word) == 0) return kind;
    return nullptr;
}

std::string OptionsTreeName(const SettingsGroup& kind) {
    return std::string(kind.options->tree.rootName) + "\\" + kind.options->tree.path;
}
