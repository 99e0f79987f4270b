#include "install/payload.h"
