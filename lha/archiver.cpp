#include "lha/archiver.h"

#include "lha/archive_internal.h"

namespace {

constexpr int kTokenSize = MAX_PATH;
constexpr int kMaxTokens = 4;

struct CommandTokens {
    int count;
    CHAR text[kMaxTokens][kTokenSize];
};

bool SplitCommandTokens(LPCSTR line, CommandTokens* tokens);
LhaStatus RunCommand(const CommandTokens& tokens, LPSTR output, DWORD outputSize, ArchiverFailure* failure);
LPCSTR IoFailureFormat(ArchiverAction action);
LPCSTR DataFailureFormat(LhaStatus status);

}  // namespace

int CarryOutArchiverCommand(LPCSTR commandLine, LPSTR output, DWORD outputSize, ArchiverFailure* failure) {
    failure->status = kLhaOk;
    failure->action = kActionNone;
    failure->systemError = 0;
    failure->subject[0] = '\0';
    failure->detail[0] = '\0';
    if (output && outputSize > 0) output[0] = '\0';

    CommandTokens tokens;
    LhaStatus status = kLhaBadCommand;
    if (SplitCommandTokens(commandLine ? commandLine : "", &tokens) && tokens.count >= 2 &&
        tokens.text[0][1] == '\0')
        status = RunCommand(tokens, output, outputSize, failure);
    if (status == kLhaBadCommand) RecordDataFailure(failure, kLhaBadCommand, commandLine ? commandLine : "", nullptr);
    return status;
}

// For kLhaIoFailed the context before the system's text; otherwise the whole
// message, where the method of kLhaUnsupported follows the subject.
void FormatArchiverFailure(const ArchiverFailure& failure, LPSTR text) {
    if (failure.status == kLhaOk) {
        text[0] = '\0';
        return;
    }
    LPCSTR format =
        failure.status == kLhaIoFailed ? IoFailureFormat(failure.action) : DataFailureFormat(failure.status);
    wsprintfA(text, format, failure.subject, failure.detail);
}

void RecordIoFailure(ArchiverFailure* failure, ArchiverAction action, LPCSTR subject) {
    failure->systemError = GetLastError();
    failure->status = kLhaIoFailed;
    failure->action = action;
    lstrcpynA(failure->subject, subject, MAX_PATH);
}

void RecordDataFailure(ArchiverFailure* failure, LhaStatus status, LPCSTR subject, LPCSTR detail) {
    failure->status = status;
    failure->action = kActionNone;
    lstrcpynA(failure->subject, subject, MAX_PATH);
    int i = 0;
    // A method id from a hostile header may hold any bytes: show printable ones only.
    for (; detail && detail[i] && i < static_cast<int>(sizeof failure->detail) - 1; ++i) {
        unsigned char c = static_cast<unsigned char>(detail[i]);
        failure->detail[i] = (c >= 0x20 && c < 0x7F) ? static_cast<CHAR>(c) : '?';
    }
    failure->detail[i] = '\0';
}

namespace {

// Splits at spaces; a token in double quotes may hold spaces. No escapes.
bool SplitCommandTokens(LPCSTR line, CommandTokens* tokens) {
    tokens->count = 0;
    LPCSTR p = line;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (*p == '\0') return true;
        if (tokens->count == kMaxTokens) return false;
        LPSTR out = tokens->text[tokens->count++];
        int length = 0;
        if (*p == '"') {
            ++p;
            while (*p && *p != '"') {
                if (length == kTokenSize - 1) return false;
                out[length++] = *p++;
            }
            if (*p != '"') return false;
            ++p;
            if (*p != '\0' && *p != ' ' && *p != '\t') return false;
        } else {
            while (*p && *p != ' ' && *p != '\t') {
                if (length == kTokenSize - 1) return false;
                out[length++] = *p++;
            }
        }
        out[length] = '\0';
    }
}

bool IsAllMembers(LPCSTR pattern) { return !lstrcmpA(pattern, "*") || !lstrcmpA(pattern, "*.*"); }

// True when the last character is '\' or '/' (the second byte of a cp932
// character that happens to be 0x5C is not one).
bool EndsWithSeparator(LPCSTR path) {
    int length = lstrlenA(path);
    return length > 0 && Cp932FolderPartLength(path) == length;
}

// `e`: a folder without its final separator gets one in its own style.
LhaStatus ExtractInto(LPCSTR archive, LPCSTR target, LPSTR output, DWORD outputSize, ArchiverFailure* failure) {
    CHAR folder[kTokenSize + 1];
    lstrcpynA(folder, target, kTokenSize);
    if (!EndsWithSeparator(folder)) {
        bool slashes = false, backslashes = false;
        for (LPCSTR p = folder; *p; ++p) {
            slashes = slashes || *p == '/';
            backslashes = backslashes || *p == '\\';
        }
        lstrcatA(folder, slashes && !backslashes ? "/" : "\\");
    }
    return WalkMembers(kExtractMembers, archive, folder, output, outputSize, failure);
}

// The command named by the one-letter first token, when its other tokens fit.
LhaStatus RunCommand(const CommandTokens& tokens, LPSTR output, DWORD outputSize, ArchiverFailure* failure) {
    const int count = tokens.count;
    LPCSTR archive = tokens.text[1];
    switch (tokens.text[0][0]) {
    case 'a':
    case 'A':
        return count == 3 ? AddFolderFiles(archive, tokens.text[2], failure) : kLhaBadCommand;
    case 'e':
    case 'E':
        return count == 3 || (count == 4 && IsAllMembers(tokens.text[3]))
                   ? ExtractInto(archive, tokens.text[2], output, outputSize, failure)
                   : kLhaBadCommand;
    case 'l':
    case 'L':
        return count == 2 ? WalkMembers(kListMembers, archive, "", output, outputSize, failure) : kLhaBadCommand;
    case 't':
    case 'T':
        return count == 2 ? WalkMembers(kTestMembers, archive, "", output, outputSize, failure) : kLhaBadCommand;
    default:
        return kLhaBadCommand;
    }
}

LPCSTR IoFailureFormat(ArchiverAction action) {
    switch (action) {
    case kActionOpenForReading:
        return "ファイル\"%s\"に読み込みアクセスを適用できません。";
    case kActionRead:
        return "ファイル\"%s\"から読み込めません。";
    case kActionCreate:
        return "ファイル\"%s\"を作成し、書き込みアクセスを適用できません。";
    case kActionWrite:
        return "ファイル\"%s\"に書き込めません。";
    case kActionReplace:
        return "%sに上書きできません。";
    case kActionListFolder:
        return "ディレクトリ\"%s\"のファイルを列挙できません。";
    default:
        return "書庫\"%s\"を処理するメモリを確保できません。";
    }
}

LPCSTR DataFailureFormat(LhaStatus status) {
    switch (status) {
    case kLhaNotArchive:
        return "ファイル\"%s\"はLHA形式の書庫ではありません。";
    case kLhaDamaged:
        return "ファイル\"%s\"が破損しています。";
    case kLhaUnsupported:
        return "ファイル\"%s\"には展開できない形式のデータ(%s)が含まれています。";
    case kLhaUnsafeName:
        return "ファイル\"%s\"には安全に展開できない名前のファイルが含まれています。";
    case kLhaTooLarge:
        return "ファイル\"%s\"は大きすぎるため処理できません。";
    default:
        return "書庫のコマンド\"%s\"を実行できません。";
    }
}

}  // namespace
