#include "vexal/raster/triangle_raster.h"

#include <gtest/gtest.h>
