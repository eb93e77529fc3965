#include "desktop/options/OptionsWindow.h"

#include "desktop/options/CookiesTab.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/YourFolderTab.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <malloc.h>

namespace tidorax {

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(caption);
    return button;
}

OptionsWindow::OptionsWindow(const DesktopServices& services) : QWidget(nullptr), services_(services) {
    setObjectName(QStringLiteral("optionsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quillon Tidora Program"));
    setAccessibleName(windowTitle());

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setAccessibleName(QStringLiteral("Tabs"));
    optionsTab = new OptionsTab(this);
    internetTab = new FolderTab(FolderTab::Kind::Internet, this);
    tempTab = new FolderTab(FolderTab::Kind::Temp, this);
    cookiesTab = new CookiesTab(this);
    yourFolderTab = new YourFolderTab(this);
    tabs->addTab(optionsTab, QStringLiteral("Options"));
    tabs->addTab(internetTab, QStringLiteral("Internet"));
    tabs->addTab(tempTab, QStringLiteral("Temp"));
    tabs->addTab(cookiesTab, QStringLiteral("Cookies"));
    tabs->addTab(yourFolderTab, QStringLiteral("Your Folder"));
    tabs->setCurrentIndex(OptionsPage);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    resize(640, 480);

    closeTimer = new QTimer(this);
    closeTimer->setInterval(100);
    closeTimer->setSingleShot(true);
    reloadTimer = new QTimer(this);
    reloadTimer->setInterval(50);
    reloadTimer->setSingleShot(true);
    connect(closeTimer, &QTimer::timeout, this, &OptionsWindow::closeTimerElapsed);
    connect(reloadTimer, &QTimer::timeout, this, &OptionsWindow::reloadTimerElapsed);
    connect(tabs, &QTabWidget::currentChanged, this, &OptionsWindow::tabSelected);
}

OptionsWindow::~OptionsWindow() {
    // The lists may have held a great many paths; the program lives on in the tray,
    // so the memory they took goes back to the system once the tabs are gone.
    delete tabs;
    ::malloc_trim(0);
}

void OptionsWindow::load() {
    show();
    SetTabList3();
    SetCheckBoxes();
}

void OptionsWindow::showCount(const CleaningReport& report) {
    emit countRequested(report.filesBefore(), report.filesAfter());
}

void OptionsWindow::SetTabList3() {
    optionsTab->showFolderPaths();
}

void OptionsWindow::SetCheckBoxes() {
    optionsTab->SetCheckBoxes();
}

void OptionsWindow::tabSelected(int index) {
    switch (index) {
    case OptionsPage:
        SetTabList3();
        SetCheckBoxes();
        break;
    case InternetPage:
        internetTab->ListFolder();
        SetCheckBoxes();
        break;
    case TempPage:
        tempTab->ListFolder();
        SetCheckBoxes();
        break;
    case CookiesPage:
        cookiesTab->ListCookies();
        SetCheckBoxes();
        break;
    case YourFolderPage:
        yourFolderTab->enterTab();
        break;
    default:
        break;
    }
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

void OptionsWindow::showHelp() {
    emit helpRequested();
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
