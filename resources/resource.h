#pragma once
// Resource identifiers shared by Hueglass.rc and the program.
#define IDI_HUEGLASS 1
