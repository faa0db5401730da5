#include "boxsim/dsp/descriptor_table.h"

#include "boxsim/dsp/dsp_device.h"

#include <algorithm>

namespace boxsim::dsp {

void DescriptorTable::add(int fd, Device device) {
    descriptors_[fd] = std::move(device);
}

bool DescriptorTable::owns(int fd) const {
    auto it = descriptors_.find(fd);
    return it != descriptors_.end() && it->second->isHeldBy(fd);
}

DescriptorTable::Device DescriptorTable::find(int fd) const {
    auto it = descriptors_.find(fd);
    return it == descriptors_.end() ? nullptr : it->second;
}

std::size_t DescriptorTable::devices() const {
    return all().size();
}

DescriptorTable::Device DescriptorTable::forget(int fd) {
    auto it = descriptors_.find(fd);
    if (it == descriptors_.end())
        return nullptr;
    Device device = it->second;
    descriptors_.erase(it);
    for (const auto& other : descriptors_) {
        if (other.second == device)
            return nullptr; // still open through a copy
    }
    return device;
}

std::size_t DescriptorTable::sweep(std::vector<Device>& closed) {
    std::vector<int> stale;
    for (const auto& [fd, device] : descriptors_) {
        if (!device->isHeldBy(fd))
            stale.push_back(fd);
    }
    for (int fd : stale) {
        if (Device device = forget(fd))
            closed.push_back(device);
    }
    return stale.size();
}

std::vector<DescriptorTable::Device> DescriptorTable::all() const {
    std::vector<Device> out;
    for (const auto& [fd, device] : descriptors_) {
        if (std::find(out.begin(), out.end(), device) == out.end())
            out.push_back(device);
    }
    return out;
}

void DescriptorTable::abandon() {
    new std::map<int, Device>(std::move(descriptors_));
    descriptors_.clear();
}

} // namespace boxsim::dsp
