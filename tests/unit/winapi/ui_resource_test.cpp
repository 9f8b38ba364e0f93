// The simulation's reader of resource scripts. Its templates must be the
// ones windres compiles into the exe: the test template is compiled by
// windres at build time and every dialog compared field by field. The reader
// must also refuse what it does not understand, naming the line.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testenv.h"
#include "ui_contract_ids.h"
#include "winapi/sim/ui_resource.h"

namespace {

// ---- the compiled side: a .res file as windres writes it ----------------------

struct CompiledControl {
    uint32_t id, style, exStyle;
    int x, y, cx, cy;
    std::string className;  // "#128" for an atom
    std::string text;       // UTF-16 units narrowed when ASCII, else "#<ordinal>" / "u:<hex>"
    std::u16string wideText;
};

struct CompiledDialog {
    int id;
    bool extended;
    uint32_t style, exStyle;
    int x, y, cx, cy;
    std::u16string caption;
    int pointSize = 0, weight = 0, italic = 0, charset = 0;
    std::u16string face;
    std::vector<CompiledControl> controls;
};

class ResReader {
public:
    explicit ResReader(std::string bytes) : d_(std::move(bytes)) {}

    std::vector<CompiledDialog> Dialogs() {
        std::vector<CompiledDialog> out;
        size_t pos = 0;
        while (pos + 8 <= d_.size()) {
            uint32_t dataSize = U32(pos), headerSize = U32(pos + 4);
            size_t p = pos + 8;
            std::u16string typeName, name;
            int type = SzOrOrd(&p, &typeName);
            int id = SzOrOrd(&p, &name);
            if (type == 5) out.push_back(Dialog(pos + headerSize, id));
            pos = (pos + headerSize + dataSize + 3) & ~(size_t)3;
        }
        return out;
    }

private:
    uint16_t U16(size_t p) const { return (uint16_t)((uint8_t)d_[p] | (uint8_t)d_[p + 1] << 8); }
    uint32_t U32(size_t p) const { return U16(p) | (uint32_t)U16(p + 2) << 16; }
    int16_t S16(size_t p) const { return (int16_t)U16(p); }

    // An ordinal (0xFFFF, n) gives n; a string gives -1 and the text.
    int SzOrOrd(size_t* p, std::u16string* text) {
        if (U16(*p) == 0xFFFF) {
            int v = U16(*p + 2);
            *p += 4;
            return v;
        }
        text->clear();
        while (U16(*p) != 0) {
            *text += (char16_t)U16(*p);
            *p += 2;
        }
        *p += 2;
        return -1;
    }

    CompiledDialog Dialog(size_t base, int id) {
        CompiledDialog dlg;
        dlg.id = id;
        dlg.extended = U16(base + 2) == 0xFFFF;
        size_t p = base;
        int count;
        if (dlg.extended) {
            dlg.exStyle = U32(base + 8);
            dlg.style = U32(base + 12);
            count = U16(base + 16);
            p = base + 18;
        } else {
            dlg.style = U32(base);
            dlg.exStyle = U32(base + 4);
            count = U16(base + 8);
            p = base + 10;
        }
        dlg.x = S16(p), dlg.y = S16(p + 2), dlg.cx = S16(p + 4), dlg.cy = S16(p + 6);
        p += 8;
        std::u16string ignored;
        SzOrOrd(&p, &ignored);  // menu
        SzOrOrd(&p, &ignored);  // class
        SzOrOrd(&p, &dlg.caption);
        if (dlg.style & 0x40) {  // DS_SETFONT
            dlg.pointSize = U16(p);
            p += 2;
            if (dlg.extended) {
                dlg.weight = U16(p);
                dlg.italic = (uint8_t)d_[p + 2];
                dlg.charset = (uint8_t)d_[p + 3];
                p += 4;
            }
            SzOrOrd(&p, &dlg.face);
        }
        for (int i = 0; i < count; ++i) {
            p = (p + 3) & ~(size_t)3;
            CompiledControl c;
            if (dlg.extended) {
                c.exStyle = U32(p + 4);
                c.style = U32(p + 8);
                c.x = S16(p + 12), c.y = S16(p + 14), c.cx = S16(p + 16), c.cy = S16(p + 18);
                c.id = U32(p + 20);
                p += 24;
            } else {
                c.style = U32(p);
                c.exStyle = U32(p + 4);
                c.x = S16(p + 8), c.y = S16(p + 10), c.cx = S16(p + 12), c.cy = S16(p + 14);
                c.id = U16(p + 16);
                if (c.id == 0xFFFF) c.id = 0xFFFFFFFF;  // a 16-bit -1
                p += 18;
            }
            std::u16string cls;
            int atom = SzOrOrd(&p, &cls);
            c.className = atom >= 0 ? "#" + std::to_string(atom) : std::string(cls.begin(), cls.end());
            int ordinal = SzOrOrd(&p, &c.wideText);
            if (ordinal >= 0) c.text = "#" + std::to_string(ordinal);
            p += 2 + U16(p);  // creation data
            dlg.controls.push_back(c);
        }
        return dlg;
    }

