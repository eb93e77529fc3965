#include "desktop/options/YourFolderTab.h"

#include "core/options/OptionsRules.h"
#include "core/settings/SettingsStore.h"
#include "desktop/options/CheckSystemFolder.h"
#include "desktop/options/OptionsCleaning.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/OptionsWindow.h"
#include "platform/Platform.h"

#include <QDir>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

namespace {

const QString kSelectFolder = QStringLiteral("Select Folder And Click Save");

} // namespace

YourFolderTab::YourFolderTab(OptionsWindow* window) : QWidget(window), window_(window) {
    placesBox = new QComboBox(this);
    placesBox->setAccessibleName(QStringLiteral("Places"));
    placesBox->addItems(window->services().places());

    // The folder tree and the file list get their models when the tab is first
    // entered: a window that never shows them does not watch the file system.
    folderModel = nullptr;
    filesModel = nullptr;
    folderTree = new QTreeView(this);
    folderTree->setHeaderHidden(true);
    folderTree->setAccessibleName(QStringLiteral("Folders"));
    folderPathLine = new QLabel(this);
    folderPathLine->setAccessibleName(QStringLiteral("Open folder"));
    folderFilesList = new QListView(this);
    folderFilesList->setAccessibleName(QStringLiteral("Files of the open folder"));

    savedFoldersModel = new QStringListModel(this);
    savedFoldersList = new QListView(this);
    savedFoldersList->setModel(savedFoldersModel);
    savedFoldersList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    savedFoldersList->setAccessibleName(QStringLiteral("Saved folders"));
    savedFoldersList->hide();

    instructionLabel = new QLabel(kSelectFolder, this);
    instructionLabel->setAccessibleName(QStringLiteral("Instruction"));
    listWarningLabel =
        new QLabel(QStringLiteral("Make Sure This List Is Correct!    Before Cleaning Files"), this);
    listWarningLabel->setAccessibleName(listWarningLabel->text());
    listWarningLabel->hide();
    saveFolderButton = MakeButton(QStringLiteral("Save Folder"), this);
    cleanFoldersButton = MakeButton(QStringLiteral("Clean Folders"), this);
    helpButton = MakeButton(QStringLiteral("Help"), this);
    showListButton = MakeButton(QStringLiteral("Close Form"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructionLabel);
    layout->addWidget(placesBox);
    layout->addWidget(folderPathLine);
    auto* browsing = new QHBoxLayout();
    browsing->addWidget(folderTree);
    browsing->addWidget(folderFilesList);
    browsing->addWidget(savedFoldersList);
    layout->addLayout(browsing, 1);
    layout->addWidget(listWarningLabel);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(saveFolderButton);
    buttons->addWidget(cleanFoldersButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(showListButton);
    layout->addLayout(buttons);

    connect(placesBox, &QComboBox::activated, this, &YourFolderTab::placeChosen);
    connect(folderTree, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (folderModel != nullptr) {
            openFolder(folderModel->filePath(index));
        }
    });
    connect(saveFolderButton, &QPushButton::clicked, this, &YourFolderTab::saveOrAddClicked);
    connect(showListButton, &QPushButton::clicked, this, &YourFolderTab::showListOrCloseClicked);
    connect(savedFoldersList, &QListView::doubleClicked, this, &YourFolderTab::removeFolder);
    connect(cleanFoldersButton, &QPushButton::clicked, this, &YourFolderTab::cleanClicked);
    connect(helpButton, &QPushButton::clicked, window, &OptionsWindow::showHelp);
}

void YourFolderTab::ensureModels() {
    if (folderModel != nullptr) {
        return;
    }
    folderModel = new QFileSystemModel(this);
    folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folderModel->setRootPath(QStringLiteral("/"));
    folderTree->setModel(folderModel);
    for (int column = 1; column < folderModel->columnCount(); ++column) {
        folderTree->hideColumn(column);
    }
    filesModel = new QFileSystemModel(this);
    filesModel->setFilter(QDir::Files | QDir::Hidden | QDir::System);
    folderFilesList->setModel(filesModel);
}

void YourFolderTab::setCaption(QPushButton* button, const QString& caption) {
    button->setText(caption);
    button->setAccessibleName(caption);
}

void YourFolderTab::placeChosen(int index) {
    openFolder(placesBox->itemText(index));
}

void YourFolderTab::openFolder(const QString& path) {
    ensureModels();
    openFolder_ = QDir::cleanPath(path);
    folderPathLine->setText(openFolder_);
    const QModelIndex index = folderModel->index(openFolder_);
    folderTree->setCurrentIndex(index);
    folderTree->expand(index);
    folderTree->scrollTo(index);
    folderFilesList->setRootIndex(filesModel->setRootPath(openFolder_));
}

void YourFolderTab::enterTab() {
    if (openFolder_.isEmpty()) {
        openFolder(placesBox->count() > 1 ? placesBox->itemText(1) : QDir::homePath());
    }
    ActivateList();
}

void YourFolderTab::showBrowsing() {
    savedFoldersList->hide();
    listWarningLabel->hide();
    instructionLabel->setText(kSelectFolder);
    placesBox->show();
    folderTree->show();
    folderPathLine->show();
    folderFilesList->show();
    setCaption(saveFolderButton, QStringLiteral("Save Folder"));
}

void YourFolderTab::ActivateList() {
    const std::vector<std::string> folders = ReadSettingsList("UserFolder", "File");
    if (folders.empty()) {
        showBrowsing();
        return;
    }
    placesBox->hide();
    folderTree->hide();
    folderPathLine->hide();
    folderFilesList->hide();
    QStringList shown;
    for (const std::string& folder : folders) {
        shown.push_back(QString::fromStdString(folder));
    }
    savedFoldersModel->setStringList(shown);
    savedFoldersList->show();
    listWarningLabel->show();
    instructionLabel->setText(QStringLiteral("Double Click On File To Remove From List"));
    setCaption(showListButton, QStringLiteral("Close Form"));
    setCaption(saveFolderButton, QStringLiteral("Add Folder"));
}

void YourFolderTab::saveOrAddClicked() {
    if (saveFolderButton->text() == QStringLiteral("Add Folder")) {
        showBrowsing();
        setCaption(showListButton, QStringLiteral("Show List"));
        return;
    }
    saveFolder();
}

void YourFolderTab::saveFolder() {
    if (openFolder_.isEmpty()) {
        return;
    }
    window_->hide();
    setCaption(showListButton, QStringLiteral("Show List"));
    if (ReadSettingsList("UserFolder", "File").empty() &&
        window_->services().messages.show("Have You Read The Warning About These Folders In The Help File!",
                                          MessageKind::CriticalQuestion) == IDNO) {
        window_->reloadTimer->start();
        return;
    }
    window_->show();
    const std::string folder = openFolder_.toStdString();
    if (window_->services().messages.show(SaveFolderQuestion(folder), MessageKind::Question) == IDNO) {
        return;
    }
    bool accepted = true;
    CheckSystemFolder(folder, accepted, instructionLabel, window_->services().messages);
    if (!accepted) {
        return;
    }
    switch (AddUserFolder(folder)) {
    case UserFolderSave::Stored:
        break;
    case UserFolderSave::AlreadyListed:
        window_->services().messages.show("You Have Already Selected This Folder", MessageKind::Information);
        break;
    case UserFolderSave::ListFull:
        window_->services().messages.show(
            "Your List Already Holds 1001 Folders, As Many As It Can!\r\n\r\nRemove A Folder "
            "Before You Add Another.",
            MessageKind::Information);
        break;
    }
}

void YourFolderTab::showListOrCloseClicked() {
    if (showListButton->text() == QStringLiteral("Show List")) {
        ActivateList();
    } else {
        window_->closeForm();
    }
}

void YourFolderTab::removeFolder(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    savedFoldersModel->removeRows(index.row(), 1);
    std::vector<std::string> folders;
    for (const QString& folder : savedFoldersModel->stringList()) {
        folders.push_back(folder.toStdString());
    }
    RewriteUserFolders(folders);
}

void YourFolderTab::cleanClicked() {
    const CleanButtonRules rules{window_->optionsTab->isChecked(OptionsTab::UserFolderBox),
                                 "You Must Check Clean User Folder On Options Form!",
                                 "You Are About To Clean Your User Folders", MessageKind::CriticalQuestion};
    if (!CleanButtonAllows(window_->services().messages, rules)) {
        return;
    }
    const CleaningReport report = RunOptionsCleaning(window_->services(), [](CleaningOperations& ops) {
        return ops.CleanUserFolders(StartedFrom::OptionsWindow);
    });
    window_->showCount(report);
}

} // namespace tidorax
