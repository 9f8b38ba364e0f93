// The size of every buffer a text with a variable part is composed into.
#pragma once

// wsprintfA writes at most this many bytes, the NUL included.
constexpr int kMessageBufferSize = 1024;
