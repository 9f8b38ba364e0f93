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
    int matched = 0;  // calls of `function` with a matching subject so far
};

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

std::u16string FoldName(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    bool ascii = true;
    for (unsigned char c : bytes) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
        out.push_back(LowerUnit(c));
    }
    if (ascii) return out;
    out.clear();

    static iconv_t cd = iconv_open("UTF-16LE", "CP932");
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t len = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
        if (i + len > bytes.size()) len = 1;
        char in[2] = {bytes[i], len == 2 ? bytes[i + 1] : '\0'};
        char16_t unit[2] = {0, 0};
        char* inPtr = in;
        size_t inLeft = len;
        char* outPtr = reinterpret_cast<char*>(unit);
        size_t outLeft = sizeof unit;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (cd != reinterpret_cast<iconv_t>(-1) &&
            iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
            size_t units = (sizeof unit - outLeft) / 2;
            for (size_t u = 0; u < units; ++u) out.push_back(LowerUnit(unit[u]));
        } else {
            // What Windows makes of a byte sequence that is not cp932.
            out.push_back(u'\u30FB');
        }
        i += len;
    }
    return out;
}

bool TakeFault(const char* function, const std::string& subject, DWORD* status) {
    ++Counts()[function];
    bool fail = false;
    for (FaultRule& rule : Rules()) {
        if (rule.function != function || !SubjectMatches(subject, rule.subject)) continue;
        ++rule.matched;
        if (fail) continue;
        if (rule.matched == rule.nth || (rule.persistent && rule.matched > rule.nth)) {
            fail = true;
            if (status) *status = rule.status;
        }
    }
    return fail;
}

void SetError(DWORD code) { lastError = code; }

HANDLE NewHandleValue() {
    nextHandle += 4;
    return reinterpret_cast<HANDLE>(nextHandle);
}



void ResetCore() {
    Rules().clear();
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

void ClearFaults() { detail::Rules().clear(); }

int CallCount(const std::string& function) {
    auto it = detail::Counts().find(function);
    return it == detail::Counts().end() ? 0 : it->second;
}

int OpenHandleCount() { return detail::OpenFileAndFindCount() + detail::OpenTokenCount(); }

}  // namespace sim

void sim::ForgetCallCounts() { detail::Counts().clear(); }
