#include "boxsim/dsp/oss_requests.h"

#include "boxsim/dsp/dsp_device.h"

#include <linux/soundcard.h>

namespace boxsim::dsp {
namespace {

const OssRequest requests[] = {
    {SNDCTL_DSP_SETFMT, "SNDCTL_DSP_SETFMT", &DspDevice::setFormat},
    {SNDCTL_DSP_STEREO, "SNDCTL_DSP_STEREO", &DspDevice::setStereo},
    {SNDCTL_DSP_CHANNELS, "SNDCTL_DSP_CHANNELS", &DspDevice::setChannels},
    {SNDCTL_DSP_SPEED, "SNDCTL_DSP_SPEED", &DspDevice::setSpeed},
};

} // namespace

const OssRequest* ossRequest(unsigned long request) {
    for (const OssRequest& r : requests) {
        if (r.request == request)
            return &r;
    }
    return nullptr;
}

} // namespace boxsim::dsp
