// Reader of the resource script's dialog templates. It understands what our
// script uses (#include of the id header, #pragma code_page(65001), LANGUAGE,
// DIALOG/DIALOGEX with STYLE, EXSTYLE, CAPTION, FONT and CONTROL plus the
// usual shorthand statements) and steps over every other resource. Texts are
// turned from UTF-8 into the cp932 bytes the program sees at run time.
#include "ui_resource.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>


namespace sim {

namespace {

// Named constants a resource script may use without including windows.h.
const std::map<std::string, long>& BuiltinSymbols() {
    static const std::map<std::string, long> table = {
        // window styles
        {"WS_OVERLAPPED", 0x00000000L}, {"WS_POPUP", (long)0x80000000UL}, {"WS_CHILD", 0x40000000L},
        {"WS_MINIMIZE", 0x20000000L}, {"WS_VISIBLE", 0x10000000L}, {"WS_DISABLED", 0x08000000L},
        {"WS_CLIPSIBLINGS", 0x04000000L}, {"WS_CLIPCHILDREN", 0x02000000L}, {"WS_MAXIMIZE", 0x01000000L},
        {"WS_CAPTION", 0x00C00000L}, {"WS_BORDER", 0x00800000L}, {"WS_DLGFRAME", 0x00400000L},
        {"WS_VSCROLL", 0x00200000L}, {"WS_HSCROLL", 0x00100000L}, {"WS_SYSMENU", 0x00080000L},
        {"WS_THICKFRAME", 0x00040000L}, {"WS_SIZEBOX", 0x00040000L}, {"WS_GROUP", 0x00020000L},
        {"WS_TABSTOP", 0x00010000L}, {"WS_MINIMIZEBOX", 0x00020000L}, {"WS_MAXIMIZEBOX", 0x00010000L},
        {"WS_TILED", 0x00000000L}, {"WS_ICONIC", 0x20000000L}, {"WS_CHILDWINDOW", 0x40000000L},
        {"WS_OVERLAPPEDWINDOW", 0x00CF0000L}, {"WS_TILEDWINDOW", 0x00CF0000L},
        {"WS_POPUPWINDOW", (long)0x80880000UL},
        // extended window styles
        {"WS_EX_DLGMODALFRAME", 0x1L}, {"WS_EX_NOPARENTNOTIFY", 0x4L}, {"WS_EX_TOPMOST", 0x8L},
        {"WS_EX_ACCEPTFILES", 0x10L}, {"WS_EX_TRANSPARENT", 0x20L}, {"WS_EX_MDICHILD", 0x40L},
        {"WS_EX_TOOLWINDOW", 0x80L}, {"WS_EX_WINDOWEDGE", 0x100L}, {"WS_EX_CLIENTEDGE", 0x200L},
        {"WS_EX_CONTEXTHELP", 0x400L}, {"WS_EX_RIGHT", 0x1000L}, {"WS_EX_LEFT", 0x0L},
        {"WS_EX_RTLREADING", 0x2000L}, {"WS_EX_LTRREADING", 0x0L}, {"WS_EX_LEFTSCROLLBAR", 0x4000L},
        {"WS_EX_RIGHTSCROLLBAR", 0x0L}, {"WS_EX_CONTROLPARENT", 0x10000L}, {"WS_EX_STATICEDGE", 0x20000L},
        {"WS_EX_APPWINDOW", 0x40000L}, {"WS_EX_OVERLAPPEDWINDOW", 0x300L}, {"WS_EX_PALETTEWINDOW", 0x188L},
        // dialog styles
        {"DS_ABSALIGN", 0x01L}, {"DS_SYSMODAL", 0x02L}, {"DS_3DLOOK", 0x04L}, {"DS_FIXEDSYS", 0x08L},
        {"DS_NOFAILCREATE", 0x10L}, {"DS_LOCALEDIT", 0x20L}, {"DS_SETFONT", 0x40L}, {"DS_MODALFRAME", 0x80L},
        {"DS_NOIDLEMSG", 0x100L}, {"DS_SETFOREGROUND", 0x200L}, {"DS_CONTROL", 0x400L}, {"DS_CENTER", 0x800L},
        {"DS_CENTERMOUSE", 0x1000L}, {"DS_CONTEXTHELP", 0x2000L}, {"DS_SHELLFONT", 0x48L},
        // buttons
        {"BS_PUSHBUTTON", 0x0L}, {"BS_DEFPUSHBUTTON", 0x1L}, {"BS_CHECKBOX", 0x2L}, {"BS_AUTOCHECKBOX", 0x3L},
        {"BS_RADIOBUTTON", 0x4L}, {"BS_3STATE", 0x5L}, {"BS_AUTO3STATE", 0x6L}, {"BS_GROUPBOX", 0x7L},
        {"BS_USERBUTTON", 0x8L}, {"BS_AUTORADIOBUTTON", 0x9L}, {"BS_PUSHBOX", 0xAL}, {"BS_OWNERDRAW", 0xBL},
        {"BS_TYPEMASK", 0xFL}, {"BS_LEFTTEXT", 0x20L}, {"BS_RIGHTBUTTON", 0x20L}, {"BS_TEXT", 0x0L},
        {"BS_ICON", 0x40L}, {"BS_BITMAP", 0x80L}, {"BS_LEFT", 0x100L}, {"BS_RIGHT", 0x200L},
        {"BS_CENTER", 0x300L}, {"BS_TOP", 0x400L}, {"BS_BOTTOM", 0x800L}, {"BS_VCENTER", 0xC00L},
        {"BS_PUSHLIKE", 0x1000L}, {"BS_MULTILINE", 0x2000L}, {"BS_NOTIFY", 0x4000L}, {"BS_FLAT", 0x8000L},
        // edit controls
        {"ES_LEFT", 0x0L}, {"ES_CENTER", 0x1L}, {"ES_RIGHT", 0x2L}, {"ES_MULTILINE", 0x4L},
        {"ES_UPPERCASE", 0x8L}, {"ES_LOWERCASE", 0x10L}, {"ES_PASSWORD", 0x20L}, {"ES_AUTOVSCROLL", 0x40L},
        {"ES_AUTOHSCROLL", 0x80L}, {"ES_NOHIDESEL", 0x100L}, {"ES_OEMCONVERT", 0x400L},
        {"ES_READONLY", 0x800L}, {"ES_WANTRETURN", 0x1000L}, {"ES_NUMBER", 0x2000L},
        // list boxes
        {"LBS_NOTIFY", 0x1L}, {"LBS_SORT", 0x2L}, {"LBS_NOREDRAW", 0x4L}, {"LBS_MULTIPLESEL", 0x8L},
        {"LBS_OWNERDRAWFIXED", 0x10L}, {"LBS_OWNERDRAWVARIABLE", 0x20L}, {"LBS_HASSTRINGS", 0x40L},
        {"LBS_USETABSTOPS", 0x80L}, {"LBS_NOINTEGRALHEIGHT", 0x100L}, {"LBS_MULTICOLUMN", 0x200L},
        {"LBS_WANTKEYBOARDINPUT", 0x400L}, {"LBS_EXTENDEDSEL", 0x800L}, {"LBS_DISABLENOSCROLL", 0x1000L},
        {"LBS_NODATA", 0x2000L}, {"LBS_NOSEL", 0x4000L}, {"LBS_COMBOBOX", 0x8000L},
        {"LBS_STANDARD", 0x00A00003L},
        // statics
        {"SS_LEFT", 0x0L}, {"SS_CENTER", 0x1L}, {"SS_RIGHT", 0x2L}, {"SS_ICON", 0x3L},
        {"SS_BLACKRECT", 0x4L}, {"SS_GRAYRECT", 0x5L}, {"SS_WHITERECT", 0x6L}, {"SS_BLACKFRAME", 0x7L},
        {"SS_GRAYFRAME", 0x8L}, {"SS_WHITEFRAME", 0x9L}, {"SS_USERITEM", 0xAL}, {"SS_SIMPLE", 0xBL},
        {"SS_LEFTNOWORDWRAP", 0xCL}, {"SS_OWNERDRAW", 0xDL}, {"SS_BITMAP", 0xEL}, {"SS_ENHMETAFILE", 0xFL},
        {"SS_ETCHEDHORZ", 0x10L}, {"SS_ETCHEDVERT", 0x11L}, {"SS_ETCHEDFRAME", 0x12L}, {"SS_TYPEMASK", 0x1FL},
        {"SS_REALSIZECONTROL", 0x40L}, {"SS_NOPREFIX", 0x80L}, {"SS_NOTIFY", 0x100L},
        {"SS_CENTERIMAGE", 0x200L}, {"SS_RIGHTJUST", 0x400L}, {"SS_REALSIZEIMAGE", 0x800L},
        {"SS_SUNKEN", 0x1000L}, {"SS_EDITCONTROL", 0x2000L}, {"SS_ENDELLIPSIS", 0x4000L},
        {"SS_PATHELLIPSIS", 0x8000L}, {"SS_WORDELLIPSIS", 0xC000L},
        // ids and languages
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6},
        {"IDNO", 7}, {"IDCLOSE", 8}, {"IDHELP", 9},
        {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"LANG_JAPANESE", 0x11}, {"SUBLANG_NEUTRAL", 0x00},
        {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02}, {"SUBLANG_ENGLISH_US", 0x01},
    };
    return table;
}

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // identifier (upper-cased for keywords), raw literal, punctuation
    std::string bytes;  // decoded string literal (cp932)
    long value = 0;
    int line = 0;
};

