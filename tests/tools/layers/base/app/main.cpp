#include "app/console.h"
#include "platform/headless/headless_part.h"
#include "platform/sdl/sdl_part.h"
