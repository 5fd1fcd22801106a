// Where the settings file lives: beside a program run from a folder of its own, in the user's
// configuration folder for a program installed for every user.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "SettingsFile.h"

using namespace tw::fluegas;
namespace fs = std::filesystem;

TEST(SettingsLocation, SharedProgramDirectoriesAreTheSystemsSoftwareFolders) {
    struct Case {
        const char* dir;
        bool shared;
    };
    const Case cases[] = {
        {"/usr/bin", true},
        {"/usr/local/bin", true},
        {"/usr", true},
        {"/opt/tarnwell/bin", true},
        {"/bin", true},
        {"/sbin/", true},
        {"/usr/bin/../lib/x86_64-linux-gnu/tw", true},
        // An unpacked package, a build tree or an install tree of the user's own.
        {"/tmp/unpacked/usr/bin", false},
        {"/home/engineer/tw/install/bin", false},
        {"/work/tw/build/bin", false},
        // Only a whole first folder name counts, and ".." is followed.
        {"/usrlocal/bin", false},
        {"/opt2/bin", false},
        {"/usr/../home/engineer/bin", false},
        {"/", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isSharedProgramDirectory(c.dir), c.shared) << c.dir;
    }
}

TEST(SettingsLocation, InstalledProgramUsesTheUserFolderEvenWhereItsOwnIsWritable) {
    const fs::path config =
        fs::temp_directory_path() / ("twn_location_" + std::to_string(::getpid()) + "/TW_FlueGas");
    // /usr/bin is writable for root, who runs these tests on the build machines: the settings
    // still go to the user's folder, and nothing is written into /usr/bin.
    EXPECT_EQ(settingsFilePath("/usr/bin", config, "TW_FlueGas"), config / "TW_FlueGas.twn");
    EXPECT_TRUE(fs::is_directory(config));
    EXPECT_EQ(settingsFilePath("/usr/local/bin", config, "TW_FlueGas"), config / "TW_FlueGas.twn");
    fs::remove_all(config.parent_path());
}
