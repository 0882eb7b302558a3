#include "devices/light_effects.h"
#include <gtest/gtest.h>
