// The context of a failure report on one named thing: what it is, its full
// name in double quotes and what could not be done to it, optionally after
// what was being done: レジストリキー"HKEY_CURRENT_USER\Identities"に読み込み
// アクセスを適用できません。 Every report of that shape is composed here, so
// the kinds and the action phrases are written once.
#pragma once

#include "winapi/message_size.h"
#include "winapi/winapi.h"

// What the quoted name names.
enum class Named { kRegistryKey, kRegistryValue, kTemporaryFile, kDirectory, kFile };

// The action phrases, each read right after the closing quote.
constexpr char kActionReadAccess[] = "に読み込みアクセスを適用できません。";
constexpr char kActionWriteAccess[] = "に書き込みアクセスを適用できません。";
constexpr char kActionFullAccess[] = "をフルアクセスを適用できません。";
constexpr char kActionCreateWriteAccess[] = "を作成し、書き込みアクセスを適用できません。";
constexpr char kActionCreateFullAccess[] = "を作成し、フルアクセスを適用できません。";
constexpr char kActionCreate[] = "を作成できません。";
constexpr char kActionDelete[] = "を削除できません。";
constexpr char kActionNotFound[] = "が見つかりません。";
constexpr char kActionListSubkeys[] = "のサブキーを列挙できません。";
constexpr char kActionListValues[] = "の値を列挙できません。";
constexpr char kActionListFiles[] = "のファイルを列挙できません。";
constexpr char kActionGetSize[] = "のサイズを取得できません。";
constexpr char kActionGetData[] = "のデータを取得できません。";
constexpr char kActionGetValue[] = "から値を取得できません。";
constexpr char kActionSetValue[] = "に値を設定できません。";
constexpr char kActionWriteInto[] = "に書き込めません。";
constexpr char kActionCutPartialRecord[] = "から書きかけのレコードを削除できません。";

// Composes <lead><kind>"<name>"<action> into `context` (kMessageBufferSize
// bytes), cut where wsprintfA cuts, and returns `context`. `lead` may be "".
LPCSTR ComposeReportContext(LPSTR context, LPCSTR lead, Named kind, LPCSTR name, LPCSTR action);

// Reports the calling thread's last error with that context; the last error
// survives the composition.
void ReportFailureOn(HWND owner, Named kind, LPCSTR name, LPCSTR action, LPCSTR lead = "");
