// The second notice of a first run: the configuration is loading. When its count is
// over it shows the options window and closes.
#pragma once

#include "desktop/windows/CountingNotice.h"

namespace tidorax {

class ConfigurationLoadingNotice : public CountingNotice {
    Q_OBJECT
public:
    // The one notice, created in its design state when none exists.
    static ConfigurationLoadingNotice* instance();
    static ConfigurationLoadingNotice* loaded();

protected:
    void countFinished() override;
    void closeEvent(QCloseEvent* event) override;

private:
    ConfigurationLoadingNotice();
    ~ConfigurationLoadingNotice() override;
};

} // namespace tidorax
