// The product version shared by the program and its resource modules.
#pragma once
#define SCANLINK_VERSION_TEXT "1.0.0.0"
#define SCANLINK_VERSION_BINARY 1, 0, 0, 0