    std::string d_;
};

std::string ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The class windres writes for a class name: the predefined ones as atoms.
std::string CompiledClassName(const std::string& name) {
    if (name == "Button") return "#128";
    if (name == "Edit") return "#129";
    if (name == "Static") return "#130";
    if (name == "ListBox") return "#131";
    return name;
}

// UTF-16 of a UTF-8 text (the literals below are compiled as cp932, so
// they are spelled as UTF-8 bytes).
std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = (unsigned char)utf8[i];
        uint32_t cp;
        int n;
        if (b < 0x80) cp = b, n = 1;
        else if ((b >> 5) == 6) cp = b & 0x1F, n = 2;
        else if ((b >> 4) == 14) cp = b & 0x0F, n = 3;
        else cp = b & 0x07, n = 4;
        for (int k = 1; k < n; ++k) cp = cp << 6 | ((unsigned char)utf8[i + (size_t)k] & 0x3F);
        out += (char16_t)cp;
        i += (size_t)n;
    }
    return out;
}

#ifdef BRV_UI_CONTRACT_RES
TEST(UiResourceScript, TemplatesEqualWhatWindresCompiles) {
    sim::ResourceScript script;
    std::string error;
    ASSERT_TRUE(sim::ParseResourceScript(BRV_UI_CONTRACT_RC, &script, &error)) << error;
    std::vector<CompiledDialog> compiled = ResReader(ReadHostFile(BRV_UI_CONTRACT_RES)).Dialogs();
    ASSERT_EQ(2u, compiled.size());
    ASSERT_EQ(compiled.size(), script.dialogs.size());
    // Texts: the reader gives cp932, windres UTF-16; the Japanese ones are
    // compared below through their UTF-8 source.
    for (size_t i = 0; i < compiled.size(); ++i) {
        const CompiledDialog& c = compiled[i];
        const sim::DialogTemplate& t = script.dialogs[i];
        SCOPED_TRACE("dialog " + std::to_string(c.id));
        EXPECT_EQ(c.id, t.id);
        EXPECT_EQ(c.extended, t.extended);
        EXPECT_EQ(c.style, t.style);
        EXPECT_EQ(c.exStyle, t.exStyle);
        EXPECT_EQ(c.x, t.x);
        EXPECT_EQ(c.y, t.y);
        EXPECT_EQ(c.cx, t.cx);
        EXPECT_EQ(c.cy, t.cy);
        EXPECT_EQ(c.pointSize, t.font.pointSize);
        if (c.extended) {
            EXPECT_EQ(c.weight, t.font.weight);
            EXPECT_EQ(c.italic, t.font.italic);
            EXPECT_EQ(c.charset, t.font.charset);
        }
        ASSERT_EQ(c.controls.size(), t.controls.size());
        for (size_t k = 0; k < c.controls.size(); ++k) {
            const CompiledControl& cc = c.controls[k];
            const sim::ControlTemplate& tc = t.controls[k];
            SCOPED_TRACE("control line " + std::to_string(tc.line));
            EXPECT_EQ(cc.id, (uint32_t)tc.id);
            EXPECT_EQ(cc.style, tc.style);
            EXPECT_EQ(cc.exStyle, tc.exStyle);
            EXPECT_EQ(cc.x, tc.x);
            EXPECT_EQ(cc.y, tc.y);
            EXPECT_EQ(cc.cx, tc.cx);
            EXPECT_EQ(cc.cy, tc.cy);
            EXPECT_EQ(cc.className == "BUTTON" || cc.className == "#128" ? "#128"
                      : cc.className == "EDIT" || cc.className == "#129"    ? "#129"
                      : cc.className == "STATIC" || cc.className == "#130"  ? "#130"
                      : cc.className == "LISTBOX" || cc.className == "#131" ? "#131"
                                                                            : cc.className,
                      CompiledClassName(tc.className));
            EXPECT_EQ(cc.wideText.size() == 0, tc.text.empty());
        }
    }
    // The Japanese texts, compared in UTF-16.
    EXPECT_EQ(Utf16(u8"テスト用ダイアログ"), compiled[0].caption);
    EXPECT_EQ(Utf16(u8"ＭＳ Ｐゴシック"), compiled[0].face);
    EXPECT_EQ(Utf16(u8"保存元ユーザ名:"), compiled[0].controls[5].wideText);
}
#endif

