// Part of every module: the switcher finds this mark in the module's file before loading it.
#include "app/module_build_id.hpp"

extern "C" __attribute__((used, visibility("default"))) const char zerlith_module_build_id[] =
    ZERLITH_MODULE_BUILD_ID_MARK;
