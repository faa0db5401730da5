// eWidget: the widget tree, geometry, focus and the modal loop.
#include "boxsim/toolkit/widget_private.h"

#include "boxsim/toolkit/key_routing.h"
#include "boxsim/toolkit/modal_driver.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace {
boxsim::ModalDriver* current_driver = nullptr;
constexpr std::chrono::milliseconds loop_tick{20};

std::mutex pressed_lock;
std::deque<boxsim::RemoteKey> pressed_for_user;

std::optional<boxsim::RemoteKey> take_pressed() {
    std::lock_guard<std::mutex> hold(pressed_lock);
    if (pressed_for_user.empty())
        return std::nullopt;
    const boxsim::RemoteKey key = pressed_for_user.front();
    pressed_for_user.pop_front();
    return key;
}
} // namespace

void boxsim::pressForUser(RemoteKey key) {
    std::lock_guard<std::mutex> hold(pressed_lock);
    pressed_for_user.push_back(key);
}

std::mutex& boxsim::textLock() {
    // Never destroyed: a worker may still set a text while the process exits.
    static std::mutex* lock = new std::mutex;
    return *lock;
}

void boxsim::setModalDriver(ModalDriver* driver) {
    current_driver = driver;
}
boxsim::ModalDriver* boxsim::modalDriver() {
    return current_driver;
}

void boxsim::closeWindow(eWidget& window, int result) {
    eWidgetPrivate& w = eWidgetPrivate::of(window).root();
    w.result = result;
    w.in_loop = false;
}

bool boxsim::inModalLoop(const eWidget& window) {
    return eWidgetPrivate::of(window).in_loop;
}

eWidgetPrivate::eWidgetPrivate(eWidget& self_, eWidget* parent_, int takefocus)
    : self(self_), parent(parent_), takes_focus(takefocus != 0), shown(parent_ != nullptr) {}

eWidgetPrivate::~eWidgetPrivate() = default;

eWidgetPrivate& eWidgetPrivate::root() {
    eWidgetPrivate* w = this;
    while (w->parent)
        w = &of(*w->parent);
    return *w;
}

bool eWidgetPrivate::visible() const {
    for (const eWidgetPrivate* w = this; w; w = w->parent ? &of(*w->parent) : nullptr) {
        if (!w->shown)
            return false;
    }
    return true;
}

ePoint eWidgetPrivate::screenClientOrigin() const {
    const ePoint origin = parent ? of(*parent).screenClientOrigin() : ePoint(0, 0);
    return ePoint(origin.x + position.x, origin.y + position.y + titleBarHeight());
}

eWidget::eWidget(eWidget* parent, int takefocus)
    : d_(std::make_unique<eWidgetPrivate>(*this, parent, takefocus)) {
    if (parent)
        parent->d_->children.push_back(this);
}

eWidget::~eWidget() {
    // Children go first, newest first, each unhooking itself from us.
    while (!d_->children.empty())
        delete d_->children.back();
    eWidgetPrivate& top = d_->root();
    if (top.focus == this)
        top.focus = nullptr;
    if (d_->parent) {
        auto& siblings = d_->parent->d_->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void eWidget::show() {
    d_->shown = true;
}
void eWidget::hide() {
    d_->shown = false;
    // What lies beneath shows now, not when the plug-in next draws.
    if (!d_->parent && current_driver)
        current_driver->hidden(*this);
}

int eWidget::exec() {
    eWidgetPrivate& w = d_->root();
    w.in_loop = true;
    w.result = 0;
    while (w.in_loop) {
        if (auto key = take_pressed()) {
            boxsim::pressKey(w.self, *key);
        } else if (current_driver) {
            current_driver->present(w.self);
            if (auto key = current_driver->nextKey(loop_tick))
                boxsim::pressKey(w.self, *key);
        } else {
            std::this_thread::sleep_for(loop_tick);
        }
    }
    if (current_driver)
        current_driver->loopEnded(w.self);
    return w.result;
}

void eWidget::reject() {
    boxsim::closeWindow(*this, 1);
}

void eWidget::setText(const eString& text) {
    std::lock_guard<std::mutex> hold(boxsim::textLock());
    d_->text = text;
}

void eWidget::move(const ePoint& position) {
    d_->position = position;
}
void eWidget::resize(const eSize& size) {
    d_->size = size;
}
void eWidget::cmove(const ePoint& position) {
    move(ePoint(position.x, position.y - d_->titleBarHeight()));
}
void eWidget::cresize(const eSize& size) {
    resize(eSize(size.width, size.height + d_->titleBarHeight()));
}

eRect eWidget::getClientRect() const {
    return eRect(ePoint(0, 0), eSize(d_->size.width, d_->size.height - d_->titleBarHeight()));
}

void eWidget::setFocus(eWidget* child) {
    d_->root().focus = child;
}

void eWidget::setShortcut(const eString& name) {
    d_->shortcut = name;
}
