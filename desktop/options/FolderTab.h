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

#include <string>
#include <vector>

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
    // Shows what the clean of this page's folders left.
    void showCleaned(const CleaningReport& report) override;

    // The folders a page of this kind lists (may read the browsers' files: off the
    // user-interface thread).
    static std::vector<std::string> FoldersOf(Kind kind);
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
