#include "toolkit/message_box.h"
