// The box's screen: PAL television, 720 x 576 pixels, shown at 4:3. Widgets'
// coordinates are on it; every front end scales it to what it has.
#pragma once

namespace boxsim {

constexpr int screenWidth = 720;
constexpr int screenHeight = 576;

} // namespace boxsim
