// What a widget is, for the host's side: key routing, front ends and dumps
// tell widgets apart by this, never by a name.
#pragma once

enum class WidgetKind { plain, window, label, button, listbox };

namespace boxsim {
// "window", "label", "button", "listbox" or "widget", as dumps write it.
const char* kindName(WidgetKind kind);
} // namespace boxsim
