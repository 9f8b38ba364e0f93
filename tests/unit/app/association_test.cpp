// The file type association: what set-up shows for each state of the
// registry, the six values OK writes under HKEY_CLASSES_ROOT, the removal of
// unticked types (ours only), the takeover of another application's
// extension when its box is ticked, and a report for every failing step. The tests without fault injection also run
// under Wine on its real registry and the real dialog template.
#include <string>
#include <tuple>
#include <vector>

#include "app/association.h"
#include "dialog_user.h"
#include "resources/resource.h"
#include "testenv.h"
#include "tests/unit/snapshot/snapshot_test_util.h"

namespace {

const char kIeProgId[] = "Morvik.InternetExplorerSettings";
const char kIpProgId[] = "Morvik.InternetProtocolSettings";
const char* const kOurKeys[] = {".ies", ".ips", kIeProgId, kIpProgId};

std::string Sz(const std::string& text) { return text + '\0'; }

// The program path the association must use, as the platform reports it.
std::string ProgramPath() {
    CHAR path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

RegTree DefaultValueTree(const std::string& data) {
    RegTree tree;
    tree.values.push_back(RegValue{"", REG_SZ, Sz(data)});
    return tree;
}

// A ProgID key as registered for `program`: no value of its own, the icon and
// the open command (subkeys in the registry's order).
RegTree ProgIdTree(const std::string& program, const char* switchText, const char* iconIndex) {
    RegTree command = DefaultValueTree("\"" + program + "\" \"%1\" " + switchText);
    RegTree open;
    open.subkeys.emplace_back("command", command);
    RegTree shell;
    shell.subkeys.emplace_back("open", open);
    RegTree progId;
    progId.subkeys.emplace_back("DefaultIcon", DefaultValueTree(program + "," + iconIndex));
    progId.subkeys.emplace_back("shell", shell);
    return progId;
}

RegTree IeProgId(const std::string& program) { return ProgIdTree(program, "/ies", "1"); }
RegTree IpProgId(const std::string& program) { return ProgIdTree(program, "/ips", "2"); }

// Another application's extension key: its ProgID and a subkey of its own.
RegTree ForeignExtension() {
    RegTree tree = DefaultValueTree("Other.Document");
    tree.subkeys.emplace_back("ShellNew", DefaultValueTree("template.dat"));
    return tree;
}

class AssociationTest : public snaptest::RegistryTreeTest {
protected:
    void SetUp() override {
        BrvTest::SetUp();
        for (const char* key : kOurKeys) RemoveClassesKey(key);
#if BRV_SIM
        sim::ForgetCallCounts();
#endif
    }
    void TearDown() override {
#if BRV_SIM
        sim::ClearFaults();
#endif
        for (const char* key : kOurKeys) RemoveClassesKey(key);
        BrvTest::TearDown();
    }

    INT_PTR Run() {
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ASSOCIATION), nullptr,
                                         AssociationDialogProc, 0);
        user::Finish();
        return result;
    }
    // Plays the dialog: checks the boxes set-up ticked, then presses `presses` in order.
    static void Play(bool ieTicked, bool ipTicked, std::vector<int> presses, HWND* seen = nullptr) {
        user::PlayDialog(IDC_ASSOC_IEOE, [=](HWND dialog) {
            if (seen) *seen = dialog;
            EXPECT_EQ(ieTicked ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_ASSOC_IEOE));
            EXPECT_EQ(ipTicked ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_ASSOC_TCPIP));
            for (int id : presses) user::Press(dialog, id);
        });
    }

    static bool ClassesKeyExists(const std::string& name) {
        HKEY key;
        LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key);
        if (status == ERROR_SUCCESS) RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    // The tree below HKEY_CLASSES_ROOT\<name>, which must exist.
    static RegTree ClassesTree(const std::string& name) {
        EXPECT_TRUE(ClassesKeyExists(name)) << "HKEY_CLASSES_ROOT\\" << name;
        return DumpTreeAt(HKEY_CLASSES_ROOT, name);
    }
    static void PutClassesTree(const std::string& name, const RegTree& tree) {
        PutTreeAt(HKEY_CLASSES_ROOT, name, tree);
    }
    static void RemoveClassesKey(const std::string& name) { DeleteKeyTree(HKEY_CLASSES_ROOT, name); }
    // Both types registered for another copy of the program: OK must
    // rewrite all six values.
    static void PutStaleRegistration() {
        PutClassesTree(".ies", DefaultValueTree(kIeProgId));
        PutClassesTree(kIeProgId, IeProgId("C:\\Old\\brelvane.exe"));
        PutClassesTree(".ips", DefaultValueTree(kIpProgId));
        PutClassesTree(kIpProgId, IpProgId("C:\\Old\\brelvane.exe"));
    }
    static void ExpectRegistered(const std::string& program) {
        EXPECT_EQ(DefaultValueTree(kIeProgId), ClassesTree(".ies"));
        EXPECT_EQ(IeProgId(program), ClassesTree(kIeProgId));
        EXPECT_EQ(DefaultValueTree(kIpProgId), ClassesTree(".ips"));
        EXPECT_EQ(IpProgId(program), ClassesTree(kIpProgId));
    }
};

