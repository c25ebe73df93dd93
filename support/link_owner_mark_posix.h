#pragma once

#include <string>

// A port link that a program makes for its own lifetime (the simulator's
// comN) carries a mark beside it, "<link>.owner": a small file naming the
// maker's process, which the maker keeps locked while it runs. The kernel
// drops that lock however the process ends, even by SIGKILL, so a mark that
// nobody holds tells a link left behind from a user's own link. Such a link
// may point to a terminal number that someone else has been given since.

// The mark's path beside `link`.
std::string linkOwnerMark(const std::string& link);

// Marks `link` as this process's: the descriptor that holds the mark's lock,
// to keep open while the link exists; -1 when the mark cannot be made or a
// running process holds it.
int takeLinkOwnerMark(const std::string& link);

// True when `link` carries a mark that no running process holds.
bool isAbandonedLink(const std::string& link);