struct Failure {
    int line;
    std::string message;
};

bool Utf8ToCp932(const std::string& in, std::string* out) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == (iconv_t)-1) return false;
    std::string result(in.size() * 2 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = &result[0];
    size_t dstLeft = result.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == (size_t)-1) return false;
    result.resize(result.size() - dstLeft);
    *out = result;
    return true;
}

std::string Upper(std::string s) {
    for (char& c : s) c = (char)std::toupper((unsigned char)c);
    return s;
}

bool IsIdentStart(char c) { return std::isalpha((unsigned char)c) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum((unsigned char)c) || c == '_' || c == '.'; }

// Splits one line (preprocessor lines are handled before) into tokens.
void Tokenize(const std::string& line, int lineNo, std::vector<Token>* out) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') return;
        if (std::isspace((unsigned char)c)) {
            ++i;
            continue;
        }
        Token t;
        t.line = lineNo;
        if (c == '"') {
            std::string raw;
            size_t j = i + 1;
            bool closed = false;
            while (j < line.size()) {
                char d = line[j];
                if (d == '"') {
                    if (j + 1 < line.size() && line[j + 1] == '"') {
                        raw += '"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                if (d == '\\' && j + 1 < line.size()) {
                    char e = line[j + 1];
                    j += 2;
                    switch (e) {
                    case 'n': raw += '\n'; break;
                    case 't': raw += '\t'; break;
                    case 'r': raw += '\r'; break;
                    case 'a': raw += '\b'; break;
                    case '\\': raw += '\\'; break;
                    case '"': raw += '"'; break;
                    case 'x': {
                        int v = 0, n = 0;
                        while (n < 2 && j < line.size() && std::isxdigit((unsigned char)line[j])) {
                            v = v * 16 + (std::isdigit((unsigned char)line[j]) ? line[j] - '0'
                                                                                : (std::toupper(line[j]) - 'A' + 10));
                            ++j, ++n;
                        }
                        raw += (char)v;
                        break;
                    }
                    default:
                        if (e >= '0' && e <= '7') {
                            int v = e - '0', n = 1;
                            while (n < 3 && j < line.size() && line[j] >= '0' && line[j] <= '7') v = v * 8 + (line[j++] - '0'), ++n;
                            raw += (char)v;
                        } else {
                            raw += '\\';
                            raw += e;
                        }
                    }
                    continue;
                }
                raw += d;
                ++j;
            }
            if (!closed) throw Failure{lineNo, "unterminated string: `" + line.substr(i) + "`"};
            t.kind = Tok::String;
            t.text = line.substr(i, j - i);
            if (!Utf8ToCp932(raw, &t.bytes))
                throw Failure{lineNo, "text not representable in cp932: `" + t.text + "`"};
            i = j;
        } else if (std::isdigit((unsigned char)c)) {
            size_t j = i;
            long v = 0;
            if (c == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X')) {
                j = i + 2;
                size_t start = j;
                while (j < line.size() && std::isxdigit((unsigned char)line[j])) {
                    char d = line[j++];
                    v = v * 16 + (std::isdigit((unsigned char)d) ? d - '0' : std::toupper(d) - 'A' + 10);
                }
                if (j == start) throw Failure{lineNo, "bad number: `" + line.substr(i) + "`"};
            } else {
                while (j < line.size() && std::isdigit((unsigned char)line[j])) v = v * 10 + (line[j++] - '0');
            }
            while (j < line.size() && (line[j] == 'L' || line[j] == 'l' || line[j] == 'U' || line[j] == 'u')) ++j;
            if (j < line.size() && IsIdentChar(line[j])) throw Failure{lineNo, "bad number: `" + line.substr(i) + "`"};
            t.kind = Tok::Number;
            t.value = (long)(int32_t)(uint32_t)v;
            t.text = line.substr(i, j - i);
            i = j;
        } else if (IsIdentStart(c)) {
            size_t j = i;
            while (j < line.size() && IsIdentChar(line[j])) ++j;
            t.kind = Tok::Ident;
            t.text = line.substr(i, j - i);
            i = j;
        } else if (std::strchr(",|()+-~*/&{}", c)) {
            t.kind = Tok::Punct;
            t.text = std::string(1, c);
            ++i;
        } else {
            throw Failure{lineNo, "unexpected character: `" + line.substr(i) + "`"};
        }
        out->push_back(t);
    }
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    *text = ss.str();
    return true;
}

