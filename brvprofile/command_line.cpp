// Parsing brvprofile's arguments: which options each command takes, what
// must follow them, and the help texts.
#include "brvprofile/command_line.h"

#include <cstring>

namespace {

// What a command accepts beyond its file.
struct CommandShape {
    const char* word;
    ToolCommand command;
    bool namesKind;   // save: "ies" or "ips" comes before the file
    bool tree;        // --tree
    bool only;        // --only NAME
    bool options;     // --no-internet-options
    bool comment;     // --comment TEXT
};

const CommandShape kShapes[] = {
    {"show", kCommandShow, false, true, false, false, false},
    {"check", kCommandCheck, false, false, false, false, false},
    {"diff", kCommandDiff, false, false, true, false, false},
    {"apply", kCommandApply, false, false, true, true, false},
    {"save", kCommandSave, true, false, true, true, true},
};

const CommandShape* ShapeNamed(const char* word);
int TakeOption(const CommandShape& shape, int count, const char* const* arguments, int* at, ToolRequest* request,
               std::string* problem);
int TakePositional(const CommandShape& shape, const char* argument, ToolRequest* request, std::string* problem);
int CheckComplete(const CommandShape& shape, ToolRequest* request, std::string* problem);

}  // namespace

int ParseToolArguments(int count, const char* const* arguments, ToolRequest* request, std::string* problem) {
    *request = ToolRequest{kCommandHelp, FALSE, "", nullptr, FALSE, FALSE, FALSE, "", {}};
    if (count == 0) {
        *problem = "コマンドを指定してください。";
        return 0;
    }
    if (std::strcmp(arguments[0], "--help") == 0 || std::strcmp(arguments[0], "help") == 0) {
        request->help = TRUE;
        return 1;
    }
    const CommandShape* shape = ShapeNamed(arguments[0]);
    if (!shape) {
        *problem = std::string("コマンド\"") + arguments[0] + "\"はありません。";
        return 0;
    }
    request->command = shape->command;
    for (int at = 1; at < count; ++at) {
        const char* argument = arguments[at];
        if (std::strcmp(argument, "--help") == 0) {
            request->help = TRUE;
            return 1;
        }
        const int taken = std::strncmp(argument, "--", 2) == 0
                              ? TakeOption(*shape, count, arguments, &at, request, problem)
                              : TakePositional(*shape, argument, request, problem);
        if (!taken) return 0;
    }
    return CheckComplete(*shape, request, problem);
}

namespace {

const CommandShape* ShapeNamed(const char* word) {
    for (const CommandShape& shape : kShapes)
        if (std::strcmp(shape.word, word) == 0) return &shape;
    return nullptr;
}

// One option, with its value when it takes one (`*at` then moves past it).
int TakeOption(const CommandShape& shape, int count, const char* const* arguments, int* at, ToolRequest* request,
               std::string* problem) {
    const std::string option = arguments[*at];
    const bool takesValue = (option == "--only" && shape.only) || (option == "--comment" && shape.comment);
    if (takesValue && *at + 1 >= count) {
        *problem = "オプション\"" + option + "\"の後に値がありません。";
        return 0;
    }
    if (option == "--tree" && shape.tree) {
        request->tree = TRUE;
    } else if (option == "--no-internet-options" && shape.options) {
        request->noInternetOptions = TRUE;
    } else if (option == "--only" && shape.only) {
        request->only.push_back(arguments[++*at]);
    } else if (option == "--comment" && shape.comment && !request->hasComment) {
        request->hasComment = TRUE;
        request->comment = arguments[++*at];
    } else {
        *problem = "オプション\"" + option + "\"はこのコマンドでは使えません。";
        return 0;
    }
    return 1;
}

// The kind word of save, then the file; nothing more.
int TakePositional(const CommandShape& shape, const char* argument, ToolRequest* request, std::string* problem) {
    if (shape.namesKind && !request->kind) {
        request->kind = KindNamed(argument);
        if (request->kind) return 1;
        *problem = std::string("種類\"") + argument + "\"はありません。iesかipsを指定してください。";
        return 0;
    }
    if (!request->file.empty()) {
        *problem = std::string("余分な引数\"") + argument + "\"があります。";
        return 0;
    }
    request->file = argument;
    return 1;
}

// The file must be there and name its kind by its extension.
int CheckComplete(const CommandShape& shape, ToolRequest* request, std::string* problem) {
    if (shape.namesKind && !request->kind) {
        *problem = "種類(iesかips)とファイルを指定してください。";
        return 0;
    }
    if (request->file.empty()) {
        *problem = "ファイルを指定してください。";
        return 0;
    }
    const SettingsGroup* byExtension = KindOfFile(request->file.c_str());
    if (!byExtension || (request->kind && request->kind != byExtension)) {
        *problem = "ファイル\"" + request->file + "\"の拡張子が" +
                   (request->kind ? request->kind->extension : std::string(".iesか.ips")) + "ではありません。";
        return 0;
    }
    request->kind = byExtension;
    if (request->noInternetOptions && !request->kind->options) {
        *problem = "TCP/IPのファイルにはインターネットオプションがありません。";
        return 0;
    }
    return 1;
}

}  // namespace