// ---- the reader's side ------------------------------------------------------------

class UiResourceText : public ::testing::Test {
protected:
    bool Parse(const std::string& text) {
        error_.clear();
        return sim::ParseResourceText(text, "test.rc", BRV_UI_CONTRACT_DIR, &script_, &error_);
    }
    sim::ResourceScript script_;
    std::string error_;
};

TEST_F(UiResourceText, ContractTemplateTextsAreCp932) {
    sim::SetResourceScript(BRV_UI_CONTRACT_RC);
    sim::DialogTemplate t;
    std::string error;
    ASSERT_TRUE(sim::LoadDialogTemplate(IDD_UI_CONTRACT, &t, &error)) << error;
    EXPECT_EQ("\x83\x65\x83\x58\x83\x67\x97\x70\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F", t.caption);
    EXPECT_EQ("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", t.font.face);
    EXPECT_EQ("\xB7\xAC\xDD\xBE\xD9", t.controls[1].text);
    EXPECT_EQ(-1, t.controls[7].id);
    EXPECT_EQ("ListBox", t.controls[4].className);
    EXPECT_FALSE(sim::LoadDialogTemplate(4321, &t, &error));
    EXPECT_NE(std::string::npos, error.find("4321"));
    sim::Reset();
}

TEST_F(UiResourceText, StepsOverOtherResourcesAndInactiveBlocks) {
    ASSERT_TRUE(Parse("#pragma code_page(65001)\n"
                      "#include <windows.h>\n"
                      "#include \"ui_contract_ids.h\"\n"
                      "/* a block\n comment */\n"
                      "#ifdef APSTUDIO_INVOKED\n"
                      "this is not a resource script at all\n"
                      "#endif\n"
                      "#ifndef IDD_UI_CONTRACT\n#error no ids\n#else\n#define SEEN 5\n#endif\n"
                      "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
                      "107 ICON \"app.ico\"\n"
                      "IDB_PICTURE BITMAP \"a.bmp\"\n"
                      "1 24 \"brelvane.manifest\"\n"
                      "1 VERSIONINFO\n FILEVERSION 2,4,1,8\nBEGIN\n BLOCK \"x\"\n BEGIN\n VALUE \"a\", \"b\"\n END\nEND\n"
                      "STRINGTABLE\nBEGIN\n 1 \"one\"\nEND\n"
                      "NAMED DIALOGEX 1, 2, 3, 4\nBEGIN\n"
                      "    CONTROL \"a\"\"b\\n\", SEEN, \"button\", 0x3 | NOT WS_VISIBLE, 0, 0, 1, 1, WS_EX_CLIENTEDGE\n"
                      "    ICON 107, -1, 0, 0\n"
                      "END\n"))
        << error_;
    ASSERT_EQ(1u, script_.dialogs.size());
    const sim::DialogTemplate& d = script_.dialogs[0];
    EXPECT_EQ(-1, d.id);
    EXPECT_EQ("NAMED", d.name);
    EXPECT_EQ((DWORD)(WS_POPUP | 0x00800000 | 0x00080000), d.style) << "no STYLE: WS_POPUP | WS_BORDER | WS_SYSMENU";
    ASSERT_EQ(2u, d.controls.size());
    EXPECT_EQ(5, d.controls[0].id);
    EXPECT_EQ("Button", d.controls[0].className);
    EXPECT_EQ("a\"b\n", d.controls[0].text);
    EXPECT_EQ((DWORD)(WS_CHILD | 0x3), d.controls[0].style);
    EXPECT_EQ((DWORD)0x200, d.controls[0].exStyle);
    EXPECT_EQ(107, d.controls[1].ordinal);
    EXPECT_EQ((DWORD)(WS_CHILD | WS_VISIBLE | 0x3), d.controls[1].style);
    EXPECT_EQ(IDD_UI_CONTRACT, script_.symbols.at("IDD_UI_CONTRACT"));
}

