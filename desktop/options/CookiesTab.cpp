#include "desktop/options/CookiesTab.h"

#include "core/options/OptionsRules.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/SpecialFolders.h"
#include "desktop/options/FittingDelegate.h"
#include "desktop/options/HoverHints.h"
#include "desktop/options/ListKeys.h"
#include "desktop/options/OptionsCleaning.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/options/StoreAtOnce.h"
#include "desktop/options/TabCaptions.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

namespace {

QListView* makeList(QStringListModel* model, const QString& role, QWidget* parent) {
    auto* list = new QListView(parent);
    list->setModel(model);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A long file name is shortened in the middle, never cut.
    list->setItemDelegate(new FittingDelegate(list));
    list->setTextElideMode(Qt::ElideMiddle);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setResizeMode(QListView::Adjust);
    list->setAccessibleName(role);
    return list;
}

} // namespace

CookiesTab::CookiesTab(MessageBoxes& messages, QWidget* parent)
    : OptionsPage(messages, parent), listing_(new BackgroundListing(this)), hints_(new HoverHints(this)) {
    setObjectName(QStringLiteral("cookiesPage"));
    cookieFilesFrame = new QFrame(this);
    cookieFilesFrame->setFrameShape(QFrame::StyledPanel);
    cookieFilesModel = new QStringListModel(this);
    cookieFilesList = makeList(cookieFilesModel, tr("Cookie files"), cookieFilesFrame);
    cookieCountLabel = new QLabel(cookieFilesFrame);
    cookieCountLabel->setAccessibleDescription(tr("Count"));
    auto* files = new QVBoxLayout(cookieFilesFrame);
    files->addWidget(cookieFilesList);
    files->addWidget(cookieCountLabel);

    savedCookiesFrame = new QFrame(this);
    savedCookiesFrame->setFrameShape(QFrame::StyledPanel);
    savedCookiesModel = new QStringListModel(this);
    savedCookiesList = makeList(savedCookiesModel, tr("Saved cookies"), savedCookiesFrame);
    savedCountLabel = new QLabel(savedCookiesFrame);
    savedCountLabel->setAccessibleDescription(tr("Count"));
    cleanCookiesButton = MakeButton(tr("Clean Cookies"), savedCookiesFrame);
    helpButton = MakeButton(tr("Help"), savedCookiesFrame);
    closeButton = MakeButton(tr("Close Form"), savedCookiesFrame);
    resetListsButton = MakeButton(tr("Reset Lists"), savedCookiesFrame);
    resetListsButton->hide();
    auto* saved = new QVBoxLayout(savedCookiesFrame);
    saved->addWidget(savedCookiesList);
    saved->addWidget(savedCountLabel);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cleanCookiesButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);
    buttons->addWidget(resetListsButton);
    saved->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(cookieFilesFrame);
    layout->addWidget(savedCookiesFrame);

    connect(cookieFilesList, &QListView::doubleClicked, this, &CookiesTab::saveCookie);
    connect(savedCookiesList, &QListView::doubleClicked, this, &CookiesTab::forgetCookie);
    ListKeys::Add(cookieFilesList, false, [this](const QModelIndex& index) { saveCookie(index); });
    ListKeys::Add(savedCookiesList, true, [this](const QModelIndex& index) { forgetCookie(index); });
    connect(resetListsButton, &QPushButton::clicked, this, &CookiesTab::resetLists);
    connect(cleanCookiesButton, &QPushButton::clicked, this, &OptionsPage::cleanRequested);
    connect(helpButton, &QPushButton::clicked, this, &OptionsPage::helpRequested);
    connect(closeButton, &QPushButton::clicked, this, &OptionsPage::closeRequested);

    const HoverHints::Text cookieNormal = [this] { return cookieCountText(); };
    const HoverHints::Text savedNormal = [this] { return savedCountText(); };
    hints_->addHint(cookieFilesList, cookieCountLabel, tr("Double Click On File To Save A \"Cookie\""));
    hints_->addArea(cookieFilesFrame, cookieCountLabel, cookieNormal);
    hints_->addLine(cookieCountLabel, {{cookieCountLabel, cookieNormal}});
    hints_->addHint(savedCookiesList, savedCountLabel, tr("Double Click a \"Cookie\" To Remove"));
    hints_->addArea(savedCookiesFrame, savedCountLabel, savedNormal);
    hints_->addLine(savedCountLabel, {{savedCountLabel, savedNormal}, {cookieCountLabel, cookieNormal}});
}

