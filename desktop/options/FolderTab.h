// The "Internet" and "Temp" pages: every file below the folder, listed off the
// user-interface thread when the page is entered, its count line, and the clean
// button with its refusal and question.
#pragma once

#include "desktop/options/BackgroundListing.h"
#include "desktop/options/OptionsPage.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

namespace tidorax {

class FolderTab : public OptionsPage {
    Q_OBJECT
public:
    enum class Kind { Internet, Temp };

    FolderTab(Kind kind, MessageBoxes& messages, QWidget* parent);

    QString title() const override;
    // Lists the folder afresh; the choices are read again.
    void enter() override;
    std::optional<PageClean> offeredClean() const override;
    // Cleans the web cache or Temp.
    // Shows what the clean of this folder left.
    void showCleaned(const CleaningReport& report) override;

    // The folder this page shows: the web cache with a trailing "/", or Temp.
    std::string folder() const;
    // Lists the folder afresh; the count line says so meanwhile.
    void ListFolder();
    bool listing() const { return listing_->running(); }

    QListView* filesList;
    QStringListModel* filesModel;
    QLabel* countLabel;
    QLabel* inUseLabel; // Temp only; nullptr on the Internet page
    QPushButton* cleanButton;
    QPushButton* helpButton;
    QPushButton* closeButton;

signals:
    // A listing reached the list and the count line.
    void listed();

private:
    void showFiles(const QStringList& files);
    Kind kind_;
    BackgroundListing* listing_;
};

} // namespace tidorax
