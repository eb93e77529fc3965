// The "Internet" and "Temp" tabs: every file below the folder, listed off the
// user-interface thread when the tab is selected, its count line, and the clean
// button with its refusal and question.
#pragma once

#include "core/cleaning/CleaningReport.h"
#include "desktop/options/BackgroundListing.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QWidget>

namespace tidorax {

class OptionsWindow;

class FolderTab : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Internet, Temp };

    FolderTab(Kind kind, OptionsWindow* window);

    // The folder this tab shows: the web cache with a trailing "/", or Temp.
    std::string folder() const;
    // Lists the folder afresh; the count line says so meanwhile.
    void ListFolder();
    // Shows what a clean of this folder left.
    void showCleaned(const CleaningReport& report);
    bool listing() const { return listing_->running(); }

    QListView* filesList;
    QStringListModel* filesModel;
    QLabel* countLabel;
    QLabel* inUseLabel; // Temp only; nullptr on the Internet tab
    QPushButton* cleanButton;
    QPushButton* helpButton;
    QPushButton* closeButton;

signals:
    // A listing reached the list and the count line.
    void listed();

public slots:
    void cleanClicked();

private:
    void showFiles(const QStringList& files);
    Kind kind_;
    OptionsWindow* window_;
    BackgroundListing* listing_;
};

} // namespace tidorax
