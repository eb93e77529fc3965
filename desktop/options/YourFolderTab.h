// The "Your Folder" tab: the user browses to a folder (places, folder tree, the open
// folder's files), saves it to the list of folders that "Clean Folders" empties,
// views the list and removes folders from it by double-click.
#pragma once

#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTreeView>
#include <QWidget>

#include <functional>

namespace tidorax {

class OptionsWindow;

class YourFolderTab : public QWidget {
    Q_OBJECT
public:
    explicit YourFolderTab(OptionsWindow* window);

    // Tab selected: the tree opens the home folder the first time, then ActivateList.
    void enterTab();
    // List mode when folders are saved, else browsing mode.
    void ActivateList();
    // Opens a folder in the tree: the path line and the file list show it, and
    // "Save Folder" takes it.
    void openFolder(const QString& path);
    QString openFolderPath() const { return openFolder_; }
    bool listMode() const { return savedFoldersList->isVisibleTo(this); }

    QComboBox* placesBox;
    QTreeView* folderTree;
    QFileSystemModel* folderModel; // nullptr until the tab is first entered
    QLabel* folderPathLine;
    QListView* folderFilesList;
    QFileSystemModel* filesModel; // nullptr until the tab is first entered
    QListView* savedFoldersList;
    QStringListModel* savedFoldersModel;
    QLabel* instructionLabel;
    QLabel* listWarningLabel;
    QPushButton* saveFolderButton; // "Save Folder" or "Add Folder"
    QPushButton* cleanFoldersButton;
    QPushButton* helpButton;
    QPushButton* showListButton; // "Close Form" or "Show List"

public slots:
    void saveOrAddClicked();
    void showListOrCloseClicked();
    void removeFolder(const QModelIndex& index);
    void placeChosen(int index);
    void cleanClicked();

private:
    void ensureModels();
    void showBrowsing();
    void saveFolder();
    void setCaption(QPushButton* button, const QString& caption);
    OptionsWindow* window_;
    QString openFolder_;
};

} // namespace tidorax
