// Points the decoder's device descriptor at a scratch file for the length of
// a test, so the bytes a run writes can be read back.
#pragma once

#include "playback/decoder.h"
#include "tests/support/flac_maker.h"
#include "tests/support/scratch_dir.h"

#include <fcntl.h>
#include <unistd.h>

class DeviceCapture {
public:
    DeviceCapture() : path_(dir_ / "device.raw") {
        audio = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    ~DeviceCapture() {
        const int fd = audio.exchange(0);
        if (fd > 0)
            ::close(fd);
    }
    std::vector<unsigned char> bytes() const { return testaudio::readFile(path_); }
    const testfs::ScratchDir& dir() const { return dir_; }

private:
    testfs::ScratchDir dir_;
    std::string path_;
};
