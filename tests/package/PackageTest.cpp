// The Debian package scripts/package made of this build (the package_build test, run first):
// checked by the tools a distribution checks with (lintian, appstreamcli,
// desktop-file-validate, man), then installed with dpkg, run from /usr/bin, following a real
// mpv, and removed again.
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FollowHarness.h"

namespace follow_test {
namespace {

using test_support::run_command;
using test_support::shell_quote;
using testing::HasSubstr;

constexpr const char *kAppId = "org.brindle.Brindle";

bool exists(const std::string &path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The one .deb scripts/package left in the build's package/ folder.
std::string package_path() {
    std::string found;
    const std::string folder = std::string(BRINDLE_BUILD_DIR) + "/package";
    for (const std::string &name : test_support::directory_entries(folder)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".deb") == 0)
            found = folder + "/" + name;
    }
    return found;
}

// `command` with its standard error; the exit status in `status`.
std::string output_of(const std::string &command, int *status = nullptr) {
    std::string output;
    int result = run_command(command + " 2>&1", &output);
    if (status != nullptr)
        *status = result;
    return output;
}

// The paths the package holds, as "/usr/..." (dpkg-deb -c lists them "./usr/...").
std::vector<std::string> package_paths(const std::string &package) {
    std::vector<std::string> paths;
    std::istringstream listing(output_of("dpkg-deb -c " + shell_quote(package)));
    for (std::string line; std::getline(listing, line);) {
        const auto at = line.find(" ./");
        if (at == std::string::npos)
            continue;
        std::string path = line.substr(at + 2);
        if (path.size() > 1 && path.back() == '/')
            path.pop_back();
        paths.push_back(path);
    }
    return paths;
}

class Package : public testing::Test {
protected:
    void SetUp() override {
        fPackage = package_path();
        ASSERT_FALSE(fPackage.empty()) << "no .deb in the build's package/ (scripts/package)";
    }

    // The package's files unpacked in a folder of the test's own.
    std::string Unpacked(const std::string &path) {
        if (!fUnpacked) {
            int status;
            std::string output = output_of(
                "dpkg-deb -x " + shell_quote(fPackage) + " " + shell_quote(fRoot.Path()), &status);
            EXPECT_EQ(status, 0) << output;
            fUnpacked = true;
        }
        return fRoot.Path() + path;
    }

    // The package's version, as its control file has it.
    std::string Version() const {
        std::string version = output_of("dpkg-deb -f " + shell_quote(fPackage) + " Version");
        if (!version.empty() && version.back() == '\n')
            version.pop_back();
        return version;
    }

