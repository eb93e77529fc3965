#include "desktop/options/OptionsPage.h"

#include "desktop/ReturnKeyFilter.h"

namespace tidorax {

OptionsPage::OptionsPage(MessageBoxes& messages, QWidget* parent) : QWidget(parent), messages_(messages) {}

void OptionsPage::showCleaned(const CleaningReport& /*report*/) {}

void OptionsPage::tellNotStored() {
    messages_.show(
        tr("Your Change Could Not Be Saved!\r\n\r\nThe Settings Are In Use, Try Again Later.").toStdString(),
        MessageKind::Critical);
}

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(caption);
    ReturnKeyFilter::PressOnReturn(button);
    return button;
}

} // namespace tidorax
