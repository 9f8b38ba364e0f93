// The console program itself, run as a separate process on Linux: exit
// codes, help and bad usage for each command, UTF-8 on the console, reports
// on standard error, and a work folder that is gone afterwards.
#include <gtest/gtest.h>
#include <dirent.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ieoe/ieoe_group.h"
#include "tests/unit/brvprofile/tool_test_util.h"

namespace {

struct Ran {
    int code;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ConsoleTest : public IeOeTest {
protected:
    void SetUp() override {
        IeOeTest::SetUp();
        char pattern[] = "/tmp/brvprofile-test.XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        host_ = pattern;
        ASSERT_EQ(0, mkdir((host_ + "/tmp").c_str(), 0700));
    }
    void TearDown() override {
        std::system(("rm -rf '" + host_ + "'").c_str());
        IeOeTest::TearDown();
    }
    // Runs the program with `arguments` (single-quoted for the shell) and a
    // temporary folder of this test's own.
    Ran Start(const std::vector<std::string>& arguments) {
        std::string command = "TMPDIR='" + host_ + "/tmp' '" + BRVPROFILE_EXE + "'";
        for (const std::string& a : arguments) command += " '" + a + "'";
        command += " >'" + host_ + "/out' 2>'" + host_ + "/err'";
        const int status = std::system(command.c_str());
        return Ran{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(host_ + "/out"), Slurp(host_ + "/err")};
    }
    // A host path the simulation passes through, for the profile file.
    std::string HostProfile(const std::string& name) { return host_ + "/" + name; }
    bool WorkFoldersLeft() {
        DIR* d = opendir((host_ + "/tmp").c_str());
        bool left = false;
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') left = true;
        closedir(d);
        return left;
    }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    std::string host_;
};

TEST_F(ConsoleTest, HelpOfTheProgramAndOfEachCommandInUtf8) {
    Ran overview = Start({"--help"});
    EXPECT_EQ(0, overview.code);
    EXPECT_TRUE(Has(overview.out, u8"使い方: brvprofile COMMAND ...\n")) << overview.out;
    EXPECT_TRUE(overview.err.empty());
    for (const char* command : {"show", "check", "diff", "apply", "save"}) {
        Ran help = Start({command, "--help"});
        EXPECT_EQ(0, help.code) << command;
        EXPECT_EQ(0u, help.out.find(std::string(u8"使い方: brvprofile ") + command + " ")) << help.out;
    }
}

TEST_F(ConsoleTest, BadUsageOfEachCommandEndsWith64AndSaysWhy) {
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{}, u8"コマンドを指定してください。"},
        {{"show"}, u8"ファイルを指定してください。"},
        {{"check", "a.ies", "--tree"}, u8"オプション\"--tree\"はこのコマンドでは使えません。"},
        {{"diff", "a.txt"}, u8"の拡張子が.iesか.ipsではありません。"},
        {{"apply", "a.ies", "--only"}, u8"オプション\"--only\"の後に値がありません。"},
        {{"save", "xls", "a.ies"}, u8"種類\"xls\"はありません。"},
    };
    for (const auto& c : cases) {
        Ran ran = Start(c.args);
        EXPECT_EQ(64, ran.code) << c.reason;
        EXPECT_EQ(0u, ran.err.find("brvprofile: ")) << ran.err;
        EXPECT_TRUE(Has(ran.err.substr(0, ran.err.find('\n')), c.reason)) << ran.err;
        EXPECT_TRUE(Has(ran.err, u8"使い方: brvprofile COMMAND")) << ran.err;
        EXPECT_TRUE(ran.out.empty());
    }
}

TEST_F(ConsoleTest, ShowWritesUtf8AndLeavesNoWorkFolder) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindIeOe, "佐藤", "会社のPC"));
    ASSERT_EQ(1, AppendIndexRecord(nullptr, WorkDirectory, kIeOeGroup.indexName, "営業部"));
    WriteBytes(std::string(WorkDirectory) + "gateway.0", "");
    const std::string profile = HostProfile("共有.ies");
    ASSERT_NE(0, PackProfileFile(nullptr, profile.c_str(), WorkDirectory));
    Ran shown = Start({"show", profile});
    EXPECT_EQ(0, shown.code) << shown.err;
    EXPECT_TRUE(Has(shown.out, u8"種類: IE/OE\n保存元ユーザ名: 佐藤\n保存者コメント: 会社のPC\n")) << shown.out;
    EXPECT_TRUE(Has(shown.out, u8"  レコード 0: \"営業部\" スナップショット gateway.0\n")) << shown.out;
    EXPECT_TRUE(shown.err.empty()) << shown.err;
    EXPECT_FALSE(WorkFoldersLeft());
}

TEST_F(ConsoleTest, ARefusedFileEndsWith2AndTheReasonOnStandardError) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindTcpip, "PC", ""));
    ASSERT_EQ(1, AppendIndexRecord(nullptr, WorkDirectory, kIeOeGroup.indexName, "A"));
    const std::string profile = HostProfile("foreign.ies");
    ASSERT_NE(0, PackProfileFile(nullptr, profile.c_str(), WorkDirectory));
    Ran checked = Start({"check", profile});
    EXPECT_EQ(2, checked.code);
    EXPECT_EQ(u8"バージョンが一致しません。\n", checked.err);
    EXPECT_TRUE(checked.out.empty()) << checked.out;

    Ran missing = Start({"check", HostProfile("none.ips")});
    EXPECT_EQ(2, missing.code);
    EXPECT_FALSE(missing.err.empty());
    EXPECT_FALSE(WorkFoldersLeft());
}

// A failed system call is reported with the whole text of the box, its
// lines ending with LF on a console.
TEST_F(ConsoleTest, ASystemErrorReportIsTheBoxTextOnStandardError) {
    ASSERT_EQ(1, WriteProfileHeader(nullptr, WorkDirectory, kProfileKindTcpip, "PC", ""));
    const std::string profile = HostProfile("noindex.ips");
    ASSERT_NE(0, PackProfileFile(nullptr, profile.c_str(), WorkDirectory));
    Ran checked = Start({"check", profile});
    EXPECT_EQ(2, checked.code);
    EXPECT_EQ(0u, checked.err.find(u8"予期せぬエラーが発生しました。\n"
                                   u8"テンポラリファイル\"" + host_ + "/tmp/brvprofile."))
        << checked.err;
    EXPECT_TRUE(Has(checked.err, u8"tcpip\"に読み込みアクセスを適用できません。\n")) << checked.err;
    EXPECT_TRUE(Has(checked.err, u8"ほかのプログラムを終了してから、やり直してください。")) << checked.err;
    EXPECT_FALSE(Has(checked.err, "\r"));
}

TEST_F(ConsoleTest, CommandsOnTheLiveRegistryNeedWindows) {
    for (const char* command : {"diff", "apply"}) {
        Ran ran = Start({command, HostProfile("a.ies")});
        EXPECT_EQ(64, ran.code) << command;
        EXPECT_EQ(u8"このコマンドはWindowsでのみ使えます。\n", ran.err) << command;
    }
    EXPECT_EQ(64, Start({"save", "ies", HostProfile("a.ies")}).code);
}

}  // namespace
