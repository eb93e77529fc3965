// The widget tests run without a display (Qt's offscreen platform) and with every
// folder Qt might write to pointed at a fresh temporary folder. Both must hold before
// the application object exists, also when the build lists the tests.
#include "tests/support/TempDir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <utility>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const tidorax::test::TempDir root; // removed after the application object
    for (const auto& [variable, name] : {std::pair{"HOME", "home"},
                                         {"XDG_CONFIG_HOME", "config"},
                                         {"XDG_CACHE_HOME", "cache"},
                                         {"XDG_DATA_HOME", "data"},
                                         {"XDG_RUNTIME_DIR", "runtime"}}) {
        ::mkdir((root / name).c_str(), 0700);
        ::setenv(variable, (root / name).c_str(), 1);
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
