#pragma once

// The program's toolbar and window icons: SVG drawings on a 24-unit canvas
// in one style (navy outlines, teal and the score colours as fills), kept as
// resources; where the desktop's icon theme has an icon of the same meaning
// (help, settings, search, print) that one is used.

#include <QIcon>

namespace velm {

enum class IconId {
    App,          // the nine palaces
    MakeCharts,   // 遁甲盤を作成します
    Now,          // 現在の日付をセットします
    ExportCharts, // 遁甲盤の内容をﾃｷｽﾄに出力します
    ExportText,   // 説明の内容をﾃｷｽﾄに出力します
    CloseAll,     // 遁甲盤を全て閉じます
    Tile,         // 並べて表示します
    Cascade,      // 重ねて表示します
    Help,         // ヘルプを起動します
    System,       // システムの設定をします
    Web,          // ｻﾎﾟｰﾄﾎｰﾑﾍﾟｰｼﾞへ接続します
    Calendar,     // 数値カレンダー
    List,         // 検索一覧表
    Search,       // 検索
    ChartData,    // 作盤データ一覧表
    QuickSearch,  // 簡易検索
    CgiData,      // CGI用データ
    Explanations, // 説明文の編集
    Matters,      // 占事マスター
    Numbers,      // 数値の設定
    Backup,       // ﾊﾞｯｸｱｯﾌﾟ・ﾘｽﾄｱ
    Notices,      // お知らせ
    Tools,        // ツール
    PrintCharts,  // 遁甲盤を印刷します
    HeatMap       // 方位ヒートマップ
};

// The icon, drawn at any size (cached).
QIcon velmIcon(IconId id);
// The resource path of the program's own drawing (":/icons/help.svg").
QString iconResource(IconId id);

} // namespace velm
