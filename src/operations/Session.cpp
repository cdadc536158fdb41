#include "operations/Session.h"
