// brvprofile's commands on a parsed request: what each prints, and the exit
// code it ends with. Failures and findings are reported through
// ReportSystemError and ShowInformation (standard error in the console
// program); what a command finds out goes to the console given here.
#pragma once

#include <string>

#include "brvprofile/command_line.h"

constexpr int kExitDone = 0;       // everything asked for was done
constexpr int kExitPartly = 1;     // some entries missing here or failed, each named
constexpr int kExitRefused = 2;    // the file was refused (damaged, foreign, unreadable)
constexpr int kExitUsage = 64;     // bad usage

// Where a command's own output goes: cp932 text, written as it comes.
struct ToolConsole {
    void (*write)(void* context, const std::string& text);
    void* context;
};

inline void Print(const ToolConsole& console, const std::string& text) { console.write(console.context, text); }

// Runs `request` (not help) on the file at ProfileFilePath, with an empty
// WorkDirectory that the caller empties again afterwards. Returns the exit
// code.
int RunToolRequest(const ToolRequest& request, const ToolConsole& console);

// show and check (inspect.cpp): what a file holds, and whether a load can
// read all of it.
int ShowProfileFile(const ToolRequest& request, const ToolConsole& console);
int CheckProfileFile(const ToolRequest& request, const ToolConsole& console);

// diff, apply and save through the program's own dialogs (Windows only;
// elsewhere they say so and end with kExitUsage).
int DiffProfileFile(const ToolRequest& request, const ToolConsole& console);
int ApplyProfileFile(const ToolRequest& request, const ToolConsole& console);
int SaveProfileFile(const ToolRequest& request, const ToolConsole& console);
