#include "desktop/options/FolderTab.h"

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/FolderCleaning.h"
#include "core/options/OptionsRules.h"
#include "core/settings/SpecialFolders.h"
#include "desktop/options/OptionsCleaning.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/options/TabCaptions.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

FolderTab::FolderTab(Kind kind, OptionsWindow* window)
    : QWidget(window), kind_(kind), window_(window), listing_(new BackgroundListing(this)) {
    const bool internet = kind == Kind::Internet;
    filesModel = new QStringListModel(this);
    filesList = new QListView(this);
    filesList->setModel(filesModel);
    filesList->setUniformItemSizes(true);
    filesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filesList->setAccessibleName(internet ? QStringLiteral("Internet files") : QStringLiteral("Temp files"));
    countLabel = new QLabel(this);
    countLabel->setAccessibleName(QStringLiteral("Count"));
    inUseLabel = nullptr;
    cleanButton =
        MakeButton(internet ? QStringLiteral("Clean Internet") : QStringLiteral("Clean Temp"), this);
    helpButton = MakeButton(QStringLiteral("Help"), this);
    closeButton = MakeButton(QStringLiteral("Close Form"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filesList);
    layout->addWidget(countLabel);
    if (!internet) {
        inUseLabel = new QLabel(QStringLiteral("Files In Use Can Not Be Deleted"), this);
        inUseLabel->setAccessibleName(QStringLiteral("In use"));
        layout->addWidget(inUseLabel);
    }
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cleanButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(cleanButton, &QPushButton::clicked, this, &FolderTab::cleanClicked);
    connect(helpButton, &QPushButton::clicked, window, &OptionsWindow::showHelp);
    connect(closeButton, &QPushButton::clicked, window, &OptionsWindow::closeForm);
}

std::string FolderTab::folder() const {
    if (kind_ == Kind::Internet) {
        std::string path = SpecialFolderPath(CSIDL_INTERNET_CACHE);
        AddBackslashInPlace(path);
        return path;
    }
    return TempFolderPath();
}

void FolderTab::ListFolder() {
    filesModel->setStringList({});
    countLabel->setText(QStringLiteral("Listing Files..."));
    const std::string path = folder();
    listing_->start(
        [path] {
            return ListedFiles{ToStringList(ListFilesBelow(path)), {}};
        },
        [this](const ListedFiles& listing) {
            showFiles(listing.files);
            const auto count = static_cast<std::size_t>(listing.files.size());
            countLabel->setText(QString::fromStdString(
                kind_ == Kind::Internet ? "Internet Folder Contains " + std::to_string(count) + " Files"
                                        : TempFolderCaption(count)));
            if (inUseLabel != nullptr) {
                inUseLabel->setText(QStringLiteral("Files In Use Can Not Be Deleted"));
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
    const FileList left = report.folders.empty() ? FileList{} : report.folders.front().after;
    showFiles(ToStringList(left));
    if (kind_ == Kind::Internet) {
        countLabel->setText(QString::fromStdString(InternetFolderCaption(left.size())));
    } else {
        countLabel->setText(QString::fromStdString(TempFolderCaption(left.size())));
        inUseLabel->setText(QString::fromStdString(TempInUseCaption(left.size())));
    }
}

void FolderTab::cleanClicked() {
    const bool internet = kind_ == Kind::Internet;
    const CleanButtonRules rules =
        internet ? CleanButtonRules{window_->optionsTab->isChecked(OptionsTab::InternetBox),
                                    "You Must Check Clean Internet Files On Options Form!",
                                    "You Are About To Clean Your Internet Files", MessageKind::Question}
                 : CleanButtonRules{window_->optionsTab->isChecked(OptionsTab::TempBox),
                                    "You Must Check Clean Temp Folder On Options Form!",
                                    "You Are About To Clean Your Temp Files", MessageKind::Question};
    if (!CleanButtonAllows(window_->services().messages, rules)) {
        return;
    }
    const CleaningReport report =
        RunOptionsCleaning(window_->services(), [internet](CleaningOperations& ops) {
            return internet ? ops.CleanInternetFiles() : ops.CleanTempFiles();
        });
    showCleaned(report);
    window_->showCount(report);
}

} // namespace tidorax
