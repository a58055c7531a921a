// The native build of the unicast check runner of the LAN tests (the same program as the Windows one).
#include "wine/progs/check_address.cpp"
