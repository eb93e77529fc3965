// The "Cookies" page: the files of the Cookies folder and the saved cookies. A
// double-click or Enter (on a saved one Delete too) saves a cookie or forgets a saved
// one (both settings sections are rewritten at once) and leaves only "Reset Lists", which lists both afresh.
#pragma once

#include "desktop/options/BackgroundListing.h"
#include "desktop/options/OptionsPage.h"

#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

namespace tidorax {

class HoverHints;

class CookiesTab : public OptionsPage {
    Q_OBJECT
public:
    CookiesTab(MessageBoxes& messages, QWidget* parent);

    QString title() const override { return tr("Cookies"); }
    // Lists both afresh; the choices are read again.
    void enter() override;
    std::optional<PageClean> offeredClean() const override;
    // Cleans the Cookies folder.
    // Lists both afresh, the saved count as the clean words it.
    void showCleaned(const CleaningReport& report) override;

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

private:
    void showEdited(bool edited);
    void rewriteSaved();
    BackgroundListing* listing_;
    HoverHints* hints_;
};

} // namespace tidorax
