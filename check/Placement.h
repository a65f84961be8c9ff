#pragma once
// Where a window opens beside another without covering any of it: to its right or below it where the
// screen has room, else to its left or above it, else shrunk into the largest room there is. Plain
// rectangles, no window system. Core, no Qt.

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The place and size, frame included, for a window of `width` x `height` beside `owner`, within
// `screen`; never smaller than `minWidth` x `minHeight`. Where no room around the owner holds even
// that, the window keeps its size and covers as little of the owner as it can.
Box PlaceBeside(const Box& owner, const Box& screen, int width, int height, int minWidth = 0, int minHeight = 0);
