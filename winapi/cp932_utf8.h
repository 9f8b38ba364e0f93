// cp932 text for a UTF-8 console (the Linux builds of the two console
// programs). Windows builds write through the console's own code page.
#pragma once

#include <cstdio>
#include <string>

// `cp932` as UTF-8. A byte that starts no character (a lone lead byte, one
// whose next byte cannot be its trail byte, a byte no character starts with)
// and a whole two-byte code without a character each become U+FFFD, and the
// text goes on: nothing after a bad byte is lost, the mark cannot be taken
// for a '?' the text really holds, and the trail byte of a bad pair cannot
// show up as a '\' or a letter. Without a converter the bytes stay as they are.
std::string Cp932ToUtf8(const std::string& cp932);

// Writes `cp932` to `stream` as UTF-8.
void WriteCp932AsUtf8(FILE* stream, const std::string& cp932);
