#pragma once

// The place book TPlaceF ("地点帳"): the saved places with their direction
// from the home base; adding a place by coordinates (decimal degrees or
// 度分秒) or by a city name of the gazetteer, choosing among the cities of
// that name; renaming and the note; removing; marking the home base "基点";
// and the destination whose palace the chart windows outline. Every change
// goes straight into "VELM.db".

#include <functional>
#include <optional>

#include <QDialog>
#include <QWidget>

#include "shell/places/placeaccess.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace velm {

// Adding a place, or renaming one and changing its note (coordinates then fixed).
class TPlaceEditF : public QDialog {
    Q_OBJECT
public:
    TPlaceEditF(PlaceAccess &places, const std::optional<Place> &editing, QWidget *parent = nullptr);

    // The place as entered; valid after accept().
    const Place &place() const { return m_place; }
    // "検索": the gazetteer's cities of the name in FindE, listed to choose from.
    void FindBtnClick();
    void accept() override;


private:
    PlaceAccess &m_access;
    bool m_editing;
    Place m_place;
    QLineEdit *m_nameE = nullptr;
    QLineEdit *m_coordE = nullptr;
    QLineEdit *m_findE = nullptr;
    QListWidget *m_cityList = nullptr;
    QLineEdit *m_noteE = nullptr;
    QCheckBox *m_homeCB = nullptr;
};

class TPlaceF : public QWidget {
    Q_OBJECT
public:
    explicit TPlaceF(PlaceAccess &places, QWidget *parent = nullptr);

    void showPlaces();
    // The list from the book, the home base first marked.
    void reload();
    void AddBtnClick();
    void EditBtnClick();
    void DelBtnClick();
    void HomeBtnClick();
    void DestBtnClick();
    // The name in the selected row, empty for none.
    QString selectedName() const;


    // Made for each add or edit; tests fill it in and accept or reject.
    std::function<int(TPlaceEditF &dialog)> runDialog;
    // The destination (palace index 1..8 and the place), and the map at a place.
    std::function<void(int palace, const QString &place)> chooseDestination;
    std::function<void(const QString &place)> showOnMap;

private:
    void changed(const std::string &error);

    PlaceAccess &m_access;
    QTableWidget *m_grid = nullptr;
    std::vector<Place> m_places;
};

} // namespace velm
