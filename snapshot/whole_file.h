// Reading a whole file into a heap block of its size: the index, the profile
// header and each registry snapshot are read so, then taken apart from the
// bytes read, never from the file again.
#pragma once

#include "base/registry_key.h"  // Presence
#include "winapi/guards.h"
#include "winapi/winapi.h"

// How a failure is reported, besides the file's path.
struct WholeFileReport {
    // Said before テンポラリファイル"<path>"に読み込みアクセスを適用できません。
    LPCSTR openLead;
    // A format taking the path for a size that cannot be read; nullptr for
    // テンポラリファイル"<path>"のサイズを取得できません。
    LPCSTR sizeFailure;
    // A format taking the path (it may leave it out) for a file that cannot
    // be held in memory or read.
    LPCSTR readFailure;
    // A file that cannot be opened is kAbsent, not reported.
    bool mayBeAbsent;
};

// Reads the file at `path` into `contents` (at least one byte) and its length
// into `size`; a short read ends the data where the read ended. A file of
// 4 GiB or more cannot be held and is refused as out of memory. The file is
// closed before this returns. kFailed after a reported failure.
Presence ReadWholeFile(HWND owner, LPCSTR path, const WholeFileReport& report, HeapBlock* contents, DWORD* size);
