// A file a sink captures into (output_path.h says which may be), with every
// write checked. Nothing is lost without a word: a file that cannot be
// opened, and the first write that fails (a full disk, a pipe whose reader
// has gone), are reported once as lost sound, and the capture ends there;
// later bytes are dropped. A capture that lost nothing holds every byte, in
// order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace boxsim::dsp {

class CaptureFile {
public:
    // Creates or empties path. what names the capture in reports ("the WAV
    // capture").
    CaptureFile(const std::string& path, const std::string& what);
    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    // False once the capture has ended (or never began).
    bool open() const;
    // Appends all of data, or ends the capture; false if it has ended.
    bool append(const void* data, std::size_t size);
    // Bytes appended so far.
    std::uint64_t size() const { return size_; }
    // Writes data at offset without moving the end; false where the file
    // cannot be written there (a pipe), which is no loss.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Cuts the file to size bytes, where it can be cut.
    void truncate(std::uint64_t size);

private:
    void fail(const char* doing, const std::string& why);

    std::string path_;
    std::string what_;
    int fd_ = -1;
    bool waiting_for_reader_ = false; // a named pipe, opened at the first bytes
    bool ended_ = false;
    std::uint64_t size_ = 0;
};

} // namespace boxsim::dsp
