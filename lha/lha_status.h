// What went wrong inside the archiver. A failed system call is kept apart
// from bad data: the first is reported with the system's own text, the
// others say what is wrong with the archive.
#pragma once

enum LhaStatus {
    kLhaOk = 0,
    kLhaIoFailed,         // a system call failed; its code is the last error
    kLhaNotArchive,       // no LHA header where the archive should start
    kLhaDamaged,          // bad header, bad table, truncated data, CRC or length mismatch
    kLhaUnsupported,      // a method we cannot decode, or a directory or link entry
    kLhaUnsafeName,       // a member name that must not become a file name
    kLhaTooLarge,         // past the member-count or extracted-size limit
    kLhaBadCommand,       // a command line the archiver does not understand
};
