// Points, sizes and rectangles of the box's screen, in pixels.
#pragma once

struct ePoint {
    int x = 0, y = 0;
    ePoint() = default;
    ePoint(int x_, int y_) : x(x_), y(y_) {}
    bool operator==(const ePoint& o) const { return x == o.x && y == o.y; }
};

struct eSize {
    int width = 0, height = 0;
    eSize() = default;
    eSize(int w, int h) : width(w), height(h) {}
    bool operator==(const eSize& o) const { return width == o.width && height == o.height; }
};

class eRect {
public:
    eRect() = default;
    eRect(ePoint origin, eSize size) : origin_(origin), size_(size) {}
    int x() const { return origin_.x; }
    int y() const { return origin_.y; }
    int width() const { return size_.width; }
    int height() const { return size_.height; }
    ePoint topLeft() const { return origin_; }
    eSize size() const { return size_; }

private:
    ePoint origin_;
    eSize size_;
};
