// corvane.h compiled as C++: the same program as header_check.c.
#include "header_check.c"
