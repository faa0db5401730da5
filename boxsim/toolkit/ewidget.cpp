// eWidget: the widget tree, geometry, focus and the modal loop.
#include "host/ewidget.h"

#include "boxsim/toolkit/modal_driver.h"
#include "host/eguiqueue.h"

#include <algorithm>

namespace {
boxsim::ModalDriver* current_driver = nullptr;
constexpr std::chrono::milliseconds loop_tick{20};
} // namespace

void boxsim::setModalDriver(ModalDriver* driver) {
    current_driver = driver;
}
boxsim::ModalDriver* boxsim::modalDriver() {
    return current_driver;
}

eWidget::eWidget(eWidget* parent, int takefocus)
    : parent_(parent), takefocus_(takefocus), shown_(parent != nullptr) {
    if (parent_)
        parent_->children_.push_back(this);
}

eWidget::~eWidget() {
    // Children go first, newest first, each unhooking itself from us.
    while (!children_.empty())
        delete children_.back();
    eWidget* top = root();
    if (top->focus_ == this)
        top->focus_ = nullptr;
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

eWidget* eWidget::root() {
    eWidget* w = this;
    while (w->parent_)
        w = w->parent_;
    return w;
}

void eWidget::move(const ePoint& position) {
    position_ = position;
}
void eWidget::resize(const eSize& size) {
    size_ = size;
}
void eWidget::cmove(const ePoint& position) {
    move(position);
}
void eWidget::cresize(const eSize& size) {
    resize(size);
}

eRect eWidget::getClientRect() const {
    return eRect(ePoint(0, 0), size_);
}

ePoint eWidget::getAbsoluteClientPosition() const {
    const int frame_top = size_.height - getClientRect().height();
    ePoint origin = parent_ ? parent_->getAbsoluteClientPosition() : ePoint(0, 0);
    return ePoint(origin.x + position_.x, origin.y + position_.y + frame_top);
}

void eWidget::setText(const eString& text) {
    text_ = text;
}

void eWidget::show() {
    shown_ = true;
}
void eWidget::hide() {
    shown_ = false;
}

bool eWidget::isVisible() const {
    for (const eWidget* w = this; w; w = w->parent_) {
        if (!w->shown_)
            return false;
    }
    return true;
}

int eWidget::exec() {
    in_loop_ = true;
    result_ = 0;
    while (in_loop_) {
        eGuiQueue::drain();
        if (!in_loop_)
            break;
        if (current_driver) {
            current_driver->present(*this);
            if (auto key = current_driver->nextKey(loop_tick))
                handleKey(*key);
        } else {
            eGuiQueue::waitForTask(loop_tick);
        }
    }
    // Tasks posted while the loop ran still belong to this window's life.
    eGuiQueue::drain();
    return result_;
}

void eWidget::close(int result) {
    result_ = result;
    in_loop_ = false;
}

void eWidget::setFocus(eWidget* child) {
    root()->focus_ = child;
}

eWidget* eWidget::getFocus() const {
    const eWidget* w = this;
    while (w->parent_)
        w = w->parent_;
    return w->focus_;
}

bool eWidget::handleKey(eRemoteKey) {
    return false;
}