TEST_F(AssociationTest, NothingRegisteredTickingBothWritesTheSixValues) {
    Play(false, false, {IDC_ASSOC_IEOE, IDC_ASSOC_TCPIP, IDOK});
    EXPECT_EQ(IDOK, Run());
    ExpectRegistered(ProgramPath());
#if BRV_SIM
    EXPECT_TRUE(sim::MessageBoxes().empty());
#endif
}

TEST_F(AssociationTest, BothRegisteredOkRewritesAllSixValues) {
    PutStaleRegistration();
    Play(true, true, {IDOK});
    EXPECT_EQ(IDOK, Run());
    ExpectRegistered(ProgramPath());
#if BRV_SIM
    EXPECT_TRUE(sim::MessageBoxes().empty());
#endif
}

TEST_F(AssociationTest, UntickingRemovesBothTypesWithTheirSubkeys) {
    PutStaleRegistration();
    RegTree withPrint = IeProgId("C:\\Old\\brelvane.exe");
    withPrint.subkeys[1].second.subkeys.emplace_back("print", DefaultValueTree("x"));
    PutClassesTree(kIeProgId, withPrint);
    RegTree ourExtension = ForeignExtension();
    ourExtension.values = DefaultValueTree(kIeProgId).values;
    PutClassesTree(".ies", ourExtension);

    Play(true, true, {IDC_ASSOC_IEOE, IDC_ASSOC_TCPIP, IDOK});
    EXPECT_EQ(IDOK, Run());
    for (const char* key : kOurKeys) EXPECT_FALSE(ClassesKeyExists(key)) << key;
}

TEST_F(AssociationTest, NothingRegisteredOkWithBothUntickedChangesNothing) {
    Play(false, false, {IDOK});
    EXPECT_EQ(IDOK, Run());
    for (const char* key : kOurKeys) EXPECT_FALSE(ClassesKeyExists(key)) << key;
#if BRV_SIM
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(0, sim::CallCount("RegCreateKeyExA"));
    EXPECT_EQ(0, sim::CallCount("RegDeleteKeyA"));
#endif
}

TEST_F(AssociationTest, CancelChangesNothing) {
    PutClassesTree(".ies", DefaultValueTree(kIeProgId));
    PutClassesTree(kIeProgId, IeProgId("C:\\Old\\brelvane.exe"));
    Play(true, false, {IDC_ASSOC_IEOE, IDC_ASSOC_TCPIP, IDCANCEL});
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_EQ(IeProgId("C:\\Old\\brelvane.exe"), ClassesTree(kIeProgId));
    EXPECT_FALSE(ClassesKeyExists(".ips"));
    EXPECT_FALSE(ClassesKeyExists(kIpProgId));
}

// Every state an extension can be in, against what the user does with its
// box. Registered means the extension names our ProgID and the ProgID is
// there; another application's extension is replaced only after Yes to the
// question that ticking its box asks, and never removed.
enum class Start { Absent, Ours, Foreign, OursWithoutProgId };
enum class Action { Tick, TickAnsweredNo, Untick, Leave, Cancel };
enum class After { Gone, AsBefore, NamesUs, Fresh };  // NamesUs: the extension key as before, naming our ProgID

