// Simulation core: the last error, fault injection, call counting and the
// reset of the whole simulated machine.
#include <iconv.h>

#include <cstring>
#include <map>
#include <vector>

#include "core_parts.h"
#include "simctl.h"

namespace sim::detail {
namespace {

thread_local DWORD lastError = 0;

struct FaultRule {
    std::string function;
    int nth;
    DWORD status;
    std::string subject;
    bool persistent;
    // The rule takes the subject of the call it first fails and from then
    // on fails every call on that subject (`pinned`).
    bool pinsSubject = false;
    bool pinned = false;
    int matched = 0;  // calls of `function` with a matching subject so far
};

std::string& LastFailedSubjectText() {
    static std::string subject;
    return subject;
}

std::vector<FaultRule>& Rules() {
    static std::vector<FaultRule> rules;
    return rules;
}

std::map<std::string, int>& Counts() {
    static std::map<std::string, int> counts;
    return counts;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SubjectMatches(const std::string& subject, const std::string& wanted) {
    if (wanted.empty()) return true;
    if (EqualsNoCase(subject, wanted)) return true;
    if (subject.size() <= wanted.size()) return false;
    std::string tail = subject.substr(subject.size() - wanted.size() - 1);
    return EqualsNoCase(tail, "\\" + wanted);
}

uintptr_t nextHandle = 0x1000;

// UTF-16 lowercase of the letters code page 932 can spell: ASCII, Latin-1,
// Greek, Cyrillic, Roman numerals and the full-width Latin letters.
char16_t LowerUnit(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c < 0x80) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    if (c >= 0x2160 && c <= 0x216F) return static_cast<char16_t>(c + 0x10);
    return c;
}

}  // namespace

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

namespace {

bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// One character of cp932 text as Windows' MultiByteToWideChar reads it: the
// UTF-16 unit and the number of bytes it took.
char16_t DecodeOne(const std::string& bytes, size_t i, size_t* used) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    *used = 1;
    if (c < 0x80) return c;
    if (c == 0x80) return 0x0080;
    if (c == 0xA0) return 0xF8F0;
    if (c >= 0xA1 && c <= 0xDF) return static_cast<char16_t>(0xFF61 + (c - 0xA1));
    if (c >= 0xFD) return static_cast<char16_t>(0xF8F1 + (c - 0xFD));
    if (i + 1 >= bytes.size()) return 0;  // a lead byte at the very end reads as NUL
    *used = 2;
    unsigned char t = static_cast<unsigned char>(bytes[i + 1]);
    if (!IsTrailByte(t)) return 0x30FB;  // "・", swallowing the bad trail byte
    static iconv_t cd = iconv_open("UTF-16LE", "CP932");
    char in[2] = {bytes[i], bytes[i + 1]};
    char16_t unit[2] = {0, 0};
    char* inPtr = in;
    size_t inLeft = 2;
    char* outPtr = reinterpret_cast<char*>(unit);
    size_t outLeft = sizeof unit;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (cd == reinterpret_cast<iconv_t>(-1) || iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
        outLeft != 2)
        return 0x30FB;  // unassigned
    return unit[0];
}

std::string EncodeOne(char16_t u) {
    if (u < 0x80) return std::string(1, static_cast<char>(u));
    if (u == 0x0080) return "\x80";
    if (u == 0xF8F0) return "\xA0";
    if (u >= 0xFF61 && u <= 0xFF9F) return std::string(1, static_cast<char>(0xA1 + (u - 0xFF61)));
    if (u >= 0xF8F1 && u <= 0xF8F3) return std::string(1, static_cast<char>(0xFD + (u - 0xF8F1)));
    static iconv_t cd = iconv_open("CP932", "UTF-16LE");
    char16_t in[1] = {u};
    char out[4];
    char* inPtr = reinterpret_cast<char*>(in);
    size_t inLeft = 2;
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (cd == reinterpret_cast<iconv_t>(-1) || iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return "\x81\x45";
    return std::string(out, sizeof out - outLeft);
}

bool AllAscii(const std::string& bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::vector<std::string> SplitCp932(const std::string& text, const char* separators) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < text.size()) {
            parts.back().append(text, i, 2);
            ++i;
        } else if (std::strchr(separators, text[i]) && text[i] != '\0') {
            parts.emplace_back();
        } else {
            parts.back().push_back(text[i]);
        }
    }
    return parts;
}

