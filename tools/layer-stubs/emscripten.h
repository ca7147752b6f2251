// Stands in for emscripten's own header when tools/check-layers.sh follows
// the browser host's includes with g++: that header is found only by em++.
#pragma once
