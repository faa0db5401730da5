#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace testfs {

ScratchDir::ScratchDir(const std::string& parent) {
    std::string name = parent + "/tivra-test-XXXXXX";
    const char* made = ::mkdtemp(name.data());
    EXPECT_NE(made, nullptr) << parent;
    path_ = made ? made : parent + "/tivra-test-none";
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::mkdir(const std::string& relative) const {
    EXPECT_TRUE(std::filesystem::create_directory(*this / relative)) << relative;
}

void ScratchDir::touch(const std::string& relative, const std::string& contents) const {
    std::ofstream out(*this / relative, std::ios::binary);
    out << contents;
    EXPECT_TRUE(out.good()) << relative;
}

} // namespace testfs
