// What the console program needs of its platform: writing cp932 text
// readably, making a file argument absolute, and a private work directory.
#pragma once

#include <cstdio>
#include <string>

#include "winapi/winapi.h"

// Writes cp932 `text` to `stream` in the console's encoding (UTF-8 on
// Linux, the console's output code page on Windows).
void WriteConsoleText(FILE* stream, const std::string& text);

// `text` with each CR LF made a LF: a report's lines end as a box wants
// them, and a console wants a LF.
inline std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

// `path` as an absolute path the file functions take.
std::string AbsoluteFilePath(const std::string& path);

// Sets WorkDirectory to a new, empty folder of this process's own (so that
// the program and other runs of the tool keep theirs) and creates it.
// FALSE after a reported failure.
BOOL MakeToolWorkDirectory();
