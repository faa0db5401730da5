// The OSS requests the stand-in device answers, in one table: the request,
// its name as the call log writes it, and what it sets on a device. The
// ioctl entry point and the log both read it.
#pragma once

namespace boxsim::dsp {

class DspDevice;

struct OssRequest {
    unsigned long request;
    const char* name;
    // Takes the caller's value and leaves the value in effect in it.
    void (DspDevice::*set)(int& value);
};

// The request's row, or null for one the device does not answer.
const OssRequest* ossRequest(unsigned long request);

} // namespace boxsim::dsp
