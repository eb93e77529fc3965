#include "desktop/options/YourFolderTab.h"

#include "core/options/OptionsRules.h"
#include "core/settings/CleaningSettings.h"
#include "desktop/options/CheckSystemFolder.h"

#include <QDir>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

namespace {

const QString kSelectFolder = QStringLiteral("Select Folder And Click Save");

} // namespace

YourFolderTab::YourFolderTab(const QStringList& places, MessageBoxes& messages, QWidget* parent)
    : OptionsPage(messages, parent) {
    setObjectName(QStringLiteral("yourFolderPage"));
    makeBrowsing(places);
    makeList();
    saveFolderButton = MakeButton(QStringLiteral("Save Folder"), this);
    cleanFoldersButton = MakeButton(QStringLiteral("Clean Folders"), this);
    helpButton = MakeButton(QStringLiteral("Help"), this);
    showListButton = MakeButton(QStringLiteral("Close Form"), this);
    layOut();

    connect(placesBox, &QComboBox::activated, this, &YourFolderTab::placeChosen);
    connect(folderTree, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (folderModel != nullptr) {
            openFolder(folderModel->filePath(index));
        }
    });
    connect(saveFolderButton, &QPushButton::clicked, this, &YourFolderTab::saveOrAddClicked);
    connect(showListButton, &QPushButton::clicked, this, &YourFolderTab::showListOrCloseClicked);
    connect(savedFoldersList, &QListView::doubleClicked, this, &YourFolderTab::removeFolder);
    connect(cleanFoldersButton, &QPushButton::clicked, this, &OptionsPage::cleanRequested);
    connect(helpButton, &QPushButton::clicked, this, &OptionsPage::helpRequested);
}

void YourFolderTab::makeBrowsing(const QStringList& places) {
    placesBox = new QComboBox(this);
    placesBox->setAccessibleName(QStringLiteral("Places"));
    placesBox->addItems(places);
    // The folder tree and the file list get their models when the page is first
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
}

void YourFolderTab::makeList() {
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
}

void YourFolderTab::layOut() {
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

void YourFolderTab::setSecondButton(SecondButton second) {
    secondButton_ = second;
    showCaptions();
}

void YourFolderTab::showCaptions() {
    const auto caption = [](QPushButton* button, const QString& text) {
        button->setText(text);
        button->setAccessibleName(text);
    };
    caption(saveFolderButton,
            view_ == View::List ? QStringLiteral("Add Folder") : QStringLiteral("Save Folder"));
    caption(showListButton, secondButton_ == SecondButton::ShowList ? QStringLiteral("Show List")
                                                                    : QStringLiteral("Close Form"));
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

void YourFolderTab::enter() {
    if (openFolder_.isEmpty()) {
        openFolder(placesBox->count() > 1 ? placesBox->itemText(1) : QDir::homePath());
    }
    ActivateList();
}

void YourFolderTab::showBrowsing() {
    view_ = View::Browsing;
    savedFoldersList->hide();
    listWarningLabel->hide();
    instructionLabel->setText(kSelectFolder);
    placesBox->show();
    folderTree->show();
    folderPathLine->show();
    folderFilesList->show();
    showCaptions();
}

void YourFolderTab::ActivateList() {
    const std::vector<std::string> folders = UserFolders();
    if (folders.empty()) {
        showBrowsing();
        return;
    }
    view_ = View::List;
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
    setSecondButton(SecondButton::CloseForm);
}

void YourFolderTab::saveOrAddClicked() {
    if (view_ == View::List) {
        showBrowsing();
        setSecondButton(SecondButton::ShowList);
        return;
    }
    saveFolder();
}

void YourFolderTab::saveFolder() {
    if (openFolder_.isEmpty()) {
        return;
    }
    window()->hide();
    setSecondButton(SecondButton::ShowList);
    if (UserFolders().empty() &&
        !messages().ask("Have You Read The Warning About These Folders In The Help File!",
                        MessageKind::CriticalQuestion)) {
        emit reloadRequested();
        return;
    }
    window()->show();
    const std::string folder = openFolder_.toStdString();
    if (!messages().ask(SaveFolderQuestion(folder), MessageKind::Question)) {
        return;
    }
    bool accepted = true;
    CheckSystemFolder(folder, accepted, instructionLabel, messages());
    if (!accepted) {
        return;
    }
    switch (AddUserFolder(folder)) {
    case UserFolderSave::Stored:
        break;
    case UserFolderSave::AlreadyListed:
        messages().show("You Have Already Selected This Folder", MessageKind::Information);
        break;
    case UserFolderSave::ListFull:
        messages().show("Your List Already Holds 1001 Folders, As Many As It Can!\r\n\r\nRemove A Folder "
                        "Before You Add Another.",
                        MessageKind::Information);
        break;
    }
}

void YourFolderTab::showListOrCloseClicked() {
    if (secondButton_ == SecondButton::ShowList) {
        ActivateList();
    } else {
        emit closeRequested();
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

std::optional<PageClean> YourFolderTab::offeredClean() const {
    return PageClean{TargetKind::UserFolder, UserFolderChoice,
                     "You Must Check Clean User Folder On Options Form!",
                     "You Are About To Clean Your User Folders", MessageKind::CriticalQuestion};
}

} // namespace tidorax
