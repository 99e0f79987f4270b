#include "install/host_folder.h"
