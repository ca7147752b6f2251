#include "platform/sdl/sdl_part.h"
