#include "input/ListReading.h"
