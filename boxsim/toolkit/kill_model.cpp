#include "boxsim/toolkit/kill_model.h"

#include <atomic>

namespace boxsim {
namespace {

std::atomic<KillModel> model{KillModel::cancel};

struct Named {
    KillModel model;
    const char* name;
};
constexpr Named names[] = {{KillModel::cancel, "cancel"},
                           {KillModel::cancel_nowait, "cancel-nowait"}};

} // namespace

void setKillModel(KillModel m) {
    model.store(m);
}

KillModel killModel() {
    return model.load();
}

std::optional<KillModel> killModelNamed(const std::string& name) {
    for (const Named& n : names) {
        if (name == n.name)
            return n.model;
    }
    return std::nullopt;
}

const char* killModelName(KillModel m) {
    for (const Named& n : names) {
        if (m == n.model)
            return n.name;
    }
    return "";
}

} // namespace boxsim
