#include "desktop/options/FolderTab.h"

#include "core/cleaning/FileWalk.h"
#include "core/options/OptionsRules.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/SpecialFolders.h"
#include "desktop/options/OptionsCleaning.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/options/TabCaptions.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

FolderTab::FolderTab(Kind kind, MessageBoxes& messages, QWidget* parent)
    : OptionsPage(messages, parent), kind_(kind), listing_(new BackgroundListing(this)) {
    const bool internet = kind == Kind::Internet;
    setObjectName(internet ? QStringLiteral("internetPage") : QStringLiteral("tempPage"));
    filesModel = new QStringListModel(this);
    filesList = new QListView(this);
    filesList->setModel(filesModel);
    filesList->setUniformItemSizes(true);
    filesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filesList->setAccessibleName(internet ? tr("Internet files") : tr("Temp files"));
    countLabel = new QLabel(this);
    countLabel->setAccessibleDescription(tr("Count"));
    inUseLabel = nullptr;
    cleanButton = MakeButton(internet ? tr("Clean Internet") : tr("Clean Temp"), this);
    helpButton = MakeButton(tr("Help"), this);
    closeButton = MakeButton(tr("Close Form"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filesList);
    layout->addWidget(countLabel);
    if (!internet) {
        inUseLabel = new QLabel(tr("Files In Use Can Not Be Deleted"), this);
        layout->addWidget(inUseLabel);
    }
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cleanButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(cleanButton, &QPushButton::clicked, this, &OptionsPage::cleanRequested);
    connect(helpButton, &QPushButton::clicked, this, &OptionsPage::helpRequested);
    connect(closeButton, &QPushButton::clicked, this, &OptionsPage::closeRequested);
}

QString FolderTab::title() const {
    return kind_ == Kind::Internet ? tr("Internet") : tr("Temp");
}

void FolderTab::enter() {
    ListFolder();
    emit choicesReloadRequested();
}

std::optional<PageClean> FolderTab::offeredClean() const {
    if (kind_ == Kind::Internet) {
        return PageClean{TargetKind::WebCache, InternetChoice,
                         tr("You Must Check Clean Internet Files On Options Form!").toStdString(),
                         tr("You Are About To Clean Your Internet Files").toStdString(),
                         MessageKind::Question};
    }
    return PageClean{TargetKind::Temp, TempChoice,
                     tr("You Must Check Clean Temp Folder On Options Form!").toStdString(),
                     tr("You Are About To Clean Your Temp Files").toStdString(), MessageKind::Question};
}

// The folders the page lists: the web cache's (the browsers' caches, or the folder a
// "Cache" value names), found off the user-interface thread, or the Temp folder.
std::vector<std::string> FolderTab::FoldersOf(Kind kind) {
    if (kind == Kind::Internet) {
        return WebCacheFolders();
    }
    return {TempFolderPath()};
}

void FolderTab::ListFolder() {
    filesModel->setStringList({});
    countLabel->setText(tr("Listing Files..."));
    listing_->start(
        [kind = kind_] {
            FileList files;
            for (const std::string& folder : FoldersOf(kind)) {
                FileList found = ListFilesBelow(folder);
                files.insert(files.end(), std::make_move_iterator(found.begin()),
                             std::make_move_iterator(found.end()));
            }
            return ListedFiles{ToStringList(files), {}, {}};
        },
        [this](const ListedFiles& listing) {
            showFiles(listing.files);
            const auto count = static_cast<std::size_t>(listing.files.size());
            countLabel->setText(kind_ == Kind::Internet ? tr("Internet Folder Contains %1 Files").arg(count)
                                                        : QString::fromStdString(TempFolderCaption(count)));
            if (inUseLabel != nullptr) {
                inUseLabel->setText(tr("Files In Use Can Not Be Deleted"));
            }
            emit listed();
        });
}

void FolderTab::showFiles(const QStringList& files) {
    filesModel->setStringList(files);
}

void FolderTab::showCleaned(const CleaningReport& report) {
    // A listing still running is older than what the clean left.
    listing_->cancel();
    FileList left;
    for (const FolderReport& folder : report.folders) {
        left.insert(left.end(), folder.after.begin(), folder.after.end());
    }
    showFiles(ToStringList(left));
    if (kind_ == Kind::Internet) {
        countLabel->setText(QString::fromStdString(InternetFolderCaption(left.size())));
    } else {
        countLabel->setText(QString::fromStdString(TempFolderCaption(left.size())));
        inUseLabel->setText(QString::fromStdString(TempInUseCaption(left.size())));
    }
}

} // namespace tidorax
