// Finding the folder that holds the tunes and effects.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "platform/media_folder.h"

namespace {

namespace fs = std::filesystem;

class MediaFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zam-media-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
    }
    void TearDown() override { fs::remove_all(root); }
    static void Touch(const fs::path& file) { std::ofstream(file).put('x'); }

    fs::path root;
};

TEST_F(MediaFolderTest, PrefersMediaBesideTheExecutableThenTheInstalledShareFolder) {
    EXPECT_EQ(platform::FindMediaFolder(root / "bin"), root / "bin") << "no media anywhere";

    fs::create_directories(root / "share" / "zam");
    Touch(root / "share" / "zam" / "zaming.mid");
    EXPECT_EQ(platform::FindMediaFolder(root / "bin"), root / "share" / "zam");

    Touch(root / "bin" / "zaming.mid");
    EXPECT_EQ(platform::FindMediaFolder(root / "bin"), root / "bin");
}

TEST_F(MediaFolderTest, FindsTheGamesLayoutOfADebianInstall) {
    fs::create_directories(root / "games");
    fs::create_directories(root / "share" / "games" / "zam");
    Touch(root / "share" / "games" / "zam" / "zaming.mid");
    EXPECT_EQ(platform::FindMediaFolder(root / "games"), root / "share" / "games" / "zam");
}

}  // namespace