QString CookiesTab::cookieCountText() const {
    return QString::fromStdString(
        CookieFolderCaption(static_cast<std::size_t>(cookieFilesModel->rowCount())));
}

QString CookiesTab::savedCountText() const {
    return tr("You Have Saved %1 Cookies").arg(savedCookiesModel->rowCount());
}

void CookiesTab::ListCookies(bool afterClean) {
    cookieFilesModel->setStringList({});
    savedCookiesModel->setStringList({});
    showEdited(false);
    cookieCountLabel->setText(tr("Listing Cookies..."));
    const std::string folder = SpecialFolderPath(CSIDL_COOKIES);
    listing_->start(
        [folder] {
            const CookieFolderListing found = ListCookieFiles(folder);
            return ListedFiles{ToStringList(found.files), ToStringList(found.saved), {}};
        },
        [this, afterClean](const ListedFiles& listing) {
            cookieFilesModel->setStringList(listing.files);
            savedCookiesModel->setStringList(listing.saved);
            cookieCountLabel->setText(cookieCountText());
            // After a clean the line reads as the clean words it.
            savedCountLabel->setText(afterClean
                                         ? QString::fromStdString(SavedCookiesCaption(listing.saved.size()))
                                         : savedCountText());
            emit listed();
        });
}

void CookiesTab::showEdited(bool edited) {
    cleanCookiesButton->setVisible(!edited);
    helpButton->setVisible(!edited);
    closeButton->setVisible(!edited);
    resetListsButton->setVisible(edited);
}

void CookiesTab::saveCookie(const QModelIndex& index) {
    if (!index.isValid() || listing()) {
        return;
    }
    if (static_cast<std::size_t>(savedCookiesModel->rowCount()) >= kMaxListEntries) {
        messages().show(tr("You Can Not Save More Than 1001 Cookies!").toStdString(),
                        MessageKind::Information);
        return;
    }
    showEdited(true);
    const QString cookie = index.data().toString();
    const int row = savedCookiesModel->rowCount();
    savedCookiesModel->insertRows(row, 1);
    savedCookiesModel->setData(savedCookiesModel->index(row), cookie);
    cookieFilesModel->removeRows(index.row(), 1);
    savedCountLabel->setText(QString::fromStdString(SavedCookiesCaption(savedCookiesModel->rowCount())));
    rewriteSaved();
}

void CookiesTab::forgetCookie(const QModelIndex& index) {
    if (!index.isValid() || listing()) {
        return;
    }
    showEdited(true);
    savedCookiesModel->removeRows(index.row(), 1);
    cookieCountLabel->setText(cookieCountText());
    savedCountLabel->setText(QString::fromStdString(SavedCookiesCaption(savedCookiesModel->rowCount())));
    rewriteSaved();
}

void CookiesTab::rewriteSaved() {
    std::vector<std::string> saved;
    for (const QString& cookie : savedCookiesModel->stringList()) {
        saved.push_back(cookie.toStdString());
    }
    if (!StoreAtOnce([&saved] {
            RewriteSavedCookies(saved);
            return true;
        })) {
        tellNotStored();
        ListCookies(); // what is stored
    }
}

void CookiesTab::resetLists() {
    ListCookies();
    emit choicesReloadRequested();
}

void CookiesTab::enter() {
    ListCookies();
    emit choicesReloadRequested();
}

std::optional<PageClean> CookiesTab::offeredClean() const {
    return PageClean{TargetKind::Cookies, CookieChoice,
                     tr("You Must Check Clean Cookie Folder On Options Form!").toStdString(),
                     tr("You Are About To Clean Your Cookie Files").toStdString(), MessageKind::Question};
}

void CookiesTab::showCleaned(const CleaningReport& /*report*/) {
    ListCookies(true);
}

} // namespace tidorax
