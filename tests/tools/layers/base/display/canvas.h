#pragma once
#include "platform/host.h"
