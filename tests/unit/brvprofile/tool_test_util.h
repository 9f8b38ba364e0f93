// Shared by the brvprofile suites: running a request as the console program
// would, with its output captured, and making profile files to look at.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/workarea.h"
#include "brvprofile/tool.h"
#include "snapshot/index_file.h"
#include "snapshot/profile_file.h"
#include "snapshot/profile_header.h"
#include "snapshot/registry_snapshot.h"
#include "tests/unit/ieoe/ieoe_test_util.h"

namespace tooltest {

inline void Capture(void* context, const std::string& text) { static_cast<std::string*>(context)->append(text); }

struct Outcome {
    int code;
    std::string out;
};

// Parses `arguments` and runs the request on ProfileFilePath in an empty
// work directory, emptied again afterwards, as the program does.
inline Outcome RunTool(std::initializer_list<const char*> arguments) {
    std::vector<const char*> list(arguments);
    ToolRequest request;
    std::string problem;
    EXPECT_TRUE(ParseToolArguments(static_cast<int>(list.size()), list.data(), &request, &problem)) << problem;
    EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));
    Outcome outcome{0, ""};
    const ToolConsole console{Capture, &outcome.out};
    outcome.code = RunToolRequest(request, console);
    EXPECT_TRUE(ClearWorkDirectory(WorkDirectory));
    return outcome;
}

// Packs the work directory's files into ProfileFilePath and empties it.
inline void PackWork() {
    ASSERT_NE(0, PackProfileFile(nullptr, ProfileFilePath, WorkDirectory));
    ASSERT_TRUE(ClearWorkDirectory(WorkDirectory));
}

}  // namespace tooltest
