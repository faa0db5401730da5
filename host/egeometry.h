// Points, sizes and rectangles of the box's screen, in pixels.
#pragma once

struct ePoint {
    int x = 0, y = 0;
    ePoint() = default;
    ePoint(int x_, int y_) : x(x_), y(y_) {}
};

struct eSize {
    int width = 0, height = 0;
    eSize() = default;
    eSize(int w, int h) : width(w), height(h) {}
};

class eRect {
public:
    eRect() = default;
    eRect(ePoint origin, eSize size) : origin_(origin), size_(size) {}
    int width() const { return size_.width; }
    int height() const { return size_.height; }

private:
    ePoint origin_;
    eSize size_;
};
