// The help of each command, as --help prints it.
#include "brvprofile/command_line.h"

namespace {

const char kOverview[] =
    "使い方: brvprofile COMMAND ...\n"
    "  show FILE [--tree]          ファイルの内容を表示する\n"
    "  check FILE                  ファイルをロードできるか確かめる (レジストリは変更しない)\n"
    "  diff FILE [--only NAME]...  適用すると変わる値を表示する (Windows)\n"
    "  apply FILE [--only NAME]... [--no-internet-options]\n"
    "                              ファイルの設定を適用する (Windows)\n"
    "  save ies|ips FILE [--only NAME]... [--comment TEXT] [--no-internet-options]\n"
    "                              現行の設定をファイルにセーブする (Windows)\n"
    "各コマンドの詳細: brvprofile COMMAND --help\n"
    "終了コード: 0 完了、1 一部の項目がないか失敗した、2 ファイルを受け付けなかった、64 使い方の誤り\n";

const char kShow[] =
    "使い方: brvprofile show FILE [--tree]\n"
    "FILE (.ies または .ips) の種類、保存元の名前とコメント、インターネットオプションの有無、\n"
    "各項目のレコード番号とスナップショットを表示します。\n"
    "  --tree  各スナップショットを、適用先のパスの下に .reg 形式で表示します。\n"
    "          項目のパスでは、現行のキー名が入る所に項目の名前を表示します。\n"
    "終了コード: 0 表示した、2 ファイルを受け付けなかった、64 使い方の誤り\n";

const char kCheck[] =
    "使い方: brvprofile check FILE\n"
    "ロードで読むすべてを、レジストリを変更せずに確かめます: アーカイブのCRC、プロフィール情報、\n"
    "インデックス、各スナップショットの完全さ、各レコードとスナップショットの対応。\n"
    "終了コード: 0 問題なし、2 最初の問題を標準エラーに表示した、64 使い方の誤り\n";

const char kDiff[] =
    "使い方: brvprofile diff FILE [--only NAME]...\n"
    "各項目について、ロードで選ばれる現行のユーザまたはネットワークと、適用したときに\n"
    "追加 (+)、削除 (-)、変更 (~ 旧 → 新) されるキーと値を表示します。\n"
    "インターネットオプションの5.0サブキーはこのコンピュータのものが残るため、比較しません。\n"
    "  --only NAME  この名前の項目だけを比較します (繰り返し可)。\n"
    "終了コード: 0 表示した、1 このコンピュータにない項目がある、2 ファイルを受け付けなかった\n";

const char kApply[] =
    "使い方: brvprofile apply FILE [--only NAME]... [--no-internet-options]\n"
    "ロードのダイアログのOKと同じ処理で、選んだ項目 (既定ではすべて) を適用します。\n"
    "適用の前にファイル全体を確かめ、壊れたファイルは何も変更せずに受け付けません。\n"
    "  --only NAME             この名前の項目だけを適用します (繰り返し可)。\n"
    "  --no-internet-options   インターネットオプションを適用しません (.ies)。\n"
    "TCP/IPの設定を有効にするにはWindowsの再起動が必要です。再起動は呼び出し側が行います。\n"
    "終了コード: 0 すべて適用した、1 一部の項目がないか失敗した (それぞれ表示)、\n"
    "            2 ファイルを受け付けなかった、64 使い方の誤り\n";

const char kSave[] =
    "使い方: brvprofile save ies|ips FILE [--only NAME]... [--comment TEXT] [--no-internet-options]\n"
    "セーブのダイアログのOKと同じ処理で、現行の設定をFILEにセーブします。\n"
    "  --only NAME             この名前のユーザまたはネットワークだけをセーブします (繰り返し可)。\n"
    "  --comment TEXT          保存者コメント。\n"
    "  --no-internet-options   インターネットオプションをセーブしません (ies)。\n"
    "終了コード: 0 セーブした、1 セーブしたが一部の項目がないか失敗した、\n"
    "            2 ファイルを書けなかった、64 使い方の誤り\n";

}  // namespace

const char* ToolHelpText(ToolCommand command) {
    switch (command) {
    case kCommandShow:
        return kShow;
    case kCommandCheck:
        return kCheck;
    case kCommandDiff:
        return kDiff;
    case kCommandApply:
        return kApply;
    case kCommandSave:
        return kSave;
    default:
        return kOverview;
    }
}
