#if 1
    #include "app/console.h"
#endif
