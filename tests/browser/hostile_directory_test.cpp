// Directories as other people's disks have them: odd names, deep paths, link
// loops, many entries, no permission. Each lists without a fault or a hang.
#include "browser_fixture.h"
#include "tests/support/scratch_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Strings = std::vector<std::string>;

namespace {

class HostileDirectory : public Browser {
protected:
    testfs::ScratchDir dir_;
};

} // namespace

TEST_F(HostileDirectory, NamesOfAnyBytesAreListedExactly) {
    const std::string longest(250, 'x'); // 255 bytes with ".flac"
    const Strings names = {"new\nline.flac",       "tab\there.flac", "esc\x1b[31m.flac",
                           "bad\xc3\x28utf8.flac", "\xff\xfe.flac",  longest + ".flac"};
    for (const std::string& n : names)
        dir_.touch(n);
    dir_.mkdir(std::string(255, 'd'));
    const Strings shown = listing(dir_.path());
    EXPECT_EQ(shown.size(), names.size() + 2);
    for (const std::string& n : names)
        EXPECT_NE(std::find(shown.begin(), shown.end(), n), shown.end()) << n;
    EXPECT_NE(std::find(shown.begin(), shown.end(), "/" + std::string(255, 'd')), shown.end());
}

TEST_F(HostileDirectory, PathsBeyondTheSystemLimitListNothingButUp) {
    // Twenty-five levels of 200 bytes: made relative to each parent, since
    // the whole path is too long for the system to take at once.
    const std::string level(200, 'p');
    std::string deep = dir_.path();
    int fd = open(dir_.path().c_str(), O_DIRECTORY);
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(mkdirat(fd, level.c_str(), 0755), 0);
        const int next = openat(fd, level.c_str(), O_DIRECTORY);
        close(fd);
        fd = next;
        deep += "/" + level;
    }
    close(openat(fd, "a.flac", O_CREAT | O_WRONLY, 0644));
    close(fd);
    ASSERT_GT(deep.size(), 4095u);
    EXPECT_EQ(listing(deep), Strings{".."});
    EXPECT_EQ(listing(deep + "/"), Strings{".."});

    // The scratch folder's cleanup cannot walk this deep: undo it level by level.
    for (int depth = 25; depth > 0; --depth) {
        int at = open(dir_.path().c_str(), O_DIRECTORY);
        for (int i = 0; i < depth - 1; ++i) {
            const int next = openat(at, level.c_str(), O_DIRECTORY);
            close(at);
            at = next;
        }
        if (depth == 25) {
            const int last = openat(at, level.c_str(), O_DIRECTORY);
            unlinkat(last, "a.flac", 0);
            close(last);
        }
        unlinkat(at, level.c_str(), AT_REMOVEDIR);
        close(at);
    }
}

TEST_F(HostileDirectory, LinkLoopsNeitherListNorHang) {
    dir_.symlink("b.flac", "a.flac");
    dir_.symlink("a.flac", "b.flac");
    dir_.symlink("self", "self");
    dir_.symlink(".", "here");
    EXPECT_EQ(listing(dir_.path()), (Strings{"..", "/here"}));
    // Going round the loop only makes the path longer.
    EXPECT_EQ(listing(dir_ / "here/here/here"), (Strings{"..", "/here"}));
}

TEST_F(HostileDirectory, TenThousandEntriesListInOrder) {
    for (int i = 0; i < 5000; ++i) {
        dir_.mkdir("dir " + std::to_string(i));
        dir_.touch("Track " + std::to_string(i) + ".flac");
    }
    const Strings shown = listing(dir_.path());
    ASSERT_EQ(shown.size(), 10001u);
    EXPECT_EQ(shown[1], "/dir 0");
    EXPECT_EQ(shown[2], "/dir 1");
    EXPECT_EQ(shown[3], "/dir 2");
    EXPECT_EQ(shown[5000], "/dir 4999");
    EXPECT_EQ(shown[5001], "Track 0.flac");
    EXPECT_EQ(shown[10000], "Track 4999.flac");
}

TEST_F(HostileDirectory, ADirectoryWeMayNotReadShowsUpAlone) {
    dir_.mkdir("private");
    dir_.touch("private/secret.flac");
    chmod((dir_ / "private").c_str(), 0700);
    chmod(dir_.path().c_str(), 0755);
    // Root reads everything: the listing runs in a child that is nobody.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 &&
            (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
            _exit(3);
        dialog_->setFocus(nullptr);
        const bool alone = listing(dir_ / "private") == Strings{".."};
        const bool focused = focus() == dialog_->fileList();
        _exit(alone && focused ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
