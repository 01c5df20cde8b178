#include "host_state.h"

HostState gHost;