TEST_F(UiResourceText, ErrorsNameTheLineAndTheText) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  CONTROL \"a\", 1, \"Button\", BS_NOSUCH, 0, 0, 1, 1\nEND\n",
         "test.rc:3: unknown name: `BS_NOSUCH`"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  COMBOBOX 1, 0, 0, 1, 1\nEND\n", "test.rc:3: unknown control statement: `COMBOBOX`"},
        {"1 DIALOGEX 0, 0, 1, 1\nCAPTION \"open\nBEGIN\nEND\n", "test.rc:2: unterminated string"},
        {"1 DIALOGEX 0, 0, 1, 1\nCAPTION \"\xC3\xA9t\xC3\xA9\"\nBEGIN\nEND\n", "test.rc:2: text not representable in cp932"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  CONTROL \"a\" 1, \"Button\", 0, 0, 0, 1, 1\nEND\n", "test.rc:3: expected ','"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  CONTROL \"a\", 1, \"Button\", 0, 0, 0, 1, 1\n", "dialog without END"},
        {"1 DIALOGEX 0, 0, 1, 1\nMENUITEM 1\nBEGIN\nEND\n", "test.rc:2: unknown dialog statement: `MENUITEM`"},
        {"#include \"no-such-header.h\"\n", "test.rc:1: cannot read included header"},
        {"#pragma code_page(932)\n", "test.rc:1: the script must be UTF-8"},
        {"#ifdef X\n", "missing #endif"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1 $\nEND\n", "test.rc:3: unexpected character: `$"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Parse(c.text)) << c.text;
        EXPECT_NE(std::string::npos, error_.find(c.message)) << "got: " << error_;
    }
}

TEST_F(UiResourceText, ProductScriptIsTheDefault) {
    // Without SetResourceScript the dialog manager reads the product's
    // script; whatever it holds, a missing template is the Windows failure.
    sim::Reset();
    sim::DialogTemplate t;
    std::string error;
    EXPECT_FALSE(sim::LoadDialogTemplate(4321, &t, &error));
    EXPECT_NE(std::string::npos, error.find("brelvane.rc")) << error;
}

}  // namespace
