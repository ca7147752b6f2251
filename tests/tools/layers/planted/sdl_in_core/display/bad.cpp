#include <SDL.h>
