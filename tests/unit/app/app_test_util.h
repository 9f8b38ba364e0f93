// Helpers for the application-shell tests on the simulation.
#pragma once

#include <string>

#include "testenv.h"
#include "winapi/winapi.h"

// The box text ReportSystemError shows for `context` when the last error is
// `code`: the system's own text comes from the platform, the rest is ours.
inline std::string ExpectedReport(const std::string& context, DWORD code) {
    LPSTR system = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&system), 0,
                   nullptr);
    std::string systemText = system ? system : "";
    if (system) LocalFree(system);
    return std::string("予期せぬエラーが発生しました。\r\n") + context + "\r\n" + systemText +
           "ほかのプログラムを終了してから、やり直してください。問題が解決しない場合は、システムを再起動してください。";
}