    std::string fPackage;
    TempDir fRoot;
    bool fUnpacked = false;
};

TEST_F(Package, LintianFindsNoError) {
    int status;
    std::string report = output_of(
        "lintian --fail-on error --tag-display-limit 0 " + shell_quote(fPackage), &status);
    EXPECT_EQ(status, 0) << report;
    EXPECT_THAT(report, testing::Not(testing::ContainsRegex("(^|\n)E: "))) << report;
}

TEST_F(Package, MenuEntryMetadataAndIconValidateAndNameOneId) {
    const std::string id = kAppId;
    const std::string desktop = Unpacked("/usr/share/applications/" + id + ".desktop");
    const std::string metainfo = Unpacked("/usr/share/metainfo/" + id + ".metainfo.xml");
    int status;
    std::string output = output_of("desktop-file-validate " + shell_quote(desktop), &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "");
    output = output_of("appstreamcli validate --no-net " + shell_quote(metainfo), &status);
    EXPECT_EQ(status, 0) << output;

    const std::string entry = test_support::read_file(desktop);
    EXPECT_THAT(entry, HasSubstr("\nExec=brindle-player --follow\n"));
    EXPECT_THAT(entry, HasSubstr("\nIcon=" + id + "\n"));
    const std::string component = test_support::read_file(metainfo);
    EXPECT_THAT(component, HasSubstr("<launchable type=\"desktop-id\">" + id + ".desktop<"));
    EXPECT_THAT(component, HasSubstr("<binary>brindle-player</binary>"));
    EXPECT_THAT(component, HasSubstr("<binary>brindle</binary>"));
    EXPECT_THAT(
        test_support::read_file(Unpacked("/usr/share/icons/hicolor/scalable/apps/" + id + ".svg")),
        HasSubstr("<svg"));
    // The latest release each of them names is the package's.
    EXPECT_THAT(component, HasSubstr("<release version=\"" + Version() + "\""));
    EXPECT_THAT(output_of("zcat " + shell_quote(Unpacked("/usr/share/doc/brindle/changelog.gz")) +
                          " | head -n 1"),
                HasSubstr("brindle (" + Version() + ") "));
}

// The player's page is written from the player's own --help and help: every option and
// every command the built player knows is on it, as man shows it.
TEST_F(Package, PlayerManualPageListsEveryOptionAndCommand) {
    int status;
    std::string page =
        output_of("LC_ALL=C MANWIDTH=200 man -l " +
                      shell_quote(Unpacked("/usr/share/man/man1/brindle-player.1.gz")),
                  &status);
    ASSERT_EQ(status, 0) << page;
    const std::string player = std::string(BRINDLE_BUILD_DIR) + "/brindle-player";
    std::istringstream usage(output_of(shell_quote(player) + " --help"));
    int options = 0;
    for (std::string line; std::getline(usage, line);) {
        std::smatch option;
        if (!std::regex_search(line, option, std::regex("^  (--[a-z-]+)")))
            continue;
        EXPECT_THAT(page, HasSubstr(option[1].str())) << page;
        ++options;
    }
    std::istringstream commands(
        output_of("echo help | " + shell_quote(player) + " --headless --script -"));
    int listed = 0;
    for (std::string line; std::getline(commands, line);) {
        std::smatch command;
        if (line.compare(0, 2, "= ") != 0)
            continue;
        if (!std::regex_search(line, command, std::regex("^= (\\S.*?)\\s{2,}(\\S.*)$"))) {
            ADD_FAILURE() << "a help line the page cannot have: " << line;
            continue;
        }
        EXPECT_THAT(page, HasSubstr(command[1].str()));
        EXPECT_THAT(page, HasSubstr(command[2].str()));
        ++listed;
    }
    EXPECT_GE(options, 5);
    EXPECT_GE(listed, 20);
    EXPECT_EQ(output_of("man -l " + shell_quote(Unpacked("/usr/share/man/man1/brindle.1.gz")) +
                        " >/dev/null; echo $?"),
              "0\n");
}

// dpkg -i, waiting while another dpkg or apt holds its lock (as on a shared machine).
int dpkg(const std::string &arguments, std::string *output) {
    int status = -1;
    eventually([&] {
        *output = output_of("dpkg " + arguments, &status);
        return status == 0 || output->find("lock") == std::string::npos;
    });
    return status;
}

bool installed_package() {
    return output_of("dpkg-query -W -f='${Status}' brindle") == "install ok installed";
}

TEST_F(Package, InstalledFromUsrBinItFollowsMpvAndRemovalLeavesNothing) {
    if (geteuid() != 0)
        GTEST_SKIP() << "installing a package needs root";
    ASSERT_FALSE(installed_package())
        << "brindle is installed on this machine already; the test would replace it";
    const std::vector<std::string> paths = package_paths(fPackage);
    ASSERT_FALSE(paths.empty());
    std::vector<std::string> before;
    for (const std::string &path : paths)
        if (exists(path))
            before.push_back(path);

    std::string output;
    ASSERT_EQ(dpkg("-i " + shell_quote(fPackage), &output), 0) << output;
    struct Remover {
        ~Remover() {
            std::string ignored;
            if (installed_package())
                dpkg("-r brindle", &ignored);
        }
    } remover;
    for (const std::string &path : paths)
        EXPECT_TRUE(exists(path)) << path;
    EXPECT_EQ(output_of("/usr/bin/brindle-player --version"), "brindle-player " + Version() + "\n");
    EXPECT_THAT(output_of("man -w brindle-player"),
                HasSubstr("/usr/share/man/man1/brindle-player.1.gz"));
    {
        SessionBus bus;
        TempDir dir;
        const auto files = titled_mp3s(dir, {"One"});
        Mpv mpv(bus, files);
        FollowingPlayer player(dir, bus, {{"--follow"}, false, false, "/usr/bin/brindle-player"});
        player.Ask("enable");
        EXPECT_TRUE(player.AskUntil("form", "= title One"));
        EXPECT_EQ(player.Quit().exitStatus, 0);
    }

    ASSERT_EQ(dpkg("-r brindle", &output), 0) << output;
    EXPECT_FALSE(installed_package());
    // Nothing for a purge to do: dpkg keeps no record of it (no maintainer script, no list).
    EXPECT_THAT(output_of("dpkg-query -W -f='${Status}' brindle"),
                HasSubstr("no packages found matching brindle"));
    EXPECT_EQ(output_of("ls /var/lib/dpkg/info | grep '^brindle\\.'"), "");
    std::vector<std::string> after;
    for (const std::string &path : paths)
        if (exists(path))
            after.push_back(path);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(exists("/usr/lib/brindle"));
}

}  // namespace
}  // namespace follow_test
