#include "check/Placement.h"

#include <algorithm>
#include <optional>

namespace {
long long Overlap(const Box& a, const Box& b)
{
    const long long w = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const long long h = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// `box` moved into `screen` as far as it fits; a box larger than the screen keeps its top left there.
Box KeptOn(Box box, const Box& screen)
{
    box.left = std::max(screen.left, std::min(box.left, screen.left + screen.width - box.width));
    box.top = std::max(screen.top, std::min(box.top, screen.top + screen.height - box.height));
    return box;
}

// The part of `box` on `screen`; no width or height where there is none.
Box Within(const Box& box, const Box& screen)
{
    const int left = std::max(box.left, screen.left);
    const int top = std::max(box.top, screen.top);
    const int right = std::min(box.left + box.width, screen.left + screen.width);
    const int bottom = std::min(box.top + box.height, screen.top + screen.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}
} // namespace

Box PlaceBeside(const Box& owner, const Box& screen, int width, int height, int minWidth, int minHeight)
{
    const int ownerRight = owner.left + owner.width;
    const int ownerBottom = owner.top + owner.height;
    const int screenRight = screen.left + screen.width;
    const int screenBottom = screen.top + screen.height;
    // The rooms the screen leaves around the owner, each with where the window would like to stand
    // in it: right, below, left, above.
    struct Room {
        Box room;
        Box wanted;
    };
    const Room rooms[] = {
        {{ownerRight, screen.top, screenRight - ownerRight, screen.height}, {ownerRight, owner.top, width, height}},
        {{screen.left, ownerBottom, screen.width, screenBottom - ownerBottom},
         {owner.left, ownerBottom, width, height}},
        {{screen.left, screen.top, owner.left - screen.left, screen.height},
         {owner.left - width, owner.top, width, height}},
        {{screen.left, screen.top, screen.width, owner.top - screen.top},
         {owner.left, owner.top - height, width, height}},
    };
    // The first room the whole window fits in; else the one that leaves it the most of its area.
    std::optional<Box> best;
    long long bestArea = 0;
    for (const Room& room : rooms) {
        const Box within = Within(room.room, screen);
        Box placed = room.wanted;
        placed.width = std::min(width, within.width);
        placed.height = std::min(height, within.height);
        if (placed.width < std::max(minWidth, 1) || placed.height < std::max(minHeight, 1))
            continue;
        placed = KeptOn(placed, within);
        if (placed.width == width && placed.height == height)
            return placed;
        const long long area = static_cast<long long>(placed.width) * placed.height;
        if (area > bestArea) {
            best = placed;
            bestArea = area;
        }
    }
    if (best)
        return *best;
    // No room at all: the window covers the owner as little as it can.
    Box least{};
    long long leastOverlap = -1;
    for (const Room& room : rooms) {
        const Box placed = KeptOn(room.wanted, screen);
        const long long overlap = Overlap(placed, owner);
        if (leastOverlap < 0 || overlap < leastOverlap) {
            least = placed;
            leastOverlap = overlap;
        }
    }
    return least;
}
