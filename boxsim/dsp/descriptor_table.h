// The card's descriptors: which of the process's descriptors are the
// device's, one per open and any copies of it, each with its device. A
// device closes with its last copy.
//
// Not locked itself: the card holds its lock around every call. Queries
// only answer; the sweep of descriptors closed behind the card's back (a
// stream's fclose, close_range) is a call of its own.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

namespace boxsim::dsp {

class DspDevice;

class DescriptorTable {
public:
    using Device = std::shared_ptr<DspDevice>;

    void add(int fd, Device device);
    // fd is the device's and still holds it (not closed behind the card's
    // back, its number not since another file's).
    bool owns(int fd) const;
    // The device of fd, or null.
    Device find(int fd) const;
    bool empty() const { return descriptors_.empty(); }
    // Devices with a descriptor open.
    std::size_t devices() const;

    // Drops fd; returns its device if that was its last copy, which then
    // plays out what it holds.
    Device forget(int fd);
    // Drops every descriptor that no longer holds its device; returns how
    // many, and puts the devices that lost their last copy in closed.
    std::size_t sweep(std::vector<Device>& closed);

    // The devices, each once, for a fork to hold their locks.
    std::vector<Device> all() const;
    // In a forked child: the devices are the parent's, never let go of here
    // (that would join threads this process does not have).
    void abandon();

private:
    std::map<int, Device> descriptors_;
};

} // namespace boxsim::dsp
