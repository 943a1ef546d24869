#pragma once

// The program's own toolbar and window icons, drawn with QPainter in one
// style: a 24-unit canvas, navy outlines, teal and the score colours as fills.

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

// The icon at 16, 24, 32 and 48 pixels (cached).
QIcon velmIcon(IconId id);

} // namespace velm
