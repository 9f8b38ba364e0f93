// Opening and validating a profile file with the program's own readers.
#include "brvprofile/opened_profile.h"

#include "snapshot/index_file.h"
#include "snapshot/profile_file.h"
#include "snapshot/registry_snapshot.h"
#include "winapi/message_size.h"

namespace {

int CollectName(void* context, LPCSTR displayName, int record);
BOOL HasWorkFile(LPCSTR directory, LPCSTR name);

}  // namespace

int OpenProfile(const SettingsGroup& kind, LPCSTR profilePath, LPCSTR directory, OpenedProfile* profile) {
    profile->kind = &kind;
    profile->directory = directory;
    profile->headerResult = kProfileHeaderFailed;
    profile->header = ProfileHeader{nullptr, nullptr, FALSE};
    profile->names.clear();
    profile->hasOptions = FALSE;
    if (!UnpackProfileFile(nullptr, profilePath, directory)) return 0;
    profile->headerResult = ReadProfileHeader(nullptr, directory, kind.headerKind, kind.headerRequired, &profile->header);
    if (profile->headerResult == kProfileHeaderFailed) return 0;
    if (VisitIndexNames(nullptr, directory, kind.indexName, CollectName, &profile->names) == 0) return 0;
    profile->hasOptions = kind.options && HasWorkFile(directory, kind.options->snapshot);
    return 1;
}

void CloseProfile(OpenedProfile* profile) { FreeProfileHeader(&profile->header); }

std::string EntrySnapshotName(const SettingsGroup& kind, int record) {
    CHAR name[kIndexSnapshotNameSize];
    FormIndexSnapshotName(kind.indexName, record, name);
    return name;
}

std::string EntryApplyPath(const SettingsGroup& kind, const std::string& name) {
    const std::string format = std::string(kind.rootName) + "\\" + kind.itemTreeFormat;
    const size_t at = format.find("%s");
    return format.substr(0, at) + name + format.substr(at + 2);
}

int ValidateProfileSnapshots(const OpenedProfile& profile) {
    if (profile.hasOptions && !ValidateSnapshot(nullptr, profile.kind->options->snapshot, profile.directory)) return 0;
    for (size_t record = 0; record < profile.names.size(); ++record) {
        const std::string snapshot = EntrySnapshotName(*profile.kind, static_cast<int>(record));
        if (!ValidateSnapshot(nullptr, snapshot.c_str(), profile.directory)) return 0;
    }
    return 1;
}

namespace {

// Names in file order: a name's place in the list is its record number.
int CollectName(void* context, LPCSTR displayName, int) {
    static_cast<std::vector<std::string>*>(context)->push_back(displayName);
    return 1;
}

// The load dialog offers the Internet options when the file can be opened.
BOOL HasWorkFile(LPCSTR directory, LPCSTR name) {
    CHAR path[kMessageBufferSize];
    wsprintfA(path, "%s%s", directory, name);
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace
