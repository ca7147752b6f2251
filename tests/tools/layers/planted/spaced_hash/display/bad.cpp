# include "app/console.h"
