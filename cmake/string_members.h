// Forced into every file of the program's build (not the tests'): the
// library's ready-made std::string is then not linked whole, only the members
// the program uses are compiled into it. -1 is the library's own setting for
// "no extern templates for basic_string only".
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
