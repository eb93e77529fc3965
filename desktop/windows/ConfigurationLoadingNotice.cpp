#include "desktop/windows/ConfigurationLoadingNotice.h"

#include "desktop/WindowOpeners.h"

#include <QCloseEvent>

namespace tidorax {

namespace {

ConfigurationLoadingNotice* theConfigurationLoadingNotice = nullptr;

const CountingNotice::Design kDesign = {
    "ConfigurationLoadingNotice",
    "Configuration File Loading",
    "Configuration File          Loading!",
    3405,
    1725,
    120,
    120,
    3255,
    1455,
    1080,
    1080,
    1215,
    735,
    250,
};

} // namespace

ConfigurationLoadingNotice* ConfigurationLoadingNotice::instance() {
    if (theConfigurationLoadingNotice == nullptr) {
        theConfigurationLoadingNotice = new ConfigurationLoadingNotice();
    }
    return theConfigurationLoadingNotice;
}

ConfigurationLoadingNotice* ConfigurationLoadingNotice::loaded() {
    return theConfigurationLoadingNotice;
}

ConfigurationLoadingNotice::ConfigurationLoadingNotice() : CountingNotice(kDesign) {}

ConfigurationLoadingNotice::~ConfigurationLoadingNotice() {
    if (theConfigurationLoadingNotice == this) {
        theConfigurationLoadingNotice = nullptr;
    }
}

void ConfigurationLoadingNotice::countFinished() {
    WindowOpeners::ShowOptionsWindow();
    close();
}

void ConfigurationLoadingNotice::closeEvent(QCloseEvent* event) {
    if (theConfigurationLoadingNotice == this) {
        theConfigurationLoadingNotice = nullptr;
    }
    CountingNotice::closeEvent(event);
}

} // namespace tidorax