struct TableRow {
    Start start;
    Action action;
    bool ticked;  // what set-up shows
    bool asks;
    After extension;
    After progId;
};

const TableRow kTable[] = {
    {Start::Absent, Action::Tick, false, false, After::NamesUs, After::Fresh},
    {Start::Absent, Action::Untick, false, false, After::Gone, After::Gone},
    {Start::Absent, Action::Leave, false, false, After::Gone, After::Gone},
    {Start::Absent, Action::Cancel, false, false, After::Gone, After::Gone},
    {Start::Ours, Action::Tick, true, false, After::NamesUs, After::Fresh},
    {Start::Ours, Action::Untick, true, false, After::Gone, After::Gone},
    {Start::Ours, Action::Leave, true, false, After::NamesUs, After::Fresh},
    {Start::Ours, Action::Cancel, true, false, After::AsBefore, After::AsBefore},
    {Start::Foreign, Action::Tick, false, true, After::NamesUs, After::Fresh},
    {Start::Foreign, Action::TickAnsweredNo, false, true, After::AsBefore, After::Gone},
    {Start::Foreign, Action::Untick, false, false, After::AsBefore, After::Gone},
    {Start::Foreign, Action::Leave, false, false, After::AsBefore, After::Gone},
    {Start::Foreign, Action::Cancel, false, false, After::AsBefore, After::AsBefore},
    {Start::OursWithoutProgId, Action::Tick, false, false, After::NamesUs, After::Fresh},
    {Start::OursWithoutProgId, Action::Untick, false, false, After::Gone, After::Gone},
    {Start::OursWithoutProgId, Action::Leave, false, false, After::Gone, After::Gone},
    {Start::OursWithoutProgId, Action::Cancel, false, false, After::AsBefore, After::Gone},
};

// One of the two types, as the table needs it.
struct TypeUnderTest {
    const char* extension;
    const char* progId;
    int checkBox;
    RegTree (*progIdTree)(const std::string& program);
};

const TypeUnderTest kTypes[] = {
    {".ies", kIeProgId, IDC_ASSOC_IEOE, IeProgId},
    {".ips", kIpProgId, IDC_ASSOC_TCPIP, IpProgId},
};

class AssociationTableTest : public AssociationTest,
                             public ::testing::WithParamInterface<std::tuple<size_t, size_t>> {
protected:
    const TableRow& Row() const { return kTable[std::get<0>(GetParam())]; }
    const TypeUnderTest& Type() const { return kTypes[std::get<1>(GetParam())]; }

    // The extension key and our ProgID before the dialog (empty: no key).
    void PutStart(RegTree* extension, RegTree* progId) {
        const RegTree stale = Type().progIdTree("C:\\Old\\brelvane.exe");
        switch (Row().start) {
        case Start::Absent: break;
        case Start::Ours: *extension = DefaultValueTree(Type().progId), *progId = stale; break;
        case Start::Foreign: *extension = ForeignExtension(), *progId = stale; break;
        case Start::OursWithoutProgId: *extension = DefaultValueTree(Type().progId); break;
        }
        if (!extension->values.empty()) PutClassesTree(Type().extension, *extension);
        if (!progId->subkeys.empty()) PutClassesTree(Type().progId, *progId);
    }
    void Play() {
        const TableRow row = Row();
        const int box = Type().checkBox;
        user::PlayDialog(IDC_ASSOC_IEOE, [row, box](HWND dialog) {
            EXPECT_EQ(row.ticked ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog, box));
            const bool tick = row.action == Action::Tick || row.action == Action::TickAnsweredNo;
            if ((tick && !row.ticked) || (row.action == Action::Untick && row.ticked)) user::Press(dialog, box);
            const bool ticked = row.action == Action::Tick || (row.ticked && row.action != Action::Untick);
            EXPECT_EQ(ticked ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog, box));
            user::Press(dialog, row.action == Action::Cancel ? IDCANCEL : IDOK);
        });
        if (row.asks) user::AnswerMessageBox(row.action == Action::Tick ? IDYES : IDNO);
    }
    void ExpectKey(const std::string& name, After after, const RegTree& before, const RegTree& named,
                   const RegTree& fresh) {
        if (after == After::Gone || (after == After::AsBefore && before == RegTree{})) {
            EXPECT_FALSE(ClassesKeyExists(name)) << name;
            return;
        }
        EXPECT_EQ(after == After::AsBefore ? before : after == After::NamesUs ? named : fresh, ClassesTree(name))
            << name;
    }
};

