#define UP_A_LAYER "app/console.h"
#include UP_A_LAYER
