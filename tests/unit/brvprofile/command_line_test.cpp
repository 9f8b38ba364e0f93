// What each command accepts, what it refuses as bad usage, and the kind a
// file's extension names.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "brvprofile/command_line.h"
#include "ieoe/ieoe_group.h"
#include "tcpip/tcpip_group.h"

namespace {

struct Parsed {
    int ok;
    ToolRequest request;
    std::string problem;
};

Parsed Parse(std::initializer_list<const char*> arguments) {
    std::vector<const char*> list(arguments);
    Parsed parsed;
    parsed.ok = ParseToolArguments(static_cast<int>(list.size()), list.data(), &parsed.request, &parsed.problem);
    return parsed;
}

TEST(CommandLineTest, EachCommandTakesItsFileAndOptions) {
    Parsed show = Parse({"show", "a.ies", "--tree"});
    ASSERT_TRUE(show.ok) << show.problem;
    EXPECT_EQ(kCommandShow, show.request.command);
    EXPECT_EQ("a.ies", show.request.file);
    EXPECT_EQ(&kIeOeGroup, show.request.kind);
    EXPECT_TRUE(show.request.tree);

    Parsed apply = Parse({"apply", "--only", "Taro", "C:\\p\\x.IPS", "--only", "LAN 2"});
    ASSERT_TRUE(apply.ok) << apply.problem;
    EXPECT_EQ(kCommandApply, apply.request.command);
    EXPECT_EQ(&kTcpipGroup, apply.request.kind);
    EXPECT_EQ((std::vector<std::string>{"Taro", "LAN 2"}), apply.request.only);

    Parsed save = Parse({"save", "ies", "out.ies", "--comment", "会社のPC", "--no-internet-options"});
    ASSERT_TRUE(save.ok) << save.problem;
    EXPECT_EQ(kCommandSave, save.request.command);
    EXPECT_EQ(&kIeOeGroup, save.request.kind);
    EXPECT_TRUE(save.request.hasComment);
    EXPECT_EQ("会社のPC", save.request.comment);
    EXPECT_TRUE(save.request.noInternetOptions);

    Parsed diff = Parse({"diff", "a.ies", "--only", "Taro"});
    ASSERT_TRUE(diff.ok) << diff.problem;
    EXPECT_EQ(kCommandDiff, diff.request.command);
    EXPECT_TRUE(Parse({"check", "a.ies"}).ok);
}

TEST(CommandLineTest, HelpForTheProgramAndForEachCommand) {
    for (auto args : {std::vector<const char*>{"--help"}, std::vector<const char*>{"help"}}) {
        ToolRequest request;
        std::string problem;
        ASSERT_TRUE(ParseToolArguments(static_cast<int>(args.size()), args.data(), &request, &problem));
        EXPECT_TRUE(request.help);
        EXPECT_EQ(kCommandHelp, request.command);
    }
    const struct {
        const char* word;
        ToolCommand command;
    } commands[] = {{"show", kCommandShow}, {"check", kCommandCheck}, {"diff", kCommandDiff},
                    {"apply", kCommandApply}, {"save", kCommandSave}};
    for (const auto& c : commands) {
        Parsed parsed = Parse({c.word, "--help"});
        ASSERT_TRUE(parsed.ok) << c.word;
        EXPECT_TRUE(parsed.request.help) << c.word;
        EXPECT_EQ(c.command, parsed.request.command);
        const std::string help = ToolHelpText(c.command);
        EXPECT_EQ(0u, help.find(std::string("使い方: brvprofile ") + c.word + " ")) << help;
    }
}

TEST(CommandLineTest, BadUsageIsRefusedWithItsReason) {
    const struct {
        std::vector<const char*> args;
        const char* reason;
    } cases[] = {
        {{}, "コマンドを指定してください。"},
        {{"list", "a.ies"}, "コマンド\"list\"はありません。"},
        {{"show"}, "ファイルを指定してください。"},
        {{"check"}, "ファイルを指定してください。"},
        {{"diff"}, "ファイルを指定してください。"},
        {{"apply"}, "ファイルを指定してください。"},
        {{"save", "ies"}, "ファイルを指定してください。"},
        {{"save"}, "種類(iesかips)とファイルを指定してください。"},
        {{"save", "xls", "a.ies"}, "種類\"xls\"はありません。iesかipsを指定してください。"},
        {{"save", "ips", "a.ies"}, "ファイル\"a.ies\"の拡張子が.ipsではありません。"},
        {{"show", "a.txt"}, "ファイル\"a.txt\"の拡張子が.iesか.ipsではありません。"},
        {{"show", "a.ies", "b.ies"}, "余分な引数\"b.ies\"があります。"},
        {{"show", "a.ies", "--only", "x"}, "オプション\"--only\"はこのコマンドでは使えません。"},
        {{"check", "a.ies", "--tree"}, "オプション\"--tree\"はこのコマンドでは使えません。"},
        {{"diff", "a.ies", "--no-internet-options"}, "オプション\"--no-internet-options\"はこのコマンドでは使えません。"},
        {{"apply", "a.ies", "--comment", "x"}, "オプション\"--comment\"はこのコマンドでは使えません。"},
        {{"apply", "a.ies", "--only"}, "オプション\"--only\"の後に値がありません。"},
        {{"save", "ies", "a.ies", "--comment"}, "オプション\"--comment\"の後に値がありません。"},
        {{"apply", "a.ips", "--no-internet-options"}, "TCP/IPのファイルにはインターネットオプションがありません。"},
    };
    for (const auto& c : cases) {
        ToolRequest request;
        std::string problem;
        EXPECT_FALSE(ParseToolArguments(static_cast<int>(c.args.size()), c.args.data(), &request, &problem))
            << c.reason;
        EXPECT_EQ(c.reason, problem);
    }
}

TEST(CommandLineTest, KindsByExtensionAndByName) {
    EXPECT_EQ(&kIeOeGroup, KindOfFile("C:\\a\\b.ies"));
    EXPECT_EQ(&kTcpipGroup, KindOfFile("b.IpS"));
    EXPECT_EQ(nullptr, KindOfFile("ies"));
    EXPECT_EQ(nullptr, KindOfFile("b.ies.bak"));
    EXPECT_EQ(&kTcpipGroup, KindNamed("ips"));
    EXPECT_EQ(nullptr, KindNamed("IES"));
}

}  // namespace
