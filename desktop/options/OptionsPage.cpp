#include "desktop/options/OptionsPage.h"

#include "desktop/ReturnKeyFilter.h"

namespace tidorax {

OptionsPage::OptionsPage(MessageBoxes& messages, QWidget* parent) : QWidget(parent), messages_(messages) {}

void OptionsPage::showCleaned(const CleaningReport& /*report*/) {}

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(caption);
    ReturnKeyFilter::PressOnReturn(button);
    return button;
}

} // namespace tidorax
