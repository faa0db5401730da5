// A directory of the test's own (under /tmp unless told otherwise), removed
// with everything in it when the object goes.
#pragma once

#include <string>

namespace testfs {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& parent = "/tmp");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

    void mkdir(const std::string& relative) const;
    void touch(const std::string& relative, const std::string& contents = "") const;

private:
    std::string path_;
};

} // namespace testfs
