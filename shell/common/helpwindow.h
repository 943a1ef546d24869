#pragma once

// The help: "VELMWIN.html" in the program folder, one section per topic
// number (<section id="10000">), shown in the program's own help window.

#include <QSet>
#include <QWidget>

class QTextBrowser;

namespace velm {

inline constexpr int HelpContents = 10000; // the table of contents

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Loads the file if needed and scrolls to the topic (the contents when
    // the file has no such topic). False, after the message, when the file is
    // missing or unreadable.
    bool showTopic(int topic);
    int currentTopic() const { return m_topic; }
    // Path of the help file.
    static QString helpFile();

private:
    bool load();

    QTextBrowser *m_browser = nullptr;
    QString m_loadedPath;
    QSet<int> m_topics;
    int m_topic = 0;
};

// Opens the one help window of the run at `topic` and brings it to the front.
// Every window's help button calls this with its topic number.
void showHelp(int topic);
// The help window, once showHelp has made it (for tests); null before.
HelpWindow *currentHelpWindow();

// The topic of a window's section of the help: F1 anywhere in the window
// opens it. A window without one opens the topic of the window it sits in,
// and in the end the contents.
void setHelpTopic(QWidget *window, int topic);
int helpTopicOf(const QWidget *widget);
// Makes F1 open the help of the window the key was pressed in; once per run.
void installHelpKey();

// Topics of the windows without a help button of their own.
inline constexpr int HelpChartData = 10002;   // 作盤データファイルの作成
inline constexpr int HelpFixedViews = 10010;  // 定位盤・定位一覧
inline constexpr int HelpListWindow = 20010;  // 検索一覧表・作盤データ一覧表
inline constexpr int HelpCalendar = 20020;    // 数値カレンダー
inline constexpr int HelpQuickSearch = 20030; // クイック検索
inline constexpr int HelpPreview = 20040;     // 印刷プレビュー
inline constexpr int HelpHeatMap = 20050;     // 方位ヒートマップ
inline constexpr int HelpDirectionMap = 20060; // 方位地図
inline constexpr int HelpPlaceBook = 20070;    // 地点帳
inline constexpr int HelpJournal = 20080;      // 記録
inline constexpr int HelpPeople = 20090;       // 人物と凶方位
inline constexpr int HelpNotices = 40050;     // お知らせ

} // namespace velm
