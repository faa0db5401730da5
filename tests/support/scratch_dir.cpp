#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfs {

namespace {
int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}
int make_writable(const char* path, const struct stat* st, int type, struct FTW*) {
    if (type == FTW_D || type == FTW_DNR)
        ::chmod(path, (st->st_mode & 07777) | 0700);
    return 0;
}
} // namespace

ScratchDir::ScratchDir() {
    char name[] = "/tmp/tivra-test-XXXXXX";
    const char* made = ::mkdtemp(name);
    EXPECT_NE(made, nullptr);
    path_ = made ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
    ::nftw(path_.c_str(), make_writable, 16, FTW_PHYS);
    ::nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ScratchDir::operator/(const std::string& relative) const {
    return path_ + "/" + relative;
}

void ScratchDir::mkdir(const std::string& relative) const {
    EXPECT_EQ(::mkdir((*this / relative).c_str(), 0755), 0) << relative;
}

void ScratchDir::touch(const std::string& relative, const std::string& contents) const {
    std::ofstream out(*this / relative, std::ios::binary);
    out << contents;
    EXPECT_TRUE(out.good()) << relative;
}

void ScratchDir::symlink(const std::string& target, const std::string& relative) const {
    EXPECT_EQ(::symlink(target.c_str(), (*this / relative).c_str()), 0) << relative;
}

void ScratchDir::mkfifo(const std::string& relative) const {
    EXPECT_EQ(::mkfifo((*this / relative).c_str(), 0644), 0) << relative;
}

} // namespace testfs
