// eWidget: the base of everything on the box's screen. A widget belongs to
// its parent, which frees it; positions are relative to the parent's client
// area. Widgets live on the GUI thread: other threads use eGuiQueue.
#pragma once

#include "host/egeometry.h"
#include "host/estring.h"
#include "host/sigc1.h"

#include <vector>

#pragma GCC visibility push(default)

// The remote control's keys that the toolkit acts on.
enum class eRemoteKey {
    up,
    down,
    left,
    right,
    pageUp,
    pageDown,
    ok,
    exit,
    red,
    green,
    yellow,
    blue
};

class eWidget : public SigC::Object {
public:
    explicit eWidget(eWidget* parent = nullptr, int takefocus = 0);
    virtual ~eWidget();
    eWidget(const eWidget&) = delete;
    eWidget& operator=(const eWidget&) = delete;

    void move(const ePoint& position);
    void resize(const eSize& size);
    // Place and size the client area; plain widgets have no frame, so these
    // are move and resize. Windows keep their title bar outside it.
    virtual void cmove(const ePoint& position);
    virtual void cresize(const eSize& size);
    ePoint getPosition() const { return position_; }
    eSize getSize() const { return size_; }
    // The client area, at (0, 0), in the widget's own coordinates.
    virtual eRect getClientRect() const;
    // Where the client area's origin lies on the screen.
    ePoint getAbsoluteClientPosition() const;

    virtual void setText(const eString& text);
    const eString& getText() const { return text_; }

    void show();
    void hide();
    // Shown, and so is every parent.
    bool isVisible() const;
    // Shown itself, whatever its parents are.
    bool isShown() const { return shown_; }

    // The modal loop: runs until close() or reject(), returns the result.
    int exec();
    void close(int result);
    // Ends the modal loop with a non-zero result.
    void reject() { close(1); }
    void accept() { close(0); }
    bool inModalLoop() const { return in_loop_; }

    // Gives the keyboard focus to child, which must belong to this widget's tree.
    void setFocus(eWidget* child);
    // The widget holding the focus within this tree, or null.
    eWidget* getFocus() const;
    bool takesFocus() const { return takefocus_ != 0; }

    // Binds the remote key of that name ("red", "green", "yellow", "blue").
    void setShortcut(const eString& name) { shortcut_ = name; }
    const eString& getShortcut() const { return shortcut_; }

    eWidget* getParent() const { return parent_; }
    const std::vector<eWidget*>& getChildren() const { return children_; }

    // Handles a key sent to this widget; true when it was used.
    virtual bool handleKey(eRemoteKey key);
    // What kind of widget this is, for screen dumps and drawing.
    virtual const char* kind() const { return "widget"; }

private:
    eWidget* root();

    eWidget* parent_;
    std::vector<eWidget*> children_;
    ePoint position_;
    eSize size_;
    eString text_;
    eString shortcut_;
    eWidget* focus_ = nullptr;
    int takefocus_;
    bool shown_ = false;
    bool in_loop_ = false;
    int result_ = 0;
};

#pragma GCC visibility pop
