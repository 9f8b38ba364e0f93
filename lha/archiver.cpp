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
bool IsAllMembers(LPCSTR pattern);
bool EndsWithSeparator(LPCSTR path);

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
        tokens.text[0][1] == '\0') {
        switch (tokens.text[0][0]) {
        case 'a':
        case 'A':
            if (tokens.count == 3) status = AddFolderFiles(tokens.text[1], tokens.text[2], failure);
            break;
        case 'e':
        case 'E':
            if (tokens.count >= 3 && (tokens.count == 3 || IsAllMembers(tokens.text[3]))) {
                // A folder without its final separator gets one in its own style.
                CHAR folder[kTokenSize + 1];
                lstrcpynA(folder, tokens.text[2], kTokenSize);
                if (!EndsWithSeparator(folder)) {
                    bool slashes = false, backslashes = false;
                    for (LPCSTR p = folder; *p; ++p) {
                        slashes = slashes || *p == '/';
                        backslashes = backslashes || *p == '\\';
                    }
                    lstrcatA(folder, slashes && !backslashes ? "/" : "\\");
                }
                status = WalkMembers(kExtractMembers, tokens.text[1], folder, output, outputSize, failure);
            }
            break;
        case 'l':
        case 'L':
            if (tokens.count == 2) status = WalkMembers(kListMembers, tokens.text[1], "", output, outputSize, failure);
            break;
        case 't':
        case 'T':
            if (tokens.count == 2) status = WalkMembers(kTestMembers, tokens.text[1], "", output, outputSize, failure);
            break;
        default:
            break;
        }
    }
    if (status == kLhaBadCommand) RecordDataFailure(failure, kLhaBadCommand, commandLine ? commandLine : "", nullptr);
    return status;
}

void FormatArchiverFailure(const ArchiverFailure& failure, LPSTR text) {
    LPCSTR s = failure.subject;
    switch (failure.status) {
    case kLhaOk:
        text[0] = '\0';
        return;
    case kLhaIoFailed:
        switch (failure.action) {
        case kActionOpenForReading:
            wsprintfA(text, "ファイル\"%s\"に読み込みアクセスを適用できません。", s);
            return;
        case kActionRead:
            wsprintfA(text, "ファイル\"%s\"から読み込めません。", s);
            return;
        case kActionCreate:
            wsprintfA(text, "ファイル\"%s\"を作成し、書き込みアクセスを適用できません。", s);
            return;
        case kActionWrite:
            wsprintfA(text, "ファイル\"%s\"に書き込めません。", s);
            return;
        case kActionReplace:
            wsprintfA(text, "%sに上書きできません。", s);
            return;
        case kActionListFolder:
            wsprintfA(text, "ディレクトリ\"%s\"のファイルを列挙できません。", s);
            return;
        default:
            wsprintfA(text, "書庫\"%s\"を処理するメモリを確保できません。", s);
            return;
        }
    case kLhaNotArchive:
        wsprintfA(text, "ファイル\"%s\"はLHA形式の書庫ではありません。", s);
        return;
    case kLhaDamaged:
        wsprintfA(text, "ファイル\"%s\"が破損しています。", s);
        return;
    case kLhaUnsupported:
        wsprintfA(text, "ファイル\"%s\"には展開できない形式のデータ(%s)が含まれています。", s, failure.detail);
        return;
    case kLhaUnsafeName:
        wsprintfA(text, "ファイル\"%s\"には安全に展開できない名前のファイルが含まれています。", s);
        return;
    case kLhaTooLarge:
        wsprintfA(text, "ファイル\"%s\"は大きすぎるため処理できません。", s);
        return;
    default:
        wsprintfA(text, "書庫のコマンド\"%s\"を実行できません。", s);
        return;
    }
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

}  // namespace
