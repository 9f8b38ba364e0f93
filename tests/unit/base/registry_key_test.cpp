// Report contexts composed from kind, name and action, and opening a key or
// reporting why not: guard, last error and report for each way out.
#include <string>

#include "base/registry_key.h"
#include "base/report_context.h"
#include "testenv.h"

namespace {

class ReportContextTest : public BrvTest {};

// Each composition gives the bytes the hand-written format gave.
TEST_F(ReportContextTest, ComposesKindQuotedNameAndAction) {
    struct Case {
        LPCSTR lead;
        Named kind;
        LPCSTR name;
        LPCSTR action;
        LPCSTR expected;
    };
    const Case cases[] = {
        {"", Named::kRegistryKey, "HKEY_CURRENT_USER\\Identities", kActionReadAccess,
         "レジストリキー\"HKEY_CURRENT_USER\\Identities\"に読み込みアクセスを適用できません。"},
        {"", Named::kRegistryValue, "Username", kActionGetData, "レジストリ値\"Username\"のデータを取得できません。"},
        {"", Named::kTemporaryFile, "C:\\w\\profile", kActionGetSize,
         "テンポラリファイル\"C:\\w\\profile\"のサイズを取得できません。"},
        {"", Named::kDirectory, "C:\\w\\", kActionCreate, "ディレクトリ\"C:\\w\\\"を作成できません。"},
        {"", Named::kFile, "a.ies", kActionNotFound, "ファイル\"a.ies\"が見つかりません。"},
        {"レジストリをクリアしようとしましたが、", Named::kRegistryKey, "x", kActionFullAccess,
         "レジストリをクリアしようとしましたが、レジストリキー\"x\"をフルアクセスを適用できません。"},
    };
    for (const Case& c : cases) {
        CHAR context[kMessageBufferSize];
        EXPECT_EQ(std::string(c.expected), ComposeReportContext(context, c.lead, c.kind, c.name, c.action));
    }
    // A name too long for one report is cut where wsprintfA cuts.
    const std::string longName(1500, 'k');
    CHAR composed[kMessageBufferSize];
    CHAR byFormat[kMessageBufferSize];
    ComposeReportContext(composed, "", Named::kRegistryKey, longName.c_str(), kActionListSubkeys);
    wsprintfA(byFormat, "レジストリキー\"%s\"のサブキーを列挙できません。", longName.c_str());
    EXPECT_EQ(std::string(byFormat), composed);
}

// Every opener over the three outcomes: the guard holds a key only on
// success, the last error is the registry's status, one report per failure
// and none for a missing key where one is expected.
TEST_F(ReportContextTest, OpenersLeaveTheGuardEmptyAndReportOnce) {
    enum Opener { kOpen, kOpenIfPresent, kCreate };
    struct Case {
        Opener opener;
        LPCSTR path;       // below the test's key
        DWORD fault;       // injected into the opening call, 0 for none
        DWORD status;      // the last error afterwards
        bool held;
        size_t reports;
    };
    const Case cases[] = {
        {kOpen, "there", 0, ERROR_SUCCESS, true, 0},
        {kOpen, "missing", 0, ERROR_FILE_NOT_FOUND, false, 1},
        {kOpen, "there", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, false, 1},
        {kOpenIfPresent, "there", 0, ERROR_SUCCESS, true, 0},
        {kOpenIfPresent, "missing", 0, ERROR_FILE_NOT_FOUND, false, 0},
        {kOpenIfPresent, "there", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, false, 1},
        {kCreate, "missing\\deeper", 0, ERROR_SUCCESS, true, 0},
        {kCreate, "there", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, false, 1},
    };
    KeyGuard there;
    ASSERT_EQ(ERROR_SUCCESS, there.Create(Root(), "there", 0, KEY_ALL_ACCESS));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " opener " + std::to_string(c.opener));
        sim::ClearFaults();
        if (c.fault) sim::FailCall(c.opener == kCreate ? "RegCreateKeyExA" : "RegOpenKeyExA", 1, c.fault);
        const size_t before = sim::MessageBoxes().size();
        const KeyReport report{"HKEY_CURRENT_USER\\Software\\T", kActionWriteAccess, "lead "};
        KeyGuard key;
        SetLastError(0xdead);
        bool opened = false;
        if (c.opener == kOpen) opened = OpenKey(nullptr, Root(), c.path, KEY_READ, &key, report);
        if (c.opener == kOpenIfPresent)
            opened = OpenKeyIfPresent(nullptr, Root(), c.path, KEY_READ, &key, report) == Presence::kPresent;
        if (c.opener == kCreate) opened = CreateKey(nullptr, Root(), c.path, 0, KEY_WRITE, &key, report);
        const DWORD status = GetLastError();
        EXPECT_EQ(c.held, opened);
        EXPECT_EQ(c.held, key.key != nullptr);
        if (!c.held) {
            EXPECT_EQ(c.status, status);
        }
        ASSERT_EQ(before + c.reports, sim::MessageBoxes().size());
        if (!c.reports) continue;
        EXPECT_EQ(ExpectedReport("lead レジストリキー\"HKEY_CURRENT_USER\\Software\\T\"に書き込みアクセスを適用できません。",
                                 c.status),
                  sim::MessageBoxes().back().text);
    }
}

}  // namespace
