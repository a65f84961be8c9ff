#include "input/PersonalCopy.h"
