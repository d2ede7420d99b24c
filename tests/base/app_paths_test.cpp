// Where the client keeps its files: beside a program its user may write to,
// else in the user's data directory, seeded with the installed art.

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "base/app_paths.h"
#include "tests/support/run_as_user.h"
#include "tests/support/temp_dir.h"

namespace {

class PathsAt : public platform::SystemPaths {
public:
    PathsAt(std::string program, std::string data)
        : program_(std::move(program))
        , data_(std::move(data))
    {
    }
    std::string tempDir() const override { return "/tmp/"; }
    std::string resolveShellPath(const std::string& path) const override { return path; }
    std::string programPath() const override { return program_; }
    std::string runtimeDir() const override { return "/tmp/"; }
    std::string dataHome() const override { return data_; }

private:
    std::string program_, data_;
};

// fromProgram as the user nobody, who may not write to root's folders.
std::string appDirAsNobody(const PathsAt& paths)
{
    return runAsUser(65534, {}, [&paths] { return AppPaths::fromProgram(paths).appDir; });
}

} // namespace

TEST(AppPaths, AWritableProgramFolderIsTheAppDir)
{
    TempDir program, data;
    const AppPaths p = AppPaths::fromProgram(PathsAt(program.file("zavtrel"), data.path()));
    EXPECT_EQ(p.appDir, program.path());
    EXPECT_FALSE(p.installed());
    EXPECT_FALSE(std::filesystem::exists(data.file("zavtrel")));
}

TEST(AppPaths, AnInstalledProgramWorksInTheUsersDataFolderSeededWithItsArt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    TempDir program, home;
    chmod(program.path().c_str(), 0755);
    chmod(home.path().c_str(), 0755);
    std::filesystem::create_directories(program.file("res"));
    writeBytes(program.file("res/tuvekb.bmp"), "installed");
    writeBytes(program.file("res/logina.bmp"), "installed");
    chmod(program.file("res").c_str(), 0755);
    chmod(program.file("res/tuvekb.bmp").c_str(), 0644);
    chmod(program.file("res/logina.bmp").c_str(), 0644);
    const std::string data = home.file("share/");
    std::filesystem::create_directories(data);
    chown(data.c_str(), 65534, 65534);
    const PathsAt paths(program.file("zavtrel"), data);

    EXPECT_EQ(appDirAsNobody(paths), data + "zavtrel/");
    struct stat st { };
    ASSERT_EQ(stat((data + "zavtrel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "settings hold the enciphered password";
    EXPECT_EQ(readBytes(data + "zavtrel/res/tuvekb.bmp"), "installed");

    // A later start keeps what the user's folder has meanwhile (a downloaded
    // image) and brings what it lacks.
    writeBytes(data + "zavtrel/res/tuvekb.bmp", "downloaded");
    std::filesystem::remove(data + "zavtrel/res/logina.bmp");
    EXPECT_EQ(appDirAsNobody(paths), data + "zavtrel/");
    EXPECT_EQ(readBytes(data + "zavtrel/res/tuvekb.bmp"), "downloaded");
    EXPECT_EQ(readBytes(data + "zavtrel/res/logina.bmp"), "installed");

    // No folder of its own to be had: the program's folder, read-only.
    const std::string closed = home.file("closed/");
    std::filesystem::create_directories(closed);
    chmod(closed.c_str(), 0755);
    EXPECT_EQ(appDirAsNobody(PathsAt(program.file("zavtrel"), closed)), program.path());
}