TEST_P(AssociationTableTest, TouchesOnlyWhatIsOurs) {
    RegTree extension, progId;
    PutStart(&extension, &progId);
    Play();
    EXPECT_EQ(Row().action == Action::Cancel ? IDCANCEL : IDOK, Run());

    RegTree named = extension;
    named.values = DefaultValueTree(Type().progId).values;
    ExpectKey(Type().extension, Row().extension, extension, named, RegTree{});
    ExpectKey(Type().progId, Row().progId, progId, RegTree{}, Type().progIdTree(ProgramPath()));
    const TypeUnderTest& other = kTypes[1 - std::get<1>(GetParam())];
    EXPECT_FALSE(ClassesKeyExists(other.extension));
    EXPECT_FALSE(ClassesKeyExists(other.progId));
#if BRV_SIM
    EXPECT_EQ(Row().asks ? 1u : 0u, sim::MessageBoxes().size());
#endif
}

// Under Wine each row plays a real dialog: one type there, both here.
#if BRV_SIM
const size_t kTypesPlayed = 2;
#else
const size_t kTypesPlayed = 1;
#endif
INSTANTIATE_TEST_SUITE_P(EveryStartAndAction, AssociationTableTest,
                         ::testing::Combine(::testing::Range<size_t>(0, sizeof kTable / sizeof kTable[0]),
                                            ::testing::Range<size_t>(0, kTypesPlayed)));

#if BRV_SIM

const char kIesQuestion[] =
    "拡張子.iesはすでにほかのアプリケーションによって設定されているようです。ほかのアプリケーションによる設定を削除しますか。";
const char kIpsQuestion[] =
    "拡張子.ipsはすでにほかのアプリケーションによって設定されているようです。ほかのアプリケーションによる設定を削除しますか。";

void ExpectQuestion(const sim::MessageBoxCall& box, const char* text, const char* caption) {
    EXPECT_EQ(text, box.text);
    EXPECT_FALSE(box.captionNull);
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), box.style);
    EXPECT_NE(nullptr, box.owner);
}

void ExpectReportBox(const sim::MessageBoxCall& box, HWND owner, const std::string& context, DWORD code) {
    EXPECT_EQ(owner, box.owner);
    EXPECT_TRUE(box.captionNull);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.style);
    EXPECT_EQ(ExpectedReport(context, code), box.text);
}

// The question of each type comes when its box is ticked, owned by the
// dialog; No unticks the box and asks nothing more.
TEST_F(AssociationTest, TickingAForeignExtensionAsksItsOwnQuestion) {
    PutClassesTree(".ies", ForeignExtension());
    PutClassesTree(".ips", DefaultValueTree("Other.Settings"));
    sim::QueueMessageBoxAnswer(IDNO);
    sim::QueueMessageBoxAnswer(IDYES);
    HWND seen = nullptr;
    Play(false, false, {IDC_ASSOC_IEOE, IDC_ASSOC_TCPIP}, &seen);
    EXPECT_EQ(IDCANCEL, Run());
    ASSERT_EQ(2u, sim::MessageBoxes().size());
    ExpectQuestion(sim::MessageBoxes()[0], kIesQuestion, "拡張子.ies設定上書き許可");
    ExpectQuestion(sim::MessageBoxes()[1], kIpsQuestion, "拡張子.ips設定上書き許可");
    EXPECT_EQ(seen, sim::MessageBoxes()[0].owner);
    EXPECT_EQ(ForeignExtension(), ClassesTree(".ies"));
    EXPECT_EQ(DefaultValueTree("Other.Settings"), ClassesTree(".ips"));
}

