// The product version: the one place it is written. The program's and the resource modules' version
// resources, and the build (CMakeLists.txt reads the four numbers from here), derive from it.
#pragma once
#define SCANLINK_VERSION_MAJOR 1
#define SCANLINK_VERSION_MINOR 0
#define SCANLINK_VERSION_PATCH 0
#define SCANLINK_VERSION_BUILD 0

#define SCANLINK_VERSION_STR2(x) #x
#define SCANLINK_VERSION_STR(x) SCANLINK_VERSION_STR2(x)
#define SCANLINK_VERSION_TEXT                                                  \
    SCANLINK_VERSION_STR(SCANLINK_VERSION_MAJOR)                               \
    "." SCANLINK_VERSION_STR(SCANLINK_VERSION_MINOR) "." SCANLINK_VERSION_STR( \
        SCANLINK_VERSION_PATCH) "." SCANLINK_VERSION_STR(SCANLINK_VERSION_BUILD)
#define SCANLINK_VERSION_BINARY \
    SCANLINK_VERSION_MAJOR, SCANLINK_VERSION_MINOR, SCANLINK_VERSION_PATCH, SCANLINK_VERSION_BUILD
