// The widget tests run without a display (Qt's offscreen platform) and with every
// folder Qt might write to pointed at a fresh temporary folder. Both must hold before
// the application object exists, also when the build lists the tests.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const char* base = std::getenv("TMPDIR");
    std::string root = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tidorax-gui-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        return 2;
    }
    for (const char* name : {"home", "config", "cache", "data", "runtime"}) {
        ::mkdir((root + "/" + name).c_str(), 0700);
    }
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);

    int result = 0;
    {
        QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