// The existence test asks for no access, so a key the user may not read
// still counts as registered.
TEST_F(AssociationTest, RegisteredKeyWithoutReadAccessStillCounts) {
    PutClassesTree(".ies", DefaultValueTree(kIeProgId));
    PutClassesTree(kIeProgId, IeProgId("C:\\Old\\brelvane.exe"));
    sim::RegDenyAccess(std::string("HKEY_CLASSES_ROOT\\") + kIeProgId, KEY_READ);
    Play(true, false, {IDCANCEL});
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(AssociationTest, TheProgramPathComesFromTheModuleNotTheCommandLine) {
    sim::SetCommandLine("brelvane");
    sim::SetModuleFileName("C:\\My Tools\\brelvane.exe");
    Play(false, false, {IDC_ASSOC_IEOE, IDC_ASSOC_TCPIP, IDOK});
    EXPECT_EQ(IDOK, Run());
    ExpectRegistered("C:\\My Tools\\brelvane.exe");
}

// On the Windows 95 family the TCP/IP box cannot be changed, but shows the
// registry's state and OK acts on it.
TEST_F(AssociationTest, Windows95FamilyRewritesARegisteredTcpipType) {
    sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    PutStaleRegistration();
    bool enabled = true;
    user::PlayDialog(IDC_ASSOC_IEOE, [&enabled](HWND dialog) {
        enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ASSOC_TCPIP)) != FALSE;
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_ASSOC_TCPIP));
        user::Press(dialog, IDC_ASSOC_TCPIP);  // a disabled box ignores the click
        user::Press(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_FALSE(enabled);
    ExpectRegistered("C:\\Program Files\\Brelvane\\brelvane.exe");
}

// Its box cannot be ticked there, so another application's .ips stays.
TEST_F(AssociationTest, Windows95FamilyKeepsAForeignTcpipExtension) {
    sim::SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 0);
    PutClassesTree(".ips", ForeignExtension());
    PutClassesTree(kIpProgId, IpProgId("C:\\Old\\brelvane.exe"));
    bool enabled = true;
    user::PlayDialog(IDC_ASSOC_IEOE, [&enabled](HWND dialog) {
        enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ASSOC_TCPIP)) != FALSE;
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_ASSOC_TCPIP));
        user::Press(dialog, IDC_ASSOC_TCPIP);
        user::Press(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(ForeignExtension(), ClassesTree(".ips"));
    EXPECT_FALSE(ClassesKeyExists(kIpProgId));
}

TEST_F(AssociationTest, NtFamilyLeavesTheTcpipBoxEnabled) {
    bool enabled = false;
    user::PlayDialog(IDC_ASSOC_IEOE, [&enabled](HWND dialog) {
        enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_ASSOC_TCPIP)) != FALSE;
    });
    Run();
    EXPECT_TRUE(enabled);
}

// Set-up that cannot read the registry reports, stops, and leaves OK
// disabled: the unticked boxes would otherwise remove keys never examined.
struct InitFailure {
    const char* function;
    const char* subject;
    const char* context;
    bool ieTicked;
};

class AssociationInitFailureTest : public AssociationTest, public ::testing::WithParamInterface<InitFailure> {};

TEST_P(AssociationInitFailureTest, ReportsAndKeepsOkDisabled) {
    if (GetParam().ieTicked) {
        PutClassesTree(".ies", DefaultValueTree(kIeProgId));
        PutClassesTree(kIeProgId, IeProgId("C:\\Old\\brelvane.exe"));
    }
    PutClassesTree(".ips", ForeignExtension());
    sim::FailCall(GetParam().function, 1, ERROR_ACCESS_DENIED, GetParam().subject);
    HWND seen = nullptr;
    user::PlayDialog(IDC_ASSOC_IEOE, [&seen](HWND dialog) {
        seen = dialog;
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        user::Press(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
        // Enter reaches the dialog procedure as IDOK even so.
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(sim::DialogEnded(dialog));
        EXPECT_EQ(GetParam().ieTicked ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_ASSOC_IEOE));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_ASSOC_TCPIP));
    });
    EXPECT_EQ(IDCANCEL, Run());

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    ExpectReportBox(sim::MessageBoxes()[0], seen, GetParam().context, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ForeignExtension(), ClassesTree(".ips"));
}

