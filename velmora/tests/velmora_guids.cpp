// The class and interface identities the tests use, defined once.
#include <initguid.h>

#include "velmora_h.h"
