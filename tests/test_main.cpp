// Runs the tests inside one QApplication, headless unless a display is asked for.

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/accessibility/accessibility.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        auto dir = std::filesystem::temp_directory_path() / "zam-tests-runtime";
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::EnableAccessibility();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
