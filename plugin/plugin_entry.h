// The plug-in's one exported entry point. The host calls it on its GUI
// thread with one pointer-sized argument, which is not read; it runs the
// player window modally and returns 0 once the window is gone.
#pragma once

extern "C" int plugin_exec(void* parameters);