class Parser {
public:
    Parser(const std::string& includeDir, ResourceScript* script) : includeDir_(includeDir), script_(script) {}

    void Run(const std::string& text) {
        Preprocess(text, true);
        while (Peek().kind != Tok::End) Statement();
    }

private:
    // Reads the script's lines: directives act at once, the rest becomes
    // tokens. Headers only contribute their #defines.
    void Preprocess(const std::string& text, bool isScript) {
        std::vector<bool> active;  // one entry per open #if
        std::istringstream in(text);
        std::string line;
        int lineNo = 0;
        bool inComment = false;
        while (std::getline(in, line)) {
            ++lineNo;
            if (lineNo == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
            line = StripBlockComments(line, &inComment);
            std::string t = Trim(line);
            bool on = true;
            for (bool a : active) on = on && a;
            if (!t.empty() && t[0] == '#') {
                std::istringstream d(t.substr(1));
                std::string word;
                d >> word;
                std::string rest;
                std::getline(d, rest);
                rest = Trim(rest);
                if (word == "ifdef" || word == "ifndef") {
                    bool defined = script_->symbols.count(rest) || BuiltinSymbols().count(rest) || rest == "RC_INVOKED";
                    if (rest == "APSTUDIO_INVOKED") defined = false;
                    active.push_back(word == "ifdef" ? defined : !defined);
                } else if (word == "if") {
                    active.push_back(EvalCondition(rest, isScript ? lineNo : 0));
                } else if (word == "else") {
                    if (active.empty()) throw Failure{isScript ? lineNo : 0, "#else without #if: `" + t + "`"};
                    active.back() = !active.back();
                } else if (word == "endif") {
                    if (active.empty()) throw Failure{isScript ? lineNo : 0, "#endif without #if: `" + t + "`"};
                    active.pop_back();
                } else if (!on) {
                    continue;
                } else if (word == "define") {
                    Define(rest);
                } else if (word == "undef") {
                    script_->symbols.erase(rest);
                } else if (word == "include") {
                    if (isScript) Include(rest, lineNo);
                } else if (word == "pragma") {
                    if (isScript && rest.find("code_page") == 0 && rest.find("65001") == std::string::npos)
                        throw Failure{lineNo, "the script must be UTF-8: `" + t + "`"};
                } else if (isScript) {
                    throw Failure{lineNo, "unsupported directive: `" + t + "`"};
                }
                continue;
            }
            if (!on || !isScript) continue;
            Tokenize(line, lineNo, &tokens_);
        }
        if (!active.empty() && isScript) throw Failure{lineNo, "missing #endif"};
        if (isScript) {
            Token end;
            end.line = lineNo;
            tokens_.push_back(end);
        }
    }

    static std::string StripBlockComments(const std::string& line, bool* inComment) {
        std::string out;
        bool inString = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (*inComment) {
                if (line.compare(i, 2, "*/") == 0) *inComment = false, ++i;
                continue;
            }
            if (line[i] == '"') inString = !inString;
            if (!inString && line.compare(i, 2, "/*") == 0) {
                *inComment = true;
                ++i;
                continue;
            }
            if (!inString && line.compare(i, 2, "//") == 0) break;
            out += line[i];
        }
        return out;
    }

