#include "desktop/options/OptionsPage.h"

namespace tidorax {

OptionsPage::OptionsPage(MessageBoxes& messages, QWidget* parent) : QWidget(parent), messages_(messages) {}

void OptionsPage::showCleaned(const CleaningReport& /*report*/) {}

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(caption);
    return button;
}

} // namespace tidorax
