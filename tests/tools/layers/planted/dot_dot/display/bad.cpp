#include "display/../app/console.h"
