// The options window "Quillon Tidora Program": the cleaning choices and the contents
// of the folders it cleans, one page each ("Options", "Internet", "Temp", "Cookies",
// "Your Folder"). It runs the cleans its pages offer, with the choices of the
// "Options" page. Closing it hides it at once and unloads it 100 ms later; the tray
// controller then loads a fresh one on the "Options" page at the next use.
#pragma once

#include "core/cleaning/CleaningReport.h"
#include "desktop/DesktopServices.h"
#include "desktop/options/CleaningChoices.h"

#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <vector>

namespace tidorax {

class OptionsPage;
class OptionsTab;

class OptionsWindow : public QWidget {
    Q_OBJECT
public:
    // The window on its "Options" page, cleaning with the services' operations.
    explicit OptionsWindow(const DesktopServices& services);
    ~OptionsWindow() override;

    // Shows the window with the paths and the boxes read.
    void load();
    // The cleaning folders' paths on the "Options" page.
    void SetTabList3();
    // The check boxes from the stored flags.
    void SetCheckBoxes();
    // Close family: hides the window and unloads it 100 ms later.
    void closeForm();
    // Unloads the window now (hidden, and deleted once back in the event loop).
    void unload();
    // The cleaning choices as the "Options" page last told them.
    const CleaningChoices& choices() const { return choices_; }

    QTabWidget* tabs;
    OptionsTab* optionsTab;
    QTimer* closeTimer;  // 100 ms after a Close button: unloads
    QTimer* reloadTimer; // 50 ms after it is started: unloads and loads afresh

signals:
    // A Help button was clicked.
    void helpRequested();
    // The window has unloaded itself to be loaded afresh.
    void reloadRequested();
    // A clean of this window removed filesBefore - filesAfter files.
    void countRequested(std::size_t filesBefore, std::size_t filesAfter);
    // The window was closed or unloaded.
    void closed();

public slots:
    void tabSelected(int index);
    void closeTimerElapsed();
    void reloadTimerElapsed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Puts the page on a tab of its own and listens to it.
    void addPage(OptionsPage* page);
    // A page's clean button: refused or asked as the page's clean says, then cleaned.
    void cleanPage(OptionsPage* page);
    // "ViriRerer Now": the pages whose clean is checked, in the order of the tabs.
    void cleanChosenPages(const CleaningChoices& chosen);
    // Runs the pages' cleans in one piece of work, tells the refusals, lets each page
    // show what its clean did and asks for the count.
    void cleanPages(const std::vector<OptionsPage*>& pages);

    const DesktopServices& services_;
    std::vector<OptionsPage*> pages_;
    CleaningChoices choices_;
    int currentPage_ = 0;
};

} // namespace tidorax
