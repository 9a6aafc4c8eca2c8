#pragma once
#include <initializer_list>
#include <string>
#include "ProgramIds.h"

// The text of the program's numbered message table (IDS_...); empty when missing.
std::string LoadMessage(int id);
// printf-style: each %s takes the next argument in order; "%%" gives "%".
// Arguments are inserted as data, never read as format text.
std::string FormatText(const std::string &format, std::initializer_list<std::string> args);

extern const char *const ProductTitle; // MERVANE_PRODUCT_TITLE
