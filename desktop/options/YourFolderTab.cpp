#include "desktop/options/YourFolderTab.h"

#include "core/cleaning/MountTable.h"
#include "core/options/OptionsRules.h"
#include "core/settings/CleaningSettings.h"
#include "desktop/options/CheckSystemFolder.h"
#include "desktop/options/FolderListing.h"
#include "desktop/options/ListKeys.h"
#include "desktop/options/StoreAtOnce.h"

#include <QDir>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

namespace {

QString selectFolder() {
    return YourFolderTab::tr("Select Folder And Click Save");
}

} // namespace

YourFolderTab::YourFolderTab(const QStringList& places, MessageBoxes& messages, QWidget* parent)
    : OptionsPage(messages, parent), filesListing_(new BackgroundListing(this)) {
    setObjectName(QStringLiteral("yourFolderPage"));
    makeBrowsing(places);
    makeList();
    saveFolderButton = MakeButton(tr("Save Folder"), this);
    cleanFoldersButton = MakeButton(tr("Clean Folders"), this);
    helpButton = MakeButton(tr("Help"), this);
    showListButton = MakeButton(tr("Close Form"), this);
    layOut();

    connect(placesBox, &QComboBox::activated, this, &YourFolderTab::placeChosen);
    connect(folderTree, &QTreeView::activated, this,
            [this](const QModelIndex& index) { openFolder(folderModel->folderPath(index)); });
    // Listings that reach the tree above the open folder move it: it is kept in sight.
    connect(folderModel, &FolderTreeModel::folderListed, this,
            [this] { folderTree->scrollTo(folderTree->currentIndex()); });
    connect(saveFolderButton, &QPushButton::clicked, this, &YourFolderTab::saveOrAddClicked);
    connect(showListButton, &QPushButton::clicked, this, &YourFolderTab::showListOrCloseClicked);
    connect(savedFoldersList, &QListView::doubleClicked, this, &YourFolderTab::removeFolder);
    ListKeys::Add(savedFoldersList, true, [this](const QModelIndex& index) { removeFolder(index); });
    connect(cleanFoldersButton, &QPushButton::clicked, this, &OptionsPage::cleanRequested);
    connect(helpButton, &QPushButton::clicked, this, &OptionsPage::helpRequested);
}

void YourFolderTab::makeBrowsing(const QStringList& places) {
    placesBox = new QComboBox(this);
    placesBox->setAccessibleName(tr("Places"));
    placesBox->addItems(places);
    placesBox->setCurrentIndex(places.size() > 1 ? 1 : 0);
    // Neither model looks at the disk until the page opens a folder.
    folderModel = new FolderTreeModel(this);
    folderTree = new QTreeView(this);
    folderTree->setHeaderHidden(true);
    // Hidden, the header is still read out by a screen reader: as the tree's name, not "1".
    folderModel->setHorizontalHeaderLabels({tr("Folders")});
    folderTree->setModel(folderModel);
    folderTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    folderTree->setAccessibleName(tr("Folders"));
    folderPathLine = new PathLabel(this);
    filesModel = new QStringListModel(this);
    folderFilesList = new QListView(this);
    folderFilesList->setModel(filesModel);
    folderFilesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    folderFilesList->setTextElideMode(Qt::ElideMiddle);
    folderFilesList->setAccessibleName(tr("Files of the open folder"));
}

void YourFolderTab::makeList() {
    savedFoldersModel = new QStringListModel(this);
    savedFoldersList = new QListView(this);
    savedFoldersList->setModel(savedFoldersModel);
    savedFoldersList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    savedFoldersList->setTextElideMode(Qt::ElideMiddle);
    savedFoldersList->setAccessibleName(tr("Saved folders"));
    savedFoldersList->hide();
    instructionLabel = new QLabel(selectFolder(), this);
    instructionLabel->setAccessibleDescription(tr("Instruction"));
    listWarningLabel = new QLabel(tr("Make Sure This List Is Correct!    Before Cleaning Files"), this);
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

void YourFolderTab::setSecondButton(SecondButton second) {
    secondButton_ = second;
    showCaptions();
}

void YourFolderTab::showCaptions() {
    const auto caption = [](QPushButton* button, const QString& text) {
        button->setText(text);
        button->setAccessibleName(text);
    };
    caption(saveFolderButton, view_ == View::List ? tr("Add Folder") : tr("Save Folder"));
    caption(showListButton, secondButton_ == SecondButton::ShowList ? tr("Show List") : tr("Close Form"));
}

void YourFolderTab::placeChosen(int index) {
    openFolder(placesBox->itemText(index));
}

int YourFolderTab::placeOf(const QString& folder) const {
    int found = 0;
    for (int place = 0; place < placesBox->count(); ++place) {
        const QString root = placesBox->itemText(place);
        const bool holds =
            folder == root || root == QStringLiteral("/") || folder.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > placesBox->itemText(found).size()) {
            found = place;
        }
    }
    return found;
}

void YourFolderTab::openFolder(const QString& path) {
    openFolder_ = QDir::cleanPath(path);
    folderPathLine->setPath(openFolder_);
    placesBox->setCurrentIndex(placeOf(openFolder_));
    const QModelIndex index = folderModel->folderIndex(openFolder_);
    folderTree->setCurrentIndex(index);
    folderTree->expand(index);
    folderTree->scrollTo(index);
    filesModel->setStringList({});
    const QString folder = openFolder_;
    filesListing_->start(
        [folder] {
            return ListedFiles{ListFolder(folder, MountTable::Read()).files, {}, {}};
        },
        [this](const ListedFiles& listed) { filesModel->setStringList(listed.files); }, false);
}

void YourFolderTab::enter() {
    // Back to the place, as the page opened.
    openFolder(placesBox->count() > 0 ? placesBox->currentText() : QDir::homePath());
    ActivateList();
}

void YourFolderTab::showBrowsing() {
    view_ = View::Browsing;
    savedFoldersList->hide();
    listWarningLabel->hide();
    instructionLabel->setText(selectFolder());
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
    instructionLabel->setText(tr("Double Click On File To Remove From List"));
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
        !messages().ask(tr("Have You Read The Warning About These Folders In The Help File!").toStdString(),
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
    UserFolderSave saved = UserFolderSave::Stored;
    if (!StoreAtOnce([&saved, &folder] {
            saved = AddUserFolder(folder);
            return true;
        })) {
        tellNotStored();
        return;
    }
    switch (saved) {
    case UserFolderSave::Stored:
        break;
    case UserFolderSave::AlreadyListed:
        messages().show(tr("You Have Already Selected This Folder").toStdString(), MessageKind::Information);
        break;
    case UserFolderSave::ListFull:
        messages().show(tr("Your List Already Holds 1001 Folders, As Many As It Can!\r\n\r\nRemove A Folder "
                           "Before You Add Another.")
                            .toStdString(),
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
    const QStringList before = savedFoldersModel->stringList();
    savedFoldersModel->removeRows(index.row(), 1);
    std::vector<std::string> folders;
    for (const QString& folder : savedFoldersModel->stringList()) {
        folders.push_back(folder.toStdString());
    }
    if (!StoreAtOnce([&folders] { return StoreUserFolders(folders); })) {
        savedFoldersModel->setStringList(before); // as stored
        tellNotStored();
    }
}

std::optional<PageClean> YourFolderTab::offeredClean() const {
    return PageClean{TargetKind::UserFolder, UserFolderChoice,
                     tr("You Must Check Clean User Folder On Options Form!").toStdString(),
                     tr("You Are About To Clean Your User Folders").toStdString(),
                     MessageKind::CriticalQuestion};
}

} // namespace tidorax
