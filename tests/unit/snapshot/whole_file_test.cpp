// Reading a whole file: the bytes, a missing file where one may be missing,
// and each failure reported once with its own text and the system's code.
#include "snapshot/whole_file.h"

#include <unistd.h>

#include <string>

#include "testenv.h"

namespace {

class WholeFileTest : public BrvTest {};

TEST_F(WholeFileTest, ReadsTheBytesOrReportsEachFailureOnce) {
    struct Case {
        LPCSTR what;
        LPCSTR content;     // nullptr: no file
        int length;
        LPCSTR fault;       // the call that fails, or nullptr
        bool mayBeAbsent;
        LPCSTR sizeFailure;
        Presence expected;
        DWORD code;         // of the report
        LPCSTR context;     // of the report, %s for the path; nullptr: none
    };
    const Case cases[] = {
        {"bytes", "abc\0d", 5, nullptr, false, nullptr, Presence::kPresent, 0, nullptr},
        {"empty", "", 0, nullptr, false, nullptr, Presence::kPresent, 0, nullptr},
        {"absent", nullptr, 0, nullptr, true, nullptr, Presence::kAbsent, 0, nullptr},
        {"missing", nullptr, 0, nullptr, false, nullptr, Presence::kFailed, ERROR_FILE_NOT_FOUND,
         "前置き、テンポラリファイル\"%s\"に読み込みアクセスを適用できません。"},
        {"size", "abc", 3, "GetFileSize", false, nullptr, Presence::kFailed, ERROR_ACCESS_DENIED,
         "テンポラリファイル\"%s\"のサイズを取得できません。"},
        {"own size text", "abc", 3, "GetFileSize", false, "大きさ不明%s", Presence::kFailed, ERROR_ACCESS_DENIED,
         "大きさ不明%s"},
        {"heap", "abc", 3, "HeapAlloc", false, nullptr, Presence::kFailed, ERROR_NOT_ENOUGH_MEMORY, "読めない\"%s\""},
        {"read", "abc", 3, "ReadFile", false, nullptr, Presence::kFailed, ERROR_ACCESS_DENIED, "読めない\"%s\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Dir() + "f";
        const std::string content = c.content ? std::string(c.content, c.length) : "";
        if (c.content) WriteBytes(path, content);
        if (!c.content) DeleteFileA(path.c_str());
        sim::ClearFaults();
        if (c.fault) sim::FailCall(c.fault, 1, c.code);
        const size_t before = sim::MessageBoxes().size();
        const WholeFileReport report{"前置き、", c.sizeFailure, "読めない\"%s\"", c.mayBeAbsent};
        HeapBlock contents;
        DWORD size = 99;
        EXPECT_EQ(c.expected, ReadWholeFile(nullptr, path.c_str(), report, &contents, &size));
        if (c.expected == Presence::kPresent) {
            ASSERT_NE(nullptr, contents.block);
            EXPECT_EQ(content, std::string(contents.text(), size));
        }
        ASSERT_EQ(before + (c.context ? 1 : 0), sim::MessageBoxes().size());
        if (!c.context) continue;
        CHAR context[kMessageBufferSize];
        wsprintfA(context, c.context, path.c_str());
        EXPECT_EQ(ExpectedReport(context, c.code), sim::MessageBoxes().back().text);
    }
}

// A file of 4 GiB or more cannot be held in one block: refused as out of
// memory, never read (a sparse file on the host).
TEST_F(WholeFileTest, RefusesFilesOfFourGibibytesOrMore) {
    const std::string path = Dir() + "huge";
    WriteBytes(path, "x");
    ASSERT_EQ(0, truncate(sim::HostPath(path).c_str(), 0x100000001LL));
    sim::ForgetCallCounts();
    HeapBlock contents;
    DWORD size = 0;
    const WholeFileReport report{"", nullptr, "読めない\"%s\"", false};
    EXPECT_EQ(Presence::kFailed, ReadWholeFile(nullptr, path.c_str(), report, &contents, &size));
    EXPECT_EQ(0, sim::CallCount("ReadFile"));
    ASSERT_EQ(1u, sim::MessageBoxes().size());
    EXPECT_EQ(ExpectedReport("読めない\"" + path + "\"", ERROR_NOT_ENOUGH_MEMORY), sim::MessageBoxes()[0].text);
}

}  // namespace