INSTANTIATE_TEST_SUITE_P(
    EachExamination, AssociationInitFailureTest,
    ::testing::Values(
        InitFailure{"RegOpenKeyExA", "HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings",
                    "レジストリキー\"HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\"が見つかりません。", false},
        InitFailure{"RegOpenKeyExA", "HKEY_CLASSES_ROOT\\.ies",
                    "レジストリキー\"HKEY_CLASSES_ROOT\\.ies\"が見つかりません。", false},
        InitFailure{"RegOpenKeyExA", "HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings",
                    "レジストリキー\"HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\"が見つかりません。", true},
        InitFailure{"RegOpenKeyExA", "HKEY_CLASSES_ROOT\\.ips",
                    "レジストリキー\"HKEY_CLASSES_ROOT\\.ips\"が見つかりません。", true},
        InitFailure{"RegQueryValueExA", "HKEY_CLASSES_ROOT\\.ips\\",
                    "レジストリ値\"HKEY_CLASSES_ROOT\\.ips\\\"から値を取得できません。", true}));

// Every create and set OK does, in order: a failure is reported once with
// its own text, the dialog stays open, the values written before it stay and
// none after it is written.
struct WriteFailure {
    const char* function;
    const char* subject;
    const char* context;
};


const WriteFailure kWriteFailures[] = {
    {"RegCreateKeyExA", "HKEY_CLASSES_ROOT\\.ies", "レジストリキー\"HKEY_CLASSES_ROOT\\.ies\"に書き込みアクセスを適用できません。"},
    {"RegSetValueExA", "HKEY_CLASSES_ROOT\\.ies\\", "レジストリ値\"HKEY_CLASSES_ROOT\\.ies\\\"に値を設定できません。"},
    {"RegCreateKeyExA", "HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\shell\\open\\command",
     "レジストリキー\"HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\shell\\open\\command\"に書き込みアクセスを適用できません。"},
    {"RegSetValueExA", "HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\shell\\open\\command\\",
     "レジストリ値\"HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\shell\\open\\command\\\"に値を設定できません。"},
    {"RegCreateKeyExA", "HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\DefaultIcon",
     "レジストリキー\"HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\DefaultIcon\"に書き込みアクセスを適用できません。"},
    {"RegSetValueExA", "HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\DefaultIcon\\",
     "レジストリ値\"HKEY_CLASSES_ROOT\\Morvik.InternetExplorerSettings\\DefaultIcon\\\"に値を設定できません。"},
    {"RegCreateKeyExA", "HKEY_CLASSES_ROOT\\.ips", "レジストリキー\"HKEY_CLASSES_ROOT\\.ips\"に書き込みアクセスを適用できません。"},
    {"RegSetValueExA", "HKEY_CLASSES_ROOT\\.ips\\", "レジストリ値\"HKEY_CLASSES_ROOT\\.ips\\\"に値を設定できません。"},
    {"RegCreateKeyExA", "HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\shell\\open\\command",
     "レジストリキー\"HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\shell\\open\\command\"に書き込みアクセスを適用できません。"},
    {"RegSetValueExA", "HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\shell\\open\\command\\",
     "レジストリ値\"HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\shell\\open\\command\\\"に値を設定できません。"},
    {"RegCreateKeyExA", "HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\DefaultIcon",
     "レジストリキー\"HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\DefaultIcon\"に書き込みアクセスを適用できません。"},
    {"RegSetValueExA", "HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\DefaultIcon\\",
     "レジストリ値\"HKEY_CLASSES_ROOT\\Morvik.InternetProtocolSettings\\DefaultIcon\\\"に値を設定できません。"},
};

// The parameter is the row: the checks depend on the place of the step.
class AssociationWriteFailureTest : public AssociationTest, public ::testing::WithParamInterface<int> {};

