// The main menu: items in menu order with their status-bar prompts.
#pragma once

#include <span>

namespace zorvia {

struct MenuEntry {
    int menu;                // 0 file, 1 tools, 2 analysis, 3 help
    int id;                  // 0 for a separator
    const char16_t* text;
    const char16_t* prompt;  // nullptr: highlighting it empties the message part
};

inline constexpr const char16_t* kMenuTitles[] = {u"ファイル(&F)", u"ツール(&T)", u"分析(&A)", u"ヘルプ(&H)"};

inline constexpr MenuEntry kMainMenu[] = {
    {0, 32779, u"ファイルを追加(&O)...", u"データベースにファイルを追加します"},
    {0, 32786, u"ファイルを削除(&D)...", u"登録されているファイルを削除します"},
    {0, 0, nullptr, nullptr},
    {0, 32777, u"新規データベース(&N)...", u"新しいコーパスデータベースを作成します"},
    {0, 32778, u"データベースを開く(&D)...", u"既存のコーパスデータベースを開きます"},
    {0, 0, nullptr, nullptr},
    {0, 32780, u"終了(&X)", u"Zorvia Concordancer を終了します"},
    {1, 32782, u"頻度表(&F)", u"頻度を単語リストに表示します"},
    {1, 32788, u"完全な頻度表(&W)", u"全単語の頻度表を作ります（時間がかかるので注意）"},
    {1, 0, nullptr, nullptr},
    {1, 32811, u"単語の区切り方(&K)...", u"コーパスの単語の区切り方（記号か MeCab か）を設定します"},
    {1, 32801, u"ファイルに含まれる単語の削除(&E)...", nullptr},
    {1, 32803, u"本文に表示されているファイルを開く(&B)", nullptr},
    {1, 32790, u"デフラグ(&D)", u"データベースのデフラグを行います"},
    {1, 0, nullptr, nullptr},
    {1, 32792, u"オプション設定(&O)...", nullptr},
    {1, 32805, u"検索の高速化(&S)...", u"大きなコーパスの検索を速くする索引を作ります"},
    {1, 32806, u"検索の高速化を解除(&R)...", u"検索の高速化で追加した索引と集計表を削除します"},
    {2, 32901, u"用例の一覧(&K)...", u"中心語のすべての用例を並べ替えて一覧にします"},
    {2, 32907, u"共起語(&C)...", u"中心語の前後に現れる語を統計量とともに一覧にします"},
    {2, 32909, u"連語（N-gram）(&N)...", u"連続する N 語の組み合わせを頻度順に一覧にします"},
    {2, 32911, u"分布(&D)...", u"中心語がファイルごとにどう分布するかを表と図で示します"},
    {2, 32913, u"特徴語(&W)...", u"別のコーパスと比べて多く（少なく）現れる語を一覧にします"},
    {2, 0, nullptr, nullptr},
    {2, 32903, u"頻度表のエクスポート(&F)...", u"全単語の頻度表をファイルに書き出します"},
    {2, 32905, u"用例リストのエクスポート(&L)...", u"用例リストの用例をファイルに書き出します"},
    {3, 32776, u"バージョン情報(&V)...", u"バージョン情報を表示します"},
};

// The prompt of a command id, or nullptr when it has none.
inline const char16_t* MenuPrompt(int id) {
    for (const MenuEntry& entry : kMainMenu)
        if (entry.id == id && id != 0) return entry.prompt;
    return nullptr;
}

}  // namespace zorvia
