// The "Your Folder" page: the user browses to a folder (places, folder tree, the open
// folder's files), saves it to the list of folders that "Clean Folders" empties,
// views the list and removes folders from it by double-click, Enter or Delete. The
// tree and the file list are read off the user-interface thread.
#pragma once

#include "desktop/PathLabel.h"
#include "desktop/options/BackgroundListing.h"
#include "desktop/options/FolderTreeModel.h"
#include "desktop/options/OptionsPage.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTreeView>

namespace tidorax {

class YourFolderTab : public OptionsPage {
    Q_OBJECT
public:
    // What the page shows: the folder tree to browse, or the list of saved folders.
    enum class View { Browsing, List };
    // What the second button does: closes the window, or shows the list again.
    enum class SecondButton { CloseForm, ShowList };

    // places: where the user browses from.
    YourFolderTab(const QStringList& places, MessageBoxes& messages, QWidget* parent);

    QString title() const override { return tr("Your Folder"); }
    // The tree goes back to the place of the places box (the home folder at first),
    // then ActivateList.
    void enter() override;
    std::optional<PageClean> offeredClean() const override;
    // Cleans the saved folders.

    // List view when folders are saved, else browsing.
    void ActivateList();
    // Opens a folder in the tree: the path line and the file list show it, the places
    // box the place it lies in, and "Save Folder" takes it.
    void openFolder(const QString& path);
    QString openFolderPath() const { return openFolder_; }
    View view() const { return view_; }
    SecondButton secondButton() const { return secondButton_; }

    QComboBox* placesBox;
    QTreeView* folderTree;
    FolderTreeModel* folderModel;
    PathLabel* folderPathLine;
    QListView* folderFilesList;
    QStringListModel* filesModel; // the files of the open folder
    // True while the file list is read.
    bool listingFiles() const { return filesListing_->running(); }
    QListView* savedFoldersList;
    QStringListModel* savedFoldersModel;
    QLabel* instructionLabel;
    QLabel* listWarningLabel;
    QPushButton* saveFolderButton; // "Save Folder" browsing, "Add Folder" in the list view
    QPushButton* cleanFoldersButton;
    QPushButton* helpButton;
    QPushButton* showListButton; // "Close Form" or "Show List", as secondButton()

public slots:
    void saveOrAddClicked();
    void showListOrCloseClicked();
    void removeFolder(const QModelIndex& index);
    void placeChosen(int index);

private:
    void makeBrowsing(const QStringList& places);
    void makeList();
    void layOut();
    void showBrowsing();
    void saveFolder();
    void setSecondButton(SecondButton second);
    // The buttons' captions (and accessible names) as the view and the second
    // button are.
    void showCaptions();

    // The place of the places box that holds the folder (the longest such place).
    int placeOf(const QString& folder) const;
    QString openFolder_;
    BackgroundListing* filesListing_;
    View view_ = View::Browsing;
    SecondButton secondButton_ = SecondButton::CloseForm;
};

} // namespace tidorax
