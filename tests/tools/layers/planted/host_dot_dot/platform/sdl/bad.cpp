#include "platform/sdl/../../app/console.h"
