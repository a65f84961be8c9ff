#include "plan/PlanOutput.h"
