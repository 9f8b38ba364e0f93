// The fixture every unit test derives from. On the simulation it resets the
// simulated machine and, at tear-down, checks that no key, handle or heap
// block was left open. Under Wine it gives each test its own registry key and
// scratch folder on the real system and removes them afterwards.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "winapi/winapi.h"

#if BRV_SIM
#include "winapi/sim/simctl.h"
#endif

struct RegValue {
    std::string name;
    DWORD type;
    std::string data;
    bool operator==(const RegValue& o) const { return name == o.name && type == o.type && data == o.data; }
};

struct RegTree {
    std::vector<RegValue> values;                         // enumeration order
    std::vector<std::pair<std::string, RegTree>> subkeys;  // enumeration order
    bool operator==(const RegTree& o) const { return values == o.values && subkeys == o.subkeys; }
};

// Trees and values print as an indented listing, so that EXPECT_EQ on two
// trees shows both sides.
void PrintTo(const RegValue& value, std::ostream* out);
void PrintTo(const RegTree& tree, std::ostream* out);

// The whole text ReportSystemError shows for `context` when the last error
// is `code`: the system's own text comes from the platform, the rest is ours.
std::string ExpectedReport(const std::string& context, DWORD code);

// Removes the key `subPath` below `parent` with everything below it; a
// missing key is no error.
void DeleteKeyTree(HKEY parent, const std::string& subPath);

class BrvTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A Windows folder for this test's files, ending with a backslash; exists.
    const std::string& Dir() const { return dir_; }
    // A registry key of this test's own (full path with the root spelled out,
    // and an open handle with KEY_ALL_ACCESS); exists and is empty.
    const std::string& RootPath() const { return rootPath_; }
    HKEY Root() const { return root_; }
    // The root key of RootPath() (HKEY_CURRENT_USER) and the path below it.
    HKEY RootParent() const { return HKEY_CURRENT_USER; }
    const std::string& RootSubPath() const { return rootSubPath_; }

    // File helpers through the Windows API (they fail the test on error).
    static std::string ReadBytes(const std::string& windowsPath);
    static void WriteBytes(const std::string& windowsPath, const std::string& bytes);
    static bool FileExists(const std::string& windowsPath);
    static std::vector<std::string> ListFiles(const std::string& windowsDir);  // plain files, sorted

    // Registry helpers through the Windows API.
    static RegTree DumpTree(HKEY key);
    static void BuildTree(HKEY key, const RegTree& tree);

private:
    std::string dir_;
    std::string rootPath_;
    std::string rootSubPath_;
    HKEY root_ = nullptr;
};
