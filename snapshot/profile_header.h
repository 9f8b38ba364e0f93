// The profile header: the file "profile" in the work directory, saying which
// kind of settings a profile file holds, who saved it and the saver's comment.
//   kind (1) | revision (1) | N (4) | source name (N) | M (4) | comment (M)
// Integers are 32-bit little-endian; the texts carry no terminator.
#pragma once

#include "winapi/winapi.h"

constexpr BYTE kProfileKindIeOe = 0;
constexpr BYTE kProfileKindTcpip = 1;

// Writes the header for `kind` with the two texts (NUL-terminated, cp932)
// into "profile" in `directory`, revision 1. Returns 1, or 0 after a
// reported failure.
int WriteProfileHeader(HWND owner, LPCSTR directory, BYTE kind, LPCSTR sourceName, LPCSTR comment);

enum ProfileHeaderResult : int {
    kProfileHeaderFailed = 0,  // a failure or a refusal was shown to the user
    kProfileHeaderRead = 1,    // read and verified; the texts are filled in
    kProfileHeaderAbsent = 2,  // no "profile", and none was required; nothing shown
};

// What a read header holds. `sourceName` and `comment` are NUL-terminated and
// live in one process-heap block owned by the record: release it with
// FreeProfileHeader. Both are null unless the read succeeded.
struct ProfileHeader {
    LPSTR sourceName;
    LPSTR comment;    // empty when the header has no comment fields
    BOOL hasComment;  // the header revision is 1 or more
};

// Reads and verifies "profile" in `directory` against the expected `kind`.
// A missing file is absent when `required` is FALSE, a reported failure when
// TRUE. `header` is always initialised (null texts unless read).
ProfileHeaderResult ReadProfileHeader(HWND owner, LPCSTR directory, BYTE kind, BOOL required, ProfileHeader* header);

// Frees the texts of a header and sets them to null; harmless on a header
// that holds none.
void FreeProfileHeader(ProfileHeader* header);
