#pragma once

// xcb's XKB header names a structure member `explicit`, which is a keyword in C++: the member is
// renamed while the header is read. Include XKB's xcb header only through this one.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