    bool EvalCondition(const std::string& expr, int lineNo) {
        std::string e = Trim(expr);
        bool negate = false;
        if (!e.empty() && e[0] == '!') negate = true, e = Trim(e.substr(1));
        bool value;
        if (e.compare(0, 7, "defined") == 0) {
            std::string n = e.substr(7);
            n.erase(std::remove_if(n.begin(), n.end(), [](char c) { return c == '(' || c == ')' || c == ' '; }), n.end());
            value = n != "APSTUDIO_INVOKED" && (script_->symbols.count(n) || BuiltinSymbols().count(n) || n == "RC_INVOKED");
        } else if (!e.empty() && std::isdigit((unsigned char)e[0])) {
            value = std::stol(e) != 0;
        } else {
            throw Failure{lineNo, "unsupported #if: `" + expr + "`"};
        }
        return negate ? !value : value;
    }

    void Define(const std::string& rest) {
        std::istringstream d(rest);
        std::string name;
        d >> name;
        if (name.empty() || name.find('(') != std::string::npos) return;  // function-like macros: not ours
        std::string value;
        std::getline(d, value);
        std::vector<Token> toks;
        try {
            Tokenize(value, 0, &toks);
        } catch (const Failure&) {
            return;
        }
        if (toks.empty()) {
            script_->symbols[name] = 1;
            return;
        }
        Token end;
        toks.push_back(end);
        std::vector<Token> saved;
        saved.swap(tokens_);
        size_t savedPos = pos_;
        tokens_ = toks;
        pos_ = 0;
        try {
            long v = Expression();
            if (Peek().kind == Tok::End) script_->symbols[name] = v;
        } catch (const Failure&) {
        }
        tokens_.swap(saved);
        pos_ = savedPos;
    }

