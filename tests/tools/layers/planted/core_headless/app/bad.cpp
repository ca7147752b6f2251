#include "platform/headless/headless_part.h"
