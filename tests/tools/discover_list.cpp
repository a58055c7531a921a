// The native build of the discovery runner of the LAN tests (the same program as the Windows one).
#include "wine/progs/discover_list.cpp"
