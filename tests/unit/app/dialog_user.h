// Plays the user of the shell's dialogs in the same test on both sides: on
// the simulation through its scripted user, under Wine through a thread
// timer that waits for the real window and presses its buttons. Message boxes
// are answered the same way.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "testenv.h"
#include "winapi/winapi.h"

namespace user {

// Plays the next dialog that has control `marker` (a control only that
// dialog has): `play` reads and presses through the ordinary API and Press().
// A dialog that `play` leaves open is closed as its close box would.
void PlayDialog(int marker, std::function<void(HWND dialog)> play);
// Answers the next message box with the button `answer` (IDYES, IDNO, ...).
void AnswerMessageBox(int answer);
// Presses push button or check box `id` of `dialog` as a click does.
void Press(HWND dialog, int id);
// Call after the dialog under test has returned: under Wine it stops the
// timer and fails the test if a step was never played.
void Finish();

#if BRV_SIM

inline void PlayDialog(int, std::function<void(HWND)> play) {
    sim::QueueDialogScript([play](HWND dialog, int) { play(dialog); });
}
inline void AnswerMessageBox(int answer) { sim::QueueMessageBoxAnswer(answer); }
inline void Press(HWND dialog, int id) { sim::Click(dialog, id); }
inline void Finish() {}

#else

// One thing the user is to do: wait for a window with control `control`, then act.
struct Step {
    int control;
    std::function<void(HWND)> act;
};

struct Player {
    std::deque<Step> steps;
    UINT_PTR timer = 0;
    int idleTicks = 0;
};

inline Player player;

constexpr UINT kTickMilliseconds = 100;
constexpr int kPatienceTicks = 100;  // ten seconds for a window that should come

struct Search {
    int control;
    HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    Search* search = reinterpret_cast<Search*>(data);
    CHAR className[16];
    if (!GetClassNameA(window, className, sizeof className) || lstrcmpA(className, "#32770") != 0) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || !GetDlgItem(window, search->control)) return TRUE;
    search->found = window;
    return FALSE;
}

// A shown, enabled dialog-class window of this thread with the given control:
// a window under a modal box is disabled, so a box is found before its owner.
inline HWND FindWindowWithControl(int control) {
    Search search{control, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline void Stop() {
    if (player.timer) KillTimer(nullptr, player.timer);
    player.timer = 0;
}

// Closes a window nobody was told to expect, so that the test fails instead of hanging.
inline void CloseLeftover(int control) {
    HWND window = FindWindowWithControl(control);
    if (!window) return;
    CHAR text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    ADD_FAILURE() << "a window was left open (caption \"" << text << "\")";
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
}

inline VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (player.steps.empty()) {
        CloseLeftover(IDOK);
        CloseLeftover(IDCANCEL);
        return;
    }
    HWND window = FindWindowWithControl(player.steps.front().control);
    if (!window) {
        if (++player.idleTicks < kPatienceTicks) return;
        ADD_FAILURE() << "no window with control " << player.steps.front().control << " came up";
        player.steps.clear();
        return;
    }
    player.idleTicks = 0;
    Step step = std::move(player.steps.front());
    player.steps.pop_front();
    step.act(window);
}

inline void Arm(Step step) {
    player.steps.push_back(std::move(step));
    if (!player.timer) player.timer = SetTimer(nullptr, 0, kTickMilliseconds, Tick);
    player.idleTicks = 0;
}

inline void PlayDialog(int marker, std::function<void(HWND)> play) {
    Arm(Step{marker, [play](HWND dialog) {
                 play(dialog);
                 // EndDialog hides the window at once; it is destroyed later.
                 if (IsWindow(dialog) && IsWindowVisible(dialog)) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
             }});
}

inline void AnswerMessageBox(int answer) {
    Arm(Step{answer, [answer](HWND box) { SendMessageA(box, WM_COMMAND, answer, 0); }});
}

inline void Press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline void Finish() {
    Stop();
    EXPECT_TRUE(player.steps.empty()) << player.steps.size() << " steps of the user were never played";
    player.steps.clear();
}

#endif

}  // namespace user
