// What brvprofile was asked to do: the command, the file and the options,
// parsed from its arguments, and the help text of each command.
#pragma once

#include <string>
#include <vector>

#include "brvprofile/profile_kinds.h"

enum ToolCommand : int {
    kCommandShow,
    kCommandCheck,
    kCommandDiff,
    kCommandApply,
    kCommandSave,
    kCommandHelp,  // "brvprofile --help"
};

struct ToolRequest {
    ToolCommand command;
    BOOL help;                  // "--help" after the command
    std::string file;           // as given
    const SettingsGroup* kind;    // from the file's extension (save: named)
    BOOL tree;                  // show --tree
    BOOL noInternetOptions;     // --no-internet-options
    BOOL hasComment;            // save --comment TEXT
    std::string comment;
    std::vector<std::string> only;  // --only NAME, in the order given
};

// Parses the arguments after the program's name (cp932 texts). Returns 1,
// or 0 with a one-line reason (cp932) in `problem`.
int ParseToolArguments(int count, const char* const* arguments, ToolRequest* request, std::string* problem);

// The help of `command` (kCommandHelp: the list of commands), cp932.
const char* ToolHelpText(ToolCommand command);
