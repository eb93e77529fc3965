// The "Cookies" tab: the files of the Cookies folder and the saved cookies. A
// double-click saves a cookie or forgets a saved one (both settings sections are
// rewritten at once) and leaves only "Reset Lists", which lists both afresh.
#pragma once

#include "desktop/options/BackgroundListing.h"

#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QWidget>

namespace tidorax {

class HoverHints;
class OptionsWindow;

class CookiesTab : public QWidget {
    Q_OBJECT
public:
    explicit CookiesTab(OptionsWindow* window);

    // Lists the Cookies folder and the saved cookies afresh (off the user-interface
    // thread) and shows the normal buttons; after a clean the saved count reads
    // "You Have N Cookies Saved".
    void ListCookies(bool afterClean = false);
    bool listing() const { return listing_->running(); }
    // The count lines' normal texts.
    QString cookieCountText() const;
    QString savedCountText() const;

    QFrame* cookieFilesFrame;
    QListView* cookieFilesList;
    QStringListModel* cookieFilesModel;
    QLabel* cookieCountLabel;
    QFrame* savedCookiesFrame;
    QListView* savedCookiesList;
    QStringListModel* savedCookiesModel;
    QLabel* savedCountLabel;
    QPushButton* cleanCookiesButton;
    QPushButton* helpButton;
    QPushButton* closeButton;
    QPushButton* resetListsButton;

signals:
    void listed();

public slots:
    void saveCookie(const QModelIndex& index);
    void forgetCookie(const QModelIndex& index);
    void resetLists();
    void cleanClicked();

private:
    void showEdited(bool edited);
    void rewriteSaved();
    OptionsWindow* window_;
    BackgroundListing* listing_;
    HoverHints* hints_;
};

} // namespace tidorax
