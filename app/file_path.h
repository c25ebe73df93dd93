#pragma once

#include "support/cwstr.h"

// Copies the folder part of `path` (the path without its last component)
// into `folder`, cut to 259 characters. A root keeps its separator ("C:\",
// "/"); a bare file name gives empty text. Both separators count, so Windows
// and Linux paths work alike.
void copyFolderOf(const char16_t* path, char16_t (&folder)[260]);