// The default value of HKEY_CLASSES_ROOT\<key>, or "(none)".
std::string DefaultValueOf(const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return "(none)";
    CHAR data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG status = RegQueryValueExA(handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS ? std::string(data, size) : "(none)";
}

TEST_P(AssociationWriteFailureTest, ReportsStopsAndKeepsTheDialogOpen) {
    const size_t row = static_cast<size_t>(GetParam());
    const WriteFailure& failure = kWriteFailures[row];
    sim::FailCall(failure.function, 1, ERROR_ACCESS_DENIED, failure.subject);
    HWND seen = nullptr;
    user::PlayDialog(IDC_ASSOC_IEOE, [&seen](HWND dialog) {
        seen = dialog;
        user::Press(dialog, IDC_ASSOC_IEOE);
        user::Press(dialog, IDC_ASSOC_TCPIP);
        user::Press(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
    });
    EXPECT_EQ(IDCANCEL, Run());

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    ExpectReportBox(sim::MessageBoxes()[0], seen, failure.context, ERROR_ACCESS_DENIED);
    const std::string program = "C:\\Program Files\\Brelvane\\brelvane.exe";
    const std::vector<std::pair<std::string, std::string>> values = {
        {".ies", Sz(kIeProgId)},
        {std::string(kIeProgId) + "\\shell\\open\\command", Sz("\"" + program + "\" \"%1\" /ies")},
        {std::string(kIeProgId) + "\\DefaultIcon", Sz(program + ",1")},
        {".ips", Sz(kIpProgId)},
        {std::string(kIpProgId) + "\\shell\\open\\command", Sz("\"" + program + "\" \"%1\" /ips")},
        {std::string(kIpProgId) + "\\DefaultIcon", Sz(program + ",2")},
    };
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(i < row / 2 ? values[i].second : "(none)", DefaultValueOf(values[i].first)) << values[i].first;
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AssociationWriteFailureTest,
                         ::testing::Range(0, static_cast<int>(sizeof kWriteFailures / sizeof kWriteFailures[0])));

// A removal that failed has been reported; the dialog stays open instead of
// ending as though the type were gone, and the ProgID is not removed after it.
TEST_F(AssociationTest, FailedRemovalKeepsTheDialogOpen) {
    PutStaleRegistration();
    sim::FailCall("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED, "HKEY_CLASSES_ROOT\\.ies");
    HWND seen = nullptr;
    user::PlayDialog(IDC_ASSOC_IEOE, [&seen](HWND dialog) {
        seen = dialog;
        user::Press(dialog, IDC_ASSOC_IEOE);
        user::Press(dialog, IDOK);
        EXPECT_FALSE(sim::DialogEnded(dialog));
    });
    EXPECT_EQ(IDCANCEL, Run());

    ASSERT_EQ(1u, sim::MessageBoxes().size());
    ExpectReportBox(sim::MessageBoxes()[0], seen,
                    "レジストリをクリアしようとしましたが、レジストリキー\".ies\"を削除できません。", ERROR_ACCESS_DENIED);
    EXPECT_TRUE(ClassesKeyExists(kIeProgId));
    EXPECT_EQ(IpProgId("C:\\Old\\brelvane.exe"), ClassesTree(kIpProgId));
}

TEST_F(AssociationTest, ProgramPathThatCannotBeHadIsReportedAndNothingWritten) {
    sim::FailCall("GetModuleFileNameA", 1, ERROR_NOT_ENOUGH_MEMORY);
    HWND seen = nullptr;
    Play(false, false, {IDC_ASSOC_IEOE, IDOK}, &seen);
    EXPECT_EQ(IDCANCEL, Run());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    ExpectReportBox(sim::MessageBoxes()[0], seen, "このプログラムのファイル名を取得できません。", ERROR_NOT_ENOUGH_MEMORY);
    for (const char* key : kOurKeys) EXPECT_FALSE(ClassesKeyExists(key)) << key;
}

// A path cut at the buffer's end would register a program that does not exist.
TEST_F(AssociationTest, ProgramPathTooLongIsReportedAndNothingWritten) {
    sim::SetModuleFileName("C:\\" + std::string(260, 'a') + "\\brelvane.exe");
    HWND seen = nullptr;
    Play(false, false, {IDC_ASSOC_IEOE, IDOK}, &seen);
    EXPECT_EQ(IDCANCEL, Run());
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    ExpectReportBox(sim::MessageBoxes()[0], seen, "このプログラムのファイル名を取得できません。",
                    ERROR_INSUFFICIENT_BUFFER);
    for (const char* key : kOurKeys) EXPECT_FALSE(ClassesKeyExists(key)) << key;
}

#endif

}  // namespace
