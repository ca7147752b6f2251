#pragma once
#include "display/canvas.h"
