// eWidget: the base of everything on the box's screen. A widget belongs to
// its parent, which frees it; positions are relative to the parent's client
// area. What a widget is beyond these operations (how it draws, takes keys
// and focus) is the toolkit's own, behind its private part.
#pragma once

#include "host/egeometry.h"
#include "host/estring.h"
#include "host/sigc1.h"

#include <memory>

#pragma GCC visibility push(default)

class eWidgetPrivate;

class eWidget : public SigC::Object {
public:
    explicit eWidget(eWidget* parent = nullptr, int takefocus = 0);
    // Frees the children too.
    virtual ~eWidget();
    eWidget(const eWidget&) = delete;
    eWidget& operator=(const eWidget&) = delete;

    void show();
    void hide();
    // The modal loop: runs until the window is closed, and returns the result
    // it was closed with.
    int exec();
    // Closes the window with a non-zero result, ending its modal loop.
    void reject();

    // A window's title, a label's text.
    virtual void setText(const eString& text);
    // Place and size in the parent's client area.
    void move(const ePoint& position);
    void resize(const eSize& size);
    // Place and size of the client area: for a window the title bar lies
    // outside it; for other widgets these are move and resize.
    void cmove(const ePoint& position);
    void cresize(const eSize& size);
    // The client area, in the widget's own coordinates.
    eRect getClientRect() const;

    // Gives the keyboard focus to child, a widget of this one's window.
    void setFocus(eWidget* child);
    // Binds the remote key of that name ("red", "green", "yellow", "blue").
    void setShortcut(const eString& name);

private:
    friend class eWidgetPrivate;
    std::unique_ptr<eWidgetPrivate> d_;
};

#pragma GCC visibility pop
