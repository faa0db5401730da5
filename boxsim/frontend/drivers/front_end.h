// What a front end of the host does, written once for every front end: it
// draws the plug-in's window and takes its keys while the plug-in runs (the
// toolkit's modal driver), closes the window on standby or when the host is
// shut down, and between runs shows the host's own screen, where the user
// starts the plug-in again or quits. Keys pressed while the plug-in's GUI
// thread is away from its loop (the plug-in's pause after leaving) are
// dropped. A front end gives the primitives: read a key within a time,
// draw the window, draw the host's screen.
#pragma once

#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/toolkit/modal_driver.h"
#include "boxsim/toolkit/widget_tree.h"

#include <string>
#include <vector>

namespace boxsim {

class FrontEnd : public ModalDriver {
public:
    // Draws the screen with window on it, and takes the window's title as
    // the plug-in's name for the host's screen.
    void present(eWidget& window) final;
    std::optional<RemoteKey> nextKey(std::chrono::milliseconds timeout) final;
    void loopEnded(eWidget& window) final;
    // Draws the screen without window at once.
    void hidden(eWidget& window) final;
    // The plug-in has returned result. Shows so, and whether a file still
    // plays, until the user decides.
    HostChoice betweenRuns(int result);
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
    // The key pressed within timeout: its row in the key table, or null for
    // none (or one the table does not have).
    virtual const KeyBinding* readKey(std::chrono::milliseconds timeout) = 0;
    // Forgets the keys pressed and not yet read.
    virtual void dropPendingKeys() {}
    // The screen with window on it (a hidden one: the screen without it),
    // and the strip naming the keys that work there.
    virtual void drawWindow(const WidgetNode& window, const std::vector<std::string>& strip) = 0;
    virtual void drawHostScreen(const HostScreen& host, const std::vector<std::string>& strip) = 0;

    // The plug-in's window while it is shown; null on the host's screen.
    eWidget* window() const { return window_; }
    // The host's screen as it stands: the plug-in's name, its last result
    // and whether a file plays now.
    HostScreen hostScreen() const;

private:
    // Back in a loop: keys pressed while away are dropped.
    void returning();

    std::string plugin_name_ = "The plug-in";
    eWidget* window_ = nullptr;
    int result_ = 0;
    bool away_ = true;
};

} // namespace boxsim
