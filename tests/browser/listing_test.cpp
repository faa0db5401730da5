// Listing one directory into the file list.
#include "browser_fixture.h"
#include "stat_recorder.h"
#include "tests/support/box_disk.h"
#include "tests/support/scratch_dir.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Strings = std::vector<std::string>;

namespace {

class Listing : public Browser {
protected:
    testfs::ScratchDir dir_;
};

} // namespace

TEST_F(Listing, EmptyDirectoryGivesTheUpEntryAlone) {
    EXPECT_EQ(listing(dir_.path()), Strings{".."});
}

TEST_F(Listing, OnlyDotDotDotIsHiddenAmongDirectories) {
    for (const char* d : {"...", "...x", ".covers", "jazz"})
        dir_.mkdir(d);
    EXPECT_EQ(listing(dir_.path()), (Strings{"..", "/...x", "/.covers", "/jazz"}));
}

TEST_F(Listing, FilesAreOfferedByTheirLastFiveCharactersInAnyCase) {
    for (const char* f : {"a.flac", "B.FLAC", "c.FlAc", ".flac", "a.flac.bak", "a.fla", "flac",
                          "aflac", "notes.txt"})
        dir_.touch(f);
    EXPECT_EQ(listing(dir_.path()), (Strings{"..", ".flac", "a.flac", "B.FLAC", "c.FlAc"}));
}

TEST_F(Listing, LinksAreFollowedForDirectoriesOnly) {
    dir_.mkdir("real");
    dir_.touch("song.flac");
    dir_.symlink("real", "linked");
    dir_.symlink("song.flac", "link.flac");
    dir_.symlink("nowhere", "dangling");
    dir_.symlink("nowhere.flac", "dangling.flac");
    dir_.mkdir("x.flac");
    EXPECT_EQ(listing(dir_.path()), (Strings{"..", "/linked", "/real", "/x.flac", "song.flac"}));
}

TEST_F(Listing, PipesAndDeviceNodesAreNotFiles) {
    dir_.mkfifo("pipe.flac");
    const bool have_node = mknod((dir_ / "null.flac").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    EXPECT_EQ(listing(dir_.path()), Strings{".."}) << (have_node ? "" : "(no device node made)");
}

TEST_F(Listing, NamesAreKeptAsBytes) {
    const std::string odd = "bad\xff\x01\n name.flac";
    dir_.touch(odd);
    EXPECT_EQ(listing(dir_.path()), (Strings{"..", odd}));
}

TEST_F(Listing, ListingAgainReplacesTheEntriesAndFocusesTheList) {
    dir_.mkdir("jazz");
    dir_.touch("a.flac");
    listing(dir_.path());
    dialog_->setFocus(nullptr);
    EXPECT_EQ(listing(dir_.path()), (Strings{"..", "/jazz", "a.flac"}));
    EXPECT_EQ(focus(), dialog_->fileList());
}

TEST_F(Listing, UnopenableDirectoryShowsTheUpEntryAloneWithFocus) {
    dialog_->setFocus(nullptr);
    EXPECT_EQ(listing(dir_ / "missing"), Strings{".."});
    EXPECT_EQ(focus(), dialog_->fileList());
    dir_.touch("file");
    EXPECT_EQ(listing(dir_ / "file"), Strings{".."});
    if (geteuid() != 0) {
        dir_.mkdir("locked");
        chmod((dir_ / "locked").c_str(), 0);
        EXPECT_EQ(listing(dir_ / "locked"), Strings{".."});
    }
}

TEST_F(Listing, EveryEntryCarriesTheSameKeyAndIntegers) {
    dir_.mkdir("d");
    dir_.touch("f.flac");
    listing(dir_.path());
    for (const std::string& text : entries()) {
        const boxsim::EntryArguments e = boxsim::entryArguments(*entry(text));
        EXPECT_EQ(e.key, reinterpret_cast<void*>(10));
        EXPECT_EQ(e.align, 0);
        EXPECT_EQ(e.help, "");
        EXPECT_EQ(e.keytype, 0);
    }
}

TEST_F(Listing, HddListsTheSameWithOrWithoutTrailingSlash) {
    REQUIRE_BOX_DISK();
    mkdir((boxdisk::hddSource() + "/rock").c_str(), 0755);
    EXPECT_EQ(listing("/hdd"), listing("/hdd/"));
    EXPECT_EQ(listing("/hdd"), (Strings{"..", "/rock"}));
    rmdir((boxdisk::hddSource() + "/rock").c_str());
}

TEST_F(Listing, RootCandidatesHaveNoDoubledSlash) {
    REQUIRE_BOX_DISK();
    statrec::start();
    const Strings shown = listing("/");
    const Strings asked = statrec::stop();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "/jazz"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "a.flac"), shown.end());
    EXPECT_NE(std::find(asked.begin(), asked.end(), "/jazz"), asked.end());
    for (const std::string& p : asked)
        EXPECT_EQ(p.find("//"), std::string::npos) << p;
}
