// Finding and entering the folder that holds the tunes and effects, whatever its name.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#include "media/media_folder.h"

namespace {

namespace fs = std::filesystem;

class MediaFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::current_path();
        root = fs::temp_directory_path() / ("zam-media-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override {
        fs::current_path(home);
        // rm walks a tree deeper than a path may be long; the library's removal does not.
        std::system(("rm -rf '" + root.string() + "'").c_str());
    }
    static void Touch(const fs::path& file) { std::ofstream(file).put('x'); }
    // What the program would play as its game tune from where it stands now.
    static bool SeesTune(const std::string& mark) {
        std::ifstream tune("zaming.mid");
        std::string text;
        tune >> text;
        return text == mark;
    }
    static void Mark(const fs::path& folder, const std::string& mark) {
        fs::create_directories(folder);
        std::ofstream(folder / "zaming.mid") << mark;
    }

    fs::path home;
    fs::path root;
};

TEST_F(MediaFolderTest, TriesTheProgramsFolderThenShareZamThenShareGamesZamAndNeverTheLaunchFolder) {
    Mark(root / "launch", "launch");
    fs::create_directories(root / "bin");
    fs::current_path(root / "launch");
    EXPECT_FALSE(media::EnterMediaFolder((root / "bin").string())) << "no media anywhere";
    EXPECT_EQ(fs::current_path(), root / "bin");
    EXPECT_FALSE(SeesTune("launch"));

    Mark(root / "share" / "games" / "zam", "debian");
    EXPECT_TRUE(media::EnterMediaFolder((root / "bin").string()));
    EXPECT_TRUE(SeesTune("debian"));
    Mark(root / "share" / "zam", "installed");
    EXPECT_TRUE(media::EnterMediaFolder((root / "bin").string()));
    EXPECT_TRUE(SeesTune("installed"));
    Mark(root / "bin", "beside");
    EXPECT_TRUE(media::EnterMediaFolder((root / "bin").string()));
    EXPECT_TRUE(SeesTune("beside"));

    // A folder that cannot be entered leaves the program nowhere, not in the launch folder.
    fs::current_path(root / "launch");
    EXPECT_FALSE(media::EnterMediaFolder((root / "missing").string()));
    EXPECT_FALSE(SeesTune("launch"));
    EXPECT_FALSE(media::EnterMediaFolder(""));
    EXPECT_FALSE(SeesTune("launch"));
}

TEST_F(MediaFolderTest, AFolderNamedByAnyBytesOfAnyLengthIsEntered) {
    // Not UTF-8, a quote and a blank, and nested deeper than a path may be long in one call.
    std::vector<std::string> parts{"caf\xe9 \"1\""};
    for (int i = 0; i < 25; ++i)
        parts.push_back(std::string(200, static_cast<char>('a' + i)));
    fs::path deep = root;
    for (const auto& part : parts)
        deep /= part;
    ASSERT_GT(deep.string().size(), 4096u);
    fs::create_directories(root / "launch");
    Mark(root / "launch", "launch");
    {
        // Made a step at a time: the whole path is too long for the system to take at once.
        fs::current_path(root);
        for (const auto& part : parts)
            fs::create_directory(part), fs::current_path(part);
        std::ofstream("zaming.mid") << "deep";
    }
    fs::current_path(root / "launch");
    EXPECT_TRUE(media::EnterMediaFolder(deep.string()));
    EXPECT_TRUE(SeesTune("deep"));
    fs::current_path(home);
}

TEST_F(MediaFolderTest, TheProgramsFolderIsItsOwnPathWithoutTheName) {
    const std::string folder = media::ExecutableFolder(nullptr);
    EXPECT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(folder)) << folder;
}

}  // namespace
