// The second notice of a first run: the configuration is loading. When its count is
// over it asks for the options window (the tray controller shows it) and closes.
#pragma once

#include "desktop/windows/CountingNotice.h"

namespace tidorax {

class ConfigurationLoadingNotice : public CountingNotice {
    Q_OBJECT
public:
    // The notice in its design state.
    ConfigurationLoadingNotice();

signals:
    // The count is over: the options window is to show.
    void optionsWanted();

protected:
    void countFinished() override;
};

} // namespace tidorax
