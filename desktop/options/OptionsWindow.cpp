#include "desktop/options/OptionsWindow.h"

#include "core/settings/CleaningSettings.h"

#include "desktop/TrayIconImage.h"
#include "desktop/WindowPlacement.h"
#include "desktop/options/CookiesTab.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsCleaning.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/YourFolderTab.h"

#include <QCloseEvent>
#include <QShortcut>
#include <QVBoxLayout>

#include <malloc.h>

namespace tidorax {

OptionsWindow::OptionsWindow(const DesktopServices& services) : QWidget(nullptr), services_(services) {
    setObjectName(QStringLiteral("optionsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Quillon Tidora Program"));
    setWindowIcon(TrayIconImage());
    setAccessibleName(windowTitle());

    closeTimer = new QTimer(this);
    closeTimer->setInterval(100);
    closeTimer->setSingleShot(true);
    reloadTimer = new QTimer(this);
    reloadTimer->setInterval(50);
    reloadTimer->setSingleShot(true);
    connect(closeTimer, &QTimer::timeout, this, &OptionsWindow::closeTimerElapsed);
    connect(reloadTimer, &QTimer::timeout, this, &OptionsWindow::reloadTimerElapsed);

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setAccessibleName(tr("Tabs"));
    MessageBoxes& messages = services.messages;
    optionsTab = new OptionsTab(messages, tabs);
    addPage(optionsTab);
    addPage(new FolderTab(FolderTab::Kind::Internet, messages, tabs));
    addPage(new FolderTab(FolderTab::Kind::Temp, messages, tabs));
    addPage(new CookiesTab(messages, tabs));
    addPage(new YourFolderTab(services.places(), messages, tabs));
    tabs->setCurrentIndex(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    resize(640, 480);

    connect(optionsTab, &OptionsTab::choicesChanged, this,
            [this](const CleaningChoices& choices) { choices_ = choices; });
    connect(optionsTab, &OptionsTab::viriRererRequested, this, &OptionsWindow::cleanChosenPages);
    connect(tabs, &QTabWidget::currentChanged, this, &OptionsWindow::tabSelected);
    // Escape does what the Close Form buttons do.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &OptionsWindow::closeForm);
}

OptionsWindow::~OptionsWindow() {
    // The lists may have held a great many paths; the program lives on in the tray,
    // so the memory they took goes back to the system once the pages are gone.
    delete tabs;
    ::malloc_trim(0);
}

void OptionsWindow::addPage(OptionsPage* page) {
    pages_.push_back(page);
    tabs->addTab(page, page->title());
    connect(page, &OptionsPage::helpRequested, this, &OptionsWindow::helpRequested);
    connect(page, &OptionsPage::closeRequested, this, &OptionsWindow::closeForm);
    connect(page, &OptionsPage::cleanRequested, this, [this, page] { cleanPage(page); });
    connect(page, &OptionsPage::choicesReloadRequested, this, &OptionsWindow::SetCheckBoxes);
    connect(page, &OptionsPage::reloadRequested, reloadTimer, qOverload<>(&QTimer::start));
}

void OptionsWindow::load() {
    if (!isVisible()) {
        FitOnScreen(this, true);
    }
    show();
    SetTabList3();
    SetCheckBoxes();
}

void OptionsWindow::SetTabList3() {
    optionsTab->showFolderPaths();
}

void OptionsWindow::SetCheckBoxes() {
    optionsTab->SetCheckBoxes();
}

void OptionsWindow::tabSelected(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) {
        return;
    }
    if (currentPage_ != index) {
        pages_[currentPage_]->leave();
        currentPage_ = index;
    }
    pages_[index]->enter();
}

void OptionsWindow::cleanPage(OptionsPage* page) {
    const std::optional<PageClean> offered = page->offeredClean();
    if (!offered || !CleanButtonAllows(services_.messages, *offered, choices_)) {
        return;
    }
    cleanPages({page});
}

void OptionsWindow::cleanChosenPages(const CleaningChoices& chosen) {
    std::vector<OptionsPage*> pages;
    for (OptionsPage* page : pages_) {
        const std::optional<PageClean> offered = page->offeredClean();
        if (offered && chosen[offered->choice]) {
            pages.push_back(page);
        }
    }
    cleanPages(pages);
}

void OptionsWindow::cleanPages(const std::vector<OptionsPage*>& pages) {
    // One clean of every page's kind, in the order of the pages.
    std::vector<TargetKind> kinds;
    for (const OptionsPage* page : pages) {
        kinds.push_back(page->offeredClean()->kind);
    }
    CleaningReport all;
    CleaningOperations& operations = services_.operations;
    services_.actions.runWork([&kinds, &all, &operations] { all = operations.Clean(kinds); });
    if (std::find(kinds.begin(), kinds.end(), TargetKind::UserFolder) != kinds.end() &&
        UserFolders().empty()) {
        services_.messages.show(tr("You Do Not Have Any Folders Selected!").toStdString(),
                                MessageKind::Information);
    }
    for (const std::string& refusal : all.refusals()) {
        services_.messages.show(refusal, MessageKind::Information);
    }
    for (OptionsPage* page : pages) {
        page->showCleaned(all.only(page->offeredClean()->kind));
    }
    emit countRequested(all.filesBefore(), all.filesAfter());
}

void OptionsWindow::closeForm() {
    hide();
    closeTimer->start();
}

void OptionsWindow::unload() {
    closeTimer->stop();
    reloadTimer->stop();
    hide();
    deleteLater();
    emit closed();
}

void OptionsWindow::closeTimerElapsed() {
    unload();
}

void OptionsWindow::reloadTimerElapsed() {
    unload();
    emit reloadRequested();
}

void OptionsWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        SetTabList3();
        SetCheckBoxes();
    }
}

void OptionsWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window's own close box or the program's end: unloaded at once.
    closeTimer->stop();
    reloadTimer->stop();
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace tidorax
