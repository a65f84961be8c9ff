#pragma once
// Where a window opens beside another: to its right where the screen has room, else where it covers
// least of it. Plain rectangles, no window system. Core, no Qt.

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The place for a window of `width` x `height` beside `owner`, within `screen`.
Box PlaceBeside(const Box& owner, const Box& screen, int width, int height);