    void Include(const std::string& rest, int lineNo) {
        if (rest.empty()) throw Failure{lineNo, "bad #include: `" + rest + "`"};
        if (rest[0] == '<') return;  // system headers: their names are built in
        std::string file = rest.substr(1, rest.find('"', 1) - 1);
        std::string text;
        std::string path = includeDir_.empty() ? file : includeDir_ + "/" + file;
        if (!ReadFile(path, &text)) throw Failure{lineNo, "cannot read included header: `" + path + "`"};
        Preprocess(text, false);
    }

    // ---- tokens -----------------------------------------------------------
    const Token& Peek(size_t ahead = 0) const {
        size_t i = pos_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    Token Next() {
        Token t = Peek();
        if (pos_ < tokens_.size() - 1) ++pos_;
        return t;
    }
    bool IsWord(const Token& t, const char* word) const { return t.kind == Tok::Ident && Upper(t.text) == word; }
    bool IsPunct(const Token& t, const char* p) const { return t.kind == Tok::Punct && t.text == p; }
    bool IsBegin(const Token& t) const { return IsWord(t, "BEGIN") || IsPunct(t, "{"); }
    bool IsEnd(const Token& t) const { return IsWord(t, "END") || IsPunct(t, "}"); }

    [[noreturn]] void Fail(const Token& t, const std::string& what) {
        throw Failure{t.line, what + ": `" + (t.kind == Tok::End ? std::string("end of file") : t.text) + "`"};
    }
    void ExpectComma() {
        Token t = Next();
        if (!IsPunct(t, ",")) Fail(t, "expected ','");
    }
    bool OptionalComma() {
        if (IsPunct(Peek(), ",")) {
            Next();
            return true;
        }
        return false;
    }

    // ---- expressions ------------------------------------------------------
    long Primary() {
        Token t = Next();
        if (t.kind == Tok::Number) return t.value;
        if (t.kind == Tok::Ident) {
            auto it = script_->symbols.find(t.text);
            if (it != script_->symbols.end()) return it->second;
            auto b = BuiltinSymbols().find(t.text);
            if (b != BuiltinSymbols().end()) return b->second;
            Fail(t, "unknown name");
        }
        if (IsPunct(t, "(")) {
            long v = Expression();
            Token c = Next();
            if (!IsPunct(c, ")")) Fail(c, "expected ')'");
            return v;
        }
        if (IsPunct(t, "-")) return -Primary();
        if (IsPunct(t, "~")) return ~Primary();
        if (IsWord(t, "NOT")) return ~Primary();
        Fail(t, "expected a number or a name");
    }
    long Term() {
        long v = Primary();
        while (IsPunct(Peek(), "*") || IsPunct(Peek(), "/")) {
            bool mul = Next().text == "*";
            long r = Primary();
            if (!mul && r == 0) Fail(Peek(), "division by zero");
            v = mul ? v * r : v / r;
        }
        return v;
    }
    long Sum() {
        long v = Term();
        while (IsPunct(Peek(), "+") || IsPunct(Peek(), "-")) {
            bool add = Next().text == "+";
            long r = Term();
            v = add ? v + r : v - r;
        }
        return v;
    }
    long Expression() {
        long v = Sum();
        while (IsPunct(Peek(), "|") || IsPunct(Peek(), "&")) {
            bool orOp = Next().text == "|";
            long r = Sum();
            v = orOp ? (v | r) : (v & r);
        }
        return v;
    }
    int Integer() { return (int)Expression(); }

    // A style: bits ORed onto `base`; "NOT x" clears bits, as rc does.
    DWORD Style(DWORD base) {
        DWORD style = base;
        for (;;) {
            if (IsWord(Peek(), "NOT")) {
                Next();
                style &= ~(DWORD)Sum();
            } else {
                style |= (DWORD)Sum();
            }
            if (!IsPunct(Peek(), "|")) return style;
            Next();
        }
    }

    // ---- statements -------------------------------------------------------
    void Statement() {
        Token first = Next();
        if (IsWord(first, "LANGUAGE")) {
            Integer();
            ExpectComma();
            Integer();
            return;
        }
        if (IsWord(first, "STRINGTABLE")) {
            SkipToBlockAndOver(first);
            return;
        }
        if (first.kind != Tok::Ident && first.kind != Tok::Number && first.kind != Tok::String)
            Fail(first, "expected a resource name");
        Token type = Next();
        if (IsWord(type, "DIALOG") || IsWord(type, "DIALOGEX")) {
            Dialog(first, IsWord(type, "DIALOGEX"));
            return;
        }
        if (type.kind == Tok::End) Fail(type, "resource without a type");
        // Any other resource: a file on the same line, or a block.
        bool sawFile = false;
        while (Peek().kind != Tok::End && Peek().line == type.line && !IsBegin(Peek())) {
            if (Next().kind == Tok::String) sawFile = true;
        }
        if (!sawFile) SkipToBlockAndOver(type);
    }

    void SkipToBlockAndOver(const Token& from) {
        while (!IsBegin(Peek())) {
            if (Peek().kind == Tok::End) Fail(from, "resource block without BEGIN");
            Next();
        }
        Next();
        int depth = 1;
        while (depth > 0) {
            Token t = Next();
            if (t.kind == Tok::End) Fail(from, "resource block without END");
            if (IsBegin(t)) ++depth;
            if (IsEnd(t)) --depth;
        }
    }

    void Dialog(const Token& nameTok, bool extended) {
        DialogTemplate d;
        d.extended = extended;
        d.line = nameTok.line;
        d.name = nameTok.kind == Tok::String ? nameTok.bytes : nameTok.text;
        if (nameTok.kind == Tok::Number) {
            d.id = (int)nameTok.value;
        } else if (nameTok.kind == Tok::Ident) {
            auto it = script_->symbols.find(nameTok.text);
            if (it != script_->symbols.end()) d.id = (int)it->second;
        }
        while (Peek().kind == Tok::Ident && IsMemoryOption(Upper(Peek().text))) Next();
        d.x = Integer();
        ExpectComma();
        d.y = Integer();
        ExpectComma();
        d.cx = Integer();
        ExpectComma();
        d.cy = Integer();
        if (OptionalComma()) Integer();  // help id
        d.style = 0x80000000UL | 0x00800000UL | 0x00080000UL;  // WS_POPUP | WS_BORDER | WS_SYSMENU
        bool captioned = false;
        while (!IsBegin(Peek())) {
            Token t = Next();
            std::string w = Upper(t.text);
            if (t.kind != Tok::Ident) Fail(t, "expected a dialog statement or BEGIN");
            if (w == "STYLE") {
                d.style = Style(0);
            } else if (w == "EXSTYLE") {
                d.exStyle = Style(0);
            } else if (w == "CAPTION") {
                Token s = Next();
                if (s.kind != Tok::String) Fail(s, "CAPTION needs a text");
                d.caption = s.bytes;
                captioned = true;
            } else if (w == "FONT") {
                d.hasFont = true;
                d.font.pointSize = Integer();
                ExpectComma();
                Token s = Next();
                if (s.kind != Tok::String) Fail(s, "FONT needs a face name");
                d.font.face = s.bytes;
                if (OptionalComma()) {
                    d.font.weight = Integer();
                    if (OptionalComma()) {
                        d.font.italic = Integer();
                        if (OptionalComma()) d.font.charset = Integer();
                    }
                }
            } else if (w == "LANGUAGE") {
                Integer();
                ExpectComma();
                Integer();
            } else if (w == "CHARACTERISTICS" || w == "VERSION") {
                Integer();
            } else if (w == "CLASS" || w == "MENU") {
                Next();
            } else {
                Fail(t, "unknown dialog statement");
            }
        }
        if (captioned) d.style |= 0x00C00000UL;  // WS_CAPTION
        if (d.hasFont) d.style |= 0x40UL;         // DS_SETFONT
        Next();  // BEGIN
        while (!IsEnd(Peek())) {
            if (Peek().kind == Tok::End) Fail(nameTok, "dialog without END");
            d.controls.push_back(Control());
        }
        Next();
        script_->dialogs.push_back(d);
    }

    static bool IsMemoryOption(const std::string& w) {
        return w == "DISCARDABLE" || w == "MOVEABLE" || w == "PURE" || w == "PRELOAD" || w == "LOADONCALL" ||
               w == "FIXED" || w == "IMPURE";
    }

    struct Shorthand {
        const char* keyword;
        const char* className;
        DWORD style;  // beside WS_CHILD | WS_VISIBLE
        bool hasText;
    };

    static const Shorthand* FindShorthand(const std::string& w) {
        static const Shorthand table[] = {
            {"LTEXT", "Static", 0x00000 | 0x20000, true},   // SS_LEFT | WS_GROUP
            {"RTEXT", "Static", 0x00002 | 0x20000, true},   // SS_RIGHT | WS_GROUP
            {"CTEXT", "Static", 0x00001 | 0x20000, true},   // SS_CENTER | WS_GROUP
            {"PUSHBUTTON", "Button", 0x0 | 0x10000, true},  // BS_PUSHBUTTON | WS_TABSTOP
            {"DEFPUSHBUTTON", "Button", 0x1 | 0x10000, true},
            {"PUSHBOX", "Button", 0xA | 0x10000, true},
            {"GROUPBOX", "Button", 0x7, true},
            {"CHECKBOX", "Button", 0x2 | 0x10000, true},
            {"AUTOCHECKBOX", "Button", 0x3 | 0x10000, true},
            {"STATE3", "Button", 0x5 | 0x10000, true},
            {"AUTO3STATE", "Button", 0x6 | 0x10000, true},
            {"RADIOBUTTON", "Button", 0x4, true},
            {"AUTORADIOBUTTON", "Button", 0x9, true},
            {"EDITTEXT", "Edit", 0x0 | 0x00800000 | 0x10000, false},  // ES_LEFT | WS_BORDER | WS_TABSTOP
            {"LISTBOX", "ListBox", 0x1 | 0x00800000, false},          // LBS_NOTIFY | WS_BORDER
            {"ICON", "Static", 0x3, true},                            // SS_ICON
        };
        for (const Shorthand& s : table)
            if (w == s.keyword) return &s;
        return nullptr;
    }

    static std::string CanonicalClass(const std::string& written) {
        static const char* known[] = {"Button", "Static", "Edit", "ListBox", "ComboBox", "ScrollBar"};
        for (const char* k : known)
            if (Upper(written) == Upper(k)) return k;
        return written;
    }

    void ControlText(ControlTemplate* c) {
        Token t = Next();
        if (t.kind == Tok::String) {
            c->text = t.bytes;
        } else if (t.kind == Tok::Number || t.kind == Tok::Ident) {
            --pos_;
            c->ordinal = Integer();
        } else {
            Fail(t, "expected a control text");
        }
    }

    ControlTemplate Control() {
        const DWORD childVisible = 0x40000000UL | 0x10000000UL;
        Token kw = Next();
        ControlTemplate c;
        c.line = kw.line;
        std::string w = Upper(kw.text);
        if (kw.kind == Tok::Ident && w == "CONTROL") {
            ControlText(&c);
            ExpectComma();
            c.id = Integer();
            ExpectComma();
            Token cls = Next();
            if (cls.kind == Tok::String) {
                c.className = CanonicalClass(cls.bytes);
            } else if (cls.kind == Tok::Ident) {
                c.className = CanonicalClass(cls.text);
            } else {
                Fail(cls, "expected a control class");
            }
            ExpectComma();
            c.style = Style(childVisible);
            ExpectComma();
            Rect(&c);
            if (OptionalComma()) {
                c.exStyle = Style(0);
                if (OptionalComma()) Integer();
            }
            return c;
        }
        const Shorthand* s = kw.kind == Tok::Ident ? FindShorthand(w) : nullptr;
        if (!s) Fail(kw, "unknown control statement");
        c.className = s->className;
        if (s->hasText) {
            ControlText(&c);
            ExpectComma();
        }
        c.id = Integer();
        ExpectComma();
        c.x = Integer();
        ExpectComma();
        c.y = Integer();
        c.style = childVisible | s->style;
        bool iconStatement = w == "ICON";
        if (iconStatement) {
            if (!OptionalComma()) return c;
        } else {
            ExpectComma();
        }
        c.cx = Integer();
        ExpectComma();
        c.cy = Integer();
        if (OptionalComma()) {
            c.style = Style(c.style);
            if (OptionalComma()) c.exStyle = Style(0);
        }
        return c;
    }

    void Rect(ControlTemplate* c) {
        c->x = Integer();
        ExpectComma();
        c->y = Integer();
        ExpectComma();
        c->cx = Integer();
        ExpectComma();
        c->cy = Integer();
    }

    std::string includeDir_;
    ResourceScript* script_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

}  // namespace

bool ParseResourceText(const std::string& text, const std::string& name, const std::string& includeDir,
                       ResourceScript* script, std::string* error) {
    *script = ResourceScript();
    Parser parser(includeDir, script);
    try {
        parser.Run(text);
    } catch (const Failure& f) {
        *error = name + ":" + std::to_string(f.line) + ": " + f.message;
        return false;
    }
    return true;
}

bool ParseResourceScript(const std::string& hostPath, ResourceScript* script, std::string* error) {
    std::string text;
    if (!ReadFile(hostPath, &text)) {
        *error = hostPath + ": cannot read the resource script";
        return false;
    }
    size_t slash = hostPath.rfind('/');
    std::string dir = slash == std::string::npos ? "." : hostPath.substr(0, slash);
    return ParseResourceText(text, hostPath, dir, script, error);
}

}  // namespace sim
