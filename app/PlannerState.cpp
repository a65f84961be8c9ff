#include "app/PlannerState.h"

#include <memory>

namespace {
std::unique_ptr<PlannerState>& Instance()
{
    static std::unique_ptr<PlannerState> state = std::make_unique<PlannerState>();
    return state;
}
} // namespace

PlannerState& State() { return *Instance(); }

void ResetState()
{
    const ScreenRect screen = Instance()->screenRect;
    Instance() = std::make_unique<PlannerState>();
    Instance()->screenRect = screen;
}
