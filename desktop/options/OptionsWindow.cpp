#include "desktop/options/OptionsWindow.h"

#include "core/plans/CleaningOperations.h"
#include "desktop/DesktopActions.h"
#include "desktop/QtDesktopActions.h"
#include "desktop/options/CookiesTab.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/YourFolderTab.h"
#include "desktop/windows/HelpWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <malloc.h>

namespace tidorax {

namespace {

OptionsWindow* theWindow = nullptr;
CleaningOperations* theOperations = nullptr;
DesktopActions* theActions = nullptr;

} // namespace

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(caption);
    return button;
}

OptionsWindow* OptionsWindow::instance() {
    if (theWindow == nullptr) {
        theWindow = new OptionsWindow();
        // Load: shown, the paths and the boxes from the store.
        theWindow->show();
        theWindow->SetTabList3();
        theWindow->SetCheckBoxes();
    }
    return theWindow;
}

OptionsWindow* OptionsWindow::loaded() {
    return theWindow;
}

void OptionsWindow::showWindow() {
    OptionsWindow* window = instance();
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void OptionsWindow::setServices(CleaningOperations* operations, DesktopActions* actions) {
    theOperations = operations;
    theActions = actions;
}

CleaningOperations& OptionsWindow::operations() {
    return theOperations != nullptr ? *theOperations : engineOperations();
}

DesktopActions& OptionsWindow::actions() {
    static QtDesktopActions desktopActions;
    return theActions != nullptr ? *theActions : desktopActions;
}

OptionsWindow::OptionsWindow() : QWidget(nullptr) {
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
    if (theWindow == this) {
        theWindow = nullptr;
    }
    // The lists may have held a great many paths; the program lives on in the tray,
    // so the memory they took goes back to the system once the tabs are gone.
    delete tabs;
    ::malloc_trim(0);
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
    theWindow = nullptr;
    hide();
    deleteLater();
}

void OptionsWindow::closeTimerElapsed() {
    unload();
}

void OptionsWindow::reloadTimerElapsed() {
    unload();
    actions().pause(100);
    showWindow();
}

void OptionsWindow::showHelp() {
    HelpWindow::showHelp();
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
    if (theWindow == this) {
        theWindow = nullptr;
    }
    QWidget::closeEvent(event);
}

} // namespace tidorax
