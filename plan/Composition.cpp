#include "plan/Composition.h"