size_t LastSeparator(const std::string& text, const char* separators) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < text.size()) ++i;
        else if (std::strchr(separators, text[i]) && text[i] != '\0') last = i;
    }
    return last;
}

std::u16string FoldName(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        size_t used;
        out.push_back(LowerUnit(DecodeOne(bytes, i, &used)));
        i += used;
    }
    return out;
}

std::string ThroughUtf16(const std::string& bytes) {
    if (AllAscii(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        size_t used;
        out += EncodeOne(DecodeOne(bytes, i, &used));
        i += used;
    }
    return out;
}

bool TakeFault(const char* function, const std::string& subject, DWORD* status) {
    ++Counts()[function];
    bool fail = false;
    for (FaultRule& rule : Rules()) {
        if (rule.function != function) continue;
        if (rule.pinned ? !EqualsNoCase(subject, rule.subject) : !SubjectMatches(subject, rule.subject)) continue;
        ++rule.matched;
        if (fail) continue;
        if (rule.pinned || rule.matched == rule.nth || (rule.persistent && rule.matched > rule.nth)) {
            fail = true;
            if (status) *status = rule.status;
            if (rule.pinsSubject && !rule.pinned) {
                rule.pinned = true;
                rule.subject = subject;
            }
        }
    }
    if (fail) LastFailedSubjectText() = subject;
    return fail;
}

void SetError(DWORD code) { lastError = code; }

HANDLE NewHandleValue() {
    nextHandle += 4;
    return reinterpret_cast<HANDLE>(nextHandle);
}



void ResetCore() {
    Rules().clear();
    LastFailedSubjectText().clear();
    Counts().clear();
    lastError = 0;
    nextHandle = 0x1000;
    ResetSystem();
    ResetRegistry();
    ResetFiles();
}

// The UI half of the simulation defines the real one; this keeps the core
// usable on its own.
__attribute__((weak)) void ResetUi() {}

}  // namespace sim::detail

DWORD GetLastError(void) {
    sim::detail::TakeFault("GetLastError", "", nullptr);
    return sim::detail::lastError;
}

void SetLastError(DWORD dwErrCode) {
    sim::detail::TakeFault("SetLastError", "", nullptr);
    sim::detail::lastError = dwErrCode;
}

namespace sim {

void Reset() {
    detail::ResetCore();
    detail::ResetUi();
}

void FailCall(const std::string& function, int nth, DWORD status, const std::string& subject) {
    detail::Rules().push_back({function, nth, status, subject, false});
}

void FailCallsFrom(const std::string& function, int nth, DWORD status, const std::string& subject) {
    detail::Rules().push_back({function, nth, status, subject, true});
}

void FailCallsOnItsSubjectFrom(const std::string& function, int nth, DWORD status) {
    detail::FaultRule rule{function, nth, status, "", false};
    rule.pinsSubject = true;
    detail::Rules().push_back(rule);
}

std::string LastFailedSubject() { return detail::LastFailedSubjectText(); }

void ClearFaults() { detail::Rules().clear(); }

int CallCount(const std::string& function) {
    auto it = detail::Counts().find(function);
    return it == detail::Counts().end() ? 0 : it->second;
}

int OpenHandleCount() { return detail::OpenFileAndFindCount() + detail::OpenTokenCount(); }

}  // namespace sim

void sim::ForgetCallCounts() { detail::Counts().clear(); }
