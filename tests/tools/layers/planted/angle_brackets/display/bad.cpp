#include <app/console.h>
