// The boolean of the object interface.
#pragma once

enum ttBool { ttFALSE = 0, ttTRUE = 1 };
