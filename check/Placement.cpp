#include "check/Placement.h"

#include <algorithm>

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
} // namespace

Box PlaceBeside(const Box& owner, const Box& screen, int width, int height)
{
    // Right, left, below, above: the first that covers none of the owner wins, else the least.
    const Box tries[] = {
        {owner.left + owner.width, owner.top, width, height},
        {owner.left - width, owner.top, width, height},
        {owner.left, owner.top + owner.height, width, height},
        {owner.left, owner.top - height, width, height},
    };
    Box best{};
    long long bestOverlap = -1;
    for (const Box& wanted : tries) {
        const Box placed = KeptOn(wanted, screen);
        const long long overlap = Overlap(placed, owner);
        if (bestOverlap < 0 || overlap < bestOverlap) {
            best = placed;
            bestOverlap = overlap;
        }
    }
    return best;
}
