// One page (tab) of the options window. A page shows what it is given and offers at
// most one clean; it does not reach the other pages: what it needs comes to it as
// data, and what it asks of the window goes out as a signal.
#pragma once

#include "core/plans/CleaningOperations.h"
#include "desktop/MessageBoxes.h"
#include "desktop/options/OptionsCleaning.h"

#include <QPushButton>
#include <QWidget>

#include <optional>

namespace tidorax {

class OptionsPage : public QWidget {
    Q_OBJECT
public:
    OptionsPage(MessageBoxes& messages, QWidget* parent);

    // The caption of the page's tab.
    virtual QString title() const = 0;
    // The page's tab was selected.
    virtual void enter() = 0;
    // Another tab was selected after this one.
    virtual void leave() {}

    // The clean the page's clean button offers; none by default.
    virtual std::optional<PageClean> offeredClean() const { return std::nullopt; }
    // Shows what the page's clean did, once it is over.
    virtual void showCleaned(const CleaningReport& report);

signals:
    // A Help button was clicked.
    void helpRequested();
    // A Close button was clicked.
    void closeRequested();
    // The page's clean button was clicked.
    void cleanRequested();
    // The cleaning choices are to be read from the store again.
    void choicesReloadRequested();
    // The window is to unload and load afresh.
    void reloadRequested();

protected:
    MessageBoxes& messages() const { return messages_; }
    // Tells that a change of the page could not be stored.
    void tellNotStored();

private:
    MessageBoxes& messages_;
};

// A button with its caption and the same accessible name, pressed by Return too.
QPushButton* MakeButton(const QString& caption, QWidget* parent);

} // namespace tidorax
