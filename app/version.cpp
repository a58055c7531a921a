// The product version as text, for the program's own use.
#include "app/version.h"

extern const char kScanLinkVersion[] = SCANLINK_VERSION_TEXT;
