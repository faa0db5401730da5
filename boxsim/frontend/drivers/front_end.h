// What a front end of the host does: it draws the plug-in's window and takes
// its keys while the plug-in runs (the toolkit's modal driver), and between
// runs shows the host's own screen, where the user starts the plug-in again
// or quits.
#pragma once

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/toolkit/modal_driver.h"

#include <string>

namespace boxsim {

enum class HostChoice { launch, quit };

class FrontEnd : public ModalDriver {
public:
    // Draws the screen with window on it, and takes the window's title as
    // the plug-in's name for the host's screen.
    void present(eWidget& window) final;
    // The plug-in has returned result. Shows so, and whether a file still
    // plays, until the user decides.
    virtual HostChoice betweenRuns(int result) = 0;
    // True once the front end has nothing more to give (a key script that
    // has ended): the host then quits instead of showing its screen.
    virtual bool finished() const { return false; }
    // A message for a session that went wrong (a key script asking for
    // something that cannot be done), or "".
    virtual std::string failure() const { return ""; }
    // What the host's screen calls the plug-in until it has shown a window
    // (its file's name).
    void setPluginName(const std::string& name) { plugin_name_ = name; }

protected:
    virtual void draw(eWidget& window) = 0;
    // The host's screen as it stands: the plug-in's name, result and
    // whether a file plays now.
    HostScreen hostScreen(int result) const;

private:
    std::string plugin_name_ = "The plug-in";
};

} // namespace boxsim
